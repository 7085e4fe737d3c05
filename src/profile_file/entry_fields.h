// Text fields of an entry header or file header, copied into the caller's cells. The fields
// come from a file: one without a terminator is damage and is never copied cut.
#pragma once
#include <cstring>

#include "codec/byte_cursor.h"

// Copies a zero-terminated field of nField bytes into a cell of nCell bytes; false (and an
// empty cell) when the field holds no terminator or does not fit.
inline bool CopyField(char* pCell, size_t nCell, const void* pField, size_t nField)
{
    const char* p = static_cast<const char*>(pField);
    size_t n = FieldLength(p, nField);
    if (n == nField || n >= nCell) {
        if (nCell)
            pCell[0] = '\0';
        return false;
    }
    memcpy(pCell, p, n);
    pCell[n] = '\0';
    return true;
}
