// The installer's calls around the profile selection page: the page itself and the import of
// what the user ticked on it.
#include "api/exchange_state.h"
#include "api/export_guard.h"
#include "core/trace.h"
#include "installer/lmprofinst.h"

// Answers -1 Back, 1 Next, 0 Cancel, or the block's own answer when no profile is offered.
extern "C" int WINAPI LmProfileWizard(HWND hParent, DWORD, SETUPDATA* pSetup)
{
    return GuardExport("LmProfileWizard", int(0), [&]() -> int {
        InitTraceFlag(pSetup ? BYTE(setupdata::Bytes(pSetup)[setupdata::OFF_TRACE]) : 0);
        TraceLog("LmProfileWizard\n");
        DestroyWizardPackage();
        if (!pSetup)
            return 0;
        g_pWizardPackage = new LMPROFINST(hParent, HINSTANCE(g_hModule), pSetup);
        return g_pWizardPackage->RunWizardPage(pSetup);
    });
}

extern "C" int WINAPI LmProfileInstall(DWORD, DWORD, SETUPDATA* pSetup)
{
    return GuardExport("LmProfileInstall", int(1), [&]() -> int {
        TraceLog("LmProfileInstall\n");
        if (!g_pWizardPackage)
            return 1;
        return g_pWizardPackage->InstallProfiles(pSetup);
    });
}
