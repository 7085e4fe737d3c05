// Deleting a file or a folder tree now, or at the next restart when it is in use.
#include "removal/uninstinfo.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/cells.h"
#include "core/holders.h"
#include "core/sysenv.h"
#include "core/trace.h"

UNINSTINFO::UNINSTINFO(const char* pszBaseKey, const char* pszPackageFolder, BYTE bWin9x) : m_bWin9x(bWin9x)
{
    // A cut key or folder would name another one: keep none instead.
    if (!CopyCellN(m_szBaseKey, sizeof(m_szBaseKey), pszBaseKey))
        m_szBaseKey[0] = '\0';
    if (!CopyCellN(m_szPackageFolder, sizeof(m_szPackageFolder), pszPackageFolder))
        m_szPackageFolder[0] = '\0';
}

namespace {

const char WININIT_SECTION[] = "Rename";
constexpr DWORD WININIT_VALUE_CHARS = MAX_PATH;

std::string WininitPath()
{
    char szWindows[MAX_PATH];
    UINT n = GetWindowsDirectoryA(szWindows, sizeof(szWindows));
    if (n == 0 || n >= sizeof(szWindows))
        return std::string();
    std::string path(szWindows);
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path + "\\WININIT.INI";
}

// Empty when the key is missing or empty; the read's last error stays for the trace.
std::string ReadWininit(const std::string& ini, const char* pszKey)
{
    char szValue[WININIT_VALUE_CHARS] = "";
    GetPrivateProfileStringA(WININIT_SECTION, pszKey, "", szValue, sizeof(szValue), ini.c_str());
    return szValue;
}

bool WriteWininit(const std::string& ini, const char* pszKey, const char* pszValue)
{
    return WritePrivateProfileStringA(WININIT_SECTION, pszKey, pszValue, ini.c_str()) != FALSE;
}

// The first "LMRESVDX%d.TMP" key with no value.
std::string FirstFreeNumberedKey(const std::string& ini)
{
    for (int n = 0;; ++n) {
        char szKey[32];
        snprintf(szKey, sizeof(szKey), "LMRESVDX%d.TMP", n);
        if (ReadWininit(ini, szKey).empty()) {
            TraceLog("Get Error - %s, %ld\n", szKey, long(GetLastError()));
            return szKey;
        }
    }
}

}  // namespace

void DelayDeleteFileWin9x(const char* pszPath)
{
    std::string ini = WininitPath();
    if (ini.empty())
        return;
    // Windows 9x carries out the list in real mode, before long names exist.
    char szShort[MAX_PATH];
    DWORD n = GetShortPathNameA(pszPath, szShort, sizeof(szShort));
    if (n == 0 || n >= sizeof(szShort))
        CopyCellN(szShort, sizeof(szShort), pszPath);

    std::string nul = ReadWininit(ini, "NUL");
    if (nul.empty()) {
        TraceLog("Get Error - NUL, %ld\n", long(GetLastError()));
        if (!WriteWininit(ini, "NUL", szShort))
            TraceLog("Error - NUL = %s, %ld\n", szShort, long(GetLastError()));
        return;
    }

    // An INI section keeps one "NUL" key, so from the second file on every file stands under
    // a numbered key. A "NUL" line of another program's moves to the first free numbered key:
    // a fixed key could already hold one of our own earlier files, which would then be lost.
    if (nul.find("LMRESVDX") == std::string::npos) {
        std::string key = FirstFreeNumberedKey(ini);
        if (!WriteWininit(ini, key.c_str(), nul.c_str()))
            TraceLog("Write Error - %s, %ld\n", key.c_str(), long(GetLastError()));
        if (!WriteWininit(ini, "NUL", "LMRESVDX.TMP"))
            TraceLog("Write Error - LMRESVDX.TMP, %ld\n", long(GetLastError()));
    }
    std::string key = FirstFreeNumberedKey(ini);
    if (!WriteWininit(ini, key.c_str(), szShort))
        TraceLog("Write Error - %s = %s, %ld\n", key.c_str(), szShort, long(GetLastError()));
    if (!WriteWininit(ini, "NUL", "LMRESVDX.TMP"))
        TraceLog("Write Error - NUL = LMRESVDX.TMP, %ld\n", long(GetLastError()));
}

void UNINSTINFO::DeleteWithProgram64(const char* pszPath)
{
    // The file system redirector would turn a 32-bit process's System32 into SysWOW64, so on
    // 64-bit Windows a 64-bit program deletes the file.
    SYSENV env;
    wchar_t wszPath[MAX_PATH];
    if (!env.AnsiToWide(wszPath, pszPath)) {
        TraceLog("UNINSTINFO::DeleteFile - path not convertible\n");
        return;
    }
    wchar_t wszCommand[MAX_PATH + 64];
    _snwprintf(wszCommand, sizeof(wszCommand) / sizeof(wszCommand[0]), L"ZeVaru64.exe DeleteFile \"%ls\"", wszPath);
    wszCommand[sizeof(wszCommand) / sizeof(wszCommand[0]) - 1] = L'\0';
    TraceLogW(L"COMMAND = [%ls]\n", wszCommand);

    STARTUPINFOW si;
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOW;
    wchar_t wszDesktop[] = L"winsta0\\default";
    if (IsNt5OrLater())
        si.lpDesktop = wszDesktop;
    PROCESS_INFORMATION pi;
    memset(&pi, 0, sizeof(pi));
    if (!CreateProcessW(nullptr, wszCommand, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        TraceLog(" - CreateProcess failure - %ld\n", long(GetLastError()));
        return;
    }
    AutoHandle process(pi.hProcess);
    AutoHandle thread(pi.hThread);
    DWORD dwExit = STILL_ACTIVE;
    while (GetExitCodeProcess(process.Get(), &dwExit) && dwExit == STILL_ACTIVE)
        Sleep(50);
    if (dwExit != 0)
        TraceLog("UNINSTINFO::DeleteFile - ZeVaru64 exit code %lu\n", static_cast<unsigned long>(dwExit));
}

bool UNINSTINFO::DeleteFile(const char* pszPath)
{
    TraceLog("UNINSTINFO::DeleteFile - [%s]\n", pszPath);
    SetFileAttributesA(pszPath, FILE_ATTRIBUTE_NORMAL);
    if (IsWow64()) {
        DeleteWithProgram64(pszPath);
        return true;
    }
    if (::DeleteFileA(pszPath))
        return true;
    DWORD dwErr = GetLastError();
    if (dwErr == ERROR_FILE_NOT_FOUND) {
        TraceLog("UNINSTINFO::DeleteFile - ERROR_FILE_NOT_FOUND %ld\n", long(dwErr));
    } else if (m_bWin9x) {
        TraceLog("WIN9X - file is in use, set the flag to delete it when system reboot\n");
        DelayDeleteFileWin9x(pszPath);
    } else {
        TraceLog("WINNT - file is in use, set the flag to delete it when system reboot\n");
        if (!MoveFileExA(pszPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
            TraceLog("UNINSTINFO::DeleteFile - MoveFileEx error - %ld\n", long(GetLastError()));
    }
    return true;
}

bool UNINSTINFO::RemoveDirectoryAll(const char* pszFolder)
{
    TraceLog("UNINSTINFO::RemoveDirectoryAll [%s]\n", pszFolder);
    std::string folder(pszFolder);
    bool bListed = false;

    // A junction or folder link is removed as the link: its target belongs to someone else.
    DWORD dwAttr = GetFileAttributesA(pszFolder);
    bool bLink = dwAttr != INVALID_FILE_ATTRIBUTES && (dwAttr & FILE_ATTRIBUTE_REPARSE_POINT);
    if (!bLink) {
        WIN32_FIND_DATAA fd;
        AutoFind find(FindFirstFileA((folder + "\\*.*").c_str(), &fd));
        if (find) {
            bListed = true;
            do {
                if (strcmp(fd.cFileName, ".") == 0 || strcmp(fd.cFileName, "..") == 0)
                    continue;
                std::string child = folder + "\\" + fd.cFileName;
                // Each level removes its own folder, so the parent does not remove it again
                // (a second removal would schedule a deferred folder twice).
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveDirectoryAll(child.c_str());
                } else {
                    SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFile(child.c_str());
                }
            } while (FindNextFileA(find.Get(), &fd));
        }
    }

    SetFileAttributesA(pszFolder, FILE_ATTRIBUTE_NORMAL);
    if (!RemoveDirectoryA(pszFolder)) {
        DWORD dwErr = GetLastError();
        if (dwErr == ERROR_FILE_NOT_FOUND || dwErr == ERROR_PATH_NOT_FOUND) {
            TraceLog("UNINSTINFO::RemoveDirectoryAll - ERROR_FILE_NOT_FOUND\n");
        } else if (m_bWin9x) {
            TraceLog("WIN9X - directory [%s] is in use, set the flag to delete it when system reboot\n", pszFolder);
        } else {
            TraceLog("WINNT - directory [%s] is in use, set the flag to delete it when system reboot\n", pszFolder);
            if (!MoveFileExA(pszFolder, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
                TraceLog("UNINSTINFO::RemoveDirectoryAll - MoveFileEx error - %ld\n", long(GetLastError()));
        }
    }
    return bListed || bLink;
}
