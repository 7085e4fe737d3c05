// The demo: opens a profile session on a fixture printer with the trace on and prints the
// session's trace lines as the library writes them.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "fixture_names.h"

namespace {

constexpr DWORD DBG_PRINT = 0x40010006;

LONG CALLBACK PrintTrace(EXCEPTION_POINTERS* pInfo)
{
    const EXCEPTION_RECORD* pRec = pInfo->ExceptionRecord;
    if (pRec->ExceptionCode != DBG_PRINT)
        return EXCEPTION_CONTINUE_SEARCH;
    if (pRec->NumberParameters >= 2 && pRec->ExceptionInformation[1])
        fputs(reinterpret_cast<const char*>(pRec->ExceptionInformation[1]), stdout);
    return EXCEPTION_CONTINUE_EXECUTION;
}

typedef BOOL(WINAPI* InitJxpApiFn)(HWND, LPCSTR);
typedef void(WINAPI* CloseJxpApiFn)(HWND, LPCSTR);

}  // namespace

int main(int argc, char** argv)
{
    const char* pszDll = argc > 1 ? argv[1] : "LmProfInst.dll";
    const char* pszPrinter = argc > 2 ? argv[2] : FIXTURE_PRINTER_A1;
    AddVectoredExceptionHandler(1, PrintTrace);

    HMODULE hDll = LoadLibraryA(pszDll);
    if (!hDll) {
        fprintf(stderr, "demo: cannot load %s (error %lu)\n", pszDll, GetLastError());
        return 1;
    }
    auto pInit = reinterpret_cast<InitJxpApiFn>(reinterpret_cast<void*>(GetProcAddress(hDll, "InitJxpApi")));
    auto pClose = reinterpret_cast<CloseJxpApiFn>(reinterpret_cast<void*>(GetProcAddress(hDll, "CloseJxpApi")));
    if (!pInit || !pClose) {
        fprintf(stderr, "demo: %s lacks InitJxpApi or CloseJxpApi\n", pszDll);
        return 1;
    }

    printf("== InitJxpApi(\"%s\")\n", pszPrinter);
    BOOL bOk = pInit(nullptr, pszPrinter);
    printf("== InitJxpApi returned %s\n", bOk ? "TRUE" : "FALSE");
    printf("== CloseJxpApi\n");
    pClose(nullptr, pszPrinter);
    printf("== FreeLibrary\n");
    FreeLibrary(hDll);
    fflush(stdout);
    return bOk ? 0 : 1;
}
