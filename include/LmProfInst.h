/*
 * LmProfInst.h - the calls of LmProfInst.dll, for the programs of a printer driver's vendor.
 *
 * Plain C (also valid C++). Link with the DLL's import library, or look the calls up with
 * GetProcAddress through the PFN_ types below. Every call uses the standard Windows calling
 * convention (WINAPI); text arguments are ANSI unless the name ends in W. The calls are meant
 * for one thread at a time: the exchange calls share one process-wide session.
 *
 * Failures are plain results (FALSE, 0, -1, a count); no call raises an error or sets one for
 * the caller. The reason goes to the library's trace (the debugger output stream), which
 * InitJxpApi switches on and the REG_DWORD value "Debug" under
 * HKEY_LOCAL_MACHINE\Software\Norvane Sello\ZeVere32 switches on for every call.
 *
 * DllMain is exported as well; callers never call it.
 */
#ifndef LMPROFINST_H
#define LMPROFINST_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- cells ------------------------------------------------------------------------------ */
/* Lists travel in arrays of fixed-size ANSI cells, back to back, each cell zero-terminated;
 * the caller owns the array and passes how many cells it holds. */
#define LMPROF_NAME_CELL        32   /* profile name, at most 31 characters */
#define LMPROF_DESCRIPTION_CELL 512  /* profile description */
#define LMPROF_MODEL_CELL       128  /* device model (the printer's driver name) */
#define LMPROF_PATH_CELL        260  /* file or folder name; paths must be shorter */
#define LMPROF_PRINTER_NAME_MAX 259  /* longest printer name InitJxpApi takes */

/* A printer keeps "Factory Default" (registry number 0) and at most this many profiles of its
 * user's (registry numbers 1 to 25); an import into a full printer is skipped. */
#define LMPROF_MAX_PROFILES     25
#define LMPROF_FACTORY_DEFAULT  "Factory Default"

/* Flags of ImportProfileAsDefault. */
#define LMPROF_IMPORT_AS_DEFAULT 0x01 /* store as "Factory Default" instead of a listed profile */
#define LMPROF_IMPORT_SETUP      0x02 /* also write the file's setup record to "Setup" */
#define LMPROF_IMPORT_APPLY      0x04 /* then make the stored profile the printer's settings */

/* ---- the installer's block -------------------------------------------------------------- */
/* The driver installer owns the block and fills it; the library reads the fields below in
 * place and writes back only the wizard page's position. Offsets in bytes; integers are
 * 32-bit little-endian, and handles are stored as 32-bit values also in a 64-bit caller. */
#define LMPROF_SETUPDATA_SIZE           17804
#define LMPROF_SETUPDATA_TEXT_CELL      260
#define LMPROF_SETUPDATA_TITLE          0      /* ANSI: wizard title, message box caption */
#define LMPROF_SETUPDATA_PRINTER_NAME   260    /* ANSI: the printer being set up */
#define LMPROF_SETUPDATA_PRINTER_MODEL  780    /* ANSI: model, matched with LmProfInst.ini */
#define LMPROF_SETUPDATA_SOURCE_FOLDER  5396   /* 260 characters: ANSI when the OS kind is
                                                  16 or less, UTF-16 otherwise */
#define LMPROF_SETUPDATA_OS_KIND        17752  /* one of LMPROF_OSKIND_... */
#define LMPROF_SETUPDATA_LEFT           17756  /* wizard page position (screen coordinates), */
#define LMPROF_SETUPDATA_TOP            17760  /*   updated when the user moves the page */
#define LMPROF_SETUPDATA_NO_SLOT_RESULT 17764  /* LmProfileWizard's result when nothing is offered */
#define LMPROF_SETUPDATA_LANGUAGE       17768  /* language identifier (LANGID) of the installation */
#define LMPROF_SETUPDATA_TRACE          17772  /* 1 byte: non-zero forces the trace on */
#define LMPROF_SETUPDATA_LOGO           17780  /* HBITMAP drawn in the page's header */
#define LMPROF_SETUPDATA_TITLE_FONT     17784  /* HFONT of the header title */
#define LMPROF_SETUPDATA_BODY_FONT      17788  /* HFONT of the list, buttons and status box */
#define LMPROF_SETUPDATA_CODE_PAGE      17800  /* code page of every ANSI text of the block */

/* OS kinds: 16 or less is the Windows 9x family (ANSI texts). */
#define LMPROF_OSKIND_LAST_ANSI 16
#define LMPROF_OSKIND_WIN95     1
#define LMPROF_OSKIND_WIN98     2
#define LMPROF_OSKIND_WINME     3
#define LMPROF_OSKIND_NT4       17
#define LMPROF_OSKIND_WIN2K     18
#define LMPROF_OSKIND_WINXP     19   /* and every version no other code names */
#define LMPROF_OSKIND_NT52      20
#define LMPROF_OSKIND_VISTA     21
#define LMPROF_OSKIND_WIN7      23

typedef struct LMSETUPDATA {
    BYTE abData[LMPROF_SETUPDATA_SIZE];
} LMSETUPDATA;

/* LmProfileWizard's answers. */
#define LMPROF_WIZARD_BACK   (-1)
#define LMPROF_WIZARD_CANCEL 0
#define LMPROF_WIZARD_NEXT   1

/* ---- the exchange session --------------------------------------------------------------- */
/* Opens the process-wide session for a printer (destroying an earlier one). FALSE for a
 * missing name, a name of 260 characters or more, or when the Windows version cannot be
 * read; TRUE otherwise, also for a printer that cannot be opened (later calls then fail). */
BOOL WINAPI InitJxpApi(HWND hWnd, LPCSTR pszPrinterName);
BOOL WINAPI InitJxpApiW(HWND hWnd, LPCWSTR pwszPrinterName);
/* Destroys the session; both arguments are ignored. Harmless without a session. */
void WINAPI CloseJxpApi(HWND hWnd, LPCSTR pszPrinterName);

/* ---- listing ---------------------------------------------------------------------------- */
/* Number of ".jxp" files in the folder, also those beyond nCells; fills up to nCells name
 * cells (LMPROF_PATH_CELL each; pFileCells may be NULL to count). 0 when the folder is
 * missing or cannot be searched. Needs no session. */
int WINAPI GetJxpFileListFromDirectory(LPCSTR pszFolder, LPSTR pFileCells, int nCells);
/* The file's profile count; fills up to nCells cells of each array given (names
 * LMPROF_NAME_CELL, descriptions LMPROF_DESCRIPTION_CELL, models LMPROF_MODEL_CELL; each may
 * be NULL). -1 when the file cannot be opened; 0 when it is no profile file, or without a
 * session. A damaged entry ends the list: the result is then the number of whole entries. */
int WINAPI GetProfileListFromJxp(LPCSTR pszPath, LPSTR pNames, LPSTR pDescriptions, LPSTR pModels, int nCells);
/* Copies the file's device model into pszModel (LMPROF_MODEL_CELL bytes). FALSE when the file
 * cannot be opened, its model field is unterminated, or without a session. */
BOOL WINAPI GetJxpFileDeviceModel(LPCSTR pszPath, LPSTR pszModel);

/* ---- export and import ------------------------------------------------------------------ */
/* Writes the session printer's stored profile into a new file (an existing one is replaced).
 * 1 when the profile was written; 0 when it is not listed (the file then holds a header with
 * no profile), the file cannot be created, or without a session. Names are case-sensitive. */
int WINAPI ExportProfileToJxp(LPCSTR pszProfile, LPCSTR pszPath);
/* Imports the profiles named in pNames (nCells cells of LMPROF_NAME_CELL, ANSI also in the W
 * form) as new listed profiles of the session's printer. Result: how many names brought in at
 * least one profile; 0 for a missing file or one without the magic, names not in the file,
 * or a full printer. bImportSetup non-zero also writes each setup record to "Setup". */
int WINAPI ImportProfileFromJxp(LPCSTR pszPath, LPSTR pNames, int nCells, BOOL bImportSetup);
int WINAPI ImportProfileFromJxpW(LPCWSTR pwszPath, LPSTR pNames, int nCells, BOOL bImportSetup);
/* Imports one profile with LMPROF_IMPORT_... flags. 1 when it was imported, else 0. With
 * LMPROF_IMPORT_APPLY the stored profile ("Factory Default" with LMPROF_IMPORT_AS_DEFAULT) is
 * applied whatever the import gave; a listed profile that is not there is not applied. */
int WINAPI ImportProfileAsDefault(LPCSTR pszPath, LPCSTR pszProfile, BYTE bFlags);

/* ---- rundll32 entries ------------------------------------------------------------------- */
/* rundll32 LmProfInst.dll,LmProfInst "printer" "file.jxp" profile
 * rundll32 LmProfInst.dll,LmPatch "printer" any "folder"     (imports "Default" from
 *                                                          folder\<printer's model>.jxp)
 * Import as the printer's default, with the setup record, and apply, when the file's model
 * equals the printer's driver name (ignoring case). Nothing is returned. */
void WINAPI LmProfInst(HWND hWnd, HINSTANCE hInstance, LPSTR pszCmdLine, int nCmdShow);
void WINAPI LmPatch(HWND hWnd, HINSTANCE hInstance, LPSTR pszCmdLine, int nCmdShow);

/* ---- the driver installer's calls --------------------------------------------------------- */
/* 1 when the printer's installed driver has a configuration module of version 2.1 or later;
 * 0 otherwise (no block, no such printer, no driver, no version resource). */
int WINAPI LmCheckCondition(LMSETUPDATA* pSetup);
/* Number of profiles ticked on the latest wizard page; 0 without one. The arguments are not
 * used, and nothing is written through them. */
int WINAPI LmRunModuleCount(DWORD dwUnused);
int WINAPI LmRunGetModuleStrings(DWORD dwUnused1, DWORD dwUnused2);
/* Shows the profile selection page: LMPROF_WIZARD_BACK, _NEXT or _CANCEL, or the block's
 * LMPROF_SETUPDATA_NO_SLOT_RESULT value when no profile of LmProfInst.ini applies (nothing is
 * shown then). 0 without a block. */
int WINAPI LmProfileWizard(HWND hParent, DWORD dwUnused, LMSETUPDATA* pSetup);
/* Imports the profiles ticked on the latest page under a status box. Always 1. */
int WINAPI LmProfileInstall(DWORD dwUnused1, DWORD dwUnused2, LMSETUPDATA* pSetup);
/* rundll32 LmProfInst.dll,LmRemovePackage - removes the package the installer recorded under
 * HKEY_LOCAL_MACHINE\Software\Norvane Sello\ZeVere32 "UninstallKey". Arguments unused;
 * always 1. */
int WINAPI LmRemovePackage(HWND hWnd, HINSTANCE hInstance, LPSTR pszCmdLine, int nCmdShow);

/* ---- for GetProcAddress ------------------------------------------------------------------- */
typedef BOOL (WINAPI *PFN_InitJxpApi)(HWND, LPCSTR);
typedef BOOL (WINAPI *PFN_InitJxpApiW)(HWND, LPCWSTR);
typedef void (WINAPI *PFN_CloseJxpApi)(HWND, LPCSTR);
typedef int (WINAPI *PFN_GetJxpFileListFromDirectory)(LPCSTR, LPSTR, int);
typedef int (WINAPI *PFN_GetProfileListFromJxp)(LPCSTR, LPSTR, LPSTR, LPSTR, int);
typedef BOOL (WINAPI *PFN_GetJxpFileDeviceModel)(LPCSTR, LPSTR);
typedef int (WINAPI *PFN_ExportProfileToJxp)(LPCSTR, LPCSTR);
typedef int (WINAPI *PFN_ImportProfileFromJxp)(LPCSTR, LPSTR, int, BOOL);
typedef int (WINAPI *PFN_ImportProfileFromJxpW)(LPCWSTR, LPSTR, int, BOOL);
typedef int (WINAPI *PFN_ImportProfileAsDefault)(LPCSTR, LPCSTR, BYTE);
typedef void (WINAPI *PFN_LmProfInst)(HWND, HINSTANCE, LPSTR, int);
typedef void (WINAPI *PFN_LmPatch)(HWND, HINSTANCE, LPSTR, int);
typedef int (WINAPI *PFN_LmCheckCondition)(LMSETUPDATA*);
typedef int (WINAPI *PFN_LmRunModuleCount)(DWORD);
typedef int (WINAPI *PFN_LmRunGetModuleStrings)(DWORD, DWORD);
typedef int (WINAPI *PFN_LmProfileWizard)(HWND, DWORD, LMSETUPDATA*);
typedef int (WINAPI *PFN_LmProfileInstall)(DWORD, DWORD, LMSETUPDATA*);
typedef int (WINAPI *PFN_LmRemovePackage)(HWND, HINSTANCE, LPSTR, int);

#ifdef __cplusplus
}
#endif

#endif /* LMPROFINST_H */
