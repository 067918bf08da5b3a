#include "viewer/controls/CComponentWnd.h"

#include "viewer/controls/ControlColors.h"
#include "viewer/controls/PanelLayout.h"

#include <QPainter>

CComponentWnd::~CComponentWnd() = default;

bool CComponentWnd::Create(QWidget* parent)
{
    if (parent == nullptr) {
        return false;
    }
    setParent(parent);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(0, 0, m_cx, m_cy);
    show();
    return true;
}

void CComponentWnd::DestroyContents() {}

void CComponentWnd::MoveToRect()
{
    if (parentWidget() == nullptr) {
        return;
    }
    const controls::LayoutRect r = controls::InsetNormalized({m_x, m_y, m_x + m_cx, m_y + m_cy}, 1);
    const QRect target(r.left, r.top, r.right - r.left, r.bottom - r.top);
    // A component that stays where it is costs nothing: adding one to a full panel moves only
    // the new one.
    if (geometry() != target) {
        setGeometry(target);
    }
}

void CComponentWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), controls::ButtonFaceColor(*this));
}
