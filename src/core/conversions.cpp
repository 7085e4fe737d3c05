#include "core/conversions.h"

#include <cwchar>
#include <memory>
#include <new>

wchar_t* ConvertAnsiToWide(wchar_t* pwszOut, const char* pszIn, UINT uCodePage)
{
    ConvertAnsiToWideCell(pwszOut, CONVERT_MAX_CHARS, pszIn, uCodePage);
    return pwszOut;
}

char* ConvertWideToAnsi(char* pszOut, const wchar_t* pwszIn, UINT uCodePage)
{
    ConvertWideToAnsiCell(pszOut, CONVERT_MAX_CHARS, pwszIn, uCodePage);
    return pszOut;
}

bool ConvertAnsiToWideCell(wchar_t* pwszOut, int nCells, const char* pszIn, UINT uCodePage)
{
    if (!pwszOut || nCells < 1)
        return false;
    pwszOut[0] = L'\0';
    if (!pszIn)
        return false;
    int n = MultiByteToWideChar(uCodePage, 0, pszIn, -1, pwszOut, nCells);
    if (n <= 0) {
        pwszOut[0] = L'\0';
        return false;
    }
    return true;
}

bool ConvertWideToAnsiCell(char* pszOut, int nCells, const wchar_t* pwszIn, UINT uCodePage)
{
    if (!pszOut || nCells < 1)
        return false;
    pszOut[0] = '\0';
    if (!pwszIn)
        return false;
    int n = WideCharToMultiByte(uCodePage, 0, pwszIn, -1, pszOut, nCells, nullptr, nullptr);
    if (n <= 0) {
        pszOut[0] = '\0';
        return false;
    }
    return true;
}

bool ConvertWideToAnsiCellExact(char* pszOut, int nCells, const wchar_t* pwszIn, UINT uCodePage)
{
    if (!ConvertWideToAnsiCell(pszOut, nCells, pwszIn, uCodePage))
        return false;
    // Each 8-bit character gives back at most one UTF-16 unit.
    std::unique_ptr<wchar_t[]> back(new (std::nothrow) wchar_t[size_t(nCells)]);
    if (!back || !ConvertAnsiToWideCell(back.get(), nCells, pszOut, uCodePage) || wcscmp(back.get(), pwszIn) != 0) {
        pszOut[0] = '\0';
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    return true;
}
