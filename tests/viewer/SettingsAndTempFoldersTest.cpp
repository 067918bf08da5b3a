// Why: the page-image window size comes from exactly one settings file, with defaults for
// anything unusable, and the temporary-folder clean-up must remove the viewer's folders and
// nothing else.
#include "platform/ProfileFile.h"
#include "tests/viewer/ViewerFixture.h"

#include <algorithm>
#include <filesystem>

namespace {

using SettingsTest = ViewerFixture;
using TempFoldersTest = ViewerFixture;

TEST_F(SettingsTest, SizeComesFromOneFileWithDefaultsForUnusableValues)
{
    // Beside the test program lies a PYRN.ini with Width=640 and Height=480.
    const struct
    {
        const char* userIni; // null: no per-user file
        int width;
        int height;
    } cases[] = {
        {nullptr, 640, 480},
        {"[PrintImage]\r\nWidth=800\r\nHeight=600\r\n", 800, 600},
        {"[PrintImage]\nWidth=0\nHeight=abc\n", 500, 700},
        {"[PrintImage]\nWidth=-5\nHeight=-1\n", 500, 700},
        {"[printimage]\nwidth=12px\n", 12, 700},
        {"[Other]\nWidth=800\n", 500, 700},
        {"", 500, 700},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.userIni ? c.userIni : "(none)");
        std::filesystem::remove(UserIni());
        if (c.userIni != nullptr) {
            m_scratch.Write("config/TARV/PYRN/User.ini", c.userIni);
        }
        CPYRNApp app;
        app.LoadPrintImageSize();
        EXPECT_EQ(app.m_nPrintImageWidth, c.width);
        EXPECT_EQ(app.m_nPrintImageHeight, c.height);
    }
}

TEST_F(SettingsTest, WithoutAConfigurationFolderTheDefaultFileServesAndNothingIsSaved)
{
    m_environment.Set("XDG_CONFIG_HOME", nullptr);
    m_environment.Set("HOME", nullptr);
    CPYRNApp app;
    app.LoadPrintImageSize();
    EXPECT_EQ(app.m_nPrintImageWidth, 640);
    app.SavePrintImageSize();
    EXPECT_FALSE(std::filesystem::exists("/TARV/PYRN/User.ini"));
}

TEST_F(SettingsTest, SavingCreatesTheSettingsFolder)
{
    CPYRNApp app;
    app.m_nPrintImageWidth = 900;
    app.m_nPrintImageHeight = -3;
    app.SavePrintImageSize();
    EXPECT_EQ(platform::ReadProfileInt(UserIni(), "PrintImage", "Width", 0), 900);
    EXPECT_EQ(platform::ReadProfileInt(UserIni(), "PrintImage", "Height", 0), -3);
}

TEST_F(TempFoldersTest, RemovesEveryViewerFolderButTheOneToKeep)
{
    const std::string root = TempRoot();
    const std::string outside = m_scratch.MakeFolder("outside");
    m_scratch.Write("outside/precious", "x");
    for (const char* name : {"TempByPYRN_1", "TempByPYRN_2", "tempbypyrn_3", "TempByPYRN_4"}) {
        m_scratch.Write(std::string("data/TARV/TARV Post Log Viewer/") + name + "/sub/f", "x");
    }
    std::filesystem::permissions(root + "/TempByPYRN_4/sub/f", std::filesystem::perms::owner_read);
    m_scratch.Write("data/TARV/TARV Post Log Viewer/TempByPYRN_file", "not a folder");
    m_scratch.MakeFolder("data/TARV/TARV Post Log Viewer/Other");
    std::filesystem::create_directory_symlink(outside, root + "/TempByPYRN_link");

    CleanupTempFolders(QString::fromStdString(root + "/TempByPYRN_2"));

    std::vector<std::string> remaining;
    for (const auto& entry : std::filesystem::directory_iterator(root)) {
        remaining.push_back(entry.path().filename().string());
    }
    std::sort(remaining.begin(), remaining.end());
    // The link goes itself; what it leads to stays.
    EXPECT_EQ(remaining, (std::vector<std::string>{"Other", "TempByPYRN_2", "TempByPYRN_file"}));
    EXPECT_TRUE(std::filesystem::exists(root + "/TempByPYRN_2/sub/f"));
    EXPECT_TRUE(std::filesystem::exists(outside + "/precious"));

    // The folder to keep is compared exactly: another spelling keeps nothing.
    CleanupTempFolders(QString::fromStdString(root + "/TEMPBYPYRN_2"));
    EXPECT_FALSE(std::filesystem::exists(root + "/TempByPYRN_2"));
    CleanupTempFolders(QString());
}

} // namespace
