// Why: the real setup program, end to end against a recording stand-in for the installer
// program: what it hands over, where, with which transform, and what it leaves behind.
#include "tests/setup/SetupTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
              (QStringList{"-- log start --", "m_guid:[" + kPlaceholderProductCode + "]",
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
                      (QStringList{"-- log start --", "m_guid:[" + kPlaceholderProductCode + "]",
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
              (QStringList{"/I" + kPlaceholderProductCode, "/norestart"}));
    EXPECT_EQ(machine.Recorded("folder"), QStringList{machine.DataFolder()});
    EXPECT_EQ(machine.LogMessages(),
              (QStringList{"-- log start --", "m_guid:[" + kPlaceholderProductCode + "]",
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
        QStringList expected = {"-- log start --", "m_guid:[" + kPlaceholderProductCode + "]",
                                "MaintananceMode:1"};
        expected << c.expected << "ExecuteMaintenance result:-1"
                 << "-- log end --";
        EXPECT_EQ(machine.LogMessages(), expected) << c.name;
        EXPECT_TRUE(machine.Recorded("arguments").isEmpty()) << c.name;
    }
}

} // namespace
