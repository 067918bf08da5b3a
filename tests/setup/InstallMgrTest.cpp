// Why: the install manager's own steps, in this process: the package's product code through
// libmsi, what a damaged or missing package logs, the private temporary folder, a failed move
// of the package, and the leftovers after a removal.
#include "platform/EmbeddedResources.h"
#include "setup/CInstallMgr.h"
#include "setup/CSetupApp.h"
#include "setup/CSetupDlg.h"
#include "setup/SetupLog.h"
#include "tests/HostileCorpus.h"
#include "tests/setup/SetupTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

mode_t ModeOf(const QString& path)
{
    struct stat info = {};
    return ::lstat(path.toUtf8().constData(), &info) == 0 ? info.st_mode : 0;
}

// One machine per test, the log open in its temporary folder, and the program's resources
// with any of them replaced or taken away.
class InstallMgrTest : public ::testing::Test
{
protected:
    InstallMgrTest() : m_machine("setup_mgr"), m_program(platform::EmbeddedResources())
    {
        m_machine.Enter(m_environment);
        m_environment.Set("SETUP_STANDIN_RECORD", m_machine.Record());
        m_environment.Unset("SETUP_STANDIN_RESULT");
        SetupLog::GetInstance()->Open("TARV Post Log Viewer Setup.log", QString());
    }
    ~InstallMgrTest() override
    {
        SetupLog::DeleteInstance();
        platform::SetEmbeddedResources(m_program);
    }

    // Resource 132 of type RT_RCDATA becomes `bytes`; nullopt takes it away.
    void ReplaceResource(unsigned id, const std::optional<QByteArray>& bytes)
    {
        m_replacement = bytes.value_or(QByteArray());
        m_table.clear();
        for (const platform::EmbeddedResource& resource : m_program) {
            if (resource.id != id || resource.type != "RT_RCDATA") {
                m_table.push_back(resource);
            } else if (bytes) {
                m_table.push_back(
                    {resource.type,
                     id,
                     {reinterpret_cast<const unsigned char*>(m_replacement.constData()),
                      static_cast<std::size_t>(m_replacement.size())}});
            }
        }
        platform::SetEmbeddedResources(m_table);
    }

    QStringList LogMessages()
    {
        SetupLog::GetInstance()->Close();
        return m_machine.LogMessages();
    }

    SetupMachine m_machine;
    ScopedEnvironment m_environment;
    std::span<const platform::EmbeddedResource> m_program;
    std::vector<platform::EmbeddedResource> m_table;
    QByteArray m_replacement;
};

TEST_F(InstallMgrTest, ReadsTheProductCodeOfTheCarriedPackage)
{
    CInstallMgr manager;
    EXPECT_EQ(manager.ExtractPackage(), 0);
    EXPECT_EQ(manager.GetGuid(), CarriedProductCode());
    EXPECT_EQ(ReadFile(m_machine.Temp() + "/PYRNInstallTemp/PYRN_Installer.msi"),
              CarriedResource(132));
    EXPECT_FALSE(manager.IsMaintenanceMode());
    EXPECT_EQ(LogMessages(),
              (QStringList{"-- log start --", "m_guid:[" + CarriedProductCode() + "]",
                           "MaintananceMode:0", "-- log end --"}));
}

TEST_F(InstallMgrTest, PackageWithoutProductCodeLeavesTheCodeEmptyAndSucceeds)
{
    ReplaceResource(132, ReadFile(SETUP_NO_PRODUCT_CODE_PACKAGE));
    CInstallMgr manager;
    EXPECT_EQ(manager.ExtractPackage(), 0);
    EXPECT_TRUE(manager.GetGuid().isEmpty());
    EXPECT_TRUE(LogMessages().contains("m_guid:[]"));
}

TEST_F(InstallMgrTest, MissingOrDamagedPackageLogsOpenFailed)
{
    std::vector<std::pair<std::string, std::optional<QByteArray>>> packages = {
        {"missing", std::nullopt}};
    for (const HostileInput& input : LoadHostileInputs("setup")) {
        packages.emplace_back(input.name, ReadFile(QString::fromStdString(input.Path())));
        EXPECT_EQ(input.GetInt("extract"), 110) << input.name;
    }
    ASSERT_EQ(packages.size(), 4u);
    for (const auto& [name, bytes] : packages) {
        ReplaceResource(132, bytes);
        CInstallMgr manager;
        EXPECT_EQ(manager.ExtractPackage(), 110) << name;
        EXPECT_TRUE(manager.GetGuid().isEmpty()) << name;
    }
    const QStringList messages = LogMessages();
    EXPECT_EQ(messages.count("MsiOpenDatabase() returned [110]."), 4);
}

TEST_F(InstallMgrTest, LeftoverTemporaryFolderIsEmptiedAndMadePrivate)
{
    const QString temp = m_machine.Temp() + "/PYRNInstallTemp";
    WriteFile(temp + "/old.msi", "old");
    WriteFile(temp + "/.keep", "dot");
    WriteFile(temp + "/sub/inner.txt", "inner");
    ::chmod(temp.toUtf8().constData(), 0777);
    {
        CInstallMgr manager;
        EXPECT_EQ(ModeOf(temp) & 0777, 0700u);
        EXPECT_EQ(QDir(temp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                       QDir::Name),
                  (QStringList{".keep", "sub"}));
        EXPECT_TRUE(QDir(temp + "/sub").isEmpty());
        EXPECT_EQ(manager.ExtractPackage(), 0);
    }
    // Emptied again at the end; the folder and the dot file stay.
    EXPECT_EQ(
        QDir(temp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
        (QStringList{".keep", "sub"}));
}

// When the package cannot become "Install.dat" it would run from the temporary folder, where
// no transform lies: nothing is started.
TEST_F(InstallMgrTest, FailedMoveOfThePackageIsLoggedAndNothingRuns)
{
    CInstallMgr manager;
    ASSERT_EQ(manager.ExtractPackage(), 0);
    WriteFile(m_machine.DataFolder() + "/Install.dat/in-the-way",
              "a folder where the package goes");
    EXPECT_EQ(manager.InstallProduct(4), -1);
    EXPECT_TRUE(m_machine.Recorded("arguments").isEmpty());
    EXPECT_FALSE(QFileInfo::exists(m_machine.DataFolder() + "/lang.mst"));
    EXPECT_TRUE(LogMessages().contains("MoveFileEx() failed: [" + m_machine.DataFolder() +
                                       "/Install.dat]."));
}

TEST_F(InstallMgrTest, MissingTransformStopsTheInstallBeforeTheInstaller)
{
    ReplaceResource(135, std::nullopt);
    CInstallMgr manager;
    ASSERT_EQ(manager.ExtractPackage(), 0);
    EXPECT_EQ(manager.InstallProduct(4), -1);
    EXPECT_EQ(manager.InstallProduct(10), -1);
    EXPECT_TRUE(m_machine.Recorded("arguments").isEmpty());
    // English needs none.
    EXPECT_EQ(manager.InstallProduct(1), 0);
    EXPECT_EQ(m_machine.Recorded("arguments"), (QStringList{"/i", "Install.dat", "/norestart"}));
}

TEST_F(InstallMgrTest, RemoveLeftoversDeletesThePackageAndRemovesOnlyEmptyFolders)
{
    const QString appData = m_machine.Prefix() + "/var/opt/TARV/";
    const QString source = m_machine.DataFolder() + "/";
    const QString outside = m_machine.Path("outside.txt");
    WriteFile(outside, "outside");
    WriteFile(source + "Install.dat", "package");
    ::chmod((source + "Install.dat").toUtf8().constData(), 0444);
    ::chmod(source.toUtf8().constData(), 0555);
    CInstallMgr manager;
    manager.RemoveLeftovers(appData, source);
    EXPECT_FALSE(QFileInfo::exists(source));
    EXPECT_TRUE(QFileInfo::exists(appData)); // "TARV Post Log Viewer" is still in it

    // An "Install.dat" that is a link goes itself; what it leads to stays.
    QDir().mkpath(source);
    ASSERT_TRUE(QFile::link(outside, source + "Install.dat"));
    manager.RemoveLeftovers(QString(), source);
    EXPECT_FALSE(QFileInfo::exists(source));
    EXPECT_EQ(ReadFile(outside), "outside");

    ASSERT_TRUE(QDir().rmdir(appData + "TARV Post Log Viewer"));
    manager.RemoveLeftovers(appData, QString());
    EXPECT_FALSE(QFileInfo::exists(appData));
}

} // namespace

namespace {

// The setup run around a damaged package: the same message as for a missing administrator,
// no language dialog, and the Windows Installer error in the log.
TEST_F(InstallMgrTest, SetupRunShowsRestartFailedForADamagedPackageAndAsksNothing)
{
    ReplaceResource(132, QByteArray("not a package"));
    m_environment.Set("LANG", "fr_FR.UTF-8");
    m_environment.Unset("LANGUAGE");
    m_environment.Unset("LC_ALL");
    m_environment.Unset("LC_MESSAGES");
    int argc = 1;
    char name[] = "setup";
    char* argv[] = {name, nullptr};
    CSetupApp app(argc, argv);
    QStringList shown;
    int dialogs = 0;
    app.m_showError = [&shown](const QString& text, const QString& caption) {
        shown << caption << text;
    };
    app.m_runDialog = [&dialogs](CSetupDlg&) {
        ++dialogs;
        return IDCANCEL;
    };
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(shown, (QStringList{"Installation de TARV Post Log Viewer", "Redémarrage échoué."}));
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(
        m_machine.LogMessages(),
        (QStringList{"-- log start --", "MsiOpenDatabase() returned [110].", "-- log end --"}));
    EXPECT_TRUE(QDir(m_machine.Temp() + "/PYRNInstallTemp").isEmpty());
}

} // namespace
