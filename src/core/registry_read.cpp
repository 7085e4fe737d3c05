#include "core/registry_read.h"

#include <cstring>

#include "core/holders.h"
#include "core/trace.h"

REGSAM RegViewAccess(REGSAM samDesired)
{
    // A 32-bit process on 64-bit Windows would otherwise see only the redirected view, and the
    // packages it removes were registered in the native one.
    return IsWow64() ? (samDesired | KEY_WOW64_64KEY) : samDesired;
}

namespace {

// The trace switch's own values are usually absent, key and all; that is not worth a line.
bool IsTraceSwitchValue(const char* pszValue)
{
    return pszValue && (strcmp(pszValue, "Dbg2Log") == 0 || strcmp(pszValue, "Debug") == 0);
}

}  // namespace

DWORD GetRegValueLong(HKEY hRoot, const char* pszKey, const char* pszValue, DWORD dwDefault)
{
    AutoRegKey key;
    LONG lErr = RegOpenKeyExA(hRoot, pszKey, 0, RegViewAccess(KEY_READ), key.Out());
    if (lErr != ERROR_SUCCESS) {
        if (!IsTraceSwitchValue(pszValue))
            TraceLog("GetRegValueLong - Open registry error - %ld for %s\n", lErr, pszKey);
        return dwDefault;
    }
    DWORD dwResult = dwDefault;
    DWORD cb = sizeof(dwResult);
    lErr = RegQueryValueExA(key.Get(), pszValue, nullptr, nullptr,
                            reinterpret_cast<BYTE*>(&dwResult), &cb);
    if (lErr != ERROR_SUCCESS) {
        // A value larger than 4 bytes may have been partly written: the default stands.
        dwResult = dwDefault;
        if (!IsTraceSwitchValue(pszValue))
            TraceLog("GetRegValueLong??? - Get value error - %ld for %s\n", lErr, pszValue);
    }
    return dwResult;
}
