// Why: people judge what the user sees from these pictures: the main frame with each view,
// the about box and a message box, in the built-in Japanese set and in a language library.
#include "tests/viewer/ViewerFixture.h"
#include "viewer/app/CMainFrame.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/dialogs/CAboutDlg.h"
#include "viewer/document/CPYRNDoc.h"

#include <QMessageBox>

namespace {

class ScreenshotTest : public ViewerFixture, public ::testing::WithParamInterface<const char*>
{};

JobSummary ShownJob()
{
    JobSummary job;
    job.strJobName = "Monthly statements for the northern region";
    job.strJobId = "J-0042";
    job.nResult = kJobFinished;
    job.nErrorCount = 1;
    job.nSuspendCount = 1;
    job.strStartTime = "2024/01/15 09:00:01";
    job.strEndTime = "2024/01/15 09:42:17";
    job.nRequestedMails = 6;
    job.nCreatedMails = 6;
    job.nSampleMails = 1;
    job.nRecreatedMails = 1;
    job.strTray1 = "A4";
    job.strTray3 = "Envelope";
    job.strTray4 = "Standard";
    return job;
}

TEST_P(ScreenshotTest, MainFrameWithEachViewAboutBoxAndMessageBox)
{
    // The library is made current as start-up would make it; the built-in set needs none.
    const QString library = QString::fromLatin1(GetParam());
    platform::LibraryHandle handle = nullptr;
    if (!library.isEmpty()) {
        handle = ResourceModule::LoadLanguageLibrary(
            PYRN_LANGUAGE_LIBRARY_DIR "/kwel_pyrnLanguageResource" + library.toStdString() + ".so");
        ASSERT_NE(handle, nullptr);
    }
    ASSERT_TRUE(Start());
    const QString language = ResourceModule::Language();
    JobSummary job = ShownJob();
    CPYRNDoc* document = theApp.GetDocument();
    document->m_pJobSummary = &job;
    document->m_strArchiveBaseName = QStringLiteral("SampleJob");
    document->UpdateAllViews(nullptr, 0);

    CMainFrame* frame = theApp.GetMainFrame();
    theApp.ShowJobResultView();
    SaveScreenshot(*frame, "MainFrame_JobResult_" + language);
    theApp.ShowMailListView();
    SaveScreenshot(*frame, "MainFrame_MailList_" + language);
    theApp.ShowMailDetailView();
    SaveScreenshot(*frame, "MainFrame_MailDetail_" + language);
    document->m_pJobSummary = nullptr;

    {
        CAboutDlg about(frame);
        about.show();
        SaveScreenshot(about, "AboutBox_" + language);
    }
    MessageBoxRequest request;
    request.caption = ResourceModule::String(57344);
    request.text = ComposeMessageText(186, QStringLiteral("03007"));
    request.okText = ResourceModule::String(198);
    std::unique_ptr<QMessageBox> box = CreateMessageBox(request);
    box->show();
    SaveScreenshot(*box, "MessageBox_" + language);
    box.reset();
    Stop();
    ResourceModule::FreeLanguageLibrary(handle);
}

INSTANTIATE_TEST_SUITE_P(Languages, ScreenshotTest, ::testing::Values("", "EN"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(*info.param ? info.param : "BuiltIn");
                         });

} // namespace
