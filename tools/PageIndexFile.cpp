#include "tools/PageIndexFile.h"

#include "tools/SampleFiles.h"

#include <cinttypes>
#include <cstdio>

namespace samplejob {

std::string PageIndexFileText(const std::vector<PageSpan>& index)
{
    std::string text = "\xEF\xBB\xBF";
    for (const PageSpan& span : index) {
        char line[64];
        std::snprintf(line, sizeof line, "%08" PRIu32 ",%016" PRIX64 ",%016" PRIX64 "\r\n",
                      span.page, span.start, span.length);
        text += line;
    }
    return text;
}

int WritePageIndexFile(const std::string& path, const std::vector<PageSpan>& index)
{
    return WriteWholeFile(path, PageIndexFileText(index));
}

} // namespace samplejob
