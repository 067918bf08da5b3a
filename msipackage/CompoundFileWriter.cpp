#include "msipackage/CompoundFileWriter.h"

#include "msipackage/CompoundFileFormat.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <set>
#include <utility>

namespace msitransform {

using namespace cfb;

namespace {

constexpr std::size_t kSectorSize = 512;
constexpr std::size_t kIdsPerSector = kSectorSize / 4;

char16_t Upper(char16_t unit)
{
    const bool latin =
        (unit >= u'a' && unit <= u'z') || (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7);
    return latin ? static_cast<char16_t>(unit - 0x20) : unit;
}

// The order of siblings in the directory tree: shorter names first, then unit by unit,
// ignoring case.
bool NameLess(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char16_t x, char16_t y) { return Upper(x) < Upper(y); });
}

std::size_t SectorsFor(std::size_t bytes, std::size_t unit)
{
    return (bytes + unit - 1) / unit;
}

struct DirectoryEntry
{
    std::u16string name;
    std::uint8_t type = 0;
    std::uint32_t left = kNoStream;
    std::uint32_t right = kNoStream;
    std::uint32_t child = kNoStream;
    ClassId classId{};
    std::uint32_t start = kEndOfChain;
    std::uint32_t size = 0;
};

// A balanced binary tree over sorted[lo, hi) of directory ids (all nodes black, which readers
// accept); returns its root.
std::uint32_t Balance(std::vector<DirectoryEntry>& entries,
                      const std::vector<std::uint32_t>& sorted, std::size_t lo, std::size_t hi)
{
    if (lo >= hi) {
        return kNoStream;
    }
    const std::size_t mid = lo + (hi - lo) / 2;
    DirectoryEntry& node = entries[sorted[mid]];
    node.left = Balance(entries, sorted, lo, mid);
    node.right = Balance(entries, sorted, mid + 1, hi);
    return sorted[mid];
}

void AppendEntry(std::string& out, const DirectoryEntry& entry)
{
    std::string raw(kEntrySize, '\0');
    for (std::size_t i = 0; i < entry.name.size(); ++i) {
        Put16(raw, 2 * i, static_cast<std::uint16_t>(entry.name[i]));
    }
    Put16(raw, 64, entry.type == 0 ? 0 : static_cast<std::uint16_t>(2 * (entry.name.size() + 1)));
    raw[66] = static_cast<char>(entry.type);
    raw[67] = 1; // black
    Put32(raw, 68, entry.left);
    Put32(raw, 72, entry.right);
    Put32(raw, 76, entry.child);
    std::copy(entry.classId.begin(), entry.classId.end(), raw.begin() + 80);
    Put32(raw, 116, entry.type == 0 ? 0 : entry.start);
    Put32(raw, 120, entry.size);
    out += raw;
}

} // namespace

void CompoundFileWriter::AddStream(std::u16string name, std::string bytes)
{
    m_streams.push_back({std::move(name), std::move(bytes)});
}

Outcome<std::string> CompoundFileWriter::Write() const
{
    std::set<std::u16string, decltype(&NameLess)> names(&NameLess);
    for (const Stream& stream : m_streams) {
        if (stream.name.empty() || stream.name.size() > kMaxNameUnits ||
            !names.insert(stream.name).second) {
            return Failure{"a stream name is empty, too long or repeated"};
        }
        if (stream.bytes.size() > 0x7FFFFFFF) {
            return Failure{"a stream is too large"};
        }
    }

    // Small streams share the mini stream, each from a 64-byte boundary.
    std::vector<DirectoryEntry> entries(1 + m_streams.size());
    std::string miniStream;
    std::vector<std::uint32_t> miniFat;
    std::vector<std::size_t> bigStreams;
    for (std::size_t i = 0; i < m_streams.size(); ++i) {
        DirectoryEntry& entry = entries[1 + i];
        entry.name = m_streams[i].name;
        entry.type = kTypeStream;
        entry.size = static_cast<std::uint32_t>(m_streams[i].bytes.size());
        if (entry.size == 0) {
            continue;
        }
        if (entry.size >= kMiniStreamCutoff) {
            bigStreams.push_back(i);
            continue;
        }
        entry.start = static_cast<std::uint32_t>(miniFat.size());
        const std::size_t count = SectorsFor(entry.size, kMiniSectorSize);
        for (std::size_t n = 1; n <= count; ++n) {
            miniFat.push_back(n == count ? kEndOfChain
                                         : static_cast<std::uint32_t>(miniFat.size() + 1));
        }
        miniStream += m_streams[i].bytes;
        miniStream.resize(miniFat.size() * kMiniSectorSize, '\0');
    }

    // Regular sectors: mini stream, mini allocation table, directory, large streams, then the
    // allocation table itself.
    std::vector<std::uint32_t> fat;
    std::string body;
    auto place = [&](const std::string& bytes) -> std::uint32_t {
        if (bytes.empty()) {
            return kEndOfChain;
        }
        const auto start = static_cast<std::uint32_t>(fat.size());
        const std::size_t count = SectorsFor(bytes.size(), kSectorSize);
        for (std::size_t n = 1; n <= count; ++n) {
            fat.push_back(n == count ? kEndOfChain : static_cast<std::uint32_t>(fat.size() + 1));
        }
        body += bytes;
        body.resize(fat.size() * kSectorSize, '\0');
        return start;
    };

    DirectoryEntry& root = entries.front();
    root.name = u"Root Entry";
    root.type = kTypeRoot;
    root.classId = m_rootClassId;
    root.size = static_cast<std::uint32_t>(miniStream.size());
    root.start = place(miniStream);

    std::string miniFatBytes;
    for (const std::uint32_t id : miniFat) {
        Append32(miniFatBytes, id);
    }
    miniFatBytes.resize(SectorsFor(miniFatBytes.size(), kSectorSize) * kSectorSize, '\xFF');
    const std::uint32_t miniFatStart = place(miniFatBytes);
    const auto miniFatSectors = static_cast<std::uint32_t>(miniFatBytes.size() / kSectorSize);

    std::vector<std::uint32_t> sorted(m_streams.size());
    std::iota(sorted.begin(), sorted.end(), 1U);
    std::sort(sorted.begin(), sorted.end(), [&](std::uint32_t a, std::uint32_t b) {
        return NameLess(entries[a].name, entries[b].name);
    });
    root.child = Balance(entries, sorted, 0, sorted.size());

    // The directory's sectors come before the large streams' but it names their starts: reserve
    // its place first.
    const std::size_t directorySectors = SectorsFor(entries.size() * kEntrySize, kSectorSize);
    const auto directoryStart = static_cast<std::uint32_t>(fat.size());
    std::uint32_t next = directoryStart + static_cast<std::uint32_t>(directorySectors);
    for (const std::size_t i : bigStreams) {
        entries[1 + i].start = next;
        next += static_cast<std::uint32_t>(SectorsFor(m_streams[i].bytes.size(), kSectorSize));
    }
    std::string directory;
    for (const DirectoryEntry& entry : entries) {
        AppendEntry(directory, entry);
    }
    while (directory.size() % kSectorSize != 0) {
        AppendEntry(directory, DirectoryEntry{});
    }
    place(directory);
    for (const std::size_t i : bigStreams) {
        place(m_streams[i].bytes);
    }

    std::size_t fatSectors = 1;
    while (fatSectors * kIdsPerSector < fat.size() + fatSectors) {
        ++fatSectors;
    }
    if (fatSectors > kHeaderDifatEntries) {
        return Failure{"the file would be too large"};
    }
    const auto fatStart = static_cast<std::uint32_t>(fat.size());
    fat.insert(fat.end(), fatSectors, kFatSector);
    fat.resize(fatSectors * kIdsPerSector, kFreeSector);

    std::string header(kSectorSize, '\0');
    std::copy(kSignature.begin(), kSignature.end(), header.begin());
    Put16(header, 24, 0x003E);
    Put16(header, 26, 3);
    Put16(header, 28, 0xFFFE);
    Put16(header, 30, 9);
    Put16(header, 32, 6);
    Put32(header, 44, static_cast<std::uint32_t>(fatSectors));
    Put32(header, 48, directoryStart);
    Put32(header, 56, kMiniStreamCutoff);
    Put32(header, 60, miniFatSectors == 0 ? kEndOfChain : miniFatStart);
    Put32(header, 64, miniFatSectors);
    Put32(header, 68, kEndOfChain);
    for (std::size_t i = 0; i < kHeaderDifatEntries; ++i) {
        Put32(header, 76 + 4 * i,
              i < fatSectors ? fatStart + static_cast<std::uint32_t>(i) : kFreeSector);
    }

    std::string file = header + body;
    for (const std::uint32_t id : fat) {
        Append32(file, id);
    }
    return file;
}

} // namespace msitransform
