// Registry utilities over ANSI key paths. Each call opens and closes its own key, traces every
// registry error with its code, and works on the 64-bit view of the registry under WOW64.
#pragma once
#include <windows.h>

#include "core/registry_read.h"

constexpr DWORD REG_NAME_CELL = 260;
typedef char RegNameCell[REG_NAME_CELL];

// pszOut holds 260 bytes. Returns the bytes read including the terminator, 0 on failure.
DWORD GetRegValueString(HKEY hRoot, const char* pszKey, const char* pszValue, char* pszOut);
DWORD GetEnumRegValueCount(HKEY hRoot, const char* pszKey);
DWORD GetEnumRegValues(HKEY hRoot, const char* pszKey, RegNameCell* pCells, DWORD nCells);
DWORD GetEnumRegSubkeyCount(HKEY hRoot, const char* pszKey);
DWORD GetEnumRegSubkeys(HKEY hRoot, const char* pszKey, RegNameCell* pCells, DWORD nCells);
bool RemoveRegValue(HKEY hRoot, const char* pszKey, const char* pszValue);
bool RemoveRegKey(HKEY hRoot, const char* pszKey, bool bGrant);
bool GrantRegKeyFullAccess(HKEY hRoot, const char* pszKey);
