// Construction and destruction of the printer profile session. They stand beside the session's
// operations rather than under them: construction loads the default DEVMODE, destruction
// closes a profile file an operation left open.
#include <cstring>
#include <new>

#include "core/cells.h"
#include "core/holders.h"
#include "core/lmprofjxp.h"
#include "core/session_printer.h"
#include "core/trace.h"

namespace {

bool IsNoHandle(HANDLE h)
{
    return h == nullptr || h == INVALID_HANDLE_VALUE;
}

}  // namespace

LMPROFJXP::LMPROFJXP(HWND hWnd, const void* pPrinterName, HANDLE hPrinter)
    : m_hWnd(hWnd),
      m_dwLanguage(0),
      m_bAnsi(true),
      m_bClient(false),
      m_dwOpenMode(0),
      m_wDefaultDevModeLoads(0),
      m_dwDefaultDevModeSize(0),
      m_nProfileData(0),
      m_dwProfileOffset(0),
      m_bImportSetup(false),
      m_bComplete(false)
{
    TraceLog("LMPROFJXP::LMPROFJXP\n");
    if (!IsNoHandle(hPrinter))
        m_hPrinter.Lend(hPrinter);
    m_wszPrinterName[0] = L'\0';
    m_tszPrinterName[0] = '\0';
    m_szModel[0] = '\0';
    m_szDriverDir[0] = '\0';

    OSVERSIONINFOA vi;
    if (!ReadWindowsVersion(&vi)) {
        TraceLog("LMPROFJXP::LMPROFJXP - GetVersionEx error - %ld\n", GetLastError());
        return;
    }
    if (vi.dwPlatformId == VER_PLATFORM_WIN32_NT)
        m_bAnsi = false;

    char szLocale[10];
    m_dwLanguage = ReadUserLanguage(szLocale).dwLanguage;

    if (pPrinterName) {
        bool bFits;
        if (m_bAnsi) {
            bFits = CopyCell(m_tszPrinterName, static_cast<const char*>(pPrinterName));
            if (bFits) {
                TraceLog("m_tszPrinterName = %s\n", m_tszPrinterName);
                // DocumentPropertiesW is the call that sizes the DEVMODE in both modes, so
                // the wide name is kept beside the ANSI one.
                MultiByteToWideChar(CP_ACP, 0, m_tszPrinterName, -1, m_wszPrinterName, PRINTER_NAME_CHARS);
                m_wszPrinterName[PRINTER_NAME_CHARS - 1] = L'\0';
            }
        } else {
            bFits = CopyCell(m_wszPrinterName, static_cast<const wchar_t*>(pPrinterName));
            if (bFits)
                TraceLogW(L"m_wszPrinterName = %s\n", m_wszPrinterName);
        }
        if (!bFits) {
            // A cut name could open a different printer.
            TraceLog("LMPROFJXP::LMPROFJXP - printer name too long\n");
            m_wszPrinterName[0] = L'\0';
            m_tszPrinterName[0] = '\0';
            return;
        }

        m_bClient = true;
        TraceLog("m_bClient = true\n");

        // A user who may not administer the printer gets a session without a handle; each
        // operation then opens the printer with the rights it needs.
        if (!m_hPrinter)
            m_hPrinter.Own(OpenPrinterByName(PRINTER_ALL_ACCESS, true));
        FindDriverDirectory();
        TraceLog("Client mode enabled\n");
    }

    m_szModel[0] = '\0';
    m_pDefaultDevMode.reset();
    m_dwDefaultDevModeSize = 0;
    m_wDefaultDevModeLoads = 0;

    DWORD dwSize = GetDefaultDevModeSizeRetry();
    m_pDefaultDevMode.reset(new (std::nothrow) BYTE[dwSize]());
    if (!m_pDefaultDevMode) {
        TraceLog("LMPROFJXP::LMPROFJXP - out of memory\n");
        return;
    }
    GetDefaultDevMode(m_pDefaultDevMode.get());

    m_pProfileData.reset();
    m_nProfileData = 0;
    m_JxpHead.reset(new (std::nothrow) BYTE[JXP_HEADER_SIZE]());
    m_pProfileEntry.reset(new (std::nothrow) BYTE[JXP_ENTRY_SIZE]());
    if (!m_JxpHead || !m_pProfileEntry) {
        TraceLog("LMPROFJXP::LMPROFJXP - out of memory\n");
        return;
    }
    m_dwOpenMode = 0;
    m_bComplete = true;
}

LMPROFJXP::~LMPROFJXP()
{
    TraceLog("LMPROFJXP::~LMPROFJXP\n");
    // An operation that stopped half-way may have left its file open: close it rather than
    // leak the handle (and, for a file being written, keep its header true to its content).
    if (m_hJxpFile)
        CloseJxpFile();
    m_pDefaultDevMode.reset();
    m_pProfileData.reset();
    m_JxpHead.reset();
    m_pProfileEntry.reset();
    m_hPrinter.Reset();
}

void LMPROFJXP::FindDriverDirectory()
{
    SessionPrinter printer(*this, 0);
    if (!printer)
        return;
    HANDLE h = printer.Get();

    // A 32-bit process on 64-bit Windows installs beside the 64-bit driver.
    const char* pszEnvironment = m_bAnsi ? "Windows 4.0" : "Windows NT x86";
    if (IsWow64())
        pszEnvironment = "Windows x64";

    bool bFound = false;
    DWORD cbNeeded = 0;
    GetPrinterDriverA(h, const_cast<char*>(pszEnvironment), 2, nullptr, 0, &cbNeeded);
    if (cbNeeded >= sizeof(DRIVER_INFO_2A)) {
        std::unique_ptr<BYTE[]> info(new (std::nothrow) BYTE[cbNeeded]);
        if (info && GetPrinterDriverA(h, const_cast<char*>(pszEnvironment), 2, info.get(), cbNeeded, &cbNeeded)) {
            const DRIVER_INFO_2A* pInfo = reinterpret_cast<const DRIVER_INFO_2A*>(info.get());
            if (pInfo->pDriverPath && CopyCell(m_szDriverDir, pInfo->pDriverPath)) {
                char* pLast = strrchr(m_szDriverDir, '\\');
                if (strlen(m_szDriverDir) > 3 && pLast) {
                    *pLast = '\0';
                    bFound = true;
                }
            }
        }
    }
    if (!bFound) {
        UINT n = GetSystemDirectoryA(m_szDriverDir, sizeof(m_szDriverDir));
        if (n == 0 || n >= sizeof(m_szDriverDir))
            m_szDriverDir[0] = '\0';
    }
}
