// Working through a package's removal lists below its base key, and the USB device keys of the
// printers the driver serves.
#include "removal/uninstinfo.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/trace.h"
#include "removal/registry_utils.h"

namespace {

// File paths also separate with '/'; in a registry path it is an ordinary character. The
// split goes by characters of the ANSI code page the names are in: the trail byte of a
// double-byte character (code pages 932, 936, 949, 950) may be 0x5C and is no separator.
std::vector<std::string> SplitParts(const char* psz, bool bSlashSeparates)
{
    std::vector<std::string> parts;
    std::string part;
    for (const char* p = psz; p && *p; ++p) {
        if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1]) {
            part += p[0];
            part += p[1];
            ++p;
        } else if (*p == '\\' || (bSlashSeparates && *p == '/')) {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += *p;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

// Registry and file names compare without regard to case.
bool SameName(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// True when every part of `prefix` matches the start of `parts` (equal counts as a prefix).
bool StartsWith(const std::vector<std::string>& parts, const std::vector<std::string>& prefix)
{
    if (prefix.size() > parts.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (!SameName(parts[i], prefix[i]))
            return false;
    }
    return true;
}

// The parts of an absolute folder path after "." and ".." are resolved and short names
// expanded; empty for a relative path, which would depend on the current folder.
std::vector<std::string> FolderParts(const char* pszFolder)
{
    if (!pszFolder)
        return {};
    bool bDrive = isalpha(static_cast<unsigned char>(pszFolder[0])) && pszFolder[1] == ':' &&
                  (pszFolder[2] == '\\' || pszFolder[2] == '/');
    bool bUnc = (pszFolder[0] == '\\' || pszFolder[0] == '/') && (pszFolder[1] == '\\' || pszFolder[1] == '/');
    if (!bDrive && !bUnc)
        return {};
    char szFull[MAX_PATH];
    DWORD n = GetFullPathNameA(pszFolder, sizeof(szFull), szFull, nullptr);
    if (n == 0 || n >= sizeof(szFull))
        return {};
    char szLong[MAX_PATH];
    n = GetLongPathNameA(szFull, szLong, sizeof(szLong));
    std::vector<std::string> parts = SplitParts(n > 0 && n < sizeof(szLong) ? szLong : szFull, true);
    // A drive root or a share holds more than any one package.
    if (parts.size() < (bUnc ? 3u : 2u))
        return {};
    return parts;
}

// Numbers in the lists: decimal from the start, leading blanks and a sign accepted, anything
// else 0.
long ListNumber(const char* psz)
{
    return strtol(psz, nullptr, 10);
}

// Count, obtain count x 260 bytes, list.
std::unique_ptr<RegNameCell[]> ListValueNames(const std::string& key, DWORD* pnNames)
{
    *pnNames = 0;
    DWORD nCount = GetEnumRegValueCount(HKEY_LOCAL_MACHINE, key.c_str());
    if (nCount == 0)
        return nullptr;
    std::unique_ptr<RegNameCell[]> cells(new (std::nothrow) RegNameCell[nCount]);
    if (!cells)
        return nullptr;
    *pnNames = GetEnumRegValues(HKEY_LOCAL_MACHINE, key.c_str(), cells.get(), nCount);
    return cells;
}

bool ContainsLower(const char* psz, const char* pszFragment)
{
    std::string lower(psz);
    for (char& c : lower)
        c = char(tolower(static_cast<unsigned char>(c)));
    return lower.find(pszFragment) != std::string::npos;
}

}  // namespace

bool UNINSTINFO::IsRemovableKey(HKEY hRoot, const char* pszKey) const
{
    std::vector<std::string> parts = SplitParts(pszKey, false);
    // An empty path opens the root itself.
    if (parts.empty())
        return false;
    // The first level of these roots is a hive (SOFTWARE, SYSTEM, Software, Control Panel ...).
    // A class key can stand at the first level of HKEY_CLASSES_ROOT.
    if (hRoot != HKEY_CLASSES_ROOT && parts.size() < 2)
        return false;
    if (hRoot == HKEY_LOCAL_MACHINE && StartsWith(SplitParts(m_szBaseKey, false), parts))
        return false;
    return true;
}

bool UNINSTINFO::IsPackageFolder(const char* pszFolder) const
{
    std::vector<std::string> package = FolderParts(m_szPackageFolder);
    if (package.empty())
        return false;
    // A package folder that holds the Windows folder is no package's own.
    char szWindows[MAX_PATH];
    UINT n = GetWindowsDirectoryA(szWindows, sizeof(szWindows));
    if (n > 0 && n < sizeof(szWindows) && StartsWith(FolderParts(szWindows), package))
        return false;
    std::vector<std::string> folder = FolderParts(pszFolder);
    return !folder.empty() && StartsWith(folder, package);
}

void UNINSTINFO::RemoveListedFiles()
{
    std::string list = std::string(m_szBaseKey) + "\\Files";
    DWORD nNames = 0;
    auto names = ListValueNames(list, &nNames);
    bool bFontRemoved = false;
    for (DWORD i = 0; names && i < nNames; ++i) {
        char szPath[REG_NAME_CELL] = "";
        GetRegValueString(HKEY_LOCAL_MACHINE, list.c_str(), names[i], szPath);
        if (szPath[0]) {
            SetFileAttributesA(szPath, FILE_ATTRIBUTE_NORMAL);
            // A loaded font file is locked: unload it before deleting.
            if (ContainsLower(szPath, "font") && ContainsLower(szPath, ".ttf")) {
                RemoveFontResourceA(szPath);
                bFontRemoved = true;
            }
            DeleteFile(szPath);
        }
        RemoveRegValue(HKEY_LOCAL_MACHINE, list.c_str(), names[i]);
    }
    if (bFontRemoved) {
        // Every window is told once; one that does not answer must not hold up the removal.
        DWORD_PTR dwResult = 0;
        SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 5000, &dwResult);
    }
}

void UNINSTINFO::RemoveListedFolders()
{
    std::string list = std::string(m_szBaseKey) + "\\Folders";
    DWORD nNames = 0;
    auto names = ListValueNames(list, &nNames);
    for (DWORD i = 0; names && i < nNames; ++i) {
        char szData[REG_NAME_CELL] = "";
        GetRegValueString(HKEY_LOCAL_MACHINE, list.c_str(), names[i], szData);
        long nMode = ListNumber(szData);
        if (nMode == 0) {
            // Removing a folder only when it is empty harms nothing, wherever it stands.
            RemoveDirectoryA(names[i]);
        } else if (nMode == 1) {
            // Everything in a folder goes only inside the package's own folder.
            if (IsPackageFolder(names[i]))
                RemoveDirectoryAll(names[i]);
            else
                TraceLog("UNINSTINFO::UninstallItems - folder outside the package [%s]\n", names[i]);
        }
        // A processed entry leaves its list, removed or refused: the trace tells which.
        RemoveRegValue(HKEY_LOCAL_MACHINE, list.c_str(), names[i]);
    }
}

void UNINSTINFO::RemoveListedRegValues()
{
    std::string list = std::string(m_szBaseKey) + "\\RegValues";
    DWORD nNames = 0;
    auto names = ListValueNames(list, &nNames);
    for (DWORD i = 0; names && i < nNames; ++i) {
        char szKey[REG_NAME_CELL] = "";
        GetRegValueString(HKEY_LOCAL_MACHINE, list.c_str(), names[i], szKey);
        RemoveRegValue(HKEY_LOCAL_MACHINE, szKey, names[i]);
        RemoveRegValue(HKEY_LOCAL_MACHINE, list.c_str(), names[i]);
    }
}

void UNINSTINFO::RemoveListedRegKeys()
{
    std::string list = std::string(m_szBaseKey) + "\\RegKeys";
    DWORD nNames = 0;
    auto names = ListValueNames(list, &nNames);
    for (DWORD i = 0; names && i < nNames; ++i) {
        char szData[REG_NAME_CELL] = "";
        GetRegValueString(HKEY_LOCAL_MACHINE, list.c_str(), names[i], szData);
        HKEY hRoot;
        switch (ListNumber(szData)) {
        case 1: hRoot = HKEY_CLASSES_ROOT; break;
        case 2: hRoot = HKEY_CURRENT_CONFIG; break;
        case 3: hRoot = HKEY_CURRENT_USER; break;
        default: hRoot = HKEY_LOCAL_MACHINE; break;
        }
        if (IsRemovableKey(hRoot, names[i]))
            RemoveRegKey(hRoot, names[i], false);
        else
            TraceLog("UNINSTINFO::UninstallItems - key above the package [%s]\n", names[i]);
        // A processed entry leaves its list, removed or refused: the trace tells which.
        RemoveRegValue(HKEY_LOCAL_MACHINE, list.c_str(), names[i]);
    }
}

void UNINSTINFO::RemoveUsbDeviceKeys()
{
    const char* pszUsb = m_bWin9x ? "Enum\\USB" : "SYSTEM\\CurrentControlSet\\Enum\\USB";
    const char* pszVendorKey = m_bWin9x ? "Enum\\ZOZEZIRI" : "SYSTEM\\CurrentControlSet\\Enum\\ZOZEZIRI";
    DWORD nCount = GetEnumRegSubkeyCount(HKEY_LOCAL_MACHINE, pszUsb);
    if (nCount > 0) {
        std::unique_ptr<RegNameCell[]> cells(new (std::nothrow) RegNameCell[nCount]);
        if (cells) {
            DWORD nNames = GetEnumRegSubkeys(HKEY_LOCAL_MACHINE, pszUsb, cells.get(), nCount);
            for (DWORD i = 0; i < nNames; ++i) {
                if (cells[i][0] && ContainsLower(cells[i], "vid_5e9a")) {
                    std::string key = std::string(pszUsb) + "\\" + cells[i];
                    RemoveRegKey(HKEY_LOCAL_MACHINE, key.c_str(), true);
                }
            }
        }
    }
    RemoveRegKey(HKEY_LOCAL_MACHINE, pszVendorKey, true);
}

int UNINSTINFO::UninstallItems(int nKind)
{
    TraceLog("UNINSTINFO::UninstallItems - %d\n", nKind);
    if (nKind < 1 || nKind > 6)
        return 0;
    // Without a base key of its own the lists would be looked for, and kind 4 would delete,
    // at the top of HKEY_LOCAL_MACHINE or of one of its hives.
    if (nKind != 5 && SplitParts(m_szBaseKey, false).size() < 2) {
        TraceLog("UNINSTINFO::UninstallItems - no package key\n");
        return 0;
    }
    switch (nKind) {
    case 1: RemoveListedFiles(); break;
    case 2: RemoveListedRegKeys(); break;
    case 3: RemoveListedRegValues(); break;
    case 4: RemoveRegKey(HKEY_LOCAL_MACHINE, m_szBaseKey, false); break;
    case 5: RemoveUsbDeviceKeys(); break;
    case 6: RemoveListedFolders(); break;
    }
    return 0;
}
