#include "viewer/views/JobDetailCtrl.h"

#include "viewer/app/CPYRNApp.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/pagewindow/PrintImageWindow.h"
#include "viewer/views/JobDetailFilterDialog.h"

namespace {

constexpr int kResultColumn = 2;
constexpr int kFrontColumn = 4;
constexpr int kBackColumn = 5;
constexpr unsigned kPrintedString = 239;

} // namespace

const ReportListCtrl::Columns JobDetailCtrl::kListColumns = {{
    {179, 100}, // sheet number
    {160, 150}, // feed tray
    {171, 150}, // making result
    {175, 200}, // time
    {176, 100}, // front page
    {177, 100}, // back page
}};

JobDetailCtrl::JobDetailCtrl(QWidget* parent) : ReportListCtrl(kListColumns, parent)
{
    GetModel()->SetCellText([this](int row, int column) {
        return m_items[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    });
    GetModel()->SetRowColour([this](int row) { return OnCustomDraw(row); });
}

void JobDetailCtrl::SetItems(std::vector<Row> rows)
{
    m_items = std::move(rows);
    GetModel()->SetItemCount(static_cast<int>(m_items.size()));
}

QColor JobDetailCtrl::OnCustomDraw(int row) const
{
    const CPYRNDoc* document = theApp.GetDocument();
    if (document == nullptr || !document->m_pDetails) {
        return {};
    }
    // Fed but not stacked, suspended and error sheets alike.
    return GetItemText(row, kResultColumn) != ResourceModule::String(kPrintedString)
               ? QColor(255, 0, 0)
               : QColor();
}

void JobDetailCtrl::OnColumnClick(int column)
{
    CPYRNDoc* document = theApp.GetDocument();
    if (document == nullptr || column < 0 || column >= kColumns) {
        return;
    }
    // The sort refreshes the list, which removes the arrow; then it goes on the column.
    const bool ascending = document->SortSheetList(document->m_nCurrentMailNo, column);
    SetSortColumn(column, ascending);
}

void JobDetailCtrl::OnNotify(const QPoint& position)
{
    CPYRNDoc* document = theApp.GetDocument();
    const int column = HeaderColumnAt(position);
    if (document == nullptr || column < 0) {
        return;
    }
    document->BuildSheetFilterCandidates(document->m_nCurrentMailNo, column);
    JobDetailFilterDialog dialog(CPYRNDoc::MainWindow());
    dialog.DoModal();
}

void JobDetailCtrl::OnDblClk(int row, int column)
{
    OpenPageImage(row, column);
}

void JobDetailCtrl::OpenPageImage(int row, int column)
{
    CPYRNDoc* document = theApp.GetDocument();
    if (document == nullptr || (column != kFrontColumn && column != kBackColumn)) {
        return;
    }
    const QString text = GetItemText(row, column);
    if (text.isEmpty()) {
        return;
    }
    bool parsed = false;
    const qulonglong number = text.toULongLong(&parsed, 10);
    document->m_nPageToOpen =
        parsed && number <= kNoNumber ? static_cast<std::uint32_t>(number) : 0;
    // The page window takes the main window's place until it closes.
    if (document->m_bHasPageImages && document->LoadPrintImage()) {
        CreatePrintImageWindow(*document);
    }
}
