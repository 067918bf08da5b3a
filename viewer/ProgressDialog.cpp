#include "viewer/ProgressDialog.h"

#include <QCoreApplication>

ProgressDialog::ProgressDialog(QWidget* parent) : QDialog(parent) {}
ProgressDialog::~ProgressDialog() = default;
void ProgressDialog::PostProgress(ProgressDialog*, int) {}
void ProgressDialog::PostDone(ProgressDialog*) {}
int ProgressDialog::exec()
{
    return QDialog::Accepted;
}
bool ProgressDialog::event(QEvent* event)
{
    return QDialog::event(event);
}
void ProgressDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
}
void ProgressDialog::keyPressEvent(QKeyEvent* event)
{
    QDialog::keyPressEvent(event);
}
void ProgressDialog::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);
}
void ProgressDialog::OnProgressPos(int) {}
void ProgressDialog::OnBnClickedOk() {}
