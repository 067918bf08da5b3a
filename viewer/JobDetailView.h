#pragma once

#include "viewer/DocumentView.h"

#include <QWidget>

// The mail detail view; its form and sheet list come with their own change. Until then an
// empty view that carries the thumbnail flag, so that start-up and view switching work.
class JobDetailView : public QWidget, public DocumentView
{
    Q_OBJECT

public:
    explicit JobDetailView(QWidget* parent = nullptr);

    void OnUpdate(DocumentView* sender, int hint) override;

    // Set each time the view is asked for; its activation starts the thumbnail run.
    bool m_bThumbnailsPending = false;
};
