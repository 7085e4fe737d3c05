// The user's language code and the ANSI code page that goes with it.
#include <cctype>

#include "codec/languages.h"
#include "core/locale.h"

DWORD ParseHexLanguageId(char* pszText)
{
    // Upper-cased in place: the trace line shows the text as parsed (Wine answers "0c04").
    CharUpperA(pszText);
    DWORD dwId = 0;
    DWORD dwWeight = 1;
    for (int i = lstrlenA(pszText) - 1; i >= 0; --i) {
        char c = pszText[i];
        DWORD dwDigit = (c >= 'A' && c <= 'F') ? DWORD(c - 'A' + 10) : DWORD(c - '0');
        dwId += dwDigit * dwWeight;
        dwWeight *= 16;
    }
    return dwId;
}

LANGUAGECODE LanguageCodeFromId(DWORD dwLangId)
{
    // Simplified and Traditional Chinese share the primary language 0x04; the string tables
    // and profile files tell them apart by the codes 0xC0 and 0xC1.
    switch (dwLangId) {
    case 0x0404: dwLangId = 0x04C1; break;  // Taiwan
    case 0x0804: dwLangId = 0x08C0; break;  // PRC
    case 0x0C04: dwLangId = 0x0CC1; break;  // Hong Kong
    case 0x1004: dwLangId = 0x10C0; break;  // Singapore
    case 0x1404: dwLangId = 0x14C1; break;  // Macao
    default: break;
    }
    LANGUAGECODE lc;
    lc.dwLangId = dwLangId;
    lc.dwLanguage = dwLangId & 0xFF;
    lc.uCodePage = LanguageCodePage(lc.dwLanguage, LANG_READER_SESSION, LANG_WESTERN_CODE_PAGE);
    return lc;
}

LANGUAGECODE ReadUserLanguage(char (&szLocale)[10])
{
    szLocale[0] = '\0';
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTLANGUAGE, szLocale, sizeof(szLocale)) <= 0)
        szLocale[0] = '\0';
    szLocale[sizeof(szLocale) - 1] = '\0';
    return LanguageCodeFromId(ParseHexLanguageId(szLocale));
}

bool ReadWindowsVersion(OSVERSIONINFOA* pvi)
{
    for (int nAttempt = 0; nAttempt < 2; ++nAttempt) {
        ZeroMemory(pvi, sizeof(*pvi));
        pvi->dwOSVersionInfoSize = sizeof(*pvi);
        if (GetVersionExA(pvi))
            return true;
    }
    return false;
}
