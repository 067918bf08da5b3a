#include "formats/pagestream/CDornComFile.h"

#include "formats/image/CBitmapData.h"
#include "formats/pagestream/DornCommand.h"
#include "platform/FileSystem.h"
#include "platform/SharedFile.h"

#include <limits>
#include <new>
#include <string>

namespace {

// `value` when it lies in [low, high], else 0.
std::int32_t InRangeOrZero(std::int32_t value, std::int32_t low, std::int32_t high)
{
    return value >= low && value <= high ? value : 0;
}

bool IsPageLevelLetter(char letter)
{
    return letter == 'h' || letter == 's' || letter == 'x';
}

bool NeedsParams(char letter)
{
    switch (letter) {
    case '#':
    case 'O':
    case 'l':
    case 'a':
    case 'Z':
    case 'c':
    case 'z':
        return true;
    default:
        return false;
    }
}

// Applies one parsed job-level command; false when its count or values are refused.
bool ApplyJobCommand(tagDORNJOBHEADER& header, const tagDORNCOMMAND& command, bool& sawHash)
{
    const DornCommandParams& p = command.nParams;
    const int count = command.nParamCount;
    switch (command.cLetter) {
    case '#':
        if (count != 7 && count < 9) {
            return false;
        }
        sawHash = true;
        if (count >= 9) {
            header.nStyle = 0;
            if (p[8] != 3 || p[5] < 1 || p[6] < 1) {
                return false;
            }
            header.nResolutionX = p[5];
            header.nResolutionY = p[6];
            header.nLevelMode = 2;
            header.nJobKind = count >= 10 ? p[9] : 0;
        } else {
            header.nStyle = p[6] == 1 ? 2 : 1;
            header.nJobKind = p[6];
        }
        return true;
    case 'O':
        if (count != 3) {
            return false;
        }
        if (p[0] == 3) {
            header.nValueO3 = InRangeOrZero(p[2], 0, 2);
        }
        return true;
    case 'l':
        if (count != 3) {
            return false;
        }
        if (p[0] == 1) {
            header.nValueL1 = InRangeOrZero(p[2], 0, 1);
        } else if (p[0] == 2) {
            header.nOrientation = InRangeOrZero(p[2], 0, 4);
        }
        return true;
    case 'a':
        if (count != 3) {
            return false;
        }
        if (p[0] == 8) {
            header.nValueA8 = InRangeOrZero(p[2], 0, 4);
        } else if (p[0] == 19) {
            header.nValueA19 = InRangeOrZero(p[2], 0, 1);
        } else if (p[0] == 37) {
            header.nValueA37 = InRangeOrZero(p[2], 0, 1);
        }
        return true;
    case 'Z':
        if (count != 1) {
            return false;
        }
        if (p[0] >= 101 && p[0] <= 104) {
            header.nValueZ = p[0];
        }
        return true;
    case 'c':
        if (count != 1) {
            return false;
        }
        header.nCopies = p[0];
        return true;
    case 'z': {
        if (count != 5 || (p[3] != 2 && p[3] != 4) || p[1] < 1 || p[2] < 1) {
            return false;
        }
        const std::int32_t levelMode = p[3] == 2 ? 1 : 3;
        if (p[0] != 0) {
            header.nResolutionX = p[1];
            header.nResolutionY = p[2];
            header.nLevelMode = levelMode;
        } else {
            header.nAltResolutionX = p[1];
            header.nAltResolutionY = p[2];
            header.nAltLevelMode = levelMode;
            if (header.nResolutionX == 0 && header.nResolutionY == 0) {
                header.nResolutionX = p[1];
                header.nResolutionY = p[2];
                header.nLevelMode = levelMode;
            }
        }
        // Saturates rather than overflowing on absurdly many commands.
        if (header.nZCount < std::numeric_limits<std::int32_t>::max()) {
            ++header.nZCount;
        }
        return true;
    }
    default:
        return true;
    }
}

} // namespace

CDornComFile::CDornComFile() = default;

CDornComFile::~CDornComFile()
{
    Close();
}

int CDornComFile::Open(std::string_view path)
{
    if (path.empty()) {
        return -1;
    }
    try {
        const std::string name(path);
        // A folder or a pipe is no stream to read (opening a pipe would wait for a writer).
        if (!platform::IsRegularFile(name)) {
            return -1;
        }
        auto stream = platform::BufferedReader::Create(platform::OpenDenyWrite(name, "rb"));
        std::uint64_t length = 0;
        if (stream == nullptr || !stream->Length(length)) {
            return -1;
        }
        Close();
        m_pFile = std::move(stream);
        m_nFileLength = length;
        return 0;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

void CDornComFile::Close()
{
    m_pColorPlanes.clear();
    m_pBlackPlane.reset();
    m_nMaxWidth = 0;
    m_nMaxHeight = 0;
    m_nMaxAltWidth = 0;
    m_nMaxAltHeight = 0;

    m_pFile.reset();
    m_nFileLength = 0;

    m_pJobHeader.reset();
    m_pPageIndex.reset();
    m_nLoadedPage = 0;
    m_pSubPages.reset();
}

int CDornComFile::ReadJobHeader()
{
    if (m_pFile == nullptr) {
        return -1;
    }
    std::unique_ptr<tagDORNJOBHEADER> header;
    try {
        header = std::make_unique<tagDORNJOBHEADER>();
    } catch (const std::bad_alloc&) {
        return -1;
    }
    tagDORNCOMMAND command;
    DornCommandText text{};
    int textLength = 0;
    std::uint64_t offset = 0;
    bool sawHash = false;
    for (;;) {
        command.cLetter = 0;
        command.nParams.fill(0);
        command.nParamCount = 0;
        if (!ReadCommand(*m_pFile, command, text, textLength, offset)) {
            return -1;
        }
        const char letter = command.cLetter;
        if (IsPageLevelLetter(letter)) {
            if (!sawHash) {
                return -1;
            }
            header->nFirstPageOffset = offset;
            break;
        }
        if (letter == 'E' || letter == 'S') {
            return -1;
        }
        if (!NeedsParams(letter)) {
            continue;
        }
        command.nParamCount = ParseCommandParams(text.data(), textLength, command.nParams);
        if (command.nParamCount < 0 || !ApplyJobCommand(*header, command, sawHash)) {
            return -1;
        }
    }
    m_pJobHeader = std::move(header);
    return 0;
}
