#include "gui_support.h"

#include <cstdlib>
#include <cstring>

namespace {

WizardDll g_dll;

// The first visible dialog of a thread other than hExcept (with a filled list, if asked).
struct FindDialog {
    HWND hExcept;
    bool bNeedList;
    HWND hFound;
};

BOOL CALLBACK OnThreadWindow(HWND h, LPARAM lParam)
{
    FindDialog* pFind = reinterpret_cast<FindDialog*>(lParam);
    char szClass[64] = "";
    GetClassNameA(h, szClass, sizeof(szClass));
    if (h == pFind->hExcept || strcmp(szClass, "#32770") != 0 || !IsWindowVisible(h) ||
        (pFind->bNeedList && SendMessageA(GetDlgItem(h, 1000), LVM_GETITEMCOUNT, 0, 0) == 0))
        return TRUE;
    pFind->hFound = h;
    return FALSE;
}

HWND FindThreadDialog(DWORD dwThread, HWND hExcept, bool bNeedList)
{
    FindDialog find = {hExcept, bNeedList, nullptr};
    EnumThreadWindows(dwThread, OnThreadWindow, reinterpret_cast<LPARAM>(&find));
    return find.hFound;
}

DWORD WINAPI RunWizard(LPVOID p)
{
    return DWORD(Wizard().LmProfileWizard(nullptr, 0, static_cast<SETUPDATA*>(p)));
}

RECT RowRect(HWND hList, int nRow)
{
    RECT rc = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(hList, LVM_GETITEMRECT, nRow, reinterpret_cast<LPARAM>(&rc));
    return rc;
}

}  // namespace

bool LoadWizardDll(std::string* pWhy)
{
    g_dll.hModule = BuiltDll(pWhy);
    return g_dll.hModule && BindExport(g_dll.hModule, "LmProfileWizard", &g_dll.LmProfileWizard, pWhy) &
                                BindExport(g_dll.hModule, "LmRunModuleCount", &g_dll.LmRunModuleCount, pWhy);
}

const WizardDll& Wizard()
{
    return g_dll;
}

WizardRun::WizardRun(SETUPDATA* pSetup) : m_dwThreadId(0)
{
    m_hThread = CreateThread(nullptr, 0, RunWizard, pSetup, 0, &m_dwThreadId);
}

WizardRun::~WizardRun()
{
    if (!m_hThread)
        return;
    // A test that failed half-way leaves the page open: closed with the confirmation answered
    // OK, so the next test starts with no page.
    if (!Join(0)) {
        if (HWND hPage = WaitPage(0)) {
            PostMessageA(hPage, WM_CLOSE, 0, 0);
            if (HWND hBox = WaitMessageBox(hPage, 5000))
                PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        }
        Join();
    }
    CloseHandle(m_hThread);
}

HWND WizardRun::WaitPage(DWORD dwMs)
{
    for (DWORD dwStart = GetTickCount();; Sleep(50)) {
        HWND hFound = FindThreadDialog(m_dwThreadId, nullptr, true);
        // The user meets the page once it is the active window: on a loaded machine its
        // activation arrives a moment after it shows, and would otherwise land between clicks.
        if (hFound && (dwMs == 0 || GetForegroundWindow() == hFound))
            return hFound;
        if (GetTickCount() - dwStart >= dwMs || Join(0))
            return nullptr;
    }
}

HWND WaitMessageBox(HWND hOwner, DWORD dwMs)
{
    DWORD dwThread = GetWindowThreadProcessId(hOwner, nullptr);
    for (DWORD dwStart = GetTickCount();; Sleep(50)) {
        if (HWND hFound = FindThreadDialog(dwThread, hOwner, false))
            return hFound;
        if (GetTickCount() - dwStart >= dwMs)
            return nullptr;
    }
}

std::wstring WindowTextW(HWND h)
{
    wchar_t wsz[512] = L"";
    GetWindowTextW(h, wsz, 512);
    return wsz;
}

std::wstring MessageBoxText(HWND hBox)
{
    // The box's one static with text (the icon is a static without).
    std::wstring found;
    EnumChildWindows(
        hBox,
        [](HWND h, LPARAM l) -> BOOL {
            char szClass[32] = "";
            GetClassNameA(h, szClass, sizeof(szClass));
            std::wstring text = WindowTextW(h);
            if (_stricmp(szClass, "Static") != 0 || text.empty())
                return TRUE;
            *reinterpret_cast<std::wstring*>(l) = text;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void ClickRow(HWND hList, int nRow)
{
    RECT rc = RowRect(hList, nRow);
    LPARAM pt = MAKELPARAM(rc.left + 40, (rc.top + rc.bottom) / 2);
    SendMessageA(hList, WM_LBUTTONDOWN, MK_LBUTTON, pt);
    SendMessageA(hList, WM_LBUTTONUP, 0, pt);
}

void PressKey(HWND hList, WORD wKey)
{
    SendMessageA(hList, WM_KEYDOWN, wKey, 1);
    SendMessageA(hList, WM_KEYUP, wKey, 0xC0000001);
}

std::string RowText(HWND hList, int nRow, int nColumn)
{
    char sz[260] = "";
    LVITEMA item = {};
    item.iSubItem = nColumn;
    item.pszText = sz;
    item.cchTextMax = sizeof(sz);
    SendMessageA(hList, LVM_GETITEMTEXTA, nRow, reinterpret_cast<LPARAM>(&item));
    return sz;
}

RECT RowOnScreen(HWND hList, int nRow)
{
    RECT rc = RowRect(hList, nRow);
    MapWindowPoints(hList, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

Check RowCheck(HWND hList, int nRow)
{
    // The list paints itself, owner-drawn rows included, into a bitmap of ours: what the page
    // draws, read without depending on what reached the screen yet.
    RECT rcClient, rc = RowRect(hList, nRow);
    GetClientRect(hList, &rcClient);
    HDC hdcScreen = GetDC(nullptr), hdc = CreateCompatibleDC(hdcScreen);
    HBITMAP hBitmap = CreateCompatibleBitmap(hdcScreen, rcClient.right, rcClient.bottom);
    ReleaseDC(nullptr, hdcScreen);
    HGDIOBJ hOld = SelectObject(hdc, hBitmap);
    SendMessageA(hList, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(hdc), PRF_CLIENT | PRF_ERASEBKGND);
    // The list hands the row over a small margin right of its bounds: the box's frame (dark
    // grey from 1,1 of the 16 x 16 bitmap) is looked for, then a pixel of the tick's stroke.
    Check check = Check::NotDrawn;
    for (int x = 0; x < 8 && check == Check::NotDrawn; ++x) {
        if (GetPixel(hdc, rc.left + x, rc.top + 1) != RGB(64, 64, 64))
            continue;
        COLORREF crMark = GetPixel(hdc, rc.left + x + 5, rc.top + 10);
        check = crMark == RGB(0, 0, 0) ? Check::Ticked : crMark == RGB(255, 255, 255) ? Check::Empty : Check::NotDrawn;
        break;
    }
    SelectObject(hdc, hOld);
    DeleteObject(hBitmap);
    DeleteDC(hdc);
    return check;
}

bool ScreenImage::Load(const std::string& path, std::string* pWhy)
{
    HBITMAP h = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    BITMAP bm = {};
    if (!h || !GetObjectA(h, sizeof(bm), &bm)) {
        *pWhy = "cannot load " + path;
        return false;
    }
    m_cx = bm.bmWidth;
    m_cy = bm.bmHeight;
    m_pixels.resize(size_t(m_cx) * m_cy);
    BITMAPINFO bmi = {{sizeof(BITMAPINFOHEADER), m_cx, -m_cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    HDC hdc = GetDC(nullptr);
    int nLines = GetDIBits(hdc, h, 0, m_cy, m_pixels.data(), &bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, hdc);
    DeleteObject(h);
    if (nLines != m_cy)
        *pWhy = "cannot read the pixels of " + path;
    return nLines == m_cy;
}

COLORREF ScreenImage::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_cx || y >= m_cy)
        return CLR_INVALID;
    DWORD dw = m_pixels[size_t(y) * m_cx + x];
    return RGB(dw >> 16, dw >> 8, dw);
}

int ScreenImage::CountDark(const RECT& rc) const
{
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            COLORREF cr = Pixel(x, y);
            n += cr != CLR_INVALID && GetRValue(cr) * 30 + GetGValue(cr) * 59 + GetBValue(cr) * 11 < 96 * 100;
        }
    }
    return n;
}

RECT ClientOnScreen(HWND h, int nInset)
{
    RECT rc = {};
    GetClientRect(h, &rc);
    MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    InflateRect(&rc, -nInset, -nInset);
    return rc;
}

bool Screenshot(const std::string& name, ScreenImage* pImage, std::string* pWhy)
{
    const char* pszDir = getenv("LMGUI_SHOTS");
    if (!pszDir || !*pszDir) {
        *pWhy = "LMGUI_SHOTS is not set: run through tests/harness/run_gui.sh";
        return false;
    }
    Sleep(400);   // a moment for Wine to put what was painted on the X screen
    std::string base = std::string(pszDir) + "\\" + name;
    DeleteFileA((base + ".png").c_str());
    DeleteFileA((base + ".bmp").c_str());
    WriteBytes(base + ".req", Bytes());
    for (int i = 0; i < 200; ++i, Sleep(50)) {
        if (FileExists(base + ".png"))
            return pImage->Load(base + ".bmp", pWhy);
    }
    *pWhy = "no screenshot " + base + ".png within 10 s";
    return false;
}
