// The application's view switching and about commands.
#include "viewer/app/CMainFrame.h"
#include "viewer/app/CPYRNApp.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/dialogs/CAboutDlg.h"
#include "viewer/views/CJobResultView.h"
#include "viewer/views/JobDetailView.h"
#include "viewer/views/JobSummaryView.h"

#include <QStatusBar>

QWidget* CPYRNApp::JobResultWidget() const
{
    return m_pJobResultView;
}

QWidget* CPYRNApp::MailListWidget() const
{
    return m_pJobSummaryView;
}

QWidget* CPYRNApp::MailDetailWidget() const
{
    return m_pJobDetailView;
}

void CPYRNApp::OnAppAbout()
{
    CAboutDlg dialog(GetMainFrame());
    dialog.exec();
}

CMainFrame* CPYRNApp::PrepareFrame(unsigned titleId, bool statusBar)
{
    CMainFrame* frame = GetMainFrame();
    if (frame != nullptr) {
        frame->UpdateFrameTitleForDocument(ResourceModule::String(titleId));
        frame->m_wndStatusBar->setVisible(statusBar);
    }
    return frame;
}

void CPYRNApp::ShowJobResultView()
{
    if (CMainFrame* frame = PrepareFrame(130, false)) {
        frame->ShowFlowBar(false);
        SwitchView(JobResultWidget());
    }
}

void CPYRNApp::ShowMailListView()
{
    if (CMainFrame* frame = PrepareFrame(136, false)) {
        frame->ShowFlowBar(false);
        SwitchView(MailListWidget());
    }
}

void CPYRNApp::ShowMailDetailView()
{
    // The status bar carries the thumbnail progress; the pane is the detail view's to show.
    if (PrepareFrame(137, true) != nullptr) {
        if (m_pJobDetailView != nullptr) {
            m_pJobDetailView->m_bThumbnailsPending = true;
        }
        SwitchView(MailDetailWidget());
    }
}

void CPYRNApp::SwitchView(QWidget* view)
{
    CMainFrame* frame = GetMainFrame();
    if (frame == nullptr || view == nullptr) {
        return;
    }
    frame->SetActiveView(view);
    frame->UpdateCommandStates();
}
