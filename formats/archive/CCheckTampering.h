// Checks a job log against the MD5 digest stored beside it in the log archive.
#pragma once

#include <array>
#include <cstdio>
#include <string>

struct evp_md_st;
struct evp_md_ctx_st;

class CCheckTampering
{
public:
    using Digest = std::array<unsigned char, 16>;

    CCheckTampering() = default;
    virtual ~CCheckTampering();
    CCheckTampering(const CCheckTampering&) = delete;
    CCheckTampering& operator=(const CCheckTampering&) = delete;

    // 0 when the digest file holds exactly the 16-byte MD5 of the data file, -1 otherwise.
    int Verify(const std::string& digestPath, const std::string& dataPath);
    // 0 and the file's 16 bytes when it is exactly 16 bytes long, -1 otherwise.
    int ReadDigestFile(const std::string& path, Digest& digest);
    // 0 and the MD5 of the whole file, -1 on failure; the handles stay open until Verify or
    // the destructor releases them. The file is read with writers kept out, and no further
    // than its size when it was opened.
    int HashFileMD5(const std::string& path, Digest& digest);
    // Both refuse anything but a plain file before they open it: a pipe or a device could
    // block them or never end.

    std::FILE* m_hFile = nullptr;            // the file being hashed
    struct evp_md_st* m_hProv = nullptr;     // the MD5 algorithm fetched from the provider
    struct evp_md_ctx_st* m_hHash = nullptr; // the running hash

private:
    // File, then hash, then provider; each member back to empty.
    void ReleaseHandles();
};
