// One archiver command line, parsed: what to do, with which archive, password and folder.
#pragma once

#include "archiver/ZipReader.h"

#include <optional>
#include <string>
#include <string_view>

namespace archiver {

enum class CommandKind
{
    Test,    // t: read and verify every entry
    Extract, // x: extract with the archive's folders
};

struct ArchiveCommand
{
    CommandKind kind = CommandKind::Test;
    std::string archivePath;
    std::optional<std::string> password; // -p (empty when the switch has no text)
    std::string outputFolder;            // -o, required by x
    bool skipExisting = false;           // -aos: keep files that already exist
};

// Parses "t <archive> [-p...] [-hide] [-y]" or
// "x <archive> -o<folder> [-p...] [-hide] [-y] [-aos]", words split by SplitCommandLine.
// Each switch at most once; anything else makes the line invalid (false).
bool ParseArchiveCommand(std::string_view line, ArchiveCommand& command);

// Runs a parsed command; an ArchiverCommandFn result. `report` receives a short text.
int RunArchiveCommand(const ArchiveCommand& command, const Limits& limits, std::string& report);

} // namespace archiver
