#include "installer/FormattedText.h"

namespace installer {
namespace {

class Formatter
{
public:
    Formatter(const FormatLookup& lookup, FormatAudience audience)
        : m_lookup(lookup), m_audience(audience)
    {}

    // Formats `text`; `anyEmpty` tells whether a bracketed value in it came out empty.
    std::string Format(std::string_view text, bool& anyEmpty)
    {
        std::string out;
        std::size_t i = 0;
        while (i < text.size()) {
            const char c = text[i];
            if (c == '{' && text.substr(i, 2) == "{{") {
                const std::size_t end = text.find("}}", i + 2);
                if (end != std::string_view::npos) {
                    if (m_audience == FormatAudience::Log) {
                        bool ignored = false;
                        out += Format(text.substr(i + 2, end - i - 2), ignored);
                    }
                    i = end + 2;
                    continue;
                }
            } else if (c == '{') {
                const std::size_t end = text.find('}', i + 1);
                if (end != std::string_view::npos) {
                    bool groupEmpty = false;
                    std::string group = Format(text.substr(i + 1, end - i - 1), groupEmpty);
                    if (!groupEmpty) {
                        out += group;
                    }
                    i = end + 1;
                    continue;
                }
            } else if (c == '[') {
                const std::size_t end = text.find(']', i + 1);
                if (end != std::string_view::npos && end > i + 1) {
                    const std::string_view name = text.substr(i + 1, end - i - 1);
                    std::string value = Resolve(name);
                    anyEmpty = anyEmpty || value.empty();
                    out += value;
                    i = end + 1;
                    continue;
                }
            }
            out += c;
            ++i;
        }
        return out;
    }

    const std::string& Unsupported() const { return m_unsupported; }

private:
    std::string Resolve(std::string_view name)
    {
        if (name.size() == 2 && name[0] == '\\') {
            return std::string(1, name[1]);
        }
        if (name.find('[') != std::string_view::npos) {
            Refuse(name);
            return {};
        }
        std::optional<std::string> value = m_lookup(name);
        if (!value) {
            Refuse(name);
            return {};
        }
        return *value;
    }

    void Refuse(std::string_view name)
    {
        if (m_unsupported.empty()) {
            m_unsupported = "[" + std::string(name) + "]";
        }
    }

    const FormatLookup& m_lookup;
    FormatAudience m_audience;
    std::string m_unsupported;
};

} // namespace

FormatResult FormatText(std::string_view text, const FormatLookup& lookup, FormatAudience audience)
{
    Formatter formatter(lookup, audience);
    bool anyEmpty = false;
    FormatResult result;
    result.text = formatter.Format(text, anyEmpty);
    result.unsupported = formatter.Unsupported();
    return result;
}

std::string_view WithoutTextStyle(std::string_view text)
{
    if (text.size() > 2 && text[0] == '{' && (text[1] == '\\' || text[1] == '&')) {
        const std::size_t end = text.find('}');
        if (end != std::string_view::npos) {
            return text.substr(end + 1);
        }
    }
    return text;
}

} // namespace installer
