#include "formats/pagestream/PageOffsetFile.h"

#include "formats/common/NumberParsing.h"
#include "platform/FileSystem.h"
#include "platform/LineReader.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>

namespace {

constexpr std::size_t kPageDigits = 8;
constexpr std::size_t kHexDigits = 16;
// "PPPPPPPP,SSSSSSSSSSSSSSSS,LLLLLLLLLLLLLLLL\r\n" with room for a 10-digit page number.
constexpr std::size_t kMaxLineSize = 10 + 1 + kHexDigits + 1 + kHexDigits + 2;
// The shortest valid line: "PPPPPPPP,SSSSSSSSSSSSSSSS,LLLLLLLLLLLLLLLL" and LF, bar the last.
constexpr std::size_t kMinLineSize = kPageDigits + 1 + kHexDigits + 1 + kHexDigits;
constexpr std::size_t kWriteChunk = std::size_t{64} << 10;
constexpr std::size_t kReadChunk = std::size_t{64} << 10;
constexpr int kTemporaryNameAttempts = 8;

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool ParseOffsetField(std::string_view field, std::uint64_t& value)
{
    return field.size() == kHexDigits && ParseHexUInt64(field, value) == 0;
}

// One non-empty line: exactly two commas between the three fields.
bool ParseLine(std::string_view line, tagDORNPAGEPOS& record)
{
    const std::size_t first = line.find(',');
    if (first == std::string_view::npos) {
        return false;
    }
    const std::size_t second = line.find(',', first + 1);
    if (second == std::string_view::npos || line.find(',', second + 1) != std::string_view::npos) {
        return false;
    }
    return ParseAdrPageNumber(line.substr(0, first), record.nPage) &&
           ParseOffsetField(line.substr(first + 1, second - first - 1), record.nStart) &&
           ParseOffsetField(line.substr(second + 1), record.nLength);
}

// Parses the whole lines of `bytes`; false at the first line that is refused.
bool ParseLines(std::string_view bytes, std::vector<tagDORNPAGEPOS>& records)
{
    // A valid line is ASCII, so a line that is not UTF-8 fails its fields anyway.
    platform::LineReader reader(bytes, platform::LineText::Bytes);
    std::string_view line;
    while (reader.Next(line) == platform::LineResult::Line) {
        if (line.empty()) {
            continue;
        }
        tagDORNPAGEPOS record;
        if (!ParseLine(line, record)) {
            return false;
        }
        records.push_back(record);
    }
    return true;
}

// Reads the file in chunks of whole lines through one fixed buffer: memory stays small
// whatever the file holds, and a bad file fails at its first bad line.
bool ReadRecords(std::FILE* file, std::vector<tagDORNPAGEPOS>& records)
{
    constexpr std::string_view kMark = platform::kUtf8ByteOrderMark;
    std::vector<char> buffer(kReadChunk);
    const auto at = [&buffer](std::size_t i) {
        return buffer.begin() + static_cast<std::ptrdiff_t>(i);
    };
    std::size_t held = 0;
    bool atStart = true;
    for (;;) {
        const std::size_t got = std::fread(buffer.data() + held, 1, buffer.size() - held, file);
        if (got == 0 && std::ferror(file) != 0) {
            return false;
        }
        held += got;
        const bool atEnd = got == 0;
        if (atStart && (held >= kMark.size() || atEnd)) {
            if (std::string_view(buffer.data(), held).starts_with(kMark)) {
                std::copy(at(kMark.size()), at(held), buffer.begin());
                held -= kMark.size();
            }
            atStart = false;
        }
        const std::string_view text(buffer.data(), held);
        const std::size_t lastEnd = text.rfind('\n');
        const std::size_t whole =
            atEnd ? held : (lastEnd == std::string_view::npos ? 0 : lastEnd + 1);
        if (!atStart && !ParseLines(text.substr(0, whole), records)) {
            return false;
        }
        if (atEnd) {
            return true;
        }
        if (whole == 0 && held == buffer.size()) {
            return false; // a line longer than the buffer is no index line
        }
        if (!atStart) {
            std::copy(at(whole), at(held), buffer.begin());
            held -= whole;
        }
    }
}

char* PutHex(char* out, std::uint64_t value)
{
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    for (std::size_t i = kHexDigits; i-- > 0;) {
        out[i] = kDigits[value & 0xF];
        value >>= 4;
    }
    return out + kHexDigits;
}

// "%08u,%016X,%016X\r\n"; gives the end of the line.
char* FormatLine(char* out, const tagDORNPAGEPOS& record)
{
    std::array<char, 10> digits{};
    std::size_t count = 0;
    std::uint32_t page = record.nPage;
    do {
        digits[count++] = static_cast<char>('0' + page % 10);
        page /= 10;
    } while (page != 0);
    for (std::size_t i = count; i < kPageDigits; ++i) {
        *out++ = '0';
    }
    while (count > 0) {
        *out++ = digits[--count];
    }
    *out++ = ',';
    out = PutHex(out, record.nStart);
    *out++ = ',';
    out = PutHex(out, record.nLength);
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

bool WriteAll(std::FILE* file, const char* data, std::size_t size)
{
    return std::fwrite(data, 1, size, file) == size;
}

bool WriteLines(std::FILE* file, const std::vector<tagDORNPAGEPOS>& index)
{
    std::string chunk(kWriteChunk + kMaxLineSize, '\0');
    char* const begin = chunk.data();
    char* out =
        std::copy(platform::kUtf8ByteOrderMark.begin(), platform::kUtf8ByteOrderMark.end(), begin);
    for (const tagDORNPAGEPOS& record : index) {
        out = FormatLine(out, record);
        if (static_cast<std::size_t>(out - begin) >= kWriteChunk) {
            if (!WriteAll(file, begin, static_cast<std::size_t>(out - begin))) {
                return false;
            }
            out = begin;
        }
    }
    return WriteAll(file, begin, static_cast<std::size_t>(out - begin)) && std::fflush(file) == 0 &&
           std::ferror(file) == 0;
}

// Opening the file for writing would fail: it is read-only, or not ours to write.
bool IsUnwritable(const std::string& path)
{
    if (platform::IsReadOnly(path)) {
        return true;
    }
    FilePtr probe(std::fopen(path.c_str(), "r+b"));
    return probe == nullptr;
}

std::uint64_t RandomWord()
{
    static std::atomic<std::uint64_t> s_counter{0};
    std::uint64_t word = s_counter.fetch_add(1) * 0x9E3779B97F4A7C15ull;
    try {
        std::random_device device;
        word ^= (std::uint64_t{device()} << 32) | device();
    } catch (const std::exception&) {
        // The counter alone still gives distinct names within this process.
    }
    return word;
}

// A new file beside `path`, made exclusively so that no other writer's file is taken over.
FilePtr CreateTemporary(const std::string& path, std::string& temporary)
{
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        std::array<char, kHexDigits> hex{};
        PutHex(hex.data(), RandomWord());
        const std::string name = ".adr-" + std::string(hex.data(), hex.size()) + ".tmp";
        temporary = (folder / name).string();
        if (FilePtr file{std::fopen(temporary.c_str(), "wbx")}) {
            return file;
        }
        std::error_code error;
        if (!std::filesystem::exists(temporary, error)) {
            break; // not a name clash: the folder cannot take a new file
        }
    }
    temporary.clear();
    return nullptr;
}

// Removes the temporary file unless it was renamed into place.
class TemporaryFile
{
public:
    explicit TemporaryFile(std::string path) : m_path(std::move(path)) {}
    ~TemporaryFile()
    {
        if (!m_path.empty()) {
            std::error_code ignored;
            std::filesystem::remove(m_path, ignored);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool MoveTo(const std::string& path)
    {
        std::error_code error;
        std::filesystem::rename(m_path, path, error);
        if (error) {
            return false;
        }
        m_path.clear();
        return true;
    }

private:
    std::string m_path;
};

} // namespace

bool ParseAdrPageNumber(std::string_view field, std::uint32_t& page)
{
    std::uint64_t value = 0;
    if (field.size() != kPageDigits || ParseUInt64(field, value) != 0 ||
        value > std::numeric_limits<std::uint32_t>::max()) {
        return false;
    }
    page = static_cast<std::uint32_t>(value);
    return true;
}

bool ComparePagePos(const tagDORNPAGEPOS& a, const tagDORNPAGEPOS& b)
{
    return a.nPage < b.nPage;
}

int ReadPageOffsetFile(std::string_view path, std::unique_ptr<std::vector<tagDORNPAGEPOS>>& index)
{
    if (path.empty()) {
        return -1;
    }
    try {
        const std::string name(path);
        // A folder or a pipe is no index file (opening a pipe would wait for a writer).
        if (!platform::IsRegularFile(name)) {
            return -1;
        }
        const FilePtr file(std::fopen(name.c_str(), "rb"));
        if (file == nullptr) {
            return -1;
        }
        auto records = std::make_unique<std::vector<tagDORNPAGEPOS>>();
        // Every record takes at least kMinLineSize bytes.
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(name, error);
        if (!error) {
            records->reserve(static_cast<std::size_t>(
                std::min<std::uintmax_t>(size / kMinLineSize + 1, kMaxPageIndexRecords)));
        }
        if (!ReadRecords(file.get(), *records)) {
            return -1;
        }
        // Written files come in page order already; sorted, a repeated page number lies
        // next to its twin.
        if (!std::is_sorted(records->begin(), records->end(), ComparePagePos)) {
            std::sort(records->begin(), records->end(), ComparePagePos);
        }
        const auto repeated = std::adjacent_find(
            records->begin(), records->end(),
            [](const tagDORNPAGEPOS& a, const tagDORNPAGEPOS& b) { return a.nPage == b.nPage; });
        if (repeated != records->end()) {
            return -1;
        }
        index = std::move(records);
        return 0;
    } catch (const std::bad_alloc&) {
        return -1;
    } catch (const std::length_error&) {
        return -1;
    }
}

int WritePageOffsetFile(std::string_view path, const std::vector<tagDORNPAGEPOS>& index)
{
    if (path.empty()) {
        return -1;
    }
    try {
        const std::string name(path);
        switch (platform::GetPathKind(name)) {
        case platform::PathKind::Folder:
            return -1;
        case platform::PathKind::File:
            if (IsUnwritable(name)) {
                return -1;
            }
            break;
        case platform::PathKind::Missing:
            break;
        }
        std::string temporaryName;
        FilePtr file = CreateTemporary(name, temporaryName);
        if (file == nullptr) {
            return -1;
        }
        TemporaryFile temporary(std::move(temporaryName));
        const bool written = WriteLines(file.get(), index);
        const bool closed = std::fclose(file.release()) == 0;
        return written && closed && temporary.MoveTo(name) ? 0 : -1;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}
