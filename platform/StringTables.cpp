#include "platform/StringTables.h"

#include "platform/EmbeddedResources.h"

#include <charconv>
#include <string_view>

namespace platform {
namespace {

std::string Unescaped(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '\\')) {
            result += text[i + 1] == 'n' ? '\n' : '\\';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

} // namespace

std::string LoadLanguageString(unsigned id, unsigned languageId)
{
    const EmbeddedResource* table = FindEmbeddedResource(
        "RT_STRING", languageId == kNeutralLanguageId ? kEnglishLanguageId : languageId);
    if (table == nullptr) {
        return {};
    }
    std::string_view rest(reinterpret_cast<const char*>(table->bytes.data()), table->bytes.size());
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        unsigned lineId = 0;
        const auto [next, error] = std::from_chars(line.data(), line.data() + line.size(), lineId);
        if (error == std::errc() && next != line.data() + line.size() && *next == '=' &&
            lineId == id) {
            return Unescaped(line.substr(static_cast<std::size_t>(next - line.data()) + 1));
        }
    }
    return {};
}

} // namespace platform
