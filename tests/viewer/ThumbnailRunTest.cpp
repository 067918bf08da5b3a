// The thumbnail run: each page of the mail decoded once into the cache and handed to the pane in
// list order, with its progress; failed pages as placeholders; a double click opening a page.
#include "tests/viewer/ThumbnailTestSupport.h"
#include "viewer/controls/ThumbDoubleClickEvent.h"
#include "viewer/pagewindow/PrintImageFrame.h"

#include <QProgressBar>
#include <QTest>

namespace {

struct SubPageCase
{
    std::string name;
    std::uint32_t letters;
    std::vector<std::uint32_t> pages;
    std::vector<std::uint32_t> subPages; // what each thumbnail shows
};

void PrintTo(const SubPageCase& c, std::ostream* os)
{
    *os << c.name;
}

const SubPageCase kSubPageCases[] = {
    {"FallingListCountsItsMissingPages", 5, {5, 4, 3}, {5, 4, 3}},
    {"RisingListShortOfItsBackPages", 2, {3, 4}, {3, 4}},
    {"RisingListOneShortIsComplete", 2, {1, 2, 3}, {1, 2, 3}},
    {"NeitherRisingNorFalling", 5, {2, 4}, {1, 3}},
};

class ThumbnailSubPageTest : public ThumbnailFixture,
                             public testing::WithParamInterface<SubPageCase>
{};

class ThumbnailRunTest : public ThumbnailFixture
{};

} // namespace

// Why: which sub-page a thumbnail shows follows from the smallest page the mail should have,
// and a second run (after switching views) shows exactly what the first showed, from the cache.
TEST_P(ThumbnailSubPageTest, ShowsTheSubPageTheListImpliesOnEveryRun)
{
    const SubPageCase& c = GetParam();
    CollectPages(c.pages);
    m_document->FindDetail(1)->nExpected = static_cast<std::int32_t>(c.letters);
    ASSERT_TRUE(m_document->StartThumbnailThread());
    QCoreApplication::processEvents();
    std::vector<const CBitmapData*> firstRun;
    for (std::size_t i = 0; i < c.subPages.size(); ++i) {
        firstRun.push_back(Button(i).m_pImage);
    }

    ASSERT_TRUE(m_document->StartThumbnailThread());
    QCoreApplication::processEvents();
    QStringList captions;
    for (const std::uint32_t page : c.pages) {
        captions.append(QString::number(page));
    }
    EXPECT_EQ(Captions(), captions);
    EXPECT_EQ(m_document->m_pPageCache->size(), c.pages.size());
    for (std::size_t i = 0; i < c.subPages.size(); ++i) {
        EXPECT_EQ(Button(i).m_pImage, firstRun[i]) << "decoded again: " << i;
        const auto expected = Decode(c.subPages[i], 120);
        ASSERT_TRUE(expected);
        EXPECT_TRUE(SamePixels(*Button(i).m_pImage, *expected->pBitmap)) << i;
    }
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ThumbnailSubPageTest, testing::ValuesIn(kSubPageCases),
                         [](const auto& info) { return info.param.name; });

// Why: the pane and the status bar follow the worker page by page: each thumbnail, then the
// count handled, then 0 at the end; a marked page carries the mark.
TEST_F(ThumbnailRunTest, PostsEachPageThenItsCountThenZero)
{
    CollectPages({1, 2, 3});
    const FrameEventLog log(m_frame);
    ASSERT_TRUE(m_document->StartThumbnailThread());
    QCoreApplication::processEvents();
    EXPECT_EQ(log.events, (std::vector<std::string>{"page 1", "count 1", "page 2", "count 2",
                                                    "page 3", "count 3", "count 0"}));
    EXPECT_EQ(m_frame->m_pProgressBar->maximum(), 3);
    EXPECT_EQ(m_frame->m_pProgressBar->value(), 0);
    ASSERT_EQ(Captions(), (QStringList{"1", "2", "3"}));
    ASSERT_NE(m_document->m_pThumbOverlayIcon, nullptr);
    EXPECT_EQ(Button(0).m_pOverlayIcon, m_document->m_pThumbOverlayIcon.get());
    EXPECT_EQ(Button(1).m_pOverlayIcon, nullptr);
    // The window was never disabled for good.
    EXPECT_TRUE(m_frame->isEnabled());
}

// Why: a mail without pages posts only the end of the run, and empties the pane of the last
// mail's thumbnails.
TEST_F(ThumbnailRunTest, EmptyListPostsOnlyTheEnd)
{
    CollectPages({1, 2});
    ASSERT_TRUE(m_document->StartThumbnailThread());
    QCoreApplication::processEvents();
    CollectPages({});
    const FrameEventLog log(m_frame);
    EXPECT_TRUE(m_document->StartThumbnailThread());
    QCoreApplication::processEvents();
    EXPECT_EQ(log.events, std::vector<std::string>{"count 0"});
    EXPECT_TRUE(Captions().isEmpty());
}

// Why: a page the stream cannot give shows the placeholder with its number and no mark, is not
// cached (so the next run tries it again), and the run warns once for all of them.
TEST_F(ThumbnailRunTest, FailedPagesArePlaceholdersNotCachedWithOneWarning)
{
    CollectPages({1, 2, 9, 10}); // the mail's page holds six sub-pages
    const FrameEventLog log(m_frame);
    EXPECT_FALSE(m_document->StartThumbnailThread());
    QCoreApplication::processEvents();
    EXPECT_EQ(log.events,
              (std::vector<std::string>{"page 1", "count 1", "page 2", "count 2", "page 9 none",
                                        "count 3", "page 10 none", "count 4", "count 0"}));
    EXPECT_EQ(m_boxes.Codes(), QStringList{"05002"});
    EXPECT_EQ(m_document->m_pPageCache->size(), 2U);
    ASSERT_EQ(Captions(), (QStringList{"1", "2", "9", "10"}));
    EXPECT_EQ(Button(2).m_pImage, m_document->m_pPlaceholderThumb.get());
    EXPECT_EQ(Button(2).m_pOverlayIcon, nullptr);

    EXPECT_FALSE(m_document->StartThumbnailThread());
    EXPECT_EQ(m_boxes.Codes(), (QStringList{"05002", "05002"}));
}

// Why: a double click on a thumbnail opens that page at full size, the placeholder's too; a
// caption that is no page number fails with 05003 instead of opening another page.
TEST_F(ThumbnailRunTest, DoubleClickOpensThePageAtFullSize)
{
    CollectPages({1, 2, 3, 9});
    EXPECT_FALSE(m_document->StartThumbnailThread()); // 9 is not in the stream
    QCoreApplication::processEvents();
    ASSERT_EQ(Captions().size(), 4);

    QTest::mouseDClick(&Button(2), Qt::LeftButton);
    EXPECT_EQ(m_document->m_nPageToOpen, 3U);
    ASSERT_TRUE(m_document->m_pPrintImage);
    const auto expected = Decode(3, -1);
    ASSERT_TRUE(expected);
    EXPECT_TRUE(SamePixels(*m_document->m_pPrintImage->pBitmap, *expected->pBitmap));
    // The page window takes the main window's place until it closes.
    ASSERT_NE(g_pPrintImageFrame, nullptr);
    EXPECT_TRUE(g_pPrintImageFrame->isVisible());
    EXPECT_FALSE(m_frame->isVisible());
    g_pPrintImageFrame->close();
    EXPECT_TRUE(m_frame->isVisible());
    EXPECT_FALSE(m_document->m_pPrintImage);

    QTest::mouseDClick(&Button(3), Qt::LeftButton);
    EXPECT_EQ(m_document->m_nPageToOpen, 9U);
    EXPECT_FALSE(m_document->m_pPrintImage);
    for (const char* text : {"x3", "4294967299", "0"}) {
        ThumbDoubleClickEvent click{QString::fromLatin1(text)};
        QCoreApplication::sendEvent(m_frame, &click);
        EXPECT_EQ(m_document->m_nPageToOpen, 0U) << text;
        EXPECT_FALSE(m_document->m_pPrintImage) << text;
    }
    EXPECT_EQ(m_boxes.Codes(), (QStringList{"05002", "05003", "05003", "05003", "05003"}));
}

// Why: people judge the pane from this picture: the detail view with its pane full of
// thumbnails in page order, some marked, one placeholder for a page the stream lacks.
TEST_F(ThumbnailRunTest, ScreenshotOfTheDetailViewWithItsPane)
{
    m_frame->resize(1100, 720);
    CollectPages({5, 4, 3, 2, 1, 6, 12});
    EXPECT_FALSE(m_document->StartThumbnailThread());
    // Marks as the stream may set them on any page; the next run takes the records as cached.
    for (const std::uint32_t page : {3U, 6U}) {
        m_document->m_pPageCache->at(page)->bMarked = true;
    }
    EXPECT_FALSE(m_document->StartThumbnailThread());
    QCoreApplication::processEvents();
    ASSERT_EQ(Captions(), (QStringList{"5", "4", "3", "2", "1", "6", "12"}));
    SaveScreenshot(*m_frame, QStringLiteral("MainFrame_MailDetail_Thumbnails"));
    SaveScreenshot(*m_frame->m_wndFlowBar, QStringLiteral("ThumbnailPane_Mail1"));
}
