// A bounded cursor over bytes that came from outside (a file, a printer-data value, a driver's
// DEVMODE). Every read says whether it fit; nothing is read past the end. Portable: no Windows
// header, so the decoders built on it can be fuzzed natively.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

struct ByteCursor {
    const uint8_t* p;
    const uint8_t* end;

    ByteCursor(const void* pData, size_t cb)
        : p(static_cast<const uint8_t*>(pData)), end(static_cast<const uint8_t*>(pData) + (pData ? cb : 0))
    {
    }

    size_t Left() const { return size_t(end - p); }

    bool Take(void* out, size_t n)
    {
        if (Left() < n)
            return false;   // cut input: stop, never read on
        if (n)
            memcpy(out, p, n);
        p += n;
        return true;
    }

    bool Skip(size_t n)
    {
        if (Left() < n)
            return false;
        p += n;
        return true;
    }

    // A view of the next n bytes without copying them.
    bool View(const uint8_t** ppOut, size_t n)
    {
        if (Left() < n)
            return false;
        *ppOut = p;
        p += n;
        return true;
    }

    bool U16(uint16_t* pOut)
    {
        uint8_t b[2];
        if (!Take(b, 2))
            return false;
        *pOut = uint16_t(b[0] | (b[1] << 8));
        return true;
    }

    bool U32(uint32_t* pOut)
    {
        uint8_t b[4];
        if (!Take(b, 4))
            return false;
        *pOut = uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
        return true;
    }
};

// Little-endian stores into a byte buffer the caller sized.
inline void PutU16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

inline void PutU32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

inline uint16_t GetU16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

inline uint32_t GetU32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Length of a zero-terminated text inside a fixed field; n when the field holds no zero.
inline size_t FieldLength(const char* pField, size_t n)
{
    const void* pZero = memchr(pField, 0, n);
    return pZero ? size_t(static_cast<const char*>(pZero) - pField) : n;
}
