#include "viewer/dialogs/CAboutDlg.h"

#include "viewer/common/DialogUnits.h"
#include "viewer/common/ResourceModule.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

// The version of the program's file and product.
constexpr const char* kProgramVersion = "3.0.0.0";
constexpr const char* kNoticeYear = "2020";
constexpr int kWidth = 250; // dialog units, at least

QLabel* MakeLabel(QWidget* parent, unsigned id, const QRect& geometry)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("control%1").arg(id));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    label->setText(ResourceModule::DialogText(CAboutDlg::kDialogId, id));
    return label;
}

} // namespace

int FormatVersionNumber(char (&buffer)[10], const char* format, ...)
{
    std::va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    if (written < 0) {
        buffer[0] = '\0';
        return 0;
    }
    return written < static_cast<int>(sizeof buffer) ? written
                                                     : static_cast<int>(sizeof buffer) - 1;
}

QString ProgramVersionText()
{
    int major = 0;
    int minor = 0;
    int build = 0;
    int revision = 0;
    if (std::sscanf(kProgramVersion, "%d.%d.%d.%d", &major, &minor, &build, &revision) != 4) {
        return {};
    }
    char buffer[10];
    FormatVersionNumber(buffer, "%d.%02d.%02d", major, minor, build);
    return QString::fromLatin1(buffer);
}

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("dialog%1").arg(kDialogId));
    setFont(DialogUnits::DialogFont(9, false));
    setWindowTitle(ResourceModule::DialogText(kDialogId, 0));
    const DialogUnits units(font());
    setFixedSize(units.X(kWidth), units.Y(66));

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("control1057"));
    m_icon->setGeometry(units.Rect(12, 12, 21, 20));
    m_version = MakeLabel(this, 1058, units.Rect(42, 12, 200, 10));
    m_notice = MakeLabel(this, 1029, units.Rect(42, 26, 200, 10));
    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("control1"));
    m_ok->setText(ResourceModule::DialogText(kDialogId, 1));
    m_ok->setGeometry(units.Rect(188, 45, 50, 14));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    OnInitDialog();
}

void CAboutDlg::FitWidthToLines()
{
    // The lines are as long as their language makes them: the box grows to show them whole.
    const DialogUnits units(font());
    const QFontMetrics metrics(font());
    const int lines = std::max(metrics.horizontalAdvance(m_version->text()),
                               metrics.horizontalAdvance(m_notice->text()));
    const int width = std::max(units.X(kWidth), units.X(42) + lines + units.X(12));
    for (QLabel* label : {m_version, m_notice}) {
        label->resize(width - label->x() - units.X(12), label->height());
    }
    m_ok->move(width - units.X(12) - m_ok->width(), m_ok->y());
    setFixedSize(width, height());
}

bool CAboutDlg::OnInitDialog()
{
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    m_icon->setPixmap(style()
                          ->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this)
                          .pixmap(iconSize, iconSize));
    m_version->setText(ResourceModule::String(129) + QLatin1Char(' ') +
                       ResourceModule::String(204) + ProgramVersionText());
    QString notice = ResourceModule::String(205);
    const qsizetype slot = notice.indexOf(QStringLiteral("%s"));
    if (slot >= 0) {
        notice.replace(slot, 2, QString::fromLatin1(kNoticeYear));
    }
    m_notice->setText(notice);
    m_ok->setText(ResourceModule::String(198));
    FitWidthToLines();
    return true;
}
