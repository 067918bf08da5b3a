#include "viewer/views/JobDetailFilterDialog.h"

#include "viewer/app/CPYRNApp.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/views/ListCellTexts.h"

JobDetailFilterDialog::JobDetailFilterDialog(QWidget* parent) : ColumnFilterDialog(parent) {}

bool JobDetailFilterDialog::OnInitDialog()
{
    ColumnFilterDialog::OnInitDialog();
    const CPYRNDoc* document = theApp.GetDocument();
    if (document == nullptr || !document->m_pSheetFilterCandidates) {
        return false;
    }
    const int column = document->m_nSheetFilterColumn;
    const ListCellTexts texts = ListCellTexts::Load();
    std::vector<QString> items;
    items.reserve(document->m_pSheetFilterCandidates->size());
    for (const SheetRecord* sheet : *document->m_pSheetFilterCandidates) {
        items.push_back(texts.Sheet(*sheet, column));
    }
    AddCandidates(std::move(items), column, document->m_pSheetFilterState.get());
    return true;
}

void JobDetailFilterDialog::OnBnClickedOk()
{
    accept();
    CPYRNDoc* document = theApp.GetDocument();
    if (document == nullptr) {
        return;
    }
    document->ResetSheetFilterState();
    StoreChoice(document->m_nSheetFilterColumn,
                document->m_pSheetFilterCandidates ? document->m_pSheetFilterCandidates->size() : 0,
                *document->m_pSheetFilterState, document->m_pSheetExcludedTexts);
    document->UpdateAllViews(nullptr, UpdateHint::kSheetList);
}
