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

inline DWORD DevModeBytes(const DEVMODEW* p)
{
    return DWORD(p->dmSize) + p->dmDriverExtra;
}
