// The removal engine of an installed package: deletion of files and folder trees (at once, or
// at the next restart when they are in use), and the removal of the package's listed items.
#pragma once
#include <windows.h>

class UNINSTINFO {
public:
    // pszBaseKey: path below HKEY_LOCAL_MACHINE of the key that holds the package's lists.
    // pszPackageFolder: the package's own folder; "Folders" entries are honoured only at or
    // below it (empty: none is). bWin9x chooses the Windows 9x way of deferring.
    UNINSTINFO(const char* pszBaseKey, const char* pszPackageFolder, BYTE bWin9x);

    // Always true: what cannot be deleted now is scheduled for the next restart.
    bool DeleteFile(const char* pszPath);
    // True when the folder's content could be listed.
    bool RemoveDirectoryAll(const char* pszFolder);
    // Kind 1 files, 2 registry keys, 3 registry values, 4 the base key, 5 USB device keys,
    // 6 folders. Always 0.
    int UninstallItems(int nKind);

    BYTE m_bWin9x;
    char m_szBaseKey[260];
    char m_szPackageFolder[MAX_PATH];

    // Which list entries may be acted on: a registry key that is a hive, the root itself or
    // an ancestor of the base key, and a folder outside the package's own, would take with it
    // what no list names.
    bool IsRemovableKey(HKEY hRoot, const char* pszKey) const;
    bool IsPackageFolder(const char* pszFolder) const;

private:
    void RemoveListedFiles();
    void RemoveListedFolders();
    void RemoveListedRegValues();
    void RemoveListedRegKeys();
    void RemoveUsbDeviceKeys();
    void DeleteWithProgram64(const char* pszPath);
};

// Schedules a file for deletion at the next start of Windows 9x through the "Rename" section
// of WININIT.INI in the Windows folder.
void DelayDeleteFileWin9x(const char* pszPath);
