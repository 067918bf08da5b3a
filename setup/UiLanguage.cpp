#include "setup/UiLanguage.h"

#include <array>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

struct LocaleLanguage
{
    std::string_view code; // ISO 639-1
    uint16_t primary;      // Windows primary language id
};

constexpr std::array<LocaleLanguage, 18> kLanguages = {{
    {"ar", 0x01},
    {"zh", 0x04},
    {"cs", 0x05},
    {"de", 0x07},
    {"el", 0x08},
    {"en", 0x09},
    {"es", 0x0A},
    {"fr", 0x0C},
    {"it", 0x10},
    {"ja", 0x11},
    {"ko", 0x12},
    {"nl", 0x13},
    {"pl", 0x15},
    {"pt", 0x16},
    {"ru", 0x19},
    {"sv", 0x1D},
    {"th", 0x1E},
    {"tr", 0x1F},
}};

constexpr uint16_t kChinese = 0x04;
constexpr uint16_t kEnglish = 0x09;

// Windows sub-languages only where setup tells them apart: Chinese (Taiwan) is 1, other
// Chinese 2; English (United Kingdom) is 2, other English 1.
uint16_t SubLanguageOf(uint16_t primary, std::string_view territory)
{
    if (primary == kChinese) {
        return territory == "TW" ? 1 : 2;
    }
    return primary == kEnglish && territory == "GB" ? 2 : 1;
}

std::string_view Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string_view(value) : std::string_view();
}

// The locale that names the message language, as the C library picks it.
std::string_view MessageLocale()
{
    std::string_view locale = Variable("LC_ALL");
    if (locale.empty()) {
        locale = Variable("LC_MESSAGES");
    }
    if (locale.empty()) {
        locale = Variable("LANG");
    }
    // $LANGUAGE lists preferences; it counts unless the locale is the plain C one.
    const std::string_view preferences = Variable("LANGUAGE");
    if (!preferences.empty() && locale != "C" && locale != "POSIX") {
        return preferences.substr(0, preferences.find(':'));
    }
    return locale;
}

} // namespace

uint16_t GetUserDefaultUILanguage()
{
    const std::string_view locale = MessageLocale();
    const std::string_view language = locale.substr(0, locale.find_first_of("_.@-"));
    std::string_view territory;
    const std::size_t separator = locale.find_first_of("_-");
    if (separator != std::string_view::npos && separator == language.size()) {
        territory = locale.substr(separator + 1);
        territory = territory.substr(0, territory.find_first_of(".@"));
    }
    for (const LocaleLanguage& known : kLanguages) {
        if (known.code != language) {
            continue;
        }
        return static_cast<uint16_t>(known.primary |
                                     (SubLanguageOf(known.primary, territory) << 10));
    }
    return 0;
}

int UiLanguageCodeOf(uint16_t languageId)
{
    const unsigned primary = languageId & 0x3FFu;
    const unsigned subLanguage = languageId >> 10;
    switch (primary) {
    case 0x01:
        return 23;
    case 0x04:
        return subLanguage == 1 ? 20 : 19;
    case 0x05:
        return 29;
    case 0x07:
        return 3;
    case 0x08:
        return 16;
    case 0x09:
        return subLanguage == 2 ? 2 : 1;
    case 0x0A:
        return 6;
    case 0x0C:
        return 4;
    case 0x10:
        return 5;
    case 0x11:
        return 18;
    case 0x12:
        return 21;
    case 0x13:
        return 8;
    case 0x15:
        return 13;
    case 0x16:
        return 7;
    case 0x19:
        return 15;
    case 0x1D:
        return 12;
    case 0x1E:
        return 25;
    case 0x1F:
        return 14;
    default:
        return 1;
    }
}

int GetUiLanguageCode()
{
    return UiLanguageCodeOf(GetUserDefaultUILanguage());
}

int GetOsVersionCode()
{
    return 0;
}
