// The installer package object: the common profiles "LmProfInst.ini" offers for the printer
// being set up, the session that imports them and the language texts of the installer's pages.
#pragma once
#include <windows.h>

#include <memory>

#include "core/lmprofjxp.h"
#include "installer/setupdata.h"
#include "ui/lmlangsprt.h"

class UNINSTINFO;

// One offered profile slot.
struct PROFENTRY {
    char szProfileName[260];        // "Prof%d": the profile's name inside its file
    char szProfileFile[MAX_PATH];   // the file, 8-bit (ANSI mode)
    wchar_t wszProfileFile[MAX_PATH];   // the file, UTF-16 (wide mode): a whole path, never cut
    char szDisplayName[260];        // "ProfName%d"
    char szDescription[260];        // "ProfDesc%d"
    DWORD dwSelected;               // bit 0: ticked on the wizard page
};

class LMPROFINST {
public:
    // pSetup may be null (the package removal builds the object that way): nothing is then
    // read through it and the defaults below apply. cbSetup: the bytes of the block the caller
    // vouches for; nothing outside them is read.
    LMPROFINST(HWND hParent, HINSTANCE hModule, SETUPDATA* pSetup, size_t cbSetup = setupdata::BLOCK_SIZE);
    ~LMPROFINST();
    LMPROFINST(const LMPROFINST&) = delete;
    LMPROFINST& operator=(const LMPROFINST&) = delete;

    void InitMembers();
    // Multibyte-aware: a trail byte that equals ',' is no separator.
    static bool IsModelInList(const char* pszModel, const char* pszList, UINT uCodePage);
    DWORD ImportEntry(int nIndex);
    DWORD ImportSelected();
    int CheckCondition();
    int CountSelected() const;
    // Runs the removal lists of the package recorded at install time; always 1.
    int RemovePackage();

    // The profile selection wizard page: shows it (or skips it when nothing is offered) and
    // answers -1 Back, 1 Next, 0 Cancel.
    int RunWizardPage(SETUPDATA* pSetup, size_t cbSetup = setupdata::BLOCK_SIZE);
    // Imports the ticked entries under the status box; always 1.
    int InstallProfiles(SETUPDATA* pSetup, size_t cbSetup = setupdata::BLOCK_SIZE);
    // Handlers of the page's dialog procedure; their answers are the dialog procedure's.
    BOOL OnInit(HWND hPage);
    BOOL OnCommand(HWND hPage, int nId);
    BOOL OnNotify(HWND hPage, const NMHDR* pHdr);
    BOOL OnDrawItem(HWND hPage, const DRAWITEMSTRUCT* pDraw);
    BOOL OnMeasureItem(HWND hPage, MEASUREITEMSTRUCT* pMeasure);
    BOOL OnPaint(HWND hPage);
    BOOL OnMove(HWND hPage);
    BOOL OnDestroy(HWND hPage);

    // The string table resource for an installation language.
    static int LanguageTable(DWORD dwLanguage);

    HWND m_hParent;
    HWND m_hPage;
    HINSTANCE m_hModule;
    DWORD m_dwOsKind;
    bool m_bAnsi;
    char m_szPrinterName[260];
    char m_szSourceFolder[MAX_PATH];      // wide mode: empty when the 8-bit form does not fit
    wchar_t m_wszSourceFolder[MAX_PATH];
    HWND m_hList;
    std::unique_ptr<LMLANGSPRT> m_pLang;
    std::unique_ptr<PROFENTRY[]> m_pEntries;
    int m_nEntries;
    setupdata::Block m_setup;   // the block of the latest entry-point call
    std::unique_ptr<LMPROFJXP> m_pSession;
    HFONT m_hBodyFont;
    HFONT m_hTitleFont;
    UINT m_uCodePage;
    UNINSTINFO* m_pUninstInfo;

private:
    DWORD Language() const;
    // The entry a list row stands for (each row carries its entry's index), or null.
    PROFENTRY* EntryOfRow(int nRow) const;
    void ClearListSelection();
    char m_szPrinterModel[260];
};

// The package object the latest constructor built (the wizard page's dialog uses it), and the
// one LmProfileWizard keeps for the calls that follow it.
extern LMPROFINST* g_pCurrentPackage;
extern LMPROFINST* g_pWizardPackage;
void DestroyWizardPackage();

INT_PTR CALLBACK ProfInstDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
