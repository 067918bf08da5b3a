#include "archiver/EntryName.h"

namespace archiver {
namespace {

constexpr std::size_t kMaxComponentSize = 255;

bool IsRefusedCharacter(unsigned char c)
{
    return c < 0x20 || c == 0x7F || c == '\\' || c == ':';
}

} // namespace

bool SplitEntryName(std::string_view name, std::vector<std::string>& components)
{
    components.clear();
    if (!name.empty() && name.back() == '/') {
        name.remove_suffix(1);
    }
    if (name.empty() || name.front() == '/') {
        return false;
    }
    for (const char c : name) {
        if (IsRefusedCharacter(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string_view::npos) {
            end = name.size();
        }
        const std::string_view part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == ".." || part.size() > kMaxComponentSize) {
            return false;
        }
        components.emplace_back(part);
        start = end + 1;
    }
    return true;
}

} // namespace archiver
