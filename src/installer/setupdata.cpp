#include "installer/setupdata.h"


namespace setupdata {

bool CopyText(const SETUPDATA* p, size_t off, char* pszOut, size_t nOut)
{
    const char* pField = reinterpret_cast<const char*>(Bytes(p) + off);
    size_t n = strnlen(pField, TEXT_CELL);
    if (n >= nOut || n == TEXT_CELL) {
        pszOut[0] = '\0';
        return false;
    }
    memcpy(pszOut, pField, n);
    pszOut[n] = '\0';
    return true;
}

bool CopyWideText(const SETUPDATA* p, size_t off, wchar_t* pwszOut, size_t nOut)
{
    // The field may lie at any byte offset: copied unit by unit, not read in place.
    for (size_t n = 0; n < TEXT_CELL && n < nOut; ++n) {
        wchar_t c;
        memcpy(&c, Bytes(p) + off + 2 * n, sizeof(c));
        pwszOut[n] = c;
        if (c == L'\0')
            return true;
    }
    if (nOut)
        pwszOut[0] = L'\0';
    return false;
}

}  // namespace setupdata
