// Support of the GUI tests: the built DLL's installer calls, the page's windows driven by
// messages from the test thread, and the screen as the harness's screenshots saw it.
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
    int(WINAPI* LmRunModuleCount)(DWORD) = nullptr;
};
// Loads <build>/LmProfInst.dll; false, with the reason, when it or an export is missing.
bool LoadWizardDll(std::string* pWhy);
const WizardDll& Wizard();

// LmProfileWizard on a thread of its own, as the installer's thread, while the test thread
// plays the user. A page still open at the end is closed as the user would.
class WizardRun {
public:
    explicit WizardRun(SETUPDATA* pSetup);
    ~WizardRun();
    // The page once it is the active window with its list filled (null after the time).
    HWND WaitPage(DWORD dwMs = 10000);
    // True when the call returned within the time; its answer in Result().
    bool Join(DWORD dwMs = 10000) { return WaitForSingleObject(m_hThread, dwMs) == WAIT_OBJECT_0; }
    int Result() const
    {
        DWORD dw = STILL_ACTIVE;
        GetExitCodeThread(m_hThread, &dw);
        return int(dw);
    }

private:
    HANDLE m_hThread;
    DWORD m_dwThreadId;
};

// The confirmation the page shows (a #32770 of its thread other than the page), or null.
HWND WaitMessageBox(HWND hOwner, DWORD dwMs = 10000);
std::wstring WindowTextW(HWND h);
// The text of the box's static control that holds its message.
std::wstring MessageBoxText(HWND hBox);

// The user's actions on the page's list, and what its rows show.
void ClickRow(HWND hList, int nRow);
void PressKey(HWND hList, WORD wKey);
std::string RowText(HWND hList, int nRow, int nColumn);
RECT RowOnScreen(HWND hList, int nRow);
// Whether the row's check box shows the tick, read from the pixels the list draws.
enum class Check { Empty, Ticked, NotDrawn };
Check RowCheck(HWND hList, int nRow);

// The X screen as a screenshot saw it, read back from the BMP the harness writes beside the
// PNG: what reached the screen, not what a window would paint into a bitmap of ours.
class ScreenImage {
public:
    bool Load(const std::string& path, std::string* pWhy);
    COLORREF Pixel(int x, int y) const;   // CLR_INVALID outside the picture
    // Pixels of rc (screen coordinates) dark enough to be text (luminance under 96).
    int CountDark(const RECT& rc) const;

private:
    int m_cx = 0, m_cy = 0;
    std::vector<DWORD> m_pixels;   // top-down, 0x00RRGGBB
};
// A window's client area less nInset pixels on each side, in screen coordinates.
RECT ClientOnScreen(HWND h, int nInset = 0);
// Asks the harness for the screenshot <name>.png in the shots folder (LMGUI_SHOTS), waits for
// it and reads its pixels; false, with the reason, when no harness answered.
bool Screenshot(const std::string& name, ScreenImage* pImage, std::string* pWhy);
