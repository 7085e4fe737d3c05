#include <windows.h>

#include "api/exchange_state.h"
#include "api/export_guard.h"
#include "core/trace.h"
#include "installer/lmprofinst.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    GuardExport("DllMain", [&] {
        switch (dwReason) {
        case DLL_PROCESS_ATTACH:
            TraceLog("LmProfInst - DLL_PROCESS_ATTACH\n");
            g_hModule = hInstance;
            break;
        case DLL_THREAD_ATTACH:
            TraceLog("LmProfInst - DLL_THREAD_ATTACH\n");
            break;
        case DLL_THREAD_DETACH:
            TraceLog("LmProfInst - DLL_THREAD_DETACH\n");
            break;
        case DLL_PROCESS_DETACH:
            TraceLog("LmProfInst - DLL_PROCESS_DETACH\n");
            DestroyWizardPackage();
            DestroyCurrentSessionOnUnload();
            break;
        default:
            break;
        }
    });
    return TRUE;
}
