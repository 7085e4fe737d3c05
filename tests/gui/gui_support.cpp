#include "gui_support.h"

#include <tlhelp32.h>

#include <cstdlib>
#include <cstring>

#include "core/sysenv.h"
#include "test_support.h"

namespace {

WizardDll g_dll;

// Visible top-level dialogs of one thread.
struct FindDialog {
    HWND hExcept;
    HWND hFound;
    bool bNeedList;
};

BOOL CALLBACK OnThreadWindow(HWND h, LPARAM lParam)
{
    FindDialog* pFind = reinterpret_cast<FindDialog*>(lParam);
    char szClass[64] = "";
    GetClassNameA(h, szClass, sizeof(szClass));
    if (h == pFind->hExcept || strcmp(szClass, "#32770") != 0 || !IsWindowVisible(h))
        return TRUE;
    if (pFind->bNeedList) {
        HWND hList = GetDlgItem(h, 1000);
        if (!hList || SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0) == 0)
            return TRUE;
    }
    pFind->hFound = h;
    return FALSE;
}

}  // namespace

bool LoadWizardDll(std::string* pWhy)
{
    g_dll.hModule = BuiltDll(pWhy);
    if (!g_dll.hModule)
        return false;
    bool bAll = true;
    bAll &= BindExport(g_dll.hModule, "LmProfileWizard", &g_dll.LmProfileWizard, pWhy);
    bAll &= BindExport(g_dll.hModule, "LmProfileInstall", &g_dll.LmProfileInstall, pWhy);
    bAll &= BindExport(g_dll.hModule, "LmRunModuleCount", &g_dll.LmRunModuleCount, pWhy);
    return bAll;
}

const WizardDll& Wizard()
{
    return g_dll;
}


WizardRun::WizardRun(SETUPDATA* pSetup) : m_pSetup(pSetup), m_hThread(nullptr), m_dwThreadId(0), m_nResult(0x7fff)
{
    m_hThread = CreateThread(nullptr, 0, Proc, this, 0, &m_dwThreadId);
}

WizardRun::~WizardRun()
{
    if (!m_hThread)
        return;
    if (WaitForSingleObject(m_hThread, 0) == WAIT_TIMEOUT) {
        // A test that failed half-way leaves the page open: close it as the user would, with
        // the confirmation answered OK, so the next test starts with no page.
        HWND hPage = WaitPage(0);
        if (hPage) {
            PostMessageA(hPage, WM_CLOSE, 0, 0);
            HWND hBox = WaitMessageBox(hPage, 5000);
            if (hBox)
                PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        }
        WaitForSingleObject(m_hThread, 10000);
    }
    CloseHandle(m_hThread);
}

DWORD WINAPI WizardRun::Proc(LPVOID p)
{
    WizardRun* pRun = static_cast<WizardRun*>(p);
    pRun->m_nResult = Wizard().LmProfileWizard(nullptr, 0, pRun->m_pSetup);
    return 0;
}

HWND WizardRun::WaitPage(DWORD dwMs)
{
    DWORD dwStart = GetTickCount();
    for (;;) {
        FindDialog find = {nullptr, nullptr, true};
        EnumThreadWindows(m_dwThreadId, OnThreadWindow, reinterpret_cast<LPARAM>(&find));
        // The user meets the page once it is the active window: on a loaded machine its
        // activation arrives a moment after it shows, and would otherwise land between clicks.
        if (find.hFound && (dwMs == 0 || GetForegroundWindow() == find.hFound))
            return find.hFound;
        if (GetTickCount() - dwStart >= dwMs || WaitForSingleObject(m_hThread, 0) == WAIT_OBJECT_0)
            return nullptr;
        Sleep(50);
    }
}

bool WizardRun::Join(DWORD dwMs)
{
    return WaitForSingleObject(m_hThread, dwMs) == WAIT_OBJECT_0;
}

HWND WaitMessageBox(HWND hOwner, DWORD dwMs)
{
    DWORD dwThread = GetWindowThreadProcessId(hOwner, nullptr);
    DWORD dwStart = GetTickCount();
    for (;;) {
        FindDialog find = {hOwner, nullptr, false};
        EnumThreadWindows(dwThread, OnThreadWindow, reinterpret_cast<LPARAM>(&find));
        if (find.hFound)
            return find.hFound;
        if (GetTickCount() - dwStart >= dwMs)
            return nullptr;
        Sleep(50);
    }
}

std::wstring WindowTextW(HWND h)
{
    wchar_t wsz[512] = L"";
    GetWindowTextW(h, wsz, 512);
    return wsz;
}

namespace {

// The message text of a box: its one static with text (the icon is a static without).
BOOL CALLBACK FindMessageText(HWND h, LPARAM l)
{
    char szClass[32] = "";
    GetClassNameA(h, szClass, sizeof(szClass));
    std::wstring text = WindowTextW(h);
    if (_stricmp(szClass, "Static") == 0 && !text.empty()) {
        *reinterpret_cast<std::wstring*>(l) = text;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::wstring MessageBoxText(HWND hBox)
{
    std::wstring found;
    EnumChildWindows(hBox, FindMessageText, reinterpret_cast<LPARAM>(&found));
    return found;
}

namespace {

RECT RowRect(HWND hList, int nRow)
{
    RECT rc = {};
    rc.left = LVIR_BOUNDS;
    SendMessageA(hList, LVM_GETITEMRECT, nRow, reinterpret_cast<LPARAM>(&rc));
    return rc;
}

}  // namespace

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

namespace {

// The list paints itself, owner-drawn rows included, into a bitmap of ours: what the page
// draws, read without depending on what reached the screen yet.
class PrintedList {
public:
    explicit PrintedList(HWND hList)
    {
        RECT rcClient;
        GetClientRect(hList, &rcClient);
        HDC hdcScreen = GetDC(nullptr);
        m_hdc = CreateCompatibleDC(hdcScreen);
        m_hBitmap = CreateCompatibleBitmap(hdcScreen, rcClient.right, rcClient.bottom);
        ReleaseDC(nullptr, hdcScreen);
        m_hOld = SelectObject(m_hdc, m_hBitmap);
        SendMessageA(hList, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(m_hdc), PRF_CLIENT | PRF_ERASEBKGND);
    }
    ~PrintedList()
    {
        SelectObject(m_hdc, m_hOld);
        DeleteObject(m_hBitmap);
        DeleteDC(m_hdc);
    }
    COLORREF Pixel(int x, int y) const { return GetPixel(m_hdc, x, y); }

private:
    HDC m_hdc;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
};

}  // namespace

Check RowCheck(HWND hList, int nRow)
{
    PrintedList printed(hList);
    RECT rc = RowRect(hList, nRow);
    // The list hands the row over a small margin right of its bounds: the box's frame (dark
    // grey from 1,1 of the 16 x 16 bitmap) is looked for, then a pixel of the tick's stroke.
    for (int x = 0; x < 8; ++x) {
        if (printed.Pixel(rc.left + x, rc.top + 1) == RGB(64, 64, 64)) {
            COLORREF crMark = printed.Pixel(rc.left + x - 1 + 6, rc.top + 10);
            if (crMark == RGB(0, 0, 0))
                return Check::Ticked;
            return crMark == RGB(255, 255, 255) ? Check::Empty : Check::NotDrawn;
        }
    }
    return Check::NotDrawn;
}

COLORREF RowBackground(HWND hList, int nRow)
{
    PrintedList printed(hList);
    RECT rc = RowRect(hList, nRow);
    return printed.Pixel(rc.right - 4, rc.top + 1);
}

bool ScreenImage::Load(const std::string& path, std::string* pWhy)
{
    m_cx = m_cy = 0;
    m_file.clear();
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *pWhy = "cannot open " + path;
        return false;
    }
    DWORD cb = GetFileSize(h, nullptr), dwRead = 0;
    m_file.resize(cb == INVALID_FILE_SIZE ? 0 : cb);
    BOOL bRead = ReadFile(h, m_file.data(), DWORD(m_file.size()), &dwRead, nullptr);
    CloseHandle(h);
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    if (!bRead || dwRead != m_file.size() || m_file.size() < sizeof(file) + sizeof(info)) {
        *pWhy = "cannot read " + path;
        return false;
    }
    memcpy(&file, m_file.data(), sizeof(file));
    memcpy(&info, m_file.data() + sizeof(file), sizeof(info));
    m_nStride = (size_t(info.biWidth) * 3 + 3) & ~size_t(3);
    if (file.bfType != 0x4D42 || info.biBitCount != 24 || info.biCompression != BI_RGB || info.biWidth <= 0 ||
        info.biHeight <= 0 || file.bfOffBits + m_nStride * info.biHeight > m_file.size()) {
        *pWhy = path + " is no bottom-up 24-bit BMP";
        return false;
    }
    m_nBits = file.bfOffBits;
    m_cx = info.biWidth;
    m_cy = info.biHeight;
    return true;
}

COLORREF ScreenImage::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_cx || y >= m_cy)
        return CLR_INVALID;
    const BYTE* p = &m_file[m_nBits + size_t(m_cy - 1 - y) * m_nStride + size_t(x) * 3];
    return RGB(p[2], p[1], p[0]);
}

int ScreenImage::CountColour(const RECT& rc, COLORREF cr) const
{
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            n += Pixel(x, y) == cr ? 1 : 0;
    return n;
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

bool Screenshot(const std::string& name, std::string* pWhy, ScreenImage* pImage)
{
    const char* pszDir = getenv("LMGUI_SHOTS");
    if (!pszDir || !*pszDir) {
        *pWhy = "LMGUI_SHOTS is not set: run through tests/harness/run_gui.sh";
        return false;
    }
    // Give Wine a moment to put what was painted on the X screen.
    Sleep(400);
    std::string base = std::string(pszDir) + "\\" + name;
    DeleteFileA((base + ".png").c_str());
    DeleteFileA((base + ".bmp").c_str());
    HANDLE h = CreateFileA((base + ".req").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *pWhy = "cannot write " + base + ".req";
        return false;
    }
    CloseHandle(h);
    for (int i = 0; i < 200; ++i) {
        if (GetFileAttributesA((base + ".png").c_str()) != INVALID_FILE_ATTRIBUTES)
            return !pImage || pImage->Load(base + ".bmp", pWhy);
        Sleep(50);
    }
    *pWhy = "no screenshot " + base + ".png within 10 s";
    return false;
}

std::string UserLanguageTag()
{
    switch (PRIMARYLANGID(GetUserDefaultLangID())) {
    case LANG_GERMAN: return "de";
    case LANG_JAPANESE: return "ja";
    case LANG_RUSSIAN: return "ru";
    case LANG_ENGLISH: return "en";
    default: return "other";
    }
}

int ThreadCount()
{
    HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (hSnap == INVALID_HANDLE_VALUE)
        return -1;
    int n = 0;
    THREADENTRY32 te = {};
    te.dwSize = sizeof(te);
    for (BOOL b = Thread32First(hSnap, &te); b; b = Thread32Next(hSnap, &te))
        n += te.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
    CloseHandle(hSnap);
    return n;
}
