// Why: the layers that stand in for the Windows services setup relies on: the registry the
// installer writes and setup believes, the installer's 32-bit result across a Linux exit
// status, the machine-wide lock, the string tables and the language codes.
#include "platform/MachineLock.h"
#include "platform/ProcessLauncher.h"
#include "platform/RegistryKey.h"
#include "platform/StringTables.h"
#include "setup/UiLanguage.h"
#include "tests/setup/SetupTestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::RegistryHive;
using platform::RegistryStore;
using platform::RegistryValue;

class SetupPlatformTest : public ::testing::Test
{
protected:
    SetupPlatformTest() : m_machine("setup_platform") { m_machine.Enter(m_environment); }

    SetupMachine m_machine;
    ScopedEnvironment m_environment;
};

TEST_F(SetupPlatformTest, RegistryStoreKeepsKeysAndValuesAcrossSaveAndLoad)
{
    RegistryStore store;
    ASSERT_TRUE(store.Load(RegistryHive::LocalMachine)); // no file yet: an empty hive
    store.SetValue("Software\\Maker\\Product\\Install", "Language", RegistryValue::Dword(0x0C0A));
    store.SetValue("Software\\Maker\\Product\\Install", "Dir",
                   RegistryValue::String("/var/opt/a \"quoted\" \\ name\nnext"));
    store.CreateKey("Software\\Empty");
    ASSERT_TRUE(store.Save(RegistryHive::LocalMachine));

    RegistryStore loaded;
    ASSERT_TRUE(loaded.Load(RegistryHive::LocalMachine));
    EXPECT_EQ(loaded.Serialize(), store.Serialize());
    EXPECT_TRUE(loaded.KeyExists("software\\MAKER")); // parents exist, letter case aside
    EXPECT_TRUE(loaded.KeyExists("Software\\Empty"));
    EXPECT_FALSE(loaded.KeyExists("Software\\Emp"));
    ASSERT_NE(loaded.FindValue("SOFTWARE\\maker\\product\\install", "language"), nullptr);
    EXPECT_EQ(*loaded.FindValue("Software\\Maker\\Product\\Install", "Language"),
              RegistryValue::Dword(0x0C0A));
    EXPECT_EQ(loaded.FindValue("Software\\Maker\\Product\\Install", "Dir")->text,
              "/var/opt/a \"quoted\" \\ name\nnext");

    EXPECT_TRUE(loaded.DeleteKey("Software\\Maker"));
    EXPECT_FALSE(loaded.KeyExists("Software\\Maker\\Product\\Install"));
    EXPECT_TRUE(loaded.KeyExists("Software\\Empty"));
}

// Setup runs as root and deletes what the store names: values anyone else could have written
// are never believed.
TEST_F(SetupPlatformTest, RegistryStoreRefusesHivesNotRootsAloneAndMalformedOnes)
{
    RegistryStore store;
    store.SetValue("Software\\Key", "Value", RegistryValue::Dword(1));
    ASSERT_TRUE(store.Save(RegistryHive::LocalMachine));
    const std::string hive = RegistryStore::HivePath(RegistryHive::LocalMachine);
    ASSERT_EQ(hive, (m_machine.Prefix() + "/var/lib/tarv-registry/HKLM.reg").toStdString());

    struct Case
    {
        const char* name;
        std::function<void()> spoil;
        std::function<void()> mend;
    };
    const Case cases[] = {
        {"written by others", [&] { ::chmod(hive.c_str(), 0666); },
         [&] { ::chmod(hive.c_str(), 0644); }},
        {"owned by another user", [&] { ASSERT_EQ(::chown(hive.c_str(), 65534, 65534), 0); },
         [&] { ASSERT_EQ(::chown(hive.c_str(), 0, 0), 0); }},
        {"folder written by others",
         [&] {
             ::chmod((m_machine.Prefix() + "/var/lib/tarv-registry").toUtf8().constData(), 0777);
         },
         [&] {
             ::chmod((m_machine.Prefix() + "/var/lib/tarv-registry").toUtf8().constData(), 0755);
         }},
    };
    for (const Case& c : cases) {
        c.spoil();
        RegistryStore refused;
        EXPECT_FALSE(refused.Load(RegistryHive::LocalMachine)) << c.name;
        EXPECT_FALSE(refused.KeyExists("Software\\Key")) << c.name;
        platform::RegistryKey key;
        EXPECT_FALSE(key.Open(RegistryHive::LocalMachine, "Software\\Key")) << c.name;
        c.mend();
    }
    for (const char* text : {"\"Value\"=dword:1\n", "[Key]\n\"Value\"=dword:123456789\n",
                             "[Key]\n\"Value\"=\"unterminated\n", "[Key]\nValue=dword:1\n",
                             "[Key]\n\"Value\"=\"bad \\x escape\"\n", "[]\n"}) {
        RegistryStore malformed;
        EXPECT_FALSE(malformed.Parse(text)) << text;
    }
}

TEST_F(SetupPlatformTest, RegistryKeyReadsAsAWindowsQueryWould)
{
    RegistryStore store;
    const std::string key = "Software\\Product\\Install";
    store.SetValue(key, "Language", RegistryValue::Dword(1031));
    store.SetValue(key, "Text", RegistryValue::String("1031"));
    store.SetValue(key, "Fits", RegistryValue::String(std::string(259, 'a')));
    store.SetValue(key, "TooLong", RegistryValue::String(std::string(260, 'a')));
    store.SetValue(key, "Wide",
                   RegistryValue::String(std::string(129 * 2, 'a') + "\xF0\x9F\x98\x80"));
    ASSERT_TRUE(store.Save(RegistryHive::LocalMachine));

    platform::RegistryKey opened;
    ASSERT_TRUE(opened.Open(RegistryHive::LocalMachine, key));
    uint32_t value = 0xFFFFFFFF;
    EXPECT_TRUE(opened.QueryDwordValue("language", value));
    EXPECT_EQ(value, 1031u);
    value = 0xFFFFFFFF;
    EXPECT_FALSE(opened.QueryDwordValue("Text", value));
    EXPECT_FALSE(opened.QueryDwordValue("Missing", value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    std::string text;
    EXPECT_TRUE(opened.QueryStringValue("Fits", text, 260));
    EXPECT_FALSE(opened.QueryStringValue("TooLong", text, 260));
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(opened.QueryStringValue("Wide", text, 260)); // 258 + a surrogate pair + 0
    EXPECT_FALSE(opened.QueryStringValue("Language", text, 260));
    EXPECT_FALSE(platform::RegistryKey().Open(RegistryHive::LocalMachine, "Software\\Nothing"));
}

TEST(SetupCommandLineTest, SplitsAsWindowsProgramsDo)
{
    struct Case
    {
        const char* line;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {"/i \"Install.dat\" /norestart TRANSFORMS=lang.mst",
         {"/i", "Install.dat", "/norestart", "TRANSFORMS=lang.mst"}},
        {"/I{5F1C3A52-8E0B-4C4B-9E57-2D1A3C7B9F10} /norestart",
         {"/I{5F1C3A52-8E0B-4C4B-9E57-2D1A3C7B9F10}", "/norestart"}},
        {"  \"a b\"\t c\"d e\"f ", {"a b", "cd ef"}},
        {"a\\\\\"b c\" d", {"a\\b c", "d"}},
        {"a\\\"b \\c", {"a\"b", "\\c"}},
        {"\"\" x", {"", "x"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::SplitCommandLine(c.line), c.arguments) << c.line;
    }
}

// The installer's results (1603, 3010) do not fit an exit status: they travel beside it.
TEST_F(SetupPlatformTest, LauncherHandsBackTheFull32BitResultAndTheWorkingFolder)
{
    m_environment.Set("SETUP_STANDIN_RECORD", m_machine.Record());
    m_environment.Set("SETUP_STANDIN_RESULT", "3010");
    platform::LaunchRequest request{"runas", "msiexec", "/i \"x y\"",
                                    m_machine.Home().toStdString()};
    const platform::LaunchResult result = platform::RunProgramAndWait(request);
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.exitStatus, 3010 & 0xFF);
    EXPECT_EQ(result.ExitCode(), 3010u);
    EXPECT_EQ(m_machine.Recorded("arguments"), (QStringList{"/i", "x y"}));
    EXPECT_EQ(m_machine.Recorded("folder"), QStringList{m_machine.Home()});

    for (const char* program : {"../setup/msiexec", "/bin/true", "true", "no-such-program", ""}) {
        EXPECT_FALSE(platform::RunProgramAndWait({"", program, "", ""}).started) << program;
    }
    EXPECT_FALSE(platform::RunProgramAndWait({"", "msiexec", "", "/no/such/folder"}).started);
    // Outside a launched child there is no one to hand a result to.
    EXPECT_FALSE(platform::ReportProcessResult(1));
}

TEST_F(SetupPlatformTest, MachineLockIsHeldOnceAndRefusesPlantedFiles)
{
    platform::MachineLock first;
    platform::MachineLock second;
    EXPECT_EQ(first.Acquire("Setup Lock"), platform::LockResult::Acquired);
    EXPECT_EQ(second.Acquire("Setup Lock"), platform::LockResult::HeldElsewhere);
    first.Release();
    EXPECT_EQ(second.Acquire("Setup Lock"), platform::LockResult::Acquired);
    second.Release();

    const QByteArray path = QByteArray::fromStdString(platform::MachineLock::PathOf("Planted"));
    QFile planted(QString::fromUtf8(path));
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.close();
    ASSERT_EQ(::chown(path.constData(), 65534, 65534), 0);
    EXPECT_EQ(first.Acquire("Planted"), platform::LockResult::Failed);
    const QByteArray folder = (m_machine.Prefix() + "/run").toUtf8();
    ::chmod(folder.constData(), 0777);
    EXPECT_EQ(first.Acquire("Setup Lock"), platform::LockResult::Failed);
    ::chmod(folder.constData(), 0755);
    EXPECT_EQ(first.Acquire("a/b"), platform::LockResult::Failed);
}

TEST(SetupStringTableTest, StringsComeInTheAskedLanguageOnly)
{
    struct Case
    {
        unsigned id;
        unsigned language;
        const char* text;
    };
    const Case cases[] = {
        {2169, 0x0407, "TARV Post Log Viewer-Setup"},
        {2170, 0x0C0A, "Reinicio fallido."},
        {2170, 0x0411, "起動できませんでした。"},
        {2169, 0x0404, "TARV Post Log Viewer 安裝程式"},
        {2170, 0x0804, "无法启动。"},
        {2170, 0, "Restart failed."}, // the neutral language reads English
        {2170, 0x0410, ""},           // Italian: no table
        {2197, 0x0409, ""},           // the user's guide name: no string
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::LoadLanguageString(c.id, c.language), c.text)
            << c.id << " " << c.language;
    }
}

TEST(SetupLanguageCodeTest, LanguageIdsGiveSetupsCodes)
{
    struct Case
    {
        uint16_t languageId;
        int code;
    };
    const Case cases[] = {
        {0x0401, 23}, {0x0404, 20}, {0x0804, 19}, {0x0C04, 19}, {0x0405, 29}, {0x0407, 3},
        {0x0408, 16}, {0x0409, 1},  {0x0809, 2},  {0x0C09, 1},  {0x0C0A, 6},  {0x040C, 4},
        {0x0410, 5},  {0x0411, 18}, {0x0412, 21}, {0x0413, 8},  {0x0415, 13}, {0x0416, 7},
        {0x0419, 15}, {0x041D, 12}, {0x041E, 25}, {0x041F, 14}, {0x040E, 1},  {0, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UiLanguageCodeOf(c.languageId), c.code) << std::hex << c.languageId;
    }
    EXPECT_EQ(GetOsVersionCode(), 0);
}

} // namespace
