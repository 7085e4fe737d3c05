// The exchange interface's lifecycle: one process-wide current session.
#include <cstring>
#include <cwchar>
#include <new>

#include "api/exchange_state.h"
#include "api/export_guard.h"
#include "api/exports.h"
#include "codec/byte_cursor.h"
#include "core/cells.h"
#include "core/conversions.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"

LMPROFJXP* g_pCurrentSession = nullptr;
bool g_bWin9x = false;
UINT g_uCodePage = 1252;
HMODULE g_hModule = nullptr;

namespace {

void DestroyCurrentSession()
{
    LMPROFJXP* pOld = g_pCurrentSession;
    g_pCurrentSession = nullptr;
    delete pOld;
}

// Version, Windows 9x flag, language code and code page: the first steps of both
// InitJxpApi forms. False when the version cannot be read.
bool ReadProcessSettings()
{
    OSVERSIONINFOA vi;
    if (!ReadWindowsVersion(&vi))
        return false;
    g_bWin9x = vi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    char szLocale[10];
    LANGUAGECODE lc = ReadUserLanguage(szLocale);
    TraceLog("Locale = %s, %04x\n", szLocale, lc.dwLangId);
    g_uCodePage = lc.uCodePage;
    return true;
}

// Builds the session and makes it current; a session left from an earlier call is
// destroyed first instead of being leaked.
BOOL InstallSession(HWND hWnd, const void* pName, const char* pszWho)
{
    LMPROFJXP* pSession = new (std::nothrow) LMPROFJXP(hWnd, pName, nullptr);
    if (!pSession) {
        TraceLog("%s - out of memory\n", pszWho);
        return FALSE;
    }
    if (!pSession->IsComplete()) {
        TraceLog("%s - session incomplete\n", pszWho);
        delete pSession;
        return FALSE;
    }
    DestroyCurrentSession();
    g_pCurrentSession = pSession;
    return TRUE;
}

size_t NameLength(const char* pszName)
{
    return strnlen(pszName, MAX_PRINTER_NAME + 1);
}

size_t NameLength(const wchar_t* pwszName)
{
    return wcsnlen(pwszName, MAX_PRINTER_NAME + 1);
}

// The printer name in the width a session on this system takes: ANSI on Windows 9x, wide
// elsewhere, converted with the process-wide code page when the caller's width differs.
class SessionName {
public:
    // False, with a trace line, when the name cannot be converted.
    bool Take(const char* pszName, const char* pszWho)
    {
        if (g_bWin9x) {
            m_pName = pszName;
            return true;
        }
        int n = MultiByteToWideChar(g_uCodePage, 0, pszName, -1, m_wszName, PRINTER_NAME_CHARS);
        if (n <= 0) {
            TraceLog("%s - MultiByteToWideChar error - %ld\n", pszWho, GetLastError());
            return false;
        }
        m_pName = m_wszName;
        return true;
    }
    bool Take(const wchar_t* pwszName, const char* pszWho)
    {
        if (!g_bWin9x) {
            m_pName = pwszName;
            return true;
        }
        // A session on Windows 9x works with ANSI names only. The name must come back
        // exactly: a look-alike the code page puts in place of a character it lacks would
        // name another printer.
        if (!ConvertWideToAnsiCellExact(m_szName, PRINTER_NAME_CHARS, pwszName, g_uCodePage)) {
            TraceLog("%s - WideCharToMultiByte error - %ld\n", pszWho, GetLastError());
            return false;
        }
        m_pName = m_szName;
        return true;
    }
    const void* Get() const { return m_pName; }

private:
    const void* m_pName = nullptr;
    char m_szName[PRINTER_NAME_CHARS];
    wchar_t m_wszName[PRINTER_NAME_CHARS];
};

// The one body of InitJxpApi and InitJxpApiW; pszWho names the form in every trace line.
template <typename Char>
BOOL InitJxpApiFor(const char* pszWho, HWND hWnd, const Char* pPrinterName)
{
    InitTraceFlag(TRUE);
    TraceLog("%s\n", pszWho);
    if (!pPrinterName || NameLength(pPrinterName) > MAX_PRINTER_NAME) {
        TraceLog("%s - invalid printer name\n", pszWho);
        return FALSE;
    }
    if (!ReadProcessSettings()) {
        TraceLog("%s - GetVersionEx error - %ld\n", pszWho, GetLastError());
        return FALSE;
    }
    SessionName name;
    if (!name.Take(pPrinterName, pszWho) || !InstallSession(hWnd, name.Get(), pszWho))
        return FALSE;
    TraceLog("%s end\n", pszWho);
    return TRUE;
}

}  // namespace

extern "C" BOOL WINAPI InitJxpApi(HWND hWnd, LPCSTR pszPrinterName)
{
    return GuardExport("InitJxpApi", BOOL(FALSE), [&] { return InitJxpApiFor("InitJxpApi", hWnd, pszPrinterName); });
}

extern "C" BOOL WINAPI InitJxpApiW(HWND hWnd, LPCWSTR pwszPrinterName)
{
    return GuardExport("InitJxpApiW", BOOL(FALSE), [&] { return InitJxpApiFor("InitJxpApiW", hWnd, pwszPrinterName); });
}

extern "C" void WINAPI CloseJxpApi(HWND, LPCSTR)
{
    GuardExport("CloseJxpApi", [] {
        TraceLog("CloseJxpApi\n");
        DestroyCurrentSession();
    });
}

// Called from DllMain on process detach.
void DestroyCurrentSessionOnUnload()
{
    DestroyCurrentSession();
}

// ---- the exchange calls -----------------------------------------------------------------------

namespace {

// A file path in the form the current session opens files with: ANSI on Windows 9x, wide
// text in the process-wide code page elsewhere.
class SessionPath {
public:
    // False, with a trace line, when the path is missing, does not fit, or cannot be converted.
    bool FromAnsi(const char* pszPath, const char* pszWho)
    {
        if (!pszPath || strnlen(pszPath, MAX_PATH) >= MAX_PATH) {
            TraceLog("%s - invalid path\n", pszWho);
            return false;
        }
        if (g_bWin9x) {
            strcpy(m_szPath, pszPath);
            m_bAnsi = true;
            return true;
        }
        m_bAnsi = false;
        if (!ConvertAnsiToWideCell(m_wszPath, MAX_PATH, pszPath, g_uCodePage)) {
            TraceLog("%s - path conversion error - %ld\n", pszWho, GetLastError());
            return false;
        }
        return true;
    }
    bool FromWide(const wchar_t* pwszPath, const char* pszWho)
    {
        if (!pwszPath || wcsnlen(pwszPath, MAX_PATH) >= MAX_PATH) {
            TraceLog("%s - invalid path\n", pszWho);
            return false;
        }
        if (!g_bWin9x) {
            wcscpy(m_wszPath, pwszPath);
            m_bAnsi = false;
            return true;
        }
        // A Windows 9x session opens files by ANSI names only; a path that has no exact ANSI
        // form would open another file.
        m_bAnsi = true;
        if (!ConvertWideToAnsiCellExact(m_szPath, MAX_PATH, pwszPath, g_uCodePage)) {
            TraceLog("%s - path conversion error - %ld\n", pszWho, GetLastError());
            return false;
        }
        return true;
    }
    const void* Get() const { return m_bAnsi ? static_cast<const void*>(m_szPath) : static_cast<const void*>(m_wszPath); }

private:
    bool m_bAnsi = true;
    char m_szPath[MAX_PATH] = "";
    wchar_t m_wszPath[MAX_PATH] = L"";
};

LMPROFJXP* CurrentSession(const char* pszWho)
{
    if (!g_pCurrentSession)
        TraceLog("%s - no current session\n", pszWho);
    return g_pCurrentSession;
}

typedef char NameCell[PROFILE_NAME_CELL];

// Clears the session's import-setup flag however the import ends.
class ImportSetupScope {
public:
    ImportSetupScope(LMPROFJXP* pSession, bool bOn) : m_pSession(pSession) { m_pSession->m_bImportSetup = bOn; }
    ~ImportSetupScope() { m_pSession->m_bImportSetup = false; }
    ImportSetupScope(const ImportSetupScope&) = delete;
    ImportSetupScope& operator=(const ImportSetupScope&) = delete;

private:
    LMPROFJXP* m_pSession;
};

}  // namespace

extern "C" int WINAPI GetJxpFileListFromDirectory(LPCSTR pszFolder, LPSTR pFileCells, int nCells)
{
    return GuardExport("GetJxpFileListFromDirectory", int(0), [&]() -> int {
        TraceLog("GetJxpFileListFromDirectory\n");
        return int(LMPROFJXP::GetJxpList(pszFolder, reinterpret_cast<char(*)[FILE_NAME_CELL]>(pFileCells),
                                         nCells > 0 ? DWORD(nCells) : 0));
    });
}

extern "C" int WINAPI GetProfileListFromJxp(LPCSTR pszPath, LPSTR pNames, LPSTR pDescriptions, LPSTR pModels,
                                            int nCells)
{
    return GuardExport("GetProfileListFromJxp", int(0), [&]() -> int {
        TraceLog("GetProfileListFromJxp\n");
        LMPROFJXP* pSession = CurrentSession("GetProfileListFromJxp");
        SessionPath path;
        if (!pSession || !path.FromAnsi(pszPath, "GetProfileListFromJxp"))
            return 0;
        pSession->OpenJxpFile(path.Get(), JXP_OPEN_READ);
        int nResult = pSession->GetProfileDataFromJXP(reinterpret_cast<char(*)[PROFILE_NAME_CELL]>(pNames),
                                                      reinterpret_cast<char(*)[DESCRIPTION_CELL]>(pDescriptions),
                                                      reinterpret_cast<char(*)[MODEL_CELL]>(pModels),
                                                      nCells > 0 ? DWORD(nCells) : 0);
        pSession->CloseJxpFile();
        return nResult;
    });
}

extern "C" BOOL WINAPI GetJxpFileDeviceModel(LPCSTR pszPath, LPSTR pszModel)
{
    return GuardExport("GetJxpFileDeviceModel", BOOL(FALSE), [&]() -> BOOL {
        TraceLog("GetJxpFileDeviceModel\n");
        LMPROFJXP* pSession = CurrentSession("GetJxpFileDeviceModel");
        SessionPath path;
        if (!pSession || !pszModel || !path.FromAnsi(pszPath, "GetJxpFileDeviceModel"))
            return FALSE;
        if (!pSession->OpenJxpFile(path.Get(), JXP_OPEN_READ))
            return FALSE;
        BYTE head[JXP_HEADER_SIZE];
        bool bOk = pSession->GetJxpHeader(head);
        if (bOk) {
            // A model field without its terminator is damage: never handed on cut.
            const char* pField = reinterpret_cast<const char*>(head + offsetof(JxpFileHeader, szModel));
            size_t n = FieldLength(pField, MODEL_CELL);
            bOk = n < MODEL_CELL;
            memcpy(pszModel, pField, bOk ? n : 0);
            pszModel[bOk ? n : 0] = '\0';
            if (!bOk)
                TraceLog("GetJxpFileDeviceModel - model field damaged\n");
        }
        pSession->CloseJxpFile();
        return bOk ? TRUE : FALSE;
    });
}

extern "C" int WINAPI ExportProfileToJxp(LPCSTR pszProfile, LPCSTR pszPath)
{
    return GuardExport("ExportProfileToJxp", int(0), [&]() -> int {
        TraceLog("ExportProfileToJxp\n");
        LMPROFJXP* pSession = CurrentSession("ExportProfileToJxp");
        SessionPath path;
        if (!pSession || !path.FromAnsi(pszPath, "ExportProfileToJxp"))
            return 0;
        NameCell cell;
        if (!pszProfile || !CopyCell(cell, pszProfile)) {
            TraceLog("ExportProfileToJxp - invalid profile name\n");
            return 0;
        }
        pSession->GetProfileDataFromModel(nullptr, nullptr, nullptr);
        if (!pSession->OpenJxpFile(path.Get(), JXP_OPEN_WRITE | JXP_OPEN_REPLACE))
            return 0;
        TraceLog("%s\n", cell);
        DWORD nWritten = pSession->ExportProfilesToJXP(cell, &cell, 1);
        // The final header carries the profile count: a file whose header could not be written
        // does not hold what was exported.
        if (!pSession->CloseJxpFile())
            return 0;
        return int(nWritten);
    });
}

namespace {

int ImportNames(const char* pszWho, const SessionPath& path, LMPROFJXP* pSession, LPSTR pNames, int nCells,
                BOOL bImportSetup)
{
    ImportSetupScope setup(pSession, bImportSetup != FALSE);
    return int(pSession->ImportProfilesFromJXP(path.Get(), reinterpret_cast<NameCell*>(pNames),
                                               nCells > 0 ? DWORD(nCells) : 0, FALSE));
}

}  // namespace

extern "C" int WINAPI ImportProfileFromJxp(LPCSTR pszPath, LPSTR pNames, int nCells, BOOL bImportSetup)
{
    return GuardExport("ImportProfileFromJxp", int(0), [&]() -> int {
        TraceLog("ImportProfileFromJxp\n");
        LMPROFJXP* pSession = CurrentSession("ImportProfileFromJxp");
        SessionPath path;
        if (!pSession || !path.FromAnsi(pszPath, "ImportProfileFromJxp"))
            return 0;
        return ImportNames("ImportProfileFromJxp", path, pSession, pNames, nCells, bImportSetup);
    });
}

extern "C" int WINAPI ImportProfileFromJxpW(LPCWSTR pwszPath, LPSTR pNames, int nCells, BOOL bImportSetup)
{
    return GuardExport("ImportProfileFromJxpW", int(0), [&]() -> int {
        TraceLog("ImportProfileFromJxpW\n");
        LMPROFJXP* pSession = CurrentSession("ImportProfileFromJxpW");
        SessionPath path;
        if (!pSession || !path.FromWide(pwszPath, "ImportProfileFromJxpW"))
            return 0;
        return ImportNames("ImportProfileFromJxpW", path, pSession, pNames, nCells, bImportSetup);
    });
}

extern "C" int WINAPI ImportProfileAsDefault(LPCSTR pszPath, LPCSTR pszProfile, BYTE bFlags)
{
    return GuardExport("ImportProfileAsDefault", int(0), [&]() -> int {
        TraceLog("ImportProfileAsDefault\n");
        LMPROFJXP* pSession = CurrentSession("ImportProfileAsDefault");
        SessionPath path;
        if (!pSession || !path.FromAnsi(pszPath, "ImportProfileAsDefault"))
            return 0;
        NameCell cell;
        if (!pszProfile || !CopyCell(cell, pszProfile)) {
            TraceLog("ImportProfileAsDefault - invalid profile name\n");
            return 0;
        }
        ImportSetupScope setup(pSession, (bFlags & 2) != 0);
        BOOL bAsDefault = (bFlags & 1) != 0;
        DWORD nImported = pSession->ImportProfilesFromJXP(path.Get(), &cell, 1, bAsDefault);
        if (bFlags & 4) {
            if (bAsDefault)
                pSession->ApplyRegistryValues(FACTORY_DEFAULT_PROFILE, 0);
            else if (strcmp(cell, FACTORY_DEFAULT_PROFILE) != 0 && pSession->GetProfRegNum(cell) == 0)
                // Looked up by a name the printer does not list, the pack would be the one of
                // number 0: the printer would get "Factory Default" instead of what was asked.
                TraceLog("ImportProfileAsDefault - %s is not listed, nothing applied\n", cell);
            else
                pSession->ApplyRegistryValues(cell, -1);
        }
        return nImported ? 1 : 0;
    });
}
