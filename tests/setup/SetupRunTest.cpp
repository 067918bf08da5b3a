// Why: the real setup program, end to end against a recording stand-in for the installer
// program: what it hands over, where, with which transform, and what it leaves behind.
#include "tests/setup/SetupTestSupport.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsReadOnly(const QString& path)
{
    struct stat info = {};
    return ::stat(path.toUtf8().constData(), &info) == 0 && (info.st_mode & S_IWUSR) == 0;
}

TEST(SetupRunTest, GermanInstallHandsOverThePackageAndTheGermanTransformInTheDataFolder)
{
    SetupMachine machine("setup_german");
    SetupRunner runner(machine);
    runner.Environment().insert("SETUP_STANDIN_RESULT", "1603");
    const SetupRun run = runner.Run("de_DE.UTF-8");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0); // the installer's result never reaches setup's exit code
    EXPECT_EQ(run.output, QStringList{"dialog 10 4"});

    EXPECT_EQ(machine.Recorded("arguments"),
              (QStringList{"/i", "Install.dat", "/norestart", "TRANSFORMS=lang.mst"}));
    EXPECT_EQ(machine.Recorded("folder"), QStringList{machine.DataFolder()});
    EXPECT_EQ(machine.Seen("lang.mst"), CarriedResource(135));
    EXPECT_EQ(machine.Seen("Install.dat"), CarriedResource(132));

    EXPECT_FALSE(QFileInfo::exists(machine.DataFolder() + "/lang.mst"));
    EXPECT_TRUE(QFileInfo::exists(machine.DataFolder() + "/Install.dat"));
    EXPECT_TRUE(IsReadOnly(machine.DataFolder()));
    EXPECT_TRUE(QDir(machine.Temp() + "/PYRNInstallTemp").isEmpty());

    EXPECT_EQ(machine.LogMessages(),
              (QStringList{"-- log start --", "m_guid:[" + CarriedProductCode() + "]",
                           "MaintananceMode:0", "Install \"TARV Post Log Viewer\"...",
                           "result:1603", "-- log end --"}));
}

TEST(SetupRunTest, EnglishInstallPassesNoTransform)
{
    SetupMachine machine("setup_english");
    SetupRunner runner(machine);
    const SetupRun run = runner.Run("en_US.UTF-8");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.output, QStringList{"dialog 10 1"});
    EXPECT_EQ(machine.Recorded("arguments"), (QStringList{"/i", "Install.dat", "/norestart"}));
    EXPECT_TRUE(machine.Seen("lang.mst").isEmpty());
    EXPECT_TRUE(machine.LogMessages().contains("result:0"));
}

TEST(SetupRunTest, ChosenRowIsInstalledAndCancelOrCloseInstallsNothing)
{
    struct Case
    {
        const char* answer;
        const char* row;
        QStringList arguments;
    };
    const Case cases[] = {
        {"ok", "9", {"/i", "Install.dat", "/norestart", "TRANSFORMS=lang.mst"}},
        {"cancel", "", {}},
        {"close", "", {}},
    };
    for (const Case& c : cases) {
        SetupMachine machine("setup_answer");
        SetupRunner runner(machine);
        runner.Environment().insert("SETUP_DRIVER_DIALOG", c.answer);
        if (*c.row != '\0') {
            runner.Environment().insert("SETUP_DRIVER_ROW", c.row);
        }
        const SetupRun run = runner.Run("ja_JP.UTF-8");
        ASSERT_TRUE(run.finished) << c.answer;
        EXPECT_EQ(run.output, QStringList{"dialog 10 0"}) << c.answer;
        EXPECT_EQ(machine.Recorded("arguments"), c.arguments) << c.answer;
        if (c.arguments.isEmpty()) {
            EXPECT_EQ(machine.LogMessages(),
                      (QStringList{"-- log start --", "m_guid:[" + CarriedProductCode() + "]",
                                   "MaintananceMode:0", "-- log end --"}))
                << c.answer;
            EXPECT_FALSE(QFileInfo::exists(machine.DataFolder())) << c.answer;
        } else {
            EXPECT_EQ(machine.Seen("lang.mst"), CarriedResource(2196)) << c.answer;
        }
    }
}

TEST(SetupRunTest, MaintenanceRunsTheProductCodeInTheDataFolderWithoutTheDialog)
{
    SetupMachine machine("setup_maintenance");
    machine.RegisterProduct(1031);
    SetupRunner runner(machine);
    runner.Environment().insert("SETUP_STANDIN_RESULT", "3010");
    const SetupRun run = runner.Run("en_US.UTF-8");
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(run.output.isEmpty()) << run.output.join('|').toStdString();
    EXPECT_EQ(machine.Recorded("arguments"),
              (QStringList{"/I" + CarriedProductCode(), "/norestart"}));
    EXPECT_EQ(machine.Recorded("folder"), QStringList{machine.DataFolder()});
    EXPECT_EQ(machine.LogMessages(),
              (QStringList{"-- log start --", "m_guid:[" + CarriedProductCode() + "]",
                           "MaintananceMode:1", "GetMsiLCID result:1031",
                           "ExecuteMaintenance result:3010", "-- log end --"}));
    // The product is still there: nothing of it is removed.
    EXPECT_TRUE(QFileInfo::exists(machine.DataFolder()));
}

TEST(SetupRunTest, MaintenanceThatRemovedTheProductRemovesItsLeftovers)
{
    SetupMachine machine("setup_removal");
    machine.RegisterProduct(1049);
    QDir().mkpath(machine.DataFolder());
    QFile(machine.DataFolder() + "/Install.dat").open(QIODevice::WriteOnly);
    SetupRunner runner(machine);
    runner.Environment().insert("SETUP_STANDIN_REMOVE_PRODUCT", "1");
    const SetupRun run = runner.Run("en_US.UTF-8");
    ASSERT_TRUE(run.finished);
    EXPECT_FALSE(QFileInfo::exists(machine.DataFolder()));
    // The maker's folder goes only when nothing else is left in it.
    EXPECT_TRUE(QFileInfo::exists(machine.Prefix() + "/var/opt/TARV/TARV Post Log Viewer"));
    EXPECT_TRUE(machine.LogMessages().contains("ExecuteMaintenance result:0"));
}

TEST(SetupRunTest, MaintenanceWithoutAKnownLanguageStopsBeforeTheInstaller)
{
    struct Case
    {
        const char* name;
        std::optional<uint32_t> language;
        bool productKey;
        QStringList expected;
    };
    const Case cases[] = {
        {"no product key", 1031, false, {"GetMsiLCID result:0"}},
        {"no Language value", std::nullopt, true, {"GetMsiLCID result:-1"}},
        {"Language 0", 0, true, {"GetMsiLCID result:0"}},
        {"Italian", 1040, true, {"GetMsiLCID result:1040", "lang:10."}},
    };
    for (const Case& c : cases) {
        SetupMachine machine("setup_lcid");
        machine.RegisterProduct(c.language, c.productKey);
        SetupRunner runner(machine);
        const SetupRun run = runner.Run("en_US.UTF-8");
        ASSERT_TRUE(run.finished) << c.name;
        QStringList expected = {"-- log start --", "m_guid:[" + CarriedProductCode() + "]",
                                "MaintananceMode:1"};
        expected << c.expected << "ExecuteMaintenance result:-1"
                 << "-- log end --";
        EXPECT_EQ(machine.LogMessages(), expected) << c.name;
        EXPECT_TRUE(machine.Recorded("arguments").isEmpty()) << c.name;
    }
}

} // namespace

namespace {

constexpr int kNobody = 65534;

TEST(SetupRunTest, SecondSetupWhileTheFirstShowsItsDialogEndsSilently)
{
    SetupMachine machine("setup_second");
    SetupRunner runner(machine);
    QProcess first;
    QProcessEnvironment environment = runner.Environment();
    environment.insert("LANG", "en_US.UTF-8");
    environment.insert("SETUP_DRIVER_DIALOG", "hold");
    first.setProcessEnvironment(environment);
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const auto [program, arguments] = runner.Command(std::nullopt);
    first.start(program, arguments);
    while (!first.canReadLine() && first.waitForReadyRead(60000)) {
    }
    ASSERT_EQ(first.readLine().trimmed(), "dialog 10 1");

    const SetupRun second = runner.Run("en_US.UTF-8");
    ASSERT_TRUE(second.finished);
    EXPECT_TRUE(second.output.isEmpty());

    first.closeWriteChannel(); // the held dialog is cancelled
    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(machine.LogMessages(),
              (QStringList{"-- log start --", "m_guid:[" + CarriedProductCode() + "]",
                           "MaintananceMode:0", "-- log start --", "Process already exists.",
                           "-- log end --", "-- log end --"}));
    EXPECT_TRUE(machine.Recorded("arguments").isEmpty());
}

TEST(SetupRunTest, NonRootRunShowsRestartFailedInTheUsersLanguageAndExtractsNothing)
{
    struct Case
    {
        const char* locale;
        QString caption;
        QString text;
    };
    const Case cases[] = {
        {"de_DE.UTF-8", "TARV Post Log Viewer-Setup", "Neustart ist fehlgeschlagen."},
        {"zh_TW.UTF-8", "TARV Post Log Viewer 安裝程式", "無法啟動。"},
        {"th_TH.UTF-8", "การติดตั้ง TARV Post Log Viewer", "รีสตาร์ทล้มเหลว"},
        // A language without a row: English is what the user reads.
        {"it_IT.UTF-8", "TARV Post Log Viewer Setup", "Restart failed."},
    };
    for (const Case& c : cases) {
        SetupMachine machine("setup_nonroot");
        SetupRunner runner(machine);
        const SetupRun run = runner.Run(c.locale, kNobody);
        ASSERT_TRUE(run.finished) << c.locale;
        EXPECT_EQ(run.output, QStringList{"message " + c.caption + "\t" + c.text + "\t3"})
            << c.locale;
        EXPECT_FALSE(QFileInfo::exists(machine.Temp() + "/PYRNInstallTemp")) << c.locale;
        EXPECT_EQ(machine.LogMessages(), (QStringList{"-- log start --", "-- log end --"}))
            << c.locale;
    }
}

// A shared temporary folder lets anyone plant "PYRNInstallTemp": root must neither write
// through it nor empty what it leads to.
TEST(SetupRunTest, PlantedTemporaryFolderIsRefusedWithRestartFailed)
{
    enum class Plant
    {
        LinkToFolder,
        ForeignFolder
    };
    for (const Plant plant : {Plant::LinkToFolder, Plant::ForeignFolder}) {
        SetupMachine machine("setup_planted");
        const QString victim = machine.Path("victim");
        QDir().mkpath(victim);
        QFile keep(victim + "/keep.txt");
        ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
        keep.write("kept");
        keep.close();
        const QString temp = machine.Temp() + "/PYRNInstallTemp";
        if (plant == Plant::LinkToFolder) {
            ASSERT_TRUE(QFile::link(victim, temp));
        } else {
            ASSERT_TRUE(QDir().rename(victim, temp));
            ASSERT_EQ(::chown(temp.toUtf8().constData(), kNobody, kNobody), 0);
        }
        const QString planted = plant == Plant::LinkToFolder ? victim : temp;

        SetupRunner runner(machine);
        const SetupRun run = runner.Run("en_US.UTF-8");
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.output,
                  QStringList{"message TARV Post Log Viewer Setup\tRestart failed.\t3"});
        EXPECT_EQ(QDir(planted).entryList(QDir::Files), QStringList{"keep.txt"});
        EXPECT_EQ(machine.LogMessages(),
                  (QStringList{"-- log start --", "Temporary folder [" + temp + "] refused.",
                               "-- log end --"}));
        EXPECT_TRUE(machine.Recorded("arguments").isEmpty());
    }
}

// The lock lives where only root may create files, readable by root alone: another user can
// neither create it nor open it to hold it, so no one can keep every setup from running.
TEST(SetupRunTest, AnotherUserCannotHoldTheSetupLock)
{
    SetupMachine machine("setup_lock");
    const QString lock = machine.Prefix() + "/run/TARV Post Log Viewer Setup.lock";
    const auto holdAsNobody = [&lock] {
        QProcess flock;
        flock.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "flock",
                                "--nonblock", "--conflict-exit-code", "99", lock, "true"});
        return flock.waitForFinished(60000) ? flock.exitCode() : -1;
    };
    QDir().mkpath(machine.Prefix() + "/run");
    const int beforeCreated = holdAsNobody();
    EXPECT_NE(beforeCreated, 0);
    EXPECT_NE(beforeCreated, 99);
    EXPECT_FALSE(QFileInfo::exists(lock));

    SetupRunner runner(machine);
    runner.Environment().insert("SETUP_DRIVER_DIALOG", "cancel");
    ASSERT_EQ(runner.Run("en_US.UTF-8").output, QStringList{"dialog 10 1"});
    struct stat info = {};
    ASSERT_EQ(::stat(lock.toUtf8().constData(), &info), 0);
    EXPECT_EQ(info.st_uid, 0u);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const int afterCreated = holdAsNobody();
    EXPECT_NE(afterCreated, 0);
    EXPECT_NE(afterCreated, 99);
}

// The day's log lies in a shared temporary folder: what another user puts under its name is
// not the log. It must neither stop setup (a FIFO blocks an open for writing) nor receive
// root's lines; setup runs on without a log.
TEST(SetupRunTest, WhatIsPlantedUnderTheDaysLogNameIsLeftAloneAndSetupRunsOn)
{
    enum class Plant
    {
        FileOfAnotherUser,
        HardLink,
        Link,
        Fifo
    };
    for (const Plant plant :
         {Plant::FileOfAnotherUser, Plant::HardLink, Plant::Link, Plant::Fifo}) {
        SCOPED_TRACE(static_cast<int>(plant));
        SetupMachine machine("setup_planted_log");
        const QString day = machine.Temp() + "/TARV Post Log Viewer Setup-" +
                            QDate::currentDate().toString("yyyyMMdd") + ".log";
        const QString victim = plant == Plant::FileOfAnotherUser ? day : machine.Path("victim");
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("victim");
        file.close();
        const QByteArray path = day.toUtf8();
        switch (plant) {
        case Plant::Fifo:
            ASSERT_EQ(::mkfifo(path.constData(), 0666), 0);
            break;
        case Plant::FileOfAnotherUser:
            ASSERT_EQ(::chmod(path.constData(), 0666), 0);
            break;
        case Plant::HardLink:
            ASSERT_EQ(::link(victim.toUtf8().constData(), path.constData()), 0);
            break;
        case Plant::Link:
            ASSERT_TRUE(QFile::link(victim, day));
            break;
        }
        ASSERT_EQ(::lchown(path.constData(), kNobody, kNobody), 0);
        struct stat before = {};
        ASSERT_EQ(::lstat(path.constData(), &before), 0);

        SetupRunner runner(machine);
        runner.Environment().insert("SETUP_DRIVER_DIALOG", "cancel");
        const SetupRun run = runner.Run("en_US.UTF-8");
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.output, QStringList{"dialog 10 1"});
        struct stat after = {};
        ASSERT_EQ(::lstat(path.constData(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_uid, before.st_uid);
        QFile read(victim);
        ASSERT_TRUE(read.open(QIODevice::ReadOnly));
        EXPECT_EQ(read.readAll(), QByteArray("victim"));
    }
}

// Without a display Qt would abort setup. Setup says what to set in one line instead, ends its
// log's run and fails; a platform given to Qt (as tests give it) is a display.
TEST(SetupRunTest, NoDisplayIsSaidInOneLineAndTheLogStillEnds)
{
    const struct
    {
        QStringList environment;
        QStringList arguments;
        bool refused;
    } cases[] = {
        {{}, {}, true},
        {{"DISPLAY=", "WAYLAND_DISPLAY="}, {}, true},
        {{"QT_QPA_PLATFORM=offscreen"}, {}, false},
        {{}, {"-platform", "offscreen"}, false},
    };
    const QString said = "no display for its windows: set DISPLAY (X11) or WAYLAND_DISPLAY "
                         "(Wayland) to the desktop that is to show them";
    for (const auto& c : cases) {
        SCOPED_TRACE((c.environment + c.arguments).join(' ').toStdString());
        SetupMachine machine("setup_display");
        SetupRunner runner(machine);
        runner.Environment().insert("SETUP_DRIVER_DIALOG", "cancel");
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            runner.Environment().remove(name);
        }
        for (const QString& variable : c.environment) {
            runner.Environment().insert(variable.section('=', 0, 0), variable.section('=', 1));
        }
        const SetupRun run = runner.Run("en_US.UTF-8", std::nullopt, c.arguments);
        ASSERT_TRUE(run.finished);
        const QStringList log = machine.LogMessages();
        if (c.refused) {
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_EQ(run.errors, "setup: " + said + "\n");
            EXPECT_EQ(run.output, QStringList());
            EXPECT_EQ(log, (QStringList{"-- log start --", said, "-- log end --"}));
        } else {
            EXPECT_EQ(run.exitCode, 0);
            EXPECT_EQ(run.output, QStringList{"dialog 10 1"});
            EXPECT_EQ(log.value(log.size() - 1), "-- log end --");
        }
    }
}

TEST(SetupRunTest, RealRootsStayUntouched)
{
    const QStringList realPaths = {"/opt/TARV", "/var/opt/TARV", "/var/lib/tarv-registry",
                                   "/run/TARV Post Log Viewer Setup.lock"};
    const auto snapshot = [&realPaths] {
        QStringList state;
        for (const QString& path : realPaths) {
            const QFileInfo info(path);
            state << path + (info.exists() ? " " + info.lastModified().toString(Qt::ISODateWithMs)
                                           : QStringLiteral(" missing"));
        }
        return state;
    };
    const QStringList before = snapshot();
    SetupMachine machine("setup_roots");
    SetupRunner runner(machine);
    ASSERT_TRUE(runner.Run("de_DE.UTF-8").finished);
    machine.RegisterProduct(1031);
    runner.Environment().insert("SETUP_STANDIN_REMOVE_PRODUCT", "1");
    ASSERT_TRUE(runner.Run("de_DE.UTF-8").finished);
    EXPECT_EQ(machine.Recorded("arguments").value(0), "/I" + CarriedProductCode());
    EXPECT_EQ(snapshot(), before);
}

} // namespace
