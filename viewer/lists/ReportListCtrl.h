#pragma once

#include "viewer/lists/ReportListModel.h"

#include <QTableView>
#include <array>

// What the mail list and the sheet list share: six centred columns with grid lines, one
// selected row at a time across the whole width, a header whose click sorts (the owner sets the
// arrow after its sort; the header's own toggling never decides it) and whose right click opens
// a filter, a double click on a cell, and Up and Down wrapping around the ends.
class ReportListCtrl : public QTableView
{
    Q_OBJECT

public:
    static constexpr int kColumns = 6;
    // The list's child id.
    static constexpr unsigned kListId = 315;

    struct Column
    {
        unsigned stringId; // the header text
        int width;         // pixels
    };
    using Columns = std::array<Column, kColumns>;

    ReportListCtrl(const Columns& columns, QWidget* parent);

    // Wide enough for every column whole beside the vertical scroll bar of a long list.
    QSize sizeHint() const override;

    ReportListModel* GetModel() const { return m_model; }
    int GetItemCount() const;
    QString GetItemText(int row, int column) const;
    // The selected row; -1 when none is.
    int GetSelectedRow() const;
    // Makes `row` the selected and focused row and scrolls it into view.
    void SelectRow(int row);
    // The header's sort arrow on `column`, ascending or descending; column -1 removes it.
    void SetSortColumn(int column, bool ascending);
    // The header image leaves column `from` and goes to column `to` (-1: none).
    void MoveHeaderImage(int from, int to, const QIcon& image);

    // The filter icon of the headers: bitmap 326 with its pure green (0x00FF00) transparent.
    static QIcon LoadHeaderImage();

protected:
    virtual void OnColumnClick(int column) = 0;
    // A right click on the header at `position` (the header's own coordinates).
    virtual void OnNotify(const QPoint& position) = 0;
    virtual void OnDblClk(int row, int column) = 0;
    // A key pressed on the list; true when it was handled here, false lets the table move
    // as usual. Up on the first row and Down on the last wrap around.
    virtual bool OnKeyDown(int key);

    // The header column under `position`, -1 right of the last one.
    int HeaderColumnAt(const QPoint& position) const;

    void keyPressEvent(QKeyEvent* event) override;

private:
    ReportListModel* m_model;
};
