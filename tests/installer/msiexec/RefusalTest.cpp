// Why: a package the installer cannot carry out in full must change nothing: what it does not
// support is refused by name before the first change, a failure half-way is undone, and no
// cabinet entry name reaches outside the install folder.
#include "tests/HostileCorpus.h"
#include "tests/installer/msiexec/InstallerTestSupport.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kFailureStatus = 1603 & 0xFF;
constexpr int kNobody = 65534;

// Every file under the scratch machine named "evil" (what the hostile cabinets carry).
QStringList PlantedFiles(const SetupMachine& machine)
{
    QStringList planted;
    QDirIterator paths(machine.Path(""), {"evil"}, QDir::Files | QDir::Hidden,
                       QDirIterator::Subdirectories);
    while (paths.hasNext()) {
        planted.append(paths.next());
    }
    return planted;
}

// A start that cannot go on says on standard error what happened, not a guess, and changes
// nothing: windows without a display (where Qt would abort), an installation lock that is not
// root's alone even when root runs it. Quiet runs need no display.
TEST(RefusalTest, StartThatCannotGoOnSaysWhatHappenedAndInstallsNothing)
{
    enum class Start
    {
        NoDisplay,
        QuietNoDisplay,
        LockFolderOthersMayWrite,
        LockOfAnotherUser,
        LockIsAFolder
    };
    const struct
    {
        Start start;
        int status;
        QString line; // the one line on standard error; %1 the lock's folder
    } cases[] = {
        {Start::NoDisplay, kFailureStatus,
         "msiexec: no display for its windows: set DISPLAY (X11) or WAYLAND_DISPLAY (Wayland), "
         "or add /qn to run without windows\n"},
        {Start::QuietNoDisplay, 0, ""},
        {Start::LockFolderOthersMayWrite, kFailureStatus,
         "msiexec: the installation lock cannot be taken: %1 is not a folder that only root "
         "may write\n"},
        {Start::LockOfAnotherUser, kFailureStatus,
         "msiexec: the installation lock cannot be taken: %1/_MSIExecute.lock is not a plain "
         "file of the user who runs it\n"},
        {Start::LockIsAFolder, kFailureStatus,
         "msiexec: the installation lock cannot be taken: %1/_MSIExecute.lock: Is a directory\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.start));
        SetupMachine machine("msiexec_start");
        InstallerRunner runner(machine, "start");
        const QString locks = machine.Prefix() + "/run";
        const QString lock = locks + "/_MSIExecute.lock";
        QDir().mkpath(locks);
        QDir().mkpath(machine.Path("packages"));
        QStringList arguments = {"/i", BuiltPackage(), "/qn"};
        switch (c.start) {
        case Start::NoDisplay:
            arguments.removeLast();
            [[fallthrough]];
        case Start::QuietNoDisplay:
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
                runner.Environment().remove(name);
            }
            break;
        case Start::LockFolderOthersMayWrite:
            ASSERT_EQ(::chmod(locks.toUtf8().constData(), 0777), 0);
            break;
        case Start::LockOfAnotherUser: {
            QFile file(lock);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            ASSERT_EQ(::fchown(file.handle(), kNobody, kNobody), 0);
            break;
        }
        case Start::LockIsAFolder:
            ASSERT_TRUE(QDir().mkpath(lock));
            break;
        }
        const ProgramRun run = runner.Msiexec(arguments, machine.Path("packages"));
        EXPECT_EQ(run.exitCode, c.status) << run.errors.toStdString();
        EXPECT_EQ(run.errors, QString(c.line).replace("%1", locks));
        EXPECT_EQ(ProductLeftovers(machine).isEmpty(), c.status != 0);
    }
}

TEST(RefusalTest, FailedLaunchConditionShowsItsMessageAndInstallsNothing)
{
    SetupMachine machine("msiexec_launch");
    InstallerRunner runner(machine, "launch-condition");
    const QString package = EditedPackage(
        machine, "launch.msi",
        {"DELETE FROM LaunchCondition",
         "INSERT INTO LaunchCondition (Condition, Description) VALUES ('VersionNT >= 1000', "
         "'Error occurred.')"});
    const ProgramRun run = runner.Msiexec({"/i", package, "/norestart"}, machine.Path("packages"));
    EXPECT_EQ(run.exitCode, kFailureStatus);
    EXPECT_TRUE(run.output.contains("message TARV Post Log Viewer\tError occurred.\t3"))
        << run.output.join('\n').toStdString();
    EXPECT_EQ(ProductLeftovers(machine), QStringList());
}

TEST(RefusalTest, WhatIsNotSupportedIsNamedAndNothingIsInstalled)
{
    const struct
    {
        const char* name;
        QStringList queries;
        const char* line;
    } cases[] = {
        {"table",
         {"INSERT INTO ServiceInstall (ServiceInstall, Name, ServiceType, StartType, "
          "ErrorControl, Component_) VALUES ('Viewer', 'pyrn', 16, 2, 1, 'PYRN')"},
         "the table ServiceInstall is not supported"},
        {"action",
         {"INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('InstallODBC', 5400)"},
         "the action InstallODBC is not supported"},
        {"custom-action-type",
         {"INSERT INTO CustomAction (Action, Type, Source, Target) VALUES ('RunScript', 6, "
          "'CustomAction', 'Main')",
          "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('RunScript', 4100)"},
         "the custom action RunScript of type 6 is not supported"},
        {"unsafe-file-name",
         {"UPDATE File SET FileName = 'x|../../evil' WHERE File = 'Settings'"},
         "the file name \"x|../../evil\" is not a safe name"},
        {"unsafe-folder-name",
         {"UPDATE Directory SET DefaultDir = '..' WHERE Directory = 'INSTALLLOCATION'"},
         "leads through INSTALLLOCATION, named \"..\", not a safe name"},
        {"folder-outside-the-roots",
         {"UPDATE Directory SET Directory_Parent = 'TARGETDIR' WHERE Directory = "
          "'MANUFACTURERDIR'"},
         "the folder INSTALLLOCATION lies outside"},
        {"environment-variable",
         {"UPDATE Registry SET Value = '[%HOME]' WHERE Registry = 'TarvAppDataDir'"},
         "the form [%HOME] in Registry.Value is not supported"},
        {"component-state-condition",
         {"UPDATE Component SET Condition = '$PYRN = 3' WHERE Component = 'LanguageDE'"},
         "the condition of Component row LanguageDE cannot be read"},
    };
    SetupMachine machine("msiexec_unsupported");
    InstallerRunner runner(machine, "unsupported");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString package = EditedPackage(machine, QString(c.name) + ".msi", c.queries);
        const ProgramRun run = runner.Msiexec(
            {"/i", package, "/qn", "TRANSFORMS=" + BuiltTransform(135)}, machine.Path("packages"));
        EXPECT_EQ(run.exitCode, kFailureStatus);
        EXPECT_TRUE(run.errors.contains(QString::fromUtf8(c.line))) << run.errors.toStdString();
        EXPECT_EQ(ProductLeftovers(machine), QStringList());
    }
}

TEST(RefusalTest, FailureHalfWayUndoesTheInstallationAndRestoresReplacedFiles)
{
    SetupMachine machine("msiexec_rollback");
    InstallerRunner runner(machine, "rollback");
    // The last deferred action cannot call its library: everything before it is undone.
    const QString package = EditedPackage(
        machine, "failing.msi",
        {"UPDATE CustomAction SET Target = 'NoSuchEntry' WHERE Action = 'HideCanceAction'"});
    QDir().mkpath(InstallFolder(machine));
    QFile settings(InstallFolder(machine) + "/PYRN.ini");
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[PrintImage]\r\nWidth=812\r\n");
    settings.close();

    const ProgramRun run = runner.Msiexec({"/i", package, "/qn"}, machine.Path("packages"));
    EXPECT_EQ(run.exitCode, kFailureStatus);
    EXPECT_TRUE(run.errors.contains("cannot call NoSuchEntry")) << run.errors.toStdString();
    EXPECT_EQ(InstalledFiles(machine), QStringList{"PYRN.ini"});
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_EQ(settings.readAll(), QByteArray("[PrintImage]\r\nWidth=812\r\n"));
    QFile::remove(settings.fileName());
    EXPECT_EQ(ProductLeftovers(machine),
              (QStringList{"/opt/TARV", "/opt/TARV/TARV Post Log Viewer"}));
}

TEST(RefusalTest, CancelInTheProgressWindowEndsWith1602AndLeavesNothingInstalled)
{
    SetupMachine machine("msiexec_cancel");
    InstallerRunner runner(machine, "cancel");
    runner.Environment().insert("INSTALLER_DRIVER_PROGRESS", "cancel");
    const SetupRun run = runner.Setup("de_DE.UTF-8");
    ASSERT_TRUE(run.finished);
    // The wizard's closing text asks for its Finish button: that is the box's button.
    const qsizetype box = run.output.indexOf("button &Fertig stellen");
    ASSERT_GE(box, 0) << run.output.join('\n').toStdString();
    EXPECT_TRUE(run.output.value(box + 1).endsWith(
        "Klicken Sie auf „Fertig stellen“, um den Installations-Assistenten zu beenden.\t1"));
    EXPECT_TRUE(machine.LogMessages().contains("result:1602"));
    EXPECT_FALSE(QFileInfo::exists(InstallFolder(machine)));
    EXPECT_FALSE(RegistryKeyExists(machine, kUninstallKey + CarriedProductCode()));
    EXPECT_FALSE(RegistryKeyExists(machine, kProductKey));
}

class HostileCabinetTest : public ::testing::TestWithParam<HostileInput>
{};

TEST_P(HostileCabinetTest, IsRefusedWithoutWritingAnything)
{
    const HostileInput& input = GetParam();
    SetupMachine machine("msiexec_cabinet");
    InstallerRunner runner(machine, "cabinet");
    const bool plantedBefore = QFileInfo::exists("/tmp/evil");
    const QString package =
        EditedPackage(machine, "cabinet.msi", {}, QString::fromStdString(input.Path()));
    const ProgramRun run = runner.Msiexec({"/i", package, "/qn"}, machine.Path("packages"));
    EXPECT_EQ(run.exitCode, input.GetInt("install") & 0xFF) << run.errors.toStdString();
    EXPECT_EQ(ProductLeftovers(machine), QStringList());
    EXPECT_EQ(PlantedFiles(machine), QStringList());
    EXPECT_EQ(QFileInfo::exists("/tmp/evil"), plantedBefore);
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileCabinetTest,
                         ::testing::ValuesIn(LoadHostileInputs("msiexec")),
                         [](const auto& info) { return HostileTestName(info.param); });

TEST(HostileCabinetCorpusTest, EveryCabinetIsListedWithItsExpectedResult)
{
    QStringList files = QDir(QString::fromStdString(HostileFolder("msiexec").string()))
                            .entryList({"*.cab"}, QDir::Files, QDir::Name);
    QStringList listed;
    for (const HostileInput& input : LoadHostileInputs("msiexec")) {
        listed.append(QString::fromStdString(input.name));
    }
    listed.sort();
    EXPECT_EQ(files, listed);
}

} // namespace
