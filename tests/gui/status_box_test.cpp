// The status box on its own, and LmProfileInstall importing the ticked profiles under it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "api/exports.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "fixture_names.h"
#include "gui_support.h"
#include "test_support.h"
#include "ui/lmstbox.h"

namespace {

RECT DesktopRect()
{
    RECT rc;
    GetWindowRect(GetDesktopWindow(), &rc);
    return rc;
}

bool ClassRegistered()
{
    WNDCLASSA wc;
    return GetClassInfoA(GetModuleHandleA(nullptr), "LMSTBOX", &wc) != FALSE;
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

// What the screen shows inside the box: its client area filled in the inactive-border colour,
// and the message with its count drawn over it in dark text.
void ExpectBoxOnScreen(const ScreenImage& shot, const RECT& rcClient)
{
    int nArea = (rcClient.right - rcClient.left) * (rcClient.bottom - rcClient.top);
    int nFill = shot.CountColour(rcClient, GetSysColor(COLOR_INACTIVEBORDER));
    int nText = shot.CountDark(rcClient);
    EXPECT_GT(nFill, nArea / 2) << "pixels of the inactive-border colour in the box; white: "
                                << shot.CountColour(rcClient, RGB(255, 255, 255)) << " of " << nArea;
    EXPECT_GT(nText, 60) << "dark (text) pixels in the box";
}

// The count whose line the screen shows in the box: the box's line for each count up to nMax,
// drawn as the box draws it into a bitmap of ours, compared pixel by pixel with the screen.
// -1 when no count matches (a blank box, or one drawn in part).
int ShownCount(const ScreenImage& shot, const RECT& rcClient, const char* pszText, HFONT hFont, int nMax)
{
    int cx = rcClient.right - rcClient.left, cy = rcClient.bottom - rcClient.top;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    HDC hdc = CreateCompatibleDC(nullptr);
    HBITMAP hBitmap = CreateDIBSection(hdc, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HGDIOBJ hOldBitmap = SelectObject(hdc, hBitmap);
    HGDIOBJ hOldFont = hFont ? SelectObject(hdc, hFont) : nullptr;
    HBRUSH hBrush = CreateSolidBrush(GetSysColor(COLOR_INACTIVEBORDER));
    SetBkMode(hdc, TRANSPARENT);
    int nShown = -1;
    for (int nCount = 0; nCount <= nMax && nShown < 0 && pBits; ++nCount) {
        RECT rc = {0, 0, cx, cy};
        FillRect(hdc, &rc, hBrush);
        char szLine[300];
        sprintf(szLine, "%s (%d)", pszText, nCount);
        DrawTextA(hdc, szLine, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        GdiFlush();
        const DWORD* pPixel = static_cast<const DWORD*>(pBits);
        int nDiffer = 0;
        for (int y = 0; y < cy; ++y) {
            for (int x = 0; x < cx; ++x, ++pPixel) {
                COLORREF cr = shot.Pixel(rcClient.left + x, rcClient.top + y);
                nDiffer += cr != RGB(BYTE(*pPixel >> 16), BYTE(*pPixel >> 8), BYTE(*pPixel));
            }
        }
        if (nDiffer == 0)
            nShown = nCount;
    }
    DeleteObject(hBrush);
    if (hOldFont)
        SelectObject(hdc, hOldFont);
    SelectObject(hdc, hOldBitmap);
    DeleteObject(hBitmap);
    DeleteDC(hdc);
    return nShown;
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
        INT nElement = COLOR_INACTIVEBORDER;
        COLORREF crTest = RGB(180, 210, 150);
        SetSysColors(1, &nElement, &crTest);
    }
    void TearDown() override
    {
        INT nElement = COLOR_INACTIVEBORDER;
        SetSysColors(1, &nElement, &m_crBorder);
        InitTraceFlag(FALSE);
    }
    COLORREF m_crBorder = 0;
};

}  // namespace

// A short message: 300 x 60 in the middle of the screen, its text on the screen; the count
// rises while the owner thread does not handle a single message; destruction ends the painter
// before the destructor returns.
TEST_F(StatusBox, ShowsInTheMiddleAndCountsWhileTheOwnerIsBusy)
{
    int nThreads = ThreadCount();
    HFONT hFont = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Shell Dlg");
    ScreenImage shot;
    RECT rcClient = {};
    int nAfterShot = 0;
    {
        LMSTBOX box(nullptr, "Processing... Common Profiles", hFont);
        HWND hWnd = box.GetWindow();
        ASSERT_NE(nullptr, hWnd) << TraceCapture::Dump();
        EXPECT_EQ(hWnd, FindWindowA("LMSTBOX", nullptr));
        EXPECT_TRUE(IsWindowVisible(hWnd));
        RECT rc, rcDesk = DesktopRect();
        GetWindowRect(hWnd, &rc);
        EXPECT_EQ(300, rc.right - rc.left);
        EXPECT_EQ(60, rc.bottom - rc.top);
        EXPECT_EQ((rcDesk.right - rcDesk.left - 300) / 2, rc.left);
        EXPECT_EQ((rcDesk.bottom - rcDesk.top - 60) / 2, rc.top);
        LONG lStyle = GetWindowLongA(hWnd, GWL_STYLE);
        EXPECT_TRUE((lStyle & WS_POPUP) && (lStyle & WS_THICKFRAME) && !(lStyle & WS_CAPTION)) << std::hex << lStyle;
        EXPECT_EQ(nThreads + 1, ThreadCount()) << "the painter thread";

        // On the screen from the painter's first paint on, not only once something else
        // happens to hand the window's drawing to the screen.
        ASSERT_TRUE(WaitForTrace("LMSTBOX::OnPaint, 1\n")) << TraceCapture::Dump();
        std::string why;
        ASSERT_TRUE(Screenshot("status_box", &why, &shot)) << why;
        ExpectBoxOnScreen(shot, ClientOnScreen(hWnd));
        nAfterShot = box.GetPaintCount();
        rcClient = ClientOnScreen(hWnd);
        ASSERT_TRUE(WaitForTrace("LMSTBOX::OnPaint, 3\n")) << TraceCapture::Dump();
        EXPECT_TRUE(TraceCapture::Contains("LMSTBOX::OnPaint, 0\n")) << TraceCapture::Dump();
        EXPECT_GE(box.GetPaintCount(), 4);
    }
    EXPECT_EQ(nullptr, FindWindowA("LMSTBOX", nullptr));
    EXPECT_FALSE(ClassRegistered());
    EXPECT_EQ(nThreads, ThreadCount());
    int nGoing = TraceCapture::Find("LMSTBOX::~LMSTBOX\n");
    int nEnded = TraceCapture::Find("StatusBoxProc Ended\n", nGoing);
    int nEnd = TraceCapture::Find("LMSTBOX::~LMSTBOX end\n", nGoing);
    ASSERT_GE(nGoing, 0) << TraceCapture::Dump();
    EXPECT_GT(nEnded, nGoing) << TraceCapture::Dump();
    EXPECT_GT(nEnd, nEnded) << "the painter outlived the box" << TraceCapture::Dump();

    // The line of the painter's latest paint, not the owner's first one (0) left over.
    int nShown = ShownCount(shot, rcClient, "Processing... Common Profiles", hFont, nAfterShot);
    EXPECT_GE(nShown, 1) << "count on the screen (-1: none); painted " << nAfterShot;
    DeleteObject(hFont);
}

// Destroyed right after it was made, the box still ends its painter before it goes.
TEST_F(StatusBox, ImmediateDestructionEndsThePainterFirst)
{
    int nThreads = ThreadCount();
    { LMSTBOX box(nullptr, "x", nullptr); ASSERT_NE(nullptr, box.GetWindow()); }
    EXPECT_EQ(nThreads, ThreadCount());
    int nEnded = TraceCapture::Find("StatusBoxProc Ended\n");
    EXPECT_GE(nEnded, 0) << TraceCapture::Dump();
    EXPECT_GT(TraceCapture::Find("LMSTBOX::~LMSTBOX end\n"), nEnded);
    EXPECT_FALSE(ClassRegistered());
}

// A second box while the first shows is refused (nothing shown, no thread); after the first
// one went a new one works.
TEST_F(StatusBox, SecondBoxWaitsForTheFirst)
{
    int nThreads = ThreadCount();
    {
        LMSTBOX first(nullptr, "first", nullptr);
        ASSERT_NE(nullptr, first.GetWindow());
        LMSTBOX second(nullptr, "second", nullptr);
        EXPECT_EQ(nullptr, second.GetWindow());
        EXPECT_EQ(nThreads + 1, ThreadCount());
    }
    EXPECT_TRUE(TraceCapture::Contains("CreateStatusBox end\n"));
    LMSTBOX third(nullptr, "third", nullptr);
    EXPECT_NE(nullptr, third.GetWindow());
}

// A message wider than 300 pixels in the box's font widens the box so that it fits.
TEST_F(StatusBox, LongMessageWidensTheBox)
{
    std::string text(28, 'W');   // wider than 300 pixels, narrower than the 640-pixel test screen
    HFONT hFont = CreateFontA(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Shell Dlg");
    HDC hdc = GetDC(nullptr);
    HGDIOBJ hOld = SelectObject(hdc, hFont);
    SIZE size = {};
    GetTextExtentPoint32A(hdc, text.c_str(), int(text.size()), &size);
    SelectObject(hdc, hOld);
    ReleaseDC(nullptr, hdc);
    ASSERT_GT(size.cx, 300);
    {
        LMSTBOX box(nullptr, text.c_str(), hFont);
        ASSERT_NE(nullptr, box.GetWindow());
        RECT rc, rcDesk = DesktopRect();
        GetWindowRect(box.GetWindow(), &rc);
        EXPECT_EQ(size.cx + 30, rc.right - rc.left);
        EXPECT_EQ((rcDesk.right - rcDesk.left - (size.cx + 30)) / 2, rc.left);
    }
    DeleteObject(hFont);
}

namespace {

// Watches the library's trace lines on the importing thread: at each profile import, whether
// the status box is on the screen; at the first, a screenshot while the import waits.
struct ImportProbe {
    int nImports = 0;
    int nWithBox = 0;
    bool bShot = false;
    std::string why;
    ScreenImage shot;
    RECT rcBox = {};
};
ImportProbe* g_pProbe = nullptr;

LONG CALLBACK OnTraceLine(EXCEPTION_POINTERS* pInfo)
{
    const EXCEPTION_RECORD* pRec = pInfo->ExceptionRecord;
    if (pRec->ExceptionCode != 0x40010006 || pRec->NumberParameters < 2 || !g_pProbe)
        return EXCEPTION_CONTINUE_SEARCH;
    const char* pszLine = reinterpret_cast<const char*>(pRec->ExceptionInformation[1]);
    if (pszLine && strstr(pszLine, "LMPROFJXP::LoadProfileFromJXP - ")) {
        ++g_pProbe->nImports;
        HWND hBox = FindWindowA("LMSTBOX", nullptr);
        if (hBox && IsWindowVisible(hBox))
            ++g_pProbe->nWithBox;
        if (g_pProbe->nImports == 1 && hBox) {
            // The import waits here, handling no message: the box is on the screen once the
            // painter painted, and goes on counting.
            g_pProbe->rcBox = ClientOnScreen(hBox);
            g_pProbe->bShot = WaitForTrace("LMSTBOX::OnPaint, 1\n") &&
                              Screenshot("install_status_box", &g_pProbe->why, &g_pProbe->shot) &&
                              WaitForTrace("LMSTBOX::OnPaint, 2\n");
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

std::string TempFolder(const char* pszName)
{
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    std::string folder = std::string(szTemp) + pszName;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

}  // namespace

// Office and Photo ticked of Office, Draft, Photo: exactly those two land in the printer, each
// while the status box shows; afterwards the box, its class and its thread are gone.
TEST_F(StatusBox, InstallImportsTheTickedProfilesUnderTheBox)
{
    ScratchPrinter source("LmGui Source", FIXTURE_MODEL_A), target("LmGui Target", FIXTURE_MODEL_A);
    ASSERT_TRUE(source.Ok() && target.Ok());
    std::string folder = TempFolder("LmGui install");
    const char* names[] = {"Office", "Draft", "Photo"};
    {
        std::wstring wide(L"LmGui Source");
        LMPROFJXP session(nullptr, wide.c_str(), nullptr);
        for (int i = 0; i < 3; ++i) {
            std::vector<BYTE> dm(session.m_pDefaultDevMode.get(),
                                 session.m_pDefaultDevMode.get() + session.m_dwDefaultDevModeSize);
            reinterpret_cast<DEVMODEW*>(dm.data())->dmCopies = short(2 + i);
            session.SaveProfileRegValue(names[i], i + 1, "Default DevMode", dm.data(), DWORD(dm.size()), REG_BINARY);
            ASSERT_TRUE(session.AddProfileToModel(names[i], "", 0, 0, i + 1));
        }
    }
    ASSERT_TRUE(InitJxpApi(nullptr, "LmGui Source"));
    for (const char* pszName : names) {
        std::string file = folder + "\\" + pszName + ".jxp";
        ASSERT_EQ(1, ExportProfileToJxp(pszName, file.c_str())) << pszName;
    }
    CloseJxpApi(nullptr, nullptr);
    std::string ini = "[LmProfInst]\r\nProfCount=3\r\n";
    for (int i = 0; i < 3; ++i) {
        char sz[200];
        sprintf(sz, "Prof%d=%s\r\nProfName%d=%s\r\nProfJxpName%d=%s.jxp\r\n", i + 1, names[i], i + 1, names[i], i + 1,
                names[i]);
        ini += sz;
    }
    HANDLE h = CreateFileA((folder + "\\LmProfInst.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD dw = 0;
    WriteFile(h, ini.data(), DWORD(ini.size()), &dw, nullptr);
    CloseHandle(h);

    SetupBlock setup("LmGui Target", FIXTURE_MODEL_A, folder);
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

    int nThreads = ThreadCount();
    ImportProbe probe;
    g_pProbe = &probe;
    PVOID pHandler = AddVectoredExceptionHandler(1, OnTraceLine);
    TraceCapture::Clear();
    EXPECT_EQ(1, Wizard().LmProfileInstall(0, 0, setup.Get()));
    RemoveVectoredExceptionHandler(pHandler);
    g_pProbe = nullptr;

    EXPECT_EQ(2, probe.nImports) << TraceCapture::Dump();
    EXPECT_EQ(2, probe.nWithBox) << "imports made without the status box on the screen";
    EXPECT_TRUE(probe.bShot) << probe.why << TraceCapture::Dump();
    if (probe.bShot) {
        ExpectBoxOnScreen(probe.shot, probe.rcBox);
        EXPECT_GE(ShownCount(probe.shot, probe.rcBox, "Processing... Common Profiles", setup.BodyFont(), 10), 1)
            << "the painter's paints did not reach the screen";
    }
    EXPECT_EQ(nullptr, FindWindowA("LMSTBOX", nullptr));
    EXPECT_FALSE(ClassRegistered());
    EXPECT_EQ(nThreads, ThreadCount());
    int nEnded = TraceCapture::Find("StatusBoxProc Ended\n");
    EXPECT_GE(nEnded, 0) << TraceCapture::Dump();
    EXPECT_GT(TraceCapture::Find("LMSTBOX::~LMSTBOX end\n"), nEnded);

    LMPROFJXP check(nullptr, L"LmGui Target", nullptr);
    EXPECT_NE(0u, check.GetProfRegNum("Office"));
    EXPECT_EQ(0u, check.GetProfRegNum("Draft"));
    EXPECT_NE(0u, check.GetProfRegNum("Photo"));
    DWORD cb = 0;
    auto dm = check.GetProfileDevModeFromReg("Photo", &cb);
    ASSERT_NE(nullptr, dm);
    EXPECT_EQ(4, reinterpret_cast<DEVMODEW*>(dm.get())->dmCopies);

    for (const char* pszName : names)
        DeleteFileA((folder + "\\" + pszName + ".jxp").c_str());
    DeleteFileA((folder + "\\LmProfInst.ini").c_str());
    RemoveDirectoryA(folder.c_str());
}
