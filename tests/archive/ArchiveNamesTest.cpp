// Why: job names in any script are normal on this machine, and writers store them flagged as
// UTF-8, as UTF-8 without the flag, in code page 437 or beside a Unicode path field; every
// such archive must test well and extract under the job's name in UTF-8.
#include "formats/archive/CZipFile.h"
#include "tests/ScratchFolder.h"
#include "tests/TestArchives.h"
#include "tests/archive/CraftedZip.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace testing_archives;

const std::string kDigest(16, '\x5a');
const std::string kLog = "header\r\nrow\r\n";

struct Script
{
    const char* language;
    std::string name;
};

const Script kScripts[] = {
    {"Japanese", "月次請求書ジョブ"}, {"Chinese", "月度账单作业"},
    {"Korean", "월간 청구서 작업"},   {"Thai", "งานพิมพ์ใบแจ้งหนี้"},
    {"Russian", "Ежемесячные счета"}, {"German", "Größe Überweisung"},
};

enum class Storage
{
    Utf8Flag,         // libzip, which flags UTF-8 names
    Utf8FlagAes,      // the same, protected with AES-256
    Utf8WithoutFlag,  // as Info-ZIP's zip writes them
    UnicodePathField, // a placeholder name and the real one in the local Unicode path field
};

class ArchiveNamesTest : public ::testing::Test
{
protected:
    // Writes the two members named `base` in `storage`; the path of the archive.
    std::string WriteArchive(const std::string& base, Storage storage)
    {
        const std::string archive = m_temp / "job.zip";
        const std::vector<Member> members = {{base + ".csv", kLog}, {base + ".mll", kDigest}};
        if (storage == Storage::Utf8Flag || storage == Storage::Utf8FlagAes) {
            const bool aes = storage == Storage::Utf8FlagAes;
            EXPECT_TRUE(
                WriteZip(archive, members, aes ? Encryption::Aes256 : Encryption::None, "secret"));
            EXPECT_NE(ReadFile(archive)[7] & 0x08, 0) << "libzip did not flag the name";
            return archive;
        }
        std::vector<crafted_zip::Entry> entries;
        for (const Member& member : members) {
            if (storage == Storage::Utf8WithoutFlag) {
                entries.push_back({member.name, member.data});
            } else {
                const std::string placeholder = "____" + member.name.substr(base.size());
                entries.push_back({placeholder, member.data, false,
                                   crafted_zip::UnicodePathField(placeholder, member.name)});
            }
        }
        WriteFile(archive, crafted_zip::Build(entries));
        return archive;
    }

    // Tests and extracts `archive` as the open pipeline does; the names in the folder then.
    std::set<std::string> TestAndExtract(const std::string& archive, bool encrypted,
                                         const std::string& what)
    {
        bool needsPassword = !encrypted;
        EXPECT_EQ(CZipFile::TestArchive(archive, needsPassword), 0) << what;
        EXPECT_EQ(needsPassword, encrypted) << what;
        EXPECT_EQ(CZipFile::TestArchivePassword(archive, "secret"), 0) << what;

        const std::string folder = m_temp.MakeFolder("out_" + std::to_string(m_folders++));
        fs::copy_file(archive, folder + "/Temp.zip");
        CZipFile zip;
        EXPECT_EQ(zip.ExtractArchive(folder + "/Temp.zip", encrypted ? "secret" : "", folder), 0)
            << what;
        std::set<std::string> names;
        for (const std::string& file : zip.m_files) {
            names.insert(fs::path(file).filename().string());
        }
        return names;
    }

    ScratchFolder m_temp{"ArchiveNamesTest"};
    int m_folders = 0;
};

TEST_F(ArchiveNamesTest, NamesInEveryScriptTestAndExtractUnderTheirUtf8Name)
{
    const Storage storages[] = {Storage::Utf8Flag, Storage::Utf8FlagAes, Storage::Utf8WithoutFlag,
                                Storage::UnicodePathField};
    for (const Script& script : kScripts) {
        for (const Storage storage : storages) {
            const std::string what = std::string(script.language) + " stored " +
                                     std::to_string(static_cast<int>(storage));
            const std::string archive = WriteArchive(script.name, storage);
            EXPECT_EQ(
                TestAndExtract(archive, storage == Storage::Utf8FlagAes, what),
                (std::set<std::string>{"Temp.zip", script.name + ".csv", script.name + ".mll"}))
                << what;
            EXPECT_EQ(ReadFile(m_temp.Path() / ("out_" + std::to_string(m_folders - 1)) /
                               (script.name + ".csv")),
                      kLog)
                << what;
        }
    }
}

// Without the UTF-8 flag, a name that is not UTF-8 is code page 437, the format's default.
TEST_F(ArchiveNamesTest, CodePage437NamesExtractInUtf8)
{
    struct Case
    {
        std::string stored;
        std::string extracted;
    };
    const Case cases[] = {
        {"Gr\x94\xE1\x65 \x9A\x62\x65rweisung", "Größe Überweisung"},
        {"Re\x87u pour l'ann\x82\x65", "Reçu pour l'année"},
        {"A\xA4o fiscal", "Año fiscal"},
        {"\xE0\xE1\xE2 \xEA", "αßΓ Ω"},
    };
    for (const Case& c : cases) {
        const std::string archive = m_temp / "job.zip";
        WriteFile(archive,
                  crafted_zip::Build({{c.stored + ".csv", kLog}, {c.stored + ".mll", kDigest}}));
        EXPECT_EQ(TestAndExtract(archive, false, c.extracted),
                  (std::set<std::string>{"Temp.zip", c.extracted + ".csv", c.extracted + ".mll"}));
    }
}

} // namespace
