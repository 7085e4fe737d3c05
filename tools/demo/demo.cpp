// The demo: the library's main job made visible. A profile stored on a printer of one model is
// exported to a ".jxp" file, the file is listed, and the profile is imported into a printer of
// another model and applied; the settings that changed on that printer are printed.
//
// demo.exe [--trace]      (run by demo.sh in a private prefix with the fixture printers)
#include <windows.h>

#include <winspool.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/lmprofjxp.h"
#include "fixture_names.h"

namespace {

constexpr DWORD DBG_PRINT = 0x40010006;
bool g_bShowTrace = false;

LONG CALLBACK PrintTrace(EXCEPTION_POINTERS* pInfo)
{
    const EXCEPTION_RECORD* pRec = pInfo->ExceptionRecord;
    if (pRec->ExceptionCode != DBG_PRINT)
        return EXCEPTION_CONTINUE_SEARCH;
    if (g_bShowTrace && pRec->NumberParameters >= 2 && pRec->ExceptionInformation[1])
        printf("    | %s", reinterpret_cast<const char*>(pRec->ExceptionInformation[1]));
    return EXCEPTION_CONTINUE_EXECUTION;
}

// The exported calls, taken from the DLL as a caller would.
struct Library {
    HMODULE h = nullptr;
    BOOL(WINAPI* InitJxpApi)(HWND, LPCSTR) = nullptr;
    void(WINAPI* CloseJxpApi)(HWND, LPCSTR) = nullptr;
    int(WINAPI* ExportProfileToJxp)(LPCSTR, LPCSTR) = nullptr;
    int(WINAPI* GetJxpFileListFromDirectory)(LPCSTR, LPSTR, int) = nullptr;
    int(WINAPI* GetProfileListFromJxp)(LPCSTR, LPSTR, LPSTR, LPSTR, int) = nullptr;
    BOOL(WINAPI* GetJxpFileDeviceModel)(LPCSTR, LPSTR) = nullptr;
    int(WINAPI* ImportProfileAsDefault)(LPCSTR, LPCSTR, BYTE) = nullptr;

    template <typename T>
    bool Get(T& pfn, const char* pszName)
    {
        pfn = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(h, pszName)));
        if (!pfn)
            fprintf(stderr, "demo: LmProfInst.dll lacks %s\n", pszName);
        return pfn != nullptr;
    }
    bool Load(const char* pszPath)
    {
        h = LoadLibraryA(pszPath);
        if (!h) {
            fprintf(stderr, "demo: cannot load %s (error %lu)\n", pszPath, GetLastError());
            return false;
        }
        return Get(InitJxpApi, "InitJxpApi") && Get(CloseJxpApi, "CloseJxpApi") &&
               Get(ExportProfileToJxp, "ExportProfileToJxp") &&
               Get(GetJxpFileListFromDirectory, "GetJxpFileListFromDirectory") &&
               Get(GetProfileListFromJxp, "GetProfileListFromJxp") &&
               Get(GetJxpFileDeviceModel, "GetJxpFileDeviceModel") &&
               Get(ImportProfileAsDefault, "ImportProfileAsDefault");
    }
};

std::vector<BYTE> PrinterDevMode(const char* pszPrinter)
{
    std::vector<BYTE> result;
    HANDLE h = nullptr;
    if (!OpenPrinterA(const_cast<char*>(pszPrinter), &h, nullptr))
        return result;
    DWORD cb = 0;
    GetPrinterW(h, 2, nullptr, 0, &cb);
    std::vector<BYTE> info(cb ? cb : 1);
    if (cb && GetPrinterW(h, 2, info.data(), cb, &cb)) {
        const DEVMODEW* pdm = reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->pDevMode;
        if (pdm)
            result.assign(reinterpret_cast<const BYTE*>(pdm), reinterpret_cast<const BYTE*>(pdm) + pdm->dmSize +
                                                                    pdm->dmDriverExtra);
    }
    ClosePrinter(h);
    return result;
}

WORD MainWord(const std::vector<BYTE>& dm, size_t off)
{
    const DEVMODEW* pdm = reinterpret_cast<const DEVMODEW*>(dm.data());
    WORD w = 0;
    memcpy(&w, dm.data() + pdm->dmSize + off, 2);
    return w;
}

void PutMainWord(std::vector<BYTE>& dm, size_t off, WORD w)
{
    const DEVMODEW* pdm = reinterpret_cast<const DEVMODEW*>(dm.data());
    memcpy(dm.data() + pdm->dmSize + off, &w, 2);
}

struct Setting {
    const char* pszName;
    int (*pfnRead)(const std::vector<BYTE>&);
};

const Setting kSettings[] = {
    {"orientation", [](const std::vector<BYTE>& d) { return int(reinterpret_cast<const DEVMODEW*>(d.data())->dmOrientation); }},
    {"paper size", [](const std::vector<BYTE>& d) { return int(reinterpret_cast<const DEVMODEW*>(d.data())->dmPaperSize); }},
    {"copies", [](const std::vector<BYTE>& d) { return int(reinterpret_cast<const DEVMODEW*>(d.data())->dmCopies); }},
    {"duplex", [](const std::vector<BYTE>& d) { return int(reinterpret_cast<const DEVMODEW*>(d.data())->dmDuplex); }},
    {"print size (paper list position)", [](const std::vector<BYTE>& d) { return int(MainWord(d, 376)); }},
    {"output bin (bin list position)", [](const std::vector<BYTE>& d) { return int(MainWord(d, 404)); }},
    {"brightness", [](const std::vector<BYTE>& d) { return int(short(MainWord(d, 486))); }},
    {"contrast", [](const std::vector<BYTE>& d) { return int(short(MainWord(d, 488))); }},
};

void PrintChanges(const std::vector<BYTE>& before, const std::vector<BYTE>& after)
{
    int nChanged = 0;
    for (const Setting& s : kSettings) {
        int a = s.pfnRead(before), b = s.pfnRead(after);
        if (a != b) {
            printf("    %-34s %6d -> %d\n", s.pszName, a, b);
            ++nChanged;
        }
    }
    if (nChanged == 0)
        printf("    (no setting changed)\n");
}

// The driver's own user interface stores profiles; the demo does the same through the
// library's profile store so that there is something to export.
bool StoreOfficeProfile(const char* pszPrinter, std::vector<BYTE>* pStored)
{
    // A session takes the printer's name in the form of its mode: 8-bit text on Windows 9x,
    // wide text on NT.
    std::wstring wide(pszPrinter, pszPrinter + strlen(pszPrinter));
    LMPROFJXP session(nullptr,
                      LMPROFJXP::SystemIsAnsi() ? static_cast<const void*>(pszPrinter)
                                                : static_cast<const void*>(wide.c_str()),
                      nullptr);
    std::vector<BYTE> dm = PrinterDevMode(pszPrinter);
    if (!session.IsComplete() || dm.empty())
        return false;
    DEVMODEW* pdm = reinterpret_cast<DEVMODEW*>(dm.data());
    pdm->dmOrientation = DMORIENT_LANDSCAPE;
    pdm->dmCopies = 2;
    pdm->dmDuplex = DMDUP_VERTICAL;
    PutMainWord(dm, 376, 1005);   // Legal, marked as a paper identifier: each printer maps it to its list
    PutMainWord(dm, 404, 1001);   // output bin 1
    PutMainWord(dm, 486, 12);
    PutMainWord(dm, 488, 7);
    DWORD nRegNum = session.GetAvailableRegNum();
    DWORD dwColor = 3;
    session.SaveProfileRegValue("Office", int(nRegNum), DEFAULT_DEVMODE_VALUE, dm.data(), DWORD(dm.size()), REG_BINARY);
    session.SaveProfileRegValue("Office", int(nRegNum), "ColorMode", reinterpret_cast<BYTE*>(&dwColor), 4, REG_DWORD);
    if (!session.AddProfileToModel("Office", "Duplex landscape Legal, 2 copies", 0, 0, nRegNum))
        return false;
    *pStored = dm;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    g_bShowTrace = argc > 1 && strcmp(argv[1], "--trace") == 0;
    AddVectoredExceptionHandler(1, PrintTrace);
    setvbuf(stdout, nullptr, _IONBF, 0);

    Library lib;
    if (!lib.Load("LmProfInst.dll"))
        return 1;
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    std::string folder = std::string(szTemp) + "LmProfInst demo";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string file = folder + "\\office.jxp";
    DeleteFileA(file.c_str());

    printf("1. A profile \"Office\" is stored on \"%s\" (%s):\n", FIXTURE_PRINTER_A2, FIXTURE_MODEL_A);
    std::vector<BYTE> before = PrinterDevMode(FIXTURE_PRINTER_A2), stored;
    if (!StoreOfficeProfile(FIXTURE_PRINTER_A2, &stored)) {
        fprintf(stderr, "demo: the profile could not be stored\n");
        return 1;
    }
    PrintChanges(before, stored);

    printf("2. Exported with ExportProfileToJxp to %s\n", file.c_str());
    lib.InitJxpApi(nullptr, FIXTURE_PRINTER_A2);
    int nExported = lib.ExportProfileToJxp("Office", file.c_str());
    lib.CloseJxpApi(nullptr, FIXTURE_PRINTER_A2);
    printf("    profiles written: %d\n", nExported);

    printf("3. Listed:\n");
    char files[4][260] = {};
    int nFiles = lib.GetJxpFileListFromDirectory(folder.c_str(), files[0], 4);
    printf("    GetJxpFileListFromDirectory: %d file(s), first \"%s\"\n", nFiles, files[0]);
    lib.InitJxpApi(nullptr, FIXTURE_PRINTER_B1);
    char names[4][32] = {}, descriptions[4][512] = {}, models[4][128] = {}, model[128] = "";
    int nProfiles = lib.GetProfileListFromJxp(file.c_str(), names[0], descriptions[0], models[0], 4);
    for (int i = 0; i < nProfiles && i < 4; ++i)
        printf("    GetProfileListFromJxp: \"%s\" - %s (for %s)\n", names[i], descriptions[i], models[i]);
    lib.GetJxpFileDeviceModel(file.c_str(), model);
    printf("    GetJxpFileDeviceModel: %s\n", model);

    printf("4. Imported into \"%s\" (%s) and applied: ImportProfileAsDefault(flags 4)\n", FIXTURE_PRINTER_B1,
           FIXTURE_MODEL_B);
    std::vector<BYTE> jetBefore = PrinterDevMode(FIXTURE_PRINTER_B1);
    int nImported = lib.ImportProfileAsDefault(file.c_str(), "Office", 4);
    lib.CloseJxpApi(nullptr, FIXTURE_PRINTER_B1);
    std::vector<BYTE> jetAfter = PrinterDevMode(FIXTURE_PRINTER_B1);
    printf("    imported: %d; settings changed on the printer:\n", nImported);
    PrintChanges(jetBefore, jetAfter);
    FreeLibrary(lib.h);
    return nExported == 1 && nImported == 1 ? 0 : 1;
}
