// The profile selection page as the user meets it: the built DLL's LmProfileWizard on the
// installer's thread, the page driven with mouse and key messages from the test thread.
#include <gtest/gtest.h>

#include <string>

#include "fixture_names.h"
#include "gui_support.h"
#include "test_support.h"
#include "ui/lmlangsprt.h"

namespace {

const char TITLE[] = "Printer Driver Setup";

// What the page says in each language the tests run in.
struct PageTexts {
    const char* pszTag;
    const wchar_t* pwszBack;
    const wchar_t* pwszNext;
    const wchar_t* pwszCancel;
    const wchar_t* pwszConfirm;
    const wchar_t* pwszProfiles;
    const wchar_t* pwszDescription;
};
const PageTexts TEXTS[] = {
    {"en", L"< &Back", L"&Next >", L"&Cancel", L"Are you sure you want to cancel?", L"Profiles", L"Description"},
    {"de", L"< &Zurück", L"&Weiter >", L"&Abbrechen", L"Möchten Sie wirklich abbrechen?", L"Profile",
     L"Beschreibung"},
    {"ja", L"< 戻る(&B)", L"次へ(&N) >", L"キャンセル(&C)", L"キャンセルしてもよろしいですか?", L"プロファイル",
     L"説明"},
    {"ru", L"< &Назад", L"&Далее >", L"&Отмена", L"Вы действительно хотите отменить?", L"Профили", L"Описание"},
};

const PageTexts* UserTexts()
{
    for (const auto& t : TEXTS)
        if (UserLanguageTag() == t.pszTag)
            return &t;
    return nullptr;
}

// Slots for both fixture models: the Laser printer is offered Office, Draft and Photo.
const char OFFER_INI[] =
    "[LmProfInst]\r\nProfCount=4\r\n"
    "Prof1=Office\r\nProfName1=Office\r\nProfDesc1=Duplex, two pages a sheet\r\nProfJxpName1=office.jxp\r\n"
    "ProfModel1=" FIXTURE_MODEL_A "\r\n"
    "Prof2=Draft\r\nProfName2=Draft\r\nProfDesc2=Toner saver, fast\r\nProfJxpName2=draft.jxp\r\n"
    "Prof3=Poster\r\nProfName3=Poster\r\nProfDesc3=Jet only\r\nProfJxpName3=poster.jxp\r\n"
    "ProfModel3=" FIXTURE_MODEL_B "\r\n"
    "Prof4=Photo\r\nProfName4=Photo\r\nProfJxpName4=photo.jxp\r\nProfNotModel4=" FIXTURE_MODEL_B "\r\n"
    "ProfDesc4=Glossy photo paper, best quality, colour matching on, for prints that are framed and hung "
    "on the wall of the office\r\n";

class WizardPage : public testing::Test {
protected:
    void SetUp() override
    {
        char szTemp[MAX_PATH];
        GetTempPathA(MAX_PATH, szTemp);
        m_folder = std::string(szTemp) + "LmGui " + testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(m_folder.c_str(), nullptr);
        TraceCapture::Clear();
    }
    void TearDown() override
    {
        DeleteFileA((m_folder + "\\LmProfInst.ini").c_str());
        RemoveDirectoryA(m_folder.c_str());
    }
    void WriteIni(const std::string& text)
    {
        HANDLE h = CreateFileA((m_folder + "\\LmProfInst.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               0, nullptr);
        DWORD dw = 0;
        WriteFile(h, text.data(), DWORD(text.size()), &dw, nullptr);
        CloseHandle(h);
    }
    static void Press(HWND hPage, int nId)
    {
        PostMessageA(GetDlgItem(hPage, nId), BM_CLICK, 0, 0);
    }
    static int Ticks() { return Wizard().LmRunModuleCount(0); }
    std::string m_folder;
};

}  // namespace

// Only the printer's model's profiles are listed, with their descriptions; a click or the
// space bar flips a row's tick, the arrow keys move without ticking; Next hands the ticks on.
TEST_F(WizardPage, TicksFollowClicksAndSpaceNotArrows)
{
    const PageTexts* pTexts = UserTexts();
    ASSERT_NE(nullptr, pTexts) << "no texts for the user's language " << GetUserDefaultLangID();
    WriteIni(OFFER_INI);
    SetupBlock setup(FIXTURE_PRINTER_A1, FIXTURE_MODEL_A, m_folder);
    WizardRun run(setup.Get());
    HWND hPage = run.WaitPage();
    ASSERT_NE(nullptr, hPage) << TraceCapture::Dump();
    HWND hList = GetDlgItem(hPage, 1000);

    EXPECT_EQ(std::wstring(TITLE, TITLE + sizeof(TITLE) - 1), WindowTextW(hPage));
    EXPECT_EQ(pTexts->pwszBack, WindowTextW(GetDlgItem(hPage, 1002)));
    EXPECT_EQ(pTexts->pwszNext, WindowTextW(GetDlgItem(hPage, 1003)));
    EXPECT_EQ(pTexts->pwszCancel, WindowTextW(GetDlgItem(hPage, 1004)));
    for (int i = 0; i < 2; ++i) {
        wchar_t wsz[64] = L"";
        LVCOLUMNW col = {};
        col.mask = LVCF_TEXT;
        col.pszText = wsz;
        col.cchTextMax = 64;
        SendMessageW(hList, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
        EXPECT_EQ(i ? pTexts->pwszDescription : pTexts->pwszProfiles, std::wstring(wsz));
    }
    ASSERT_EQ(3, SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ("Office", RowText(hList, 0, 0));
    EXPECT_EQ("Duplex, two pages a sheet", RowText(hList, 0, 1));
    EXPECT_EQ("Draft", RowText(hList, 1, 0));
    EXPECT_EQ("Photo", RowText(hList, 2, 0));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Check::Empty, RowCheck(hList, i)) << "row " << i;
    EXPECT_EQ(0, Ticks());

    ClickRow(hList, 0);
    EXPECT_EQ(1, Ticks());
    EXPECT_EQ(Check::Ticked, RowCheck(hList, 0));
    ClickRow(hList, 0);
    EXPECT_EQ(0, Ticks()) << "a second click unticks";
    EXPECT_EQ(Check::Empty, RowCheck(hList, 0));
    ClickRow(hList, 0);
    ClickRow(hList, 2);
    EXPECT_EQ(2, Ticks());
    EXPECT_EQ(Check::Ticked, RowCheck(hList, 0));
    EXPECT_EQ(Check::Empty, RowCheck(hList, 1));
    EXPECT_EQ(Check::Ticked, RowCheck(hList, 2));

    // Arrows from the last clicked row (2) up to 0 and down to 1: nothing flips.
    PressKey(hList, VK_UP);
    PressKey(hList, VK_UP);
    PressKey(hList, VK_DOWN);
    EXPECT_EQ(1, SendMessageA(hList, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
    EXPECT_EQ(2, Ticks());
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RowBackground(hList, 1)) << "the selected row is highlighted";
    EXPECT_EQ(Check::Empty, RowCheck(hList, 1));
    PressKey(hList, VK_SPACE);
    EXPECT_EQ(3, Ticks());
    EXPECT_EQ(Check::Ticked, RowCheck(hList, 1));
    PressKey(hList, VK_SPACE);
    EXPECT_EQ(2, Ticks());
    EXPECT_EQ(Check::Empty, RowCheck(hList, 1));
    PressKey(hList, VK_SPACE);
    EXPECT_EQ(3, Ticks());

    // On the screen: the three rows' texts in the list, and each button's label in its face.
    std::string why;
    ScreenImage shot;
    ASSERT_TRUE(Screenshot("wizard_" + UserLanguageTag(), &why, &shot)) << why;
    for (int i = 0; i < 3; ++i) {
        RECT rc = {};
        rc.left = LVIR_BOUNDS;
        SendMessageA(hList, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rc));
        MapWindowPoints(hList, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        rc.left += 18;   // right of the check box
        EXPECT_GT(shot.CountDark(rc), 60) << "dark (text) pixels in row " << i;
    }
    for (int nId : {1002, 1003, 1004})
        EXPECT_GT(shot.CountDark(ClientOnScreen(GetDlgItem(hPage, nId), 5)), 25) << "text pixels in button " << nId;

    Press(hPage, 1003);
    ASSERT_TRUE(run.Join());
    EXPECT_EQ(1, run.Result());
    EXPECT_EQ(3, Ticks()) << "the ticks stay after the page";
    EXPECT_TRUE(TraceCapture::Contains("LMPROFINST::OnInit\n")) << TraceCapture::Dump();
    EXPECT_TRUE(TraceCapture::Contains("LMPROFINST::OnDestroy\n"));
}

// Cancel asks first; answering Cancel keeps the page, OK ends it with 0. The close box asks
// the same question.
TEST_F(WizardPage, CancelAsksAndOnlyOkLeaves)
{
    const PageTexts* pTexts = UserTexts();
    ASSERT_NE(nullptr, pTexts);
    WriteIni(OFFER_INI);
    SetupBlock setup(FIXTURE_PRINTER_A1, FIXTURE_MODEL_A, m_folder);
    WizardRun run(setup.Get());
    HWND hPage = run.WaitPage();
    ASSERT_NE(nullptr, hPage);

    Press(hPage, 1004);
    HWND hBox = WaitMessageBox(hPage);
    ASSERT_NE(nullptr, hBox) << "no confirmation";
    EXPECT_EQ(pTexts->pwszConfirm, MessageBoxText(hBox));
    EXPECT_EQ(std::wstring(TITLE, TITLE + sizeof(TITLE) - 1), WindowTextW(hBox));
    PostMessageA(hBox, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(run.Join(1500)) << "answered Cancel, the page ended with " << run.Result();
    EXPECT_TRUE(IsWindowVisible(hPage));
    EXPECT_FALSE(IsWindow(hBox));

    PostMessageA(hPage, WM_CLOSE, 0, 0);
    hBox = WaitMessageBox(hPage);
    ASSERT_NE(nullptr, hBox) << "the close box did not ask";
    EXPECT_EQ(pTexts->pwszConfirm, MessageBoxText(hBox));
    PostMessageA(hBox, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(run.Join());
    EXPECT_EQ(0, run.Result());
}

// Back answers -1; the page shown again starts with every row unticked.
TEST_F(WizardPage, BackReturnsAndThePageComesBackUnticked)
{
    WriteIni(OFFER_INI);
    SetupBlock setup(FIXTURE_PRINTER_A1, FIXTURE_MODEL_A, m_folder);
    {
        WizardRun run(setup.Get());
        HWND hPage = run.WaitPage();
        ASSERT_NE(nullptr, hPage);
        ClickRow(GetDlgItem(hPage, 1000), 1);
        ASSERT_EQ(1, Ticks());
        Press(hPage, 1002);
        ASSERT_TRUE(run.Join());
        EXPECT_EQ(-1, run.Result());
    }
    WizardRun again(setup.Get());
    HWND hPage = again.WaitPage();
    ASSERT_NE(nullptr, hPage);
    EXPECT_EQ(0, Ticks());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Check::Empty, RowCheck(GetDlgItem(hPage, 1000), i)) << "row " << i;
    Press(hPage, 1003);
    ASSERT_TRUE(again.Join());
    EXPECT_EQ(1, again.Result());
    EXPECT_EQ(0, Ticks());
}

// The page opens where the block says and leaves where the user moved it for the next page.
TEST_F(WizardPage, PagePositionTravelsInTheBlock)
{
    WriteIni(OFFER_INI);
    SetupBlock setup(FIXTURE_PRINTER_A1, FIXTURE_MODEL_A, m_folder);
    WizardRun run(setup.Get());
    HWND hPage = run.WaitPage();
    ASSERT_NE(nullptr, hPage);
    RECT rc;
    GetWindowRect(hPage, &rc);
    EXPECT_EQ(40, rc.left);
    EXPECT_EQ(30, rc.top);
    SetWindowPos(hPage, nullptr, 90, 64, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Press(hPage, 1003);
    ASSERT_TRUE(run.Join());
    EXPECT_EQ(90, setup.I32(setupdata::OFF_LEFT));
    EXPECT_EQ(64, setup.I32(setupdata::OFF_TOP));
}

// Two slots with one display name: each row ticks and shows its own entry.
TEST_F(WizardPage, RowsWithTheSameNameTickTheirOwnEntry)
{
    WriteIni("[LmProfInst]\r\nProfCount=2\r\nProfJxpName=common.jxp\r\n"
             "Prof1=Office\r\nProfName1=Office\r\nProfDesc1=Letter\r\n"
             "Prof2=Office A4\r\nProfName2=Office\r\nProfDesc2=A4\r\n");
    SetupBlock setup(FIXTURE_PRINTER_A1, FIXTURE_MODEL_A, m_folder);
    WizardRun run(setup.Get());
    HWND hPage = run.WaitPage();
    ASSERT_NE(nullptr, hPage);
    HWND hList = GetDlgItem(hPage, 1000);
    ClickRow(hList, 1);
    EXPECT_EQ(1, Ticks());
    EXPECT_EQ(Check::Empty, RowCheck(hList, 0));
    EXPECT_EQ(Check::Ticked, RowCheck(hList, 1));
    ClickRow(hList, 0);
    EXPECT_EQ(2, Ticks());
    EXPECT_EQ(Check::Ticked, RowCheck(hList, 0));
    Press(hPage, 1003);
    ASSERT_TRUE(run.Join());
}

// Keys that move the selection tick nothing, and a key that cannot move it (Down on the last
// row, Up or Shift before any row has the focus) does not swallow the next click's tick.
TEST_F(WizardPage, NavigationKeysTickNothingAndLeaveClicksWorking)
{
    WriteIni(OFFER_INI);
    SetupBlock setup(FIXTURE_PRINTER_A1, FIXTURE_MODEL_A, m_folder);
    WizardRun run(setup.Get());
    HWND hPage = run.WaitPage();
    ASSERT_NE(nullptr, hPage);
    HWND hList = GetDlgItem(hPage, 1000);
    for (WORD wKey : {VK_SHIFT, VK_CONTROL, VK_TAB, VK_UP})
        PressKey(hList, wKey);
    ASSERT_EQ(-1, SendMessageA(hList, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
    ClickRow(hList, 0);
    ASSERT_EQ(1, Ticks()) << "the click after Shift, Ctrl, Tab and Up with no row focused ticked nothing";
    PressKey(hList, VK_END);
    EXPECT_EQ(2, SendMessageA(hList, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
    EXPECT_EQ(1, Ticks()) << "End ticked the last row";
    PressKey(hList, VK_DOWN);
    PressKey(hList, VK_HOME);
    EXPECT_EQ(1, Ticks()) << "Home ticked the first row";
    PressKey(hList, VK_UP);
    ClickRow(hList, 1);
    EXPECT_EQ(2, Ticks()) << "the click after Up on the first row ticked nothing";
    EXPECT_EQ(Check::Ticked, RowCheck(hList, 1));
    Press(hPage, 1003);
    ASSERT_TRUE(run.Join());
}

// A Windows 9x installer's block: the same page through the ANSI calls.
TEST_F(WizardPage, AnsiBlockShowsTheSamePage)
{
    const PageTexts* pTexts = UserTexts();
    ASSERT_NE(nullptr, pTexts);
    WriteIni(OFFER_INI);
    SetupBlock setup(FIXTURE_PRINTER_A1, FIXTURE_MODEL_A, m_folder, true);
    WizardRun run(setup.Get());
    HWND hPage = run.WaitPage();
    ASSERT_NE(nullptr, hPage) << TraceCapture::Dump();
    EXPECT_FALSE(IsWindowUnicode(hPage));
    EXPECT_EQ(std::wstring(TITLE, TITLE + sizeof(TITLE) - 1), WindowTextW(hPage));
    EXPECT_EQ(pTexts->pwszNext, WindowTextW(GetDlgItem(hPage, 1003)));
    HWND hList = GetDlgItem(hPage, 1000);
    ASSERT_EQ(3, SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    ClickRow(hList, 2);
    EXPECT_EQ(1, Ticks());
    EXPECT_EQ(Check::Ticked, RowCheck(hList, 2));
    Press(hPage, 1002);
    ASSERT_TRUE(run.Join());
    EXPECT_EQ(-1, run.Result());
}

// Nothing for this model: no page, the block's own answer, no ticks.
TEST_F(WizardPage, NoOfferedProfileSkipsThePage)
{
    WriteIni("[LmProfInst]\r\nProfCount=1\r\nProf1=Poster\r\nProfName1=Poster\r\nProfModel1=" FIXTURE_MODEL_B "\r\n");
    SetupBlock setup(FIXTURE_PRINTER_A1, FIXTURE_MODEL_A, m_folder);
    WizardRun run(setup.Get());
    ASSERT_TRUE(run.Join());
    EXPECT_EQ(7, run.Result());
    EXPECT_EQ(0, Ticks());
    EXPECT_FALSE(TraceCapture::Contains("LMPROFINST::OnInit\n"));
}

namespace {

// The page's controls in its client coordinates.
RECT RectInPage(HWND hPage, int nId)
{
    RECT rc = {};
    GetWindowRect(GetDlgItem(hPage, nId), &rc);
    MapWindowPoints(nullptr, hPage, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// Each button's label, measured in the button's own font, fits its face: the client width
// less the frame and the focus rectangle, 6 pixels a side. The buttons stay in one row, in
// order, inside the page and right of the list's left edge.
void ExpectLabelsFit(HWND hPage, const char* pszWhere)
{
    RECT rcPage;
    GetClientRect(hPage, &rcPage);
    RECT rcPrevious = RectInPage(hPage, 1000);
    rcPrevious.right = rcPrevious.left;
    for (int nId : {1002, 1003, 1004}) {
        HWND hButton = GetDlgItem(hPage, nId);
        std::wstring text = WindowTextW(hButton), label;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == L'&' && i + 1 < text.size())
                ++i;   // "&&" stands for one "&", "&x" underlines x
            label += text[i];
        }
        HDC hdc = GetDC(hButton);
        HGDIOBJ hOld = SelectObject(hdc, reinterpret_cast<HGDIOBJ>(SendMessageW(hButton, WM_GETFONT, 0, 0)));
        SIZE size = {};
        GetTextExtentPoint32W(hdc, label.c_str(), int(label.size()), &size);
        SelectObject(hdc, hOld);
        ReleaseDC(hButton, hdc);
        RECT rcFace, rc = RectInPage(hPage, nId);
        GetClientRect(hButton, &rcFace);
        EXPECT_FALSE(label.empty()) << pszWhere << ": button " << nId;
        EXPECT_LE(size.cx + 12, rcFace.right) << pszWhere << ": \"" << text << "\" is " << size.cx
                                               << " pixels wide, button " << nId << " " << rcFace.right;
        EXPECT_GE(rc.left, rcPrevious.right) << pszWhere << ": button " << nId << " overlaps the one before";
        EXPECT_LE(rc.right, rcPage.right) << pszWhere << ": button " << nId << " leaves the page";
        rcPrevious = rc;
    }
}

}  // namespace

// In every language of the library's tables, and in a body font twice as wide as usual, each
// button shows its whole label: the buttons grow to their texts, and the page grows when the
// row no longer fits.
TEST_F(WizardPage, ButtonLabelsFitInEveryLanguage)
{
    WriteIni(OFFER_INI);
    const struct { int nTable; DWORD dwLanguage; } languages[] = {
        {110, 0x00C1}, {111, 0x040C}, {112, 0x0407}, {113, 0x0410}, {114, 0x0411}, {115, 0x0412},
        {116, 0x0416}, {117, 0x00C0}, {118, 0x0C0A}, {119, 0x0409}, {120, 0x0419}, {121, 0x0405},
        {122, 0x0415}, {123, 0x0413}, {124, 0x0406}, {125, 0x040B}, {126, 0x0408}, {127, 0x040E},
        {128, 0x0427}, {129, 0x0414}, {130, 0x0816}, {131, 0x041D}, {132, 0x041F}};
    LONG nEnglishWidth = 0;
    for (const auto& language : languages) {
        char szWhere[40];
        sprintf(szWhere, "table %d, language %04lx", language.nTable, language.dwLanguage);
        SetupBlock setup(FIXTURE_PRINTER_A1, FIXTURE_MODEL_A, m_folder);
        setup.PutI32(setupdata::OFF_LANGUAGE, LONG(language.dwLanguage));
        WizardRun run(setup.Get());
        HWND hPage = run.WaitPage();
        ASSERT_NE(nullptr, hPage) << szWhere;
        LMLANGSPRT table(Wizard().hModule, language.nTable, language.dwLanguage);
        wchar_t wsz[260] = L"";
        ASSERT_NE(nullptr, table.GetLangStringW(1009, wsz, 260)) << szWhere;
        EXPECT_EQ(std::wstring(wsz), WindowTextW(GetDlgItem(hPage, 1004)))
            << szWhere << ": the page did not take its texts from this table";
        ExpectLabelsFit(hPage, szWhere);
        RECT rcPage;
        GetClientRect(hPage, &rcPage);
        if (language.nTable == 119)
            nEnglishWidth = rcPage.right;
        Press(hPage, 1003);
        ASSERT_TRUE(run.Join()) << szWhere;
    }

    HFONT hWide = CreateFontA(-11, 32, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Shell Dlg");
    SetupBlock setup(FIXTURE_PRINTER_A1, FIXTURE_MODEL_A, m_folder);
    setup.PutI32(setupdata::OFF_LANGUAGE, 0x0409);
    setup.PutI32(setupdata::OFF_BODY_FONT, LONG(reinterpret_cast<ULONG_PTR>(hWide)));
    {
        WizardRun run(setup.Get());
        HWND hPage = run.WaitPage();
        ASSERT_NE(nullptr, hPage);
        RECT rcPage;
        GetClientRect(hPage, &rcPage);
        EXPECT_GT(rcPage.right, nEnglishWidth) << "the page kept its width";
        ExpectLabelsFit(hPage, "wide font");
        std::string why;
        ScreenImage shot;
        ASSERT_TRUE(Screenshot("wizard_wide_font", &why, &shot)) << why;
        for (int nId : {1002, 1003, 1004})
            EXPECT_GT(shot.CountDark(ClientOnScreen(GetDlgItem(hPage, nId), 5)), 25) << "text pixels in button " << nId;
        Press(hPage, 1003);
        ASSERT_TRUE(run.Join());
    }
    DeleteObject(hWide);
}
