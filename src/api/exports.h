// The library's exported calls, as callers see them.
#pragma once
#include <windows.h>

extern "C" {
BOOL WINAPI InitJxpApi(HWND hWnd, LPCSTR pszPrinterName);
BOOL WINAPI InitJxpApiW(HWND hWnd, LPCWSTR pwszPrinterName);
void WINAPI CloseJxpApi(HWND hWnd, LPCSTR pszPrinterName);
int WINAPI GetJxpFileListFromDirectory(LPCSTR pszFolder, LPSTR pFileCells, int nCells);
int WINAPI GetProfileListFromJxp(LPCSTR pszPath, LPSTR pNames, LPSTR pDescriptions, LPSTR pModels, int nCells);
BOOL WINAPI GetJxpFileDeviceModel(LPCSTR pszPath, LPSTR pszModel);
int WINAPI ExportProfileToJxp(LPCSTR pszProfile, LPCSTR pszPath);
int WINAPI ImportProfileFromJxp(LPCSTR pszPath, LPSTR pNames, int nCells, BOOL bImportSetup);
int WINAPI ImportProfileFromJxpW(LPCWSTR pwszPath, LPSTR pNames, int nCells, BOOL bImportSetup);
int WINAPI ImportProfileAsDefault(LPCSTR pszPath, LPCSTR pszProfile, BYTE bFlags);
void WINAPI LmProfInst(HWND hWnd, HINSTANCE hInstance, LPSTR pszCmdLine, int nShow);
void WINAPI LmPatch(HWND hWnd, HINSTANCE hInstance, LPSTR pszCmdLine, int nShow);
}
