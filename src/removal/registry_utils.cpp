#include "removal/registry_utils.h"

#include <cstring>
#include <memory>
#include <new>

#include "core/cells.h"
#include "core/holders.h"
#include "core/trace.h"

DWORD GetRegValueString(HKEY hRoot, const char* pszKey, const char* pszValue, char* pszOut)
{
    AutoRegKey key;
    LONG lErr = RegOpenKeyExA(hRoot, pszKey, 0, RegViewAccess(KEY_READ), key.Out());
    if (lErr != ERROR_SUCCESS) {
        TraceLog("GetRegValueString - Open registry error - %ld for %s\n", lErr, pszKey);
        return 0;
    }
    char szValue[REG_NAME_CELL + 1];
    DWORD cb = REG_NAME_CELL;
    lErr = RegQueryValueExA(key.Get(), pszValue, nullptr, nullptr, reinterpret_cast<BYTE*>(szValue), &cb);
    if (lErr != ERROR_SUCCESS) {
        if (pszOut)
            pszOut[0] = '\0';
        TraceLog("GetRegValueString - Get value error - %ld for %s\n", lErr, pszValue);
        return 0;
    }
    // The stored bytes need not end in a zero.
    szValue[cb < REG_NAME_CELL ? cb : REG_NAME_CELL] = '\0';
    if (pszOut)
        CopyCellN(pszOut, REG_NAME_CELL, szValue);
    return cb;
}

namespace {

DWORD CountKeyItems(HKEY hRoot, const char* pszKey, bool bValues)
{
    const char* pszWho = bValues ? "GetEnumRegValueCount" : "GetEnumRegSubkeyCount";
    AutoRegKey key;
    LONG lErr = RegOpenKeyExA(hRoot, pszKey, 0, RegViewAccess(KEY_READ), key.Out());
    if (lErr != ERROR_SUCCESS) {
        TraceLog("%s - Open registry error - %ld for %s\n", pszWho, lErr, pszKey);
        return 0;
    }
    DWORD nSubkeys = 0, nValues = 0;
    lErr = RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &nSubkeys, nullptr, nullptr,
                            &nValues, nullptr, nullptr, nullptr, nullptr);
    if (lErr != ERROR_SUCCESS) {
        TraceLog("%s - RegQueryInfoKey error - %ld for %s\n", pszWho, lErr, pszKey);
        return 0;
    }
    return bValues ? nValues : nSubkeys;
}

}  // namespace

DWORD GetEnumRegValueCount(HKEY hRoot, const char* pszKey)
{
    return CountKeyItems(hRoot, pszKey, true);
}

DWORD GetEnumRegSubkeyCount(HKEY hRoot, const char* pszKey)
{
    return CountKeyItems(hRoot, pszKey, false);
}

DWORD GetEnumRegValues(HKEY hRoot, const char* pszKey, RegNameCell* pCells, DWORD nCells)
{
    AutoRegKey key;
    LONG lErr = RegOpenKeyExA(hRoot, pszKey, 0, RegViewAccess(KEY_READ), key.Out());
    if (lErr != ERROR_SUCCESS) {
        TraceLog("GetEnumRegValueCount - Open registry error - %ld for %s\n", lErr, pszKey);
        return 0;
    }
    DWORD nStored = 0;
    for (DWORD i = 0; i < nCells && pCells; ++i) {
        DWORD cch = REG_NAME_CELL;
        if (RegEnumValueA(key.Get(), i, pCells[nStored], &cch, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
            pCells[nStored][REG_NAME_CELL - 1] = '\0';
            ++nStored;
        }
    }
    return nStored;
}

DWORD GetEnumRegSubkeys(HKEY hRoot, const char* pszKey, RegNameCell* pCells, DWORD nCells)
{
    AutoRegKey key;
    LONG lErr = RegOpenKeyExA(hRoot, pszKey, 0, RegViewAccess(KEY_ENUMERATE_SUB_KEYS), key.Out());
    if (lErr != ERROR_SUCCESS) {
        TraceLog("GetEnumRegSubkeys - Open registry error - %ld for %s\n", lErr, pszKey);
        return 0;
    }
    for (DWORD i = 0; i < nCells && pCells; ++i) {
        // A subkey that cannot be read leaves an empty cell rather than stale bytes.
        pCells[i][0] = '\0';
        RegEnumKeyA(key.Get(), i, pCells[i], REG_NAME_CELL);
        pCells[i][REG_NAME_CELL - 1] = '\0';
    }
    return nCells;
}

bool RemoveRegValue(HKEY hRoot, const char* pszKey, const char* pszValue)
{
    AutoRegKey key;
    LONG lErr = RegOpenKeyExA(hRoot, pszKey, 0, RegViewAccess(KEY_READ | KEY_WRITE), key.Out());
    if (lErr != ERROR_SUCCESS) {
        TraceLog("RemoveRegValue - Open registry error - %ld for %s\n", lErr, pszKey);
        return false;
    }
    lErr = RegDeleteValueA(key.Get(), pszValue);
    if (lErr != ERROR_SUCCESS) {
        TraceLog("RemoveRegValue - remove registry error - %ld for %s\n", lErr, pszValue);
        return false;
    }
    return true;
}

namespace {

// Count, obtain count x 260 bytes, list: the two-pass form every caller uses.
std::unique_ptr<RegNameCell[]> ListNames(HKEY hRoot, const char* pszKey, bool bValues, DWORD* pnNames)
{
    *pnNames = 0;
    DWORD nCount = bValues ? GetEnumRegValueCount(hRoot, pszKey) : GetEnumRegSubkeyCount(hRoot, pszKey);
    if (nCount == 0)
        return nullptr;
    std::unique_ptr<RegNameCell[]> cells(new (std::nothrow) RegNameCell[nCount]);
    if (!cells)
        return nullptr;
    *pnNames = bValues ? GetEnumRegValues(hRoot, pszKey, cells.get(), nCount)
                       : GetEnumRegSubkeys(hRoot, pszKey, cells.get(), nCount);
    return cells;
}

bool DeleteKeyItself(HKEY hRoot, const char* pszKey)
{
    if (!IsWow64())
        return RegDeleteKeyA(hRoot, pszKey) == ERROR_SUCCESS;

    // RegDeleteKeyExA exists only from Windows XP x64 on, so it is looked up rather than
    // imported: the library must still load on Windows 9x.
    typedef LONG(WINAPI * RegDeleteKeyExAFn)(HKEY, LPCSTR, REGSAM, DWORD);
    AutoLibrary lib(LoadLibraryA("advapi32.dll"));
    if (!lib.Get())
        return false;
    auto pfn = reinterpret_cast<RegDeleteKeyExAFn>(
        reinterpret_cast<void*>(GetProcAddress(lib.Get(), "RegDeleteKeyExA")));
    if (!pfn)
        return false;
    return pfn(hRoot, pszKey, KEY_WOW64_64KEY, 0) == ERROR_SUCCESS;
}

}  // namespace

bool RemoveRegKey(HKEY hRoot, const char* pszKey, bool bGrant)
{
    TraceLog("RemoveRegKey - [%s]\n", pszKey);
    if (bGrant)
        GrantRegKeyFullAccess(hRoot, pszKey);

    {
        AutoRegKey key;
        LONG lErr = RegOpenKeyExA(hRoot, pszKey, 0, RegViewAccess(KEY_ALL_ACCESS), key.Out());
        if (lErr != ERROR_SUCCESS) {
            TraceLog("RemoveRegKey - Open registry error - %ld for %s\n", lErr, pszKey);
            return false;
        }

        DWORD nSubkeys = 0;
        auto subkeys = ListNames(hRoot, pszKey, false, &nSubkeys);
        for (DWORD i = 0; subkeys && i < nSubkeys; ++i) {
            if (subkeys[i][0])
                RemoveRegKey(key.Get(), subkeys[i], bGrant);
        }

        DWORD nValues = 0;
        auto values = ListNames(hRoot, pszKey, true, &nValues);
        for (DWORD i = 0; values && i < nValues; ++i)
            RemoveRegValue(hRoot, pszKey, values[i]);
    }
    return DeleteKeyItself(hRoot, pszKey);
}

namespace {

class AutoSid {
public:
    AutoSid() : m_p(nullptr) {}
    ~AutoSid()
    {
        if (m_p)
            FreeSid(m_p);
    }
    AutoSid(const AutoSid&) = delete;
    AutoSid& operator=(const AutoSid&) = delete;
    PSID Get() const { return m_p; }
    PSID* Out() { return &m_p; }

private:
    PSID m_p;
};

}  // namespace

bool GrantRegKeyFullAccess(HKEY hRoot, const char* pszKey)
{
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    AutoSid sid;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, sid.Out()))
        return false;

    DWORD cbAcl = 2 * GetLengthSid(sid.Get()) + 32;
    std::unique_ptr<BYTE[]> acl(new (std::nothrow) BYTE[cbAcl]);
    if (!acl)
        return false;
    PACL pAcl = reinterpret_cast<PACL>(acl.get());
    if (!InitializeAcl(pAcl, cbAcl, ACL_REVISION) ||
        !AddAccessAllowedAce(pAcl, ACL_REVISION, GENERIC_ALL, sid.Get()))
        return false;

    SECURITY_DESCRIPTOR sd;
    if (!InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&sd, TRUE, pAcl, FALSE))
        return false;

    SECURITY_ATTRIBUTES sa;
    sa.nLength = sizeof(sa);
    sa.lpSecurityDescriptor = &sd;
    sa.bInheritHandle = FALSE;
    AutoRegKey key;
    DWORD dwDisposition = 0;
    // The owner keeps WRITE_DAC even when the list denies everything else.
    RegCreateKeyExA(hRoot, pszKey, 0, nullptr, REG_OPTION_NON_VOLATILE, RegViewAccess(WRITE_DAC), &sa,
                    key.Out(), &dwDisposition);
    if (!key.Get())
        return false;
    return RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
}
