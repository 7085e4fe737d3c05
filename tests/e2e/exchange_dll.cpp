#include "exchange_dll.h"

#include "test_support.h"

namespace {

ExchangeDll g_dll;

}  // namespace

bool LoadExchangeDll(std::string* pWhy)
{
    g_dll.hModule = BuiltDll(pWhy, &g_dll.path);
    if (!g_dll.hModule)
        return false;
    HMODULE h = g_dll.hModule;
    bool bAll = true;
    bAll &= BindExport(h, "InitJxpApi", &g_dll.InitJxpApi, pWhy);
    bAll &= BindExport(h, "InitJxpApiW", &g_dll.InitJxpApiW, pWhy);
    bAll &= BindExport(h, "CloseJxpApi", &g_dll.CloseJxpApi, pWhy);
    bAll &= BindExport(h, "GetJxpFileListFromDirectory", &g_dll.GetJxpFileListFromDirectory, pWhy);
    bAll &= BindExport(h, "GetProfileListFromJxp", &g_dll.GetProfileListFromJxp, pWhy);
    bAll &= BindExport(h, "GetJxpFileDeviceModel", &g_dll.GetJxpFileDeviceModel, pWhy);
    bAll &= BindExport(h, "ExportProfileToJxp", &g_dll.ExportProfileToJxp, pWhy);
    bAll &= BindExport(h, "ImportProfileFromJxp", &g_dll.ImportProfileFromJxp, pWhy);
    bAll &= BindExport(h, "ImportProfileFromJxpW", &g_dll.ImportProfileFromJxpW, pWhy);
    bAll &= BindExport(h, "ImportProfileAsDefault", &g_dll.ImportProfileAsDefault, pWhy);
    bAll &= BindExport(h, "LmProfInst", &g_dll.LmProfInst, pWhy);
    bAll &= BindExport(h, "LmPatch", &g_dll.LmPatch, pWhy);
    return bAll;
}

const ExchangeDll& Dll()
{
    return g_dll;
}
