// The language dialog (dialog 102): the user picks the installation language from pictures.
#pragma once

#include "setup/DialogTemplate.h"

#include <QDialog>

class ImageCombobox;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

class CSetupDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr unsigned IDD = 102;
    static constexpr int kLanguageComboId = 2165;

    explicit CSetupDlg(QWidget* parent = nullptr);
    ~CSetupDlg() override;

    // Fills the list and runs the dialog: IDOK or IDCANCEL (also for the close button).
    int DoModal();
    bool OnInitDialog();
    void FillLanguageList();

    int m_languageIndex = 0;
    ImageCombobox* m_languageCombo = nullptr;

private:
    void DoDataExchange();
    void OnBnClickedOk();
    void OnBnClickedCancel();

    DialogTemplate m_template;
};
