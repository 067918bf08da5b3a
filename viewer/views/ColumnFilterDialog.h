#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <vector>

class CheckListBox;

// Dialog 311: "(Select All)" and one checked item per candidate value of a column; the values
// that the user unchecks are left out of the list after OK, Cancel changes nothing. The mail
// list's and the sheet list's dialogs differ only in the document members they use and in the
// refresh after OK.
class ColumnFilterDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr unsigned kDialogId = 311;
    static constexpr unsigned kCheckListId = 1043;

    // Initialises the dialog and runs it modally; the dialog's result.
    int DoModal();

    // The buttons' texts and "(Select All)", checked. The variants add their candidates and
    // restore the stored state; false when the document has no candidates.
    virtual bool OnInitDialog();
    // Stores the user's choice in the document and refreshes the list.
    virtual void OnBnClickedOk() = 0;
    // Keeps "(Select All)" in step with the user's toggle of `item`.
    void OnCheckChange(int item);

    CheckListBox* CheckList() const { return m_checkList; }

protected:
    explicit ColumnFilterDialog(QWidget* parent);

    // Appends the candidates' texts as checked items, then unchecks the items that `state`
    // (column, then unchecked indexes) names when it was stored for `column`.
    void AddCandidates(std::vector<QString> texts, int column, const std::vector<int>* state);
    // The user's choice: `state` becomes the column and the unchecked indexes (0 "(Select
    // All)", k candidate k-1 of `candidates`), `excluded` the unchecked candidates' texts.
    void StoreChoice(int column, std::size_t candidates, std::vector<int>& state,
                     std::unique_ptr<std::vector<QString>>& excluded) const;

private:
    CheckListBox* m_checkList;
};
