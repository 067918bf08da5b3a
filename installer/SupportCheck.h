// What of a package this installer does not carry out, found before the installation changes
// anything: a table with rows that it would ignore, an action or custom-action type it does not
// know, a column value of a kind it does not write, a folder outside its roots.
#pragma once

#include "installer/Session.h"

#include <string>

namespace installer {

// A line naming the first thing not supported; empty when the package can be run.
std::string FindUnsupported(Session& session);

} // namespace installer
