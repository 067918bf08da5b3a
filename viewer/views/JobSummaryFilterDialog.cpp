#include "viewer/views/JobSummaryFilterDialog.h"

#include "viewer/app/CPYRNApp.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/document/DocumentListTexts.h"

JobSummaryFilterDialog::JobSummaryFilterDialog(QWidget* parent) : ColumnFilterDialog(parent) {}

bool JobSummaryFilterDialog::OnInitDialog()
{
    ColumnFilterDialog::OnInitDialog();
    const CPYRNDoc* document = theApp.GetDocument();
    if (document == nullptr || !document->m_pMailFilterCandidates) {
        return false;
    }
    const int column = document->m_nMailFilterColumn;
    const DocumentListTexts texts = DocumentListTexts::Load();
    std::string scratch;
    std::vector<QString> items;
    items.reserve(document->m_pMailFilterCandidates->size());
    for (const MailRecord* mail : *document->m_pMailFilterCandidates) {
        const std::string_view text = texts.MailFilter(*mail, column, scratch);
        items.push_back(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
    AddCandidates(std::move(items), column, document->m_pMailFilterState.get());
    return true;
}

void JobSummaryFilterDialog::OnBnClickedOk()
{
    accept();
    CPYRNDoc* document = theApp.GetDocument();
    if (document == nullptr) {
        return;
    }
    document->ResetMailFilterState();
    StoreChoice(document->m_nMailFilterColumn,
                document->m_pMailFilterCandidates ? document->m_pMailFilterCandidates->size() : 0,
                *document->m_pMailFilterState, document->m_pMailExcludedTexts);
    document->RebuildFilteredMailList();
}
