// The whole content of an open file in memory, as one read-only block of bytes.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string_view>

namespace platform {

enum class FileLoad
{
    Map, // share the file's pages (fast); the file must not shrink while the bytes are in use
    Copy // a private copy that stays valid whatever later happens to the file
};

class MappedFile
{
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Takes in the whole of the regular file open as `stream` (its position is not used and
    // stays as it was). False, holding nothing, when it is not a regular file or cannot be
    // read or memory runs out. Map falls back to a copy when the file cannot be mapped.
    bool Load(std::FILE* stream, FileLoad how);

    std::string_view Bytes() const { return {m_data, m_size}; }

    // Lets the system take back the memory of the bytes before `offset` of a mapped file; they
    // stay readable (they are read from the file again when touched). Does nothing for a copy.
    void DropBefore(std::size_t offset);

private:
    void Release();

    const char* m_data = nullptr;
    std::size_t m_size = 0;
    void* m_mapping = nullptr;
    std::unique_ptr<char[]> m_copy;
};

} // namespace platform
