#include "tests/installer/msiexec/InstallerTestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

constexpr int kRunTimeoutMs = 300000;

QProcessEnvironment WithDrivers(QProcessEnvironment environment, const QString& screenshots)
{
    environment.insert("QT_PLUGIN_PATH",
                       QStringLiteral(SETUP_DRIVER_PLUGINS ":" INSTALLER_DRIVER_PLUGINS));
    environment.insert("QT_QPA_GENERIC_PLUGINS", "setupdriver,installerdriver");
    environment.insert("INSTALLER_DRIVER_SCREENSHOTS",
                       QStringLiteral(PYRN_SCREENSHOT_DIR "/msiexec/") + screenshots);
    environment.remove("INSTALLER_DRIVER_CHOICE");
    environment.remove("INSTALLER_DRIVER_PROGRESS");
    return environment;
}

} // namespace

QString BuiltPackage()
{
    return QStringLiteral(PYRN_INSTALLER_DIR "/PYRN_Installer.msi");
}

QString BuiltTransform(int resource)
{
    return QStringLiteral(PYRN_INSTALLER_DIR "/%1.mst").arg(resource);
}

InstallerRunner::InstallerRunner(const SetupMachine& machine, const QString& screenshots)
    : m_machine(machine), m_setup(machine)
{
    m_setup.Environment() = WithDrivers(m_setup.Environment(), screenshots);
}

SetupRun InstallerRunner::Setup(const QString& locale, const QString& choice)
{
    m_setup.Environment().insert("INSTALLER_DRIVER_CHOICE", choice);
    return m_setup.Run(locale);
}

ProgramRun InstallerRunner::Msiexec(const QStringList& arguments, const QString& folder)
{
    return Start(m_machine.Bin() + "/msiexec", arguments, folder);
}

ProgramRun InstallerRunner::Viewer(const QString& folder)
{
    return Start(folder + "/PYRN", {}, folder);
}

ProgramRun InstallerRunner::Start(const QString& program, const QStringList& arguments,
                                  const QString& folder)
{
    QProcess process;
    process.setProcessEnvironment(m_setup.Environment());
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    ProgramRun run;
    run.finished = process.waitForFinished(kRunTimeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.exitCode = process.exitCode();
    run.output = QString::fromUtf8(process.readAllStandardOutput())
                     .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString EditedPackage(const SetupMachine& machine, const QString& name, const QStringList& queries,
                      const QString& cabinet)
{
    QDir().mkpath(machine.Path("packages"));
    const QString package = machine.Path("packages/" + name);
    QFile::remove(package);
    EXPECT_TRUE(QFile::copy(BuiltPackage(), package));
    QFile::setPermissions(package, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    QStringList arguments{package};
    for (const QString& query : queries) {
        arguments << "-q" << query;
    }
    if (!cabinet.isEmpty()) {
        arguments << "-a"
                  << "media.cab" << cabinet;
    }
    QProcess msibuild;
    msibuild.start(QStringLiteral(MSIBUILD_PROGRAM), arguments);
    EXPECT_TRUE(msibuild.waitForFinished(kRunTimeoutMs));
    EXPECT_EQ(msibuild.exitCode(), 0) << msibuild.readAllStandardError().toStdString();
    return package;
}

std::optional<platform::RegistryValue> RegistryValueOf(const SetupMachine& machine,
                                                       platform::RegistryHive hive,
                                                       const QString& key, const QString& name)
{
    ScopedEnvironment environment;
    machine.Enter(environment);
    platform::RegistryStore store;
    const platform::RegistryValue* value =
        store.Load(hive) ? store.FindValue(key.toStdString(), name.toStdString()) : nullptr;
    return value != nullptr ? std::optional(*value) : std::nullopt;
}

bool RegistryKeyExists(const SetupMachine& machine, const QString& key)
{
    ScopedEnvironment environment;
    machine.Enter(environment);
    platform::RegistryStore store;
    return store.Load(platform::RegistryHive::LocalMachine) && store.KeyExists(key.toStdString());
}

QString InstallFolder(const SetupMachine& machine)
{
    return machine.Prefix() + "/opt/TARV/TARV Post Log Viewer";
}

QStringList InstalledFiles(const SetupMachine& machine)
{
    return QDir(InstallFolder(machine)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QStringList ProductLeftovers(const SetupMachine& machine)
{
    QStringList leftovers;
    QDirIterator paths(machine.Prefix(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    while (paths.hasNext()) {
        const QString path = paths.next().mid(machine.Prefix().size());
        // The programs' machine locks under /run belong to no installation.
        if ((path.contains("TARV") || path.contains("{")) && !path.startsWith("/run/")) {
            leftovers.append(path);
        }
    }
    ScopedEnvironment environment;
    machine.Enter(environment);
    for (const platform::RegistryHive hive :
         {platform::RegistryHive::LocalMachine, platform::RegistryHive::CurrentUser}) {
        platform::RegistryStore store;
        store.Load(hive);
        for (const QString& line : QString::fromStdString(store.Serialize()).split('\n')) {
            if (line.startsWith('[')) {
                leftovers.append(line);
            }
        }
    }
    leftovers.sort();
    return leftovers;
}
