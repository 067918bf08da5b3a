#include "viewer/controls/PanelLayout.h"

#include <algorithm>
#include <utility>

namespace controls {

LayoutRect InsetNormalized(const LayoutRect& rect, int inset)
{
    LayoutRect result{rect.left + inset, rect.top + inset, rect.right - inset, rect.bottom - inset};
    if (result.left > result.right) {
        std::swap(result.left, result.right);
    }
    if (result.top > result.bottom) {
        std::swap(result.top, result.bottom);
    }
    return result;
}

int CalcFlowLayout(int layoutMode, int clientWidth, int clientHeight, int vBarWidth,
                   std::span<FlowItem> items)
{
    LayoutRect area = InsetNormalized({0, 0, clientWidth, clientHeight}, 1);
    if (layoutMode == kLayoutRow) {
        int x = area.left;
        for (FlowItem& item : items) {
            item.x = x;
            item.y = area.top;
            x += item.cx;
        }
        return x - area.left;
    }

    area.right -= vBarWidth;
    // A row closes when the next component's right edge passes the area's width (not its
    // right edge), so rows end a pixel short; a row's first component is placed however wide.
    const int width = area.right - area.left;
    int x = area.left;
    int y = area.top;
    int rowHeight = 0;
    int total = 0;
    for (FlowItem& item : items) {
        if (x != area.left && x + item.cx > width) {
            y += rowHeight;
            total += rowHeight;
            rowHeight = 0;
            x = area.left;
        }
        item.x = x;
        item.y = y;
        rowHeight = std::max(rowHeight, item.cy);
        x += item.cx;
    }
    return total + rowHeight;
}

int ScrollLimit(const ScrollState& state)
{
    return state.max - std::max(state.page - 1, 0);
}

int RequestedScrollPosition(ScrollCode code, const ScrollState& state, int thumbPos)
{
    const int limit = ScrollLimit(state);
    const int pos = state.pos;
    switch (code) {
    case ScrollCode::LineUp:
        return pos > state.min ? pos - kScrollLine : pos;
    case ScrollCode::LineDown:
        return pos < limit ? pos + kScrollLine : pos;
    case ScrollCode::PageUp:
        return pos > state.min ? std::max(state.min, pos - state.page) : pos;
    case ScrollCode::PageDown:
        return pos < limit ? std::min(limit, pos + state.page) : pos;
    case ScrollCode::ThumbPosition:
    case ScrollCode::ThumbTrack:
        return thumbPos;
    case ScrollCode::Top:
        return state.min;
    case ScrollCode::Bottom:
        return state.max;
    case ScrollCode::EndScroll:
        break;
    }
    return pos;
}

} // namespace controls
