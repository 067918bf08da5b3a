// The application's view switching and about commands.
#include "viewer/CAboutDlg.h"
#include "viewer/CJobResultView.h"
#include "viewer/CMainFrame.h"
#include "viewer/CPYRNApp.h"
#include "viewer/JobDetailView.h"
#include "viewer/JobSummaryView.h"
#include "viewer/ResourceModule.h"

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

void CPYRNApp::ShowJobResultView()
{
    CMainFrame* frame = GetMainFrame();
    if (frame == nullptr) {
        return;
    }
    frame->UpdateFrameTitleForDocument(ResourceModule::String(130));
    frame->m_wndStatusBar->hide();
    frame->ShowFlowBar(false);
    SwitchView(JobResultWidget());
}

void CPYRNApp::ShowMailListView()
{
    CMainFrame* frame = GetMainFrame();
    if (frame == nullptr) {
        return;
    }
    frame->UpdateFrameTitleForDocument(ResourceModule::String(136));
    frame->m_wndStatusBar->hide();
    frame->ShowFlowBar(false);
    SwitchView(MailListWidget());
}

void CPYRNApp::ShowMailDetailView()
{
    CMainFrame* frame = GetMainFrame();
    if (frame == nullptr) {
        return;
    }
    frame->UpdateFrameTitleForDocument(ResourceModule::String(137));
    // The status bar carries the thumbnail progress; the pane is the detail view's to show.
    frame->m_wndStatusBar->show();
    if (m_pJobDetailView != nullptr) {
        m_pJobDetailView->m_bThumbnailsPending = true;
    }
    SwitchView(MailDetailWidget());
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
