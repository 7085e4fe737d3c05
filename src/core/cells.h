// Bounded copies into fixed cells. Every copy terminates and says whether the text fit, so a
// caller decides explicitly what a name that is too long means.
#pragma once
#include <cstddef>
#include <cstring>
#include <cwchar>

template <size_t N>
bool CopyCell(char (&dst)[N], const char* src)
{
    size_t n = src ? strnlen(src, N) : 0;
    bool fits = n < N;
    if (!fits)
        n = N - 1;
    if (n)
        memcpy(dst, src, n);
    dst[n] = '\0';
    return fits;
}

template <size_t N>
bool CopyCell(wchar_t (&dst)[N], const wchar_t* src)
{
    size_t n = src ? wcsnlen(src, N) : 0;
    bool fits = n < N;
    if (!fits)
        n = N - 1;
    if (n)
        memcpy(dst, src, n * sizeof(wchar_t));
    dst[n] = L'\0';
    return fits;
}

// The same for a cell known only by its address and size.
inline bool CopyCellN(char* dst, size_t nCell, const char* src)
{
    if (nCell == 0)
        return false;
    size_t n = src ? strnlen(src, nCell) : 0;
    bool fits = n < nCell;
    if (!fits)
        n = nCell - 1;
    if (n)
        memcpy(dst, src, n);
    dst[n] = '\0';
    return fits;
}
