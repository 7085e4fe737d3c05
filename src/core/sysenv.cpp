#include "core/sysenv.h"

#include "codec/ini_text.h"
#include "codec/languages.h"
#include "core/conversions.h"
#include "core/locale.h"

SYSENV::SYSENV() : OsKind(OSKIND_WINXP), m_bWin9x(0), m_dwLanguage(0), m_uCodePage(0)
{
    OSVERSIONINFOA vi;
    if (!ReadWindowsVersion(&vi))
        return;
    OsKind = OsKindOfVersion(vi);
    m_bWin9x = vi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? 1 : 0;

    char szLocale[10] = "";
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTLANGUAGE, szLocale, sizeof(szLocale)) <= 0)
        szLocale[0] = '\0';
    szLocale[sizeof(szLocale) - 1] = '\0';
    m_dwLanguage = LanguageCodeFromId(HexToLong(szLocale)).dwLangId;
    m_uCodePage = CodePageOfUserLanguage(m_dwLanguage, GetACP());
}

DWORD SYSENV::OsKindOfVersion(const OSVERSIONINFOA& vi)
{
    if (vi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        DWORD dwKind = OSKIND_WINME;
        if (vi.dwMajorVersion == 4) {
            if (vi.dwMinorVersion == 0)
                dwKind = OSKIND_WIN95;
            else if (vi.dwMinorVersion == 10)
                dwKind = OSKIND_WIN98;
            else if (vi.dwMinorVersion == 90)
                dwKind = OSKIND_WINME;
        }
        // Windows Me reports build 4.90.x in the high word.
        if (HIWORD(vi.dwBuildNumber) == 0x045A)
            dwKind = OSKIND_WINME;
        return dwKind;
    }
    if (vi.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (vi.dwMajorVersion <= 4)
            return OSKIND_NT4;
        if (vi.dwMajorVersion == 5) {
            if (vi.dwMinorVersion == 0)
                return OSKIND_WIN2K;
            if (vi.dwMinorVersion == 1)
                return OSKIND_WINXP;
            if (vi.dwMinorVersion == 2)
                return OSKIND_NT52;
        }
        if (vi.dwMajorVersion == 6) {
            if (vi.dwMinorVersion == 0)
                return OSKIND_VISTA;
            if (vi.dwMinorVersion == 1)
                return OSKIND_WIN7;
        }
    }
    return OSKIND_WINXP;
}

UINT SYSENV::CodePageOfUserLanguage(DWORD dwLanguage, UINT uAnsiCodePage)
{
    // A language the probe has no page for keeps the system's own, not 1252: the user's text
    // is in it.
    return LanguageCodePage(dwLanguage, LANG_READER_SYSENV, uAnsiCodePage);
}

bool SYSENV::WideToAnsi(char* pszDest, int cchDest, const wchar_t* pwszSource, UINT uCodePage) const
{
    return ConvertWideToAnsiCell(pszDest, cchDest, pwszSource, uCodePage ? uCodePage : m_uCodePage);
}

bool SYSENV::AnsiToWide(wchar_t* pwszDest, int cchDest, const char* pszSource, UINT uCodePage) const
{
    return ConvertAnsiToWideCell(pwszDest, cchDest, pszSource, uCodePage ? uCodePage : m_uCodePage);
}
