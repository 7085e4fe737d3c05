// The installer's calls: the condition check and the two module calls.
#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "installer/lmprofinst.h"

extern "C" int WINAPI LmCheckCondition(SETUPDATA* pSetup)
{
    try {
        InitTraceFlag(pSetup ? BYTE(setupdata::Bytes(pSetup)[setupdata::OFF_TRACE]) : 0);
        TraceLog("LmCheckCondition\n");
        if (!pSetup)
            return 0;
        LMPROFINST package(nullptr, HINSTANCE(g_hModule), pSetup);
        return package.CheckCondition();
    } catch (...) {
        TraceLog("LmCheckCondition - exception\n");
        return 0;
    }
}

extern "C" int WINAPI LmRunModuleCount(DWORD)
{
    TraceLog("LmRunModuleCount\n");
    return g_pWizardPackage ? g_pWizardPackage->CountSelected() : 0;
}

extern "C" int WINAPI LmRunGetModuleStrings(DWORD, DWORD)
{
    TraceLog("LmRunGetModuleStrings\n");
    return g_pWizardPackage ? g_pWizardPackage->CountSelected() : 0;
}
