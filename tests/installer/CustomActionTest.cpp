// Why: the package's custom-action library is called by the installer program through the
// installer's own interface; Cancel must be hidden with the message the installer knows, and
// the folder page must accept exactly the folders that can be installed to.
#include "resources/installer/customaction/CustomAction.h"

#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace {

// A stand-in for the installer program: properties, records and the messages it received.
struct FakeInstaller
{
    std::map<std::string, std::string> properties;
    std::map<MSIHANDLE, std::vector<int>> records;
    std::vector<std::pair<int, std::vector<int>>> messages;
    MSIHANDLE next = 100;
};

FakeInstaller* g_installer = nullptr;
constexpr MSIHANDLE kInstall = 7;

} // namespace

extern "C" {

MSIHANDLE MsiCreateRecord(unsigned int fieldCount)
{
    g_installer->records[g_installer->next] = std::vector<int>(fieldCount + 1, 0);
    return g_installer->next++;
}

unsigned int MsiRecordSetInteger(MSIHANDLE record, unsigned int field, int value)
{
    g_installer->records.at(record).at(field) = value;
    return kErrorSuccess;
}

unsigned int MsiCloseHandle(MSIHANDLE handle)
{
    g_installer->records.erase(handle);
    return kErrorSuccess;
}

int MsiProcessMessage(MSIHANDLE install, int messageType, MSIHANDLE record)
{
    EXPECT_EQ(install, kInstall);
    g_installer->messages.emplace_back(messageType, g_installer->records.at(record));
    return 0;
}

unsigned int MsiGetPropertyA(MSIHANDLE install, const char* name, char* value, std::uint32_t* size)
{
    EXPECT_EQ(install, kInstall);
    const std::string text = g_installer->properties[name];
    const std::uint32_t capacity = *size;
    *size = static_cast<std::uint32_t>(text.size());
    if (text.size() >= capacity) {
        return kErrorMoreData;
    }
    std::memcpy(value, text.c_str(), text.size() + 1);
    return kErrorSuccess;
}

unsigned int MsiSetPropertyA(MSIHANDLE install, const char* name, const char* value)
{
    EXPECT_EQ(install, kInstall);
    g_installer->properties[name] = value;
    return kErrorSuccess;
}
}

namespace {

class CustomActionTest : public ::testing::Test
{
protected:
    void SetUp() override { g_installer = &m_installer; }
    void TearDown() override { g_installer = nullptr; }
    FakeInstaller m_installer;
};

TEST_F(CustomActionTest, HideCancelButtonSendsTheCommonDataMessage)
{
    EXPECT_EQ(HideCancelButton(kInstall), kErrorSuccess);
    ASSERT_EQ(m_installer.messages.size(), 1U);
    EXPECT_EQ(m_installer.messages[0].first, kInstallMessageCommonData);
    EXPECT_EQ(m_installer.messages[0].second, (std::vector<int>{0, 2, 0}));
    EXPECT_TRUE(m_installer.records.empty()) << "the record is closed";
}

// The page edits the folder property that WIXUI_INSTALLDIR names.
TEST_F(CustomActionTest, ValidatePathJudgesTheFolderThePageEdits)
{
    const std::string longName(256, 'n');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/opt/TARV/", "1"},
        {"/opt/TARV", "1"},
        {"/", "1"},
        {"/opt/" + std::string(255, 'x') + "/", "1"},
        {"/opt/" + std::string(300, 'y').replace(150, 1, "/"), "1"},
        {"", "0"},
        {"opt/TARV", "0"},
        {"/opt/../etc", "0"},
        {"/opt/./TARV", "0"},
        {"/opt/" + longName, "0"},
        {"/opt/TA\tRV", "0"},
        {"/" + std::string(4095, 'z'), "0"},
    };
    for (const auto& [path, valid] : cases) {
        m_installer.properties = {{"WIXUI_INSTALLDIR", "MANUFACTURERDIR"},
                                  {"MANUFACTURERDIR", path}};
        EXPECT_EQ(ValidatePath(kInstall), kErrorSuccess);
        EXPECT_EQ(m_installer.properties["WIXUI_INSTALLDIR_VALID"], valid) << path.substr(0, 40);
    }
    m_installer.properties = {{"MANUFACTURERDIR", "/opt/TARV/"}};
    ValidatePath(kInstall);
    EXPECT_EQ(m_installer.properties["WIXUI_INSTALLDIR_VALID"], "0") << "no folder property named";
}

} // namespace
