// The texts of a profile file (model, profile names, descriptions, value names) are bytes in the
// exporting Windows' ANSI code page. The tool shows them as characters without asking Windows,
// so the Windows and the native tool print the same characters for the same bytes, and `pack`
// turns those characters back into exactly the same bytes.
//
// The code page is the one the library gives the file's language code: 932 Japanese, 949 Korean,
// 936 and 950 Chinese, 1252 for every other language. The tool carries the table of 1252 (every
// byte has one character there, the five bytes Windows leaves undefined standing for U+0081,
// U+008D, U+008F, U+0090 and U+009D as MultiByteToWideChar gives them). It carries no table of
// the double-byte code pages: in a file of those, a byte from 0x80 up stands for the character
// of the same number (U+0080..U+00FF), which keeps the bytes exact though it does not show the
// Japanese, Chinese or Korean text they spell.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

uint16_t CodePageOfLanguage(uint16_t wLanguage);

// The characters the bytes stand for (a zero byte, which no text field holds, stands for U+0000).
std::vector<uint32_t> BytesToChars(const std::string& bytes, uint16_t wCodePage);

// The bytes of the characters; false, with *pdwBad the first character that has no byte in the
// code page (U+0000 among them: it would end the text early).
bool CharsToBytes(const std::vector<uint32_t>& chars, uint16_t wCodePage, std::string* pOut, uint32_t* pdwBad);
