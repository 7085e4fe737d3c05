// Conversions between 8-bit and UTF-16 text with a given code page.
#pragma once
#include <windows.h>

constexpr int CONVERT_MAX_CHARS = 4092;

// Converts the whole zero-terminated input into at most 4092 characters, terminator included,
// and returns the output; a failed conversion (a longer text among them) yields the empty
// string.
wchar_t* ConvertAnsiToWide(wchar_t* pwszOut, const char* pszIn, UINT uCodePage);
char* ConvertWideToAnsi(char* pszOut, const wchar_t* pwszIn, UINT uCodePage);

// The same into a cell of nCells characters (terminator included); false, with an empty
// output, when the text does not fit whole or cannot be converted: a cut path or name would
// name something else.
bool ConvertAnsiToWideCell(wchar_t* pwszOut, int nCells, const char* pszIn, UINT uCodePage);
bool ConvertWideToAnsiCell(char* pszOut, int nCells, const wchar_t* pwszIn, UINT uCodePage);
// The same, and false also when the 8-bit text would name other characters: the code page
// writes one it lacks as '?' or as a look-alike (U+0131 as "i", U+2215 as "/"), and a path so
// converted names another file.
bool ConvertWideToAnsiCellExact(char* pszOut, int nCells, const wchar_t* pwszIn, UINT uCodePage);
