// ZIP files written byte by byte, for what writer libraries never make: names stored without
// the UTF-8 flag in a chosen encoding, and Unicode path fields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace crafted_zip {

struct Entry
{
    std::string name; // the stored bytes
    std::string data; // stored without compression
    bool utf8Flag = false;
    std::string localExtra{}; // extra data of the local header
};

inline uint32_t Crc32(std::string_view bytes)
{
    uint32_t crc = 0xFFFFFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

inline void Put16(std::string& out, std::size_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

inline void Put32(std::string& out, std::size_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, (value >> 16) & 0xFFFF);
}

// The Info-ZIP Unicode path field: version 1, the CRC-32 of the stored name, the UTF-8 name.
inline std::string UnicodePathField(std::string_view storedName, std::string_view utf8Name)
{
    std::string field;
    Put16(field, 0x7075);
    Put16(field, 5 + utf8Name.size());
    field += '\x01';
    Put32(field, Crc32(storedName));
    field += utf8Name;
    return field;
}

inline std::string Build(const std::vector<Entry>& entries)
{
    std::string out;
    std::string directory;
    for (const Entry& entry : entries) {
        const std::size_t flags = entry.utf8Flag ? 0x0800 : 0;
        const uint32_t crc = Crc32(entry.data);
        const std::size_t offset = out.size();
        Put32(out, 0x04034b50);
        Put16(out, 20);
        Put16(out, flags);
        Put16(out, 0);      // stored
        Put32(out, 0x0021); // time and date
        Put32(out, crc);
        Put32(out, entry.data.size());
        Put32(out, entry.data.size());
        Put16(out, entry.name.size());
        Put16(out, entry.localExtra.size());
        out += entry.name + entry.localExtra + entry.data;

        Put32(directory, 0x02014b50);
        Put16(directory, 20);
        Put16(directory, 20);
        Put16(directory, flags);
        Put16(directory, 0);
        Put32(directory, 0x0021);
        Put32(directory, crc);
        Put32(directory, entry.data.size());
        Put32(directory, entry.data.size());
        Put16(directory, entry.name.size());
        Put32(directory, 0); // no extra data, no comment
        Put32(directory, 0); // disk, internal attributes
        Put32(directory, 0); // external attributes
        Put32(directory, offset);
        directory += entry.name;
    }
    const std::size_t directoryOffset = out.size();
    out += directory;
    Put32(out, 0x06054b50);
    Put32(out, 0); // disks
    Put16(out, entries.size());
    Put16(out, entries.size());
    Put32(out, directory.size());
    Put32(out, directoryOffset);
    Put16(out, 0);
    return out;
}

} // namespace crafted_zip
