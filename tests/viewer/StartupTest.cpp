// Why: start-up decides in a fixed order whether the viewer may run, and shutdown must save
// and clean up only what belongs to this run; a viewer that may not run must leave the running
// one's files alone.
#include "formats/archive/CZipFile.h"
#include "platform/NamedLock.h"
#include "platform/ProfileFile.h"
#include "tests/viewer/ViewerFixture.h"
#include "viewer/app/CMainFrame.h"
#include "viewer/controls/CFlowBar.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/views/CJobResultView.h"
#include "viewer/views/JobDetailView.h"
#include "viewer/views/JobSummaryView.h"

#include <QLabel>
#include <QStatusBar>
#include <filesystem>

namespace {

using StartupTest = ViewerFixture;

TEST_F(StartupTest, ChecksRunInOrderInstanceBeforeArguments)
{
    const struct
    {
        bool lockHeld;
        QStringList arguments;
        const char* code; // null: start-up succeeds
    } cases[] = {
        {true, {"a.zip", "b.zip"}, "01001"},
        {true, {}, "01001"},
        {false, {"a.zip", "b.zip"}, "03001"},
        {false, {"a.zip", "b.zip", "c.zip"}, "03001"},
        {false, {}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString() + (c.lockHeld ? " held" : " free"));
        platform::NamedLock other;
        if (c.lockHeld) {
            ASSERT_TRUE(other.Open("PYRN"));
            ASSERT_EQ(other.TryTake(), platform::LockTake::Taken);
        }
        MessageRecorder boxes;
        EXPECT_EQ(Start(c.arguments), c.code == nullptr);
        if (c.code != nullptr) {
            EXPECT_EQ(boxes.Codes(), QStringList{c.code});
            EXPECT_EQ(boxes.Boxes()[0].kind, MessageKind::Error);
            EXPECT_EQ(boxes.Boxes()[0].owner, nullptr);
            EXPECT_EQ(boxes.Boxes()[0].text,
                      ComposeMessageText(c.lockHeld ? 182 : 186, QString::fromLatin1(c.code)));
        } else {
            EXPECT_TRUE(boxes.Codes().isEmpty());
            Stop();
        }
        // Whatever happened, the lock is free again afterwards.
        platform::NamedLock after;
        other.Close();
        ASSERT_TRUE(after.Open("PYRN"));
        EXPECT_EQ(after.TryTake(), platform::LockTake::Taken);
    }
}

TEST_F(StartupTest, LockThatCannotBeOpenedShows01002)
{
    m_scratch.MakeFolder("runtime/PYRN.lock");
    EXPECT_FALSE(Start());
    EXPECT_EQ(m_boxes.Codes(), QStringList{"01002"});
}

TEST_F(StartupTest, ArchiverVersionIsJudgedByItsLow16Bits)
{
    const struct
    {
        std::uint32_t version;
        bool supported;
    } cases[] = {{922, true},  {0x0001039A, true}, {0xFFFF039A, true}, {921, false},
                 {923, false}, {0, false},         {0x039A0000, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(IsSupportedArchiverVersion(c.version), c.supported) << std::hex << c.version;
    }
}

TEST_F(StartupTest, FullStartCreatesThreeViewsAndAsksForALog)
{
    ASSERT_TRUE(Start());
    CMainFrame* frame = theApp.GetMainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    ASSERT_NE(theApp.m_pJobResultView, nullptr);
    ASSERT_NE(theApp.m_pJobSummaryView, nullptr);
    ASSERT_NE(theApp.m_pJobDetailView, nullptr);
    EXPECT_EQ(frame->GetActiveView(), theApp.JobResultWidget());
    EXPECT_FALSE(theApp.MailListWidget()->isVisible());
    EXPECT_FALSE(theApp.MailDetailWidget()->isVisible());
    EXPECT_FALSE(frame->m_wndStatusBar->isVisible());
    EXPECT_FALSE(frame->m_wndFlowBar->isVisible());
    // The document calls its views in their fixed order.
    CPYRNDoc* document = theApp.GetDocument();
    EXPECT_EQ(document->GetView(ViewSlot::JobResult),
              static_cast<DocumentView*>(theApp.m_pJobResultView));
    EXPECT_EQ(document->GetView(ViewSlot::MailList),
              static_cast<DocumentView*>(theApp.m_pJobSummaryView));
    EXPECT_EQ(document->GetView(ViewSlot::MailDetail),
              static_cast<DocumentView*>(theApp.m_pJobDetailView));
    EXPECT_EQ(m_fileDialogs, 1);               // no log yet: File-Open at once
    EXPECT_EQ(theApp.m_nPrintImageWidth, 640); // from the PYRN.ini beside the test program
    EXPECT_EQ(theApp.m_pZipFile->m_hArchiver != nullptr, true);
    EXPECT_EQ(Stop(), 0);
    EXPECT_EQ(theApp.GetMainFrame(), nullptr);
    EXPECT_EQ(theApp.m_pZipFile, nullptr);
}

TEST_F(StartupTest, AnArchiveArgumentIsOpenedAndTheFileDialogSkipped)
{
    ASSERT_TRUE(Start({PYRN_SAMPLE_DIR "/SampleJob.zip"}));
    EXPECT_EQ(m_fileDialogs, 0);
    EXPECT_TRUE(m_boxes.Codes().isEmpty());
    EXPECT_EQ(theApp.GetDocument()->GetArchiveBaseName(), "SampleJob");
    EXPECT_NE(theApp.GetDocument()->m_pJobSummary, nullptr);
    EXPECT_TRUE(theApp.GetMainFrame()->IsCommandEnabled(CMainFrame::kCmdMailList));
    EXPECT_FALSE(static_cast<QLabel*>(theApp.m_pJobResultView->Control(1004))->text().isEmpty());
    Stop();
    EXPECT_TRUE(std::filesystem::is_empty(TempRoot())); // the open log's folder goes too
}

TEST_F(StartupTest, AnArchiveArgumentThatCannotBeOpenedEndsStartUp)
{
    EXPECT_FALSE(Start({QString::fromStdString(m_scratch / "missing.zip")}));
    EXPECT_EQ(m_boxes.Codes(), QStringList{"03005"});
    EXPECT_EQ(m_fileDialogs, 0);
}

TEST_F(StartupTest, SizeIsSavedOnlyAfterAStartThatCreatedAllViews)
{
    {
        platform::NamedLock other;
        ASSERT_TRUE(other.Open("PYRN"));
        ASSERT_EQ(other.TryTake(), platform::LockTake::Taken);
        EXPECT_FALSE(Start());
    }
    EXPECT_FALSE(std::filesystem::exists(UserIni()));

    ASSERT_TRUE(Start());
    theApp.m_nPrintImageWidth = 812; // as the page-image window leaves it when it closes
    Stop();
    EXPECT_EQ(platform::ReadProfileInt(UserIni(), "PrintImage", "Width", 0), 812);
    EXPECT_EQ(platform::ReadProfileInt(UserIni(), "PrintImage", "Height", 0), 480);
}

TEST_F(StartupTest, OnlyTheLockHolderRemovesTemporaryFolders)
{
    const std::string left = m_scratch.MakeFolder("data/TARV/TARV Post Log Viewer/TempByPYRN_1");
    m_scratch.Write("data/TARV/TARV Post Log Viewer/TempByPYRN_1/log.csv", "x");
    {
        platform::NamedLock running;
        ASSERT_TRUE(running.Open("PYRN"));
        ASSERT_EQ(running.TryTake(), platform::LockTake::Taken);
        EXPECT_FALSE(Start());
        EXPECT_TRUE(std::filesystem::exists(left + "/log.csv"));
    }
    ASSERT_TRUE(Start());
    EXPECT_FALSE(std::filesystem::exists(left)); // a crashed run's folder goes at start-up
    const std::string during = m_scratch.MakeFolder("data/TARV/TARV Post Log Viewer/TempByPYRN_2");
    Stop();
    EXPECT_FALSE(std::filesystem::exists(during)); // the open log's folder goes at exit
}

} // namespace
