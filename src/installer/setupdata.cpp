#include "installer/setupdata.h"

#include "codec/byte_cursor.h"
#include "core/trace.h"

namespace setupdata {

bool Block::Inside(size_t off, size_t n) const
{
    ByteCursor cursor(m_p, m_cb);
    if (m_p && cursor.Skip(off) && cursor.Left() >= n)
        return true;
    TraceLog("SETUPDATA - field %d outside the block of %d bytes\n", int(off), int(m_cb));
    return false;
}

bool Block::ReadU32(size_t off, DWORD* pdw) const
{
    *pdw = 0;
    if (!Inside(off, 4))
        return false;
    ByteCursor cursor(m_p, m_cb);
    uint32_t dw = 0;
    bool bRead = cursor.Skip(off) && cursor.U32(&dw);
    *pdw = dw;
    return bRead;
}

bool Block::PutI32(size_t off, LONG l)
{
    if (!Inside(off, 4))
        return false;
    PutU32(reinterpret_cast<uint8_t*>(m_p) + off, uint32_t(l));
    return true;
}

bool Block::CopyText(size_t off, char* pszOut, size_t nOut) const
{
    if (!pszOut || nOut == 0)
        return false;
    pszOut[0] = '\0';
    // The field's bytes that lie inside the block: all TEXT_CELL of them, or those before its end.
    ByteCursor cursor(m_p, m_cb);
    const uint8_t* pField = nullptr;
    if (!Inside(off, 1) || !cursor.Skip(off) || !cursor.View(&pField, cursor.Left() < TEXT_CELL ? cursor.Left() : TEXT_CELL))
        return false;
    size_t cbField = size_t(cursor.p - pField);
    size_t n = FieldLength(reinterpret_cast<const char*>(pField), cbField);
    if (n == cbField) {
        if (cbField < TEXT_CELL)
            TraceLog("SETUPDATA - text at %d runs past the block of %d bytes\n", int(off), int(m_cb));
        return false;
    }
    if (n >= nOut)
        return false;
    memcpy(pszOut, pField, n);
    pszOut[n] = '\0';
    return true;
}

bool Block::CopyWideText(size_t off, wchar_t* pwszOut, size_t nOut) const
{
    if (!pwszOut || nOut == 0)
        return false;
    pwszOut[0] = L'\0';
    if (!Inside(off, 2))
        return false;
    // The field may lie at any byte offset: read unit by unit, not in place.
    ByteCursor cursor(m_p, m_cb);
    cursor.Skip(off);
    for (size_t n = 0; n < TEXT_CELL && n < nOut; ++n) {
        uint16_t c;
        if (!cursor.U16(&c)) {
            TraceLog("SETUPDATA - text at %d runs past the block of %d bytes\n", int(off), int(m_cb));
            break;
        }
        pwszOut[n] = wchar_t(c);
        if (c == 0)
            return true;
    }
    pwszOut[0] = L'\0';
    return false;
}

}  // namespace setupdata
