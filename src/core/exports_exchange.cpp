// The exchange interface's lifecycle: one process-wide current session.
#include <cstring>
#include <cwchar>
#include <exception>
#include <new>

#include "core/exports.h"
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

}  // namespace

extern "C" BOOL WINAPI InitJxpApi(HWND hWnd, LPCSTR pszPrinterName)
{
    try {
        InitTraceFlag(TRUE);
        TraceLog("InitJxpApi\n");
        if (!pszPrinterName || strnlen(pszPrinterName, MAX_PRINTER_NAME + 1) > MAX_PRINTER_NAME) {
            TraceLog("InitJxpApi - invalid printer name\n");
            return FALSE;
        }
        if (!ReadProcessSettings()) {
            TraceLog("InitJxpApi - GetVersionEx error - %ld\n", GetLastError());
            return FALSE;
        }

        BOOL bOk;
        if (g_bWin9x) {
            bOk = InstallSession(hWnd, pszPrinterName, "InitJxpApi");
        } else {
            wchar_t wszName[PRINTER_NAME_CHARS];
            int n = MultiByteToWideChar(g_uCodePage, 0, pszPrinterName, -1, wszName, PRINTER_NAME_CHARS);
            if (n <= 0) {
                TraceLog("InitJxpApi - MultiByteToWideChar error - %ld\n", GetLastError());
                return FALSE;
            }
            bOk = InstallSession(hWnd, wszName, "InitJxpApi");
        }
        if (!bOk)
            return FALSE;
        TraceLog("InitJxpApi end\n");
        return TRUE;
    } catch (...) {
        TraceLog("InitJxpApi - exception\n");
        return FALSE;
    }
}

extern "C" BOOL WINAPI InitJxpApiW(HWND hWnd, LPCWSTR pwszPrinterName)
{
    try {
        InitTraceFlag(TRUE);
        TraceLog("InitJxpApiW\n");
        if (!pwszPrinterName || wcsnlen(pwszPrinterName, MAX_PRINTER_NAME + 1) > MAX_PRINTER_NAME) {
            TraceLog("InitJxpApiW - invalid printer name\n");
            return FALSE;
        }
        if (!ReadProcessSettings()) {
            TraceLog("InitJxpApiW - GetVersionEx error - %ld\n", GetLastError());
            return FALSE;
        }

        BOOL bOk;
        if (g_bWin9x) {
            // A session on Windows 9x works with ANSI names only.
            char szName[PRINTER_NAME_CHARS];
            BOOL bDefaultUsed = FALSE;
            int n = WideCharToMultiByte(g_uCodePage, 0, pwszPrinterName, -1, szName, PRINTER_NAME_CHARS, nullptr,
                                        &bDefaultUsed);
            if (n <= 0 || bDefaultUsed) {
                TraceLog("InitJxpApiW - WideCharToMultiByte error - %ld\n", GetLastError());
                return FALSE;
            }
            bOk = InstallSession(hWnd, szName, "InitJxpApiW");
        } else {
            bOk = InstallSession(hWnd, pwszPrinterName, "InitJxpApiW");
        }
        if (!bOk)
            return FALSE;
        TraceLog("InitJxpApiW end\n");
        return TRUE;
    } catch (...) {
        TraceLog("InitJxpApiW - exception\n");
        return FALSE;
    }
}

extern "C" void WINAPI CloseJxpApi(HWND, LPCSTR)
{
    try {
        TraceLog("CloseJxpApi\n");
        DestroyCurrentSession();
    } catch (...) {
        TraceLog("CloseJxpApi - exception\n");
    }
}

// Called from DllMain on process detach.
void DestroyCurrentSessionOnUnload()
{
    DestroyCurrentSession();
}
