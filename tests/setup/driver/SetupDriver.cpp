// Drives the real setup program in its tests, loaded into it as a Qt generic plugin
// (QT_QPA_GENERIC_PLUGINS=setupdriver): prints what the user would see on standard output
// and answers it, so that no one has to click.
//   "dialog <items> <selected row>"        the language dialog opened
//   "message <caption>\t<text>\t<icon>"    a message box (answered with OK)
// SETUP_DRIVER_DIALOG: "ok" (default), "cancel", "close" (the window's close button), or
// "hold": the dialog stays until standard input ends, then it is cancelled.
// SETUP_DRIVER_ROW: a row to choose before OK.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

namespace {

void Print(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

void Click(QDialog* dialog, const char* button)
{
    if (auto* found = dialog->findChild<QPushButton*>(QLatin1String(button))) {
        found->click();
    }
}

class Driver : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show) {
            return false;
        }
        if (auto* box = qobject_cast<QMessageBox*>(watched)) {
            Print(QStringLiteral("message %1\t%2\t%3")
                      .arg(box->windowTitle(), box->text())
                      .arg(static_cast<int>(box->icon())));
            QTimer::singleShot(0, box, [box] { box->button(QMessageBox::Ok)->click(); });
        } else if (auto* dialog = qobject_cast<QDialog*>(watched);
                   dialog != nullptr && dialog->objectName() == QLatin1String("dialog102")) {
            QTimer::singleShot(0, dialog, [this, dialog] { Answer(dialog); });
        }
        return false;
    }

private:
    void Answer(QDialog* dialog)
    {
        auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("control2165"));
        Print(QStringLiteral("dialog %1 %2").arg(combo->count()).arg(combo->currentIndex()));
        const QByteArray answer = qgetenv("SETUP_DRIVER_DIALOG");
        if (answer == "hold") {
            auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, dialog);
            QPointer<QDialog> guarded(dialog);
            connect(input, &QSocketNotifier::activated, dialog, [input, guarded] {
                char buffer[64];
                if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0 && guarded) {
                    input->setEnabled(false);
                    Click(guarded, "control2");
                }
            });
        } else if (answer == "cancel") {
            Click(dialog, "control2");
        } else if (answer == "close") {
            dialog->close();
        } else {
            if (qEnvironmentVariableIsSet("SETUP_DRIVER_ROW")) {
                combo->setCurrentIndex(qEnvironmentVariableIntValue("SETUP_DRIVER_ROW"));
            }
            Click(dialog, "control1");
        }
    }
};

class SetupDriverPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "SetupDriver.json")

public:
    QObject* create(const QString&, const QString&) override
    {
        auto* driver = new Driver;
        qApp->installEventFilter(driver);
        return driver;
    }
};

} // namespace

#include "SetupDriver.moc"
