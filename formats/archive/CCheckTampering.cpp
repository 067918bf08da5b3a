#include "formats/archive/CCheckTampering.h"

#include "platform/FileSystem.h"
#include "platform/SharedFile.h"

#include <algorithm>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <vector>

namespace {

// Large pieces: the hash itself is the cost, not the reads that feed it.
constexpr std::size_t kReadPieceSize = std::size_t{1} << 20;
constexpr long long kDigestFileSize = 16;

bool IsUsablePath(const std::string& path)
{
    return !path.empty() && path.find('\0') == std::string::npos;
}

// The size of the open plain file, or -1.
long long FileSize(std::FILE* file)
{
    struct stat info = {};
    if (file == nullptr || ::fstat(::fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        return -1;
    }
    return static_cast<long long>(info.st_size);
}

} // namespace

CCheckTampering::~CCheckTampering()
{
    ReleaseHandles();
}

void CCheckTampering::ReleaseHandles()
{
    if (m_hFile != nullptr) {
        std::fclose(m_hFile);
        m_hFile = nullptr;
    }
    if (m_hHash != nullptr) {
        EVP_MD_CTX_free(m_hHash);
        m_hHash = nullptr;
    }
    if (m_hProv != nullptr) {
        EVP_MD_free(m_hProv);
        m_hProv = nullptr;
    }
}

int CCheckTampering::Verify(const std::string& digestPath, const std::string& dataPath)
{
    ReleaseHandles();
    int result = -1;
    Digest expected{};
    Digest actual{};
    if (IsUsablePath(digestPath) && IsUsablePath(dataPath) &&
        ReadDigestFile(digestPath, expected) == 0 && HashFileMD5(dataPath, actual) == 0) {
        result = expected == actual ? 0 : -1;
    }
    ReleaseHandles();
    return result;
}

int CCheckTampering::ReadDigestFile(const std::string& path, Digest& digest)
{
    // A pipe or a device could block the open or never end.
    if (!IsUsablePath(path) || !platform::IsRegularFile(path)) {
        return -1;
    }
    std::FILE* file = platform::OpenDenyWrite(path, "rb");
    if (file == nullptr) {
        return -1;
    }
    Digest bytes{};
    const bool ok = FileSize(file) == kDigestFileSize &&
                    std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    if (!ok) {
        return -1;
    }
    digest = bytes;
    return 0;
}

int CCheckTampering::HashFileMD5(const std::string& path, Digest& digest)
{
    // A direct second call must not lose the handles of the first.
    ReleaseHandles();
    if (!IsUsablePath(path) || !platform::IsRegularFile(path)) {
        return -1;
    }
    m_hFile = platform::OpenDenyWrite(path, "rb");
    // The bytes the file holds now are the ones hashed, even when it grows meanwhile.
    const long long fileSize = FileSize(m_hFile);
    if (fileSize < 0) {
        return -1;
    }
    m_hProv = EVP_MD_fetch(nullptr, "MD5", nullptr);
    if (m_hProv == nullptr) {
        return -1;
    }
    m_hHash = EVP_MD_CTX_new();
    if (m_hHash == nullptr || EVP_DigestInit_ex(m_hHash, m_hProv, nullptr) != 1) {
        return -1;
    }
    std::vector<unsigned char> piece(kReadPieceSize);
    // The pieces are read straight into `piece`, past the stream's own small buffer.
    std::setvbuf(m_hFile, nullptr, _IONBF, 0);
    for (long long left = fileSize; left > 0;) {
        const std::size_t want =
            static_cast<std::size_t>(std::min(left, static_cast<long long>(piece.size())));
        const std::size_t n = std::fread(piece.data(), 1, want, m_hFile);
        if (n == 0 || EVP_DigestUpdate(m_hHash, piece.data(), n) != 1) {
            return -1; // a read error, or the file shrank while it was read
        }
        left -= static_cast<long long>(n);
    }
    Digest value{};
    unsigned int size = 0;
    if (EVP_MD_get_size(m_hProv) != static_cast<int>(value.size()) ||
        EVP_DigestFinal_ex(m_hHash, value.data(), &size) != 1 || size != value.size()) {
        return -1;
    }
    digest = value;
    return 0;
}
