// The user's interface language as setup sees it, and the Windows version code (which on
// Linux is none of the Windows versions setup knows).
#pragma once

#include <cstdint>

// The user's interface language as a Windows language id (primary language in the low 10
// bits, sub-language above), taken from the locale: the first entry of $LANGUAGE, else
// $LC_ALL, $LC_MESSAGES, $LANG. 0 when it names no language setup knows.
uint16_t GetUserDefaultUILanguage();

// Setup's code for a language id (the table of the setup run).
int UiLanguageCodeOf(uint16_t languageId);

// UiLanguageCodeOf(GetUserDefaultUILanguage()).
int GetUiLanguageCode();

// 104..113 for the Windows versions setup knows, 0 for anything else: always 0 here.
int GetOsVersionCode();
