// The digest check on any bytes: the input's first byte says how long the digest file is (0 to
// 19 bytes, taken from what follows), the rest is the log. Verify must give 0 exactly when the
// digest file holds the 16-byte MD5 of the log, computed here on its own, and -1 otherwise.
#include "FuzzScratch.h"
#include "formats/archive/CCheckTampering.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <openssl/evp.h>

namespace {

constexpr std::size_t kDigestSize = 16;

bool Md5(const std::uint8_t* data, std::size_t size, unsigned char (&digest)[kDigestSize])
{
    unsigned int length = 0;
    return EVP_Digest(data, size, digest, &length, EVP_md5(), nullptr) == 1 &&
           length == kDigestSize;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const FuzzScratch scratch("fuzz_digest");
    if (size == 0) {
        return 0;
    }
    const std::size_t digestSize = std::min<std::size_t>(data[0] % 20, size - 1);
    const std::uint8_t* digest = data + 1;
    const std::uint8_t* log = digest + digestSize;
    const std::size_t logSize = size - 1 - digestSize;
    const std::string digestPath = scratch.Write("Job.mll", digest, digestSize);
    const std::string logPath = scratch.Write("Job.csv", log, logSize);

    unsigned char expected[kDigestSize];
    if (!Md5(log, logSize, expected)) {
        FuzzFailure("MD5 not available");
    }
    const bool matches =
        digestSize == kDigestSize && std::memcmp(expected, digest, kDigestSize) == 0;
    CCheckTampering check;
    for (int round = 0; round < 2; ++round) { // a second call starts as clean as the first
        const int result = check.Verify(digestPath, logPath);
        if (result != (matches ? 0 : -1)) {
            FuzzFailure("Verify does not agree with the log's MD5");
        }
    }
    if (check.m_hFile != nullptr || check.m_hHash != nullptr || check.m_hProv != nullptr) {
        FuzzFailure("Verify left handles open");
    }
    return 0;
}
