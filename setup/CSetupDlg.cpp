#include "setup/CSetupDlg.h"

#include "platform/EmbeddedResources.h"
#include "setup/ImageCombobox.h"
#include "setup/LanguageTable.h"
#include "setup/UiLanguage.h"

#include <QPushButton>
#include <algorithm>
#include <vector>

namespace {

// A bitmap of setup's own resources; a null picture when it is missing.
QPixmap LoadBitmap(unsigned id)
{
    QPixmap picture;
    if (const platform::EmbeddedResource* resource =
            platform::FindEmbeddedResource("RT_BITMAP", id)) {
        picture.loadFromData(resource->bytes.data(), static_cast<uint>(resource->bytes.size()),
                             "BMP");
    }
    return picture;
}

} // namespace

CSetupDlg::CSetupDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dialog%1").arg(IDD));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    m_template.Load(IDD);
    m_template.Apply(*this, [](const QString& controlClass, int id, QWidget* owner) -> QWidget* {
        return controlClass == QLatin1String("combobox") && id == kLanguageComboId
                   ? new ImageCombobox(owner)
                   : nullptr;
    });
    DoDataExchange();
    if (auto* ok = findChild<QPushButton*>(QStringLiteral("control%1").arg(IDOK))) {
        connect(ok, &QPushButton::clicked, this, &CSetupDlg::OnBnClickedOk);
    }
    if (auto* cancel = findChild<QPushButton*>(QStringLiteral("control%1").arg(IDCANCEL))) {
        connect(cancel, &QPushButton::clicked, this, &CSetupDlg::OnBnClickedCancel);
    }
}

CSetupDlg::~CSetupDlg() = default;

void CSetupDlg::DoDataExchange()
{
    m_languageCombo = findChild<ImageCombobox*>(QStringLiteral("control%1").arg(kLanguageComboId));
}

int CSetupDlg::DoModal()
{
    OnInitDialog();
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

bool CSetupDlg::OnInitDialog()
{
    FillLanguageList();
    return true;
}

void CSetupDlg::FillLanguageList()
{
    if (m_languageCombo == nullptr) {
        return;
    }
    std::vector<ImageComboItem> records(LanguageTable.size());
    for (std::size_t row = 0; row < LanguageTable.size(); ++row) {
        records[row].normal = LoadBitmap(LanguageTable[row].normalBitmap);
        records[row].highlighted = LoadBitmap(LanguageTable[row].highlightedBitmap);
    }
    m_languageCombo->SetItems(static_cast<int>(records.size()), records.data());

    // The open list keeps to the template's height, in whole items.
    const int listHeight = m_template.ToPixels(m_template.ControlUnits(kLanguageComboId)).height() -
                           m_languageCombo->height();
    m_languageCombo->setMaxVisibleItems(std::max(1, listHeight / records.front().height));

    if (m_languageCombo->count() > 0) {
        m_languageCombo->setCurrentIndex(0);
        const int row = FindLanguageRow(GetUiLanguageCode());
        m_languageCombo->setCurrentIndex(row >= 0 ? row : kJapaneseRow);
    }
}

void CSetupDlg::OnBnClickedOk()
{
    m_languageIndex = m_languageCombo != nullptr ? m_languageCombo->currentIndex() : -1;
    accept();
}

void CSetupDlg::OnBnClickedCancel()
{
    reject();
}
