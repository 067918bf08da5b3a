// Settings files in the Windows profile ("INI") format, read and written as the Windows
// profile functions do: sections and keys are found without regard to letter case, the first
// of duplicates wins, and an integer is read from the value's leading digits.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The integer that `text` starts with: an optional sign, then decimal digits up to the first
// other character ("12px" is 12, "abc" is 0). Values beyond int saturate.
int ParseProfileInt(std::string_view text);

// The value of `key` in `section` of the file at `path`, trimmed of blanks and of one pair of
// enclosing quotes; false when the file cannot be read or holds no such key.
bool ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                       std::string& value);

// ParseProfileInt of the value; `defaultValue` when there is none or it is empty.
int ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                   int defaultValue);

// Sets `key` in `section` to `value`, creating the file and the section as needed and keeping
// every other line as it stands. Lines end with CR LF. The file is replaced in one step, so a
// failed write leaves the old content. False when the folder or the file cannot be written.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

} // namespace platform
