#include "viewer/controls/CScrollCustomCtrl.h"

#include "viewer/controls/ControlColors.h"

#include <QPainter>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>

using controls::ScrollCode;

namespace {

// The platform's range (min..max with a page) on a bar whose maximum is the scroll limit.
void SetScrollRange(QScrollBar& bar, int min, int max, int page)
{
    bar.setPageStep(page);
    bar.setRange(min, controls::ScrollLimit({min, max, page, 0}));
}

controls::ScrollState ReadScrollState(const QScrollBar& bar)
{
    const int page = bar.pageStep();
    return {bar.minimum(), bar.maximum() + std::max(page - 1, 0), page, bar.value()};
}

ScrollCode ScrollCodeOf(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return ScrollCode::LineUp;
    case QAbstractSlider::SliderSingleStepAdd:
        return ScrollCode::LineDown;
    case QAbstractSlider::SliderPageStepSub:
        return ScrollCode::PageUp;
    case QAbstractSlider::SliderPageStepAdd:
        return ScrollCode::PageDown;
    case QAbstractSlider::SliderToMinimum:
        return ScrollCode::Top;
    case QAbstractSlider::SliderToMaximum:
        return ScrollCode::Bottom;
    case QAbstractSlider::SliderMove:
        return ScrollCode::ThumbTrack;
    default:
        return ScrollCode::EndScroll;
    }
}

} // namespace

CScrollCustomCtrl::CScrollCustomCtrl(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    for (QScrollBar* bar : {&m_wndHScroll, &m_wndVScroll}) {
        bar->hide();
        bar->setGeometry(0, 0, 0, 0);
        bar->setSingleStep(controls::kScrollLine);
        SetScrollRange(*bar, 0, 0, 0);
        // The bars only propose a move; the panel's own arithmetic decides where they go.
        connect(bar, &QAbstractSlider::actionTriggered, this,
                [this, bar](int action) { OnScrollBarAction(*bar, action); });
        bar->installEventFilter(this);
    }
}

CScrollCustomCtrl::~CScrollCustomCtrl() = default;

bool CScrollCustomCtrl::RegisterWindowClass()
{
    return true;
}

void CScrollCustomCtrl::RecalcLayout()
{
    PositionScrollBars();
    UpdateScrollBars();
    update();
}

int CScrollCustomCtrl::CalcLayout()
{
    return 1000;
}

QScrollBar& CScrollCustomCtrl::ModeScrollBar()
{
    return m_nLayoutMode == controls::kLayoutFlow ? m_wndVScroll : m_wndHScroll;
}

int CScrollCustomCtrl::ScrollBarExtent() const
{
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &m_wndVScroll);
}

void CScrollCustomCtrl::PositionScrollBars()
{
    const int extent = ScrollBarExtent();
    QScrollBar* bar = nullptr;
    if (m_nLayoutMode == controls::kLayoutFlow) {
        bar = &m_wndVScroll;
        bar->setGeometry(width() - extent, 0, extent, height());
    } else if (m_nLayoutMode == controls::kLayoutRow) {
        bar = &m_wndHScroll;
        bar->setGeometry(0, height() - extent, width(), extent);
    } else {
        return;
    }
    // Components laid out before the bar appeared may reach under it; the bar stays on top.
    bar->raise();
    bar->update();
}

void CScrollCustomCtrl::UpdateScrollBars()
{
    if (m_nLayoutMode != controls::kLayoutFlow && m_nLayoutMode != controls::kLayoutRow) {
        return;
    }
    const int extent = CalcLayout();
    const bool flow = m_nLayoutMode == controls::kLayoutFlow;
    QScrollBar& bar = flow ? m_wndVScroll : m_wndHScroll;
    QScrollBar& other = flow ? m_wndHScroll : m_wndVScroll;
    const int client = flow ? height() : width();
    other.hide();
    if (extent > client) {
        SetScrollRange(bar, 0, extent, client);
        bar.show();
    } else {
        // Content that fits shows from its start: a hidden bar keeping an old position would
        // leave the top of the content out of reach.
        bar.hide();
        SetScrollRange(bar, 0, 0, 0);
    }
}

bool CScrollCustomCtrl::HandleScroll(ScrollCode code, int thumbPos)
{
    QScrollBar& bar = ModeScrollBar();
    const int before = bar.value();
    bar.setValue(controls::RequestedScrollPosition(code, ReadScrollState(bar), thumbPos));
    return bar.value() != before;
}

void CScrollCustomCtrl::OnScrollBarAction(QScrollBar& bar, int action)
{
    // The bar has not taken its proposed position yet (value() is still the old one); the
    // position that HandleScroll sets is the one it keeps.
    if (HandleScroll(ScrollCodeOf(action), bar.sliderPosition())) {
        RecalcLayout();
    }
}

void CScrollCustomCtrl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    RecalcLayout();
}

void CScrollCustomCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), controls::ButtonFaceColor(*this));
    painter.setPen(controls::WindowFrameColor(*this));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

bool CScrollCustomCtrl::OnMouseWheel(const QWheelEvent& event)
{
    const int delta = event.angleDelta().y();
    if (delta == 0) {
        return false;
    }
    const ScrollCode code = delta < 0 ? ScrollCode::LineDown : ScrollCode::LineUp;
    if (HandleScroll(code, 0)) {
        RecalcLayout();
    }
    return true;
}

void CScrollCustomCtrl::wheelEvent(QWheelEvent* event)
{
    event->setAccepted(OnMouseWheel(*event));
}

bool CScrollCustomCtrl::eventFilter(QObject* watched, QEvent* event)
{
    // A wheel over a bar moves one line like a wheel anywhere else on the panel.
    if (event->type() == QEvent::Wheel && (watched == &m_wndHScroll || watched == &m_wndVScroll)) {
        OnMouseWheel(static_cast<QWheelEvent&>(*event));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
