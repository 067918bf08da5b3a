#pragma once

#include <QListView>
#include <QString>
#include <vector>

class CheckListModel;

// A list of texts, each with a check box. Only the user's own toggles (a click on a box, the
// space bar) are reported by CheckChanged; what the program checks is not. Long lists stay
// quick: the texts and checks sit in two vectors, and every item has the same height.
class CheckListBox : public QListView
{
    Q_OBJECT

public:
    explicit CheckListBox(QWidget* parent);
    ~CheckListBox() override;

    // Appends `texts`, each checked or not.
    void AddStrings(std::vector<QString> texts, bool checked);
    int GetCount() const;
    // The item's text; empty outside the items.
    QString GetText(int index) const;
    // The item's check; false outside the items.
    bool GetCheck(int index) const;
    // Sets one item's check (ignored outside the items); not reported as a toggle.
    void SetCheck(int index, bool checked);
    // Sets the checks of items `first` to `last` (clamped to the items) in one change; not
    // reported as toggles.
    void SetCheckRange(int first, int last, bool checked);

signals:
    // The user toggled item `index`; GetCheck tells its new state.
    void CheckChanged(int index);

private:
    CheckListModel* m_model;
};
