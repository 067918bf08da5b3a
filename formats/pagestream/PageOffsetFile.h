// The page index file (".adr") kept beside the log archive: one UTF-8 line per page with its
// number in decimal and its start and length in upper-case hexadecimal, so that later opens
// need not scan the stream again.
#pragma once

#include "formats/pagestream/DornPagePos.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// Reads an index file, with or without a byte-order mark, with LF or CR LF line ends; empty
// lines are skipped. Every other line must be "PPPPPPPP,SSSSSSSSSSSSSSSS,LLLLLLLLLLLLLLLL"
// (8 decimal digits, 16 upper-case hexadecimal digits twice) and no page may come twice.
// 0 and `index` set to the records sorted by page number; -1 with `index` untouched.
int ReadPageOffsetFile(std::string_view path, std::unique_ptr<std::vector<tagDORNPAGEPOS>>& index);

// Writes the records in their order, after a byte-order mark, one CR LF line each. The file is
// written under a temporary name in the same folder and then renamed, so a failed write leaves
// no file where none was and an existing file as it was. A folder, or an existing file that
// cannot be written (read-only), is refused. 0 or -1.
int WritePageOffsetFile(std::string_view path, const std::vector<tagDORNPAGEPOS>& index);

// The first field of an index line: exactly 8 decimal digits. True and `page` set, else false.
bool ParseAdrPageNumber(std::string_view field, std::uint32_t& page);

// The order of a read index: by page number, ascending.
bool ComparePagePos(const tagDORNPAGEPOS& a, const tagDORNPAGEPOS& b);
