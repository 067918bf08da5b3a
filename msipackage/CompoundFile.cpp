#include "msipackage/CompoundFile.h"

#include "msipackage/CompoundFileFormat.h"

#include <algorithm>
#include <utility>

namespace msitransform {

using namespace cfb;

namespace {

Failure Damaged(const std::string& what)
{
    return Failure{"not a sound compound file: " + what};
}

} // namespace

Outcome<CompoundFile> CompoundFile::Parse(std::string bytes)
{
    CompoundFile file;
    file.m_bytes = std::move(bytes);
    const std::string_view data = file.m_bytes;
    if (data.size() < 512 || data.substr(0, kSignature.size()) != kSignature) {
        return Damaged("no signature");
    }
    const std::uint16_t major = Read16(data, 26);
    const std::uint16_t sectorShift = Read16(data, 30);
    if (Read16(data, 28) != 0xFFFE || Read16(data, 32) != 6 ||
        !((major == 3 && sectorShift == 9) || (major == 4 && sectorShift == 12))) {
        return Damaged("unknown version or sector size");
    }
    file.m_version3 = major == 3;
    file.m_sectorSize = std::size_t{1} << sectorShift;
    if (data.size() < file.m_sectorSize) {
        return Damaged("header cut short");
    }
    file.m_sectorCount =
        static_cast<std::uint32_t>((data.size() - file.m_sectorSize) / file.m_sectorSize);
    file.m_miniCutoff = Read32(data, 56);

    Status status = file.ReadDifatAndFat(Read32(data, 44), Read32(data, 68), Read32(data, 72));
    if (status) {
        status = file.ReadDirectory(Read32(data, 48));
    }
    if (status) {
        status = file.ReadMiniStream(Read32(data, 60), Read32(data, 64));
    }
    if (status) {
        status = file.CollectRootStreams();
    }
    if (!status) {
        return status.TakeFailure();
    }
    return file;
}

std::string_view CompoundFile::Sector(std::uint32_t id) const
{
    return std::string_view(m_bytes).substr((std::size_t{id} + 1) * m_sectorSize, m_sectorSize);
}

Outcome<std::vector<std::uint32_t>> CompoundFile::Chain(const std::vector<std::uint32_t>& table,
                                                        std::uint32_t start,
                                                        std::size_t limit) const
{
    // A chain visits each unit at most once, so it is never longer than the table or `limit`.
    std::vector<std::uint32_t> chain;
    for (std::uint32_t id = start; id != kEndOfChain; id = table[id]) {
        if (id >= table.size() || id >= limit || chain.size() >= std::min(table.size(), limit)) {
            return Damaged("a chain leaves the file or loops");
        }
        chain.push_back(id);
    }
    return chain;
}

Status CompoundFile::ReadDifatAndFat(std::uint32_t fatSectors, std::uint32_t firstDifat,
                                     std::uint32_t difatSectors)
{
    if (fatSectors > m_sectorCount) {
        return Damaged("more allocation sectors than the file holds");
    }
    std::vector<std::uint32_t> fatIds;
    for (std::size_t i = 0; i < kHeaderDifatEntries && fatIds.size() < fatSectors; ++i) {
        fatIds.push_back(Read32(m_bytes, 76 + 4 * i));
    }
    const std::size_t perDifat = m_sectorSize / 4 - 1;
    std::uint32_t next = firstDifat;
    for (std::uint32_t n = 0; n < difatSectors && fatIds.size() < fatSectors; ++n) {
        if (next >= m_sectorCount) {
            return Damaged("index sector out of the file");
        }
        const std::string_view sector = Sector(next);
        for (std::size_t i = 0; i < perDifat && fatIds.size() < fatSectors; ++i) {
            fatIds.push_back(Read32(sector, 4 * i));
        }
        next = Read32(sector, 4 * perDifat);
    }
    if (fatIds.size() != fatSectors) {
        return Damaged("allocation sectors missing");
    }
    m_fat.reserve(std::size_t{fatSectors} * (m_sectorSize / 4));
    for (const std::uint32_t id : fatIds) {
        if (id >= m_sectorCount) {
            return Damaged("allocation sector out of the file");
        }
        const std::string_view sector = Sector(id);
        for (std::size_t i = 0; i < m_sectorSize / 4; ++i) {
            m_fat.push_back(Read32(sector, 4 * i));
        }
    }
    return Success();
}

Status CompoundFile::ReadDirectory(std::uint32_t firstSector)
{
    auto chain = Chain(m_fat, firstSector, m_sectorCount);
    if (!chain) {
        return chain.TakeFailure();
    }
    for (const std::uint32_t id : chain.Value()) {
        const std::string_view sector = Sector(id);
        for (std::size_t at = 0; at + kEntrySize <= sector.size(); at += kEntrySize) {
            const std::string_view raw = sector.substr(at, kEntrySize);
            Entry entry;
            // The stored length counts the terminating zero.
            const std::size_t nameUnits = std::min<std::size_t>(Read16(raw, 64), 64) / 2;
            for (std::size_t i = 0; i + 1 < nameUnits; ++i) {
                entry.name.push_back(static_cast<char16_t>(Read16(raw, 2 * i)));
            }
            entry.type = static_cast<std::uint8_t>(raw[66]);
            entry.left = Read32(raw, 68);
            entry.right = Read32(raw, 72);
            entry.child = Read32(raw, 76);
            entry.start = Read32(raw, 116);
            entry.size = Read32(raw, 120);
            if (!m_version3) {
                entry.size |= std::uint64_t{Read32(raw, 124)} << 32;
            }
            if (m_entries.empty()) {
                std::copy_n(raw.begin() + 80, 16, reinterpret_cast<char*>(m_rootClassId.data()));
            }
            m_entries.push_back(std::move(entry));
        }
    }
    if (m_entries.empty() || m_entries.front().type != kTypeRoot) {
        return Damaged("no root storage");
    }
    return Success();
}

Status CompoundFile::ReadMiniStream(std::uint32_t firstMiniFat, std::uint32_t miniFatSectors)
{
    if (miniFatSectors > 0 || firstMiniFat != kEndOfChain) {
        auto chain = Chain(m_fat, firstMiniFat, m_sectorCount);
        if (!chain) {
            return chain.TakeFailure();
        }
        for (const std::uint32_t id : chain.Value()) {
            const std::string_view sector = Sector(id);
            for (std::size_t i = 0; i < m_sectorSize / 4; ++i) {
                m_miniFat.push_back(Read32(sector, 4 * i));
            }
        }
    }
    const Entry& root = m_entries.front();
    if (root.size == 0) {
        return Success();
    }
    auto chain = Chain(m_fat, root.start, m_sectorCount);
    if (!chain) {
        return chain.TakeFailure();
    }
    if (root.size > chain.Value().size() * m_sectorSize) {
        return Damaged("the small-stream area is longer than its sectors");
    }
    m_miniStream.reserve(chain.Value().size() * m_sectorSize);
    for (const std::uint32_t id : chain.Value()) {
        m_miniStream.append(Sector(id));
    }
    m_miniStream.resize(static_cast<std::size_t>(root.size));
    return Success();
}

Status CompoundFile::CollectRootStreams()
{
    std::vector<bool> seen(m_entries.size(), false);
    std::vector<std::uint32_t> pending{m_entries.front().child};
    while (!pending.empty()) {
        const std::uint32_t id = pending.back();
        pending.pop_back();
        if (id == kNoStream) {
            continue;
        }
        if (id >= m_entries.size() || id == 0 || seen[id]) {
            return Damaged("the directory tree points outside itself or loops");
        }
        seen[id] = true;
        const Entry& entry = m_entries[id];
        if (entry.type == kTypeStream) {
            m_rootStreams.push_back(id);
        }
        pending.push_back(entry.left);
        pending.push_back(entry.right);
    }
    std::sort(m_rootStreams.begin(), m_rootStreams.end());
    return Success();
}

std::vector<std::u16string> CompoundFile::StreamNames() const
{
    std::vector<std::u16string> names;
    for (const std::size_t index : m_rootStreams) {
        names.push_back(m_entries[index].name);
    }
    return names;
}

Outcome<std::string> CompoundFile::ReadStream(std::u16string_view name) const
{
    const auto found = std::find_if(m_rootStreams.begin(), m_rootStreams.end(),
                                    [&](std::size_t i) { return m_entries[i].name == name; });
    if (found == m_rootStreams.end()) {
        return Failure{"no such stream"};
    }
    const Entry& entry = m_entries[*found];
    if (entry.size == 0) {
        return std::string();
    }
    const bool small = entry.size < m_miniCutoff;
    const std::size_t unit = small ? kMiniSectorSize : m_sectorSize;
    const std::size_t units = small ? m_miniStream.size() / kMiniSectorSize : m_sectorCount;
    auto chain = Chain(small ? m_miniFat : m_fat, entry.start, units);
    if (!chain) {
        return chain.TakeFailure();
    }
    if (entry.size > chain.Value().size() * unit) {
        return Damaged("a stream is longer than its sectors");
    }
    std::string bytes;
    bytes.reserve(chain.Value().size() * unit);
    for (const std::uint32_t id : chain.Value()) {
        bytes.append(small ? std::string_view(m_miniStream).substr(id * unit, unit) : Sector(id));
    }
    bytes.resize(static_cast<std::size_t>(entry.size));
    return bytes;
}

} // namespace msitransform
