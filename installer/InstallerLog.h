// The installer's own lines for whoever reads its standard error (setup passes it on): what it
// refused or what failed, naming the table, action or file concerned.
#pragma once

#include <string_view>

namespace installer {

void LogLine(std::string_view line);

} // namespace installer
