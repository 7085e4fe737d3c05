// Removal of an installed package: the package object's operation that runs the removal engine.
#include <memory>

#include "core/sysenv.h"
#include "core/trace.h"
#include "installer/lmprofinst.h"
#include "removal/registry_utils.h"
#include "removal/uninstinfo.h"

namespace {

// The installer records here, when it installs, which key below HKEY_LOCAL_MACHINE holds the
// package's removal lists; the uninstaller's command line carries nothing.
const char PACKAGE_SOURCE_KEY[] = "Software\\Norvane Sello\\ZeVere32";
const char PACKAGE_KEY_VALUE[] = "UninstallKey";
// Under the package's own key: the folder the package owns.
const char PACKAGE_FOLDER_VALUE[] = "PackageFolder";

}  // namespace

int LMPROFINST::RemovePackage()
{
    TraceLog("LMPROFINST::RemovePackage\n");
    char szBaseKey[REG_NAME_CELL] = "";
    if (!GetRegValueString(HKEY_LOCAL_MACHINE, PACKAGE_SOURCE_KEY, PACKAGE_KEY_VALUE, szBaseKey) || !szBaseKey[0]) {
        TraceLog("LMPROFINST::RemovePackage - no package key\n");
        return 1;
    }
    char szFolder[REG_NAME_CELL] = "";
    GetRegValueString(HKEY_LOCAL_MACHINE, szBaseKey, PACKAGE_FOLDER_VALUE, szFolder);

    // The package was installed on this same system, so the system says which way of
    // deferring applies.
    SYSENV env;
    std::unique_ptr<UNINSTINFO> pInfo(new UNINSTINFO(szBaseKey, szFolder, env.m_bWin9x));
    m_pUninstInfo = pInfo.get();
    m_pUninstInfo->UninstallItems(1);
    m_pUninstInfo->UninstallItems(6);
    m_pUninstInfo->UninstallItems(3);
    m_pUninstInfo = nullptr;
    return 1;
}
