// Support of the GUI tests: the built DLL's installer calls, an installer's block, the page's
// windows driven by messages from the test thread, and screenshots taken by the harness.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "installer/setupdata.h"
#include "test_support.h"

struct WizardDll {
    HMODULE hModule = nullptr;
    int(WINAPI* LmProfileWizard)(HWND, DWORD, SETUPDATA*) = nullptr;
    int(WINAPI* LmProfileInstall)(DWORD, DWORD, SETUPDATA*) = nullptr;
    int(WINAPI* LmRunModuleCount)(DWORD) = nullptr;
};
// Loads <build>/LmProfInst.dll; false, with the reason, when it or an export is missing.
bool LoadWizardDll(std::string* pWhy);
const WizardDll& Wizard();

// LmProfileWizard on a thread of its own, as the installer's thread, while the test thread
// plays the user.
class WizardRun {
public:
    explicit WizardRun(SETUPDATA* pSetup);
    ~WizardRun();
    // The page once it is shown with its list filled (null after the time).
    HWND WaitPage(DWORD dwMs = 10000);
    // True when the call returned within the time; its answer in Result().
    bool Join(DWORD dwMs = 10000);
    int Result() const { return m_nResult; }

private:
    static DWORD WINAPI Proc(LPVOID p);
    SETUPDATA* m_pSetup;
    HANDLE m_hThread;
    DWORD m_dwThreadId;
    volatile LONG m_nResult;
};

// A window of class #32770 on the thread other than hExcept (the cancel confirmation), or
// null after the time.
HWND WaitMessageBox(HWND hOwner, DWORD dwMs = 10000);
std::wstring WindowTextW(HWND h);
// The text of the box's static control that holds its message.
std::wstring MessageBoxText(HWND hBox);

// The user's actions on the page's list.
void ClickRow(HWND hList, int nRow);
void PressKey(HWND hList, WORD wKey);
std::string RowText(HWND hList, int nRow, int nColumn);
// Whether the row's check box shows the tick (read from the drawn pixels).
enum class Check { Empty, Ticked, NotDrawn };
Check RowCheck(HWND hList, int nRow);
// A pixel of the row's background, right of its texts.
COLORREF RowBackground(HWND hList, int nRow);

// The X screen as a screenshot saw it, read back from the 24-bit BMP the harness writes beside
// the PNG: what reached the screen, not what a window would paint into a bitmap of ours.
class ScreenImage {
public:
    bool Load(const std::string& path, std::string* pWhy);
    // CLR_INVALID outside the picture.
    COLORREF Pixel(int x, int y) const;
    // Pixels of rc (screen coordinates) of exactly the colour cr, and those dark enough to be
    // text (luminance under 96).
    int CountColour(const RECT& rc, COLORREF cr) const;
    int CountDark(const RECT& rc) const;

private:
    int m_cx = 0, m_cy = 0;
    std::vector<BYTE> m_file;
    size_t m_nBits = 0, m_nStride = 0;
};
// A window's client area, or that area less nInset pixels on each side, in screen coordinates.
RECT ClientOnScreen(HWND h, int nInset = 0);

// Asks the harness for a screenshot named <name>.png in the shots folder (LMGUI_SHOTS) and
// waits for it; false (with the reason) when no harness answered. With pImage, also reads the
// picture's pixels.
bool Screenshot(const std::string& name, std::string* pWhy, ScreenImage* pImage = nullptr);
// The primary language of the user ("en", "de", "ja", "ru", ...).
std::string UserLanguageTag();

// Every thread of this process.
int ThreadCount();
