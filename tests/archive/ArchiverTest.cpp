// Why: the archiver library must tell a right password from a wrong one for every kind of ZIP
// encryption, and must never write outside the folder it extracts into.
#include "archiver/ArchiverApi.h"
#include "archiver/CommandLine.h"
#include "platform/LibraryLoader.h"
#include "tests/ScratchFolder.h"
#include "tests/TestArchives.h"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace testing_archives;

class ArchiverTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_library = platform::LoadProgramLibrary(kArchiverLibraryName);
        ASSERT_NE(s_library, nullptr);
        s_command = platform::ResolveFunction<ArchiverCommandFn>(s_library, kArchiverCommandName);
        s_version =
            platform::ResolveFunction<ArchiverGetVersionFn>(s_library, kArchiverGetVersionName);
        s_check =
            platform::ResolveFunction<ArchiverCheckArchiveFn>(s_library, kArchiverCheckArchiveName);
        s_kind = platform::ResolveFunction<ArchiverGetArchiveTypeFn>(s_library,
                                                                     kArchiverGetArchiveTypeName);
    }
    static void TearDownTestSuite()
    {
        platform::FreeLibrary(s_library);
        s_library = nullptr;
    }

    static int Run(const std::string& commandLine)
    {
        std::array<char, 1024> output{};
        return s_command(nullptr, commandLine.c_str(), output.data(), output.size());
    }
    static int Test(const std::string& archive, const std::string& passwordSwitch)
    {
        return Run("t " + archiver::QuoteText(archive) + " " + passwordSwitch);
    }
    static int Extract(const std::string& archive, const fs::path& folder,
                       const std::string& passwordSwitch = "")
    {
        return Run("x " + archiver::QuoteText(archive) + " -hide -o" +
                   archiver::QuoteText(folder.string()) + " -y -aos " + passwordSwitch);
    }
    static std::string PasswordSwitch(const std::string& password)
    {
        return "-p" + archiver::QuoteText(password);
    }

    static inline platform::LibraryHandle s_library = nullptr;
    static inline ArchiverCommandFn* s_command = nullptr;
    static inline ArchiverGetVersionFn* s_version = nullptr;
    static inline ArchiverCheckArchiveFn* s_check = nullptr;
    static inline ArchiverGetArchiveTypeFn* s_kind = nullptr;

    ScratchFolder m_temp{"ArchiverTest"};
};

const std::vector<Member> kJobMembers = {
    {"job.csv", std::string(3000, 'c') + "\r\nend\r\n"},
    {"job.mll", std::string(16, '\x5a')},
};

TEST_F(ArchiverTest, ExportsVersion922AndItsFunctions)
{
    ASSERT_NE(s_command, nullptr);
    ASSERT_NE(s_check, nullptr);
    ASSERT_NE(s_kind, nullptr);
    ASSERT_NE(s_version, nullptr);
    EXPECT_EQ(s_version() & 0xFFFF, 922u);
}

TEST_F(ArchiverTest, RecognisesZipAndTellsOtherKindsApart)
{
    const fs::path source = m_temp.Path() / "source";
    fs::create_directory(source);
    WriteFile(source / "log.csv", "a,b,c\r\n");
    ASSERT_TRUE(WriteZip(m_temp / "job.zip", kJobMembers));
    ASSERT_TRUE(Run7zz(source, {"a", "-ttar", (m_temp.Path() / "job.tar").string(), "log.csv"}));
    ASSERT_TRUE(Run7zz(source, {"a", "-tgzip", (m_temp.Path() / "log.gz").string(), "log.csv"}));
    WriteFile(m_temp.Path() / "empty.zip", "");

    struct Case
    {
        std::string file;
        int check;
        ArchiveKind kind;
    };
    const Case cases[] = {
        {"job.zip", 1, ArchiveKind::Zip},    {"job.tar", 1, ArchiveKind::Other},
        {"log.gz", 0, ArchiveKind::None},    {"source/log.csv", 0, ArchiveKind::None},
        {"empty.zip", 0, ArchiveKind::None}, {"missing.zip", 0, ArchiveKind::None},
    };
    for (const Case& c : cases) {
        const std::string path = m_temp / c.file;
        EXPECT_EQ(s_check(path.c_str(), 0) != 0, c.check != 0) << c.file;
        EXPECT_EQ(s_kind(path.c_str()), static_cast<int>(c.kind)) << c.file;
    }
    // Another kind of archive is never tested or extracted as a ZIP file.
    EXPECT_EQ(Test(m_temp / "job.tar", "-p"), kArchiverCannotOpen);
}

// Every kind of encryption: no password and an empty one ask for it, a wrong one is refused.
TEST_F(ArchiverTest, TestsPasswordsOfEveryEncryption)
{
    const fs::path source = m_temp.Path() / "source";
    fs::create_directories(source / "sub");
    WriteFile(source / "job.csv", std::string(5000, 'x'));
    WriteFile(source / "sub" / "job.mll", std::string(16, 'y'));

    ASSERT_TRUE(WriteZip(m_temp / "plain.zip", kJobMembers));
    ASSERT_TRUE(WriteZip(m_temp / "pkware.zip", kJobMembers, Encryption::Pkware, "secret"));
    ASSERT_TRUE(WriteZip(m_temp / "aes.zip", kJobMembers, Encryption::Aes256, "secret"));
    // libzip leaves the CRC out of entries under 20 bytes, as AE-2 asks; AE-1 keeps it.
    const std::vector<Member> largerMembers = {{"job.csv", std::string(3000, 'c')},
                                               {"job.mll", std::string(20, 'd')}};
    ASSERT_TRUE(WriteZip(m_temp / "ae1.zip", largerMembers, Encryption::Aes256, "secret"));
    ASSERT_EQ(SetAesVendorVersion(m_temp / "ae1.zip", 1), 4);
    ASSERT_TRUE(Run7zz(source, {"a", "-tzip", "-psecret", "-mem=AES256",
                                (m_temp.Path() / "ae2.zip").string(), "."}));
    ASSERT_TRUE(Run7zz(source, {"a", "-tzip", "-psecret", "-mem=ZipCrypto",
                                (m_temp.Path() / "zipcrypto.zip").string(), "."}));

    struct Case
    {
        std::string file;
        bool encrypted;
    };
    const Case cases[] = {{"plain.zip", false}, {"pkware.zip", true}, {"aes.zip", true},
                          {"ae1.zip", true},    {"ae2.zip", true},    {"zipcrypto.zip", true}};
    const int locked = kArchiverPasswordError;
    for (const Case& c : cases) {
        const std::string path = m_temp / c.file;
        EXPECT_EQ(Test(path, "-p"), c.encrypted ? locked : kArchiverOk) << c.file;
        EXPECT_EQ(Test(path, ""), c.encrypted ? locked : kArchiverOk) << c.file;
        EXPECT_EQ(Test(path, "-p\"\""), c.encrypted ? locked : kArchiverOk) << c.file;
        EXPECT_EQ(Test(path, "-psecret"), kArchiverOk) << c.file;
        EXPECT_EQ(Test(path, "-pSecret"), c.encrypted ? locked : kArchiverOk) << c.file;
    }
}

TEST_F(ArchiverTest, WrongPkwarePasswordPassingTheHeaderCheckIsRefused)
{
    const std::string archive = m_temp / "pkware.zip";
    ASSERT_TRUE(
        WriteZip(archive, {{"job.csv", std::string(4000, 'q')}}, Encryption::Pkware, "secret"));
    const std::string collision = FindPkwareCheckCollision(archive, "secret");
    ASSERT_FALSE(collision.empty());

    EXPECT_EQ(Test(archive, PasswordSwitch(collision)), kArchiverPasswordError);
    const fs::path out = m_temp.Path() / "out";
    fs::create_directory(out);
    EXPECT_EQ(Extract(archive, out, PasswordSwitch(collision)), kArchiverPasswordError);
    EXPECT_TRUE(ListTree(out).empty()) << "undecryptable data was left behind";
}

TEST_F(ArchiverTest, DamagedDataIsNeverTakenForSuccess)
{
    // Stored data, so the flipped byte reaches the CRC check unchanged.
    const std::vector<Member> members = {{"job.csv", std::string(200, 'a') + "MARK", {}, 0, true}};
    const std::string plain = m_temp / "plain.zip";
    const std::string aes = m_temp / "aes.zip";
    ASSERT_TRUE(WriteZip(plain, members));
    ASSERT_TRUE(
        Run7zz(m_temp.Path(), {"a", "-tzip", "-psecret", "-mem=AES256", "-mx0", aes, plain}));
    ASSERT_EQ(PatchFile(plain, "MARK", "MARC"), 1);
    EXPECT_EQ(Test(plain, "-p"), kArchiverDamagedData);

    // AES: the authentication code fails, which a password check cannot tell from a wrong key.
    const std::string data = ReadFile(aes);
    std::string damaged = data;
    damaged[data.size() / 2] = static_cast<char>(damaged[data.size() / 2] ^ 1);
    WriteFile(aes, damaged);
    EXPECT_NE(Test(aes, "-psecret"), kArchiverOk);
}

TEST_F(ArchiverTest, ExtractsFoldersAndMembersAndKeepsExistingFiles)
{
    const std::string archive = m_temp / "job.zip";
    ASSERT_TRUE(WriteZip(archive,
                         {{"job.csv", "log"},
                          {"sub/", "", true},
                          {"sub/deeper/job.mll", "digest"},
                          {"Temp.zip", "an archive member named like the copy"}},
                         Encryption::Aes256, "pw"));
    const fs::path out = m_temp.Path() / "out";
    fs::create_directory(out);
    WriteFile(out / "Temp.zip", "the copy");

    ASSERT_EQ(Extract(archive, out, "-ppw"), kArchiverOk);
    EXPECT_EQ(ListTree(out), (std::vector<std::string>{"Temp.zip", "job.csv", "sub/", "sub/deeper/",
                                                       "sub/deeper/job.mll"}));
    EXPECT_EQ(ReadFile(out / "sub" / "deeper" / "job.mll"), "digest");
    EXPECT_EQ(ReadFile(out / "Temp.zip"), "the copy");
}

// The quoting keeps a password with quotes and switches inside one word.
TEST_F(ArchiverTest, PasswordCannotInjectSwitches)
{
    const std::string password = "x\" -o\"" + (m_temp.Path() / "elsewhere").string();
    const std::string archive = m_temp / "job.zip";
    ASSERT_TRUE(WriteZip(archive, kJobMembers, Encryption::Aes256, password));
    const fs::path out = m_temp.Path() / "out";
    fs::create_directory(out);
    fs::create_directory(m_temp.Path() / "elsewhere");

    EXPECT_EQ(Test(archive, PasswordSwitch(password)), kArchiverOk);
    EXPECT_EQ(Extract(archive, out, PasswordSwitch(password)), kArchiverOk);
    EXPECT_EQ(ListTree(out), (std::vector<std::string>{"job.csv", "job.mll"}));
    EXPECT_TRUE(ListTree(m_temp.Path() / "elsewhere").empty());

    // Unquoted, the same text is a second -o switch, which is refused as a whole.
    EXPECT_EQ(Extract(archive, out, "-p\"" + password + "\""), kArchiverBadCommand);
    EXPECT_TRUE(ListTree(m_temp.Path() / "elsewhere").empty());
}

TEST_F(ArchiverTest, RefusesEntriesThatWouldLeaveTheFolderOrAreNotPlainFiles)
{
    struct Case
    {
        const char* what;
        Member member;
    };
    const Case cases[] = {
        {"parent", {"../evil.txt", "x"}},
        {"nested parent", {"sub/../../evil.txt", "x"}},
        {"absolute", {"/tmp/evil.txt", "x"}},
        {"backslash parent", {"..\\evil.txt", "x"}},
        {"drive letter", {"C:evil.txt", "x"}},
        {"empty component", {"sub//evil.txt", "x"}},
        {"symbolic link", {"link", "/etc/passwd", false, S_IFLNK | 0777}},
        {"character device", {"device", "", false, S_IFCHR | 0644}},
        {"block device", {"device", "", false, S_IFBLK | 0644}},
        {"fifo", {"fifo", "data", false, S_IFIFO | 0644}},
        {"socket", {"socket", "", false, S_IFSOCK | 0644}},
    };
    for (const Case& c : cases) {
        ScratchFolder temp("ArchiverTest");
        const std::string archive = temp / "bad.zip";
        ASSERT_TRUE(WriteZip(archive, {{"good.csv", "first"}, c.member})) << c.what;
        const fs::path out = temp.Path() / "a" / "b";
        fs::create_directories(out);
        WriteFile(out / "Temp.zip", "copy");

        EXPECT_EQ(Extract(archive, out), kArchiverUnsafeEntry) << c.what;
        EXPECT_EQ(ListTree(out), std::vector<std::string>{"Temp.zip"}) << c.what;
        EXPECT_EQ(ListTree(temp.Path() / "a"), (std::vector<std::string>{"b/", "b/Temp.zip"}))
            << c.what;
        EXPECT_FALSE(fs::exists("/tmp/evil.txt")) << c.what;
    }
}

TEST_F(ArchiverTest, RefusesNamesWithNulAndDuplicatesAndDisagreeingHeaders)
{
    struct Case
    {
        const char* what;
        std::string from;
        std::string to;
        int patches;
    };
    const Case cases[] = {
        {"NUL byte", "aXb.csv", std::string("a\0b.csv", 7), 2},
        {"duplicate", "aXb.csv", "job.csv", 2},
        {"local name differs", "PK\x03\x04", "PK\x03\x04", 0},
    };
    for (const Case& c : cases) {
        ScratchFolder temp("ArchiverTest");
        const std::string archive = temp / "bad.zip";
        ASSERT_TRUE(WriteZip(archive, {{"job.csv", "first"}, {"aXb.csv", "second"}}));
        if (c.patches > 0) {
            ASSERT_EQ(PatchFile(archive, c.from, c.to), c.patches) << c.what;
        } else {
            // Only the first occurrence, the local header, gets another name.
            std::string data = ReadFile(archive);
            data.replace(data.find("aXb.csv"), 7, "evi.csv");
            WriteFile(archive, data);
        }
        const fs::path out = temp.Path() / "out";
        fs::create_directory(out);
        EXPECT_EQ(Extract(archive, out), kArchiverUnsafeEntry) << c.what;
        EXPECT_EQ(Test(archive, "-p"), kArchiverUnsafeEntry) << c.what;
        EXPECT_TRUE(ListTree(out).empty()) << c.what;
    }
}

// A name may nest folders thousands deep (32,765 fit in a name); the extraction must refuse
// it before making any folder, and a failure after many folders must remove them all.
TEST_F(ArchiverTest, DeepNamesFailAtOnceAndLeaveNothing)
{
    const auto deep = [](std::size_t levels) {
        std::string name;
        for (std::size_t i = 0; i < levels; ++i) {
            name += "a/";
        }
        return name;
    };
    const std::string component(255, 'n');
    const std::string fourComponents =
        component + "/" + component + "/" + component + "/" + component + "/"; // 1,024 bytes
    // Many folders eight deep, then an entry that fails.
    std::vector<Member> broad;
    for (int i = 0; i < 40; ++i) {
        broad.push_back({"d" + std::to_string(i) + "/b/c/d/e/f/g/job.csv", "x"});
    }
    broad.push_back({"../x", "y"});
    struct Case
    {
        const char* what;
        std::vector<Member> members;
    };
    const Case cases[] = {
        {"8,000 levels", {{deep(8000) + "x", "x"}}},
        {"32,765 levels", {{deep(32765) + "x", "x"}}},
        {"4,000 levels then a bad entry", {{deep(4000) + "x", "x"}, {"../x", "y"}}},
        {"nine levels", {{deep(8) + "x", "x"}}},
        {"1,025 bytes", {{fourComponents + "x", "x"}}},
        {"many folders then a bad entry", broad},
    };
    for (const Case& c : cases) {
        const std::string archive = m_temp / "deep.zip";
        ASSERT_TRUE(WriteZip(archive, c.members)) << c.what;
        const fs::path out = m_temp.Path() / "out";
        fs::create_directory(out);
        WriteFile(out / "Temp.zip", "copy");
        EXPECT_EQ(Extract(archive, out), kArchiverUnsafeEntry) << c.what;
        EXPECT_EQ(ListTree(out), std::vector<std::string>{"Temp.zip"}) << c.what;
        fs::remove_all(out);
    }

    // Up to the bounds: eight components, 1,024 bytes.
    const std::string archive = m_temp / "deep.zip";
    const std::string longest = fourComponents.substr(0, 1022) + "/x";
    ASSERT_TRUE(WriteZip(archive, {{deep(7) + "x", "x"}, {longest, "y"}}));
    const fs::path out = m_temp.Path() / "out";
    fs::create_directory(out);
    EXPECT_EQ(Extract(archive, out), kArchiverOk);
    EXPECT_EQ(ReadFile(out / longest), "y");
    EXPECT_EQ(ReadFile(out / (deep(7) + "x")), "x");
}

TEST_F(ArchiverTest, DoesNotFollowLinksInTheDestination)
{
    const fs::path outside = m_temp.Path() / "outside";
    const fs::path out = m_temp.Path() / "out";
    fs::create_directory(outside);
    fs::create_directory(out);
    fs::create_directory_symlink(outside, out / "sub");
    fs::create_symlink(outside / "target.csv", out / "job.csv");

    const std::string folderArchive = m_temp / "folder.zip";
    ASSERT_TRUE(WriteZip(folderArchive, {{"sub/job.mll", "digest"}}));
    EXPECT_EQ(Extract(folderArchive, out), kArchiverWriteFailed);

    // An existing name is kept (-aos), a link there included; nothing is written through it.
    const std::string fileArchive = m_temp / "file.zip";
    ASSERT_TRUE(WriteZip(fileArchive, {{"job.csv", "log"}}));
    EXPECT_EQ(Extract(fileArchive, out), kArchiverOk);
    EXPECT_TRUE(ListTree(outside).empty());
}

TEST_F(ArchiverTest, RefusesArchivesWithTooManyEntries)
{
    std::vector<Member> members;
    for (int i = 0; i < 257; ++i) {
        members.push_back({"f" + std::to_string(i), "x"});
    }
    const std::string archive = m_temp / "many.zip";
    ASSERT_TRUE(WriteZip(archive, members));
    const fs::path out = m_temp.Path() / "out";
    fs::create_directory(out);
    EXPECT_EQ(Test(archive, "-p"), kArchiverLimitExceeded);
    EXPECT_EQ(Extract(archive, out), kArchiverLimitExceeded);
    EXPECT_TRUE(ListTree(out).empty());

    members.pop_back();
    ASSERT_TRUE(WriteZip(archive, members));
    EXPECT_EQ(Test(archive, "-p"), kArchiverOk);
}

// Every cut and every flipped byte of an archive fails cleanly (the sanitizers watch).
TEST_F(ArchiverTest, TruncatedOrDamagedArchivesFailCleanly)
{
    const std::string archive = m_temp / "job.zip";
    ASSERT_TRUE(WriteZip(archive, {{"job.csv", "log line\r\n"}, {"sub/job.mll", "digest"}},
                         Encryption::Aes256, "pw"));
    const std::string data = ReadFile(archive);
    const std::string damaged = m_temp / "damaged.zip";
    const fs::path out = m_temp.Path() / "out";
    fs::create_directory(out);
    for (std::size_t size = 0; size < data.size(); ++size) {
        WriteFile(damaged, data.substr(0, size));
        EXPECT_NE(Test(damaged, "-ppw"), kArchiverOk) << size;
    }
    for (std::size_t at = 0; at < data.size(); ++at) {
        std::string changed = data;
        changed[at] = static_cast<char>(changed[at] ^ 0x41);
        WriteFile(damaged, changed);
        s_check(damaged.c_str(), 0);
        s_kind(damaged.c_str());
        if (Extract(damaged, out, "-ppw") != kArchiverOk) {
            EXPECT_TRUE(ListTree(out).empty()) << at;
        }
        fs::remove_all(out);
        fs::create_directory(out);
    }
}

TEST_F(ArchiverTest, FifoInPlaceOfTheArchiveDoesNotHang)
{
    const std::string fifo = m_temp / "job.zip";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(s_check(fifo.c_str(), 0), 0);
    EXPECT_EQ(s_kind(fifo.c_str()), static_cast<int>(ArchiveKind::None));
    EXPECT_EQ(Test(fifo, "-p"), kArchiverCannotOpen);
}

TEST_F(ArchiverTest, RefusesCommandLinesItDoesNotUnderstand)
{
    const std::string archive = m_temp / "job.zip";
    ASSERT_TRUE(WriteZip(archive, kJobMembers));
    const std::string quoted = archiver::QuoteText(archive);
    const std::string outSwitch = "-o" + archiver::QuoteText(m_temp.Path().string());
    const std::string cases[] = {
        "",
        "a " + quoted,
        "t",
        "t " + quoted + " " + quoted,
        "t " + quoted + " -p -p",
        "t " + quoted + " -r",
        "t " + quoted + " " + outSwitch,
        "x " + quoted,
        "x " + quoted + " -o",
        "x " + quoted + " " + outSwitch + " " + outSwitch,
        "t \"" + archive,
        "t " + quoted + " -p\\x",
    };
    for (const std::string& line : cases) {
        EXPECT_EQ(Run(line), kArchiverBadCommand) << line;
    }
    EXPECT_EQ(s_command(nullptr, nullptr, nullptr, 0), kArchiverBadCommand);
    EXPECT_EQ(Run("t " + quoted + " -hide -y -p"), kArchiverOk);
}

} // namespace
