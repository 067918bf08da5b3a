#pragma once

#include "viewer/DocumentView.h"

#include <QWidget>

// The mail list view; its list comes with its own change. Until then an empty white view, so
// that start-up and view switching have their three views.
class JobSummaryView : public QWidget, public DocumentView
{
    Q_OBJECT

public:
    explicit JobSummaryView(QWidget* parent = nullptr);

    void OnUpdate(DocumentView* sender, int hint) override;
};
