#include "viewer/controls/CFlowPanel.h"

CFlowPanel::CFlowPanel(QWidget* parent) : CBasePanel(parent) {}

CFlowPanel::~CFlowPanel() = default;

int CFlowPanel::CalcLayout()
{
    const std::size_t count = m_components.size();
    m_items.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        m_items[i] = {m_components[i]->m_cx, m_components[i]->m_cy, 0, 0};
    }
    const int barWidth = m_wndVScroll.isHidden() ? 0 : ScrollBarExtent();
    const int extent =
        controls::CalcFlowLayout(m_nLayoutMode, width(), height(), barWidth, m_items);
    for (std::size_t i = 0; i < count; ++i) {
        m_components[i]->m_x = m_items[i].x;
        m_components[i]->m_y = m_items[i].y;
    }
    return extent;
}

int CFlowPanel::ScrollPosition()
{
    return m_nLayoutMode == controls::kLayoutRow ? m_wndHScroll.value() : m_wndVScroll.value();
}

void CFlowPanel::MoveComponents(int scrollPos)
{
    const bool row = m_nLayoutMode == controls::kLayoutRow;
    for (std::size_t i = 0; i < m_components.size(); ++i) {
        CComponentWnd& component = *m_components[i];
        std::int32_t& coordinate = row ? component.m_x : component.m_y;
        coordinate -= scrollPos;
        component.MoveToRect();
        coordinate += scrollPos;
    }
}

void CFlowPanel::RecalcLayout()
{
    CalcLayout();
    const int scrollPos = ScrollPosition();
    MoveComponents(scrollPos);
    PositionScrollBars();
    UpdateScrollBars();
    // The bar keeps its position within its new range; the components follow where it went.
    if (ScrollPosition() != scrollPos) {
        MoveComponents(ScrollPosition());
    }
    update();
}
