#include "platform/ProfileFile.h"

#include "platform/FileSystem.h"
#include "platform/LineReader.h"
#include "platform/Utf8.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// A settings file is a few lines; anything far larger is not one.
constexpr std::size_t kMaxProfileSize = std::size_t{4} << 20;

std::string_view Trim(std::string_view text)
{
    constexpr std::string_view blanks = " \t\r\f\v";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The name of a "[section]" line, or false for any other line.
bool SectionName(std::string_view line, std::string_view& name)
{
    line = Trim(line);
    if (line.empty() || line.front() != '[') {
        return false;
    }
    const std::size_t close = line.find(']');
    name = Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
    return true;
}

// The key and value of a "key=value" line; false for lines without '=' and for comments.
bool KeyAndValue(std::string_view line, std::string_view& key, std::string_view& value)
{
    line = Trim(line);
    const std::size_t equals = line.find('=');
    if (line.empty() || line.front() == ';' || equals == std::string_view::npos) {
        return false;
    }
    key = Trim(line.substr(0, equals));
    value = Trim(line.substr(equals + 1));
    return true;
}

std::vector<std::string_view> SplitLines(std::string_view bytes)
{
    if (bytes.starts_with(kUtf8ByteOrderMark)) {
        bytes.remove_prefix(kUtf8ByteOrderMark.size());
    }
    std::vector<std::string_view> lines;
    LineReader reader(bytes, LineText::Bytes);
    std::string_view line;
    while (reader.Next(line) == LineResult::Line) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace

int ParseProfileInt(std::string_view text)
{
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    value = negative ? -value : value;
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

bool ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                       std::string& value)
{
    const std::optional<std::string> bytes = ReadSmallFile(path, kMaxProfileSize);
    if (!bytes) {
        return false;
    }
    bool inSection = false;
    bool sectionSeen = false;
    for (const std::string_view line : SplitLines(*bytes)) {
        std::string_view name;
        if (SectionName(line, name)) {
            // Only the first section of the name counts.
            if (inSection) {
                return false;
            }
            inSection = !sectionSeen && EqualNoCase(name, section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        std::string_view lineKey;
        std::string_view lineValue;
        if (inSection && KeyAndValue(line, lineKey, lineValue) && EqualNoCase(lineKey, key)) {
            if (lineValue.size() >= 2 && (lineValue.front() == '"' || lineValue.front() == '\'') &&
                lineValue.back() == lineValue.front()) {
                lineValue = lineValue.substr(1, lineValue.size() - 2);
            }
            value.assign(lineValue);
            return true;
        }
    }
    return false;
}

int ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                   int defaultValue)
{
    std::string value;
    if (!ReadProfileString(path, section, key, value) || value.empty()) {
        return defaultValue;
    }
    return ParseProfileInt(value);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value)
{
    const std::optional<std::string> old = ReadSmallFile(path, kMaxProfileSize);
    if (!old && ::access(path.c_str(), F_OK) == 0) {
        return false; // something is there that we must not replace
    }
    const std::vector<std::string_view> lines = SplitLines(old ? *old : std::string_view());
    const std::string entry = std::string(key) + "=" + std::string(value);

    // Where the entry goes: over the key's line, or after the section's last entry.
    std::size_t replace = lines.size();
    std::size_t insertAfter = lines.size();
    bool sectionFound = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view name;
        if (SectionName(lines[i], name)) {
            if (sectionFound) {
                break;
            }
            sectionFound = EqualNoCase(name, section);
            insertAfter = i;
            continue;
        }
        std::string_view lineKey;
        std::string_view lineValue;
        if (sectionFound && KeyAndValue(lines[i], lineKey, lineValue)) {
            insertAfter = i;
            if (EqualNoCase(lineKey, key)) {
                replace = i;
                break;
            }
        }
    }

    std::string bytes;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        bytes += i == replace ? std::string_view(entry) : lines[i];
        bytes += "\r\n";
        if (sectionFound && replace == lines.size() && i == insertAfter) {
            bytes += entry + "\r\n";
        }
    }
    if (!sectionFound) {
        bytes += "[" + std::string(section) + "]\r\n" + entry + "\r\n";
    }
    return ReplaceFile(path, bytes);
}

} // namespace platform
