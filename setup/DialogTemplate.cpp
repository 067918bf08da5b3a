#include "setup/DialogTemplate.h"

#include "platform/EmbeddedResources.h"

#include <QDialog>
#include <QFontMetrics>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>

namespace {

QRect UnitsOf(const QJsonObject& control)
{
    return QRect(control.value("x").toInt(), control.value("y").toInt(),
                 control.value("width").toInt(), control.value("height").toInt());
}

int MulDiv(int value, int numerator, int denominator)
{
    return static_cast<int>((static_cast<long long>(value) * numerator + denominator / 2) /
                            denominator);
}

} // namespace

bool DialogTemplate::Load(unsigned id)
{
    const platform::EmbeddedResource* resource = platform::FindEmbeddedResource("RT_DIALOG", id);
    if (resource == nullptr) {
        return false;
    }
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(reinterpret_cast<const char*>(resource->bytes.data()),
                                static_cast<qsizetype>(resource->bytes.size())));
    const QJsonObject root = document.object();
    if (root.isEmpty()) {
        return false;
    }
    m_caption = root.value("caption").toString();
    m_size = QSize(root.value("width").toInt(), root.value("height").toInt());
    m_controls = root.value("controls").toArray();
    const QJsonObject font = root.value("font").toObject();
    m_font = QFont(font.value("family").toString(), font.value("points").toInt(9));

    const QFontMetrics metrics(m_font);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (alphabet / 26 + 1) / 2;
    m_baseY = metrics.height();
    return true;
}

QRect DialogTemplate::ToPixels(const QRect& units) const
{
    return QRect(MulDiv(units.x(), m_baseX, 4), MulDiv(units.y(), m_baseY, 8),
                 MulDiv(units.width(), m_baseX, 4), MulDiv(units.height(), m_baseY, 8));
}

QRect DialogTemplate::ControlUnits(int id) const
{
    for (const QJsonValue& value : m_controls) {
        const QJsonObject control = value.toObject();
        if (control.value("id").toInt() == id) {
            return UnitsOf(control);
        }
    }
    return {};
}

void DialogTemplate::Apply(QDialog& dialog, const Factory& factory) const
{
    dialog.setWindowTitle(m_caption);
    dialog.setFont(m_font);
    dialog.setFixedSize(ToPixels(QRect(QPoint(0, 0), m_size)).size());
    for (const QJsonValue& value : m_controls) {
        const QJsonObject control = value.toObject();
        const QString controlClass = control.value("class").toString();
        const QString text = control.value("text").toString();
        const int id = control.value("id").toInt();
        QWidget* widget = factory ? factory(controlClass, id, &dialog) : nullptr;
        if (widget == nullptr && controlClass == QLatin1String("static")) {
            widget = new QLabel(text, &dialog);
        } else if (widget == nullptr && controlClass.endsWith(QLatin1String("pushbutton"))) {
            auto* button = new QPushButton(text, &dialog);
            button->setDefault(controlClass == QLatin1String("defpushbutton"));
            button->setAutoDefault(false);
            widget = button;
        }
        if (widget == nullptr) {
            continue;
        }
        widget->setObjectName(QStringLiteral("control%1").arg(id));
        QRect place = ToPixels(UnitsOf(control));
        if (controlClass == QLatin1String("combobox")) {
            // The height in units is the open list's; the closed field takes its own.
            place.setHeight(widget->sizeHint().height());
        }
        widget->setGeometry(place);
    }
}
