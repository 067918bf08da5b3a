// pyrn-samplejob: writes a made-up job (log archive, protected copy, page-image stream) into a
// folder, the same bytes for the same seed and parameters (protected archives aside, whose
// encryption is salted).
#include "tools/SampleFolder.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "usage: pyrn-samplejob [options] FOLDER\n"
    "  --seed N            random seed (default 1)\n"
    "  --name BASE         base name of the files (default SampleJob)\n"
    "  --mails N           mails requested (default 6)\n"
    "  --letters N         letter sheets per mail (default 2)\n"
    "  --simplex           letters printed on one side\n"
    "  --retries N         mail attempts that fail and are made again\n"
    "  --suspensions N     suspensions after a stacked letter\n"
    "  --errors N          errors between a feed and its stacking\n"
    "  --samples N         sample mails\n"
    "  --interruptions N   interruptions between mails\n"
    "  --canceled          the job is canceled instead of finished\n"
    "  --commas 12|13      commas per line (default 13)\n"
    "  --lf                LF line ends (default CR LF)\n"
    "  --bom               start the log with a byte-order mark\n"
    "  --hcf               the fourth tray is the high capacity feeder\n"
    "  --digest KIND       correct, wrong, hex or short\n"
    "  --layout KIND       normal, third, folder or nested\n"
    "  --password PW       also write BASEProtected.zip and password.txt\n"
    "  --pkware            protect with PKWARE encryption (default AES-256)\n"
    "  --loose             also write the log and the digest beside the archive\n"
    "page-image stream BASE.prn:\n"
    "  --no-stream         write no stream\n"
    "  --adr               also write its page index file BASE.adr\n"
    "  --levels 2|3|4      bits per level of the colour planes (default 3)\n"
    "  --five-plane        four colour planes (with a spot colour) and black\n"
    "  --black-levels 2|4  bits per level of the five-plane black (default 4)\n"
    "  --resolution N      dots per inch (default 100)\n"
    "  --black-resolution N  dots per inch of the five-plane black\n"
    "  --per-sub-page      orientation set per sub-page (7-parameter job command)\n"
    "  --job-kind N        job kind of the job command\n"
    "  --orientation N     job orientation 0..4\n"
    "  --letter-orientation N  orientation of letters 1..4 with --per-sub-page\n"
    "  --imposition N      imposition kind 0..4\n"
    "  --copies N          copies command\n"
    "  --marks             mark the first side of each mail\n"
    "  --hidden            a hidden separator sub-page after each mail\n"
    "  --red-spot          five-plane spot colour that leaves red alone\n"
    "  --band-lines N      lines per band (default 64)\n"
    "  --bare              no commands with payloads besides the bands\n"
    "  --defect KIND       truncated, short or noend\n";

bool ParseLevels(std::string_view text, samplejob::LevelMode& mode)
{
    if (text == "2") {
        mode = samplejob::LevelMode::TwoBit;
    } else if (text == "3") {
        mode = samplejob::LevelMode::ThreeBit;
    } else if (text == "4") {
        mode = samplejob::LevelMode::FourBit;
    } else {
        return false;
    }
    return true;
}

bool ParseNumber(std::string_view text, uint64_t& value)
{
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

bool ParseNumber(std::string_view text, uint32_t& value)
{
    uint64_t wide = 0;
    if (!ParseNumber(text, wide) || wide > 0xFFFFFFFFULL) {
        return false;
    }
    value = static_cast<uint32_t>(wide);
    return true;
}

int Fail(const char* message, std::string_view detail = "")
{
    const std::string text = std::string(message) + std::string(detail);
    std::fprintf(stderr, "pyrn-samplejob: %s\n%s", text.c_str(), kUsage);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    samplejob::SampleFolderOptions options;
    samplejob::JobLogOptions& log = options.log;
    samplejob::PageStreamOptions& stream = options.stream;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&](std::string_view& out) {
            if (i + 1 >= argc) {
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string_view text;
        auto number32 = [&](uint32_t& out) { return value(text) && ParseNumber(text, out); };
        bool ok = true;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--seed") {
            ok = value(text) && ParseNumber(text, log.seed);
        } else if (arg == "--name") {
            ok = value(text) && !text.empty();
            options.baseName = text;
        } else if (arg == "--mails") {
            ok = number32(log.mails) && log.mails <= 10000000;
        } else if (arg == "--letters") {
            ok = number32(log.letters) && log.letters <= 1000;
        } else if (arg == "--simplex") {
            log.duplex = false;
        } else if (arg == "--retries") {
            ok = number32(log.retries);
        } else if (arg == "--suspensions") {
            ok = number32(log.suspensions);
        } else if (arg == "--errors") {
            ok = number32(log.errors);
        } else if (arg == "--samples") {
            ok = number32(log.sampleMails);
        } else if (arg == "--interruptions") {
            ok = number32(log.interruptions);
        } else if (arg == "--canceled") {
            log.end = samplejob::JobEnd::Canceled;
        } else if (arg == "--commas") {
            ok = value(text) && (text == "12" || text == "13");
            log.commas = text == "12" ? 12 : 13;
        } else if (arg == "--lf") {
            log.lineEnd = samplejob::LineEnd::Lf;
        } else if (arg == "--bom") {
            log.byteOrderMark = true;
        } else if (arg == "--hcf") {
            log.highCapacityFeeder = true;
        } else if (arg == "--digest") {
            ok = value(text);
            if (text == "correct") {
                options.digest = samplejob::DigestKind::Correct;
            } else if (text == "wrong") {
                options.digest = samplejob::DigestKind::Wrong;
            } else if (text == "hex") {
                options.digest = samplejob::DigestKind::HexText;
            } else if (text == "short") {
                options.digest = samplejob::DigestKind::Short;
            } else {
                ok = false;
            }
        } else if (arg == "--layout") {
            ok = value(text);
            if (text == "normal") {
                options.layout = samplejob::ArchiveLayout::LogAndDigest;
            } else if (text == "third") {
                options.layout = samplejob::ArchiveLayout::ThirdMember;
            } else if (text == "folder") {
                options.layout = samplejob::ArchiveLayout::EmptySubFolder;
            } else if (text == "nested") {
                options.layout = samplejob::ArchiveLayout::MembersInSubFolder;
            } else {
                ok = false;
            }
        } else if (arg == "--password") {
            // The viewer's password dialog takes at most 8 characters.
            ok = value(text) && !text.empty() && text.size() <= 8;
            options.password = text;
        } else if (arg == "--pkware") {
            options.protection = samplejob::ArchiveEncryption::Pkware;
        } else if (arg == "--loose") {
            options.looseFiles = true;
        } else if (arg == "--no-stream") {
            options.writeStream = false;
        } else if (arg == "--adr") {
            options.writeIndexFile = true;
        } else if (arg == "--levels") {
            ok = value(text) && ParseLevels(text, stream.levels);
        } else if (arg == "--five-plane") {
            stream.fivePlanes = true;
        } else if (arg == "--black-levels") {
            ok = value(text) && (text == "2" || text == "4") &&
                 ParseLevels(text, stream.blackLevels);
        } else if (arg == "--resolution") {
            ok = number32(stream.resolution);
        } else if (arg == "--black-resolution") {
            ok = number32(stream.blackResolution);
        } else if (arg == "--per-sub-page") {
            stream.orientationPerSubPage = true;
        } else if (arg == "--job-kind") {
            ok = number32(stream.jobKind);
        } else if (arg == "--orientation") {
            ok = number32(stream.jobOrientation);
        } else if (arg == "--letter-orientation") {
            ok = number32(stream.letterOrientation);
        } else if (arg == "--imposition") {
            ok = number32(stream.impositionKind);
        } else if (arg == "--copies") {
            ok = number32(stream.copies);
        } else if (arg == "--marks") {
            stream.marks = true;
        } else if (arg == "--hidden") {
            stream.hiddenSubPages = true;
        } else if (arg == "--red-spot") {
            stream.redSpot = true;
        } else if (arg == "--band-lines") {
            ok = number32(stream.bandLines);
        } else if (arg == "--bare") {
            stream.otherCommands = false;
        } else if (arg == "--defect") {
            ok = value(text);
            if (text == "truncated") {
                stream.defect = samplejob::StreamDefect::TruncatedBand;
            } else if (text == "short") {
                stream.defect = samplejob::StreamDefect::ShortBand;
            } else if (text == "noend") {
                stream.defect = samplejob::StreamDefect::MissingEnd;
            } else {
                ok = false;
            }
        } else if (!arg.empty() && arg[0] != '-' && options.folder.empty()) {
            options.folder = arg;
        } else {
            return Fail("unknown argument: ", arg);
        }
        if (!ok) {
            return Fail("bad value for ", arg);
        }
    }
    if (options.folder.empty()) {
        return Fail("no output folder");
    }
    // Printed page numbers run through the job and must stay within 32 bits.
    if (uint64_t{log.mails} * (2 * uint64_t{log.letters} + 1) > 0xFFFFFFF0ULL) {
        return Fail("too many pages for --mails and --letters");
    }
    if (samplejob::WriteSampleFolder(options) != 0) {
        std::fprintf(stderr, "pyrn-samplejob: cannot write the sample job into %s\n",
                     options.folder.c_str());
        return 1;
    }
    return 0;
}
