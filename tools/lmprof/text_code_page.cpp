#include "text_code_page.h"

namespace {

// Windows-1252 from 0x80 to 0x9F; every other byte is the character of its own number.
const uint16_t CP1252_HIGH[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

uint32_t CharOfByte(uint8_t b, uint16_t wCodePage)
{
    if (wCodePage == 1252 && b >= 0x80 && b < 0xA0)
        return CP1252_HIGH[b - 0x80];
    return b;
}

// The byte of a character, or -1.
int ByteOfChar(uint32_t c, uint16_t wCodePage)
{
    if (c == 0)
        return -1;
    if (wCodePage != 1252)
        return c <= 0xFF ? int(c) : -1;
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (int i = 0; i < 32; ++i) {
        if (CP1252_HIGH[i] == c)
            return 0x80 + i;
    }
    return -1;
}

}  // namespace

uint16_t CodePageOfLanguage(uint16_t wLanguage)
{
    switch (wLanguage) {
    case 0xC1: return 950;
    case 0xC0: return 936;
    case 0x11: return 932;
    case 0x12: return 949;
    default: return 1252;
    }
}

std::vector<uint32_t> BytesToChars(const std::string& bytes, uint16_t wCodePage)
{
    std::vector<uint32_t> chars;
    chars.reserve(bytes.size());
    for (char c : bytes)
        chars.push_back(CharOfByte(uint8_t(c), wCodePage));
    return chars;
}

bool CharsToBytes(const std::vector<uint32_t>& chars, uint16_t wCodePage, std::string* pOut, uint32_t* pdwBad)
{
    std::string bytes;
    bytes.reserve(chars.size());
    for (uint32_t c : chars) {
        int b = ByteOfChar(c, wCodePage);
        if (b < 0) {
            *pdwBad = c;
            return false;
        }
        bytes += char(b);
    }
    *pOut = bytes;
    return true;
}
