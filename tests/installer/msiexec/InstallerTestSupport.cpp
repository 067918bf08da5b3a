#include "tests/installer/msiexec/InstallerTestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>
#include <unistd.h>

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
    // Whoever runs the suite through sudo or pkexec: setup runs here as root itself.
    environment.remove("SUDO_USER");
    environment.remove("PKEXEC_UID");
    return environment;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

void MakeUsersMachine(const SetupMachine& machine)
{
    const QString root = machine.Prefix();
    for (const char* folder :
         {"/etc", "/opt", "/var/opt", "/var/lib", "/usr/local/share", "/run", "/root"}) {
        ASSERT_TRUE(QDir().mkpath(root + folder));
    }
    WriteFile(root + "/etc/passwd", QStringLiteral("root:x:0:0:root:/root:/bin/bash\n"
                                                   "alice:x:%1:%1:Alice:/home/alice:/bin/bash\n"
                                                   "bob:x:%2:%2:Bob:/home/bob/:/bin/bash\n")
                                        .arg(kAlice)
                                        .arg(kBob)
                                        .toUtf8());
    ASSERT_TRUE(QDir().mkpath(root + "/home/alice"));
    ASSERT_TRUE(QDir().mkpath(root + "/home/bob/.config"));
    ASSERT_TRUE(QDir().mkpath(root + "/home/bob/Schreibtisch"));
    WriteFile(root + "/home/bob/.config/user-dirs.dirs",
              "# written by xdg-user-dirs-update\n"
              "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
              "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    for (const auto& [home, user] : {std::pair{"/home/alice", kAlice}, {"/home/bob", kBob}}) {
        QDirIterator paths(root + home, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                           QDirIterator::Subdirectories);
        ASSERT_EQ(::chown((root + home).toUtf8().constData(), user, user), 0);
        while (paths.hasNext()) {
            ASSERT_EQ(::chown(paths.next().toUtf8().constData(), user, user), 0);
        }
    }
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
    MakeUsersMachine(machine);
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

QStringList Folders(const SetupMachine& machine)
{
    QStringList folders;
    QDirIterator paths(machine.Prefix(), QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    while (paths.hasNext()) {
        folders.append(paths.next().mid(machine.Prefix().size()));
    }
    folders.sort();
    return folders;
}

QStringList ForeignFoldersInHomes(const SetupMachine& machine)
{
    QStringList foreign;
    const QString homes = machine.Prefix() + "/home/";
    for (const QString& user : QDir(homes).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QFileInfo home(homes + user);
        QDirIterator paths(home.filePath(), QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                           QDirIterator::Subdirectories);
        while (paths.hasNext()) {
            const QFileInfo folder(paths.next());
            if (folder.ownerId() != home.ownerId() || folder.groupId() != home.groupId()) {
                foreign.append(folder.filePath().mid(machine.Prefix().size()));
            }
        }
    }
    return foreign;
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
