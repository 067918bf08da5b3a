#pragma once

#include "viewer/lists/ReportListCtrl.h"

#include <vector>

// The sheet list of the current mail. Its rows are its own copies of the texts, so nothing on
// screen points into the log's records. A header click sorts the sheets, a right click opens
// the column's filter dialog, a double click on a front or back page opens that page.
class JobDetailCtrl : public ReportListCtrl
{
    Q_OBJECT

public:
    static const Columns kListColumns;
    using Row = std::array<QString, kColumns>;

    explicit JobDetailCtrl(QWidget* parent);

    // Every row goes and `rows` take their place.
    void SetItems(std::vector<Row> rows);
    // Opens the page in the front (4) or back (5) cell of `row`; other cells do nothing.
    void OpenPageImage(int row, int column);
    // The text colour of `row`: red unless its making result is "Printed".
    QColor OnCustomDraw(int row) const;

protected:
    void OnColumnClick(int column) override;
    void OnNotify(const QPoint& position) override;
    void OnDblClk(int row, int column) override;

private:
    std::vector<Row> m_items;
};
