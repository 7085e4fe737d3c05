// The registry read the trace switch needs, and the view every registry call of the library
// works on. The other registry utilities stand on these (removal/registry_utils.h).
#pragma once
#include <windows.h>

DWORD GetRegValueLong(HKEY hRoot, const char* pszKey, const char* pszValue, DWORD dwDefault);

// The access mask with KEY_WOW64_64KEY added when the process runs under WOW64.
REGSAM RegViewAccess(REGSAM samDesired);
