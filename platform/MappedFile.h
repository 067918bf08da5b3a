// The whole content of an open file in memory, as one read-only block of bytes. The bytes are
// read into memory of our own, never mapped from the file: another program may shrink the
// file at any time, and a mapped page past its new end would kill the process. They come in
// large blocks, so that a reader may look at the first ones and stop before the rest.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string_view>
#include <thread>

namespace platform {

inline constexpr std::size_t kHugePageSize = std::size_t{2} << 20;
// The pieces in which AdviseHeapGrowth asks for memory: the allocator's mapping threshold
// must be above this for them to come from the heap.
inline constexpr std::size_t kHeapGrowthPiece = std::size_t{16} << 20;

// A block of `length` fresh bytes starting on a huge-page boundary and advised for transparent
// huge pages: the first touch of fresh memory costs far more than what is then written into
// it, and huge pages cut that cost several times over. `length` is a multiple of
// kHugePageSize; null when the block cannot be had. Given back with ::munmap(block, length).
void* MapHugePageBlock(std::size_t length);

// Readies the heap for about `bytes` of allocations to come, mostly small ones (records and
// their texts), so that they land on transparent huge pages too: when the free memory does not
// hold them, the heap grows by `bytes` at once and the new part is advised for huge pages
// before anything but the allocator's headers touches it. The memory helps only while the
// allocator keeps it, and the growth comes from the heap only for pieces below the allocator's
// mapping threshold (the viewer sets both); otherwise this costs a few untouched mappings and
// gains nothing. Only advice: nothing fails.
void AdviseHeapGrowth(std::size_t bytes);

class MappedFile
{
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Measures the regular file open as `stream` (its position is not used and stays as it
    // was) and makes room for all of it, reading nothing yet. False, holding nothing, when it
    // is not a regular file or the room cannot be had.
    bool Open(std::FILE* stream);
    // Reads the next block, at most `most` bytes, from the stream given to Open, which must stay
    // open until the last block. False at the end of the file, and when reading fails or the
    // file turns out shorter than it was when opened (then Failed()).
    bool ReadBlock(std::size_t most = kBlockSize);
    // Open, then every block. False, holding nothing, when any step fails.
    bool Load(std::FILE* stream);

    // The bytes read so far.
    std::string_view Bytes() const { return {m_data, m_read}; }
    bool IsComplete() const { return m_read == m_size; }
    bool Failed() const { return m_failed; }
    // True while the file open as `stream` still has the size it had when it was opened.
    bool HasSizeOf(std::FILE* stream) const;

    // Gives the memory of the bytes before `offset` back to the system (large files only).
    // They must not be read again: they may then read as zero bytes.
    void DropBefore(std::size_t offset);

    static constexpr std::size_t kBlockSize = std::size_t{8} << 20;

private:
    void Release();
    void StopPrefault();

    char* m_data = nullptr;
    std::size_t m_size = 0; // the file's size when opened
    std::size_t m_read = 0;
    int m_fd = -1; // the stream's, not owned; only while reading
    bool m_failed = false;
    void* m_region = nullptr; // m_data's block, when it is a mapping
    std::size_t m_regionSize = 0;
    std::unique_ptr<char[]> m_heap; // m_data's block, when it is on the heap
    std::thread m_prefault;         // faults the mapped block in ahead of the reads
    std::atomic<bool> m_stopPrefault = false;
};

} // namespace platform
