// The stand-in archiver on any bytes as an archive: tested and extracted with and without a
// password, as the viewer asks for it. Every result is one of the library's results, and an
// extraction writes only below its destination: afterwards the sandbox around the destination
// holds the destination alone, nothing in it is a link or a special file, the archive copy in
// it is untouched, and a failed extraction leaves nothing behind.
#include "FuzzScratch.h"
#include "archiver/ArchiveCommand.h"
#include "archiver/ArchiverApi.h"
#include "archiver/CommandLine.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPassword = "secret";
constexpr std::string_view kArchiveName = "Temp.zip";

// Smaller than the library's own bound, so a bomb costs a fraction of a second.
constexpr archiver::Limits kLimits{256, std::uint64_t{16} << 20};

bool IsArchiverResult(int result)
{
    return (result >= kArchiverOk && result <= kArchiverInternalError) ||
           result == kArchiverPasswordError;
}

int Run(const std::string& line)
{
    archiver::ArchiveCommand command;
    if (!archiver::ParseArchiveCommand(line, command)) {
        FuzzFailure("a command line as the viewer writes it was refused");
    }
    std::string report;
    const int result = archiver::RunArchiveCommand(command, kLimits, report);
    if (!IsArchiverResult(result)) {
        FuzzFailure("unknown archiver result");
    }
    return result;
}

int Test(const std::string& archive, std::optional<std::string_view> password)
{
    std::string line = "t ";
    archiver::AppendQuoted(line, archive);
    line += " -p";
    if (password.has_value()) {
        archiver::AppendQuoted(line, *password);
    }
    return Run(line);
}

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names directly in `folder`; aborts when it cannot be listed.
std::size_t CountEntries(const fs::path& folder)
{
    std::error_code error;
    std::size_t count = 0;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        ++count;
    }
    if (error) {
        FuzzFailure("cannot list a folder of the sandbox");
    }
    return count;
}

void CheckExtracted(const fs::path& sandbox, const fs::path& destination,
                    std::string_view archiveBytes, int result)
{
    if (CountEntries(sandbox) != 1 || !fs::is_directory(fs::symlink_status(destination))) {
        FuzzFailure("the extraction wrote beside its destination");
    }
    if (CountEntries(sandbox.parent_path()) != 1) {
        FuzzFailure("the extraction wrote outside the sandbox");
    }
    std::error_code error;
    for (fs::recursive_directory_iterator it(destination, error), end; !error && it != end;
         it.increment(error)) {
        const fs::file_status status = it->symlink_status();
        if (!fs::is_regular_file(status) && !fs::is_directory(status)) {
            FuzzFailure("the extraction made a link or a special file");
        }
    }
    if (error) {
        FuzzFailure("cannot walk the destination");
    }
    if (ReadAll(destination / kArchiveName) != archiveBytes) {
        FuzzFailure("the extraction changed the archive copy");
    }
    if (result != kArchiverOk && CountEntries(destination) != 1) {
        FuzzFailure("a failed extraction left files behind");
    }
}

// Extracts into a fresh destination that holds only the archive copy, as the viewer does.
int Extract(const FuzzScratch& scratch, std::string_view bytes,
            std::optional<std::string_view> password)
{
    const fs::path sandbox = scratch.Path() / "sandbox";
    const fs::path destination = sandbox / "dest";
    std::error_code error;
    fs::remove_all(sandbox, error);
    fs::create_directories(destination, error);
    if (error) {
        FuzzFailure("cannot make the sandbox");
    }
    const std::string archive = scratch.Write(
        (fs::path("sandbox") / "dest" / kArchiveName).string(), bytes.data(), bytes.size());

    std::string line = "x ";
    archiver::AppendQuoted(line, archive);
    line += " -hide -o";
    archiver::AppendQuoted(line, destination.string());
    line += " -y -aos";
    if (password.has_value()) {
        line += " -p";
        archiver::AppendQuoted(line, *password);
    }
    const int result = Run(line);
    CheckExtracted(sandbox, destination, bytes, result);
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const FuzzScratch scratch("fuzz_zip");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string archive = scratch.Write("Test.zip", data, size);
    const int plainTest = Test(archive, std::nullopt);
    const int passwordTest = Test(archive, kPassword);
    std::error_code ignored;
    fs::remove(archive, ignored);

    const int plainExtract = Extract(scratch, bytes, std::nullopt);
    Extract(scratch, bytes, std::string_view());
    const int passwordExtract = Extract(scratch, bytes, kPassword);
    // Extraction checks all that a test checks, and more.
    if ((plainExtract == kArchiverOk && plainTest != kArchiverOk) ||
        (passwordExtract == kArchiverOk && passwordTest != kArchiverOk)) {
        FuzzFailure("an archive that fails its test was extracted");
    }
    return 0;
}
