#include "viewer/controls/CThumbComponentWnd.h"

#include "viewer/controls/PanelLayout.h"
#include "viewer/controls/ThumbDoubleClickEvent.h"

#include <QCoreApplication>
#include <QPointer>

namespace {

QPointer<QObject>& MainWindowSlot()
{
    static QPointer<QObject> mainWindow;
    return mainWindow;
}

} // namespace

CThumbComponentWnd::~CThumbComponentWnd()
{
    DestroyContents();
}

void CThumbComponentWnd::SetMainWindow(QObject* mainWindow)
{
    MainWindowSlot() = mainWindow;
}

QObject* CThumbComponentWnd::MainWindow()
{
    return MainWindowSlot().data();
}

bool CThumbComponentWnd::Create(QWidget* parent)
{
    DestroyContents();
    if (!CComponentWnd::Create(parent)) {
        return false;
    }
    m_pButton = std::make_unique<CThumbButton>();
    m_pButton->CreateButton(1, 1, this);
    return true;
}

void CThumbComponentWnd::DestroyContents()
{
    m_pButton.reset();
}

void CThumbComponentWnd::MoveToRect()
{
    CComponentWnd::MoveToRect();
    if (!m_pButton) {
        return;
    }
    const controls::LayoutRect r = controls::InsetNormalized({0, 0, m_cx, m_cy}, 2);
    const QRect target(r.left, r.top, r.right - r.left, r.bottom - r.top);
    // Moving repaints the button; one that stays is repainted with the panel it lies on.
    if (m_pButton->geometry() != target) {
        m_pButton->setGeometry(target);
    }
}

bool CThumbComponentWnd::event(QEvent* event)
{
    if (event->type() != ThumbDoubleClickEvent::kType) {
        return CComponentWnd::event(event);
    }
    // Passed on unchanged and synchronously; the receiver reads the page from the caption.
    if (QObject* mainWindow = MainWindow()) {
        QCoreApplication::sendEvent(mainWindow, event);
    }
    return true;
}
