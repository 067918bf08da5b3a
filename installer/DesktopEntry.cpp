#include "installer/DesktopEntry.h"

#include "platform/ProcessLauncher.h"

namespace installer {
namespace {

// A value as the entry's string type holds it: no line breaks, backslashes doubled.
std::string Escaped(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\t':
            escaped += "\\t";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// One argument of the Exec key: quoted, with ", `, $ and \ escaped inside the quotes; '%'
// doubled, as field codes would otherwise take it.
std::string ExecArgument(const std::string& argument)
{
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
        if (c == '%') {
            quoted += '%';
        }
    }
    return quoted + '"';
}

} // namespace

std::string DesktopEntry::Text() const
{
    std::string exec = ExecArgument(program);
    for (const std::string& argument : platform::SplitCommandLine(arguments)) {
        exec += ' ' + ExecArgument(argument);
    }
    std::string text =
        "[Desktop Entry]\nType=Application\nVersion=1.0\nName=" + Escaped(name) + "\n";
    if (!comment.empty()) {
        text += "Comment=" + Escaped(comment) + "\n";
    }
    text += "Exec=" + Escaped(exec) + "\n";
    if (!folder.empty()) {
        text += "Path=" + Escaped(folder) + "\n";
    }
    if (!icon.empty()) {
        text += "Icon=" + Escaped(icon) + "\n";
    }
    return text + "Terminal=false\n";
}

} // namespace installer
