// make_fuzz_seeds FOLDER: writes seed corpora made with the sample-job generator into
// FOLDER/<target>/: job logs, log archives (plain and protected with the fuzz targets' password),
// page-image streams in every level mode, plane path, layout and defect, and their page index
// files. Small jobs at low resolutions, so the fuzzer's inputs stay short.
#include "tools/PageIndexFile.h"
#include "tools/PageStream.h"
#include "tools/SampleArchive.h"
#include "tools/SampleDigest.h"
#include "tools/SampleFiles.h"
#include "tools/SampleJobLog.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace samplejob;

constexpr const char* kPassword = "secret"; // the one the zip target tries

JobLogOptions SmallJob(std::uint64_t seed)
{
    JobLogOptions job;
    job.seed = seed;
    job.mails = 2;
    job.letters = 1;
    return job;
}

std::vector<JobLogOptions> LogVariants()
{
    std::vector<JobLogOptions> jobs;
    for (std::uint64_t seed = 1; seed <= 8; ++seed) {
        JobLogOptions job = SmallJob(seed);
        job.commas = seed % 2 == 0 ? 12 : 13;
        job.lineEnd = seed % 3 == 0 ? LineEnd::Lf : LineEnd::CrLf;
        job.byteOrderMark = seed % 4 == 1;
        job.highCapacityFeeder = seed % 2 == 1;
        job.duplex = seed != 5;
        job.retries = seed % 3 == 1 ? 1 : 0;
        job.suspensions = seed % 4 == 2 ? 1 : 0;
        job.errors = seed % 2;
        job.sampleMails = seed % 3 == 2 ? 1 : 0;
        job.interruptions = seed % 5 == 0 ? 1 : 0;
        job.end = seed % 4 == 3 ? JobEnd::Canceled : JobEnd::Finished;
        jobs.push_back(job);
    }
    return jobs;
}

struct StreamVariant
{
    const char* name;
    PageStreamOptions options;
};

std::vector<StreamVariant> StreamVariants()
{
    PageStreamOptions base;
    base.resolution = 12;
    base.bandLines = 16;
    std::vector<StreamVariant> variants;
    const auto add = [&](const char* name, auto change) {
        PageStreamOptions options = base;
        change(options);
        variants.push_back({name, options});
    };
    add("three-bit", [](PageStreamOptions&) {});
    add("two-bit", [](PageStreamOptions& o) { o.levels = LevelMode::TwoBit; });
    add("four-bit", [](PageStreamOptions& o) { o.levels = LevelMode::FourBit; });
    add("five-plane", [](PageStreamOptions& o) {
        o.levels = LevelMode::FourBit;
        o.fivePlanes = true;
        o.blackResolution = 24;
        o.redSpot = true;
    });
    add("five-plane-two-bit-black", [](PageStreamOptions& o) {
        o.levels = LevelMode::TwoBit;
        o.fivePlanes = true;
        o.blackLevels = LevelMode::TwoBit;
    });
    add("per-sub-page", [](PageStreamOptions& o) {
        o.levels = LevelMode::FourBit;
        o.orientationPerSubPage = true;
        o.jobKind = 1;
        o.letterOrientation = 2;
    });
    for (const char* name : {"imposition-1", "imposition-2", "imposition-3", "imposition-4"}) {
        add(name, [name](PageStreamOptions& o) {
            o.impositionKind = static_cast<std::uint32_t>(name[11] - '0');
            o.jobOrientation = o.impositionKind;
        });
    }
    add("copies-marks-hidden", [](PageStreamOptions& o) {
        o.copies = 3;
        o.marks = true;
        o.hiddenSubPages = true;
    });
    add("bare", [](PageStreamOptions& o) { o.otherCommands = false; });
    add("truncated-band", [](PageStreamOptions& o) { o.defect = StreamDefect::TruncatedBand; });
    add("short-band", [](PageStreamOptions& o) { o.defect = StreamDefect::ShortBand; });
    add("missing-end", [](PageStreamOptions& o) { o.defect = StreamDefect::MissingEnd; });
    return variants;
}

bool Write(const fs::path& path, const std::string& bytes)
{
    if (bytes.empty() || WriteWholeFile(path.string(), bytes) != 0) {
        std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool WriteLogsAndArchives(const fs::path& folder)
{
    bool ok = true;
    int n = 0;
    for (const JobLogOptions& job : LogVariants()) {
        const std::string name = "job" + std::to_string(++n);
        const std::string log = MakeJobLogText(job);
        ok = Write(folder / "joblog" / (name + ".csv"), log) && ok;

        const ArchiveLayout layouts[] = {ArchiveLayout::LogAndDigest, ArchiveLayout::ThirdMember,
                                         ArchiveLayout::EmptySubFolder,
                                         ArchiveLayout::MembersInSubFolder};
        const ArchiveEncryption encryptions[] = {ArchiveEncryption::None, ArchiveEncryption::Pkware,
                                                 ArchiveEncryption::Aes256};
        const auto members = LogArchiveMembers("Job", log, DigestFileBytes(log),
                                               layouts[static_cast<std::size_t>(n) % 4]);
        const ArchiveEncryption encryption = encryptions[static_cast<std::size_t>(n) % 3];
        const fs::path archive = folder / "zip" / (name + ".zip");
        if (WriteZipArchive(archive.string(), members, encryption,
                            encryption == ArchiveEncryption::None ? "" : kPassword) != 0) {
            std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", archive.c_str());
            ok = false;
        }
    }
    return ok;
}

bool WriteStreams(const fs::path& folder)
{
    bool ok = true;
    for (const StreamVariant& variant : StreamVariants()) {
        PageStreamLayout layout;
        JobLogOptions job = SmallJob(7);
        job.mails = 1;
        const std::string stream = MakePageStream(job, variant.options, &layout);
        ok = Write(folder / "stream" / (std::string(variant.name) + ".prn"), stream) && ok;
        const std::vector<PageSpan> index = ExpectedPageIndex(layout);
        if (!index.empty()) {
            ok = Write(folder / "adr" / (std::string(variant.name) + ".adr"),
                       PageIndexFileText(index)) &&
                 ok;
        }
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
        return 2;
    }
    const fs::path folder = argv[1];
    std::error_code error;
    fs::remove_all(folder, error);
    for (const char* target : {"joblog", "zip", "stream", "adr"}) {
        fs::create_directories(folder / target, error);
    }
    if (error) {
        std::fprintf(stderr, "make_fuzz_seeds: cannot make %s\n", folder.c_str());
        return 1;
    }
    const bool ok = WriteLogsAndArchives(folder) && WriteStreams(folder);
    return ok ? 0 : 1;
}
