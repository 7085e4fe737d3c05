// The exchange interface's process-wide state: the current session the exchange calls work on,
// the facts InitJxpApi read about the system for the paths those calls hand on, and the
// library's module handle that DllMain remembers for the installer's resources.
#pragma once
#include <windows.h>

class LMPROFJXP;

extern LMPROFJXP* g_pCurrentSession;
extern bool g_bWin9x;
extern UINT g_uCodePage;
extern HMODULE g_hModule;

// DllMain's part of the unload: the current session, if any, is destroyed.
void DestroyCurrentSessionOnUnload();
