// Why: people judge the lists from these pictures: the mail list filtered with red rows, the
// mail detail view with its form and sheets, and a filter dialog part unchecked, in English
// and in the built-in Japanese set.
#include "tests/viewer/JobSummaryTestSupport.h"

namespace {

using namespace listtest;

class JobSummaryScreenshotTest : public ListViewTest,
                                 public ::testing::WithParamInterface<const char*>
{
protected:
    void SetUp() override
    {
        if (std::string(GetParam()) != "JP") {
            m_library = ResourceModule::LoadLanguageLibrary(std::string(PYRN_LANGUAGE_LIBRARY_DIR) +
                                                            "/kwel_pyrnLanguageResource" +
                                                            GetParam() + ".so");
            ASSERT_NE(m_library, nullptr);
        }
        ListViewTest::SetUp();
    }
    void TearDown() override
    {
        Stop();
        ResourceModule::FreeLanguageLibrary(m_library);
    }

    static Log ScreenshotLog()
    {
        Log log;
        log.jobName = "Monthly statements, northern region";
        const std::int32_t states[] = {kMailFinished, kMailFinished, kMailSuspended,
                                       kMailFinished, kMailError,    kMailFinished};
        std::uint32_t number = 1;
        for (int i = 0; i < 30; ++i) {
            char start[32];
            std::snprintf(start, sizeof start, "2024/01/15 09:%02d:%02d", i / 2, (i * 29) % 60);
            const std::int32_t state = states[i % 6];
            if (i % 7 == 3) {
                log.mails.push_back(
                    Mail(kNoNumber, kMailKindSample, kMailFinished, start, "2 / 2"));
            } else if (i % 11 == 5) {
                log.mails.push_back(
                    Mail(kNoNumber, kMailKindError, kMailError, start, "", "E0412"));
            } else if (i % 13 == 8) {
                log.mails.push_back(Mail(kNoNumber, kMailKindInterruption, kMailSuspended, start));
            } else {
                log.mails.push_back(Mail(number, kMailKindNormal, state, start,
                                         state == kMailFinished ? "3 / 3" : "1 / 3",
                                         state == kMailError ? "E1203" : ""));
                log.createdMails += state == kMailFinished ? 1 : 0;
                ++number;
            }
        }
        log.details = {{1,
                        "3 / 3",
                        {Sheet(1, 1, kSheetStacked, "2024/01/15 09:00:01", 1, 2),
                         Sheet(2, 2, kSheetStacked, "2024/01/15 09:00:02", 3, 4),
                         Sheet(3, 3, kSheetSuspended, "2024/01/15 09:00:04", 5, kNoNumber),
                         Sheet(3, 3, kSheetStacked, "2024/01/15 09:00:09", 5, kNoNumber),
                         Sheet(4, 4, kSheetError, "2024/01/15 09:00:11", 6, 7, "E0310"),
                         Sheet(5, 5, kSheetFed, "", 8, 9),
                         Sheet(kNoNumber, 6, kSheetError, "2024/01/15 09:00:14", kNoNumber,
                               kNoNumber, "E0999")}}};
        return log;
    }

    platform::LibraryHandle m_library = nullptr;
};

TEST_P(JobSummaryScreenshotTest, BothListsAndAFilterDialog)
{
    const QString language = QString::fromLatin1(GetParam());
    CMainFrame* frame = theApp.GetMainFrame();
    frame->resize(1000, 560);
    Open(ScreenshotLog());

    theApp.ShowMailListView();
    FilterDialogUser hideSamples([](ColumnFilterDialog& dialog) {
        const QStringList items = [&] {
            QStringList texts;
            for (int i = 0; i < dialog.CheckList()->GetCount(); ++i) {
                texts.append(dialog.CheckList()->GetText(i));
            }
            return texts;
        }();
        FilterDialogUser::Toggle(dialog,
                                 static_cast<int>(items.indexOf(ResourceModule::String(169))));
        FilterDialogUser::Ok(dialog);
    });
    RightClickHeader(MailList(), 1);
    ASSERT_EQ(hideSamples.DialogsSeen(), 1);
    MailList().SelectRow(2);
    SaveScreenshot(*frame, "MailList_Filtered_" + language);

    FilterDialogUser startTimes([language](ColumnFilterDialog& dialog) {
        for (const int item : {2, 3, 5}) {
            FilterDialogUser::Toggle(dialog, item);
        }
        SaveScreenshot(dialog, "FilterDialog_StartTime_" + language);
    });
    RightClickHeader(MailList(), 4);
    ASSERT_EQ(startTimes.DialogsSeen(), 1);

    MailList().OpenMailDetail(0);
    ASSERT_EQ(frame->GetActiveView(), &DetailView());
    ClickHeader(SheetList(), 3);                           // latest first, with the arrow
    SheetList().horizontalHeader()->resizeSection(3, 110); // a column too narrow: "..."
    SheetList().SelectRow(1);
    SaveScreenshot(*frame, "MailDetail_" + language);
}

INSTANTIATE_TEST_SUITE_P(Languages, JobSummaryScreenshotTest, ::testing::Values("EN", "JP"));

} // namespace
