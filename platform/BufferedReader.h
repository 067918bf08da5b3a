// Buffered binary reading with 64-bit positions over a stdio stream. Its own large buffer lets
// command scans run at memory speed: skips that land inside the buffer cost nothing, and only a
// skip past the buffer's end touches the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace platform {

class BufferedReader
{
public:
    static constexpr std::size_t kDefaultBufferSize = std::size_t{1} << 20;

    // Takes ownership of `file`, which must not have been read yet. Gives nullptr, with the
    // file closed, when the buffer cannot be allocated or `file` is null.
    static std::unique_ptr<BufferedReader> Create(std::FILE* file,
                                                  std::size_t bufferSize = kDefaultBufferSize);

    ~BufferedReader();
    BufferedReader(const BufferedReader&) = delete;
    BufferedReader& operator=(const BufferedReader&) = delete;

    // The next byte (0-255), or -1 at the end of the file or on a read error. Like getc, the end
    // indicator stays set (and reading stays at the end) until the next seek.
    int GetByte() { return m_next < m_end ? *m_next++ : Refill(); }

    // Consumes every byte up to and including the next `byte` and gives it, or -1 as GetByte.
    int SkipPast(std::uint8_t byte);

    // Reads up to `count` bytes as fread does; fewer means the end of the file or an error.
    std::size_t Read(void* data, std::size_t count);

    // Moves to an absolute position (past the end is allowed, as with fseek) and clears the end
    // indicator. False, with the position unchanged, when the file cannot be positioned there.
    bool Seek(std::uint64_t position);

    // Moves forward from the current position; as Seek. Never wraps.
    bool Skip(std::uint64_t count);

    std::uint64_t Tell() const
    {
        return m_bufferStart + static_cast<std::uint64_t>(m_next - m_buffer.get());
    }

    // The file's current length; false when it cannot be taken.
    bool Length(std::uint64_t& length) const;

    bool AtEnd() const { return m_atEnd; }
    bool Error() const { return m_error; }

private:
    BufferedReader(std::FILE* file, std::unique_ptr<std::uint8_t[]> buffer, std::size_t size);

    int Refill();
    // Loads the buffer from the current position; false at the end of the file or on an error.
    bool Fill();
    bool PositionFile(std::uint64_t position);

    std::FILE* m_file;
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::size_t m_size;
    std::uint8_t* m_next;
    std::uint8_t* m_end;
    std::uint64_t m_bufferStart = 0;  // file position of m_buffer[0]
    std::uint64_t m_filePosition = 0; // where the stdio stream stands
    bool m_atEnd = false;
    bool m_error = false;
};

} // namespace platform
