#include "viewer/JobSummaryView.h"

JobSummaryView::JobSummaryView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LetterListView"));
}

void JobSummaryView::OnUpdate(DocumentView*, int) {}
