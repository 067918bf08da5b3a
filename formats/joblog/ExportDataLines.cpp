#include "formats/joblog/ExportDataLines.h"

#include "platform/FileSystem.h"
#include "platform/LineReader.h"
#include "platform/MappedFile.h"

#include <cstdio>
#include <string_view>

namespace {

constexpr int kHeaderLines = 8;
constexpr std::string_view kLineEnd = "\r\n";

bool WriteBytes(std::FILE* file, std::string_view bytes)
{
    return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

} // namespace

int ExportDataLines(const std::string& source, const std::string& destination)
{
    if (source.empty() || destination.empty()) {
        return -2;
    }
    // A pipe or device could block the open or never end.
    if (!platform::IsRegularFile(source)) {
        return -1;
    }
    std::FILE* in = std::fopen(source.c_str(), "r");
    if (in == nullptr) {
        return -1;
    }
    // A copy, not a mapping: truncating the destination must not pull the bytes away.
    platform::MappedFile content;
    const bool read = content.Load(in);
    std::fclose(in);
    if (!read) {
        return -1;
    }
    platform::LineReader reader(content.Bytes(), platform::LineText::Bytes);
    std::string_view line;
    for (int i = 0; i < kHeaderLines; ++i) {
        if (reader.Next(line) != platform::LineResult::Line) {
            return -1;
        }
    }

    std::FILE* out = std::fopen(destination.c_str(), "w");
    if (out == nullptr) {
        return -1;
    }
    bool ok = true;
    bool first = true;
    while (ok && reader.Next(line) == platform::LineResult::Line) {
        ok = (first || WriteBytes(out, kLineEnd)) && WriteBytes(out, line);
        first = false;
    }
    // Buffered data meets a full disk only when it is flushed: a failed close fails too.
    ok = std::fflush(out) == 0 && ok && std::ferror(out) == 0;
    ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        std::remove(destination.c_str());
        return -1;
    }
    return 0;
}
