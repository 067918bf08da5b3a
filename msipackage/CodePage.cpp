#include "msipackage/CodePage.h"

#include <algorithm>
#include <array>
#include <iconv.h>
#include <memory>

namespace msitransform {

namespace {

struct CodePageName
{
    int codePage;
    const char* iconvName;
};

constexpr std::array<CodePageName, 8> kCodePages{{
    {874, "CP874"},
    {932, "CP932"},
    {936, "CP936"},
    {949, "CP949"},
    {950, "CP950"},
    {1251, "CP1251"},
    {1252, "CP1252"},
    {0, "ASCII"},
}};

const char* IconvName(int codePage)
{
    const auto found = std::find_if(kCodePages.begin(), kCodePages.end(),
                                    [&](const CodePageName& c) { return c.codePage == codePage; });
    return found == kCodePages.end() ? nullptr : found->iconvName;
}

Outcome<std::string> Convert(std::string_view in, const char* to, const char* from)
{
    iconv_t handle = iconv_open(to, from);
    if (handle == reinterpret_cast<iconv_t>(-1)) {
        return Failure{std::string("no conversion from ") + from + " to " + to};
    }
    const std::unique_ptr<void, int (*)(iconv_t)> closer(handle, iconv_close);
    std::string out(in.size() * 4 + 16, '\0');
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    if (iconv(handle, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
        return Failure{std::string("cannot convert text from ") + from + " to " + to + ": \"" +
                       std::string(in.substr(0, 60)) + "\""};
    }
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace

bool IsKnownCodePage(int codePage)
{
    return IconvName(codePage) != nullptr;
}

Outcome<std::string> FromUtf8(std::string_view utf8, int codePage)
{
    const char* name = IconvName(codePage);
    if (name == nullptr) {
        return Failure{"unknown code page " + std::to_string(codePage)};
    }
    return Convert(utf8, name, "UTF-8");
}

Outcome<std::string> ToUtf8(std::string_view bytes, int codePage)
{
    const char* name = IconvName(codePage);
    if (name == nullptr) {
        return Failure{"unknown code page " + std::to_string(codePage)};
    }
    return Convert(bytes, "UTF-8", name);
}

} // namespace msitransform
