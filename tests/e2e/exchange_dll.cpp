#include "exchange_dll.h"

#include "test_support.h"

namespace {

ExchangeDll g_dll;

template <typename Fn>
bool Resolve(HMODULE h, const char* pszName, Fn* pfn, std::string* pWhy)
{
    *pfn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(h, pszName)));
    if (!*pfn)
        *pWhy += std::string(" missing export ") + pszName + ";";
    return *pfn != nullptr;
}

}  // namespace

bool LoadExchangeDll(std::string* pWhy)
{
    std::string relative = ExeFolder() + "..\\LmProfInst.dll";
    char szFull[MAX_PATH] = "";
    DWORD n = GetFullPathNameA(relative.c_str(), MAX_PATH, szFull, nullptr);
    g_dll.path = n > 0 && n < MAX_PATH ? szFull : relative;
    g_dll.hModule = LoadLibraryA(g_dll.path.c_str());
    if (!g_dll.hModule) {
        *pWhy = "cannot load " + g_dll.path + ", error " + std::to_string(GetLastError());
        return false;
    }
    HMODULE h = g_dll.hModule;
    bool bAll = true;
    bAll &= Resolve(h, "InitJxpApi", &g_dll.InitJxpApi, pWhy);
    bAll &= Resolve(h, "InitJxpApiW", &g_dll.InitJxpApiW, pWhy);
    bAll &= Resolve(h, "CloseJxpApi", &g_dll.CloseJxpApi, pWhy);
    bAll &= Resolve(h, "GetJxpFileListFromDirectory", &g_dll.GetJxpFileListFromDirectory, pWhy);
    bAll &= Resolve(h, "GetProfileListFromJxp", &g_dll.GetProfileListFromJxp, pWhy);
    bAll &= Resolve(h, "GetJxpFileDeviceModel", &g_dll.GetJxpFileDeviceModel, pWhy);
    bAll &= Resolve(h, "ExportProfileToJxp", &g_dll.ExportProfileToJxp, pWhy);
    bAll &= Resolve(h, "ImportProfileFromJxp", &g_dll.ImportProfileFromJxp, pWhy);
    bAll &= Resolve(h, "ImportProfileFromJxpW", &g_dll.ImportProfileFromJxpW, pWhy);
    bAll &= Resolve(h, "ImportProfileAsDefault", &g_dll.ImportProfileAsDefault, pWhy);
    bAll &= Resolve(h, "LmProfInst", &g_dll.LmProfInst, pWhy);
    bAll &= Resolve(h, "LmPatch", &g_dll.LmPatch, pWhy);
    return bAll;
}

const ExchangeDll& Dll()
{
    return g_dll;
}
