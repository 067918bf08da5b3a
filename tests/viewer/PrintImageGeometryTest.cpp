// Why: the page window's zoom steps, scroll ranges and page placement are plain arithmetic
// that users feel at once when it is off by a rung or a pixel, and that hostile page sizes
// must not overflow.
#include "viewer/pagewindow/PrintImageGeometry.h"

#include <gtest/gtest.h>

using namespace PrintImageGeometry;

namespace {

const QSize kA4(2100, 2970); // tenths of a millimetre

TEST(PrintImageGeometryTest, ZoomStepsClimbAndDescendTheLadder)
{
    struct Step
    {
        int current;
        int request;
        int result;
    };
    const Step steps[] = {
        // Up from every rung, and at the top.
        {50, 100, 100},
        {100, 150, 200},
        {200, 250, 300},
        {300, 350, 400},
        {400, 450, 500},
        {500, 550, 500},
        // Down from every rung, and at the bottom.
        {500, 450, 400},
        {400, 350, 300},
        {300, 250, 200},
        {200, 150, 100},
        {100, 50, 50},
        {50, 0, 50},
        // From dragged values between the rungs.
        {175, 225, 200},
        {175, 125, 100},
        {250, 300, 300},
        {250, 200, 200},
        {75, 125, 100},
        {75, 25, 50},
        {450, 500, 500},
        {450, 400, 400},
        // A drag sample exactly one step away is a step; any other request stands.
        {100, 150, 200},
        {100, 149, 149},
        {100, 175, 175},
        {300, 120, 120},
        {300, 300, 300},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(SnapZoomStep(s.current, s.request), s.result)
            << "from " << s.current << " asked " << s.request;
    }
}

TEST(PrintImageGeometryTest, ScrollSizeOfAnA4PageAtEachZoomAndResolution)
{
    struct Case
    {
        int zoom;
        Resolution dpi;
        QSize size;
    };
    const Case cases[] = {
        // 96 dpi: the page is 794 x 1123 pixels at 100 %.
        {50, {96, 96}, {397 + 40, 561 + 40}},
        {100, {96, 96}, {794 + 40, 1123 + 40}},
        {500, {96, 96}, {3970 + 40, 5615 + 40}},
        // 120 dpi: 992 x 1403 at 100 %.
        {50, {120, 120}, {496 + 40, 701 + 40}},
        {100, {120, 120}, {992 + 40, 1403 + 40}},
        {500, {120, 120}, {4960 + 40, 7015 + 40}},
        // Out-of-range zooms are drawn clamped.
        {30, {96, 96}, {397 + 40, 561 + 40}},
        {900, {96, 96}, {3970 + 40, 5615 + 40}},
    };
    for (const Case& c : cases) {
        const int zoom = CalcZoomPercent(c.zoom, {800, 600}, kA4, c.dpi);
        EXPECT_EQ(CalcScrollSize(c.zoom, zoom, kA4, c.dpi), c.size)
            << c.zoom << " % at " << c.dpi.x << " dpi";
    }
}

TEST(PrintImageGeometryTest, FitModesStayReachableThoughNoControlAsksForThem)
{
    const Resolution dpi;
    // 834 x 1163 less the margins is 794 x 1123 pixels: the A4 page at 100 %, whole.
    EXPECT_EQ(CalcZoomPercent(kFitPage, {834, 1163}, kA4, dpi), 100);
    EXPECT_EQ(CalcZoomPercent(kFitPage, {1640, 1163}, kA4, dpi), 100); // the height decides
    EXPECT_EQ(CalcZoomPercent(kFitWidth, {1640, 1163}, kA4, dpi), 201);
    EXPECT_EQ(CalcZoomPercent(kFitPage, {100, 100}, kA4, dpi), 50);     // never below 50
    EXPECT_EQ(CalcZoomPercent(kFitWidth, {9000, 100}, kA4, dpi), 500);  // nor above 500
    EXPECT_EQ(CalcZoomPercent(kFitPage, {834, 1163}, {0, 0}, dpi), 50); // no page
    EXPECT_EQ(CalcScrollSize(kFitPage, 100, kA4, dpi), QSize(1, 1));
    EXPECT_EQ(CalcScrollSize(kFitWidth, 100, kA4, dpi), QSize(1, 1163));
}

TEST(PrintImageGeometryTest, PageIsCentredWhereItFitsAndScrolledWithAMarginWhereNot)
{
    const QSize zoomed(397, 561);
    // Fits both ways: centred, 20 pixels included.
    EXPECT_EQ(CalcPageOrigin({0, 0}, false, false, {1000, 800}, zoomed),
              QPoint((1000 - 437) / 2 + 20, (800 - 601) / 2 + 20));
    // Odd leftovers truncate.
    EXPECT_EQ(CalcPageOrigin({0, 0}, false, false, {438, 602}, zoomed), QPoint(20, 20));
    // Scrolled down by 100 with a vertical bar; still centred across.
    EXPECT_EQ(CalcPageOrigin({0, 100}, false, true, {1000, 300}, zoomed),
              QPoint((1000 - 437) / 2 + 20, -80));
    // At the end of both ranges the far margins are 20 pixels too.
    const QSize client(300, 200);
    const QPoint end(437 - 300, 601 - 200);
    const QPoint origin = CalcPageOrigin(end, true, true, client, zoomed);
    EXPECT_EQ(client.width() - (origin.x() + zoomed.width()), 20);
    EXPECT_EQ(client.height() - (origin.y() + zoomed.height()), 20);
}

TEST(PrintImageGeometryTest, HostilePageSizesAreClampedToWhatAScrollRangeHolds)
{
    // Sizes no page has: the largest header value, and a negative one, at the largest zoom and
    // a high resolution.
    const QSize size(INT_MAX, -5);
    const Resolution dpi{600, 600};
    const QSize scroll = CalcScrollSize(500, 500, size, dpi);
    EXPECT_EQ(scroll, QSize(INT_MAX, 40));
    EXPECT_EQ(CalcZoomPercent(kFitWidth, {800, 600}, size, dpi), 50);

    // The drawn page and its frame stay in 64 bits, far corners included.
    PageMapping mapping;
    mapping.extent = WindowExtent(500);
    mapping.dpi = dpi;
    mapping.origin = {-2000000000, 1000};
    const DeviceRect rect = mapping.PageRect({INT_MAX, INT_MAX});
    EXPECT_EQ(rect.Width(), kMaxZoomedSize);
    EXPECT_EQ(rect.Height(), kMaxZoomedSize);
    EXPECT_GT(rect.bottom, INT_MAX); // beyond an int, yet intersects as one
    EXPECT_EQ(rect.Intersected({0, 0, 100, 2000}), QRect(0, 1000, 100, 1000));
    for (const DeviceRect& side : mapping.FrameSides({INT_MAX, INT_MAX}, 4)) {
        EXPECT_GT(side.Width(), 0);
        EXPECT_GT(side.Height(), 0);
    }
}

TEST(PrintImageGeometryTest, RoundedExtentDrawsSomeZoomsSlightlyOffTheScrollSize)
{
    // 25400 / 300 is not whole: the extent 85 draws the page about 0.4 % smaller than the
    // 2382 pixels the scroll size assumes; at 150 the extent 169 draws it a little larger.
    PageMapping mapping;
    mapping.extent = WindowExtent(300);
    EXPECT_EQ(mapping.extent, 85);
    EXPECT_EQ(mapping.PageRect(kA4).Width(), 2372);
    EXPECT_EQ(ZoomedPageSize(kA4, 300, {}).width(), 2382);
    mapping.extent = WindowExtent(150);
    EXPECT_EQ(mapping.extent, 169);
    EXPECT_EQ(mapping.PageRect(kA4).Width(), 1193);
    EXPECT_EQ(ZoomedPageSize(kA4, 150, {}).width(), 1191);
}

TEST(PrintImageGeometryTest, FrameIsFourUnitsCentredOnThePageEdges)
{
    PageMapping mapping; // 100 % at 96 dpi: 4 units are 2 pixels
    mapping.origin = {20, 20};
    const auto sides = mapping.FrameSides(kA4, 4);
    // left, top, right, bottom; the page spans 20..814 x 20..1143.
    EXPECT_EQ(sides[0].left, 19);
    EXPECT_EQ(sides[0].right, 21);
    EXPECT_EQ(sides[1].top, 19);
    EXPECT_EQ(sides[1].bottom, 21);
    EXPECT_EQ(sides[2].left, 813);
    EXPECT_EQ(sides[2].right, 815);
    EXPECT_EQ(sides[3].top, 1142);
    EXPECT_EQ(sides[3].bottom, 1144);
    // At 50 % the frame thins to one pixel, never to none.
    mapping.extent = WindowExtent(50);
    EXPECT_EQ(mapping.FrameSides(kA4, 4)[0].Width(), 1);
}

TEST(PrintImageGeometryTest, WindowIsCentredInTheWorkArea)
{
    EXPECT_EQ(CentredPosition({0, 0, 1920, 1040}, {500, 700}), QPoint(710, 170));
    EXPECT_EQ(CentredPosition({100, 30, 1001, 801}, {500, 700}), QPoint(100 + 250, 30 + 50));
    // A window larger than the work area sticks out evenly (truncating toward zero).
    EXPECT_EQ(CentredPosition({0, 0, 800, 600}, {1001, 700}), QPoint(-100, -50));
}

} // namespace
