// Finding the blocks of a DEVMODE's private area. The walks are the codec's (devmode_layout.h):
// they stay inside dmSize + dmDriverExtra, and a block that is not sound (no signature,
// shorter than its header, reaching past the private area) ends the chain.
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
    size_t off = 0;
    bool bFound = FindBlock(pPrivate, pDevMode->dmDriverExtra, wId, &off, nullptr, [](size_t, const BlockHeader& h) {
        TraceLog("*** PD Block = %x %x %d %d\n", h.dwSignature, h.dwSize, h.wId, h.wTraced);
    });
    return bFound ? pPrivate + off : nullptr;
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
    ForEachBlockAfter(pPrivate, pDevMode->dmDriverExtra, size_t(pMain - pPrivate), cbMain,
                      [&](size_t off, const BlockHeader& h) { visit(pPrivate + off, h); });
}

bool DevModeFits(const void* pRecord, size_t cb)
{
    uint16_t dmSize = 0, dmDriverExtra = 0;
    return ReadRecordSizes(static_cast<const uint8_t*>(pRecord), cb, &dmSize, &dmDriverExtra);
}
