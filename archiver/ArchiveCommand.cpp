#include "archiver/ArchiveCommand.h"

#include "archiver/ArchiverApi.h"
#include "archiver/CommandLine.h"
#include "archiver/SafeExtractor.h"

#include <vector>

namespace archiver {
namespace {

// Reads entries without writing them: a test.
class VerifyOnly : public EntryVisitor
{
public:
    int BeginEntry(const EntryInfo&) override { return kArchiverOk; }
    int WriteData(const void*, std::size_t) override { return kArchiverOk; }
    int EndEntry() override { return kArchiverOk; }
};

const char* ReportText(int result)
{
    switch (result) {
    case kArchiverOk:
        return "ok";
    case kArchiverBadCommand:
        return "command line not understood";
    case kArchiverCannotOpen:
        return "cannot open the archive";
    case kArchiverDamagedData:
        return "data error";
    case kArchiverUnsafeEntry:
        return "unsafe entry refused";
    case kArchiverLimitExceeded:
        return "archive too large";
    case kArchiverWriteFailed:
        return "cannot write the destination";
    case kArchiverPasswordError:
        return "wrong or missing password";
    default:
        return "internal error";
    }
}

bool TakeOnce(bool& seen)
{
    if (seen) {
        return false;
    }
    seen = true;
    return true;
}

} // namespace

bool ParseArchiveCommand(std::string_view line, ArchiveCommand& command)
{
    std::vector<CommandWord> words;
    if (!SplitCommandLine(line, words) || words.empty() || words[0].isSwitch) {
        return false;
    }
    command = ArchiveCommand{};
    if (words[0].text == "t") {
        command.kind = CommandKind::Test;
    } else if (words[0].text == "x") {
        command.kind = CommandKind::Extract;
    } else {
        return false;
    }
    const bool extract = command.kind == CommandKind::Extract;

    bool haveArchive = false;
    bool haveOutput = false;
    bool haveHide = false;
    bool haveYes = false;
    bool haveSkip = false;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& text = words[i].text;
        if (!words[i].isSwitch) {
            if (!TakeOnce(haveArchive) || text.empty()) {
                return false;
            }
            command.archivePath = text;
        } else if (text == "-hide") {
            if (!TakeOnce(haveHide)) {
                return false;
            }
        } else if (text == "-y") {
            if (!TakeOnce(haveYes)) {
                return false;
            }
        } else if (text == "-aos" && extract) {
            if (!TakeOnce(haveSkip)) {
                return false;
            }
            command.skipExisting = true;
        } else if (text.starts_with("-p")) {
            if (command.password.has_value()) {
                return false;
            }
            command.password = text.substr(2);
        } else if (text.starts_with("-o") && extract) {
            if (!TakeOnce(haveOutput) || text.size() == 2) {
                return false;
            }
            command.outputFolder = text.substr(2);
        } else {
            return false;
        }
    }
    return haveArchive && (haveOutput || !extract);
}

int RunArchiveCommand(const ArchiveCommand& command, const Limits& limits, std::string& report)
{
    int result = kArchiverOk;
    if (command.kind == CommandKind::Test) {
        VerifyOnly verify;
        result = ReadZipArchive(command.archivePath, command.password, limits, verify);
    } else {
        SafeExtractor extractor(command.skipExisting);
        result = extractor.OpenDestination(command.outputFolder);
        if (result == kArchiverOk) {
            result = ReadZipArchive(command.archivePath, command.password, limits, extractor);
        }
        if (result != kArchiverOk) {
            extractor.RemoveCreated();
        }
    }
    report = ReportText(result);
    return result;
}

} // namespace archiver
