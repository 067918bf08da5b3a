// Why: setup relies on what the installer program does with its package: the files of the
// chosen language, the values setup reads back, the shortcuts, maintenance, removal and the
// upgrade rules. Here the real setup drives the real msiexec on a scratch root.
#include "tests/installer/msiexec/InstallerTestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using platform::RegistryHive;
using platform::RegistryValue;

const QStringList kGermanFiles = {"PYRN", "PYRN.ini", "kwel_pyrnLanguageResourceDE.so",
                                  "lib7-zip32.so"};
const QString kCaption = QStringLiteral("TARV Post Log Viewer");
const QString kNewerCode = QStringLiteral("{5B0E2F61-3C1D-4E8A-9F10-000000000310}");
const QString kOlderCode = QStringLiteral("{5B0E2F61-3C1D-4E8A-9F10-000000000250}");

QString MenuEntry(const SetupMachine& machine)
{
    return machine.Prefix() + "/usr/local/share/applications/TARV/TARV Post Log Viewer.desktop";
}

// Root's own desktop: setup runs as root without sudo here.
QString DesktopEntry(const SetupMachine& machine)
{
    return machine.Prefix() + "/root/Desktop/TARV Post Log Viewer.desktop";
}

// The value of `key` in a desktop entry.
QString EntryValue(const QString& path, const QString& key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
        if (line.startsWith(key + "=")) {
            return line.mid(key.size() + 1);
        }
    }
    return {};
}

QString VersionPackage(const SetupMachine& machine, const QString& version, const QString& code)
{
    return EditedPackage(
        machine, version + ".msi",
        {"UPDATE Property SET Value = '" + version + "' WHERE Property = 'ProductVersion'",
         "UPDATE Property SET Value = '" + code + "' WHERE Property = 'ProductCode'"});
}

std::optional<RegistryValue> ProductValue(const SetupMachine& machine, const QString& name)
{
    return RegistryValueOf(machine, RegistryHive::LocalMachine, kProductKey, name);
}

// A German installation through setup, as every test here starts.
void InstallGerman(const SetupMachine& machine, InstallerRunner& runner)
{
    const SetupRun run = runner.Setup("de_DE.UTF-8");
    ASSERT_TRUE(run.finished);
    ASSERT_TRUE(machine.LogMessages().contains("result:0")) << run.output.join('\n').toStdString();
}

TEST(SetupInstallTest, GermanInstallGivesTheGermanViewerItsValuesAndShortcuts)
{
    SetupMachine machine("msiexec_german");
    InstallerRunner runner(machine, "german-install");
    const SetupRun run = runner.Setup("de_DE.UTF-8");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(
        run.output,
        (QStringList{"dialog 10 " + kGermanLanguageRow,
                     "progress Installation von TARV Post Log Viewer\t"
                     "TARV Post Log Viewer wird installiert",
                     "button &Fertig stellen",
                     "message Installation von TARV Post Log Viewer\tDer "
                     "Installations-Assistent für TARV Post Log Viewer ist abgeschlossen\t1"}));
    EXPECT_TRUE(machine.LogMessages().contains("result:0"));

    EXPECT_EQ(InstalledFiles(machine), kGermanFiles);
    EXPECT_TRUE(QFileInfo(InstallFolder(machine) + "/PYRN").isExecutable());
    EXPECT_EQ(ProductValue(machine, "Language"), RegistryValue::Dword(1031));
    EXPECT_EQ(ProductValue(machine, "TarvAppDataDir"),
              RegistryValue::String((machine.Prefix() + "/var/opt/TARV/").toStdString()));
    EXPECT_EQ(ProductValue(machine, "MsiSourceDir"),
              RegistryValue::String((machine.DataFolder() + "/").toStdString()));
    EXPECT_TRUE(QFileInfo::exists(machine.DataFolder() + "/Install.dat"));
    EXPECT_TRUE(RegistryKeyExists(machine, kUninstallKey + CarriedProductCode()));

    for (const QString& entry : {MenuEntry(machine), DesktopEntry(machine)}) {
        SCOPED_TRACE(entry.toStdString());
        EXPECT_EQ(EntryValue(entry, "Name"), kCaption);
        EXPECT_EQ(EntryValue(entry, "Exec"), "\"" + InstallFolder(machine) + "/PYRN\"");
        EXPECT_EQ(EntryValue(entry, "Path"), InstallFolder(machine));
        QFile icon(EntryValue(entry, "Icon"));
        ASSERT_TRUE(icon.open(QIODevice::ReadOnly)) << icon.fileName().toStdString();
        QFile picture(PYRN_VIEWER_ICON);
        ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
        EXPECT_TRUE(icon.readAll() == picture.readAll()) << "the icon is not the viewer's own";
    }

    // Started as its shortcut starts it, the viewer asks for a log in German.
    const QString exec = EntryValue(DesktopEntry(machine), "Exec");
    const ProgramRun viewer = runner.Viewer(QFileInfo(exec.mid(1, exec.size() - 2)).path());
    EXPECT_TRUE(viewer.finished);
    EXPECT_TRUE(viewer.output.contains("window Datei laden"))
        << viewer.output.join('\n').toStdString();
}

TEST(SetupInstallTest, EachLanguageInstallsItsOwnLibraryAndNames)
{
    const struct
    {
        const char* locale;
        const char* library;
        uint32_t language;
        QString name; // of the shortcuts
    } cases[] = {
        {"en_US.UTF-8", "kwel_pyrnLanguageResourceEN.so", 1033, kCaption},
        {"ja_JP.UTF-8", "kwel_pyrnLanguageResourceJP.so", 1041,
         QStringLiteral("TARVポストログビューア")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        SetupMachine machine("msiexec_language");
        InstallerRunner runner(machine, QString("language-") + c.locale);
        ASSERT_TRUE(runner.Setup(c.locale).finished);
        EXPECT_EQ(InstalledFiles(machine),
                  (QStringList{"PYRN", "PYRN.ini", c.library, "lib7-zip32.so"}));
        EXPECT_EQ(ProductValue(machine, "Language"), RegistryValue::Dword(c.language));
        const QString entry = machine.Prefix() + "/root/Desktop/" + c.name + ".desktop";
        EXPECT_EQ(EntryValue(entry, "Name"), c.name);
    }
}

TEST(SetupInstallTest, SecondRunOffersMaintenanceWhoseRepairRestoresWhatWentMissing)
{
    SetupMachine machine("msiexec_repair");
    InstallerRunner runner(machine, "repair");
    InstallGerman(machine, runner);
    ASSERT_TRUE(QFile::remove(InstallFolder(machine) + "/PYRN.ini"));
    ASSERT_TRUE(QFile::remove(DesktopEntry(machine)));

    const SetupRun cancelled = runner.Setup("de_DE.UTF-8", "cancel");
    ASSERT_TRUE(cancelled.finished);
    EXPECT_EQ(cancelled.output, QStringList{"maintenance Installation von TARV Post Log Viewer\t"
                                            "&Reparieren\t&Entfernen"});
    EXPECT_TRUE(machine.LogMessages().contains("ExecuteMaintenance result:1602"));
    EXPECT_FALSE(QFileInfo::exists(InstallFolder(machine) + "/PYRN.ini"));

    const SetupRun repaired = runner.Setup("de_DE.UTF-8", "repair");
    ASSERT_TRUE(repaired.finished);
    EXPECT_TRUE(repaired.output.contains("progress Installation von TARV Post Log Viewer\t"
                                         "TARV Post Log Viewer wird repariert"));
    EXPECT_TRUE(machine.LogMessages().contains("ExecuteMaintenance result:0"));
    EXPECT_EQ(InstalledFiles(machine), kGermanFiles);
    EXPECT_TRUE(QFileInfo::exists(DesktopEntry(machine)));
    EXPECT_EQ(ProductValue(machine, "Language"), RegistryValue::Dword(1031));
}

TEST(SetupInstallTest, RemoveLeavesNothingOfTheProductAndSetupFinishesItsLeftovers)
{
    SetupMachine machine("msiexec_remove");
    InstallerRunner runner(machine, "remove");
    // The folders that the installation made go again; the registry store stays.
    QStringList folders = Folders(machine);
    folders.append("/var/lib/tarv-registry");
    folders.sort();
    InstallGerman(machine, runner);
    ASSERT_FALSE(ProductLeftovers(machine).isEmpty());

    const SetupRun run = runner.Setup("de_DE.UTF-8", "remove");
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(run.output.contains("progress Installation von TARV Post Log Viewer\t"
                                    "TARV Post Log Viewer wird entfernt"));
    const QStringList log = machine.LogMessages();
    EXPECT_TRUE(log.contains("ExecuteMaintenance result:0")) << log.join('\n').toStdString();
    EXPECT_EQ(ProductLeftovers(machine), QStringList());
    EXPECT_EQ(Folders(machine), folders);
}

// The desktop is that of the user who started setup, found through sudo or pkexec and that
// user's own folders, never through HOME; repair and removal act where the installation wrote,
// whoever runs them and whatever HOME is then.
TEST(SetupInstallTest, DesktopShortcutFollowsTheStartingUserAndMaintenanceFindsItThere)
{
    const struct
    {
        const char* name;
        QStringList install;     // environment of the installing setup
        QString desktop;         // below the root
        unsigned owner;          // of the desktop folder
        QStringList maintenance; // environment of the repair and the removal
    } cases[] = {
        {"root", {"HOME=/tmp"}, "/root/Desktop", 0, {"HOME=/var/tmp"}},
        {"sudo",
         {"SUDO_USER=alice", "HOME=/root"},
         "/home/alice/Desktop",
         kAlice,
         {"SUDO_USER=bob", "HOME=/home/bob"}},
        {"pkexec",
         {"PKEXEC_UID=54322"},
         "/home/bob/Schreibtisch",
         kBob,
         {"PKEXEC_UID=54321", "HOME=/home/alice"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetupMachine machine("msiexec_desktop");
        InstallerRunner runner(machine, QString("desktop-") + c.name);
        QStringList folders = Folders(machine);
        folders.append("/var/lib/tarv-registry");
        folders.sort();
        const QString entry = machine.Prefix() + c.desktop + "/TARV Post Log Viewer.desktop";
        auto run = [&](const QStringList& environment, const QString& choice) {
            for (const char* name : {"HOME", "SUDO_USER", "PKEXEC_UID"}) {
                runner.Environment().remove(name);
            }
            for (const QString& variable : environment) {
                runner.Environment().insert(variable.section('=', 0, 0), variable.section('=', 1));
            }
            ASSERT_TRUE(runner.Setup("de_DE.UTF-8", choice).finished);
        };

        run(c.install, "cancel");
        ASSERT_TRUE(machine.LogMessages().contains("result:0"));
        EXPECT_TRUE(QFileInfo::exists(entry));
        EXPECT_EQ(QFileInfo(machine.Prefix() + c.desktop).ownerId(), c.owner);
        EXPECT_EQ(ForeignFoldersInHomes(machine), QStringList());

        ASSERT_TRUE(QFile::remove(entry));
        run(c.maintenance, "repair");
        EXPECT_TRUE(machine.LogMessages().contains("ExecuteMaintenance result:0"));
        EXPECT_TRUE(QFileInfo::exists(entry));
        QStringList entries;
        QDirIterator paths(machine.Prefix(), {"*.desktop"}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (paths.hasNext()) {
            entries.append(paths.next());
        }
        entries.sort();
        QStringList expected{entry, MenuEntry(machine)};
        expected.sort();
        EXPECT_EQ(entries, expected);

        run(c.maintenance, "remove");
        EXPECT_EQ(ProductLeftovers(machine), QStringList());
        EXPECT_EQ(Folders(machine), folders);
    }
}

TEST(SetupInstallTest, NewerVersionInstalledFirstStopsWithTheTranslatedDowngradeMessage)
{
    SetupMachine machine("msiexec_newer");
    InstallerRunner runner(machine, "newer");
    const QString newer = VersionPackage(machine, "3.10.0", kNewerCode);
    const ProgramRun first =
        runner.Msiexec({"/i", newer, "/norestart", "/qn"}, machine.Path("packages"));
    ASSERT_EQ(first.exitCode, 0) << first.errors.toStdString();

    const SetupRun run = runner.Setup("de_DE.UTF-8");
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(run.output.contains("message " + kCaption +
                                    "\tEine neuere Version von TARV Post Log Viewer ist bereits "
                                    "installiert.\t3"))
        << run.output.join('\n').toStdString();
    EXPECT_TRUE(machine.LogMessages().contains("result:1603"));
    EXPECT_FALSE(RegistryKeyExists(machine, kUninstallKey + CarriedProductCode()));
    EXPECT_TRUE(RegistryKeyExists(machine, kUninstallKey + kNewerCode));
    EXPECT_EQ(ProductValue(machine, "Language"), RegistryValue::Dword(1033));
}

TEST(SetupInstallTest, OlderVersionIsRemovedAfterTheNewInstallKeepingWhatBothShare)
{
    SetupMachine machine("msiexec_older");
    InstallerRunner runner(machine, "older");
    const QString older = VersionPackage(machine, "2.5.0", kOlderCode);
    const ProgramRun first = runner.Msiexec({"/i", older, "/qn"}, machine.Path("packages"));
    ASSERT_EQ(first.exitCode, 0) << first.errors.toStdString();
    ASSERT_TRUE(InstalledFiles(machine).contains("kwel_pyrnLanguageResourceEN.so"));

    InstallGerman(machine, runner);
    EXPECT_FALSE(RegistryKeyExists(machine, kUninstallKey + kOlderCode));
    EXPECT_FALSE(QFileInfo::exists(machine.Prefix() + "/var/lib/tarv-installer/" + kOlderCode));
    EXPECT_TRUE(RegistryKeyExists(machine, kUninstallKey + CarriedProductCode()));
    // The English library went with the older product; what both hold stayed.
    EXPECT_EQ(InstalledFiles(machine), kGermanFiles);
    EXPECT_EQ(ProductValue(machine, "Language"), RegistryValue::Dword(1031));
    EXPECT_EQ(RegistryValueOf(machine, RegistryHive::CurrentUser, kProductKey, "startmenu"),
              RegistryValue::Dword(1));
    EXPECT_TRUE(QFileInfo::exists(MenuEntry(machine)));
}

// The machine's real roots: what each holds, or that it is missing.
QStringList RealRoots()
{
    QStringList state;
    const QStringList roots = {"/opt",
                               "/var/opt",
                               "/var/lib/tarv-registry",
                               "/var/lib/tarv-installer",
                               "/usr/local/share/applications",
                               "/run/_MSIExecute.lock",
                               QDir::homePath() + "/Desktop"};
    for (const QString& root : roots) {
        const QFileInfo info(root);
        state.append(root + (info.exists() ? ": " : ": missing"));
        if (info.isDir()) {
            state.append(QDir(root).entryList(
                QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name));
        }
    }
    return state;
}

TEST(SetupInstallTest, InstallAndRemovalUnderTheTestRootLeaveTheRealRootsAlone)
{
    const QStringList before = RealRoots();
    SetupMachine machine("msiexec_real_roots");
    InstallerRunner runner(machine, "real-roots");
    InstallGerman(machine, runner);
    ASSERT_TRUE(runner.Setup("de_DE.UTF-8", "remove").finished);
    EXPECT_EQ(RealRoots(), before);
}

} // namespace
