#include "viewer/dialogs/PasswordDialog.h"

#include "formats/archive/CZipFile.h"
#include "viewer/common/DialogUnits.h"
#include "viewer/common/MessageBoxes.h"
#include "viewer/common/ResourceModule.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kMaxPasswordLength = 8;

} // namespace

PasswordDialog::PasswordDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    setWindowModality(Qt::ApplicationModal);
    setObjectName(QStringLiteral("dialog310"));
    setFont(DialogUnits::DialogFont(9, false));
    const DialogUnits units(font());
    setFixedSize(units.Rect(0, 0, 142, 95).size());

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("control1053"));
    m_label->setGeometry(units.Rect(15, 14, 67, 13));
    m_editPassword = new QLineEdit(this);
    m_editPassword->setObjectName(QStringLiteral("control1000"));
    m_editPassword->setGeometry(units.Rect(14, 31, 113, 15));
    m_editPassword->setEchoMode(QLineEdit::Password);
    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("control1"));
    m_ok->setGeometry(units.Rect(23, 66, 50, 14));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("control2"));
    m_cancel->setGeometry(units.Rect(77, 66, 50, 14));
    connect(m_ok, &QPushButton::clicked, this, &PasswordDialog::OnBnClickedOk);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    OnInitDialog();
}

void PasswordDialog::OnInitDialog()
{
    setWindowTitle(ResourceModule::String(132));
    m_label->setText(ResourceModule::String(133));
    m_ok->setText(ResourceModule::String(198));
    m_cancel->setText(ResourceModule::String(199));
    m_editPassword->setMaxLength(kMaxPasswordLength);
    m_editPassword->setText(m_strInput);
    m_editPassword->setFocus();
}

void PasswordDialog::OnBnClickedOk()
{
    m_strInput = m_editPassword->text();
    if (CZipFile::TestArchivePassword(m_strArchivePath.toStdString(), m_strInput.toStdString()) !=
        0) {
        // A refused password keeps the dialog open with the text as typed.
        ShowErrorMessage(185, QStringLiteral("03004"), this);
        return;
    }
    m_strPassword = m_strInput;
    accept();
}
