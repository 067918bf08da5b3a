#pragma once

#include "viewer/document/DocumentView.h"

#include <QIcon>
#include <QWidget>
#include <map>

class JobDetailCtrl;
class QLabel;

// The mail detail view, form 313: the job name, the mail number and the mail's progress above
// the list of the current mail's sheets. Its refresh after an open or a change of mail also
// collects the mail's page numbers for the thumbnail pane; its activation shows or hides that
// pane and starts the thumbnail run once per switch to the view.
class JobDetailView : public QWidget, public DocumentView
{
    Q_OBJECT

public:
    static constexpr unsigned kFormId = 313;
    // Where the sheet list starts, in pixels from the top: just below the form's texts in
    // the form's designed font, and lower when the font makes the texts reach further.
    static constexpr int kListTop = 120;

    explicit JobDetailView(QWidget* parent = nullptr);

    void OnInitialUpdate() override;
    // Hints 0 (a log was opened) and 3 (the current mail or its sheet list changed).
    void OnUpdate(DocumentView* sender, int hint) override;
    void OnActivateView(bool activate) override;

    JobDetailCtrl* GetListCtrl() const { return m_pList; }
    // The static text `id` of the form (1044-1049), or null.
    QLabel* Control(unsigned id) const;
    // The header column that carries the filter icon; -1 none.
    int GetIconColumn() const { return m_nIconColumn; }

    // Set each time the view is asked for; its activation starts the thumbnail run.
    bool m_bThumbnailsPending = false;

    // The texts above the sheet list with all its columns.
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetValue(unsigned id, const QString& text);
    void PlaceList();

    std::map<unsigned, QLabel*> m_statics;
    JobDetailCtrl* m_pList = nullptr;
    int m_listTop = kListTop;
    QIcon m_headerImages;
    int m_nIconColumn = -1;
};
