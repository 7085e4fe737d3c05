// Benchmark: each exchange call timed against the raw spooler and file calls it has to make
// anyway, in one run on the same printers. Prints milliseconds per call and the ratio; the
// ratio is what to watch (the library's own work on top of the unavoidable calls).
#include <windows.h>

#include <winspool.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/lmprofjxp.h"
#include "fixture_names.h"

namespace {

LONG CALLBACK SwallowTrace(EXCEPTION_POINTERS* pInfo)
{
    return pInfo->ExceptionRecord->ExceptionCode == 0x40010006 ? EXCEPTION_CONTINUE_EXECUTION
                                                                 : EXCEPTION_CONTINUE_SEARCH;
}

double MsPerCall(int nRounds, const std::function<void()>& fn)
{
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    fn();   // warm: modules loaded, caches filled
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < nRounds; ++i)
        fn();
    QueryPerformanceCounter(&t1);
    return double(t1.QuadPart - t0.QuadPart) * 1000.0 / double(freq.QuadPart) / nRounds;
}

void Report(const char* pszCall, double msLibrary, const char* pszRaw, double msRaw)
{
    printf("%-28s %8.3f ms   raw %-44s %8.3f ms   ratio %5.2f\n", pszCall, msLibrary, pszRaw, msRaw,
           msRaw > 0 ? msLibrary / msRaw : 0.0);
}

std::vector<BYTE> ReadPrinterData(HANDLE h, const char* pszValue)
{
    DWORD dwType = 0, cb = 0;
    GetPrinterDataA(h, const_cast<char*>(pszValue), &dwType, nullptr, 0, &cb);
    std::vector<BYTE> data(cb ? cb : 1);
    GetPrinterDataA(h, const_cast<char*>(pszValue), &dwType, data.data(), cb, &cb);
    return data;
}

// ---- counting the library's printer-data calls -----------------------------------------------
// The DLL's import slots for GetPrinterDataA and SetPrinterDataA are pointed at counters that
// call on to the spooler: every value read or written by the library goes through them.

typedef DWORD(WINAPI* GetPrinterDataFn)(HANDLE, LPSTR, LPDWORD, LPBYTE, DWORD, LPDWORD);
typedef DWORD(WINAPI* SetPrinterDataFn)(HANDLE, LPSTR, DWORD, LPBYTE, DWORD);
GetPrinterDataFn g_pfnGetPrinterData = nullptr;
SetPrinterDataFn g_pfnSetPrinterData = nullptr;
long g_nSpoolerCalls = 0;

DWORD WINAPI CountedGetPrinterData(HANDLE h, LPSTR pszName, LPDWORD pdwType, LPBYTE p, DWORD cb, LPDWORD pcb)
{
    ++g_nSpoolerCalls;
    return g_pfnGetPrinterData(h, pszName, pdwType, p, cb, pcb);
}

DWORD WINAPI CountedSetPrinterData(HANDLE h, LPSTR pszName, DWORD dwType, LPBYTE p, DWORD cb)
{
    ++g_nSpoolerCalls;
    return g_pfnSetPrinterData(h, pszName, dwType, p, cb);
}

// Points the module's import slot of pszDll!pszFunction at pfnNew; the slot's old target in
// *ppfnOld. False when the module imports no such function.
bool PatchImport(HMODULE hModule, const char* pszDll, const char* pszFunction, void* pfnNew, void** ppfnOld)
{
    BYTE* pBase = reinterpret_cast<BYTE*>(hModule);
    const IMAGE_NT_HEADERS* pNt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(pBase + reinterpret_cast<const IMAGE_DOS_HEADER*>(pBase)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* pImport = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + dir.VirtualAddress); pImport->Name;
         ++pImport) {
        if (lstrcmpiA(reinterpret_cast<const char*>(pBase + pImport->Name), pszDll) != 0 || !pImport->OriginalFirstThunk)
            continue;
        auto* pSlot = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pImport->FirstThunk);
        auto* pName = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pImport->OriginalFirstThunk);
        for (; pName->u1.AddressOfData; ++pName, ++pSlot) {
            if (IMAGE_SNAP_BY_ORDINAL(pName->u1.Ordinal))
                continue;
            auto* pByName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(pBase + pName->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(pByName->Name), pszFunction) != 0)
                continue;
            DWORD dwOld = 0;
            VirtualProtect(&pSlot->u1.Function, sizeof(pSlot->u1.Function), PAGE_READWRITE, &dwOld);
            *ppfnOld = reinterpret_cast<void*>(pSlot->u1.Function);
            pSlot->u1.Function = reinterpret_cast<ULONG_PTR>(pfnNew);
            VirtualProtect(&pSlot->u1.Function, sizeof(pSlot->u1.Function), dwOld, &dwOld);
            return true;
        }
    }
    return false;
}

// The printer-data calls the library made in one call of fn, averaged over nRounds calls.
double CallsPerCall(int nRounds, const std::function<void()>& fn)
{
    long nBefore = g_nSpoolerCalls;
    for (int i = 0; i < nRounds; ++i)
        fn();
    return double(g_nSpoolerCalls - nBefore) / nRounds;
}

}  // namespace

int main(int argc, char** argv)
{
    AddVectoredExceptionHandler(1, SwallowTrace);
    int nRounds = argc > 1 ? atoi(argv[1]) : 20;
    if (nRounds < 1)
        nRounds = 1;
    HMODULE hDll = LoadLibraryA("LmProfInst.dll");
    if (!hDll) {
        fprintf(stderr, "bench: cannot load LmProfInst.dll\n");
        return 1;
    }
    auto InitJxpApi = reinterpret_cast<BOOL(WINAPI*)(HWND, LPCSTR)>(reinterpret_cast<void*>(GetProcAddress(hDll, "InitJxpApi")));
    auto CloseJxpApi = reinterpret_cast<void(WINAPI*)(HWND, LPCSTR)>(reinterpret_cast<void*>(GetProcAddress(hDll, "CloseJxpApi")));
    auto Export = reinterpret_cast<int(WINAPI*)(LPCSTR, LPCSTR)>(reinterpret_cast<void*>(GetProcAddress(hDll, "ExportProfileToJxp")));
    auto List = reinterpret_cast<int(WINAPI*)(LPCSTR, LPSTR, LPSTR, LPSTR, int)>(
        reinterpret_cast<void*>(GetProcAddress(hDll, "GetProfileListFromJxp")));
    auto Import = reinterpret_cast<int(WINAPI*)(LPCSTR, LPSTR, int, BOOL)>(
        reinterpret_cast<void*>(GetProcAddress(hDll, "ImportProfileFromJxp")));
    if (!InitJxpApi || !CloseJxpApi || !Export || !List || !Import)
        return 1;
    bool bCounting = PatchImport(hDll, "winspool.drv", "GetPrinterDataA", reinterpret_cast<void*>(CountedGetPrinterData),
                                 reinterpret_cast<void**>(&g_pfnGetPrinterData)) &&
                     PatchImport(hDll, "winspool.drv", "SetPrinterDataA", reinterpret_cast<void*>(CountedSetPrinterData),
                                 reinterpret_cast<void**>(&g_pfnSetPrinterData));
    if (!bCounting)
        fprintf(stderr, "bench: the DLL's printer-data imports were not found; no call counts\n");
    // The profile holds a DEVMODE and ten values; with the index, the setup value and the list
    // that is what an export must read and an import must write.
    const int nProfileValues = 11;

    // A stored profile with a DEVMODE and ten values of 1 KB on the Laser printer.
    const char* pszPrinter = FIXTURE_PRINTER_A1;
    std::wstring wide(pszPrinter, pszPrinter + strlen(pszPrinter));
    {
        LMPROFJXP session(nullptr, wide.c_str(), nullptr);
        std::vector<BYTE> dm(session.m_pDefaultDevMode.get(), session.m_pDefaultDevMode.get() + session.m_dwDefaultDevModeSize);
        reinterpret_cast<DEVMODEW*>(dm.data())->dmCopies = 3;
        int nRegNum = int(session.GetProfRegNum("Bench"));
        if (nRegNum == 0)
            nRegNum = int(session.GetAvailableRegNum());
        session.SaveProfileRegValue("Bench", nRegNum, DEFAULT_DEVMODE_VALUE, dm.data(), DWORD(dm.size()), REG_BINARY);
        std::vector<BYTE> value(1024, 0x5A);
        for (int i = 0; i < 10; ++i)
            session.SaveProfileRegValue("Bench", nRegNum, ("Value" + std::to_string(i)).c_str(), value.data(), 1024, REG_BINARY);
        session.AddProfileToModel("Bench", "benchmark", 0, 0, DWORD(nRegNum));
    }
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    std::string file = std::string(szTemp) + "lmprof_bench.jxp";

    printf("LmProfInst benchmark, %d rounds per figure\n", nRounds);
    double msInit = MsPerCall(nRounds, [&] {
        InitJxpApi(nullptr, pszPrinter);
        CloseJxpApi(nullptr, pszPrinter);
    });
    double msInitRaw = MsPerCall(nRounds, [&] {
        HANDLE h = nullptr;
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        OpenPrinterW(const_cast<wchar_t*>(wide.c_str()), &h, &defaults);
        DocumentPropertiesW(nullptr, h, const_cast<wchar_t*>(wide.c_str()), nullptr, nullptr, 0);
        DWORD cb = 0;
        GetPrinterW(h, 2, nullptr, 0, &cb);
        std::vector<BYTE> info(cb);
        GetPrinterW(h, 2, info.data(), cb, &cb);
        GetPrinterDriverA(h, nullptr, 2, nullptr, 0, &cb);
        ClosePrinter(h);
    });
    Report("InitJxpApi + CloseJxpApi", msInit, "OpenPrinter, DocumentProperties, GetPrinter", msInitRaw);

    InitJxpApi(nullptr, pszPrinter);
    double msExport = MsPerCall(nRounds, [&] { Export("Bench", file.c_str()); });
    HANDLE hPrinter = nullptr;
    OpenPrinterA(const_cast<char*>(pszPrinter), &hPrinter, nullptr);
    DWORD cbFile = 0;
    {
        HANDLE hFile = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        cbFile = GetFileSize(hFile, nullptr);
        CloseHandle(hFile);
    }
    std::string rawFile = std::string(szTemp) + "lmprof_bench_raw.bin";
    double msExportRaw = MsPerCall(nRounds, [&] {
        std::vector<BYTE> all = ReadPrinterData(hPrinter, PROFILE_LIST_VALUE);
        ReadPrinterData(hPrinter, PROFILE_COUNT_VALUE);
        for (int i = 0; i < 12; ++i)
            ReadPrinterData(hPrinter, i == 0 ? "JXP_0001" : ("JXP_0001_Value" + std::to_string(i % 10)).c_str());
        std::vector<BYTE> bytes(cbFile, 1);
        HANDLE hFile = CreateFileA(rawFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD dw = 0;
        WriteFile(hFile, bytes.data(), cbFile, &dw, nullptr);
        CloseHandle(hFile);
    });
    Report("ExportProfileToJxp", msExport, "GetPrinterData x14, CreateFile, WriteFile", msExportRaw);
    if (bCounting) {
        double n = CallsPerCall(nRounds, [&] { Export("Bench", file.c_str()); });
        printf("    printer-data calls: %.1f per export, %.1f per value (floor: 14 per export)\n", n, n / nProfileValues);
    }

    char names[4][32], descriptions[4][512], models[4][128];
    double msList = MsPerCall(nRounds, [&] { List(file.c_str(), names[0], descriptions[0], models[0], 4); });
    double msListRaw = MsPerCall(nRounds, [&] {
        std::vector<BYTE> bytes(cbFile);
        HANDLE hFile = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD dw = 0;
        ReadFile(hFile, bytes.data(), 144 + 700, &dw, nullptr);
        CloseHandle(hFile);
    });
    Report("GetProfileListFromJxp", msList, "CreateFile, ReadFile of the headers", msListRaw);
    CloseJxpApi(nullptr, pszPrinter);

    // Imports into the Jet printer. A printer lists at most 25 profiles, so each round puts the
    // list back as it was; the raw figure pays for the same two writes.
    InitJxpApi(nullptr, FIXTURE_PRINTER_B1);
    HANDLE hJet = nullptr;
    PRINTER_DEFAULTSA admin = {nullptr, nullptr, PRINTER_ACCESS_ADMINISTER};
    OpenPrinterA(const_cast<char*>(FIXTURE_PRINTER_B1), &hJet, &admin);
    std::vector<BYTE> emptyList = ReadPrinterData(hJet, PROFILE_LIST_VALUE);
    DWORD dwCount = 0;
    {
        std::vector<BYTE> count = ReadPrinterData(hJet, PROFILE_COUNT_VALUE);
        memcpy(&dwCount, count.data(), count.size() >= 4 ? 4 : 0);
    }
    char cell[1][32] = {"Bench"};
    double msImport = MsPerCall(nRounds, [&] {
        Import(file.c_str(), cell[0], 1, FALSE);
        SetPrinterDataA(hJet, const_cast<char*>(PROFILE_LIST_VALUE), REG_BINARY, emptyList.data(),
                        dwCount * 556);
        SetPrinterDataA(hJet, const_cast<char*>(PROFILE_COUNT_VALUE), REG_DWORD, reinterpret_cast<BYTE*>(&dwCount), 4);
    });
    std::vector<BYTE> value(1024, 0x5A), devmode(1436, 1), index(11 * 268, 0);
    double msImportRaw = MsPerCall(nRounds, [&] {
        HANDLE hFile = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        std::vector<BYTE> bytes(cbFile);
        DWORD dw = 0;
        ReadFile(hFile, bytes.data(), cbFile, &dw, nullptr);
        CloseHandle(hFile);
        SetPrinterDataA(hJet, const_cast<char*>("LmBenchDevMode"), REG_BINARY, devmode.data(), DWORD(devmode.size()));
        for (int i = 0; i < 10; ++i)
            SetPrinterDataA(hJet, const_cast<char*>(("LmBench" + std::to_string(i)).c_str()), REG_BINARY, value.data(), 1024);
        SetPrinterDataA(hJet, const_cast<char*>("LmBenchIndex"), REG_BINARY, index.data(), DWORD(index.size()));
        SetPrinterDataA(hJet, const_cast<char*>(PROFILE_LIST_VALUE), REG_BINARY, emptyList.data(), dwCount * 556);
        SetPrinterDataA(hJet, const_cast<char*>(PROFILE_COUNT_VALUE), REG_DWORD, reinterpret_cast<BYTE*>(&dwCount), 4);
    });
    Report("ImportProfileFromJxp", msImport, "ReadFile, SetPrinterData x14", msImportRaw);
    if (bCounting) {
        double n = CallsPerCall(nRounds, [&] {
            Import(file.c_str(), cell[0], 1, FALSE);
            g_pfnSetPrinterData(hJet, const_cast<char*>(PROFILE_LIST_VALUE), REG_BINARY, emptyList.data(), dwCount * 556);
            g_pfnSetPrinterData(hJet, const_cast<char*>(PROFILE_COUNT_VALUE), REG_DWORD, reinterpret_cast<BYTE*>(&dwCount), 4);
        });
        printf("    printer-data calls: %.1f per import, %.1f per value (floor: 14 per import)\n", n, n / nProfileValues);
    }
    CloseJxpApi(nullptr, FIXTURE_PRINTER_B1);
    ClosePrinter(hJet);
    ClosePrinter(hPrinter);
    DeleteFileA(file.c_str());
    DeleteFileA(rawFile.c_str());
    FreeLibrary(hDll);
    return 0;
}
