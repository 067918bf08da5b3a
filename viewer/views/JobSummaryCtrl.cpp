#include "viewer/views/JobSummaryCtrl.h"

#include "formats/joblog/JobRecords.h"
#include "viewer/app/CPYRNApp.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/views/JobSummaryFilterDialog.h"

namespace {

constexpr int kNumberColumn = 0;
constexpr int kResultColumn = 3;
constexpr unsigned kCompletedString = 172;

} // namespace

const ReportListCtrl::Columns JobSummaryCtrl::kListColumns = {{
    {166, 100}, // mail number
    {167, 100}, // type
    {170, 100}, // sheet
    {171, 200}, // making result
    {153, 200}, // start time
    {154, 200}, // end time
}};

JobSummaryCtrl::JobSummaryCtrl(QWidget* parent) : ReportListCtrl(kListColumns, parent)
{
    GetModel()->SetRowColour([this](int row) { return OnCustomDraw(row); });
}

QColor JobSummaryCtrl::OnCustomDraw(int row) const
{
    const CPYRNDoc* document = theApp.GetDocument();
    if (document == nullptr || !document->m_pMails) {
        return {};
    }
    // Suspended, error, running and unknown results alike.
    return GetItemText(row, kResultColumn) != ResourceModule::String(kCompletedString)
               ? QColor(255, 0, 0)
               : QColor();
}

void JobSummaryCtrl::OnColumnClick(int column)
{
    CPYRNDoc* document = theApp.GetDocument();
    if (document == nullptr || column < 0 || column >= ReportListCtrl::kColumns) {
        return;
    }
    // The sort refreshes the list, which removes the arrow; then it goes on the column.
    const bool ascending = document->SortMailList(column);
    SetSortColumn(column, ascending);
}

void JobSummaryCtrl::OnNotify(const QPoint& position)
{
    CPYRNDoc* document = theApp.GetDocument();
    const int column = HeaderColumnAt(position);
    if (document == nullptr || column < 0) {
        return;
    }
    document->BuildMailFilterCandidates(column);
    JobSummaryFilterDialog dialog(CPYRNDoc::MainWindow());
    dialog.DoModal();
}

void JobSummaryCtrl::OnDblClk(int row, int)
{
    OpenMailDetail(row);
}

bool JobSummaryCtrl::OnKeyDown(int key)
{
    const int selected = GetSelectedRow();
    if (selected >= 0 && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        OpenMailDetail(selected);
        return true;
    }
    return ReportListCtrl::OnKeyDown(key);
}

void JobSummaryCtrl::OpenMailDetail(int row)
{
    CPYRNDoc* document = theApp.GetDocument();
    if (document == nullptr || !document->m_pMails || row < 0 ||
        document->m_pJobSummary == nullptr || document->m_pJobSummary->nCreatedMails == 0) {
        return;
    }
    const QString text = GetItemText(row, kNumberColumn);
    if (text.isEmpty()) {
        return;
    }
    bool parsed = false;
    std::uint32_t number = text.toUInt(&parsed, 10);
    if (!parsed) {
        number = 0;
    }
    if (number != document->m_nCurrentMailNo) {
        // The mail shown until now goes back to time order; its pages and thumbnails go.
        document->ResetSheetListOrder();
        document->FreeMailPageList();
        document->ResetPageImageCache(true);
        document->m_nCurrentMailNo = number;
        document->UpdateAllViews(nullptr, UpdateHint::kSheetList);
    }
    theApp.ShowMailDetailView();
}
