#pragma once

#include "viewer/ReportListCtrl.h"

#include <functional>
#include <vector>

class CPYRNDoc;

// The sheet list of the current mail. Its rows are its own copies of the texts, so nothing on
// screen points into the log's records. A header click sorts the sheets, a right click opens
// the column's filter dialog, a double click on a front or back page opens that page.
class JobDetailCtrl : public ReportListCtrl
{
    Q_OBJECT

public:
    static const Columns kListColumns;
    using Row = std::array<QString, kColumns>;

    // Opens the page-image window on the document's decoded page while the main window is
    // hidden; false when no window could be made. The page-image window puts its own in
    // place; until one is set, no window opens.
    using PageWindowOpener = std::function<bool(CPYRNDoc& document)>;
    // Puts `opener` in place and returns the one it replaces.
    static PageWindowOpener SetPageWindowOpener(PageWindowOpener opener);

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
