// Why: settings and temporary folders must land in the user's XDG folders, and never at the
// file-system root when the environment names no usable folder.
#include "platform/UserFolders.h"

#include "tests/ScopedEnvironment.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(UserFoldersTest, XdgVariablesThenTheHomeFolder)
{
    using platform::SpecialFolder;
    const struct
    {
        const char* home;
        const char* config;
        const char* data;
        const char* wantConfig; // null: no folder
        const char* wantData;
    } cases[] = {
        {"/home/u", nullptr, nullptr, "/home/u/.config", "/home/u/.local/share"},
        {"/home/u/", "/x/conf//", "/y/data", "/x/conf", "/y/data"},
        {"/home/u", "relative", "", "/home/u/.config", "/home/u/.local/share"},
        {nullptr, nullptr, nullptr, nullptr, nullptr},
        {"", nullptr, nullptr, nullptr, nullptr},
        {"/", nullptr, nullptr, nullptr, nullptr},
        {"relative", "/", "/", nullptr, nullptr},
        {nullptr, "/c", "/d", "/c", "/d"},
    };
    for (const auto& c : cases) {
        ScopedEnvironment environment;
        environment.Set("HOME", c.home);
        environment.Set("XDG_CONFIG_HOME", c.config);
        environment.Set("XDG_DATA_HOME", c.data);
        std::string path = "untouched";
        EXPECT_EQ(platform::GetSpecialFolder(SpecialFolder::UserConfig, path),
                  c.wantConfig != nullptr);
        EXPECT_EQ(path, c.wantConfig ? c.wantConfig : "untouched");
        path = "untouched";
        EXPECT_EQ(platform::GetSpecialFolder(SpecialFolder::UserData, path), c.wantData != nullptr);
        EXPECT_EQ(path, c.wantData ? c.wantData : "untouched");
    }
}

} // namespace
