#include "viewer/views/ColumnFilterDialog.h"

#include "viewer/common/DialogUnits.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/lists/CheckListBox.h"

#include <QPushButton>
#include <algorithm>

namespace {

constexpr int kWidth = 192;
constexpr int kHeight = 176;
constexpr unsigned kSelectAllString = 181;

QString ControlName(unsigned id)
{
    return QStringLiteral("control%1").arg(id);
}

} // namespace

ColumnFilterDialog::ColumnFilterDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint), m_checkList(new CheckListBox(this))
{
    setObjectName(QStringLiteral("dialog%1").arg(kDialogId));
    setFont(DialogUnits::DialogFont(10, true));
    const DialogUnits units(font());
    setFixedSize(units.X(kWidth), units.Y(kHeight));

    auto* ok = new QPushButton(this);
    ok->setObjectName(ControlName(1));
    ok->setText(ResourceModule::DialogText(kDialogId, 1));
    ok->setGeometry(units.Rect(39, 155, 50, 14));
    ok->setDefault(true);
    auto* cancel = new QPushButton(this);
    cancel->setObjectName(ControlName(2));
    cancel->setText(ResourceModule::DialogText(kDialogId, 2));
    cancel->setGeometry(units.Rect(103, 155, 50, 14));

    m_checkList->setObjectName(ControlName(kCheckListId));
    m_checkList->setGeometry(units.Rect(7, 29, 178, 119));
    setTabOrder(m_checkList, ok);
    setTabOrder(ok, cancel);

    connect(ok, &QPushButton::clicked, this, [this] { OnBnClickedOk(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_checkList, &CheckListBox::CheckChanged, this, &ColumnFilterDialog::OnCheckChange);
}

int ColumnFilterDialog::DoModal()
{
    OnInitDialog();
    return exec();
}

bool ColumnFilterDialog::OnInitDialog()
{
    findChild<QPushButton*>(ControlName(1))->setText(ResourceModule::String(198));
    findChild<QPushButton*>(ControlName(2))->setText(ResourceModule::String(199));
    m_checkList->AddStrings({ResourceModule::String(kSelectAllString)}, true);
    return true;
}

void ColumnFilterDialog::AddCandidates(std::vector<QString> texts, int column,
                                       const std::vector<int>* state)
{
    m_checkList->AddStrings(std::move(texts), true);
    if (state == nullptr || state->empty() || state->front() != column) {
        return;
    }
    // The candidates keep their order while the records stay; an index that the rebuilt list
    // no longer has is ignored.
    for (auto index = state->begin() + 1; index != state->end(); ++index) {
        if (*index >= 0 && *index < m_checkList->GetCount()) {
            m_checkList->SetCheck(*index, false);
        }
    }
}

void ColumnFilterDialog::OnCheckChange(int item)
{
    if (item == 0) {
        m_checkList->SetCheckRange(1, m_checkList->GetCount() - 1, m_checkList->GetCheck(0));
    } else if (!m_checkList->GetCheck(item) && m_checkList->GetCheck(0)) {
        m_checkList->SetCheck(0, false);
    }
}

void ColumnFilterDialog::StoreChoice(int column, std::size_t candidates, std::vector<int>& state,
                                     std::unique_ptr<std::vector<QString>>& excluded) const
{
    state.push_back(column);
    excluded = std::make_unique<std::vector<QString>>();
    if (!m_checkList->GetCheck(0)) {
        state.push_back(0);
    }
    const int listed = std::max(m_checkList->GetCount() - 1, 0);
    const int items =
        static_cast<int>(std::min<std::size_t>(candidates, static_cast<std::size_t>(listed)));
    for (int item = 1; item <= items; ++item) {
        if (!m_checkList->GetCheck(item)) {
            state.push_back(item);
            excluded->push_back(m_checkList->GetText(item));
        }
    }
}
