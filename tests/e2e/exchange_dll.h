// The built LmProfInst.dll, loaded the way its callers load it, with its exports looked up by
// name. Calls go through these pointers only: the static library linked into the tests has
// functions of the same names, which are not the DLL's.
#pragma once
#include <windows.h>

#include <string>

#include "api/exports.h"

#define LMTEST_EXCHANGE_EXPORTS(X)                                                                                   \
    X(InitJxpApi) X(InitJxpApiW) X(CloseJxpApi) X(GetJxpFileListFromDirectory) X(GetProfileListFromJxp)               \
    X(GetJxpFileDeviceModel) X(ExportProfileToJxp) X(ImportProfileFromJxp) X(ImportProfileFromJxpW)                   \
    X(ImportProfileAsDefault) X(LmProfInst) X(LmPatch)

struct ExchangeDll {
    HMODULE hModule = nullptr;
    std::string path;   // full Windows path of the DLL
#define LMTEST_DECLARE(name) decltype(&::name) name = nullptr;
    LMTEST_EXCHANGE_EXPORTS(LMTEST_DECLARE)
#undef LMTEST_DECLARE
};

// Loads the DLL beside the tests' folder (<build>/LmProfInst.dll for <build>/tests/*.exe);
// false, with the reason in *pWhy, when it or one of its exports is missing.
bool LoadExchangeDll(std::string* pWhy);
const ExchangeDll& Dll();
