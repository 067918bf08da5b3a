#include "viewer/PasswordDialog.h"

PasswordDialog::PasswordDialog(QWidget* parent) : QDialog(parent) {}
void PasswordDialog::OnBnClickedOk() {}
void PasswordDialog::OnInitDialog() {}
