#pragma once

#include "viewer/views/ColumnFilterDialog.h"

// The mail list's column filter: the candidates of the document's mail filter column, by the
// texts that the document matches when it filters the mails.
class JobSummaryFilterDialog : public ColumnFilterDialog
{
    Q_OBJECT

public:
    explicit JobSummaryFilterDialog(QWidget* parent);

    bool OnInitDialog() override;
    // Stores the state and the excluded texts, then rebuilds the filtered mails.
    void OnBnClickedOk() override;
};
