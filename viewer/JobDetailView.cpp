#include "viewer/JobDetailView.h"

JobDetailView::JobDetailView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DetailLetterView"));
}

void JobDetailView::OnUpdate(DocumentView*, int) {}
