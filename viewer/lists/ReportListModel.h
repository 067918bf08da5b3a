#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QStringList>
#include <functional>
#include <vector>

// The model under a report list. It keeps no cell texts, only the row count: each text and
// each row's colour is asked of the list's owner when the table paints that cell, so a screen
// costs the rows on it whatever the list's length. Every cell and header is centred.
class ReportListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using CellText = std::function<QString(int row, int column)>;
    // The text colour of a row; an invalid colour keeps the default.
    using RowColour = std::function<QColor(int row)>;

    ReportListModel(QStringList headers, QObject* parent);

    void SetCellText(CellText cellText) { m_cellText = std::move(cellText); }
    void SetRowColour(RowColour rowColour) { m_rowColour = std::move(rowColour); }

    // Every row goes and `rows` rows (texts still to be asked for) take their place.
    void SetItemCount(int rows);
    // The header image of `column`; a null icon shows the text alone.
    void SetHeaderImage(int column, const QIcon& image);

    // The cell's text; empty outside the rows and columns.
    QString Text(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QStringList m_headers;
    std::vector<QIcon> m_headerImages;
    CellText m_cellText;
    RowColour m_rowColour;
    int m_rows = 0;
};
