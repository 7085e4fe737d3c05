// The built LmProfInst.dll, loaded the way its callers load it, with its exports looked up by
// name. Calls go through these pointers only: the static library linked into the tests has
// functions of the same names, which are not the DLL's.
#pragma once
#include <windows.h>

#include <string>

#include "api/exports.h"

struct ExchangeDll {
    HMODULE hModule = nullptr;
    std::string path;   // full Windows path of the DLL
    decltype(&::InitJxpApi) InitJxpApi = nullptr;
    decltype(&::InitJxpApiW) InitJxpApiW = nullptr;
    decltype(&::CloseJxpApi) CloseJxpApi = nullptr;
    decltype(&::GetJxpFileListFromDirectory) GetJxpFileListFromDirectory = nullptr;
    decltype(&::GetProfileListFromJxp) GetProfileListFromJxp = nullptr;
    decltype(&::GetJxpFileDeviceModel) GetJxpFileDeviceModel = nullptr;
    decltype(&::ExportProfileToJxp) ExportProfileToJxp = nullptr;
    decltype(&::ImportProfileFromJxp) ImportProfileFromJxp = nullptr;
    decltype(&::ImportProfileFromJxpW) ImportProfileFromJxpW = nullptr;
    decltype(&::ImportProfileAsDefault) ImportProfileAsDefault = nullptr;
    decltype(&::LmProfInst) LmProfInst = nullptr;
    decltype(&::LmPatch) LmPatch = nullptr;
};

// Loads the DLL beside the tests' folder (<build>/LmProfInst.dll for <build>/tests/*.exe);
// false, with the reason in *pWhy, when it or one of its exports is missing.
bool LoadExchangeDll(std::string* pWhy);
const ExchangeDll& Dll();
