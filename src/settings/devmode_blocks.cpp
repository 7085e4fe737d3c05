// Finding the blocks of a DEVMODE's private area. Every walk stays inside dmSize +
// dmDriverExtra, and a block that is not sound (no signature, shorter than its header,
// reaching past the private area) ends the chain.
#include "codec/devmode_layout.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "settings/devmode_access.h"

using namespace devmode;

BYTE* LMPROFJXP::GetPlugInAddr(DEVMODEW* pDevMode, WORD wId)
{
    if (!pDevMode)
        return nullptr;
    TraceLog("LMPROFJXP::GetPlugInAddr - pDevMode->dmSize = %d\n", pDevMode->dmSize);
    BYTE* pPrivate = reinterpret_cast<BYTE*>(pDevMode) + pDevMode->dmSize;
    size_t cbPrivate = pDevMode->dmDriverExtra;
    size_t off = 0;
    BlockHeader h;
    while (ReadBlockHeader(pPrivate, cbPrivate, off, &h)) {
        TraceLog("*** PD Block = %x %x %d %d\n", h.dwSignature, h.dwSize, h.wId, h.wTraced);
        if (!IsSoundBlock(h, off, cbPrivate))
            return nullptr;
        if (h.wId == wId)
            return pPrivate + off;
        off += h.dwSize;
        if (off >= cbPrivate)
            return nullptr;
    }
    return nullptr;
}

BYTE* MainBlockOf(LMPROFJXP& session, DEVMODEW* pDevMode, DWORD* pcbMain)
{
    BYTE* pMain = session.GetPlugInAddr(pDevMode, PRIVATE_DATA_ID_MAIN);
    if (!pMain)
        return nullptr;
    BlockHeader h;
    ReadBlockHeader(pMain, BLOCK_HEADER_SIZE, 0, &h);
    // The engine addresses main-block bytes up to 941: a shorter block carries no settings
    // it can read or write safely.
    if (h.dwSize < MAIN_BLOCK_MIN_SIZE)
        return nullptr;
    if (pcbMain)
        *pcbMain = h.dwSize;
    return pMain;
}

void ForEachPlugIn(DEVMODEW* pDevMode, const BYTE* pMain, DWORD cbMain,
                   const std::function<void(BYTE*, const BlockHeader&)>& visit)
{
    BYTE* pPrivate = reinterpret_cast<BYTE*>(pDevMode) + pDevMode->dmSize;
    size_t cbPrivate = pDevMode->dmDriverExtra;
    // The plug-ins follow the main block wherever the chain put it.
    size_t off = size_t(pMain - pPrivate) + cbMain;
    BlockHeader h;
    while (off < cbPrivate && ReadBlockHeader(pPrivate, cbPrivate, off, &h) && IsSoundBlock(h, off, cbPrivate)) {
        visit(pPrivate + off, h);
        off += h.dwSize;
    }
}

bool DevModeFits(const void* pRecord, size_t cb)
{
    uint16_t dmSize = 0, dmDriverExtra = 0;
    return ReadRecordSizes(static_cast<const uint8_t*>(pRecord), cb, &dmSize, &dmDriverExtra);
}
