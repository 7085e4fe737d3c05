// Helpers shared by the settings engine's operations.
#pragma once
#include <windows.h>

#include <functional>

#include "codec/devmode_layout.h"

class LMPROFJXP;

// The main block when the record carries a sound one of at least the size the engine
// addresses; nullptr otherwise. *pcbMain receives its size.
BYTE* MainBlockOf(LMPROFJXP& session, DEVMODEW* pDevMode, DWORD* pcbMain);

// Visits the plug-in blocks that follow the main block (at pMain, cbMain bytes long), in chain
// order; the walk ends at the first block that is not sound.
void ForEachPlugIn(DEVMODEW* pDevMode, const BYTE* pMain, DWORD cbMain,
                   const std::function<void(BYTE* pBlock, const devmode::BlockHeader& h)>& visit);

// True when cb bytes hold the whole record its own dmSize and dmDriverExtra describe.
bool DevModeFits(const void* pRecord, size_t cb);

// The two size fields of a record of the ANSI (bAnsi) or the wide form held in cb bytes, read
// through the bounded cursor. False when the bytes end before the fields, when dmSize is 0, or
// when they hold fewer bytes than dmSize + dmDriverExtra say.
bool ReadDevModeSizes(const void* pRecord, size_t cb, bool bAnsi, WORD* pdmSize, WORD* pdmDriverExtra);
// The same for the current DEVMODE a driver filled for ApplyDevMode2Printer, with the trace
// line of the refusal: "DEVMODE size too small" for a buffer that cannot hold the size fields,
// "DocumentProperties error" for sizes that do not fit the buffer.
bool CurrentDevModeSizes(const void* pRecord, size_t cb, bool bAnsi, WORD* pdmSize, WORD* pdmDriverExtra);

inline DWORD DevModeBytes(const DEVMODEW* p)
{
    return DWORD(p->dmSize) + p->dmDriverExtra;
}
