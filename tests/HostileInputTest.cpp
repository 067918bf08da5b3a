// Why: every hostile input that once mattered (or plainly could) keeps its expected result for
// good: refused with the specified failure, never a crash, a hang or a write outside the folder.
#include "formats/archive/CZipFile.h"
#include "formats/common/FileHelpers.h"
#include "formats/image/CBitmapData.h"
#include "formats/joblog/JobLogFile.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "formats/pagestream/PageOffsetFile.h"
#include "tests/HostileCorpus.h"
#include "tests/ScratchFolder.h"
#include "tests/TestArchives.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char* kPassword = "secret";
const std::vector<std::string> kReaders = {"joblog", "zip", "stream", "adr"};

std::string Joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ",") + name;
    }
    return text;
}

// Every file of a reader's folder has its expectations, and every expectation its file.
TEST(HostileCorpusTest, EveryInputIsListedWithItsExpectedResult)
{
    for (const std::string& reader : kReaders) {
        std::set<std::string> files;
        for (const auto& entry : fs::directory_iterator(HostileFolder(reader))) {
            if (entry.path().filename() != "expected.txt") {
                files.insert(entry.path().filename().string());
            }
        }
        std::set<std::string> listed;
        for (const HostileInput& input : LoadHostileInputs(reader)) {
            EXPECT_TRUE(listed.insert(input.name).second) << reader << ": twice " << input.name;
            EXPECT_FALSE(input.expected.empty()) << reader << ": no result for " << input.name;
        }
        EXPECT_EQ(files, listed) << reader;
    }
}

class HostileJobLogTest : public ::testing::TestWithParam<HostileInput>
{};

TEST_P(HostileJobLogTest, LoadGivesItsResult)
{
    const HostileInput& input = GetParam();
    JobLogFile log;
    EXPECT_EQ(log.Load(input.Path()), input.GetInt("load"));
    EXPECT_FALSE(log.m_pRows);
    if (log.m_pStream != nullptr) {
        std::fclose(log.m_pStream);
        log.m_pStream = nullptr;
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileJobLogTest,
                         ::testing::ValuesIn(LoadHostileInputs("joblog")),
                         [](const auto& info) { return HostileTestName(info.param); });

class HostileZipTest : public ::testing::TestWithParam<HostileInput>
{
protected:
    // Extracts a copy of the input from a fresh folder that holds only that copy "Temp.zip",
    // inside a sandbox that must hold nothing else afterwards. The files extracted, relative
    // and sorted, without the archive copy.
    int Extract(std::optional<std::string_view> password, std::string& files)
    {
        const std::string sandbox = m_scratch.MakeFolder("sandbox" + std::to_string(m_runs++));
        const std::string destination = sandbox + "/dest";
        fs::create_directory(destination);
        fs::copy_file(GetParam().Path(), destination + "/Temp.zip");

        CZipFile zip;
        const int result = zip.ExtractArchive(destination + "/Temp.zip", password, destination);
        for (const std::string& name : testing_archives::ListTree(sandbox)) {
            EXPECT_TRUE(name.starts_with("dest/")) << "beside the destination: " << name;
        }
        for (const auto& entry : fs::directory_iterator(m_scratch.Path())) {
            EXPECT_TRUE(entry.path().filename().string().starts_with("sandbox"))
                << "outside the sandbox: " << entry.path();
        }
        std::vector<std::string> names;
        for (const std::string& name : testing_archives::ListTree(destination)) {
            const fs::file_status status = fs::symlink_status(fs::path(destination) / name);
            EXPECT_TRUE(fs::is_regular_file(status) || fs::is_directory(status)) << name;
            if (name != "Temp.zip") {
                names.push_back(name);
            }
        }
        files = Joined(names);
        if (fs::exists(destination + "/Temp.zip")) {
            EXPECT_EQ(testing_archives::ReadFile(destination + "/Temp.zip"),
                      testing_archives::ReadFile(GetParam().Path()))
                << "the archive copy was replaced";
        }
        return result;
    }

    ScratchFolder m_scratch{"HostileZipTest"};
    int m_runs = 0;
};

TEST_P(HostileZipTest, TestAndExtractGiveTheirResults)
{
    const HostileInput& input = GetParam();
    if (input.Has("test")) {
        bool needsPassword = false;
        const int result = CZipFile::TestArchive(input.Path(), needsPassword);
        EXPECT_EQ(std::to_string(result) + (result == 0 ? (needsPassword ? ":1" : ":0") : ""),
                  input.Get("test"));
    }
    if (input.Has("password")) {
        EXPECT_EQ(CZipFile::TestArchivePassword(input.Path(), kPassword), input.GetInt("password"));
    }
    if (input.Has("extract")) {
        std::string files;
        EXPECT_EQ(Extract(kPassword, files), input.GetInt("extract"));
        EXPECT_EQ(files, input.Has("files") ? input.Get("files") : "");
    }
    if (input.Has("plain")) {
        std::string files;
        EXPECT_EQ(Extract(std::nullopt, files), input.GetInt("plain"));
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status("/tmp/pyrn-hostile-x")));
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileZipTest, ::testing::ValuesIn(LoadHostileInputs("zip")),
                         [](const auto& info) { return HostileTestName(info.param); });

class HostileStreamTest : public ::testing::TestWithParam<HostileInput>
{};

// "WxH" of a decoded page, or F when the decode fails.
std::string DecodedSize(CDornComFile& stream, std::uint32_t page, std::int32_t number, int box)
{
    const std::unique_ptr<tagDORNPAGEIMGINFO> image =
        stream.ReadPageImage(page, static_cast<std::uint32_t>(number), box, nullptr);
    return image ? std::to_string(image->pBitmap->m_nWidth) + "x" +
                       std::to_string(image->pBitmap->m_nHeight)
                 : "F";
}

struct PageResults
{
    std::string layouts; // per distinct page: the sub-pages shown, or F
    std::string images;  // per page laid out: "full/thumbnail" per sub-page, or - for none
};

// Lays out the index's distinct pages in index order (at most 16) and decodes every sub-page
// at full size and into the thumbnail box.
PageResults LayOutAndDecodePages(CDornComFile& stream)
{
    std::vector<std::string> layouts;
    std::vector<std::string> images;
    std::set<std::pair<std::uint64_t, std::uint64_t>> seen;
    for (const tagDORNPAGEPOS& record : *stream.m_pPageIndex) {
        if (seen.size() == 16) {
            break;
        }
        if (!seen.emplace(record.nStart, record.nLength).second) {
            continue;
        }
        if (stream.LoadPageLayout(record.nPage) != 0) {
            layouts.push_back("F");
            continue;
        }
        layouts.push_back(std::to_string(stream.m_pSubPages->size()));
        std::vector<std::string> sizes;
        for (const tagDORNSUBPAGEINFO& subPage : *stream.m_pSubPages) {
            sizes.push_back(DecodedSize(stream, record.nPage, subPage.nNumber, -1) + "/" +
                            DecodedSize(stream, record.nPage, subPage.nNumber, 120));
        }
        images.push_back(sizes.empty() ? "-" : Joined(sizes));
    }
    std::string allImages;
    for (const std::string& page : images) {
        allImages += (allImages.empty() ? "" : ";") + page;
    }
    return {Joined(layouts), allImages};
}

// header: ReadJobHeader; index: BuildPageIndex's record count, or -1; layouts and images:
// LayOutAndDecodePages.
TEST_P(HostileStreamTest, ReadersGiveTheirResults)
{
    const HostileInput& input = GetParam();
    CDornComFile stream;
    ASSERT_EQ(stream.Open(input.Path()), 0);
    ASSERT_EQ(stream.ReadJobHeader(), input.GetInt("header"));
    if (input.GetInt("header") != 0) {
        return;
    }
    const int index = stream.BuildPageIndex();
    ASSERT_EQ(index == 0 ? std::to_string(stream.m_pPageIndex->size()) : "-1", input.Get("index"));
    if (index == 0) {
        const PageResults results = LayOutAndDecodePages(stream);
        EXPECT_EQ(results.layouts, input.Get("layouts"));
        EXPECT_EQ(results.images, input.Has("images") ? input.Get("images") : "");
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileStreamTest,
                         ::testing::ValuesIn(LoadHostileInputs("stream")),
                         [](const auto& info) { return HostileTestName(info.param); });

class HostileAdrTest : public ::testing::TestWithParam<HostileInput>
{};

TEST_P(HostileAdrTest, ReadGivesItsResult)
{
    const HostileInput& input = GetParam();
    std::unique_ptr<std::vector<tagDORNPAGEPOS>> index;
    ASSERT_EQ(ReadPageOffsetFile(input.Path(), index), input.GetInt("read"));
    if (input.GetInt("read") == 0) {
        EXPECT_EQ(index->size(), static_cast<std::size_t>(input.GetInt("pages")));
    } else {
        EXPECT_FALSE(index);
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileAdrTest, ::testing::ValuesIn(LoadHostileInputs("adr")),
                         [](const auto& info) { return HostileTestName(info.param); });

// Inputs too large to keep as files, and folder shapes, are made on the spot.
class HostileMadeInputTest : public ::testing::Test
{
protected:
    ScratchFolder m_scratch{"HostileMadeInputTest"};
};

TEST_F(HostileMadeInputTest, JobLogWithATenMegabyteLineIsRefused)
{
    std::string bytes = "Making Mail History,,2.00,,,,,,,,,,,\n";
    bytes += "Job name," + std::string(10 << 20, 'x') + ",,,,,,,,,,,,\n";
    JobLogFile log;
    EXPECT_EQ(log.Load(m_scratch.Write("Job.csv", bytes)), -1);
    if (log.m_pStream != nullptr) {
        std::fclose(log.m_pStream);
    }
}

// Planes for a sub-page that no page bitmap can hold would cost gigabytes before the page
// fails anyway; they are refused at once, while the largest possible page still gets them.
TEST_F(HostileMadeInputTest, PlanesBeyondAnyPageBitmapAreNotMade)
{
    struct Case
    {
        const char* what;
        std::int32_t width, height, altWidth, altHeight;
        bool made;
    };
    const Case cases[] = {
        {"1 km x 4 mm at 600 dpi", 23622400, 96, 8, 8, false},
        {"its black plane alone", 8, 8, 23622400, 96, false},
        {"just beyond 2 GiB of 24-bit page", 65536, 10923, 8, 8, false},
        {"a small page", 64, 32, 64, 32, true},
    };
    for (const Case& c : cases) {
        CDornComFile reader;
        reader.m_pJobHeader = std::make_unique<tagDORNJOBHEADER>();
        reader.m_nMaxWidth = c.width;
        reader.m_nMaxHeight = c.height;
        reader.m_nMaxAltWidth = c.altWidth;
        reader.m_nMaxAltHeight = c.altHeight;
        EXPECT_EQ(reader.AllocatePlanes(), c.made) << c.what;
        EXPECT_EQ(reader.m_pColorPlanes.empty(), !c.made) << c.what;
    }
}

// Deleting a temporary folder removes links as links: what they lead to stays.
TEST_F(HostileMadeInputTest, FolderDeletionDoesNotFollowLinksAndRemovesReadOnlyFiles)
{
    const std::string outside = m_scratch.MakeFolder("outside");
    m_scratch.Write("outside/keep.txt", "keep");
    const std::string temp = m_scratch.MakeFolder("TempByPYRN_1");
    m_scratch.Write("TempByPYRN_1/sub/log.csv", "log");
    fs::create_directory_symlink(outside, temp + "/link-to-folder");
    fs::create_directory_symlink(outside, temp + "/sub/link-deeper");
    fs::create_symlink(outside + "/keep.txt", temp + "/link-to-file");
    const std::string readOnly = m_scratch.Write("TempByPYRN_1/sub/read-only.txt", "ro");
    fs::permissions(readOnly, fs::perms::owner_read);
    fs::permissions(temp + "/sub", fs::perms::owner_read | fs::perms::owner_exec);

    bool failed = false;
    DeleteFolderTree(temp, "", failed);
    EXPECT_FALSE(failed);
    EXPECT_FALSE(fs::exists(fs::symlink_status(temp)));
    EXPECT_EQ(testing_archives::ListTree(outside), std::vector<std::string>{"keep.txt"});
    EXPECT_EQ(testing_archives::ReadFile(outside + "/keep.txt"), "keep");
}

// A temporary folder that is itself a link is left alone, as is where it leads.
TEST_F(HostileMadeInputTest, FolderDeletionLeavesAFolderThatIsALink)
{
    const std::string outside = m_scratch.MakeFolder("outside");
    m_scratch.Write("outside/keep.txt", "keep");
    const std::string link = m_scratch / "TempByPYRN_2";
    fs::create_directory_symlink(outside, link);

    bool failed = false;
    DeleteFolderTree(link, "", failed);
    EXPECT_EQ(testing_archives::ListTree(outside), std::vector<std::string>{"keep.txt"});
}

} // namespace
