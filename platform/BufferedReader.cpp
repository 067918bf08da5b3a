#include "platform/BufferedReader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <sys/stat.h>
#include <sys/types.h>

namespace platform {
namespace {

static_assert(sizeof(off_t) == sizeof(std::int64_t), "64-bit file positions are required");

constexpr std::uint64_t kMaxPosition =
    static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

} // namespace

std::unique_ptr<BufferedReader> BufferedReader::Create(std::FILE* file, std::size_t bufferSize)
{
    if (file == nullptr) {
        return nullptr;
    }
    try {
        const std::size_t size = std::max<std::size_t>(bufferSize, 1);
        auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        // Our buffer is the only one; a second one inside stdio would copy every byte twice.
        std::setvbuf(file, nullptr, _IONBF, 0);
        return std::unique_ptr<BufferedReader>(new BufferedReader(file, std::move(buffer), size));
    } catch (const std::bad_alloc&) {
        std::fclose(file);
        return nullptr;
    }
}

BufferedReader::BufferedReader(std::FILE* file, std::unique_ptr<std::uint8_t[]> buffer,
                               std::size_t size)
    : m_file(file), m_buffer(std::move(buffer)), m_size(size), m_next(m_buffer.get()),
      m_end(m_buffer.get())
{}

BufferedReader::~BufferedReader()
{
    std::fclose(m_file);
}

int BufferedReader::Refill()
{
    if (!Fill()) {
        return -1;
    }
    return *m_next++;
}

bool BufferedReader::Fill()
{
    if (m_atEnd) {
        return false;
    }
    const std::uint64_t position = Tell();
    if (!PositionFile(position)) {
        m_error = true;
        return false;
    }
    const std::size_t count = std::fread(m_buffer.get(), 1, m_size, m_file);
    m_bufferStart = position;
    m_next = m_buffer.get();
    m_end = m_next + count;
    m_filePosition = position + count;
    if (count == 0) {
        if (std::ferror(m_file) != 0) {
            m_error = true;
        } else {
            m_atEnd = true;
        }
        return false;
    }
    return true;
}

bool BufferedReader::PositionFile(std::uint64_t position)
{
    if (position == m_filePosition) {
        return true;
    }
    if (position > kMaxPosition || ::fseeko(m_file, static_cast<off_t>(position), SEEK_SET) != 0) {
        return false;
    }
    m_filePosition = position;
    return true;
}

int BufferedReader::SkipPast(std::uint8_t byte)
{
    for (;;) {
        if (m_next < m_end) {
            auto* hit = static_cast<std::uint8_t*>(
                std::memchr(m_next, byte, static_cast<std::size_t>(m_end - m_next)));
            if (hit != nullptr) {
                m_next = hit + 1;
                return byte;
            }
            m_next = m_end;
        }
        if (!Fill()) {
            return -1;
        }
    }
}

std::size_t BufferedReader::Read(void* data, std::size_t count)
{
    auto* out = static_cast<std::uint8_t*>(data);
    std::size_t done = 0;
    while (done < count) {
        const auto available = static_cast<std::size_t>(m_end - m_next);
        if (available > 0) {
            const std::size_t part = std::min(available, count - done);
            std::memcpy(out + done, m_next, part);
            m_next += part;
            done += part;
            continue;
        }
        if (m_atEnd) {
            break;
        }
        const std::size_t wanted = count - done;
        if (wanted < m_size) {
            if (!Fill()) {
                break;
            }
            continue;
        }
        // A read as large as the buffer goes straight into the caller's memory.
        const std::uint64_t position = Tell();
        if (!PositionFile(position)) {
            m_error = true;
            break;
        }
        const std::size_t got = std::fread(out + done, 1, wanted, m_file);
        done += got;
        m_filePosition = position + got;
        m_bufferStart = m_filePosition;
        m_next = m_end = m_buffer.get();
        if (got < wanted) {
            if (std::ferror(m_file) != 0) {
                m_error = true;
            } else {
                m_atEnd = true;
            }
            break;
        }
    }
    return done;
}

bool BufferedReader::Seek(std::uint64_t position)
{
    if (position > kMaxPosition) {
        return false;
    }
    const auto loaded = static_cast<std::uint64_t>(m_end - m_buffer.get());
    if (position >= m_bufferStart && position - m_bufferStart <= loaded) {
        m_next = m_buffer.get() + (position - m_bufferStart);
    } else {
        if (!PositionFile(position)) {
            return false;
        }
        m_bufferStart = position;
        m_next = m_end = m_buffer.get();
    }
    m_atEnd = false;
    return true;
}

bool BufferedReader::Skip(std::uint64_t count)
{
    const std::uint64_t position = Tell();
    if (count > kMaxPosition - position) {
        return false;
    }
    return Seek(position + count);
}

bool BufferedReader::Length(std::uint64_t& length) const
{
    struct stat info
    {};
    if (::fstat(::fileno(m_file), &info) != 0 || info.st_size < 0) {
        return false;
    }
    length = static_cast<std::uint64_t>(info.st_size);
    return true;
}

} // namespace platform
