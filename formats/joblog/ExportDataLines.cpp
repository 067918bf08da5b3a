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
    // A copy, not a mapping: replacing the destination must not pull the bytes away.
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

    const bool written = platform::ReplaceFile(destination, [&reader](std::FILE* out) {
        std::string_view data;
        bool ok = true;
        bool first = true;
        while (ok && reader.Next(data) == platform::LineResult::Line) {
            ok = (first || WriteBytes(out, kLineEnd)) && WriteBytes(out, data);
            first = false;
        }
        return ok;
    });
    return written ? 0 : -1;
}
