// The library's exported calls, as callers see them.
#pragma once
#include <windows.h>

extern "C" {
BOOL WINAPI InitJxpApi(HWND hWnd, LPCSTR pszPrinterName);
BOOL WINAPI InitJxpApiW(HWND hWnd, LPCWSTR pwszPrinterName);
void WINAPI CloseJxpApi(HWND hWnd, LPCSTR pszPrinterName);
}
