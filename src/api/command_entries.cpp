// The rundll32 entries: install a profile file onto a printer from a command line.
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "api/export_guard.h"
#include "api/exports.h"
#include "codec/command_line.h"
#include "core/cells.h"
#include "core/holders.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"

namespace {

struct EntryTexts {
    const char* pszStart;
    const char* pszNoPrinter;
    const char* pszEnd;
};

// The printer's device model (its driver name); empty when it cannot be read.
void ReadPrinterModel(HANDLE hPrinter, char (&szModel)[PRINTER_NAME_CHARS])
{
    szModel[0] = '\0';
    DWORD cbNeeded = 0;
    GetPrinterA(hPrinter, 2, nullptr, 0, &cbNeeded);
    if (cbNeeded < sizeof(PRINTER_INFO_2A))
        return;
    std::unique_ptr<BYTE[]> info(new (std::nothrow) BYTE[cbNeeded]);
    if (!info || !GetPrinterA(hPrinter, 2, info.get(), cbNeeded, &cbNeeded))
        return;
    if (!CopyCell(szModel, reinterpret_cast<PRINTER_INFO_2A*>(info.get())->pDriverName))
        szModel[0] = '\0';
}

// Both entries: split the line, check the file was written for the printer's model, and
// import the profile as the printer's default with its setup record, applied.
void RunEntry(HWND hWnd, const char* pszCmdLine, const EntryTexts& texts, bool bPatch)
{
    InitTraceFlag(FALSE);
    TraceLog(texts.pszStart, pszCmdLine ? pszCmdLine : "");
    std::unique_ptr<CmdLineArgs> args(new (std::nothrow) CmdLineArgs);
    if (!args) {
        TraceLog(texts.pszEnd);
        return;
    }
    int nArgs = args->Split(pszCmdLine);
    if (nArgs < 0) {
        // A cut argument could name another printer or file: nothing is done.
        TraceLog("Arguments - too many or too long\n");
        TraceLog(texts.pszEnd);
        return;
    }
    TraceLog("Arguments - %d\n", nArgs);
    for (int i = 0; i < nArgs; ++i)
        TraceLog("  %d, [%s]\n", i, args->Arg(i));

    if (nArgs > 0) {
        const char* pszPrinter = args->Arg(0);
        HANDLE hOpened = nullptr;
        if (!OpenPrinterA(const_cast<char*>(pszPrinter), &hOpened, nullptr)) {
            TraceLog(texts.pszNoPrinter, pszPrinter);
        } else {
            char szModel[PRINTER_NAME_CHARS];
            {
                AutoPrinter printer(hOpened);
                ReadPrinterModel(printer.Get(), szModel);
            }
            char szPath[MAX_PATH];
            const char* pszProfile = bPatch ? "Default" : args->Arg(2);
            bool bPathOk = true;
            if (bPatch) {
                int n = _snprintf(szPath, sizeof(szPath), "%s\\%s.jxp", args->Arg(2), szModel);
                bPathOk = n > 0 && size_t(n) < sizeof(szPath);
            } else {
                bPathOk = CopyCell(szPath, args->Arg(1));
            }
            if (!bPathOk) {
                TraceLog("File path too long\n");
            } else if (InitJxpApi(hWnd, pszPrinter)) {
                char szFileModel[MODEL_CELL] = "";
                if (!GetJxpFileDeviceModel(szPath, szFileModel))
                    szFileModel[0] = '\0';
                TraceLog("Device Name from JXP - [%s]\n", szFileModel);
                // Model names compare without regard to case, character by character in the
                // user's code page.
                if (szModel[0] && lstrcmpiA(szModel, szFileModel) == 0)
                    ImportProfileAsDefault(szPath, pszProfile, 7);
                CloseJxpApi(hWnd, pszPrinter);
            }
        }
    }
    TraceLog(texts.pszEnd);
}

}  // namespace

extern "C" void WINAPI LmProfInst(HWND hWnd, HINSTANCE, LPSTR pszCmdLine, int)
{
    GuardExport("LmProfInst", [&] {
        RunEntry(hWnd, pszCmdLine,
                 {"LmProfInst - [%s]\n", "LmProfInst Error - Can not open printer - %s\n", "LmProfInst Ended. C-ya!\n"},
                 false);
    });
}

extern "C" void WINAPI LmPatch(HWND hWnd, HINSTANCE, LPSTR pszCmdLine, int)
{
    GuardExport("LmPatch", [&] {
        RunEntry(hWnd, pszCmdLine,
                 {"LmPatch - [%s]\n", "LmPatch Error - Can not open printer - %s\n", "LmPatch Ended. C-ya!\n"}, true);
    });
}
