/* A vendor's program in plain C: includes only LmProfInst.h, links only the DLL's import
 * library (and the spooler's, for its own scratch printers), and moves a profile between two
 * printers of the fixture models through the exports. One line per check; exit code 0 only
 * when every check passed. */
#include <windows.h>
#include <winspool.h>
#include <stdio.h>
#include <string.h>

#include "LmProfInst.h"

/* The fixture drivers the test prefix installs. */
#define MODEL_LASER "LM Fixture Laser 2100"
#define MODEL_JET "LM Fixture Jet 900"
#define PRINTER_1 "LmProfInst caller Laser"
#define PRINTER_2 "LmProfInst caller Jet"

static int g_nPassed, g_nFailed;

/* Every export by its PFN_ type: a typedef that disagrees with its declaration does not
 * compile, and a declaration whose stack size disagrees with the DLL does not link. Only
 * some are called below; the others show windows, apply settings or remove packages. */
const struct {
    PFN_InitJxpApi a; PFN_InitJxpApiW b; PFN_CloseJxpApi c; PFN_GetJxpFileListFromDirectory d;
    PFN_GetProfileListFromJxp e; PFN_GetJxpFileDeviceModel f; PFN_ExportProfileToJxp g;
    PFN_ImportProfileFromJxp h; PFN_ImportProfileFromJxpW i; PFN_ImportProfileAsDefault j;
    PFN_LmProfInst k; PFN_LmPatch l; PFN_LmCheckCondition m; PFN_LmRunModuleCount n;
    PFN_LmRunGetModuleStrings o; PFN_LmProfileWizard p; PFN_LmProfileInstall q; PFN_LmRemovePackage r;
} g_exports = {InitJxpApi, InitJxpApiW, CloseJxpApi, GetJxpFileListFromDirectory, GetProfileListFromJxp,
               GetJxpFileDeviceModel, ExportProfileToJxp, ImportProfileFromJxp, ImportProfileFromJxpW,
               ImportProfileAsDefault, LmProfInst, LmPatch, LmCheckCondition, LmRunModuleCount,
               LmRunGetModuleStrings, LmProfileWizard, LmProfileInstall, LmRemovePackage};

static void Check(int bOk, const char* pszWhat, long lGot)
{
    printf("%s: %s (got %ld)\n", bOk ? "ok" : "FAILED", pszWhat, lGot);
    if (bOk) ++g_nPassed; else ++g_nFailed;
}

static BOOL AddScratchPrinter(const char* pszName, const char* pszModel)
{
    PRINTER_INFO_2A info;
    HANDLE h;
    memset(&info, 0, sizeof(info));
    info.pPrinterName = (LPSTR)pszName;
    info.pPortName = (LPSTR)"NUL:";
    info.pDriverName = (LPSTR)pszModel;
    info.pPrintProcessor = (LPSTR)"winprint";
    info.pDatatype = (LPSTR)"RAW";
    h = AddPrinterA(NULL, 2, (BYTE*)&info);
    if (h) ClosePrinter(h);
    return h != NULL;
}

static void DeleteScratchPrinter(const char* pszName)
{
    PRINTER_DEFAULTSA defaults = {NULL, NULL, PRINTER_ALL_ACCESS};
    HANDLE h = NULL;
    if (OpenPrinterA((LPSTR)pszName, &h, &defaults)) {
        DeletePrinter(h);
        ClosePrinter(h);
    }
}

static void Put32(BYTE* p, DWORD dw) { memcpy(p, &dw, 4); }
static DWORD Get32(const BYTE* p) { DWORD dw; memcpy(&dw, p, 4); return dw; }

/* A file as another machine would have exported it: one profile "Seed" of the Laser model
 * with 3 copies (DWORD record 11) and a value "Tray". */
static BOOL WriteSeedFile(const char* pszPath)
{
    static BYTE file[144 + 700 + 8 + 268 + 4];
    BYTE* pEntry = file + 144;
    BYTE* pValue = pEntry + 700 + 8;
    HANDLE h;
    DWORD cb = 0;
    memcpy(file, "JXP", 4);
    file[10] = 0x09;
    file[12] = 1;
    strcpy((char*)file + 16, MODEL_LASER);
    strcpy((char*)pEntry, "Seed");
    strcpy((char*)pEntry + 40, "Three copies, tray 2");
    Put32(pEntry + 556, 8);
    Put32(pEntry + 564, 268 + 4);
    strcpy((char*)pEntry + 572, MODEL_LASER);
    Put32(pEntry + 700, 11);
    Put32(pEntry + 704, 3);
    strcpy((char*)pValue, "Tray");
    Put32(pValue + 260, REG_DWORD);
    Put32(pValue + 264, 4);
    Put32(pValue + 268, 2);
    h = CreateFileA(pszPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) return FALSE;
    WriteFile(h, file, sizeof(file), &cb, NULL);
    CloseHandle(h);
    return cb == sizeof(file);
}

/* The value of DWORD record dwId of the file's first profile, or -1 when it holds none. */
static long FirstProfileDword(const char* pszPath, DWORD dwId)
{
    static BYTE file[65536];
    DWORD cb = 0, off, end;
    HANDLE h = CreateFileA(pszPath, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) return -1;
    ReadFile(h, file, sizeof(file), &cb, NULL);
    CloseHandle(h);
    if (cb < 844) return -1;
    end = 844 + Get32(file + 144 + 556);
    for (off = 844; off + 8 <= end && off + 8 <= cb; off += 8)
        if (Get32(file + off) == dwId) return (long)Get32(file + off + 4);
    return -1;
}

static void PutText(LMSETUPDATA* pSetup, DWORD off, const char* psz) { strcpy((char*)pSetup->abData + off, psz); }

int main(void)
{
    static LMSETUPDATA setup;
    char szDir[MAX_PATH], szSeed[MAX_PATH], szOut[MAX_PATH], szJet[MAX_PATH], szNone[MAX_PATH], szFd[MAX_PATH];
    WCHAR wszOut[MAX_PATH];
    char files[4][LMPROF_PATH_CELL], names[4][LMPROF_NAME_CELL], model[LMPROF_MODEL_CELL];
    char descriptions[4][LMPROF_DESCRIPTION_CELL], models[4][LMPROF_MODEL_CELL];
    char asked[2][LMPROF_NAME_CELL] = {"Seed", "Absent"};
    int n;

    GetTempPathA(MAX_PATH, szDir);
    strcat(szDir, "LmProfInst caller");
    CreateDirectoryA(szDir, NULL);
    sprintf(szSeed, "%s\\seed.jxp", szDir);
    sprintf(szOut, "%s\\Laser Seed.jxp", szDir);
    sprintf(szJet, "%s\\jet.jxp", szDir);
    sprintf(szNone, "%s\\none.jxp", szDir);
    sprintf(szFd, "%s\\factory.jxp", szDir);
    MultiByteToWideChar(CP_ACP, 0, szOut, -1, wszOut, MAX_PATH);
    if (!AddScratchPrinter(PRINTER_1, MODEL_LASER) || !AddScratchPrinter(PRINTER_2, MODEL_JET) ||
        !WriteSeedFile(szSeed)) {
        printf("caller: cannot set up printers or files - %lu\n", GetLastError());
        DeleteScratchPrinter(PRINTER_1);
        return 2;
    }

    memset(files, '#', sizeof(files));
    n = GetJxpFileListFromDirectory(szDir, files[0], 4);
    Check(n == 1 && strcmp(files[0], "seed.jxp") == 0 && files[1][0] == '#', "folder lists seed.jxp only", n);

    n = InitJxpApi(NULL, PRINTER_1);
    Check(n == TRUE, "InitJxpApi " PRINTER_1, n);
    n = GetJxpFileDeviceModel(szSeed, model);
    Check(n && strcmp(model, MODEL_LASER) == 0, "seed model is the Laser", n);
    memset(names, '#', sizeof(names));
    n = GetProfileListFromJxp(szSeed, names[0], descriptions[0], models[0], 4);
    Check(n == 1 && strcmp(names[0], "Seed") == 0 && strcmp(descriptions[0], "Three copies, tray 2") == 0 &&
              strcmp(models[0], MODEL_LASER) == 0 && names[1][0] == '#',
          "seed lists Seed with its description and model", n);
    n = ImportProfileFromJxp(szSeed, asked[0], 2, FALSE);
    Check(n == 1, "import of Seed and Absent counts Seed only", n);
    n = ExportProfileToJxp("Seed", szOut);
    Check(n == 1 && FirstProfileDword(szOut, 11) == 3, "export carries the 3 copies", FirstProfileDword(szOut, 11));
    n = ExportProfileToJxp("seed", szNone);
    Check(n == 0 && GetProfileListFromJxp(szNone, NULL, NULL, NULL, 0) == 0, "export of an unlisted name writes none", n);
    n = GetProfileListFromJxp("no such folder\\x.jxp", names[0], NULL, NULL, 4);
    Check(n == -1, "a missing file cannot be listed", n);
    CloseJxpApi(NULL, NULL);

    n = InitJxpApiW(NULL, L"" PRINTER_2);
    Check(n == TRUE, "InitJxpApiW " PRINTER_2, n);
    n = ImportProfileFromJxpW(wszOut, asked[0], 1, TRUE);
    Check(n == 1, "wide import of the Laser's file into the Jet", n);
    n = ExportProfileToJxp("Seed", szJet);
    Check(n == 1 && GetJxpFileDeviceModel(szJet, model) && strcmp(model, MODEL_JET) == 0,
          "the Jet's export names the Jet", n);
    Check(FirstProfileDword(szJet, 11) == 3, "the Jet kept the 3 copies", FirstProfileDword(szJet, 11));
    n = ImportProfileAsDefault(szJet, "Absent", LMPROF_IMPORT_AS_DEFAULT);
    Check(n == 0, "as default: a name not in the file imports nothing", n);
    n = ImportProfileAsDefault(szJet, "Seed", LMPROF_IMPORT_AS_DEFAULT);
    Check(n == 1 && ExportProfileToJxp(LMPROF_FACTORY_DEFAULT, szFd) == 1 && FirstProfileDword(szFd, 11) == 3,
          "as default: Factory Default holds the 3 copies", n);
    CloseJxpApi(NULL, NULL);
    n = GetJxpFileDeviceModel(szJet, model);
    Check(n == FALSE, "no session, no model", n);
    n = GetJxpFileListFromDirectory(szDir, NULL, 0);
    Check(n == 5, "the folder now counts five files", n);

    /* The installer's calls, with the block a driver installer fills (no LmProfInst.ini in
     * the source folder, so no profile is offered and no page shown). */
    PutText(&setup, LMPROF_SETUPDATA_TITLE, "Caller setup");
    PutText(&setup, LMPROF_SETUPDATA_PRINTER_NAME, PRINTER_1);
    PutText(&setup, LMPROF_SETUPDATA_PRINTER_MODEL, MODEL_LASER);
    MultiByteToWideChar(CP_ACP, 0, szDir, -1, (WCHAR*)(setup.abData + LMPROF_SETUPDATA_SOURCE_FOLDER),
                        LMPROF_SETUPDATA_TEXT_CELL);
    Put32(setup.abData + LMPROF_SETUPDATA_OS_KIND, LMPROF_OSKIND_WINXP);
    Put32(setup.abData + LMPROF_SETUPDATA_LANGUAGE, 0x0409);
    Put32(setup.abData + LMPROF_SETUPDATA_CODE_PAGE, 1252);
    Put32(setup.abData + LMPROF_SETUPDATA_NO_SLOT_RESULT, 7);
    n = LmCheckCondition(&setup);
    Check(n == 1, "the Laser's driver 2.1 qualifies", n);
    PutText(&setup, LMPROF_SETUPDATA_PRINTER_NAME, PRINTER_2);
    n = LmCheckCondition(&setup);
    Check(n == 0, "the Jet's driver 2.0 does not", n);
    /* The page's package object lives until the DLL unloads: it gets a printer it cannot
     * open, so no handle keeps the scratch printers from being deleted. */
    PutText(&setup, LMPROF_SETUPDATA_PRINTER_NAME, "No such printer");
    n = LmProfileWizard(NULL, 0, &setup);
    Check(n == 7, "nothing offered: the block's own answer", n);
    n = LmRunModuleCount(0) + LmRunGetModuleStrings(0, 0);
    Check(n == 0, "nothing ticked", n);

    DeleteFileA(szSeed); DeleteFileA(szOut); DeleteFileA(szJet); DeleteFileA(szNone); DeleteFileA(szFd);
    RemoveDirectoryA(szDir);
    DeleteScratchPrinter(PRINTER_1);
    DeleteScratchPrinter(PRINTER_2);
    printf("caller: %d passed, %d failed\n", g_nPassed, g_nFailed);
    return g_nFailed == 0 ? 0 : 1;
}
