// Names of an installer database's streams as the compound file stores them: table streams
// carry a marker and pack two characters of [0-9A-Za-z._] into one UTF-16 unit.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace msitransform {

// The stored name of table `table`'s stream (ASCII table names).
std::u16string EncodeTableStreamName(std::string_view table);
// The table a stored name belongs to; nothing for streams that are not tables' (summary
// information, cabinets) or names that do not decode to ASCII.
std::optional<std::string> DecodeTableStreamName(std::u16string_view stored);

} // namespace msitransform
