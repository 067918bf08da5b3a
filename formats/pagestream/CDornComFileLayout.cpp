#include "formats/common/NumberParsing.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornCommand.h"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

namespace {

constexpr std::int32_t kMarkOne = 1;
constexpr std::int32_t kMarkTwo = 2;
constexpr std::int32_t kHiddenPageValue = 1; // 'P' value of a sub-page that is not shown
constexpr std::int32_t kFivePlaneZCount = 5;

std::int32_t CountOn(std::int32_t value)
{
    return value < std::numeric_limits<std::int32_t>::max() ? value + 1 : value;
}

// What carries over from one sub-page to the next while a page's commands are read.
struct LayoutState
{
    tagDORNSUBPAGEINFO running; // every field lives on until a command changes it
    std::int32_t sequence = 1;
    std::int32_t mark1Run = 0;
    std::int32_t mark2Run = 0;

    void ApplyMark(std::int32_t value)
    {
        if (value == kMarkOne) {
            mark1Run = CountOn(mark1Run);
            mark2Run = 0;
        } else if (value == kMarkTwo) {
            mark2Run = CountOn(mark2Run);
            mark1Run = 0;
        }
    }
};

// 'h' and 's': where the sub-page's raster starts and its size in pixels at the job's
// resolution. Absurd sizes give pixel sizes of 0, which no bitmap can take.
void SetSubPageSize(tagDORNSUBPAGEINFO& info, const tagDORNJOBHEADER& header, std::uint64_t offset,
                    const DornCommandParams& p)
{
    info.nImageOffset = offset;
    info.nWidth = p[0];
    info.nHeight = p[1];
    info.nPixelWidth = MmToPixels(p[0], header.nResolutionX);
    info.nPixelHeight = MmToPixels(p[1], header.nResolutionY);
}

std::int32_t XValue(std::int32_t value)
{
    return value >= 0 && value <= 2 ? value : 0;
}

// Applies one command of the page; false when it is refused.
bool ApplyLayoutCommand(LayoutState& state, const tagDORNJOBHEADER& header,
                        const tagDORNCOMMAND& command, std::uint64_t offset,
                        std::vector<tagDORNSUBPAGEINFO>& subPages)
{
    const DornCommandParams& p = command.nParams;
    const int count = command.nParamCount;
    tagDORNSUBPAGEINFO& info = state.running;
    switch (command.cLetter) {
    case 'K':
        info.nMarkValue = p[1];
        state.ApplyMark(p[1]);
        return true;
    case 't':
        if (count != 1) {
            return false;
        }
        info.nMarkValue = p[0];
        state.ApplyMark(p[0]);
        return true;
    case 'h':
        if (count < 6) {
            return false;
        }
        SetSubPageSize(info, header, offset, p);
        if (header.nStyle == 1 || header.nStyle == 2) {
            info.nOrientation = p[5] >= 1 && p[5] <= 4 ? p[5] : 1;
        }
        if (header.nZCount == kFivePlaneZCount) {
            info.nAltPixelWidth = MmToPixels(p[0], header.nAltResolutionX);
            info.nAltPixelHeight = MmToPixels(p[1], header.nAltResolutionY);
        } else {
            info.nAltPixelWidth = info.nPixelWidth;
            info.nAltPixelHeight = info.nPixelHeight;
        }
        return true;
    case 's':
        // Orientation and alternative sizes stay as the last 'h' left them.
        if (count != 2) {
            return false;
        }
        SetSubPageSize(info, header, offset, p);
        return true;
    case 'x':
        if (p[0] == 103) {
            info.nValueX103 = XValue(p[1]);
        } else if (p[0] == 104) {
            info.nValueX104 = XValue(p[1]);
        }
        return true;
    case 'P':
        if (count != 1 || subPages.size() >= kMaxSubPages) {
            return false;
        }
        info.nPageValue = p[0];
        info.nNumber = state.sequence;
        info.nSequence = state.sequence;
        state.sequence = CountOn(state.sequence);
        info.nMark2Run = p[0] == kHiddenPageValue ? 0 : state.mark2Run;
        info.nMark1Run = p[0] == kHiddenPageValue ? 0 : state.mark1Run;
        subPages.push_back(info);
        return true;
    default:
        return true;
    }
}

bool NeedsParams(char letter)
{
    switch (letter) {
    case 'K':
    case 't':
    case 'h':
    case 's':
    case 'x':
    case 'P':
        return true;
    default:
        return false;
    }
}

// Reads the commands from the stream's position until it reaches `end`.
bool ReadSubPages(platform::BufferedReader& stream, const tagDORNJOBHEADER& header,
                  std::uint64_t end, std::vector<tagDORNSUBPAGEINFO>& subPages)
{
    LayoutState state;
    tagDORNCOMMAND command;
    DornCommandText text{};
    int textLength = 0;
    std::uint64_t offset = 0;
    while (stream.Tell() < end) {
        if (!ReadCommand(stream, command, text, textLength, offset)) {
            return false;
        }
        if (!NeedsParams(command.cLetter)) {
            continue;
        }
        command.nParamCount = ParseCommandParams(text.data(), textLength, command.nParams);
        if (!ApplyLayoutCommand(state, header, command, offset, subPages)) {
            return false;
        }
    }
    return true;
}

void ExchangeNumbers(tagDORNSUBPAGEINFO& a, tagDORNSUBPAGEINFO& b)
{
    std::swap(a.nNumber, b.nNumber);
    std::swap(a.nSequence, b.nSequence);
}

void SortByNumber(std::vector<tagDORNSUBPAGEINFO>& list)
{
    std::sort(list.begin(), list.end(),
              [](const tagDORNSUBPAGEINFO& a, const tagDORNSUBPAGEINFO& b) {
                  return a.nNumber < b.nNumber;
              });
}

} // namespace

int CDornComFile::LoadPageLayout(std::uint32_t page)
{
    if (page == 0 || m_pFile == nullptr || m_pJobHeader == nullptr || m_pPageIndex == nullptr) {
        return -1;
    }
    const auto found =
        std::find_if(m_pPageIndex->begin(), m_pPageIndex->end(),
                     [page](const tagDORNPAGEPOS& record) { return record.nPage == page; });
    if (found == m_pPageIndex->end()) {
        return -1;
    }
    const tagDORNPAGEPOS record = *found;
    if (!m_pFile->Seek(record.nStart)) {
        return -1;
    }
    // A length from an index file may be anything: its end must not wrap.
    if (record.nLength > std::numeric_limits<std::uint64_t>::max() - record.nStart ||
        record.nStart + record.nLength >= m_nFileLength) {
        return -1;
    }
    try {
        auto subPages = std::make_unique<std::vector<tagDORNSUBPAGEINFO>>();
        if (!ReadSubPages(*m_pFile, *m_pJobHeader, record.nStart + record.nLength, *subPages)) {
            return -1;
        }
        m_pSubPages = std::move(subPages);
        m_nLoadedPage = page;
        ReorderSubPages();
        ComputeMaxPageSize();
        return 0;
    } catch (const std::bad_alloc&) {
        return -1;
    } catch (const std::length_error&) {
        return -1;
    }
}

void CDornComFile::ReorderSubPages()
{
    if (m_pSubPages == nullptr) {
        return;
    }
    // Works in place: the numbers that 'P' gave (1 to n) are exchanged, and sorting by them
    // applies the new order. Nothing here allocates, so nothing can fail.
    std::vector<tagDORNSUBPAGEINFO>& list = *m_pSubPages;
    const std::size_t n = list.size();
    const int kind = GetImpositionKind();
    if (kind == 1 || kind == 2) {
        for (std::size_t i = 0; i < n / 2; ++i) {
            ExchangeNumbers(list[i], list[n - 1 - i]);
        }
        SortByNumber(list);
    }
    if (kind >= 1 && kind <= 4 && m_pJobHeader->nStyle == 0) {
        for (std::size_t i = 0; i + 1 < n; i += 2) {
            ExchangeNumbers(list[i], list[i + 1]);
        }
        SortByNumber(list);
    }
    std::erase_if(
        list, [](const tagDORNSUBPAGEINFO& info) { return info.nPageValue == kHiddenPageValue; });
    std::int32_t number = 1;
    for (tagDORNSUBPAGEINFO& info : list) {
        info.nNumber = number++;
    }
}

int CDornComFile::GetImpositionKind() const
{
    if (m_pJobHeader == nullptr) {
        return 0;
    }
    const tagDORNJOBHEADER& h = *m_pJobHeader;
    if (h.nValueO3 == 0) {
        return 0;
    }
    const bool jobKind10x = h.nJobKind == 101 || h.nJobKind == 102;
    if (h.nValueA8 == 1 && h.nValueA19 == 1 && !jobKind10x) {
        return 1;
    }
    if (h.nValueA8 == 2 && h.nValueA19 == 0 && !jobKind10x) {
        return 2;
    }
    if (h.nValueA8 == 4 && h.nValueA19 == 1) {
        return 3;
    }
    if (h.nValueA8 == 1 && h.nValueA19 == 0 && jobKind10x) {
        return 4;
    }
    return 0;
}

void CDornComFile::ComputeMaxPageSize()
{
    m_nMaxWidth = 0;
    m_nMaxHeight = 0;
    m_nMaxAltWidth = 0;
    m_nMaxAltHeight = 0;
    if (m_pSubPages == nullptr) {
        return;
    }
    const bool fivePlanes = m_pJobHeader != nullptr && m_pJobHeader->nZCount == kFivePlaneZCount;
    for (const tagDORNSUBPAGEINFO& info : *m_pSubPages) {
        m_nMaxWidth = std::max(m_nMaxWidth, info.nPixelWidth);
        m_nMaxHeight = std::max(m_nMaxHeight, info.nPixelHeight);
        m_nMaxAltWidth =
            std::max(m_nMaxAltWidth, fivePlanes ? info.nAltPixelWidth : info.nPixelWidth);
        m_nMaxAltHeight =
            std::max(m_nMaxAltHeight, fivePlanes ? info.nAltPixelHeight : info.nPixelHeight);
    }
}
