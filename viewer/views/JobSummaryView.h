#pragma once

#include "formats/joblog/JobRecords.h"
#include "viewer/document/DocumentView.h"
#include "viewer/views/ListCellTexts.h"

#include <QIcon>
#include <QWidget>
#include <memory>
#include <vector>

class JobSummaryCtrl;

// The mail list view: the list of every mail of the loaded job, or of the mails that the
// column filter leaves, covering the whole view. The list keeps no rows of its own; each cell
// is composed here when the list paints it.
class JobSummaryView : public QWidget, public DocumentView
{
    Q_OBJECT

public:
    explicit JobSummaryView(QWidget* parent = nullptr);

    // Shows the log that may have been opened before the view existed (hint 0).
    void OnInitialUpdate() override;
    // Hints 0 (a log was opened), 2 (filtered, or sorted while filtered) and 4 (sorted).
    void OnUpdate(DocumentView* sender, int hint) override;
    // The text of one cell of the shown mails; empty outside them.
    QString OnGetDispInfo(int row, int column) const;

    JobSummaryCtrl* GetListCtrl() const { return m_pList; }
    // The header column that carries the filter icon; -1 none.
    int GetIconColumn() const { return m_nIconColumn; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    using MailPointers = std::unique_ptr<std::vector<MailRecord*>>;

    JobSummaryCtrl* m_pList = nullptr;
    // The document's member that holds the shown mails (all, or the filtered ones), read
    // afresh for every cell: the document may replace or drop that vector before it tells
    // the views, and a paint in between must find nothing rather than freed records.
    const MailPointers* m_ppShownMails = nullptr;
    QIcon m_headerImages;
    int m_nIconColumn = -1;
    ListCellTexts m_texts;
};
