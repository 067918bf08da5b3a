#include "tools/SampleDigest.h"

#include <cstdio>
#include <memory>
#include <openssl/evp.h>

namespace samplejob {

Md5Digest Md5Of(std::string_view bytes)
{
    Md5Digest digest{};
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                    &EVP_MD_CTX_free);
    unsigned int length = 0;
    if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()) != 1 ||
        EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1 || length != digest.size()) {
        return Md5Digest{};
    }
    return digest;
}

std::string DigestFileBytes(std::string_view log, DigestKind kind)
{
    Md5Digest digest = Md5Of(log);
    std::string raw(reinterpret_cast<const char*>(digest.data()), digest.size());
    switch (kind) {
    case DigestKind::Correct:
        return raw;
    case DigestKind::Wrong:
        raw[7] = static_cast<char>(raw[7] ^ 0x10);
        return raw;
    case DigestKind::HexText: {
        std::string hex;
        for (uint8_t byte : digest) {
            char pair[3];
            std::snprintf(pair, sizeof pair, "%02x", byte);
            hex += pair;
        }
        return hex;
    }
    case DigestKind::Short:
        return raw.substr(0, 15);
    }
    return raw;
}

} // namespace samplejob
