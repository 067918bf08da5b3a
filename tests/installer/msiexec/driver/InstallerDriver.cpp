// Drives the installer program's windows (and the installed viewer's first window) in tests,
// loaded as a Qt generic plugin (QT_QPA_GENERIC_PLUGINS=installerdriver): prints what the
// user would see on standard output and answers it. Message boxes are left to setup's driver,
// which prints their texts; this one adds their button.
//   "maintenance <caption>\t<repair button>\t<remove button>"   the maintenance window
//   "button <text>"                                             a message box's button
//   "progress <caption>\t<title>"                               the progress window
//   "window <title>"                                            a file dialog (then all closed)
// INSTALLER_DRIVER_CHOICE: "repair", "remove" or "cancel" (default) in the maintenance window.
// INSTALLER_DRIVER_PROGRESS: "cancel" clicks Cancel as soon as the progress window shows.
// INSTALLER_DRIVER_SCREENSHOTS: a folder that receives a picture of every window shown.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QGenericPlugin>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

namespace {

void Print(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

void Click(QWidget* window, const char* name)
{
    if (auto* button = window->findChild<QPushButton*>(QLatin1String(name))) {
        button->click();
    }
}

QString TitleOf(QWidget* window)
{
    const auto labels = window->findChildren<QLabel*>();
    return labels.isEmpty() ? QString() : labels.first()->text();
}

class Driver : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWidget*>(watched);
        if (window == nullptr || !window->isWindow()) {
            return false;
        }
        auto* box = qobject_cast<QMessageBox*>(window);
        // A message box fits its size to its text in its own show handler, which runs after
        // this filter has seen the show: its picture waits until the box is shown whole.
        if (event->type() == QEvent::ShowToParent && box != nullptr) {
            Screenshot(window);
            return false;
        }
        if (event->type() != QEvent::Show) {
            return false;
        }
        if (box != nullptr) {
            if (QAbstractButton* button = box->button(QMessageBox::Ok)) {
                Print(QStringLiteral("button %1").arg(button->text()));
            }
            return false;
        }
        Screenshot(window);
        if (window->objectName() == QLatin1String("MaintenanceDialog")) {
            Print(QStringLiteral("maintenance %1\t%2\t%3")
                      .arg(window->windowTitle(), ButtonText(window, "repairButton"),
                           ButtonText(window, "removeButton")));
            const QByteArray choice = qgetenv("INSTALLER_DRIVER_CHOICE");
            const char* button = choice == "repair"   ? "repairButton"
                                 : choice == "remove" ? "removeButton"
                                                      : "cancelButton";
            QTimer::singleShot(0, window, [window, button] { Click(window, button); });
        } else if (window->objectName() == QLatin1String("ProgressWindow")) {
            Print(QStringLiteral("progress %1\t%2").arg(window->windowTitle(), TitleOf(window)));
            if (qgetenv("INSTALLER_DRIVER_PROGRESS") == "cancel") {
                Click(window, "cancelButton");
            }
        } else if (auto* dialog = qobject_cast<QFileDialog*>(window)) {
            Print(QStringLiteral("window %1").arg(dialog->windowTitle()));
            QTimer::singleShot(0, dialog, [dialog] {
                dialog->reject();
                QTimer::singleShot(0, qApp, &QApplication::closeAllWindows);
            });
        }
        return false;
    }

private:
    static QString ButtonText(QWidget* window, const char* name)
    {
        auto* button = window->findChild<QPushButton*>(QLatin1String(name));
        return button != nullptr ? button->text() : QString();
    }

    void Screenshot(QWidget* window)
    {
        const QString folder = qEnvironmentVariable("INSTALLER_DRIVER_SCREENSHOTS");
        if (folder.isEmpty()) {
            return;
        }
        QDir().mkpath(folder);
        const QString name = window->objectName().isEmpty()
                                 ? QString::fromLatin1(window->metaObject()->className())
                                 : window->objectName();
        // Programs of one run share the folder: each names its own pictures.
        window->grab().save(QStringLiteral("%1/%2-%3-%4.png")
                                .arg(folder, QCoreApplication::applicationName(), name)
                                .arg(++m_count));
    }

    int m_count = 0;
};

class InstallerDriverPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "InstallerDriver.json")

public:
    QObject* create(const QString&, const QString&) override
    {
        auto* driver = new Driver;
        qApp->installEventFilter(driver);
        return driver;
    }
};

} // namespace

#include "InstallerDriver.moc"
