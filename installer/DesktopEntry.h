// A shortcut as a freedesktop.org desktop entry ("Name.desktop"), which menus and desktops
// show as a launcher.
#pragma once

#include <string>

namespace installer {

struct DesktopEntry
{
    std::string name;
    std::string comment;
    std::string program;   // absolute path of the program started
    std::string arguments; // the shortcut's arguments, split as a Windows command line
    std::string folder;    // the working folder; empty for none
    std::string icon;      // absolute path of the picture shown; empty for none

    std::string Text() const;
};

} // namespace installer
