// A probe of the running system for the installer package: the Windows version as a small
// code, the Windows 9x flag, the user's language and the code page for 8-bit text, and the
// conversions between 8-bit and UTF-16 text in that code page.
#pragma once
#include <windows.h>

// OsKind codes. There is no 22; the decorated lookups compare codes by size.
constexpr DWORD OSKIND_WIN95 = 1;
constexpr DWORD OSKIND_WIN98 = 2;
constexpr DWORD OSKIND_WINME = 3;    // and every other member of the 9x family
constexpr DWORD OSKIND_NT4 = 17;     // NT 4.0 and older
constexpr DWORD OSKIND_WIN2K = 18;
constexpr DWORD OSKIND_WINXP = 19;   // and every version no other code names
constexpr DWORD OSKIND_NT52 = 20;
constexpr DWORD OSKIND_VISTA = 21;
constexpr DWORD OSKIND_WIN7 = 23;

class SYSENV {
public:
    SYSENV();

    // Code page 0 means the probe's own code page. The whole source is converted and the
    // result terminated; false, with an empty destination, when it does not fit cchDest
    // (terminator included) or cannot be converted: a cut path would name another file.
    bool WideToAnsi(char* pszDest, int cchDest, const wchar_t* pwszSource, UINT uCodePage = 0) const;
    bool AnsiToWide(wchar_t* pwszDest, int cchDest, const char* pszSource, UINT uCodePage = 0) const;
    template <size_t N>
    bool WideToAnsi(char (&szDest)[N], const wchar_t* pwszSource, UINT uCodePage = 0) const
    {
        return WideToAnsi(szDest, int(N), pwszSource, uCodePage);
    }
    template <size_t N>
    bool AnsiToWide(wchar_t (&wszDest)[N], const char* pszSource, UINT uCodePage = 0) const
    {
        return AnsiToWide(wszDest, int(N), pszSource, uCodePage);
    }

    // The rules of the probe, for a version and a language already read.
    static DWORD OsKindOfVersion(const OSVERSIONINFOA& vi);
    static UINT CodePageOfUserLanguage(DWORD dwLanguage, UINT uAnsiCodePage);

    DWORD OsKind;
    BYTE m_bWin9x;
    DWORD m_dwLanguage;   // after the Chinese replacements (low byte 0xC0 or 0xC1)
    UINT m_uCodePage;
};
