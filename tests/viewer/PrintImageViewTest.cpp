// Why: what the page view shows is the page's area average at the zoom, placed with its
// margins and frame; a seam, an off-by-one placement or a wrong colour order is what users see.
#include "viewer/pagewindow/PrintImageView.h"

#include "formats/image/Stretch.h"
#include "tests/ScratchFolder.h"
#include "tests/viewer/PrintImageTestSupport.h"
#include "tests/viewer/ViewerTestSupport.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/pagewindow/PrintImageFrame.h"
#include "viewer/pagewindow/PrintImageGeometry.h"
#include "viewer/pagewindow/PrintImageWindow.h"

#include <QImage>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace PrintImageGeometry;

namespace {

class PrintImageViewTest : public ::testing::Test
{
protected:
    PrintImageViewTest()
    {
        m_document.m_pPrintImage = MakeSyntheticPage(620, 877);
        m_document.m_nPageToOpen = 3;
        m_frame = CreatePrintImageWindow(m_document);
    }
    ~PrintImageViewTest() override
    {
        if (m_frame) {
            m_frame->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    PrintImageView& View() { return *m_frame->GetView(); }
    Resolution Dpi() { return {View().logicalDpiX(), View().logicalDpiY()}; }
    void Zoom(int zoom)
    {
        m_frame->SetZoom(zoom);
        ASSERT_EQ(m_document.m_nZoom, zoom);
    }
    // The view's pixels as the window shows them (what was moved by scrolling included),
    // once the pending paints are done.
    QImage Shown()
    {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_frame));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const QPoint at = View().viewport()->mapTo(m_frame, QPoint(0, 0));
        const QSize size = View().viewport()->size();
        return m_frame->screen()
            ->grabWindow(m_frame->winId(), at.x(), at.y(), size.width(), size.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    CPYRNDoc m_document;
    QPointer<PrintImageFrame> m_frame;
};

TEST_F(PrintImageViewTest, ScrollSizeFollowsZoomTurnsAndTheReportedResolution)
{
    ASSERT_TRUE(m_frame);
    for (const int zoom : {50, 100, 500}) {
        Zoom(zoom);
        EXPECT_EQ(View().ScrollSize(), CalcScrollSize(zoom, zoom, {2100, 2970}, Dpi())) << zoom;
        EXPECT_EQ(View().m_nEffectiveZoom, zoom);
    }
    if (Dpi().x == 96 && Dpi().y == 96) {
        EXPECT_EQ(View().ScrollSize(), QSize(4010, 5655)); // 3970 x 5615 and the margins
    }
    const QSize upright = View().ScrollSize();
    for (const int rotation : {90, 180, 270, 0}) {
        m_document.m_pPrintImage->nRotation = rotation;
        m_document.UpdateAllViews(nullptr, UpdateHint::kPageImage);
        EXPECT_EQ(View().ScrollSize(), rotation % 180 != 0 ? upright.transposed() : upright)
            << rotation;
    }
}

TEST_F(PrintImageViewTest, SmallPageIsCentredWithItsFrameOnTheShadowBackground)
{
    ASSERT_TRUE(m_frame);
    Zoom(50);
    m_frame->resize(1200, 1000);
    // It fits: once the layout has settled, no scroll bars.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return View().viewport()->width() > 1000 && !View().horizontalScrollBar()->isVisible() &&
               !View().verticalScrollBar()->isVisible();
    }));
    const QSize client = View().viewport()->size();
    const QSize zoomed = ZoomedPageSize({2100, 2970}, 50, Dpi());
    const QPoint origin = View().CalcPageOrigin();
    EXPECT_EQ(origin, QPoint((client.width() - zoomed.width() - 40) / 2 + 20,
                             (client.height() - zoomed.height() - 40) / 2 + 20));

    const QImage shown = Shown();
    const QRgb shadow = View().palette().color(QPalette::Dark).rgb();
    EXPECT_EQ(shown.pixel(origin.x() - 20, origin.y() - 20), shadow);
    EXPECT_EQ(shown.pixel(origin.x(), origin.y() + 100), qRgb(0, 0, 0)); // the frame
    EXPECT_EQ(shown.pixel(origin.x() + zoomed.width() / 2, origin.y()), qRgb(0, 0, 0));
}

// The page's pixels in view `shown` against the whole page stretched onto its drawn size.
void ExpectWholeStretch(const QImage& shown, const CBitmapData& page, const DeviceRect& drawn)
{
    CBitmapData whole;
    ASSERT_TRUE(
        whole.Create(static_cast<int>(drawn.Width()), static_cast<int>(drawn.Height()), 24));
    ASSERT_TRUE(formats::StretchHalftone(page, whole));
    const QRect inner = drawn.Intersected(shown.rect()).adjusted(4, 4, -4, -4); // frame aside
    ASSERT_FALSE(inner.isEmpty());
    int mismatches = 0;
    for (int y = inner.top(); y <= inner.bottom(); ++y) {
        const std::uint8_t* row = whole.m_pBits + (y - drawn.top) * whole.m_nStride;
        for (int x = inner.left(); x <= inner.right(); ++x) {
            const std::uint8_t* p = row + 3 * (x - drawn.left);
            mismatches += shown.pixel(x, y) != qRgb(p[2], p[1], p[0]);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(PrintImageViewTest, DrawnPageIsTheWholeStretchAtEveryScrollPosition)
{
    ASSERT_TRUE(m_frame);
    m_frame->resize(700, 600);
    for (const int zoom : {50, 200}) {
        Zoom(zoom);
        const QImage shown = Shown();
        const DeviceRect drawn = View().OnPrepareDC().PageRect({2100, 2970});
        ExpectWholeStretch(shown, *m_document.m_pPrintImage->pBitmap, drawn);
    }
    // Scrolled pieces are moved and the uncovered strips drawn anew: still no seam.
    for (const QPoint to : {QPoint(37, 411), QPoint(300, 95), QPoint(1, 1000)}) {
        View().horizontalScrollBar()->setValue(to.x());
        View().verticalScrollBar()->setValue(to.y());
        const QImage shown = Shown();
        const DeviceRect drawn = View().OnPrepareDC().PageRect({2100, 2970});
        ExpectWholeStretch(shown, *m_document.m_pPrintImage->pBitmap, drawn);
    }
}

TEST_F(PrintImageViewTest, ViewWithoutAPageFillsItsBackgroundOnly)
{
    ASSERT_TRUE(m_frame);
    m_document.m_pPrintImage.reset();
    m_document.UpdateAllViews(nullptr, UpdateHint::kPageImage);
    const QImage shown = Shown();
    const QRgb shadow = View().palette().color(QPalette::Dark).rgb();
    EXPECT_EQ(shown.pixel(0, 0), shadow);
    EXPECT_EQ(shown.pixel(shown.width() / 2, shown.height() / 2), shadow);
    EXPECT_EQ(View().ScrollSize(), QSize(40, 40));
}

TEST(PrintImageScreenshotTest, DecodedPageAtFiftyAndTurnedAtTwoHundred)
{
    // The sample page decoded as the viewer decodes it, at 150 dots per inch.
    ScratchFolder folder("PrintImageScreenshot");
    CPYRNDoc document;
    document.m_pPrintImage = DecodeSamplePage(folder / "job.prn", 150);
    ASSERT_TRUE(document.m_pPrintImage);
    document.m_nPageToOpen = 1;
    QPointer<PrintImageFrame> frame = CreatePrintImageWindow(document);
    ASSERT_TRUE(frame);
    frame->resize(640, 760);
    int zoom = 50;
    frame->SetZoom(zoom);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    QScrollBar* across = frame->GetView()->horizontalScrollBar();
    QScrollBar* down = frame->GetView()->verticalScrollBar();
    // The page fits: no scroll bars once the layout has settled.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !across->isVisible() && !down->isVisible(); }));
    SaveScreenshot(*frame, QStringLiteral("PrintImageWindow_50"));

    // What a right turn leaves: the bitmap turned and the rotation noted.
    auto& page = *document.m_pPrintImage;
    page.pBitmap = page.pBitmap->RotateRight(nullptr);
    ASSERT_TRUE(page.pBitmap);
    page.nRotation = 90;
    zoom = 200;
    frame->SetZoom(zoom);
    frame->resize(900, 700);
    // The far corner: the page's edge, its frame and the margin.
    EXPECT_TRUE(QTest::qWaitFor([&] { return across->isVisible() && down->isVisible(); }));
    across->setValue(across->maximum());
    down->setValue(down->maximum());
    SaveScreenshot(*frame, QStringLiteral("PrintImageWindow_200_turned90"));
    frame->close();
}

} // namespace
