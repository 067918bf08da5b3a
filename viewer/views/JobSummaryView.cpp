#include "viewer/views/JobSummaryView.h"

#include "viewer/app/CPYRNApp.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/views/JobSummaryCtrl.h"

#include <QResizeEvent>

JobSummaryView::JobSummaryView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LetterListView"));
    m_pList = new JobSummaryCtrl(this);
    // The keys of an activated view reach its list.
    setFocusProxy(m_pList);
    m_pList->GetModel()->SetCellText(
        [this](int row, int column) { return OnGetDispInfo(row, column); });
    m_headerImages = ReportListCtrl::LoadHeaderImage();
    m_texts = ListCellTexts::Load();
}

void JobSummaryView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_pList->setGeometry(0, 0, event->size().width(), event->size().height());
}

void JobSummaryView::OnInitialUpdate()
{
    OnUpdate(nullptr, UpdateHint::kLogOpened);
}

void JobSummaryView::OnUpdate(DocumentView*, int hint)
{
    if (hint != UpdateHint::kLogOpened && hint != UpdateHint::kMailListFiltered &&
        hint != UpdateHint::kMailListSorted) {
        return;
    }
    m_pList->SetSortColumn(-1, true);
    m_texts = ListCellTexts::Load();

    const CPYRNDoc* document = theApp.GetDocument();
    int rows = 0;
    if (document != nullptr && document->m_pMails) {
        m_ppShownMails =
            document->m_nMailFilterColumn == -1 ? &document->m_pMails : &document->m_pFilteredMails;
        rows = *m_ppShownMails ? static_cast<int>((*m_ppShownMails)->size()) : 0;
    } else {
        m_ppShownMails = nullptr;
    }

    const int filterColumn = document != nullptr ? document->m_nMailFilterColumn : -1;
    m_pList->MoveHeaderImage(m_nIconColumn, filterColumn, m_headerImages);
    m_nIconColumn = filterColumn;

    m_pList->GetModel()->SetItemCount(rows);
    m_pList->scrollToTop();
}

QString JobSummaryView::OnGetDispInfo(int row, int column) const
{
    if (m_ppShownMails == nullptr || !*m_ppShownMails || row < 0) {
        return {};
    }
    const std::vector<MailRecord*>& mails = **m_ppShownMails;
    if (static_cast<std::size_t>(row) >= mails.size()) {
        return {};
    }
    return m_texts.Mail(*mails[static_cast<std::size_t>(row)], column);
}
