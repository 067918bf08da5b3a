#pragma once

#include "viewer/lists/ReportListCtrl.h"

// The mail list: one row per mail of the vector that its view shows, texts asked of the view.
// A header click sorts the mails, a right click opens the column's filter dialog, Enter or a
// double click opens the row's mail in the mail detail view.
class JobSummaryCtrl : public ReportListCtrl
{
    Q_OBJECT

public:
    static const Columns kListColumns;

    explicit JobSummaryCtrl(QWidget* parent);

    // Makes the row's mail the current one and shows the mail detail view; nothing for a row
    // without a mail number or while the job has no finished normal mail.
    void OpenMailDetail(int row);
    // The text colour of `row`: red unless its making result is "Completed".
    QColor OnCustomDraw(int row) const;

protected:
    void OnColumnClick(int column) override;
    void OnNotify(const QPoint& position) override;
    void OnDblClk(int row, int column) override;
    bool OnKeyDown(int key) override;
};
