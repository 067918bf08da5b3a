#include "formats/archive/CZipFile.h"

#include "archiver/ArchiverApi.h"
#include "archiver/CommandLine.h"
#include "formats/common/FileHelpers.h"

#include <array>
#include <cstdint>
#include <memory>
#include <new>

namespace {

// The archiver's output buffer, and the longest command line with its terminator.
constexpr std::size_t kCommandBufferSize = 1024;

// The archiver's functions, bound once for the whole process from the library beside the
// program, as a program's imports are; never released.
struct ArchiverImports
{
    ArchiverCommandFn* command = nullptr;
    ArchiverCheckArchiveFn* checkArchive = nullptr;
    ArchiverGetArchiveTypeFn* archiveType = nullptr;
};

const ArchiverImports* Imports()
{
    static const ArchiverImports imports = [] {
        ArchiverImports bound;
        const platform::LibraryHandle library = platform::LoadProgramLibrary(kArchiverLibraryName);
        if (library == nullptr) {
            return bound;
        }
        bound.command = platform::ResolveFunction<ArchiverCommandFn>(library, kArchiverCommandName);
        bound.checkArchive =
            platform::ResolveFunction<ArchiverCheckArchiveFn>(library, kArchiverCheckArchiveName);
        bound.archiveType = platform::ResolveFunction<ArchiverGetArchiveTypeFn>(
            library, kArchiverGetArchiveTypeName);
        if (bound.command == nullptr || bound.checkArchive == nullptr ||
            bound.archiveType == nullptr) {
            platform::FreeLibrary(library);
            return ArchiverImports{};
        }
        return bound;
    }();
    return imports.command != nullptr ? &imports : nullptr;
}

bool FitsCommandLimit(const std::string& command)
{
    return command.size() + 1 <= kCommandBufferSize;
}

// The output is not read; the buffer only has to be there.
int RunCommand(const ArchiverImports& archiver, const std::string& command)
{
    std::array<char, kCommandBufferSize> output{};
    return archiver.command(nullptr, command.c_str(), output.data(),
                            static_cast<uint32_t>(output.size()));
}

bool IsZipArchive(const ArchiverImports& archiver, const char* path)
{
    return archiver.checkArchive(path, 0) != 0 &&
           archiver.archiveType(path) == static_cast<int>(ArchiveKind::Zip);
}

void EmptyFolder(const std::string& folder)
{
    bool failed = false; // ignored: the result is a failure already
    DeleteFolderTree(folder, folder, failed);
}

std::string TestCommand(const char* path)
{
    std::string command = "t ";
    archiver::AppendQuoted(command, path);
    command += " -p";
    return command;
}

} // namespace

CZipFile::~CZipFile()
{
    ClearFileList();
}

void CZipFile::ClearFileList()
{
    m_files.clear();
}

int CZipFile::TestArchive(const std::string& archivePath, bool& needsPassword)
{
    try {
        if (archivePath.empty()) {
            return -2;
        }
        const std::unique_ptr<char[]> path = WideToAnsi(archivePath);
        if (!path) {
            return -2;
        }
        const ArchiverImports* archiver = Imports();
        if (archiver == nullptr || !IsZipArchive(*archiver, path.get())) {
            return -5;
        }
        const std::string command = TestCommand(path.get());
        if (!FitsCommandLimit(command)) {
            return -2;
        }
        const int result = RunCommand(*archiver, command);
        if (result != kArchiverOk && result != kArchiverPasswordError) {
            return -5;
        }
        needsPassword = result == kArchiverPasswordError;
        return 0;
    } catch (const std::bad_alloc&) {
        return -5;
    }
}

int CZipFile::TestArchivePassword(const std::string& archivePath, const std::string& password)
{
    try {
        if (archivePath.empty() || password.empty()) {
            return -2;
        }
        const std::unique_ptr<char[]> path = WideToAnsi(archivePath);
        const std::unique_ptr<char[]> ansiPassword = WideToAnsi(password);
        if (!path || !ansiPassword) {
            return -2;
        }
        const ArchiverImports* archiver = Imports();
        if (archiver == nullptr || !IsZipArchive(*archiver, path.get())) {
            return -5;
        }
        std::string command = TestCommand(path.get());
        archiver::AppendQuoted(command, ansiPassword.get());
        if (!FitsCommandLimit(command)) {
            return -2;
        }
        const int result = RunCommand(*archiver, command);
        if (result == kArchiverOk) {
            return 0;
        }
        return result == kArchiverPasswordError ? -6 : -5;
    } catch (const std::bad_alloc&) {
        return -5;
    }
}

int CZipFile::ExtractArchive(const std::string& archivePath,
                             std::optional<std::string_view> password,
                             const std::string& destination)
{
    bool ran = false;
    try {
        if (archivePath.empty() || destination.empty() || !FileExists(archivePath)) {
            return -2;
        }
        std::uint32_t files = 0;
        std::uint32_t folders = 0;
        if (!CountFolderEntries(destination, files, folders) || files > 1 || folders != 0) {
            return -2;
        }
        const std::unique_ptr<char[]> path = WideToAnsi(archivePath);
        const std::unique_ptr<char[]> folder = WideToAnsi(destination);
        std::unique_ptr<char[]> ansiPassword;
        if (password.has_value()) {
            ansiPassword = WideToAnsi(*password);
        }
        if (!path || !folder || (password.has_value() && !ansiPassword)) {
            return -2;
        }

        std::string command = "x ";
        archiver::AppendQuoted(command, path.get());
        command += " -hide -o";
        archiver::AppendQuoted(command, folder.get());
        command += " -y -aos";
        if (ansiPassword) {
            command += " -p";
            archiver::AppendQuoted(command, ansiPassword.get());
        }
        if (!FitsCommandLimit(command)) {
            return -2;
        }
        const ArchiverImports* archiver = Imports();
        ran = true;
        const int result =
            archiver != nullptr ? RunCommand(*archiver, command) : kArchiverInternalError;
        // A list that misses a file would pass for a whole extraction: that is a failure.
        std::vector<std::string> listed;
        if (result == kArchiverOk && ListFilesRecursive(destination, listed)) {
            ClearFileList();
            m_files = std::move(listed);
            return 0;
        }
        EmptyFolder(destination);
        return result == kArchiverPasswordError ? -6 : -1;
    } catch (const std::bad_alloc&) {
        // Also when the listing ran out of memory: what was extracted must not stay.
        if (ran) {
            EmptyFolder(destination);
        }
        return -1;
    }
}
