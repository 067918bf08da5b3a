// Why: the filter dialog is the one place where a user says which rows to hide. "(Select All)"
// must follow the user's clicks (not the program's own changes), OK must store exactly the
// unchecked items, and a stored choice must come back only on its own column, never reaching
// past the list it was made for.
#include "tests/viewer/JobSummaryTestSupport.h"
#include "viewer/views/JobSummaryFilterDialog.h"

namespace {

using namespace listtest;

class ColumnFilterDialogTest : public ListViewTest
{
protected:
    static std::vector<bool> Checks(const ColumnFilterDialog& dialog)
    {
        std::vector<bool> checks;
        for (int item = 0; item < dialog.CheckList()->GetCount(); ++item) {
            checks.push_back(dialog.CheckList()->GetCheck(item));
        }
        return checks;
    }
    static QStringList Items(const ColumnFilterDialog& dialog)
    {
        QStringList items;
        for (int item = 0; item < dialog.CheckList()->GetCount(); ++item) {
            items.append(dialog.CheckList()->GetText(item));
        }
        return items;
    }
};

TEST_F(ColumnFilterDialogTest, SelectAllFollowsTheUsersClicksAndOkStoresTheUncheckedItems)
{
    const struct
    {
        const char* name;
        std::vector<int> toggles;
        std::vector<bool> checks;
        std::vector<int> state;
        QStringList excluded;
        QStringList shown;
    } cases[] = {
        {"uncheck (Select All)",
         {0},
         {false, false, false, false},
         {0, 0, 1, 2, 3},
         {"1", "2", "3"},
         {}},
        {"then every value by hand",
         {0, 1, 2, 3},
         {false, true, true, true},
         {0, 0},
         {},
         {"1", "2", "3"}},
        {"one value", {2}, {false, true, false, true}, {0, 0, 2}, {"2"}, {"1", "3"}},
        {"one value, then (Select All)",
         {2, 0},
         {true, true, true, true},
         {0},
         {},
         {"1", "2", "3"}},
        {"one value off and on", {2, 2}, {false, true, true, true}, {0, 0}, {}, {"1", "2", "3"}},
    };
    Open(FinishedMails(3));
    for (const auto& c : cases) {
        Document().BuildMailFilterCandidates(0);
        Document().ResetMailFilterState();
        JobSummaryFilterDialog dialog(nullptr);
        EXPECT_TRUE(dialog.OnInitDialog());
        dialog.show();
        EXPECT_EQ(Items(dialog), QStringList({ResourceModule::String(181), "1", "2", "3"}));
        EXPECT_EQ(Checks(dialog), std::vector<bool>(4, true)) << c.name;
        for (const int item : c.toggles) {
            FilterDialogUser::Toggle(dialog, item);
        }
        EXPECT_EQ(Checks(dialog), c.checks) << c.name;
        FilterDialogUser::Ok(dialog);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(*Document().m_pMailFilterState, c.state) << c.name;
        EXPECT_EQ(QStringList(Document().m_pMailExcludedTexts->begin(),
                              Document().m_pMailExcludedTexts->end()),
                  c.excluded)
            << c.name;
        EXPECT_EQ(Column(MailList(), 0), c.shown) << c.name;

        // The next dialog on the column shows the choice again.
        JobSummaryFilterDialog again(nullptr);
        again.OnInitDialog();
        EXPECT_EQ(Checks(again), c.checks) << c.name;
    }
}

TEST_F(ColumnFilterDialogTest, StoredChoiceComesBackOnlyOnItsColumnAndOnlyWithinTheList)
{
    Open(FinishedMails(3));
    Document().BuildMailFilterCandidates(0);
    Document().ResetMailFilterState();
    *Document().m_pMailFilterState = {0, 0, 2, 4, 70000, -1};
    {
        JobSummaryFilterDialog dialog(nullptr);
        dialog.OnInitDialog();
        // Unchecking "(Select All)" here is the program's: the values stay checked.
        EXPECT_EQ(Checks(dialog), std::vector<bool>({false, true, false, true}));
    }
    Document().BuildMailFilterCandidates(4);
    JobSummaryFilterDialog other(nullptr);
    other.OnInitDialog();
    EXPECT_EQ(Checks(other), std::vector<bool>(4, true));

    // Without candidates there is only "(Select All)".
    Document().m_pMailFilterCandidates.reset();
    JobSummaryFilterDialog none(nullptr);
    EXPECT_FALSE(none.OnInitDialog());
    EXPECT_EQ(Items(none), QStringList({ResourceModule::String(181)}));
}

TEST_F(ColumnFilterDialogTest, OneOfSeveralEqualTextsHidesEveryRecordWithThatText)
{
    Log log;
    log.mails = {Mail(kNoNumber, kMailKindError, kMailError, "2024/01/15 09:00:01", "", "1"),
                 Mail(1, kMailKindNormal, kMailFinished, "2024/01/15 09:00:02", "1 / 1"),
                 Mail(kNoNumber, kMailKindInterruption, kMailSuspended, "2024/01/15 09:00:03"),
                 Mail(kNoNumber, kMailKindError, kMailError, "2024/01/15 09:00:04", "", "2")};
    Open(log);
    theApp.ShowMailListView();
    // Error and interruption records share the empty kind, once per run of equal kinds.
    FilterDialogUser user([](ColumnFilterDialog& dialog) {
        FilterDialogUser::Toggle(dialog, 2);
        FilterDialogUser::Ok(dialog);
    });
    RightClickHeader(MailList(), 1);
    ASSERT_EQ(user.DialogsSeen(), 1);
    EXPECT_EQ(user.Items(),
              QStringList({ResourceModule::String(181), "", "", "", ResourceModule::String(168)}));
    EXPECT_EQ(user.Checks(), std::vector<bool>(5, true));
    EXPECT_EQ(Column(MailList(), 4), QStringList({"2024/01/15 09:00:02"}));
}

} // namespace
