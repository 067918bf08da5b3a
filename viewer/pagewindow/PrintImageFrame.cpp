#include "viewer/pagewindow/PrintImageFrame.h"

#include "formats/pagestream/DornPageImageInfo.h"
#include "viewer/app/CMainFrame.h"
#include "viewer/app/CPYRNApp.h"
#include "viewer/common/LoadBitmapResource.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/common/WindowShortcut.h"
#include "viewer/dialogs/ProgressDialog.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/pagewindow/PrintImageGeometry.h"
#include "viewer/pagewindow/PrintImageView.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>

using namespace PrintImageGeometry;

QPointer<PrintImageFrame> g_pPrintImageFrame;

namespace {

constexpr unsigned kMenuBarId = 0xE806;
constexpr unsigned kStatusBarId = 0xE801;
constexpr unsigned kIconResource = 320;
constexpr int kElementWidth = 150;
constexpr int kProgressHeight = 22;

QString ControlName(unsigned id)
{
    return QStringLiteral("control%1").arg(id);
}

// The window frame's share of a window's outer size: the page window's own once it has been
// shown, else the main window's, which has the same decoration.
QSize Decoration(const QWidget& frame)
{
    const QWidget* reference = frame.isVisible() ? &frame : theApp.GetMainFrame();
    if (reference == nullptr) {
        return {0, 0};
    }
    return reference->frameGeometry().size() - reference->geometry().size();
}

} // namespace

PrintImageFrame::PrintImageFrame(CPYRNDoc* document) : m_pDocument(document)
{
    // Closing it never ends the program; only the main frame's closing does.
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    g_pPrintImageFrame = this;
    // The program's own accelerator table, never the language library's.
    AddAccelerator(QKeySequence(Qt::CTRL | Qt::Key_W), kCmdClose);
    AddAccelerator(QKeySequence(Qt::CTRL | Qt::Key_R), kCmdRotateRight);
    AddAccelerator(QKeySequence(Qt::CTRL | Qt::Key_L), kCmdRotateLeft);
}

PrintImageFrame::~PrintImageFrame() = default;

void PrintImageFrame::AddAccelerator(const QKeySequence& keys, unsigned id)
{
    m_hAccel.push_back(AddWindowShortcut(*this, keys, [this, id] { OnCommand(id); }));
}

int PrintImageFrame::OnCreate()
{
    setWindowIcon(LoadIconResource(kIconResource));

    m_wndMenuBar = new QMenuBar(this);
    m_wndMenuBar->setObjectName(ControlName(kMenuBarId));
    setMenuBar(m_wndMenuBar);
    BuildMenu();

    m_wndStatusBar = new QStatusBar(this);
    m_wndStatusBar->setObjectName(ControlName(kStatusBarId));
    setStatusBar(m_wndStatusBar);
    m_pZoomLabel = new QLabel(ZoomLabelText(m_nZoom), m_wndStatusBar);
    m_pZoomLabel->setObjectName(QStringLiteral("RibbonLabel"));
    m_wndStatusBar->addPermanentWidget(m_pZoomLabel);
    m_wndStatusBar->addPermanentWidget(BuildZoomSlider());
    m_pProgressBar = new QProgressBar(m_wndStatusBar);
    m_pProgressBar->setObjectName(ControlName(kProgressId));
    m_pProgressBar->setFixedSize(kElementWidth, kProgressHeight);
    m_pProgressBar->setRange(0, 100);
    m_pProgressBar->setValue(0);
    m_pProgressBar->setTextVisible(false);
    m_wndStatusBar->addPermanentWidget(m_pProgressBar);

    m_pView = new PrintImageView(m_pDocument, this);
    setCentralWidget(m_pView);
    return 0;
}

QWidget* PrintImageFrame::BuildZoomSlider()
{
    auto* element = new QWidget(m_wndStatusBar);
    element->setObjectName(QStringLiteral("RibbonSlider"));
    auto* layout = new QHBoxLayout(element);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    m_pZoomSlider = new QSlider(Qt::Horizontal, element);
    m_pZoomSlider->setObjectName(ControlName(kZoomSliderId));
    m_pZoomSlider->setFixedWidth(kElementWidth);
    m_pZoomSlider->setRange(kMinZoom, kMaxZoom);
    m_pZoomSlider->setSingleStep(kZoomStep);
    m_pZoomSlider->setPageStep(kZoomStep);
    m_pZoomSlider->setValue(m_nZoom);
    connect(m_pZoomSlider, &QSlider::valueChanged, this, &PrintImageFrame::ScheduleIdleUpdate);
    // The zoom buttons move the slider by one increment; the idle pass applies it.
    const auto button = [this, element](const QString& text, const QString& name, int step) {
        auto* made = new QToolButton(element);
        made->setObjectName(name);
        made->setText(text);
        made->setAutoRaise(true);
        connect(made, &QToolButton::clicked, this,
                [this, step] { m_pZoomSlider->setValue(m_pZoomSlider->value() + step); });
        return made;
    };
    layout->addWidget(button(QStringLiteral("\u2212"), QStringLiteral("zoomOut"), -kZoomStep));
    layout->addWidget(m_pZoomSlider);
    layout->addWidget(button(QStringLiteral("+"), QStringLiteral("zoomIn"), kZoomStep));
    return element;
}

void PrintImageFrame::BuildMenu()
{
    for (const ResourceModule::MenuItem& popup : ResourceModule::Menu(kMenuResource)) {
        QMenu* menu = m_wndMenuBar->addMenu(popup.text);
        for (const ResourceModule::MenuItem& item : popup.items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(item.text);
            action->setObjectName(QStringLiteral("command%1").arg(item.id));
            const unsigned id = item.id;
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        }
    }
}

QString PrintImageFrame::ZoomLabelText(int zoom)
{
    return zoom >= 100 ? QString::asprintf("%d%s", zoom, "%")
                       : QString::asprintf("%d%3s", zoom, "%");
}

void PrintImageFrame::SetZoom(int& zoom)
{
    zoom = SnapZoomStep(m_nZoom, zoom);
    m_nZoom = zoom;
    if (m_pZoomSlider != nullptr) {
        const QSignalBlocker quiet(m_pZoomSlider);
        m_pZoomSlider->setValue(zoom);
    }
    if (m_pZoomLabel != nullptr) {
        m_pZoomLabel->setText(ZoomLabelText(zoom));
    }
    if (m_pDocument) {
        m_pDocument->m_nZoom = zoom;
        m_pDocument->UpdateAllViews(nullptr, UpdateHint::kPageImage);
    }
}

void PrintImageFrame::ScheduleIdleUpdate()
{
    if (m_bIdlePending) {
        return;
    }
    m_bIdlePending = true;
    QTimer::singleShot(0, this, [this] {
        m_bIdlePending = false;
        OnUpdateZoomSlider();
    });
}

void PrintImageFrame::OnUpdateZoomSlider()
{
    if (m_pZoomSlider != nullptr) {
        m_pZoomSlider->setEnabled(true);
        if (m_pZoomSlider->value() != m_nZoom) {
            int zoom = m_pZoomSlider->value();
            SetZoom(zoom);
        }
    }
    if (m_pProgressBar != nullptr && m_pProgressBar->value() == 100) {
        m_pProgressBar->setValue(0);
    }
}

void PrintImageFrame::OnMouseWheel(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons,
                                   int delta)
{
    if (modifiers != Qt::ControlModifier || buttons != Qt::NoButton || m_pZoomSlider == nullptr) {
        return;
    }
    // One step a message, whatever the delta's size.
    int zoom = m_pZoomSlider->value() + (delta < 0 ? -kZoomStep : kZoomStep);
    SetZoom(zoom);
}

int PrintImageFrame::WheelDelta(const QWheelEvent& event)
{
    const QPoint angle = event.angleDelta();
    return angle.y() != 0 ? angle.y() : angle.x();
}

void PrintImageFrame::wheelEvent(QWheelEvent* event)
{
    OnMouseWheel(event->modifiers(), event->buttons(), WheelDelta(*event));
    QMainWindow::wheelEvent(event);
}

void PrintImageFrame::OnRotateRight()
{
    if (m_pDocument) {
        m_pDocument->RotatePageImage(true, this);
    }
}

void PrintImageFrame::OnRotateLeft()
{
    if (m_pDocument) {
        m_pDocument->RotatePageImage(false, this);
    }
}

void PrintImageFrame::OnCommand(unsigned id)
{
    switch (id) {
    case kCmdClose:
        close();
        break;
    case kCmdRotateRight:
        OnRotateRight();
        break;
    case kCmdRotateLeft:
        OnRotateLeft();
        break;
    case kCmdAbout:
        theApp.OnAppAbout();
        break;
    default:
        break;
    }
}

bool PrintImageFrame::event(QEvent* event)
{
    if (event->type() == ProgressEvent::kType) {
        if (m_pProgressBar != nullptr) {
            m_pProgressBar->setValue(static_cast<ProgressEvent*>(event)->value());
        }
        ScheduleIdleUpdate();
        return true;
    }
    return QMainWindow::event(event);
}

void PrintImageFrame::closeEvent(QCloseEvent* event)
{
    OnDestroy();
    event->accept();
}

QSize PrintImageFrame::StoredSize() const
{
    // A minimised window keeps the size it comes back with; a maximised one its full size.
    if (isMinimized()) {
        return normalGeometry().size() + (frameGeometry().size() - geometry().size());
    }
    return frameGeometry().size();
}

void PrintImageFrame::OnDestroy()
{
    if (m_bDestroyed) {
        return;
    }
    m_bDestroyed = true;
    const QSize size = StoredSize();
    theApp.m_nPrintImageWidth = size.width();
    theApp.m_nPrintImageHeight = size.height();
    if (m_pDocument) {
        m_pDocument->m_nZoom = 100;
        m_pDocument->UpdateAllViews(nullptr, UpdateHint::kPageImage);
        m_pDocument->m_pPrintImage.reset();
        m_pDocument->m_nPageToOpen = 0;
    }
    if (CMainFrame* main = theApp.GetMainFrame()) {
        main->InitBasicCommands();
        main->showNormal();
        main->raise();
    }
}

void ShowPrintImageWindow(std::uint32_t page)
{
    PrintImageFrame* frame = g_pPrintImageFrame;
    if (frame == nullptr) {
        return;
    }
    frame->setWindowTitle(ResourceModule::String(PrintImageFrame::kTitleString) +
                          QStringLiteral(" - ") + QString::number(page));
    const QSize outer(theApp.m_nPrintImageWidth > 0 ? theApp.m_nPrintImageWidth
                                                    : CPYRNApp::kDefaultPrintImageWidth,
                      theApp.m_nPrintImageHeight > 0 ? theApp.m_nPrintImageHeight
                                                     : CPYRNApp::kDefaultPrintImageHeight);
    frame->resize((outer - Decoration(*frame)).expandedTo({1, 1}));
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect work = screen != nullptr ? screen->availableGeometry() : QRect();
    frame->move(CentredPosition(work, outer));
}
