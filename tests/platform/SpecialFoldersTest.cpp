// Why: settings and temporary folders must land in the user's XDG folders, and never at the
// file-system root when the environment names no usable folder.
#include "platform/SpecialFolders.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

class Environment
{
public:
    Environment(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~Environment() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(SpecialFoldersTest, XdgVariablesThenTheHomeFolder)
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
        Environment home("HOME", c.home);
        Environment config("XDG_CONFIG_HOME", c.config);
        Environment data("XDG_DATA_HOME", c.data);
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
