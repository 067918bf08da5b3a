// The page window's arithmetic: the zoom ladder, the page's size and place at a zoom, the
// mapping of tenths of a millimetre onto the display, the window's place in the work area.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>
#include <climits>
#include <cstdint>

namespace PrintImageGeometry {

inline constexpr int kMinZoom = 50;
inline constexpr int kMaxZoom = 500;
inline constexpr int kZoomStep = 50;
// Document zooms below kMinZoom that name a fit instead of a percentage.
inline constexpr int kFitPage = 0;
inline constexpr int kFitWidth = 1;
inline constexpr int kMargin = 20; // pixels on every side of the page
inline constexpr int kTenthsPerInch = 254;
// A zoomed page side is held below this, so that the scroll size (the page and both margins)
// and every device coordinate fit an int however large a page header claims the page to be.
inline constexpr std::int64_t kMaxZoomedSize = INT_MAX - 2 * kMargin;

struct Resolution
{
    int x = 96; // dots per inch
    int y = 96;
};

// a x b / c, rounded to the nearest integer, halves away from zero; 0 when c is 0.
std::int64_t MulDiv(std::int64_t a, std::int64_t b, std::int64_t c);

// The zoom that a request one step (50) away from `current` lands on: a step goes to the next
// rung of 50, 100, 200, 300, 400, 500 in its direction (and stays at the ends). Any other
// request stands as it is.
int SnapZoomStep(int current, int request);

// The zoom in percent to draw at, 50..500: the document's zoom as it stands, or for the fits
// the largest that shows the whole page (kFitPage) or its width (kFitWidth) within `client`
// less the margins. 50 for a fit of an empty page. Page sizes are in tenths of a millimetre as
// shown (turned); a negative side counts as 0 here and below.
int CalcZoomPercent(int documentZoom, QSize client, QSize page, Resolution dpi);

// The page's size in pixels at `zoomPercent`, each side at most kMaxZoomedSize.
QSize ZoomedPageSize(QSize page, int zoomPercent, Resolution dpi);

// What the view scrolls over: the zoomed page and its margins; (1, 1) when the whole page
// fits (kFitPage), a width of 1 when the width fits (kFitWidth).
QSize CalcScrollSize(int documentZoom, int zoomPercent, QSize page, Resolution dpi);

// Where the page's top-left corner lies on the view: scrolled along an axis that has a scroll
// bar, else centred; the margin added in both.
QPoint CalcPageOrigin(QPoint scrollPosition, bool horizontalBar, bool verticalBar, QSize client,
                      QSize zoomedPage);

// The divisor that maps tenths of a millimetre at `zoomPercent` onto dots per inch: one unit
// is a tenth of a millimetre at 100 % (254 units an inch), rounded as a whole number.
int WindowExtent(int zoomPercent);

// A rectangle on the view in 64 bits (right and bottom exclusive), which a huge page's
// edges may leave far behind.
struct DeviceRect
{
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = 0;
    std::int64_t bottom = 0;

    std::int64_t Width() const { return right - left; }
    std::int64_t Height() const { return bottom - top; }
    // The part inside `area`, empty when none.
    QRect Intersected(const QRect& area) const;
};

// The mapping of the page's tenths of a millimetre onto the view at one zoom.
struct PageMapping
{
    int extent = kTenthsPerInch; // WindowExtent of the zoom
    Resolution dpi;
    QPoint origin;

    // The page's rectangle (0, 0)-(W, H) on the view; each side at most kMaxZoomedSize.
    DeviceRect PageRect(QSize page) const;
    // The four sides of a frame of `penWidth` units drawn centred on the page's edges: left,
    // top, right, bottom; each at least one pixel thick.
    std::array<DeviceRect, 4> FrameSides(QSize page, int penWidth) const;
};

// The top-left corner of a `window` centred in `work`.
QPoint CentredPosition(const QRect& work, QSize window);

} // namespace PrintImageGeometry
