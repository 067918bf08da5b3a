#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the password of an archive and tests it against the archive before it accepts it.
// A refused password keeps the dialog open; Cancel ends it.
class PasswordDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PasswordDialog(QWidget* parent = nullptr);

    QString GetPassword() const { return m_strPassword; }

    QLineEdit* m_editPassword = nullptr; // control 1000
    QString m_strPassword;
    QString m_strInput;
    QString m_strArchivePath; // set by the starter before the dialog runs

    void OnBnClickedOk();

private:
    void OnInitDialog();

    QLabel* m_label = nullptr;       // control 1053
    QPushButton* m_ok = nullptr;     // id 1, the default button
    QPushButton* m_cancel = nullptr; // id 2
};
