// Why: people judge what the user sees from these pictures: the main frame with each view,
// the about box and a message box, in the language of the current resource module.
#include "tests/viewer/ViewerFixture.h"
#include "viewer/CAboutDlg.h"
#include "viewer/CMainFrame.h"
#include "viewer/CPYRNDoc.h"
#include "viewer/ResourceModule.h"

#include <QMessageBox>

namespace {

using ScreenshotTest = ViewerFixture;

TEST_F(ScreenshotTest, MainFrameWithEachViewAboutBoxAndMessageBox)
{
    ASSERT_TRUE(Start());
    const QString language = QStringLiteral("JP");
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

    CAboutDlg about(frame);
    about.show();
    SaveScreenshot(about, "AboutBox_" + language);

    MessageBoxRequest request;
    request.caption = ResourceModule::String(57344);
    request.text = ComposeMessageText(186, QStringLiteral("03007"));
    request.okText = ResourceModule::String(198);
    std::unique_ptr<QMessageBox> box = CreateMessageBox(request);
    box->show();
    SaveScreenshot(*box, "MessageBox_" + language);
}

} // namespace
