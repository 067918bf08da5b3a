// The page index file (".adr") beside a stream: one line per page with its number, start
// and length, in the form the viewer writes and reads back.
#pragma once

#include "tools/PageStream.h"

#include <string>
#include <vector>

namespace samplejob {

// UTF-8 with a byte-order mark, "%08u,%016X,%016X" lines ending in CR LF.
std::string PageIndexFileText(const std::vector<PageSpan>& index);
int WritePageIndexFile(const std::string& path, const std::vector<PageSpan>& index);

} // namespace samplejob
