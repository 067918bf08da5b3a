// The page-image cache against the pane that shows it, and the full-size page with its turns.
#include "tests/viewer/ThumbnailTestSupport.h"
#include "viewer/document/OpenLogPipeline.h"

#include <ctime>
#include <functional>

namespace {

struct DropCase
{
    std::string name;
    std::function<void(ThumbnailFixture&, CPYRNDoc&)> drop;
};

void PrintTo(const DropCase& c, std::ostream* os)
{
    *os << c.name;
}

class PageImageCacheTest : public ThumbnailFixture
{
public:
    void Reopen()
    {
        // A second open within the same second needs a temporary folder of another name.
        std::time_t now = std::time(nullptr) + 10;
        const TempFolderClock previous = SetTempFolderClock([&now] { return now++; });
        EXPECT_TRUE(
            m_document->OnOpenDocument(QString::fromStdString(m_scratch / "job/SampleJob.zip")));
        SetTempFolderClock(previous);
    }
};

class PageImageCacheDropTest : public PageImageCacheTest,
                               public testing::WithParamInterface<DropCase>
{};

const DropCase kDropCases[] = {
    {"AnotherMail",
     [](ThumbnailFixture&, CPYRNDoc& document) {
         document.FreeMailPageList();
         document.ResetPageImageCache(true);
     }},
    {"AnotherLog",
     [](ThumbnailFixture& test, CPYRNDoc&) { static_cast<PageImageCacheTest&>(test).Reopen(); }},
    {"LogCleared", [](ThumbnailFixture&, CPYRNDoc& document) { document.ClearLoadedData(); }},
};

} // namespace

// Why: thumbnails point into the cache; whenever the cache goes, the pane is emptied in the same
// step, so no paint (a message box's, any event loop's) ever reads a freed picture, and a
// thumbnail still on its way for the old pictures never lands. Meant for the sanitizer build.
TEST_P(PageImageCacheDropTest, PaneIsEmptiedWithTheCache)
{
    CollectPages({1, 2, 3, 4, 5, 6});
    ASSERT_TRUE(m_document->StartThumbnailThread());
    QCoreApplication::processEvents();
    ASSERT_EQ(Panel().m_components.size(), 6U);
    const tagDORNPAGEIMGINFO* record = m_document->m_pPageCache->at(1).get();
    QCoreApplication::postEvent(m_frame, new AddThumbnailEvent(1, record));
    Panel().m_wndVScroll.setValue(Panel().m_wndVScroll.maximum());

    GetParam().drop(*this, *m_document);
    // Another log that opens while the detail view shows refills the pane with its own pages.
    EXPECT_TRUE(PaneShowsOnlyLiveImages());
    if (GetParam().name != "AnotherLog") {
        EXPECT_TRUE(Panel().m_components.empty());
        EXPECT_EQ(Panel().m_wndVScroll.value(), 0);
    }
    m_frame->grab();
    QCoreApplication::processEvents();
    EXPECT_TRUE(PaneShowsOnlyLiveImages());
    m_frame->grab();
}

INSTANTIATE_TEST_SUITE_P(Cases, PageImageCacheDropTest, testing::ValuesIn(kDropCases),
                         [](const auto& info) { return info.param.name; });

// Why: turning the page keeps its size in millimetres; only the displayed size follows the
// rotation, and two turns the same way give 180 degrees without a swap.
TEST_F(PageImageCacheTest, TurnsChangeTheRotationNotThePageSize)
{
    CollectPages({1, 2, 3});
    m_document->m_nPageToOpen = 2;
    ASSERT_TRUE(m_document->LoadPrintImage());
    const tagDORNPAGEIMGINFO& page = *m_document->m_pPrintImage;
    const QSize size(page.nWidth, page.nHeight);
    const QSize pixels(page.pBitmap->m_nWidth, page.pBitmap->m_nHeight);
    ASSERT_EQ(m_document->GetPrintImageSize(), size);

    struct Turn
    {
        bool right;
        int rotation;
    };
    for (const Turn turn :
         {Turn{true, 90}, Turn{true, 180}, Turn{false, 90}, Turn{false, 0}, Turn{false, 270}}) {
        ASSERT_TRUE(m_document->RotatePageImage(turn.right, nullptr));
        const bool swapped = turn.rotation % 180 != 0;
        EXPECT_EQ(page.nRotation, turn.rotation);
        EXPECT_EQ(QSize(page.nWidth, page.nHeight), size);
        EXPECT_EQ(m_document->GetPrintImageSize(), swapped ? size.transposed() : size);
        EXPECT_EQ(QSize(page.pBitmap->m_nWidth, page.pBitmap->m_nHeight),
                  swapped ? pixels.transposed() : pixels);
    }
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

// Why: a page that cannot be opened (below the mail's smallest page, 0 from a bad caption, a
// sub-page the stream lacks) fails with 05003 and leaves no page; a turn without a page fails
// with 05004.
TEST_F(PageImageCacheTest, PagesThatDoNotFitFailWithoutWrapping)
{
    CollectPages({2, 4}); // neither rising nor falling: the smallest page stays 2
    for (const std::uint32_t page : {1U, 0U, 0xFFFFFFFFU, 9U}) {
        m_document->m_nPageToOpen = page;
        EXPECT_FALSE(m_document->LoadPrintImage()) << page;
        EXPECT_FALSE(m_document->m_pPrintImage) << page;
    }
    EXPECT_EQ(m_boxes.Codes(), (QStringList{"05003", "05003", "05003", "05003"}));
    EXPECT_EQ(m_document->GetPrintImageSize(), QSize(0, 0));
    EXPECT_FALSE(m_document->RotatePageImage(true, nullptr));
    EXPECT_EQ(m_boxes.Codes().back(), "05004");

    m_document->m_nPageToOpen = 4;
    ASSERT_TRUE(m_document->LoadPrintImage());
    const auto expected = Decode(3, -1);
    ASSERT_TRUE(expected);
    EXPECT_TRUE(SamePixels(*m_document->m_pPrintImage->pBitmap, *expected->pBitmap));
}
