#include "viewer/lists/CheckListBox.h"

#include <QAbstractListModel>
#include <algorithm>
#include <functional>

// The texts and checks behind the list. The item delegate writes a check through setData only
// when the user toggles it; the program's own changes go through SetChecks.
class CheckListModel : public QAbstractListModel
{
public:
    CheckListModel(std::function<void(int)> onUserToggle, QObject* parent)
        : QAbstractListModel(parent), m_onUserToggle(std::move(onUserToggle))
    {}

    void Append(std::vector<QString> texts, bool checked)
    {
        if (texts.empty()) {
            return;
        }
        const int first = Count();
        beginInsertRows({}, first, first + static_cast<int>(texts.size()) - 1);
        m_texts.insert(m_texts.end(), std::make_move_iterator(texts.begin()),
                       std::make_move_iterator(texts.end()));
        m_checks.resize(m_texts.size(), checked ? 1 : 0);
        endInsertRows();
    }
    int Count() const { return static_cast<int>(m_texts.size()); }
    const QString* Text(int row) const
    {
        return row >= 0 && row < Count() ? &m_texts[static_cast<std::size_t>(row)] : nullptr;
    }
    bool Check(int row) const
    {
        return row >= 0 && row < Count() && m_checks[static_cast<std::size_t>(row)] != 0;
    }
    void SetChecks(int first, int last, bool checked)
    {
        first = std::max(first, 0);
        last = std::min(last, Count() - 1);
        if (first > last) {
            return;
        }
        std::fill(m_checks.begin() + first, m_checks.begin() + last + 1, checked ? 1 : 0);
        emit dataChanged(index(first), index(last), {Qt::CheckStateRole});
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : Count();
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        const QString* text = Text(index.row());
        if (!index.isValid() || text == nullptr) {
            return {};
        }
        if (role == Qt::DisplayRole) {
            return *text;
        }
        if (role == Qt::CheckStateRole) {
            return Check(index.row()) ? Qt::Checked : Qt::Unchecked;
        }
        return {};
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (role != Qt::CheckStateRole || Text(index.row()) == nullptr) {
            return false;
        }
        SetChecks(index.row(), index.row(), value.toInt() == Qt::Checked);
        m_onUserToggle(index.row());
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable
                               : Qt::NoItemFlags;
    }

private:
    std::function<void(int)> m_onUserToggle;
    std::vector<QString> m_texts;
    std::vector<char> m_checks;
};

CheckListBox::CheckListBox(QWidget* parent)
    : QListView(parent),
      m_model(new CheckListModel([this](int row) { emit CheckChanged(row); }, this))
{
    setModel(m_model);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

CheckListBox::~CheckListBox() = default;

void CheckListBox::AddStrings(std::vector<QString> texts, bool checked)
{
    m_model->Append(std::move(texts), checked);
}

int CheckListBox::GetCount() const
{
    return m_model->Count();
}

QString CheckListBox::GetText(int index) const
{
    const QString* text = m_model->Text(index);
    return text != nullptr ? *text : QString();
}

bool CheckListBox::GetCheck(int index) const
{
    return m_model->Check(index);
}

void CheckListBox::SetCheck(int index, bool checked)
{
    m_model->SetChecks(index, index, checked);
}

void CheckListBox::SetCheckRange(int first, int last, bool checked)
{
    m_model->SetChecks(first, last, checked);
}
