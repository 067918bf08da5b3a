#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornCommand.h"
#include "formats/pagestream/PageOffsetFile.h"

#include <new>
#include <stdexcept>
#include <utility>

namespace {

// Parses the command's text into its record; true when it holds exactly `count` parameters.
bool HasParamCount(tagDORNCOMMAND& command, const DornCommandText& text, int textLength, int count)
{
    command.nParamCount = ParseCommandParams(text.data(), textLength, command.nParams);
    return command.nParamCount == count;
}

// Reads the pages from `firstPage` to the end command into `index`, in stream order.
bool ScanPages(platform::BufferedReader& stream, std::uint64_t firstPage,
               std::vector<tagDORNPAGEPOS>& index)
{
    if (!stream.Seek(firstPage)) {
        return false;
    }
    tagDORNCOMMAND command;
    DornCommandText text{};
    int textLength = 0;
    std::uint64_t offset = 0;
    std::uint32_t nextPage = 1;
    bool pageOpen = false;
    tagDORNPAGEPOS page;
    for (;;) {
        if (!ReadCommand(stream, command, text, textLength, offset)) {
            return false; // a stream without its end command has no index
        }
        switch (command.cLetter) {
        case 'x':
            // Inside a page 'x' carries sub-page settings; it opens nothing.
            if (pageOpen) {
                break;
            }
            if (!HasParamCount(command, text, textLength, 3)) {
                return false;
            }
            page = {nextPage++, offset, 0};
            pageOpen = true;
            break;
        case 'y':
            if (!HasParamCount(command, text, textLength, 1) || !pageOpen ||
                index.size() >= kMaxPageIndexRecords) {
                return false;
            }
            // The page ends just before the letter 'y'.
            page.nLength = stream.Tell() - page.nStart - 1;
            index.push_back(page);
            pageOpen = false;
            break;
        case 'E':
            if (!HasParamCount(command, text, textLength, 1)) {
                return false;
            }
            if (!index.empty()) {
                return true; // a page still open is dropped
            }
            if (pageOpen) {
                return false;
            }
            index.push_back({kWholeJobPage, firstPage, stream.Tell() - firstPage - 1});
            return true;
        default:
            break;
        }
    }
}

// Repeats the first n records for copies 2 to `copies` under page numbers counted on by n
// per copy (modulo 2^32). False when the index would grow beyond kMaxPageIndexRecords.
bool AppendCopies(std::vector<tagDORNPAGEPOS>& index, std::int32_t copies)
{
    if (copies < 2) {
        return true;
    }
    const std::uint64_t n = index.size();
    const auto total = n * static_cast<std::uint64_t>(copies); // below 2^55: no wrap
    if (total > kMaxPageIndexRecords) {
        return false;
    }
    index.reserve(static_cast<std::size_t>(total));
    for (std::uint64_t k = 2; k <= static_cast<std::uint64_t>(copies); ++k) {
        for (std::size_t i = 0; i < n; ++i) {
            tagDORNPAGEPOS copy = index[i];
            copy.nPage = static_cast<std::uint32_t>(copy.nPage + (k - 1) * n);
            index.push_back(copy);
        }
    }
    return true;
}

} // namespace

int CDornComFile::BuildPageIndex()
{
    if (m_pFile == nullptr || m_pJobHeader == nullptr) {
        return -1;
    }
    try {
        auto index = std::make_unique<std::vector<tagDORNPAGEPOS>>();
        if (!ScanPages(*m_pFile, m_pJobHeader->nFirstPageOffset, *index) ||
            !AppendCopies(*index, m_pJobHeader->nCopies)) {
            return -1;
        }
        m_pPageIndex = std::move(index);
        return 0;
    } catch (const std::bad_alloc&) {
        return -1;
    } catch (const std::length_error&) {
        return -1;
    }
}

int CDornComFile::LoadPageIndexFile(std::string_view path)
{
    std::unique_ptr<std::vector<tagDORNPAGEPOS>> index;
    if (path.empty() || ReadPageOffsetFile(path, index) != 0) {
        return -1;
    }
    m_pPageIndex = std::move(index);
    return 0;
}
