// The status box the installer shows while it imports the profiles the user ticked.
#include <gtest/gtest.h>

#include <string>

#include "core/trace.h"
#include "gui_support.h"
#include "ui/lmstbox.h"

#include <tlhelp32.h>

namespace {

const char MESSAGE[] = "Processing... Common Profiles";

int ThreadCount()
{
    HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te = {};
    te.dwSize = sizeof(te);
    int n = 0;
    for (BOOL b = Thread32First(hSnap, &te); b; b = Thread32Next(hSnap, &te))
        n += te.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(hSnap);
    return n;
}

// Polls the trace, the test thread handling no message meanwhile, until the line is there. The
// bound only keeps a box that never paints from hanging the run; nothing is timed.
bool WaitForTrace(const std::string& line)
{
    for (DWORD dwStart = GetTickCount(); !TraceCapture::Contains(line); Sleep(20)) {
        if (GetTickCount() - dwStart > 30000)
            return false;
    }
    return true;
}

// The screen inside the box: its client area filled in the inactive-border colour, and the
// message with a count from 1 to nMaxCount, the line of one of the painter's paints: the line
// for each count, drawn as the box draws it into a bitmap of ours, is compared pixel by pixel.
void ExpectBoxOnScreen(const ScreenImage& shot, const RECT& rcClient, HFONT hFont, int nMaxCount)
{
    int cx = rcClient.right - rcClient.left, cy = rcClient.bottom - rcClient.top;
    BITMAPINFO bmi = {};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* pBits = nullptr;
    HDC hdc = CreateCompatibleDC(nullptr);
    HBITMAP hBitmap = CreateDIBSection(hdc, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HGDIOBJ hOldBitmap = SelectObject(hdc, hBitmap), hOldFont = SelectObject(hdc, hFont);
    HBRUSH hBrush = CreateSolidBrush(GetSysColor(COLOR_INACTIVEBORDER));
    SetBkMode(hdc, TRANSPARENT);
    int nShown = -1;
    for (int nCount = 0; nCount <= nMaxCount && nShown < 0 && pBits; ++nCount) {
        RECT rc = {0, 0, cx, cy};
        FillRect(hdc, &rc, hBrush);
        std::string line = std::string(MESSAGE) + " (" + std::to_string(nCount) + ")";
        DrawTextA(hdc, line.c_str(), -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        GdiFlush();
        const DWORD* pPixel = static_cast<const DWORD*>(pBits);
        int nDiffer = 0;
        for (int y = 0; y < cy; ++y)
            for (int x = 0; x < cx; ++x, ++pPixel)
                nDiffer += shot.Pixel(rcClient.left + x, rcClient.top + y) != RGB(*pPixel >> 16, *pPixel >> 8, *pPixel);
        nShown = nDiffer ? -1 : nCount;
    }
    DeleteObject(hBrush);
    SelectObject(hdc, hOldFont);
    SelectObject(hdc, hOldBitmap);
    DeleteObject(hBitmap);
    DeleteDC(hdc);
    // Not the owner's first paint (0) left over: the painter's paints reach the screen.
    EXPECT_GE(nShown, 1) << "count on the screen (-1: none); painted " << nMaxCount;
}

// Once a box went: its window, its class and its painter, which ended after the destructor
// began and before it returned.
void ExpectBoxGone(int nThreads)
{
    WNDCLASSA wc;
    EXPECT_EQ(nullptr, FindWindowA("LMSTBOX", nullptr));
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "LMSTBOX", &wc));
    // The system lists a thread for a moment after its handle was signalled: the count is
    // polled back down; the join itself shows in the trace order below.
    for (DWORD dwStart = GetTickCount(); ThreadCount() != nThreads && GetTickCount() - dwStart < 5000;)
        Sleep(20);
    EXPECT_EQ(nThreads, ThreadCount());
    int nGoing = TraceCapture::Find("LMSTBOX::~LMSTBOX\n");
    int nEnded = TraceCapture::Find("StatusBoxProc Ended\n", nGoing);
    ASSERT_GE(nGoing, 0) << TraceCapture::Dump();
    EXPECT_GT(nEnded, nGoing) << TraceCapture::Dump();
    EXPECT_GT(TraceCapture::Find("LMSTBOX::~LMSTBOX end\n", nEnded), nEnded) << "the painter outlived the box";
}

class StatusBox : public testing::Test {
protected:
    // Wine's default theme has white inactive borders, the colour of a window nothing drew
    // in: the box's fill is told apart from that in a colour of its own.
    void SetUp() override
    {
        InitTraceFlag(TRUE);
        TraceCapture::Clear();
        m_crBorder = GetSysColor(COLOR_INACTIVEBORDER);
        COLORREF crTest = RGB(180, 210, 150);
        SetSysColors(1, &m_nElement, &crTest);
        m_nThreads = ThreadCount();
    }
    void TearDown() override
    {
        SetSysColors(1, &m_nElement, &m_crBorder);
        InitTraceFlag(FALSE);
    }
    INT m_nElement = COLOR_INACTIVEBORDER;
    COLORREF m_crBorder = 0;
    int m_nThreads = 0;
};

}  // namespace

// A message narrower than 300 pixels: 300 x 60 in the middle of the screen, its text on the
// screen from the painter's first paint on; the count rises while the owner thread does not
// handle a single message. A wider message widens the box to fit.
TEST_F(StatusBox, ShowsInTheMiddleAndCountsWhileTheOwnerIsBusy)
{
    HFONT hFont = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Shell Dlg");
    HFONT hBig = CreateFontA(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Shell Dlg");
    std::string wide(28, 'W');   // wider than 300 pixels, narrower than the 640-pixel test screen
    HDC hdc = GetDC(nullptr);
    HGDIOBJ hOld = SelectObject(hdc, hBig);
    SIZE size = {};
    GetTextExtentPoint32A(hdc, wide.c_str(), int(wide.size()), &size);
    SelectObject(hdc, hOld);
    ReleaseDC(nullptr, hdc);
    ASSERT_GT(size.cx, 300);
    RECT rc, rcDesk;
    GetWindowRect(GetDesktopWindow(), &rcDesk);
    {
        LMSTBOX box(nullptr, wide.c_str(), hBig);
        ASSERT_NE(nullptr, box.GetWindow());
        GetWindowRect(box.GetWindow(), &rc);
        EXPECT_EQ(size.cx + 30, rc.right - rc.left);
        EXPECT_EQ((rcDesk.right - (size.cx + 30)) / 2, rc.left);
    }
    TraceCapture::Clear();
    {
        LMSTBOX box(nullptr, MESSAGE, hFont);
        HWND hWnd = box.GetWindow();
        ASSERT_NE(nullptr, hWnd) << TraceCapture::Dump();
        GetWindowRect(hWnd, &rc);
        EXPECT_EQ(300, rc.right - rc.left);
        EXPECT_EQ(60, rc.bottom - rc.top);
        EXPECT_EQ((rcDesk.right - 300) / 2, rc.left);
        EXPECT_EQ((rcDesk.bottom - 60) / 2, rc.top);
        EXPECT_EQ(m_nThreads + 1, ThreadCount()) << "the painter thread";

        ASSERT_TRUE(WaitForTrace("LMSTBOX::OnPaint, 1\n")) << TraceCapture::Dump();
        std::string why;
        ScreenImage shot;
        ASSERT_TRUE(Screenshot("status_box", &shot, &why)) << why;
        ExpectBoxOnScreen(shot, ClientOnScreen(hWnd), hFont, box.GetPaintCount());
        ASSERT_TRUE(WaitForTrace("LMSTBOX::OnPaint, 3\n")) << TraceCapture::Dump();
    }
    ExpectBoxGone(m_nThreads);
    DeleteObject(hFont);
    DeleteObject(hBig);
}

// A second box while the first shows is refused (nothing shown, no thread); destroyed right
// after it was made, the first still ends its painter before it goes; then a new one works.
TEST_F(StatusBox, OneBoxAtATimeAndEachEndsItsPainterFirst)
{
    {
        LMSTBOX first(nullptr, "first", nullptr);
        ASSERT_NE(nullptr, first.GetWindow());
        LMSTBOX second(nullptr, "second", nullptr);
        EXPECT_EQ(nullptr, second.GetWindow());
        EXPECT_EQ(m_nThreads + 1, ThreadCount());
    }
    ExpectBoxGone(m_nThreads);
    LMSTBOX third(nullptr, "third", nullptr);
    EXPECT_NE(nullptr, third.GetWindow());
}
