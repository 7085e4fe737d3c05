#include "ui/lmstbox.h"

#include <cstdio>

#include "core/cells.h"
#include "core/holders.h"
#include "core/trace.h"

namespace {

const char CLASS_NAME[] = "LMSTBOX";
constexpr int BOX_WIDTH = 300;
constexpr int BOX_HEIGHT = 60;
constexpr int TEXT_MARGIN = 30;
constexpr DWORD PAINT_PERIOD = 1000;   // ms between two paints of the painter thread

// The class belongs to the running program's module, not to this library: the installer owns
// the box's lifetime, and a second box is refused while the first one's class is registered.
HINSTANCE MainModule()
{
    return GetModuleHandleA(nullptr);
}

}  // namespace

LMSTBOX::LMSTBOX(HWND hParent, const char* pszText, HFONT hFont)
    : m_bRunning(false),
      m_bPainterAlive(false),
      m_nPaintCount(0),
      m_hParent(hParent),
      m_hWnd(nullptr),
      m_hFont(hFont),
      m_hPainter(nullptr),
      m_hWake(nullptr)
{
    TraceLog("LMSTBOX::LMSTBOX\n");
    CopyCell(m_szText, pszText ? pszText : "");
    CreateStatusBox();
    if (!m_hWnd)
        return;
    m_hWake = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_bPainterAlive = true;
    m_hPainter = CreateThread(nullptr, 0, StatusBoxProc, this, 0, nullptr);
    if (!m_hPainter) {
        TraceLog("LMSTBOX::LMSTBOX - CreateThread - %d\n", GetLastError());
        m_bPainterAlive = false;
    }
}

LMSTBOX::~LMSTBOX()
{
    TraceLog("LMSTBOX::~LMSTBOX\n");
    m_bRunning = false;
    if (m_hWake)
        SetEvent(m_hWake);
    // The painter is joined before the window goes: it must neither draw into a destroyed (or
    // reused) window handle nor outlive this object, however long the system takes to run it.
    if (m_hPainter) {
        WaitForSingleObject(m_hPainter, INFINITE);
        CloseHandle(m_hPainter);
    }
    if (m_hWnd) {
        SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
        UnregisterClassA(CLASS_NAME, MainModule());
    }
    if (m_hWake)
        CloseHandle(m_hWake);
    TraceLog("LMSTBOX::~LMSTBOX end\n");
}

void LMSTBOX::CreateStatusBox()
{
    TraceLog("CreateStatusBox\n");
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = StatusBoxWndProc;
    wc.hInstance = MainModule();
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    wc.lpszClassName = CLASS_NAME;
    if (!RegisterClassA(&wc))
        return;

    RECT rcDesktop;
    GetWindowRect(GetDesktopWindow(), &rcDesktop);
    // Measured in the font the box draws with, so that a long message in a large font still
    // fits the box.
    RECT rcText = {0, 0, BOX_WIDTH, BOX_HEIGHT};
    if (AutoWindowDC dc(m_hParent); dc) {
        AutoSelect font(dc.Get(), m_hFont);
        DrawTextA(dc.Get(), m_szText, -1, &rcText, DT_CALCRECT | DT_SINGLELINE);
    }
    int nWidth = rcText.right - rcText.left > BOX_WIDTH ? rcText.right - rcText.left + TEXT_MARGIN : BOX_WIDTH;
    int x = rcDesktop.left + (rcDesktop.right - rcDesktop.left - nWidth) / 2;
    int y = rcDesktop.top + (rcDesktop.bottom - rcDesktop.top - BOX_HEIGHT) / 2;

    HWND hWnd = CreateWindowExA(0, CLASS_NAME, "", WS_POPUP | WS_THICKFRAME, x, y, nWidth, BOX_HEIGHT, m_hParent,
                                nullptr, MainModule(), nullptr);
    if (!hWnd) {
        TraceLog("CreateStatusBox - error - CreateWindow\n");
        UnregisterClassA(CLASS_NAME, MainModule());
        return;
    }
    m_hWnd = hWnd;
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(hWnd, SW_SHOWNORMAL);
    UpdateWindow(hWnd);
    BringWindowToTop(hWnd);
    m_bRunning = true;
    TraceLog("CreateStatusBox end\n");
}

void LMSTBOX::OnPaint(HWND hWnd, bool bPaintMessage)
{
    int nCount = m_nPaintCount;
    TraceLog("LMSTBOX::OnPaint, %d\n", nCount);
    if (bPaintMessage) {
        AutoPaint paint(hWnd);
        if (!paint)
            return;
        Draw(hWnd, paint.Get(), nCount);
    } else {
        AutoWindowDC dc(hWnd);
        if (!dc)
            return;
        Draw(hWnd, dc.Get(), nCount);
    }
    ++m_nPaintCount;
}

void LMSTBOX::Draw(HWND hWnd, HDC hdc, int nCount)
{
    SetBkMode(hdc, TRANSPARENT);
    RECT rc;
    GetClientRect(hWnd, &rc);
    COLORREF cr = GetSysColor(COLOR_INACTIVEBORDER);
    AutoGdiObject<HBRUSH> brush(CreateSolidBrush(cr));
    AutoGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, cr));
    AutoSelect selectedBrush(hdc, brush.Get());
    AutoSelect selectedPen(hdc, pen.Get());
    AutoSelect selectedFont(hdc, m_hFont);

    char szLine[300];
    _snprintf(szLine, sizeof(szLine), "%s (%d)", m_szText, nCount);
    szLine[sizeof(szLine) - 1] = '\0';
    Rectangle(hdc, rc.left, rc.top, rc.right, rc.bottom);
    DrawTextA(hdc, szLine, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

DWORD WINAPI LMSTBOX::StatusBoxProc(LPVOID pParam)
{
    LMSTBOX* pBox = static_cast<LMSTBOX*>(pParam);
    TraceLog("StatusBoxProc Started\n");
    pBox->m_bPainterAlive = true;
    TraceLog("StatusBoxProc Loop Started\n");
    while (pBox->m_bRunning) {
        if (pBox->m_hWnd)
            pBox->OnPaint(pBox->m_hWnd, false);
        pBox->WaitASecond();
    }
    TraceLog("StatusBoxProc Loop Ended\n");
    pBox->m_bPainterAlive = false;
    TraceLog("StatusBoxProc Ended\n");
    return 0;
}

void LMSTBOX::WaitASecond()
{
    // The painter waits as a thread with a message queue does, not in a bare Sleep: Wine puts
    // what a process drew into its windows on the X screen when one of its threads waits for
    // messages, and the owner thread handles none while the box shows, so without this wait
    // the box would stay blank however often it paints. The destructor's event ends the wait
    // early; a message (the painter has no window, so none is expected) only goes on waiting.
    DWORD dwStart = GetTickCount();
    DWORD nHandles = m_hWake ? 1 : 0;
    for (;;) {
        DWORD dwSpent = GetTickCount() - dwStart;
        if (dwSpent >= PAINT_PERIOD)
            return;
        DWORD dw = MsgWaitForMultipleObjects(nHandles, &m_hWake, FALSE, PAINT_PERIOD - dwSpent, QS_ALLINPUT);
        if (dw == WAIT_FAILED) {
            Sleep(PAINT_PERIOD - dwSpent);
            return;
        }
        if (dw != WAIT_OBJECT_0 + nHandles)
            return;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
}

LRESULT CALLBACK StatusBoxWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_CREATE:
        return 0;
    case WM_PAINT: {
        LMSTBOX* pBox = reinterpret_cast<LMSTBOX*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        if (pBox) {
            pBox->OnPaint(hWnd, true);
            return 0;
        }
        // No box (yet or any more): validate, or Windows sends WM_PAINT again and again.
        break;
    }
    default:
        break;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}
