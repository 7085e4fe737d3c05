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
    bool bAll = true;
#define LMTEST_BIND(name) bAll &= BindExport(g_dll.hModule, #name, &g_dll.name, pWhy);
    LMTEST_EXCHANGE_EXPORTS(LMTEST_BIND)
#undef LMTEST_BIND
    return bAll;
}

const ExchangeDll& Dll()
{
    return g_dll;
}
