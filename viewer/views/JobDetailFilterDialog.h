#pragma once

#include "viewer/views/ColumnFilterDialog.h"

// The sheet list's column filter: the candidates of the document's sheet filter column, by
// the sheet list's own cell texts.
class JobDetailFilterDialog : public ColumnFilterDialog
{
    Q_OBJECT

public:
    explicit JobDetailFilterDialog(QWidget* parent);

    bool OnInitDialog() override;
    // Stores the state and the excluded texts, then refreshes the sheet list.
    void OnBnClickedOk() override;
};
