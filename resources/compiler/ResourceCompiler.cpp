// Build tool: turns one language source (resources/strings/XX.txt) into C++ tables, either a
// language library's exported function or the program's built-in set. Any fault in the source
// stops the build with its file and line, so a translator's slip never reaches the program.
//
//   pyrn-rescomp <source.txt> <output.cpp> <language> library|builtin

#include "resources/LanguageTables.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct MenuLine
{
    unsigned menuId;
    unsigned level;
    unsigned command;
    std::string text;
};

struct Source
{
    std::map<unsigned, std::string> strings;
    std::vector<MenuLine> menus;
    std::map<std::pair<unsigned, unsigned>, std::string> dialogs;
};

class SourceError
{
public:
    SourceError(int line, std::string message) : m_line(line), m_message(std::move(message)) {}
    int m_line;
    std::string m_message;
};

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        if (lead < 0x80) {
            length = 1;
        } else if ((lead & 0xE0) == 0xC0 && lead >= 0xC2) {
            length = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
        } else if ((lead & 0xF8) == 0xF0 && lead <= 0xF4) {
            length = 4;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

std::vector<std::string_view> SplitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string_view::npos;
         tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

unsigned ParseId(std::string_view text, int line)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != text.npos) {
        throw SourceError(line, "not an id: '" + std::string(text) + "'");
    }
    const unsigned long value = std::stoul(std::string(text));
    if (value > 65535) {
        throw SourceError(line, "id above 65535: " + std::string(text));
    }
    return static_cast<unsigned>(value);
}

std::string Unescape(std::string_view text, int line)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            result += text[i];
            continue;
        }
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        switch (next) {
        case 'n':
            result += '\n';
            break;
        case 'r':
            result += '\r';
            break;
        case 't':
            result += '\t';
            break;
        case '\\':
            result += '\\';
            break;
        default:
            throw SourceError(line, "unknown escape '\\" + std::string(1, next) + "'");
        }
        ++i;
    }
    if (result.empty()) {
        throw SourceError(line, "empty text");
    }
    return result;
}

// "@N" stands for the text of string N.
std::optional<unsigned> Reference(std::string_view text, int line)
{
    if (text.empty() || text.front() != '@') {
        return std::nullopt;
    }
    return ParseId(text.substr(1), line);
}

enum class Section
{
    None,
    Strings,
    Menu,
    Dialog
};

struct PendingReference
{
    std::string* target;
    unsigned id;
    int line;
};

Source Parse(const std::string& content)
{
    if (!IsValidUtf8(content)) {
        throw SourceError(0, "not UTF-8");
    }
    Source source;
    std::vector<PendingReference> references;
    Section section = Section::None;
    unsigned sectionId = 0;
    bool inPopup = false;
    std::istringstream input(content);
    std::string raw;
    int line = 0;
    // Menu texts are kept in a list that grows; resolve them by index, not by pointer.
    std::vector<std::pair<std::size_t, PendingReference>> menuReferences;

    while (std::getline(input, raw)) {
        ++line;
        std::string_view text(raw);
        if (line == 1 && text.starts_with("\xEF\xBB\xBF")) {
            text.remove_prefix(3);
        }
        if (text.ends_with('\r')) {
            text.remove_suffix(1);
        }
        if (text.find_first_not_of(" \t") == text.npos || text.front() == '#') {
            continue;
        }
        if (text.front() == '[') {
            if (!text.ends_with(']')) {
                throw SourceError(line, "unclosed section header");
            }
            const std::string_view name = text.substr(1, text.size() - 2);
            if (name == "strings") {
                section = Section::Strings;
            } else if (name.starts_with("menu ")) {
                section = Section::Menu;
                sectionId = ParseId(name.substr(5), line);
                inPopup = false;
            } else if (name.starts_with("dialog ")) {
                section = Section::Dialog;
                sectionId = ParseId(name.substr(7), line);
            } else {
                throw SourceError(line, "unknown section '" + std::string(name) + "'");
            }
            continue;
        }
        const std::vector<std::string_view> fields = SplitTabs(text);
        switch (section) {
        case Section::None:
            throw SourceError(line, "text before the first section");
        case Section::Strings: {
            if (fields.size() != 2) {
                throw SourceError(line, "expected: id TAB text");
            }
            const unsigned id = ParseId(fields[0], line);
            if (!source.strings.emplace(id, Unescape(fields[1], line)).second) {
                throw SourceError(line, "string " + std::to_string(id) + " given twice");
            }
            break;
        }
        case Section::Menu: {
            MenuLine entry{sectionId, 0, 0, {}};
            if (fields[0] == "popup" && fields.size() == 2) {
                entry.text = std::string(fields[1]);
                inPopup = true;
            } else if (fields[0] == "item" && fields.size() == 3 && inPopup) {
                entry.level = 1;
                entry.command = ParseId(fields[1], line);
                entry.text = std::string(fields[2]);
            } else if (fields[0] == "separator" && fields.size() == 1 && inPopup) {
                entry.level = 1;
            } else {
                throw SourceError(line, "expected: popup TAB text, item TAB id TAB text, or "
                                        "separator (items only after a popup)");
            }
            if (const auto id = Reference(entry.text, line)) {
                menuReferences.push_back({source.menus.size(), {nullptr, *id, line}});
            } else if (!entry.text.empty()) {
                entry.text = Unescape(entry.text, line);
            }
            source.menus.push_back(std::move(entry));
            break;
        }
        case Section::Dialog: {
            if (fields.size() != 2) {
                throw SourceError(line, "expected: control id TAB text");
            }
            const unsigned control = ParseId(fields[0], line);
            auto [entry, added] =
                source.dialogs.emplace(std::pair{sectionId, control}, std::string());
            if (!added) {
                throw SourceError(line, "control " + std::to_string(control) + " given twice");
            }
            if (const auto id = Reference(fields[1], line)) {
                references.push_back({&entry->second, *id, line});
            } else {
                entry->second = Unescape(fields[1], line);
            }
            break;
        }
        }
    }
    for (auto& [index, reference] : menuReferences) {
        reference.target = &source.menus[index].text;
        references.push_back(reference);
    }
    for (const PendingReference& reference : references) {
        const auto found = source.strings.find(reference.id);
        if (found == source.strings.end()) {
            throw SourceError(reference.line,
                              "refers to missing string " + std::to_string(reference.id));
        }
        *reference.target = found->second;
    }
    return source;
}

// A C++ string literal; every byte outside printable ASCII as a three-digit octal escape,
// which never runs into the character after it.
std::string Literal(std::string_view text)
{
    std::string result = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            result += '\\';
            result += c;
        } else if (byte < 0x20 || byte >= 0x7F || c == '?') {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\%03o", byte);
            result += escape;
        } else {
            result += c;
        }
    }
    return result + "\"";
}

std::string Emit(const Source& source, const std::string& language, bool builtIn,
                 const std::string& sourceName)
{
    std::ostringstream out;
    out << "// Generated from " << sourceName << " by pyrn-rescomp; edit the source instead.\n"
        << "#include \"resources/LanguageTables.h\"\n\n#include <iterator>\n\nnamespace {\n\n"
        << "constexpr PyrnStringEntry kStrings[] = {\n";
    for (const auto& [id, text] : source.strings) {
        out << "    {" << id << ", " << Literal(text) << "},\n";
    }
    out << "};\n\nconstexpr PyrnMenuEntry kMenus[] = {\n";
    for (const MenuLine& entry : source.menus) {
        out << "    {" << entry.menuId << ", " << entry.level << ", " << entry.command << ", "
            << Literal(entry.text) << "},\n";
    }
    if (source.menus.empty()) {
        out << "    {0, 0, 0, nullptr},\n";
    }
    out << "};\n\nconstexpr PyrnDialogEntry kDialogs[] = {\n";
    for (const auto& [key, text] : source.dialogs) {
        out << "    {" << key.first << ", " << key.second << ", " << Literal(text) << "},\n";
    }
    if (source.dialogs.empty()) {
        out << "    {0, 0, nullptr},\n";
    }
    out << "};\n\nconstexpr PyrnResourceTables kTables = {\n"
        << "    kPyrnResourceTablesVersion, " << Literal(language) << ",\n"
        << "    kStrings, std::size(kStrings),\n"
        << "    kMenus, " << source.menus.size() << ",\n"
        << "    kDialogs, " << source.dialogs.size() << ",\n};\n\n} // namespace\n\n";
    if (builtIn) {
        out << "const PyrnResourceTables* PyrnBuiltInResourceTables()\n";
    } else {
        out << "extern \"C\" __attribute__((visibility(\"default\"))) const PyrnResourceTables*\n"
            << kPyrnLanguageResourceTablesSymbol << "()\n";
    }
    out << "{\n    return &kTables;\n}\n";
    return out.str();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5 ||
        (std::string_view(argv[4]) != "library" && std::string_view(argv[4]) != "builtin")) {
        std::cerr << "usage: pyrn-rescomp <source.txt> <output.cpp> <language> library|builtin\n";
        return 2;
    }
    const std::string sourcePath = argv[1];
    std::ifstream file(sourcePath, std::ios::binary);
    if (!file) {
        std::cerr << sourcePath << ": cannot be read\n";
        return 1;
    }
    const std::string content{std::istreambuf_iterator<char>(file), {}};
    std::string generated;
    try {
        generated = Emit(Parse(content), argv[3], std::string_view(argv[4]) == "builtin",
                         sourcePath.substr(sourcePath.find_last_of('/') + 1));
    } catch (const SourceError& error) {
        std::cerr << sourcePath << ":" << error.m_line << ": " << error.m_message << "\n";
        return 1;
    }
    std::ofstream output(argv[2], std::ios::binary | std::ios::trunc);
    output << generated;
    if (!output.flush()) {
        std::cerr << argv[2] << ": cannot be written\n";
        return 1;
    }
    return 0;
}
