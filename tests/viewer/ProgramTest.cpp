// Why: the real program must end with the right box and status when it may not run, count
// only the user's arguments, and after a normal run leave no temporary folder behind.
#include "platform/NamedLock.h"
#include "platform/ProfileFile.h"
#include "tests/ScratchFolder.h"
#include "tests/viewer/ViewerFixture.h"
#include "viewer/common/ResourceModule.h"

#include <QFileSystemWatcher>
#include <QProcess>
#include <QSignalSpy>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

constexpr int kTimeoutMs = 60000;

class ProgramTest : public ::testing::Test
{
protected:
    ProgramTest()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_CONFIG_HOME",
                           QString::fromStdString(m_scratch.MakeFolder("config")));
        environment.insert("XDG_DATA_HOME", QString::fromStdString(m_scratch.MakeFolder("data")));
        const std::string runtime = m_scratch.MakeFolder("runtime");
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime));
        m_process.setProcessEnvironment(environment);
        m_process.setWorkingDirectory(QString::fromStdString(m_scratch.MakeFolder("current")));
        m_runtime = runtime;
    }

    void Run(const QStringList& arguments, const QString& program = PYRN_PROGRAM)
    {
        m_process.start(program, arguments);
        ASSERT_TRUE(m_process.waitForStarted(kTimeoutMs));
        ASSERT_TRUE(m_process.waitForFinished(kTimeoutMs));
        m_errors = QString::fromUtf8(m_process.readAllStandardError());
    }
    std::string PlantTempFolder(const char* name)
    {
        return m_scratch.MakeFolder(std::string("data/TARV/TARV Post Log Viewer/") + name);
    }
    // Holds the single-instance lock as a running viewer would.
    void HoldLock()
    {
        m_environment.Set("XDG_RUNTIME_DIR", m_runtime.c_str());
        ASSERT_TRUE(m_running.Open("PYRN"));
        ASSERT_EQ(m_running.TryTake(), platform::LockTake::Taken);
    }

    ScratchFolder m_scratch{"ProgramTest"};
    ScopedEnvironment m_environment;
    QProcess m_process;
    QString m_errors;
    std::string m_runtime;
    platform::NamedLock m_running;
};

TEST_F(ProgramTest, SecondStartShowsAlreadyRunningAndLeavesTheRunningViewersFolders)
{
    const std::string running = PlantTempFolder("TempByPYRN_20240115090000");
    HoldLock();
    Run({"a.zip", "b.zip"});
    EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_process.exitCode(), 1);
    EXPECT_TRUE(m_errors.contains("\n(01001)")) << m_errors.toStdString();
    EXPECT_FALSE(m_errors.contains("(03001)"));
    EXPECT_TRUE(std::filesystem::exists(running));
}

TEST_F(ProgramTest, QtOptionsAreNotTheUsersArguments)
{
    Run({"-platform", "offscreen", "x.zip", "y.zip"});
    EXPECT_EQ(m_process.exitCode(), 1);
    EXPECT_TRUE(m_errors.contains("\n(03001)")) << m_errors.toStdString();
}

TEST_F(ProgramTest, TextsComeFromTheFirstLibraryNamedInTheCurrentFolder)
{
    // The name comes from the current folder, the file from the program's folder; only the
    // first name is tried.
    const std::string current = m_process.workingDirectory().toStdString();
    ResourceModule::UseBuiltInSet();
    const QString japanese =
        "[" + ResourceModule::String(57344) + "] " + ResourceModule::String(186) + " \n(03001)";
    const struct
    {
        std::vector<const char*> names;
        QString shown;
    } cases[] = {
        {{}, japanese},
        {{"kwel_pyrnLanguageResourceEN.so"},
         "[TARV Post Log Viewer] Error while opening file \n(03001)"},
        {{"kwel_pyrnLanguageResourceEN.so", "kwel_pyrnLanguageResourceFR.so"},
         "[TARV Post Log Viewer] Error while opening file \n(03001)"},
        {{"kwel_pyrnLanguageResourceAA.so", "kwel_pyrnLanguageResourceEN.so"}, japanese},
    };
    for (const auto& c : cases) {
        for (const auto& entry : std::filesystem::directory_iterator(current)) {
            std::filesystem::remove(entry.path());
        }
        for (const char* name : c.names) {
            m_scratch.Write("current/" + std::string(name), "not the library");
        }
        Run({"x.zip", "y.zip"});
        EXPECT_TRUE(m_errors.contains(c.shown)) << m_errors.toStdString();
    }
}

TEST_F(ProgramTest, MissingArchiverLibraryShows02001)
{
    const std::string copy = m_scratch / "bin/PYRN";
    std::filesystem::create_directories(m_scratch / "bin");
    std::filesystem::copy_file(PYRN_PROGRAM, copy);
    Run({}, QString::fromStdString(copy));
    EXPECT_EQ(m_process.exitCode(), 1);
    EXPECT_TRUE(m_errors.contains("\n(02001)")) << m_errors.toStdString();
}

TEST_F(ProgramTest, EndingANormalRunGivesStatus0AndLeavesNoTemporaryFolder)
{
    // With an archive the program may be ended while it opens it; without one, while its
    // File-Open dialog waits for the user.
    for (const QStringList& arguments :
         {QStringList{PYRN_SAMPLE_DIR "/SampleJob.zip"}, QStringList{}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const std::string left = PlantTempFolder("TempByPYRN_20240101000000");
        QFileSystemWatcher watcher({QString::fromStdString(left + "/..")});
        QSignalSpy changed(&watcher, &QFileSystemWatcher::directoryChanged);
        m_process.start(PYRN_PROGRAM, arguments);
        ASSERT_TRUE(m_process.waitForStarted(kTimeoutMs));
        // Start-up removes what a crashed run left; from then on it has the lock.
        while (std::filesystem::exists(left)) {
            ASSERT_TRUE(changed.wait(kTimeoutMs));
        }
        m_process.terminate();
        ASSERT_TRUE(m_process.waitForFinished(kTimeoutMs));
        EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(m_process.exitCode(), 0) << m_process.readAllStandardError().toStdString();
        EXPECT_TRUE(std::filesystem::is_empty(m_scratch / "data/TARV/TARV Post Log Viewer"));
        const std::string userIni = m_scratch / "config/TARV/PYRN/User.ini";
        EXPECT_EQ(platform::ReadProfileInt(userIni, "PrintImage", "Width", 0), 500);
        EXPECT_EQ(platform::ReadProfileInt(userIni, "PrintImage", "Height", 0), 700);
        std::filesystem::remove(userIni);
    }
}

} // namespace
