// The arithmetic of the scrolling panel and its flow layout, apart from any window, so that it
// can be checked on its own. Rectangles follow the platform's rule: right and bottom are
// exclusive.
#pragma once

#include <span>

namespace controls {

// 1: rows wrapped to the panel's width, scrolling vertically; 0: one row, scrolling
// horizontally. The flow layout treats any value other than 0 as 1.
constexpr int kLayoutRow = 0;
constexpr int kLayoutFlow = 1;

// Distance between a line step's positions, in pixels.
constexpr int kScrollLine = 20;

struct LayoutRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The rectangle shrunk by `inset` on every side, with left <= right and top <= bottom.
LayoutRect InsetNormalized(const LayoutRect& rect, int inset);

// One component: its size in, its place in the panel's content coordinates out.
struct FlowItem
{
    int cx = 0;
    int cy = 0;
    int x = 0;
    int y = 0;
};

// Places the items, in order, inside a client area of the given size less a 1-pixel margin,
// less `vBarWidth` at the right in flow mode (0 while the vertical bar is hidden). Returns the
// content's extent along the scrolling direction (0 without items).
int CalcFlowLayout(int layoutMode, int clientWidth, int clientHeight, int vBarWidth,
                   std::span<FlowItem> items);

// The platform's scroll requests; the left/right ones share the codes of up/down.
enum class ScrollCode
{
    LineUp,
    LineDown,
    PageUp,
    PageDown,
    ThumbPosition,
    ThumbTrack,
    Top,
    Bottom,
    EndScroll,
};

// A scroll bar as the platform keeps it: the range min..max, the page (the visible part) and
// the position, which stays between min and the scroll limit.
struct ScrollState
{
    int min = 0;
    int max = 0;
    int page = 0;
    int pos = 0;
};

// The highest position a bar takes: max - page + 1 (max itself for a page of 0).
int ScrollLimit(const ScrollState& state);

// The position a request asks for, before the bar clamps it into its range.
int RequestedScrollPosition(ScrollCode code, const ScrollState& state, int thumbPos);

} // namespace controls
