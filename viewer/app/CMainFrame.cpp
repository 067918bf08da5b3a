#include "viewer/app/CMainFrame.h"

#include "formats/joblog/JobRecords.h"
#include "viewer/app/CPYRNApp.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/common/WindowShortcut.h"
#include "viewer/controls/CFlowBar.h"
#include "viewer/controls/CThumbComponentWnd.h"
#include "viewer/controls/ThumbDoubleClickEvent.h"
#include "viewer/dialogs/ProgressDialog.h"
#include "viewer/document/AddThumbnailEvent.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/document/DocumentView.h"
#include "viewer/views/JobDetailView.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <algorithm>

namespace {

constexpr unsigned kMenuResource = 128;

QString ControlName(unsigned id)
{
    return QStringLiteral("control%1").arg(id);
}

} // namespace

CMainFrame::CMainFrame()
{
    // The program's own accelerator table, never the language library's.
    AddAccelerator(QKeySequence(Qt::CTRL | Qt::Key_O), kCmdFileOpen);
    AddAccelerator(QKeySequence(Qt::CTRL | Qt::Key_S), kCmdSaveCsv);
    AddAccelerator(QKeySequence(Qt::CTRL | Qt::Key_Down), kCmdPrevView);
    AddAccelerator(QKeySequence(Qt::CTRL | Qt::Key_Up), kCmdNextView);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::AddAccelerator(const QKeySequence& keys, unsigned id)
{
    m_hMainAccel.push_back(AddWindowShortcut(*this, keys, [this, id] { OnCommand(id); }));
}

int CMainFrame::OnCreate()
{
    m_pViews = new QStackedWidget(this);
    setCentralWidget(m_pViews);

    m_wndMenuBar = new QMenuBar(this);
    m_wndMenuBar->setObjectName(ControlName(0xE806));
    setMenuBar(m_wndMenuBar);
    BuildMenu();

    m_wndStatusBar = new QStatusBar(this);
    m_wndStatusBar->setObjectName(ControlName(0xE801));
    setStatusBar(m_wndStatusBar);
    m_pProgressBar = new QProgressBar(m_wndStatusBar);
    m_pProgressBar->setObjectName(ControlName(kProgressId));
    m_pProgressBar->setFixedSize(200, 22);
    m_pProgressBar->setTextVisible(false);
    m_wndStatusBar->addPermanentWidget(m_pProgressBar);

    // The thumbnail pane: no caption, docked right, hidden until the detail view asks for it.
    m_wndFlowBar = new CFlowBar(this);
    // An empty title bar: its empty layout gives it no height (a bare widget's size hint of -1
    // would make the pane's minimum height negative).
    auto* noCaption = new QWidget(m_wndFlowBar);
    (new QHBoxLayout(noCaption))->setContentsMargins(0, 0, 0, 0);
    m_wndFlowBar->setTitleBarWidget(noCaption);
    m_wndFlowBar->setAllowedAreas(Qt::RightDockWidgetArea);
    addDockWidget(Qt::RightDockWidgetArea, m_wndFlowBar);
    resizeDocks({m_wndFlowBar}, {CFlowBar::kPaneWidth}, Qt::Horizontal);
    m_wndFlowBar->hide();
    // A double-clicked thumbnail ends here.
    CThumbComponentWnd::SetMainWindow(this);

    InitBasicCommands();
    return 0;
}

void CMainFrame::BuildMenu()
{
    for (const ResourceModule::MenuItem& popup : ResourceModule::Menu(kMenuResource)) {
        QMenu* menu = m_wndMenuBar->addMenu(popup.text);
        // The enabling of the items is decided as the menu opens, as the frame always did.
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
        for (const ResourceModule::MenuItem& item : popup.items) {
            if (item.id == 0 && item.items.isEmpty()) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(item.text);
            action->setObjectName(QStringLiteral("command%1").arg(item.id));
            const unsigned id = item.id;
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        }
    }
    UpdateCommandStates();
}

QAction* CMainFrame::CommandAction(unsigned id) const
{
    return m_wndMenuBar ? m_wndMenuBar->findChild<QAction*>(QStringLiteral("command%1").arg(id))
                        : nullptr;
}

void CMainFrame::InitBasicCommands()
{
    // The commands the menu always shows; Qt's menus are not personalised, so this is only
    // the list itself.
    m_basicCommands = {kCmdFileOpen, kCmdSaveCsv,    kCmdExit, kCmdJobResult,
                       kCmdMailList, kCmdMailDetail, kCmdAbout};
}

void CMainFrame::AddView(QWidget* view)
{
    m_pViews->addWidget(view);
}

QWidget* CMainFrame::GetActiveView() const
{
    return m_pViews ? m_pViews->currentWidget() : nullptr;
}

void CMainFrame::SetActiveView(QWidget* view)
{
    QWidget* old = GetActiveView();
    if (old == view) {
        return;
    }
    m_pViews->setCurrentWidget(view);
    // The old view hears of its deactivation first, then the new one of its activation.
    if (auto* oldView = dynamic_cast<DocumentView*>(old)) {
        oldView->OnActivateView(false);
    }
    if (auto* newView = dynamic_cast<DocumentView*>(view)) {
        newView->OnActivateView(true);
    }
    view->setFocus();
    view->update();
}

void CMainFrame::UpdateFrameTitleForDocument(const QString& title)
{
    const QString application = theApp.GetAppTitle();
    setWindowTitle(title.isEmpty() ? application : title + QStringLiteral(" - ") + application);
}

CPYRNDoc* CMainFrame::GetActiveDocument() const
{
    return theApp.GetDocument();
}

bool CMainFrame::IsCommandEnabled(unsigned id) const
{
    const CPYRNDoc* document = GetActiveDocument();
    const JobSummary* summary = document != nullptr ? document->m_pJobSummary : nullptr;
    switch (id) {
    case kCmdSaveCsv:
    case kCmdMailList:
        return summary != nullptr;
    case kCmdMailDetail:
        return summary != nullptr && summary->nCreatedMails != 0;
    default:
        return true;
    }
}

void CMainFrame::UpdateCommandStates()
{
    for (const unsigned id : {kCmdSaveCsv, kCmdMailList, kCmdMailDetail}) {
        if (QAction* action = CommandAction(id)) {
            action->setEnabled(IsCommandEnabled(id));
        }
    }
}

void CMainFrame::OnCommand(unsigned id)
{
    if (!IsCommandEnabled(id)) {
        return;
    }
    CPYRNDoc* document = GetActiveDocument();
    switch (id) {
    case kCmdFileOpen:
        if (document != nullptr) {
            document->OnFileOpen();
        }
        break;
    case kCmdSaveCsv:
        if (document != nullptr) {
            document->OnFileSaveCsv();
        }
        break;
    case kCmdExit:
        close();
        break;
    case kCmdJobResult:
        theApp.ShowJobResultView();
        break;
    case kCmdMailList:
        theApp.ShowMailListView();
        break;
    case kCmdMailDetail:
        theApp.ShowMailDetailView();
        break;
    case kCmdAbout:
        theApp.OnAppAbout();
        break;
    case kCmdNextView:
        OnNextView();
        break;
    case kCmdPrevView:
        OnPrevView();
        break;
    default:
        break;
    }
}

void CMainFrame::OnNextView()
{
    QWidget* active = GetActiveView();
    if (active == nullptr) {
        return;
    }
    if (active == theApp.JobResultWidget()) {
        theApp.ShowMailListView();
    } else if (active == theApp.MailListWidget()) {
        const CPYRNDoc* document = GetActiveDocument();
        const JobSummary* summary = document != nullptr ? document->m_pJobSummary : nullptr;
        if (summary == nullptr || summary->nCreatedMails != 0) {
            theApp.ShowMailDetailView();
        }
    }
}

void CMainFrame::OnPrevView()
{
    QWidget* active = GetActiveView();
    if (active == nullptr || active == theApp.JobResultWidget()) {
        return;
    }
    if (active == theApp.MailListWidget()) {
        theApp.ShowJobResultView();
    } else {
        theApp.ShowMailListView();
    }
}

void CMainFrame::SetupViewsAfterOpen()
{
    QWidget* active = GetActiveView();
    if (active == nullptr) {
        return;
    }
    const CPYRNDoc* document = GetActiveDocument();
    if (document != nullptr && document->m_bHasPageImages) {
        ShowFlowBar(true);
        if (auto* detail = dynamic_cast<JobDetailView*>(active)) {
            detail->m_bThumbnailsPending = true;
        }
    } else {
        ShowFlowBar(false);
    }
    // Away and back, so the detail view activates afresh and starts the new log's thumbnails.
    theApp.ShowJobResultView();
    theApp.ShowMailDetailView();
}

QSize CMainFrame::sizeHint() const
{
    QSize size = QMainWindow::sizeHint();
    const auto* detail =
        m_pViews != nullptr
            ? m_pViews->findChild<JobDetailView*>(QString(), Qt::FindDirectChildrenOnly)
            : nullptr;
    if (detail != nullptr) {
        const int besidePane =
            detail->sizeHint().width() + CFlowBar::kPaneWidth +
            style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, this);
        size.setWidth(std::max(size.width(), besidePane));
    }
    if (const QScreen* shown = screen()) {
        size = size.boundedTo(shown->availableGeometry().size());
    }
    return size;
}

void CMainFrame::ShowFlowBar(bool show)
{
    m_wndFlowBar->setVisible(show);
}

bool CMainFrame::event(QEvent* event)
{
    switch (static_cast<int>(event->type())) {
    case ProgressEvent::kType:
        OnProgressPos(static_cast<ProgressEvent*>(event)->value());
        return true;
    case AddThumbnailEvent::kType: {
        const auto* add = static_cast<AddThumbnailEvent*>(event);
        OnAddThumbnail(add->Page(), add->Record());
        return true;
    }
    case ThumbDoubleClickEvent::kType:
        OnThumbnailDoubleClicked(static_cast<ThumbDoubleClickEvent*>(event)->PageText());
        return true;
    default:
        return QMainWindow::event(event);
    }
}

void CMainFrame::changeEvent(QEvent* event)
{
    // The active view hears of the main window's activation, as it would on every return.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        if (auto* view = dynamic_cast<DocumentView*>(GetActiveView())) {
            view->OnActivateView(true);
        }
    }
    QMainWindow::changeEvent(event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    event->accept();
    theApp.OnMainFrameClosed();
}
