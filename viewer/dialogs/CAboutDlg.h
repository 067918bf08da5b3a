#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Formats narrow text into `buffer` (at most 9 characters and the terminator; longer output
// is cut) and returns the number of characters written.
int FormatVersionNumber(char (&buffer)[10], const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// The version text of the program, "3.00.00": the program version "3.0.0.0" with two-digit
// minor and build numbers.
QString ProgramVersionText();

// Dialog 100: the product name and version, the ownership notice and OK.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr unsigned kDialogId = 100;

    explicit CAboutDlg(QWidget* parent = nullptr);

    bool OnInitDialog();

    QLabel* m_icon = nullptr;    // 1057
    QLabel* m_version = nullptr; // 1058
    QLabel* m_notice = nullptr;  // 1029
    QPushButton* m_ok = nullptr; // 1

private:
    void FitWidthToLines();
};
