// The archiver's command-line quoting: one rule, used by the programs that build command lines
// and by the library that splits them, so a path or password always arrives intact.
//
// The rule:
// - Blanks (space, tab) outside double quotes separate words.
// - A double quote starts or ends a quoted part of a word; the quote itself is dropped, so
//   -p"secret" is the word -psecret. Inside quotes, blanks belong to the word.
// - A backslash followed by a double quote or a backslash stands for that character alone,
//   inside or outside quotes: \" is a literal quote, \\ a literal backslash.
// - A backslash before any other character, a backslash at the end, or an unclosed quote
//   makes the whole command line invalid.
// - A word is a switch only when its first character is an unquoted, unescaped '-'.
//
// QuoteText writes any text so that it comes back as exactly one word piece: a password
// x" -o"/tmp/elsewhere becomes "x\" -o\"/tmp/elsewhere" and can never start another switch.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace archiver {

struct CommandWord
{
    std::string text;      // the word with quotes and escapes resolved
    bool isSwitch = false; // began with an unquoted '-'
};

// Appends `text` to `command` in double quotes, escaping quotes and backslashes.
inline void AppendQuoted(std::string& command, std::string_view text)
{
    command += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            command += '\\';
        }
        command += c;
    }
    command += '"';
}

inline std::string QuoteText(std::string_view text)
{
    std::string quoted;
    AppendQuoted(quoted, text);
    return quoted;
}

// Splits `line` into words by the rule above; false (and `words` unspecified) when invalid.
inline bool SplitCommandLine(std::string_view line, std::vector<CommandWord>& words)
{
    words.clear();
    bool inWord = false;
    bool inQuotes = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (!inQuotes && (c == ' ' || c == '\t')) {
            inWord = false;
            continue;
        }
        if (!inWord) {
            words.emplace_back();
            words.back().isSwitch = c == '-';
            inWord = true;
        }
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == '\\') {
            if (i + 1 >= line.size() || (line[i + 1] != '"' && line[i + 1] != '\\')) {
                return false;
            }
            words.back().text += line[++i];
        } else {
            words.back().text += c;
        }
    }
    return !inQuotes;
}

} // namespace archiver
