// The status box on its own, and LmProfileInstall importing the ticked profiles under it.
#include <gtest/gtest.h>

#include <string>

#include "api/exports.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "fixture_names.h"
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
    EXPECT_GT(shot.CountColour(rcClient, GetSysColor(COLOR_INACTIVEBORDER)), cx * cy / 2)
        << "pixels of the inactive-border colour in the box; white: "
        << shot.CountColour(rcClient, RGB(255, 255, 255)) << " of " << cx * cy;
    EXPECT_GT(shot.CountDark(rcClient), 60) << "dark (text) pixels in the box";
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
        EXPECT_EQ(hWnd, FindWindowA("LMSTBOX", nullptr));
        EXPECT_TRUE(IsWindowVisible(hWnd));
        GetWindowRect(hWnd, &rc);
        EXPECT_EQ(300, rc.right - rc.left);
        EXPECT_EQ(60, rc.bottom - rc.top);
        EXPECT_EQ((rcDesk.right - 300) / 2, rc.left);
        EXPECT_EQ((rcDesk.bottom - 60) / 2, rc.top);
        LONG lStyle = GetWindowLongA(hWnd, GWL_STYLE);
        EXPECT_TRUE((lStyle & WS_POPUP) && (lStyle & WS_THICKFRAME) && !(lStyle & WS_CAPTION)) << std::hex << lStyle;
        EXPECT_EQ(m_nThreads + 1, ThreadCount()) << "the painter thread";

        ASSERT_TRUE(WaitForTrace("LMSTBOX::OnPaint, 1\n")) << TraceCapture::Dump();
        std::string why;
        ScreenImage shot;
        ASSERT_TRUE(Screenshot("status_box", &shot, &why)) << why;
        ExpectBoxOnScreen(shot, ClientOnScreen(hWnd), hFont, box.GetPaintCount());
        ASSERT_TRUE(WaitForTrace("LMSTBOX::OnPaint, 3\n")) << TraceCapture::Dump();
        EXPECT_TRUE(TraceCapture::Contains("LMSTBOX::OnPaint, 0\n")) << TraceCapture::Dump();
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

namespace {

// Counts the profile imports on the importing thread, by the library's trace lines, and those
// made while the status box is on the screen.
int g_nImports = 0, g_nWithBox = 0;

LONG CALLBACK OnTraceLine(EXCEPTION_POINTERS* pInfo)
{
    const EXCEPTION_RECORD* pRec = pInfo->ExceptionRecord;
    if (pRec->ExceptionCode == 0x40010006 && pRec->NumberParameters >= 2 && pRec->ExceptionInformation[1] &&
        strstr(reinterpret_cast<const char*>(pRec->ExceptionInformation[1]), "LMPROFJXP::LoadProfileFromJXP - ")) {
        HWND hBox = FindWindowA("LMSTBOX", nullptr);
        ++g_nImports;
        g_nWithBox += hBox && IsWindowVisible(hBox);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

// Office and Photo ticked of Office, Draft, Photo: exactly those two land in the printer, each
// while the status box shows; afterwards the box, its class and its thread are gone. (The box's
// paints reaching the screen while its owner is busy: the test above.)
TEST_F(StatusBox, InstallImportsTheTickedProfilesUnderTheBox)
{
    ScratchPrinter source("LmGui Source", FIXTURE_MODEL_A), target("LmGui Target", FIXTURE_MODEL_A);
    ASSERT_TRUE(source.Ok() && target.Ok());
    WorkFolder work("install");
    const char* names[] = {"Office", "Draft", "Photo"};
    std::string ini = "[LmProfInst]\r\nProfCount=3\r\n";
    {
        auto session = OpenSession("LmGui Source");
        for (int i = 0; i < 3; ++i) {
            Bytes dm(session->m_pDefaultDevMode.get(), session->m_pDefaultDevMode.get() + session->m_dwDefaultDevModeSize);
            reinterpret_cast<DEVMODEW*>(dm.data())->dmCopies = short(2 + i);
            session->SaveProfileRegValue(names[i], i + 1, "Default DevMode", dm.data(), DWORD(dm.size()), REG_BINARY);
            ASSERT_TRUE(session->AddProfileToModel(names[i], "", 0, 0, i + 1));
            std::string n = std::to_string(i + 1);
            ini += "Prof" + n + "=" + names[i] + "\r\nProfName" + n + "=" + names[i] + "\r\nProfJxpName" + n + "=" +
                   names[i] + ".jxp\r\n";
        }
    }
    WriteBytes(work.Path("LmProfInst.ini"), Bytes(ini.begin(), ini.end()));
    ASSERT_TRUE(InitJxpApi(nullptr, "LmGui Source"));
    for (const char* pszName : names)
        ASSERT_EQ(1, ExportProfileToJxp(pszName, work.Path(std::string(pszName) + ".jxp").c_str())) << pszName;
    CloseJxpApi(nullptr, nullptr);

    SetupBlock setup("LmGui Target", FIXTURE_MODEL_A, work.Dir());
    {
        WizardRun run(setup.Get());
        HWND hPage = run.WaitPage();
        ASSERT_NE(nullptr, hPage);
        ClickRow(GetDlgItem(hPage, 1000), 0);
        ClickRow(GetDlgItem(hPage, 1000), 2);
        PostMessageA(GetDlgItem(hPage, 1003), BM_CLICK, 0, 0);
        ASSERT_TRUE(run.Join());
        ASSERT_EQ(1, run.Result());
    }
    ASSERT_EQ(2, Wizard().LmRunModuleCount(0));

    PVOID pHandler = AddVectoredExceptionHandler(1, OnTraceLine);
    TraceCapture::Clear();
    EXPECT_EQ(1, Wizard().LmProfileInstall(0, 0, setup.Get()));
    RemoveVectoredExceptionHandler(pHandler);
    EXPECT_EQ(2, g_nImports) << TraceCapture::Dump();
    EXPECT_EQ(2, g_nWithBox) << "imports made without the status box on the screen";
    ExpectBoxGone(m_nThreads);
    auto check = OpenSession("LmGui Target");
    EXPECT_NE(0u, check->GetProfRegNum("Office"));
    EXPECT_EQ(0u, check->GetProfRegNum("Draft"));
    EXPECT_NE(0u, check->GetProfRegNum("Photo"));
}
