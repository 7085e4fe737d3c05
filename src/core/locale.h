// The user's language code and the ANSI code page that goes with it, and the Windows version
// as every entry point reads it.
#pragma once
#include <windows.h>

// Language code kept from the user's language identifier, and the ANSI code page for it.
struct LANGUAGECODE {
    DWORD dwLangId;     // identifier after the Chinese replacements
    DWORD dwLanguage;   // low byte of dwLangId
    UINT uCodePage;
};
// Reads the user's default language identifier and derives the language code; the text read
// is upper-cased in place and handed back for the trace.
LANGUAGECODE ReadUserLanguage(char (&szLocale)[10]);
// The parse and the table, separately, for callers that already hold the text.
DWORD ParseHexLanguageId(char* pszText);
LANGUAGECODE LanguageCodeFromId(DWORD dwLangId);

// Reads the version with one retry, as every entry point does.
bool ReadWindowsVersion(OSVERSIONINFOA* pvi);
