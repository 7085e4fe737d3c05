// The driver installer's block. The installer owns and fills it; the library reads the fields
// below in place and writes only the wizard page's position back. The block has the layout of
// a 32-bit installer, so handles are stored as 32-bit values (GDI handles fit them on 64-bit
// Windows as well).
#pragma once
#include <windows.h>

#include <cstddef>

struct SETUPDATA;

namespace setupdata {

constexpr size_t OFF_TITLE = 0;              // 8-bit text, 260 bytes
constexpr size_t OFF_PRINTER_NAME = 260;     // 8-bit text, 260 bytes
constexpr size_t OFF_PRINTER_MODEL = 780;    // 8-bit text
constexpr size_t OFF_SOURCE_FOLDER = 5396;   // 260 characters, 8-bit or UTF-16 by the OS kind
constexpr size_t OFF_OS_KIND = 17752;
constexpr size_t OFF_LEFT = 17756;
constexpr size_t OFF_TOP = 17760;
constexpr size_t OFF_NO_SLOT_RESULT = 17764;
constexpr size_t OFF_LANGUAGE = 17768;
constexpr size_t OFF_TRACE = 17772;
constexpr size_t OFF_LOGO = 17780;
constexpr size_t OFF_TITLE_FONT = 17784;
constexpr size_t OFF_BODY_FONT = 17788;
constexpr size_t OFF_CODE_PAGE = 17800;
constexpr size_t BLOCK_SIZE = 17804;         // what the library may read
constexpr size_t TEXT_CELL = 260;
// OS kinds up to this one are Windows 9x: ANSI calls and 8-bit texts.
constexpr DWORD LAST_ANSI_OS_KIND = 16;

// The block's bytes, for the entry points that read its trace flag before anything else.
inline const BYTE* Bytes(const SETUPDATA* p)
{
    return reinterpret_cast<const BYTE*>(p);
}

// The installer's block as the library reads it: where it starts and how many bytes its caller
// vouches for (the installer's calls hand over the whole block, BLOCK_SIZE). Every field is read
// through the bounded cursor: a field that does not lie wholly inside the block is traced and
// reads as 0 or as an empty text, and nothing is read or written past the block's end.
class Block {
public:
    Block() : m_p(nullptr), m_cb(0) {}
    explicit Block(SETUPDATA* p, size_t cb = BLOCK_SIZE) : m_p(p), m_cb(p ? cb : 0) {}

    explicit operator bool() const { return m_p != nullptr; }
    SETUPDATA* Get() const { return m_p; }
    size_t Size() const { return m_cb; }

    // The field's value; false (and *pdw 0) when it lies outside the block.
    bool ReadU32(size_t off, DWORD* pdw) const;
    DWORD U32(size_t off) const
    {
        DWORD dw;
        ReadU32(off, &dw);
        return dw;
    }
    LONG I32(size_t off) const { return LONG(U32(off)); }
    // A handle stored as a 32-bit value (GDI handles fit it on 64-bit Windows as well).
    template <typename H>
    H Handle(size_t off) const
    {
        return reinterpret_cast<H>(static_cast<ULONG_PTR>(U32(off)));
    }
    // Writes the field; false when it lies outside the block.
    bool PutI32(size_t off, LONG l);

    // An 8-bit text field (at most TEXT_CELL bytes) copied into a cell: false, with an empty
    // cell, when the field holds no terminator within the cell or within the block, so that a
    // name is never cut into another.
    bool CopyText(size_t off, char* pszOut, size_t nOut) const;
    // The same for a UTF-16 field of TEXT_CELL characters, at any byte offset.
    bool CopyWideText(size_t off, wchar_t* pwszOut, size_t nOut) const;

private:
    // The bytes [off, off + n) of the block; false, traced, when they are not all inside.
    bool Inside(size_t off, size_t n) const;

    SETUPDATA* m_p;
    size_t m_cb;
};

}  // namespace setupdata
