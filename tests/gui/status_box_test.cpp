// The status box on its own, and LmProfileInstall importing the ticked profiles under it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/exports.h"
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

class StatusBox : public testing::Test {
protected:
    void SetUp() override
    {
        InitTraceFlag(TRUE);
        TraceCapture::Clear();
    }
    void TearDown() override { InitTraceFlag(FALSE); }
};

}  // namespace

// A short message: 300 x 60 in the middle of the screen; the count rises about once a second
// while the owner thread does not handle a single message; destruction ends the painter.
TEST_F(StatusBox, ShowsInTheMiddleAndCountsWhileTheOwnerIsBusy)
{
    int nThreads = ThreadCount();
    DWORD dwGone;
    {
        HFONT hFont = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Shell Dlg");
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

        int nFirst = box.GetPaintCount();
        Sleep(2600);   // no message handled meanwhile
        EXPECT_GE(box.GetPaintCount() - nFirst, 2) << TraceCapture::Dump();
        EXPECT_TRUE(TraceCapture::Contains("LMSTBOX::OnPaint, 0\n"));
        EXPECT_TRUE(TraceCapture::Contains("LMSTBOX::OnPaint, 2\n"));
        std::string why;
        EXPECT_TRUE(Screenshot("status_box", &why)) << why;
        dwGone = GetTickCount();
    }
    dwGone = GetTickCount() - dwGone;
    EXPECT_LT(dwGone, 1500u) << "the destructor waited that long for the painter";
    EXPECT_EQ(nullptr, FindWindowA("LMSTBOX", nullptr));
    EXPECT_FALSE(ClassRegistered());
    EXPECT_EQ(nThreads, ThreadCount());
    int nEnded = TraceCapture::Find("StatusBoxProc Ended\n");
    EXPECT_GE(nEnded, 0) << TraceCapture::Dump();
    EXPECT_GT(TraceCapture::Find("LMSTBOX::~LMSTBOX end\n"), nEnded) << "the painter outlived the box";
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
        if (g_pProbe->nImports == 1) {
            // The import waits here; the painter goes on painting, and its paints reach the
            // screen before the screenshot even on a loaded machine.
            Sleep(1500);
            g_pProbe->bShot = Screenshot("install_status_box", &g_pProbe->why);
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
    EXPECT_TRUE(probe.bShot) << probe.why;
    EXPECT_EQ(nullptr, FindWindowA("LMSTBOX", nullptr));
    EXPECT_FALSE(ClassRegistered());
    EXPECT_EQ(nThreads, ThreadCount());
    int nEnded = TraceCapture::Find("StatusBoxProc Ended\n");
    EXPECT_GE(nEnded, 0) << TraceCapture::Dump();
    EXPECT_GT(TraceCapture::Find("LMSTBOX::~LMSTBOX end\n"), nEnded);
    // While the import waited for the screenshot, the painter went on counting.
    EXPECT_TRUE(TraceCapture::Contains("LMSTBOX::OnPaint, 2\n")) << TraceCapture::Dump();

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
