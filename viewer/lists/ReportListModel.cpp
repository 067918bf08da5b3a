#include "viewer/lists/ReportListModel.h"

#include <QBrush>

ReportListModel::ReportListModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), m_headers(std::move(headers)),
      m_headerImages(static_cast<std::size_t>(m_headers.size()))
{}

void ReportListModel::SetItemCount(int rows)
{
    beginResetModel();
    m_rows = rows < 0 ? 0 : rows;
    endResetModel();
}

void ReportListModel::SetHeaderImage(int column, const QIcon& image)
{
    if (column < 0 || column >= columnCount()) {
        return;
    }
    m_headerImages[static_cast<std::size_t>(column)] = image;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QString ReportListModel::Text(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= columnCount() || !m_cellText) {
        return {};
    }
    return m_cellText(row, column);
}

int ReportListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int ReportListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant ReportListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return Text(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant(static_cast<int>(Qt::AlignCenter));
    case Qt::ForegroundRole: {
        const QColor colour = m_rowColour ? m_rowColour(index.row()) : QColor();
        return colour.isValid() ? QVariant(QBrush(colour)) : QVariant();
    }
    default:
        return {};
    }
}

QVariant ReportListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return m_headers.at(section);
    case Qt::DecorationRole: {
        const QIcon& image = m_headerImages[static_cast<std::size_t>(section)];
        return image.isNull() ? QVariant() : QVariant(image);
    }
    case Qt::TextAlignmentRole:
        return QVariant(static_cast<int>(Qt::AlignCenter));
    default:
        return {};
    }
}

Qt::ItemFlags ReportListModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
