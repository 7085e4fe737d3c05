// The condition check: the common-profile package applies when the printer's installed driver
// has a configuration module of version 2.1 or later.
#include <cstring>
#include <memory>
#include <new>

#include "core/cells.h"
#include "core/holders.h"
#include "core/trace.h"
#include "installer/lmprofinst.h"

namespace {

// On Windows 9x the driver's 16-bit configuration module has a 32-bit companion program whose
// version is the one that counts: "xx16yyyy.dll" becomes "xx32yyyy.exe", any other name has
// its sixth to eighth characters replaced by "r32" and the extension by ".exe".
void DeriveWin9xModule(char (&szPath)[MAX_PATH])
{
    char* pName = strrchr(szPath, '\\');
    if (pName) {
        ++pName;
        size_t nName = strlen(pName);
        if (nName >= 4 && pName[2] == '1' && pName[3] == '6') {
            pName[2] = '3';
            pName[3] = '2';
        } else if (nName >= 8) {
            // A shorter name has no sixth to eighth characters to replace; it is examined as is.
            pName[5] = 'r';
            pName[6] = '3';
            pName[7] = '2';
        }
    }
    char* pDot = strrchr(szPath, '.');
    if (pDot && size_t(pDot - szPath) + 5 <= sizeof(szPath))
        strcpy(pDot, ".exe");
}

}  // namespace

int LMPROFINST::CheckCondition()
{
    TraceLog("LMPROFINST::CheckCondition - [%s]\n", m_szPrinterName);
    int nResult = 0;
    HANDLE hOpened = nullptr;
    if (m_szPrinterName[0] && OpenPrinterA(m_szPrinterName, &hOpened, nullptr)) {
        AutoPrinter printer(hOpened);
        const char* pszEnvironment = m_bAnsi ? "Windows 4.0" : IsWow64() ? "Windows x64" : "Windows NT x86";
        char szModule[MAX_PATH] = "";
        DWORD cbNeeded = 0;
        GetPrinterDriverA(printer.Get(), const_cast<char*>(pszEnvironment), 2, nullptr, 0, &cbNeeded);
        std::unique_ptr<BYTE[]> info(cbNeeded >= sizeof(DRIVER_INFO_2A) ? new (std::nothrow) BYTE[cbNeeded] : nullptr);
        if (info && GetPrinterDriverA(printer.Get(), const_cast<char*>(pszEnvironment), 2, info.get(), cbNeeded,
                                      &cbNeeded)) {
            const char* pszConfig = reinterpret_cast<DRIVER_INFO_2A*>(info.get())->pConfigFile;
            if (!pszConfig || !CopyCell(szModule, pszConfig))
                szModule[0] = '\0';
        }
        if (szModule[0] && m_bAnsi)
            DeriveWin9xModule(szModule);
        if (szModule[0]) {
            TraceLog("tszProfFile = %s\n", szModule);
            DWORD dwHandle = 0;
            DWORD cbVersion = GetFileVersionInfoSizeA(szModule, &dwHandle);
            std::unique_ptr<BYTE[]> version(cbVersion ? new (std::nothrow) BYTE[cbVersion] : nullptr);
            VS_FIXEDFILEINFO* pFixed = nullptr;
            UINT cbFixed = 0;
            if (version && GetFileVersionInfoA(szModule, 0, cbVersion, version.get()) &&
                VerQueryValueA(version.get(), "\\", reinterpret_cast<void**>(&pFixed), &cbFixed) && pFixed &&
                cbFixed >= sizeof(VS_FIXEDFILEINFO)) {
                WORD wMajor = HIWORD(pFixed->dwFileVersionMS), wMinor = LOWORD(pFixed->dwFileVersionMS);
                TraceLog("Version of Profile = %d.%d.%d.%d\n", wMajor, wMinor, HIWORD(pFixed->dwFileVersionLS),
                         LOWORD(pFixed->dwFileVersionLS));
                nResult = (wMajor > 2 || (wMajor == 2 && wMinor >= 1)) ? 1 : 0;
            }
        }
    }
    TraceLog("LMPROFINST::CheckCondition returns - %d\n", nResult);
    return nResult;
}
