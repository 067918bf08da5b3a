// The ten installation languages in the order the language dialog lists them; the row index
// is also the combobox index.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

struct LanguageRow
{
    std::string_view language;
    int uiLanguageCode;         // what GetUiLanguageCode gives for this language
    uint16_t langId;            // selects setup's own strings in this language
    std::string_view lcidText;  // what the installed product reports back in "Language"
    unsigned transformResource; // 0: installed without a transform
    unsigned normalBitmap;      // black text on white
    unsigned highlightedBitmap; // white text on blue
};

inline constexpr int kJapaneseRow = 0;
inline constexpr int kEnglishRow = 1;
inline constexpr unsigned kNoTransform = 0;

inline constexpr std::array<LanguageRow, 10> LanguageTable = {{
    {"Japanese", 18, 0x0411, "1041", 134, 2157, 2161},
    {"English", 1, 0x0409, "1033", kNoTransform, 2158, 2162},
    {"French", 4, 0x040C, "1036", 136, 2159, 2163},
    {"Spanish", 6, 0x0C0A, "1034", 137, 2160, 2164},
    {"German", 3, 0x0407, "1031", 135, 2181, 2186},
    {"Korean", 21, 0x0412, "1042", 2193, 2182, 2187},
    {"Thai", 25, 0x041E, "1054", 2194, 2183, 2189},
    {"Chinese (Simplified)", 19, 0x0804, "2052", 2168, 2166, 2167},
    {"Chinese (Traditional)", 20, 0x0404, "1028", 2195, 2184, 2190},
    {"Russian", 15, 0x0419, "1049", 2196, 2185, 2191},
}};

inline constexpr int kLanguageRowCount = static_cast<int>(LanguageTable.size());

// The first row whose code is `uiLanguageCode`, or -1.
constexpr int FindLanguageRow(int uiLanguageCode)
{
    for (int row = 0; row < kLanguageRowCount; ++row) {
        if (LanguageTable[static_cast<std::size_t>(row)].uiLanguageCode == uiLanguageCode) {
            return row;
        }
    }
    return -1;
}

// The row's LCID text read as a decimal number.
constexpr int LcidOf(const LanguageRow& row)
{
    int lcid = 0;
    for (const char digit : row.lcidText) {
        lcid = lcid * 10 + (digit - '0');
    }
    return lcid;
}

constexpr const LanguageRow* LanguageRowAt(int row)
{
    return row >= 0 && row < kLanguageRowCount ? &LanguageTable[static_cast<std::size_t>(row)]
                                               : nullptr;
}
