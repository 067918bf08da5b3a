// Why: the three views are stepped through with Ctrl+Up and Ctrl+Down and chosen from the
// menu; what may be reached depends on the log, and each switch sets the title and the bars.
#include "tests/viewer/ViewerFixture.h"
#include "viewer/app/CMainFrame.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/controls/CFlowBar.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/views/CJobResultView.h"
#include "viewer/views/JobDetailView.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>

namespace {

enum class Log
{
    None,
    WithMails,
    NoFinishedMail
};

enum class View
{
    JobResult,
    MailList,
    MailDetail
};

class ViewSwitchTest : public ViewerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start());
        m_frame = theApp.GetMainFrame();
        m_frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame));
    }
    void TearDown() override { theApp.GetDocument()->m_pJobSummary = nullptr; }

    void Load(Log log)
    {
        m_summary.nCreatedMails = log == Log::WithMails ? 3 : 0;
        theApp.GetDocument()->m_pJobSummary = log == Log::None ? nullptr : &m_summary;
        theApp.GetDocument()->UpdateAllViews(nullptr, 0);
    }
    void Show(View view)
    {
        view == View::JobResult  ? theApp.ShowJobResultView()
        : view == View::MailList ? theApp.ShowMailListView()
                                 : theApp.ShowMailDetailView();
    }
    QWidget* Widget(View view) const
    {
        return view == View::JobResult  ? theApp.JobResultWidget()
               : view == View::MailList ? theApp.MailListWidget()
                                        : theApp.MailDetailWidget();
    }
    // The view shown, after checking that it is the only one visible and that the title and
    // the status bar go with it.
    View Shown() const
    {
        const struct
        {
            View view;
            unsigned title;
        } views[] = {{View::JobResult, 130}, {View::MailList, 136}, {View::MailDetail, 137}};
        int visible = 0;
        View shown = View::JobResult;
        for (const auto& v : views) {
            if (Widget(v.view)->isVisible()) {
                ++visible;
                shown = v.view;
                EXPECT_EQ(m_frame->GetActiveView(), Widget(v.view));
                EXPECT_EQ(m_frame->windowTitle(),
                          ResourceModule::String(v.title) + " - " + theApp.GetAppTitle());
            }
        }
        EXPECT_EQ(visible, 1);
        EXPECT_EQ(m_frame->m_wndStatusBar->isVisible(), shown == View::MailDetail);
        if (shown != View::MailDetail) {
            EXPECT_FALSE(m_frame->m_wndFlowBar->isVisible());
        }
        return shown;
    }

    CMainFrame* m_frame = nullptr;
    JobSummary m_summary;
};

TEST_F(ViewSwitchTest, CtrlUpAndCtrlDownStepThroughTheViews)
{
    constexpr View R = View::JobResult;
    constexpr View L = View::MailList;
    constexpr View D = View::MailDetail;
    const struct
    {
        Log log;
        View from;
        Qt::Key key;
        View to;
    } cases[] = {
        {Log::None, R, Qt::Key_Up, L},
        {Log::None, L, Qt::Key_Up, D},
        {Log::None, D, Qt::Key_Up, D},
        {Log::None, R, Qt::Key_Down, R},
        {Log::None, L, Qt::Key_Down, R},
        {Log::None, D, Qt::Key_Down, L},
        {Log::WithMails, R, Qt::Key_Up, L},
        {Log::WithMails, L, Qt::Key_Up, D},
        {Log::WithMails, D, Qt::Key_Up, D},
        {Log::WithMails, R, Qt::Key_Down, R},
        {Log::WithMails, L, Qt::Key_Down, R},
        {Log::WithMails, D, Qt::Key_Down, L},
        {Log::NoFinishedMail, R, Qt::Key_Up, L},
        {Log::NoFinishedMail, L, Qt::Key_Up, L},
        {Log::NoFinishedMail, D, Qt::Key_Up, D},
        {Log::NoFinishedMail, L, Qt::Key_Down, R},
        {Log::NoFinishedMail, D, Qt::Key_Down, L},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "log " << static_cast<int>(c.log) << " from "
                                          << static_cast<int>(c.from) << " key " << c.key);
        Load(c.log);
        Show(c.from);
        ASSERT_EQ(Shown(), c.from);
        QTest::keyClick(m_frame, c.key, Qt::ControlModifier);
        EXPECT_EQ(Shown(), c.to);
    }
}

TEST_F(ViewSwitchTest, CommandsFollowTheLoadedLog)
{
    const struct
    {
        Log log;
        bool list; // 134 and 136
        bool detail;
    } cases[] = {{Log::None, false, false},
                 {Log::WithMails, true, true},
                 {Log::NoFinishedMail, true, false}};
    for (const auto& c : cases) {
        Load(c.log);
        for (const auto& [id, enabled] :
             {std::pair{CMainFrame::kCmdSaveCsv, c.list},
              std::pair{CMainFrame::kCmdMailList, c.list},
              std::pair{CMainFrame::kCmdMailDetail, c.detail},
              std::pair{CMainFrame::kCmdJobResult, true}, std::pair{CMainFrame::kCmdAbout, true}}) {
            EXPECT_EQ(m_frame->IsCommandEnabled(id), enabled) << id;
            ASSERT_NE(m_frame->CommandAction(id), nullptr) << id;
            EXPECT_EQ(m_frame->CommandAction(id)->isEnabled(), enabled) << id;
        }
    }
    // A disabled command does nothing, from the menu or its accelerator.
    Load(Log::None);
    const int dialogs = m_fileDialogs;
    QTest::keyClick(m_frame, Qt::Key_S, Qt::ControlModifier);
    m_frame->OnCommand(CMainFrame::kCmdMailDetail);
    EXPECT_EQ(m_fileDialogs, dialogs);
    EXPECT_EQ(Shown(), View::JobResult);
}

TEST_F(ViewSwitchTest, MenuIsResource128WithItsTextsAndCommands)
{
    const QList<QAction*> popups = m_frame->m_wndMenuBar->actions();
    const QList<ResourceModule::MenuItem> menu = ResourceModule::Menu(128);
    ASSERT_EQ(popups.size(), menu.size());
    std::vector<unsigned> commands;
    for (qsizetype i = 0; i < menu.size(); ++i) {
        EXPECT_EQ(popups[i]->text(), menu[i].text);
        const QList<QAction*> items = popups[i]->menu()->actions();
        ASSERT_EQ(items.size(), menu[i].items.size());
        for (qsizetype j = 0; j < items.size(); ++j) {
            EXPECT_EQ(items[j]->isSeparator(), menu[i].items[j].id == 0);
            EXPECT_EQ(items[j]->text(), menu[i].items[j].text);
            commands.push_back(menu[i].items[j].id);
        }
    }
    EXPECT_EQ(commands, (std::vector<unsigned>{131, 134, 0, 203, 130, 136, 137, 197}));
    // The menu's commands switch views as the keys do.
    Load(Log::WithMails);
    m_frame->CommandAction(CMainFrame::kCmdMailDetail)->trigger();
    EXPECT_EQ(Shown(), View::MailDetail);
    m_frame->CommandAction(CMainFrame::kCmdJobResult)->trigger();
    EXPECT_EQ(Shown(), View::JobResult);
}

TEST_F(ViewSwitchTest, AskingForTheShownViewStillSetsTitleBarsAndPendingThumbnails)
{
    theApp.ShowMailDetailView();
    theApp.m_pJobDetailView->m_bThumbnailsPending = false;
    m_frame->setWindowTitle(QString());
    m_frame->m_wndStatusBar->hide();
    theApp.ShowMailDetailView();
    EXPECT_TRUE(theApp.m_pJobDetailView->m_bThumbnailsPending);
    EXPECT_EQ(Shown(), View::MailDetail);
}

TEST_F(ViewSwitchTest, OpenButtonShowsTheMailList)
{
    Load(Log::WithMails);
    auto* button = theApp.m_pJobResultView->Control(CJobResultView::kOpenButtonId);
    ASSERT_TRUE(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(Shown(), View::MailList);
}

TEST_F(ViewSwitchTest, ClosingTheMainFrameEndsTheProgramOtherWindowsDoNot)
{
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
    m_frame->OnCommand(CMainFrame::kCmdExit);
    EXPECT_FALSE(m_frame->isVisible());
    EXPECT_EQ(theApp.Run(), 0); // returns at once: the main frame has closed
}

} // namespace
