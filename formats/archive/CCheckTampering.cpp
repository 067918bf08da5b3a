#include "formats/archive/CCheckTampering.h"

#include "platform/SharedFile.h"

#include <openssl/evp.h>
#include <sys/stat.h>

namespace {

constexpr std::size_t kReadPieceSize = 1024;
constexpr long long kDigestFileSize = 16;

bool IsUsablePath(const std::string& path)
{
    return !path.empty() && path.find('\0') == std::string::npos;
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
    if (!IsUsablePath(path)) {
        return -1;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return -1;
    }
    struct stat info
    {};
    Digest bytes{};
    const bool ok = ::fstat(::fileno(file), &info) == 0 && S_ISREG(info.st_mode) &&
                    static_cast<long long>(info.st_size) == kDigestFileSize &&
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
    if (!IsUsablePath(path)) {
        return -1;
    }
    m_hFile = platform::OpenDenyWrite(path, "rb");
    if (m_hFile == nullptr) {
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
    std::array<unsigned char, kReadPieceSize> piece{};
    for (;;) {
        const std::size_t n = std::fread(piece.data(), 1, piece.size(), m_hFile);
        if (n == 0) {
            if (std::ferror(m_hFile) != 0) {
                return -1;
            }
            break;
        }
        if (EVP_DigestUpdate(m_hHash, piece.data(), n) != 1) {
            return -1;
        }
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
