// Reader of an OLE compound file (structured storage): the streams directly under its root
// storage, which is all that installer packages and transforms use. Every sector number, chain
// and size is checked against the file before it is followed, so a damaged or hostile file
// fails cleanly.
#pragma once

#include "msipackage/Outcome.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace msitransform {

using ClassId = std::array<std::uint8_t, 16>;

class CompoundFile
{
public:
    static Outcome<CompoundFile> Parse(std::string bytes);

    const ClassId& RootClassId() const { return m_rootClassId; }
    // The names of the root's streams (UTF-16 code units, as stored), in directory order.
    std::vector<std::u16string> StreamNames() const;
    Outcome<std::string> ReadStream(std::u16string_view name) const;

private:
    struct Entry
    {
        std::u16string name;
        std::uint8_t type = 0;
        std::uint32_t left = 0;
        std::uint32_t right = 0;
        std::uint32_t child = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    CompoundFile() = default;
    Outcome<std::vector<std::uint32_t>> Chain(const std::vector<std::uint32_t>& table,
                                              std::uint32_t start, std::size_t limit) const;
    Status ReadDifatAndFat(std::uint32_t fatSectors, std::uint32_t firstDifat,
                           std::uint32_t difatSectors);
    Status ReadDirectory(std::uint32_t firstSector);
    Status ReadMiniStream(std::uint32_t firstMiniFat, std::uint32_t miniFatSectors);
    Status CollectRootStreams();
    std::string_view Sector(std::uint32_t id) const;

    std::string m_bytes;
    std::size_t m_sectorSize = 512;
    std::uint32_t m_sectorCount = 0;
    std::uint32_t m_miniCutoff = 4096;
    bool m_version3 = true;
    ClassId m_rootClassId{};
    std::vector<std::uint32_t> m_fat;
    std::vector<std::uint32_t> m_miniFat;
    std::string m_miniStream;
    std::vector<Entry> m_entries;
    std::vector<std::size_t> m_rootStreams; // indices into m_entries
};

} // namespace msitransform
