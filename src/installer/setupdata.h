// The driver installer's block. The installer owns and fills it; the library reads the fields
// below in place and writes only the wizard page's position back. The block has the layout of
// a 32-bit installer, so handles are stored as 32-bit values (GDI handles fit them on 64-bit
// Windows as well).
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstring>

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

inline const BYTE* Bytes(const SETUPDATA* p)
{
    return reinterpret_cast<const BYTE*>(p);
}

inline DWORD U32(const SETUPDATA* p, size_t off)
{
    DWORD dw;
    memcpy(&dw, Bytes(p) + off, sizeof(dw));
    return dw;
}

inline void PutI32(SETUPDATA* p, size_t off, LONG l)
{
    memcpy(reinterpret_cast<BYTE*>(p) + off, &l, sizeof(l));
}

template <typename H>
H Handle(const SETUPDATA* p, size_t off)
{
    return reinterpret_cast<H>(static_cast<ULONG_PTR>(U32(p, off)));
}

// An 8-bit text field of the block copied into a cell: false (and an empty cell) when the
// field holds no terminator within the cell, so that a name is never cut into another.
bool CopyText(const SETUPDATA* p, size_t off, char* pszOut, size_t nOut);
bool CopyWideText(const SETUPDATA* p, size_t off, wchar_t* pwszOut, size_t nOut);

}  // namespace setupdata
