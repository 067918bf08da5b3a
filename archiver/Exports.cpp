// The library's four exported functions. No exception may leave them.
#include "archiver/ArchiveCommand.h"
#include "archiver/ArchiveDetection.h"
#include "archiver/ArchiverApi.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

void WriteReport(const std::string& report, char* output, uint32_t outputSize)
{
    if (output == nullptr || outputSize == 0) {
        return;
    }
    const std::size_t size = std::min<std::size_t>(report.size(), outputSize - 1);
    std::memcpy(output, report.data(), size);
    output[size] = '\0';
}

} // namespace

extern "C" int ArchiverCommand(void* /*owner*/, const char* commandLine, char* output,
                               uint32_t outputSize)
{
    try {
        std::string report = "command line not understood";
        archiver::ArchiveCommand command;
        int result = kArchiverBadCommand;
        if (commandLine != nullptr && archiver::ParseArchiveCommand(commandLine, command)) {
            result = archiver::RunArchiveCommand(command, archiver::Limits{}, report);
        }
        WriteReport(report, output, outputSize);
        return result;
    } catch (...) {
        WriteReport("internal error", output, outputSize);
        return kArchiverInternalError;
    }
}

extern "C" uint32_t ArchiverGetVersion()
{
    return kArchiverVersion;
}

extern "C" int ArchiverCheckArchive(const char* path, int /*mode*/)
{
    try {
        return path != nullptr && archiver::DetectArchiveKind(path) != ArchiveKind::None ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

extern "C" int ArchiverGetArchiveType(const char* path)
{
    try {
        return static_cast<int>(path != nullptr ? archiver::DetectArchiveKind(path)
                                                : ArchiveKind::None);
    } catch (...) {
        return static_cast<int>(ArchiveKind::None);
    }
}
