// Why: the mail detail view shows what happened to each sheet of one mail and decides which
// pages become thumbnails. Its cells and red rows must match the log, its page list must be
// the mail's pages once each in the order met, whatever the user sorts or filters later, and
// what it shows must never outlive or point into a log that has gone.
#include "tests/viewer/JobSummaryTestSupport.h"
#include "tools/SampleFolder.h"
#include "viewer/controls/CFlowBar.h"
#include "viewer/pagewindow/PrintImageFrame.h"

namespace {

using namespace listtest;

class JobDetailViewTest : public ListViewTest
{
protected:
    // Mail 5 (the first) with sheets of every tray and state; mail 6 with one sheet.
    static Log TwoMails(bool pageImages)
    {
        Log log;
        log.jobName = "Monthly statements";
        log.createdMails = 2;
        log.pageImages = pageImages;
        log.mails = {Mail(6, kMailKindNormal, kMailFinished, "2024/01/15 09:00:01", "1 / 1"),
                     Mail(5, kMailKindNormal, kMailError, "2024/01/15 09:00:02", "2 / 5", "E9")};
        log.details = {
            {5,
             "2 / 5",
             {Sheet(1, 1, kSheetStacked, "09:00:02", 3, 4),
              Sheet(2, 2, kSheetSuspended, "09:00:03", 4, 5),
              Sheet(3, 3, kSheetError, "09:00:04", 1, kNoNumber, "E9"),
              Sheet(4, 4, kSheetFed, "", 3, 3),
              Sheet(kNoNumber, 5, kSheetStacked, "09:00:06", kNoNumber, kNoNumber),
              Sheet(6, 6, kSheetStacked, "09:00:07", 8, 2)}},
            {6, "1 / 1", {Sheet(1, 1, kSheetStacked, "09:00:01", 9, 10)}},
        };
        return log;
    }
};

TEST_F(JobDetailViewTest, ShowsTheFirstMailAfterAnOpenWithEveryCellAndRedRows)
{
    Open(TwoMails(false));
    EXPECT_EQ(Document().m_nCurrentMailNo, 5u);
    EXPECT_EQ(DetailView().Control(1047)->text(), "Monthly statements");
    EXPECT_EQ(DetailView().Control(1048)->text(), "5");
    EXPECT_EQ(DetailView().Control(1049)->text(), "2 / 5");
    for (const auto& [label, string] : {std::pair{1044u, 140u}, {1045u, 166u}, {1046u, 170u}}) {
        EXPECT_EQ(DetailView().Control(label)->text(), ResourceModule::String(string));
    }

    const QString printed = ResourceModule::String(239);
    const QString suspend = ResourceModule::String(173);
    const QString error = ResourceModule::String(174);
    const struct
    {
        QStringList cells;
        bool red;
    } expected[] = {
        {{"1", ResourceModule::String(161), printed, "09:00:02", "3", "4"}, false},
        {{"2", ResourceModule::String(162), suspend, "09:00:03", "4", "5"}, true},
        {{"3", ResourceModule::String(163), error + "(E9)", "09:00:04", "1", ""}, true},
        {{"4", ResourceModule::String(164), "", "", "3", "3"}, true},
        {{"", ResourceModule::String(184), printed, "09:00:06", "", ""}, false},
        {{"6", "", printed, "09:00:07", "8", "2"}, false},
    };
    const std::vector<QStringList> rows = Rows(SheetList());
    ASSERT_EQ(rows.size(), std::size(expected));
    for (std::size_t row = 0; row < rows.size(); ++row) {
        EXPECT_EQ(rows[row], expected[row].cells) << row;
        for (int column = 0; column < ReportListCtrl::kColumns; ++column) {
            EXPECT_EQ(IsRed(SheetList(), static_cast<int>(row), column), expected[row].red)
                << row << " " << column;
        }
    }
    // The list starts below the form's texts, never above 120 pixels.
    EXPECT_GE(SheetList().geometry().top(), JobDetailView::kListTop);
    EXPECT_GE(SheetList().geometry().top(), DetailView().Control(1049)->geometry().bottom());
    // Without page images no page list is made and nothing warns.
    EXPECT_FALSE(Document().m_pMailPages);
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(JobDetailViewTest, PageListIsFrontBeforeBackInFirstAppearanceWhateverTheSortAndFilter)
{
    Open(TwoMails(true));
    const std::vector<std::uint32_t> pages = {3, 4, 5, 1, 8, 2};
    ASSERT_TRUE(Document().m_pMailPages);
    EXPECT_EQ(*Document().m_pMailPages, pages);

    theApp.ShowMailDetailView();
    ClickHeader(SheetList(), 4);
    EXPECT_EQ(Arrow(SheetList()), std::make_pair(4, false));
    // No page is the largest number.
    EXPECT_EQ(Column(SheetList(), 4), QStringList({"", "8", "4", "3", "3", "1"}));
    FilterDialogUser user([](ColumnFilterDialog& dialog) {
        FilterDialogUser::Toggle(dialog, 1); // the first front page, 1
        FilterDialogUser::Ok(dialog);
    });
    RightClickHeader(SheetList(), 4);
    EXPECT_EQ(Column(SheetList(), 4), QStringList({"", "8", "4", "3", "3"}));
    EXPECT_EQ(DetailView().GetIconColumn(), 4);
    EXPECT_TRUE(HasHeaderIcon(SheetList(), 4));
    EXPECT_EQ(*Document().m_pMailPages, pages);

    // A sort brings every sheet back and takes the icon away.
    ClickHeader(SheetList(), 0);
    EXPECT_EQ(SheetList().GetItemCount(), 6);
    EXPECT_EQ(DetailView().GetIconColumn(), -1);
    EXPECT_FALSE(HasHeaderIcon(SheetList(), 4));
    EXPECT_EQ(*Document().m_pMailPages, pages);
}

TEST_F(JobDetailViewTest, AHugeMailIsListedFilteredAndItsPagesCollectedInOnePass)
{
    // 100,000 sheets with 200,000 distinct pages and 50,000 excluded texts: a search per
    // sheet through the pages or the texts would not finish.
    constexpr std::uint32_t kSheets = 100000;
    Log log;
    log.pageImages = true;
    log.mails = {Mail(1, kMailKindNormal, kMailFinished, "2024/01/15 09:00:01", "1 / 1")};
    log.details = {{1, "1 / 1", {}}};
    for (std::uint32_t sheet = 1; sheet <= kSheets; ++sheet) {
        log.details[0].sheets.push_back(
            Sheet(sheet, 1, kSheetStacked, "09:00:01", 2 * sheet, 2 * sheet + 1));
    }
    Open(log);
    ASSERT_TRUE(Document().m_pMailPages);
    EXPECT_EQ(Document().m_pMailPages->size(), 2 * kSheets);
    EXPECT_EQ(Document().m_pMailPages->back(), 2 * kSheets + 1);

    Document().BuildSheetFilterCandidates(1, 0);
    Document().m_pSheetExcludedTexts = std::make_unique<std::vector<QString>>();
    for (std::uint32_t sheet = 2; sheet <= kSheets; sheet += 2) {
        Document().m_pSheetExcludedTexts->push_back(QString::number(sheet));
    }
    Document().UpdateAllViews(nullptr, UpdateHint::kSheetList);
    EXPECT_EQ(SheetList().GetItemCount(), static_cast<int>(kSheets / 2));
    EXPECT_EQ(SheetList().GetItemText(1, 0), "3");
}

TEST_F(JobDetailViewTest, WarnsOnceForEachMailWhoseLayoutCannotBeReadAndStillListsItsSheets)
{
    Open(TwoMails(true)); // no page-image stream: no layout can be read
    EXPECT_EQ(m_boxes.Codes(), QStringList({"05001"}));
    EXPECT_EQ(SheetList().GetItemCount(), 6);
    EXPECT_EQ(m_boxes.Boxes().back().kind, MessageKind::Warning);
    EXPECT_EQ(m_boxes.Boxes().back().text, ComposeMessageText(196, QStringLiteral("05001")));

    theApp.ShowMailDetailView();
    ClickHeader(SheetList(), 3); // a refresh of the same mail
    EXPECT_EQ(m_boxes.Codes().size(), 1);

    theApp.ShowMailListView();
    MailList().OpenMailDetail(0); // mail 6
    EXPECT_EQ(m_boxes.Codes(), QStringList({"05001", "05001"}));
    EXPECT_EQ(Column(SheetList(), 4), QStringList({"9"}));
    theApp.ShowMailListView();
    MailList().OpenMailDetail(0); // mail 6 again
    EXPECT_EQ(m_boxes.Codes().size(), 2);
    // The pane stays hidden: the page images are not ready.
    EXPECT_FALSE(theApp.GetMainFrame()->m_wndFlowBar->isVisible());
}

TEST_F(JobDetailViewTest, RowsOutliveTheRecordsAndALogWithoutTheMailLeavesNothing)
{
    Open(TwoMails(false));
    theApp.ShowMailDetailView();
    const std::vector<QStringList> before = Rows(SheetList());

    // The log goes before any refresh: the rows paint from their own copies, and the mail list
    // finds no mails rather than freed ones.
    Document().ClearLoadedData();
    SheetList().grab();
    MailList().grab();
    EXPECT_EQ(Rows(SheetList()), before);
    EXPECT_EQ(MailView().OnGetDispInfo(0, 4), QString());

    // A log whose details do not hold the mail shows no rows and no values of the last one.
    Log other = TwoMails(false);
    other.jobName = "Other job";
    other.details.clear();
    Open(other);
    EXPECT_EQ(SheetList().GetItemCount(), 0);
    EXPECT_EQ(DetailView().Control(1047)->text(), "Other job");
    EXPECT_EQ(DetailView().Control(1048)->text(), "");
    EXPECT_EQ(DetailView().Control(1049)->text(), "");
    other.details = {{99, "1 / 1", {Sheet(1, 1, kSheetStacked, "09:00:01", 1, 2)}}};
    Open(other);
    EXPECT_EQ(SheetList().GetItemCount(), 0);
    EXPECT_EQ(DetailView().Control(1048)->text(), "");
}

TEST_F(JobDetailViewTest, DoubleClickOnAPageNumberSetsThePageToOpen)
{
    Open(TwoMails(false));
    theApp.ShowMailDetailView();
    const struct
    {
        int row, column;
        std::uint32_t page;
    } clicks[] = {
        {0, 0, 0}, {0, 3, 0}, // not a page column
        {2, 5, 0},            // an empty back page
        {0, 4, 3}, {1, 5, 5}, // front and back
    };
    for (const auto& click : clicks) {
        Document().m_nPageToOpen = 0;
        DoubleClickCell(SheetList(), click.row, click.column);
        EXPECT_EQ(Document().m_nPageToOpen, click.page) << click.row << " " << click.column;
    }
    // No page images: nothing opens and the main window stays.
    EXPECT_FALSE(g_pPrintImageFrame);
    EXPECT_TRUE(theApp.GetMainFrame()->isVisible());
}

TEST_F(JobDetailViewTest, DoubleClickOnAPageOfAJobWithPageImagesOpensItsWindow)
{
    samplejob::SampleFolderOptions options;
    options.folder = m_scratch / "job";
    options.log.mails = 1;
    options.stream.resolution = 20;
    ASSERT_EQ(samplejob::WriteSampleFolder(options), 0);
    ASSERT_TRUE(
        Document().OnOpenDocument(QString::fromStdString(options.folder + "/SampleJob.zip")));
    theApp.ShowMailDetailView();
    ASSERT_TRUE(Document().m_bPageImagesReady);
    DoubleClickCell(SheetList(), 0, 2);
    EXPECT_FALSE(g_pPrintImageFrame);

    DoubleClickCell(SheetList(), 0, 5);
    const QString page = SheetList().GetItemText(0, 5);
    ASSERT_TRUE(g_pPrintImageFrame);
    EXPECT_EQ(Document().m_nPageToOpen, page.toUInt());
    EXPECT_TRUE(g_pPrintImageFrame->isVisible());
    EXPECT_EQ(g_pPrintImageFrame->windowTitle(), ResourceModule::String(138) + " - " + page);
    EXPECT_FALSE(theApp.GetMainFrame()->isVisible());
    EXPECT_TRUE(m_boxes.Boxes().empty());
    g_pPrintImageFrame->close();
    EXPECT_TRUE(theApp.GetMainFrame()->isVisible());
}

TEST_F(JobDetailViewTest, ActivationShowsThePaneOnlyWhenPagesAreReadyAndStartsOneRun)
{
    Log log = TwoMails(true);
    // Sheets without pages: a thumbnail run would have nothing to decode.
    for (SheetRecord& sheet : log.details[0].sheets) {
        sheet.nFrontPage = sheet.nBackPage = kNoNumber;
    }
    Open(log);
    CFlowBar* pane = theApp.GetMainFrame()->m_wndFlowBar;

    theApp.ShowMailDetailView();
    EXPECT_FALSE(pane->isVisible());
    EXPECT_TRUE(DetailView().m_bThumbnailsPending); // waits for pages that are ready

    Document().m_bPageImagesReady = true;
    DetailView().OnActivateView(true);
    EXPECT_TRUE(pane->isVisible());
    EXPECT_FALSE(DetailView().m_bThumbnailsPending);

    theApp.ShowMailListView();
    EXPECT_FALSE(pane->isVisible());
}

} // namespace
