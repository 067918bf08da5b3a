// Why: the mail list is where a user finds a mail that went wrong. Its cells must say what
// the log says, red rows must be exactly the unfinished ones, the arrow must tell the
// document's order, a filter must show only its rows, and only a numbered mail may open.
#include "tests/viewer/JobSummaryTestSupport.h"

namespace {

using namespace listtest;

class JobSummaryViewTest : public ListViewTest
{};

TEST_F(JobSummaryViewTest, CellsOfEveryKindAndStateRedUnlessCompleted)
{
    Log log;
    log.mails = {
        Mail(1, kMailKindNormal, kMailFinished, "2024/01/15 09:00:01", "3 / 3"),
        Mail(kNoNumber, kMailKindSample, kMailFinished, "2024/01/15 09:00:02", "1 / 1"),
        Mail(7, kMailKindSample, kMailSuspended, "2024/01/15 09:00:03"),
        Mail(kNoNumber, kMailKindError, kMailError, "2024/01/15 09:00:04", "", "E1203"),
        Mail(kNoNumber, kMailKindInterruption, kMailSuspended, "2024/01/15 09:00:05"),
        Mail(2, kMailKindNormal, kMailRunning, "2024/01/15 09:00:06", "1 / 3"),
        Mail(3, kMailKindNormal, 9, ""),
    };
    Open(log);
    const QString completed = ResourceModule::String(172);
    const QString suspend = ResourceModule::String(173);
    const QString error = ResourceModule::String(174);
    const QString standard = ResourceModule::String(168);
    const QString sample = ResourceModule::String(169);
    const QString interrupted = ResourceModule::String(240);
    const struct
    {
        QStringList cells;
        bool red;
    } expected[] = {
        // Ascending start time after an open; the mail without a start time first.
        {{"3", standard, "", "", "", ""}, true},
        {{"1", standard, "3 / 3", completed, "2024/01/15 09:00:01", "2024/01/15 09:00:01+"}, false},
        {{"", sample, "1 / 1", completed, "2024/01/15 09:00:02", "2024/01/15 09:00:02+"}, false},
        {{"", sample, "", suspend, "2024/01/15 09:00:03", "2024/01/15 09:00:03+"}, true},
        {{"", "", "", error + "(E1203)", "2024/01/15 09:00:04", "2024/01/15 09:00:04+"}, true},
        {{"", interrupted, "", suspend, "2024/01/15 09:00:05", "2024/01/15 09:00:05+"}, true},
        {{"2", standard, "1 / 3", "", "2024/01/15 09:00:06", "2024/01/15 09:00:06+"}, true},
    };
    const std::vector<QStringList> rows = Rows(MailList());
    ASSERT_EQ(rows.size(), std::size(expected));
    for (std::size_t row = 0; row < rows.size(); ++row) {
        EXPECT_EQ(rows[row], expected[row].cells) << row;
        for (int column = 0; column < ReportListCtrl::kColumns; ++column) {
            EXPECT_EQ(IsRed(MailList(), static_cast<int>(row), column), expected[row].red)
                << row << " " << column;
        }
    }
    // Another log replaces every row; a log without mails leaves the list empty.
    Open(FinishedMails(2));
    EXPECT_EQ(Column(MailList(), 0), QStringList({"1", "2"}));
    Open(Log{});
    EXPECT_EQ(MailList().GetItemCount(), 0);
}

TEST_F(JobSummaryViewTest, ALogOpenedBeforeTheViewsExistShowsAtTheirInitialUpdate)
{
    // As with an archive named on the command line: the open comes before the two views.
    Open(FinishedMails(3));
    JobSummaryView mailList;
    JobDetailView detail;
    mailList.OnInitialUpdate();
    detail.OnInitialUpdate();
    EXPECT_EQ(Column(*mailList.GetListCtrl(), 0), QStringList({"1", "2", "3"}));
    EXPECT_EQ(Column(*detail.GetListCtrl(), 4), QStringList({"1"}));
}

TEST_F(JobSummaryViewTest, ArrowFollowsTheDocumentsSortNotTheHeadersOwnToggle)
{
    Open(FinishedMails(3));
    theApp.ShowMailListView();
    EXPECT_EQ(Arrow(MailList()).first, -1);

    const struct
    {
        int column;
        std::pair<int, bool> arrow;
        QStringList numbers;
    } clicks[] = {
        {4, {4, false}, {"3", "2", "1"}}, // the first click sorts descending
        {4, {4, true}, {"1", "2", "3"}},  // the second ascending
        {0, {0, false}, {"3", "2", "1"}}, // another column starts descending again
        {4, {4, false}, {"3", "2", "1"}},
    };
    for (const auto& click : clicks) {
        ClickHeader(MailList(), click.column);
        EXPECT_EQ(Arrow(MailList()), click.arrow) << click.column;
        EXPECT_EQ(Column(MailList(), 0), click.numbers) << click.column;
    }
}

TEST_F(JobSummaryViewTest, FilterShowsOnlyItsRowsWithTheIconAndASortClearsBoth)
{
    Log log = FinishedMails(4);
    log.mails[1].nState = kMailSuspended;
    log.mails[3].nState = kMailError;
    log.mails[3].strErrorNo = "17";
    Open(log);
    theApp.ShowMailListView();

    // The user unchecks "Completed" in the result column's dialog.
    FilterDialogUser user([](ColumnFilterDialog& dialog) {
        const int completed = dialog.CheckList()
                                  ->model()
                                  ->match(dialog.CheckList()->model()->index(0, 0), Qt::DisplayRole,
                                          ResourceModule::String(172), 1, Qt::MatchExactly)[0]
                                  .row();
        FilterDialogUser::Toggle(dialog, completed);
        FilterDialogUser::Ok(dialog);
    });
    RightClickHeader(MailList(), 3);
    ASSERT_EQ(user.DialogsSeen(), 1);
    EXPECT_EQ(Column(MailList(), 0), QStringList({"2", "4"}));
    EXPECT_TRUE(IsRed(MailList(), 0) && IsRed(MailList(), 1));
    EXPECT_EQ(MailView().GetIconColumn(), 3);
    for (int column = 0; column < ReportListCtrl::kColumns; ++column) {
        EXPECT_EQ(HasHeaderIcon(MailList(), column), column == 3) << column;
    }
    EXPECT_EQ(Arrow(MailList()).first, -1);

    ClickHeader(MailList(), 0);
    EXPECT_EQ(Column(MailList(), 0), QStringList({"4", "3", "2", "1"}));
    EXPECT_EQ(MailView().GetIconColumn(), -1);
    for (int column = 0; column < ReportListCtrl::kColumns; ++column) {
        EXPECT_FALSE(HasHeaderIcon(MailList(), column)) << column;
    }
    EXPECT_EQ(Arrow(MailList()), std::make_pair(0, false));
}

TEST_F(JobSummaryViewTest, RightClickThenCancelChangesNothingAndNoDialogRightOfTheColumns)
{
    Open(FinishedMails(3));
    theApp.ShowMailListView();
    {
        FilterDialogUser user([](ColumnFilterDialog& dialog) {
            FilterDialogUser::Toggle(dialog, 2); // mail 2
            FilterDialogUser::Ok(dialog);
        });
        RightClickHeader(MailList(), 0);
    }
    ASSERT_EQ(Column(MailList(), 0), QStringList({"1", "3"}));
    const std::vector<int> state = *Document().m_pMailFilterState;

    FilterDialogUser user([](ColumnFilterDialog& dialog) {
        FilterDialogUser::Toggle(dialog, 0);
        FilterDialogUser::Cancel(dialog);
    });
    RightClickHeader(MailList(), 4);
    RightClickHeader(MailList(), -1);
    EXPECT_EQ(user.DialogsSeen(), 1);
    EXPECT_EQ(Column(MailList(), 0), QStringList({"1", "3"}));
    EXPECT_EQ(*Document().m_pMailFilterState, state);
    EXPECT_EQ(MailView().GetIconColumn(), 0);
    EXPECT_TRUE(HasHeaderIcon(MailList(), 0));
    EXPECT_FALSE(HasHeaderIcon(MailList(), 4));
}

TEST_F(JobSummaryViewTest, OnlyANumberedMailOpensAndTheSameMailKeepsItsPagesAndCache)
{
    Log log = FinishedMails(2);
    log.pageImages = true;
    log.mails.push_back(Mail(kNoNumber, kMailKindSample, kMailFinished, "2024/01/15 10:00:00"));
    log.mails.push_back(Mail(kNoNumber, kMailKindError, kMailError, "2024/01/15 10:00:01"));
    log.mails.push_back(
        Mail(kNoNumber, kMailKindInterruption, kMailSuspended, "2024/01/15 10:00:02"));
    Open(log);
    theApp.ShowMailListView();
    ASSERT_EQ(Document().m_nCurrentMailNo, 1u);   // the detail view showed the first mail
    Document().m_pPageCache->emplace(1, nullptr); // marks the cache of mail 1
    const std::vector<std::uint32_t>* pages = Document().m_pMailPages.get();
    ASSERT_NE(pages, nullptr);

    // Enter on the sample, error and interruption rows does nothing.
    for (const int row : {2, 3, 4}) {
        MailList().SelectRow(row);
        QTest::keyClick(&MailList(), Qt::Key_Return);
        EXPECT_EQ(theApp.GetMainFrame()->GetActiveView(), &MailView()) << row;
    }
    // Mail 1 again: the detail view comes, its pages and cache stay.
    MailList().SelectRow(0);
    QTest::keyClick(&MailList(), Qt::Key_Enter);
    EXPECT_EQ(theApp.GetMainFrame()->GetActiveView(), &DetailView());
    EXPECT_EQ(Document().m_pMailPages.get(), pages);
    EXPECT_EQ(Document().m_pPageCache->count(1), 1u);

    // A double click on mail 2 makes it current with a new page list and an empty cache.
    theApp.ShowMailListView();
    DoubleClickCell(MailList(), 1, 3);
    EXPECT_EQ(theApp.GetMainFrame()->GetActiveView(), &DetailView());
    EXPECT_EQ(Document().m_nCurrentMailNo, 2u);
    EXPECT_EQ(DetailView().Control(1048)->text(), "2");
    EXPECT_TRUE(Document().m_pPageCache->empty());
    ASSERT_TRUE(Document().m_pMailPages);
    EXPECT_EQ(*Document().m_pMailPages, std::vector<std::uint32_t>({2}));

    // A job without a finished normal mail opens nothing.
    log.createdMails = 0;
    Open(log);
    theApp.ShowMailListView();
    MailList().OpenMailDetail(0);
    EXPECT_EQ(theApp.GetMainFrame()->GetActiveView(), &MailView());
}

TEST_F(JobSummaryViewTest, UpAndDownWrapAroundTheEnds)
{
    for (const std::uint32_t mails : {1u, 4u}) {
        Open(FinishedMails(mails));
        theApp.ShowMailListView();
        const int last = static_cast<int>(mails) - 1;
        const struct
        {
            int from;
            Qt::Key key;
            int to;
        } moves[] = {
            {0, Qt::Key_Up, last},
            {last, Qt::Key_Down, 0},
            {0, Qt::Key_Down, mails > 1 ? 1 : 0},
            {last, Qt::Key_Up, mails > 1 ? last - 1 : 0},
        };
        for (const auto& move : moves) {
            MailList().SelectRow(move.from);
            QTest::keyClick(&MailList(), move.key);
            EXPECT_EQ(MailList().GetSelectedRow(), move.to) << mails << " " << move.from;
        }
    }
}

} // namespace
