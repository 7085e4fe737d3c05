// The pieces the INIFILE bodies over both text widths share. What differs between an 8-bit and
// a UTF-16 file name of an installation file: the system calls (the ANSI ones for an 8-bit
// name, which is all Windows 9x has) and how the name enters a trace line.
#pragma once
#include <windows.h>

#include <cstring>
#include <cwchar>

#include "core/trace.h"
#include "installer/ini_file.h"

template <class T>
struct IniName;

template <>
struct IniName<char> {
    static constexpr const char* SUFFIX = "A";
    static HANDLE Open(const char* pszName, DWORD dwShare)
    {
        return CreateFileA(pszName, GENERIC_READ, dwShare, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    // The full path into a cell of INI_NAME_CHARS; 0, or a size above the cell, when it fails.
    static DWORD FullPath(const char* pszName, char* pszOut)
    {
        return GetFullPathNameA(pszName, INI_NAME_CHARS, pszOut, nullptr);
    }
    static bool SameFile(const char* pszA, const char* pszB) { return lstrcmpiA(pszA, pszB) == 0; }
    static size_t Length(const char* pszName, size_t nMax) { return strnlen(pszName, nMax); }
    // The line pszHead followed by the name in brackets.
    static void TraceNamed(const char* pszHead, const char* pszName) { TraceLog("%s[%s]\n", pszHead, pszName); }
    // The 8-bit form's line has always named the error only.
    static void TraceOpenFailed(DWORD dwError, const char*)
    {
        TraceLog("LoadIniFileA - File Open failed - %ld\n", dwError);
    }
};

template <>
struct IniName<wchar_t> {
    static constexpr const char* SUFFIX = "W";
    static HANDLE Open(const wchar_t* pwszName, DWORD dwShare)
    {
        return CreateFileW(pwszName, GENERIC_READ, dwShare, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    static DWORD FullPath(const wchar_t* pwszName, wchar_t* pwszOut)
    {
        return GetFullPathNameW(pwszName, INI_NAME_CHARS, pwszOut, nullptr);
    }
    static bool SameFile(const wchar_t* pwszA, const wchar_t* pwszB) { return lstrcmpiW(pwszA, pwszB) == 0; }
    static size_t Length(const wchar_t* pwszName, size_t nMax) { return wcsnlen(pwszName, nMax); }
    // The name goes through the wide writer: the 8-bit one could not carry all its characters.
    static void TraceNamed(const char* pszHead, const wchar_t* pwszName)
    {
        TraceLogW(L"%hs[%s]\n", pszHead, pwszName);
    }
    static void TraceOpenFailed(DWORD dwError, const wchar_t* pwszName)
    {
        char szHead[64];
        wsprintfA(szHead, "LoadIniFileW - File Open failed - %ld, ", dwError);
        TraceNamed(szHead, pwszName);
    }
};

// Copies a result to the caller only whole: a cut value could be a path to another file.
template <class T>
bool CopyOut(T* pDest, DWORD cchDest, const T* pSource)
{
    size_t n = 0;
    while (pSource[n])
        ++n;
    if (!pDest || n >= cchDest)
        return false;
    memcpy(pDest, pSource, (n + 1) * sizeof(T));
    return true;
}
