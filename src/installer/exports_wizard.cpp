// The installer's calls around the profile selection page: the page itself and the import of
// what the user ticked on it.
#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "installer/lmprofinst.h"

// Answers -1 Back, 1 Next, 0 Cancel, or the block's own answer when no profile is offered.
extern "C" int WINAPI LmProfileWizard(HWND hParent, DWORD, SETUPDATA* pSetup)
{
    try {
        InitTraceFlag(pSetup ? BYTE(setupdata::Bytes(pSetup)[setupdata::OFF_TRACE]) : 0);
        TraceLog("LmProfileWizard\n");
        DestroyWizardPackage();
        if (!pSetup)
            return 0;
        g_pWizardPackage = new LMPROFINST(hParent, HINSTANCE(g_hModule), pSetup);
        return g_pWizardPackage->RunWizardPage(pSetup);
    } catch (...) {
        TraceLog("LmProfileWizard - exception\n");
        return 0;
    }
}

extern "C" int WINAPI LmProfileInstall(DWORD, DWORD, SETUPDATA* pSetup)
{
    try {
        TraceLog("LmProfileInstall\n");
        if (!g_pWizardPackage)
            return 1;
        return g_pWizardPackage->InstallProfiles(pSetup);
    } catch (...) {
        TraceLog("LmProfileInstall - exception\n");
        return 1;
    }
}
