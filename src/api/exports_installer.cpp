// The installer's calls: the condition check, the two module calls and the removal of an
// installed package.
#include "api/exchange_state.h"
#include "api/export_guard.h"
#include "core/trace.h"
#include "installer/lmprofinst.h"

extern "C" int WINAPI LmCheckCondition(SETUPDATA* pSetup)
{
    return GuardExport("LmCheckCondition", int(0), [&]() -> int {
        InitTraceFlag(pSetup ? BYTE(setupdata::Bytes(pSetup)[setupdata::OFF_TRACE]) : 0);
        TraceLog("LmCheckCondition\n");
        if (!pSetup)
            return 0;
        LMPROFINST package(nullptr, HINSTANCE(g_hModule), pSetup);
        return package.CheckCondition();
    });
}

extern "C" int WINAPI LmRunModuleCount(DWORD)
{
    return GuardExport("LmRunModuleCount", int(0), [&]() -> int {
        TraceLog("LmRunModuleCount\n");
        return g_pWizardPackage ? g_pWizardPackage->CountSelected() : 0;
    });
}

extern "C" int WINAPI LmRunGetModuleStrings(DWORD, DWORD)
{
    return GuardExport("LmRunGetModuleStrings", int(0), [&]() -> int {
        TraceLog("LmRunGetModuleStrings\n");
        return g_pWizardPackage ? g_pWizardPackage->CountSelected() : 0;
    });
}

// The uninstaller's entry (a rundll32 command line that carries nothing); always 1.
extern "C" int WINAPI LmRemovePackage(HWND, HINSTANCE, LPSTR, int)
{
    return GuardExport("LmRemovePackage", int(1), [&]() -> int {
        TraceLog("LmRemovePackage\n");
        InitTraceFlag(FALSE);
        LMPROFINST package(nullptr, HINSTANCE(g_hModule), nullptr);
        return package.RemovePackage();
    });
}
