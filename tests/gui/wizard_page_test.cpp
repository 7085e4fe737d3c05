// The profile selection page as the user meets it: the built DLL's LmProfileWizard on the
// installer's thread, the page driven with mouse and key messages from the test thread.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fixture_names.h"
#include "gui_support.h"
#include "ui/lmlangsprt.h"

namespace {

const wchar_t TITLE[] = L"Printer Driver Setup";

// What the page says in each language the tests run in.
const struct PageTexts {
    WORD wLanguage;
    const char* pszTag;
    const wchar_t *pwszBack, *pwszNext, *pwszCancel, *pwszConfirm, *pwszProfiles, *pwszDescription;
} TEXTS[] = {
    {LANG_ENGLISH, "en", L"< &Back", L"&Next >", L"&Cancel", L"Are you sure you want to cancel?", L"Profiles",
     L"Description"},
    {LANG_GERMAN, "de", L"< &Zurück", L"&Weiter >", L"&Abbrechen", L"Möchten Sie wirklich abbrechen?", L"Profile",
     L"Beschreibung"},
    {LANG_JAPANESE, "ja", L"< 戻る(&B)", L"次へ(&N) >", L"キャンセル(&C)", L"キャンセルしてもよろしいですか?",
     L"プロファイル", L"説明"},
    {LANG_RUSSIAN, "ru", L"< &Назад", L"&Далее >", L"&Отмена", L"Вы действительно хотите отменить?", L"Профили",
     L"Описание"},
};

const PageTexts* UserTexts()
{
    for (const auto& t : TEXTS)
        if (PRIMARYLANGID(GetUserDefaultLangID()) == t.wLanguage)
            return &t;
    return nullptr;
}

// Slots for both fixture models: the Laser printer is offered Office, Draft and Photo, which
// shows under Office's name too, so that a row ticking its slot by name would tick the first.
const char OFFER_INI[] =
    "[LmProfInst]\r\nProfCount=4\r\n"
    "Prof1=Office\r\nProfName1=Office\r\nProfDesc1=Duplex, two pages a sheet\r\nProfJxpName1=office.jxp\r\n"
    "ProfModel1=" FIXTURE_MODEL_A "\r\n"
    "Prof2=Draft\r\nProfName2=Draft\r\nProfDesc2=Toner saver, fast\r\nProfJxpName2=draft.jxp\r\n"
    "Prof3=Poster\r\nProfName3=Poster\r\nProfDesc3=Jet only\r\nProfJxpName3=poster.jxp\r\n"
    "ProfModel3=" FIXTURE_MODEL_B "\r\n"
    "Prof4=Photo\r\nProfName4=Office\r\nProfJxpName4=photo.jxp\r\nProfNotModel4=" FIXTURE_MODEL_B "\r\n"
    "ProfDesc4=Glossy photo paper, best quality, colour matching on, for prints that are framed and hung "
    "on the wall of the office\r\n";

class WizardPage : public testing::Test {
protected:
    void SetUp() override
    {
        m_work.reset(new WorkFolder(testing::UnitTest::GetInstance()->current_test_info()->name()));
        TraceCapture::Clear();
    }
    // The page of a new block of the Laser printer over the installation file; null when it did
    // not show. A language given is the block's instead of the user's.
    HWND Show(const char* pszIni = OFFER_INI, bool bAnsi = false, DWORD dwLanguage = 0, HFONT hBody = nullptr)
    {
        WriteBytes(m_work->Path("LmProfInst.ini"), Bytes(pszIni, pszIni + strlen(pszIni)));
        m_run.reset();
        m_setup.reset(new SetupBlock(FIXTURE_PRINTER_A1, FIXTURE_MODEL_A, m_work->Dir(), bAnsi, dwLanguage));
        if (hBody)
            m_setup->PutI32(setupdata::OFF_BODY_FONT, LONG(reinterpret_cast<ULONG_PTR>(hBody)));
        return ShowAgain();
    }
    // The page once more, over the same block.
    HWND ShowAgain()
    {
        m_run.reset(new WizardRun(m_setup->Get()));
        return m_run->WaitPage();
    }
    // Presses a button of the page; the page's answer.
    int Leave(HWND hPage, int nId)
    {
        PostMessageA(GetDlgItem(hPage, nId), BM_CLICK, 0, 0);
        EXPECT_TRUE(m_run->Join()) << "the page stayed";
        return m_run->Result();
    }
    static int Ticks() { return Wizard().LmRunModuleCount(0); }

    std::unique_ptr<WorkFolder> m_work;
    std::unique_ptr<SetupBlock> m_setup;
    std::unique_ptr<WizardRun> m_run;
};

}  // namespace

// Only the printer's model's profiles are listed, with their descriptions, in the user's
// language; a click or the space bar flips a row's tick, keys that move the focus tick nothing
// and keys that cannot move it do not swallow the next click; Next hands the ticks on.
TEST_F(WizardPage, TicksFollowClicksAndSpaceNotArrows)
{
    const PageTexts* pTexts = UserTexts();
    ASSERT_NE(nullptr, pTexts) << "no texts for the user's language " << GetUserDefaultLangID();
    HWND hPage = Show();
    ASSERT_NE(nullptr, hPage) << TraceCapture::Dump();
    HWND hList = GetDlgItem(hPage, 1000);
    EXPECT_EQ(TITLE, WindowTextW(hPage));
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
    EXPECT_EQ("Office", RowText(hList, 2, 0));
    EXPECT_EQ(0u, RowText(hList, 2, 1).find("Glossy photo paper")) << "Photo's own description";

    // Each step: the keys pressed and the row clicked (-1: none), then the ticks the rows show
    // and the row with the focus. A key that cannot move the focus must not swallow the tick of
    // the click after it.
    const struct {
        std::vector<WORD> keys;
        int nClick;
        const char* pszTicks;
        int nFocus;
    } steps[] = {
        {{VK_SHIFT, VK_CONTROL, VK_TAB, VK_UP}, -1, "...", -1},   // no row has the focus yet
        {{}, 0, "x..", 0},
        {{}, 0, "...", 0},
        {{}, 0, "x..", 0},
        {{}, 2, "x.x", 2},
        {{VK_END, VK_DOWN}, 1, "xxx", 1},   // neither moves from the last row
        {{VK_HOME, VK_UP}, 1, "x.x", 1},    // Home moves to the first, Up not from it
        {{VK_SPACE}, -1, "xxx", 1},
        {{VK_UP, VK_DOWN}, -1, "xxx", 1},
        {{VK_SPACE}, -1, "x.x", 1},
        {{VK_SPACE}, -1, "xxx", 1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE("step " + std::to_string(&step - steps));
        for (WORD wKey : step.keys)
            PressKey(hList, wKey);
        if (step.nClick >= 0)
            ClickRow(hList, step.nClick);
        int nTicks = 0;
        for (int i = 0; i < 3; ++i) {
            nTicks += step.pszTicks[i] == 'x';
            EXPECT_EQ(step.pszTicks[i] == 'x' ? Check::Ticked : Check::Empty, RowCheck(hList, i)) << "row " << i;
        }
        EXPECT_EQ(nTicks, Ticks());
        EXPECT_EQ(step.nFocus, SendMessageA(hList, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
    }

    // On the screen: the three rows' texts in the list, and each button's label in its face.
    std::string why;
    ScreenImage shot;
    ASSERT_TRUE(Screenshot(std::string("wizard_") + pTexts->pszTag, &shot, &why)) << why;
    for (int i = 0; i < 3; ++i) {
        RECT rc = RowOnScreen(hList, i);
        rc.left += 18;   // right of the check box
        EXPECT_GT(shot.CountDark(rc), 60) << "dark (text) pixels in row " << i;
    }
    for (int nId : {1002, 1003, 1004})
        EXPECT_GT(shot.CountDark(ClientOnScreen(GetDlgItem(hPage, nId), 5)), 25) << "text pixels in button " << nId;

    EXPECT_EQ(1, Leave(hPage, 1003));
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
    HWND hPage = Show();
    ASSERT_NE(nullptr, hPage);
    PostMessageA(GetDlgItem(hPage, 1004), BM_CLICK, 0, 0);
    HWND hBox = WaitMessageBox(hPage);
    ASSERT_NE(nullptr, hBox) << "no confirmation";
    EXPECT_EQ(pTexts->pwszConfirm, MessageBoxText(hBox));
    EXPECT_EQ(TITLE, WindowTextW(hBox));
    PostMessageA(hBox, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(m_run->Join(1500)) << "answered Cancel, the page ended with " << m_run->Result();
    EXPECT_TRUE(IsWindowVisible(hPage));
    EXPECT_FALSE(IsWindow(hBox));

    PostMessageA(hPage, WM_CLOSE, 0, 0);
    hBox = WaitMessageBox(hPage);
    ASSERT_NE(nullptr, hBox) << "the close box did not ask";
    EXPECT_EQ(pTexts->pwszConfirm, MessageBoxText(hBox));
    PostMessageA(hBox, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(m_run->Join());
    EXPECT_EQ(0, m_run->Result());
}

// Back answers -1. The page opens where the block says and leaves the place the user moved it
// to in the block, where the next page opens, again with every row unticked. The first page is
// a Windows 9x installer's, through the ANSI calls.
TEST_F(WizardPage, BackLeavesThePlaceAndThePageComesBackUnticked)
{
    const PageTexts* pTexts = UserTexts();
    ASSERT_NE(nullptr, pTexts);
    HWND hPage = Show(OFFER_INI, true);
    ASSERT_NE(nullptr, hPage) << TraceCapture::Dump();
    EXPECT_FALSE(IsWindowUnicode(hPage));
    EXPECT_EQ(TITLE, WindowTextW(hPage));
    EXPECT_EQ(pTexts->pwszNext, WindowTextW(GetDlgItem(hPage, 1003)));
    RECT rc;
    GetWindowRect(hPage, &rc);
    EXPECT_EQ(40, rc.left);
    EXPECT_EQ(30, rc.top);
    ClickRow(GetDlgItem(hPage, 1000), 2);
    EXPECT_EQ(Check::Ticked, RowCheck(GetDlgItem(hPage, 1000), 2));
    ASSERT_EQ(1, Ticks());
    SetWindowPos(hPage, nullptr, 90, 64, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(-1, Leave(hPage, 1002));
    EXPECT_EQ(90, m_setup->I32(setupdata::OFF_LEFT));
    EXPECT_EQ(64, m_setup->I32(setupdata::OFF_TOP));

    hPage = ShowAgain();
    ASSERT_NE(nullptr, hPage);
    GetWindowRect(hPage, &rc);
    EXPECT_EQ(90, rc.left);
    EXPECT_EQ(64, rc.top);
    EXPECT_EQ(0, Ticks());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Check::Empty, RowCheck(GetDlgItem(hPage, 1000), i)) << "row " << i;
    EXPECT_EQ(1, Leave(hPage, 1003));
    EXPECT_EQ(0, Ticks());
}

// Nothing for this model: no page, the block's own answer, no ticks.
TEST_F(WizardPage, NoOfferedProfileSkipsThePage)
{
    EXPECT_EQ(nullptr, Show("[LmProfInst]\r\nProfCount=1\r\nProf1=Poster\r\nProfName1=Poster\r\nProfModel1=" FIXTURE_MODEL_B
                            "\r\n"));
    ASSERT_TRUE(m_run->Join());
    EXPECT_EQ(7, m_run->Result());
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

// Each button's label, measured in the button's own font ("&x" underlines x), fits its face:
// the client width less the frame and the focus rectangle, 6 pixels a side. The buttons stay in
// one row, in order, inside the page and right of the list's left edge.
void ExpectLabelsFit(HWND hPage, const std::string& where)
{
    RECT rcPage, rcPrevious = RectInPage(hPage, 1000);
    GetClientRect(hPage, &rcPage);
    rcPrevious.right = rcPrevious.left;
    for (int nId : {1002, 1003, 1004}) {
        HWND hButton = GetDlgItem(hPage, nId);
        std::wstring text = WindowTextW(hButton);
        HDC hdc = GetDC(hButton);
        HGDIOBJ hOld = SelectObject(hdc, reinterpret_cast<HGDIOBJ>(SendMessageW(hButton, WM_GETFONT, 0, 0)));
        RECT rcText = {}, rcFace, rc = RectInPage(hPage, nId);
        DrawTextW(hdc, text.c_str(), -1, &rcText, DT_CALCRECT | DT_SINGLELINE);
        SelectObject(hdc, hOld);
        ReleaseDC(hButton, hdc);
        GetClientRect(hButton, &rcFace);
        EXPECT_GT(rcText.right, 0) << where << ": button " << nId;
        EXPECT_LE(rcText.right + 12, rcFace.right) << where << ": \"" << text << "\" is " << rcText.right
                                                    << " pixels wide, button " << nId << " " << rcFace.right;
        EXPECT_GE(rc.left, rcPrevious.right) << where << ": button " << nId << " overlaps the one before";
        EXPECT_LE(rc.right, rcPage.right) << where << ": button " << nId << " leaves the page";
        rcPrevious = rc;
    }
}

}  // namespace

// In every language of the library's tables, and in a body font twice as wide as usual, each
// button shows its whole label: the buttons grow to their texts, and the page grows when the
// row no longer fits.
TEST_F(WizardPage, ButtonLabelsFitInEveryLanguage)
{
    const struct {
        int nTable;
        DWORD dwLanguage;
    } languages[] = {{110, 0x00C1}, {111, 0x040C}, {112, 0x0407}, {113, 0x0410}, {114, 0x0411}, {115, 0x0412},
                     {116, 0x0416}, {117, 0x00C0}, {118, 0x0C0A}, {119, 0x0409}, {120, 0x0419}, {121, 0x0405},
                     {122, 0x0415}, {123, 0x0413}, {124, 0x0406}, {125, 0x040B}, {126, 0x0408}, {127, 0x040E},
                     {128, 0x0427}, {129, 0x0414}, {130, 0x0816}, {131, 0x041D}, {132, 0x041F}};
    LONG nEnglishWidth = 0;
    for (const auto& language : languages) {
        std::string where = "table " + std::to_string(language.nTable);
        HWND hPage = Show(OFFER_INI, false, language.dwLanguage);
        ASSERT_NE(nullptr, hPage) << where;
        LMLANGSPRT table(Wizard().hModule, language.nTable, language.dwLanguage);
        wchar_t wsz[260] = L"";
        ASSERT_NE(nullptr, table.GetLangStringW(1009, wsz, 260)) << where;
        EXPECT_EQ(std::wstring(wsz), WindowTextW(GetDlgItem(hPage, 1004)))
            << where << ": the page did not take its texts from this table";
        ExpectLabelsFit(hPage, where);
        RECT rcPage;
        GetClientRect(hPage, &rcPage);
        if (language.dwLanguage == 0x0409)
            nEnglishWidth = rcPage.right;
        EXPECT_EQ(1, Leave(hPage, 1003)) << where;
    }

    HFONT hWide = CreateFontA(-11, 32, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Shell Dlg");
    HWND hPage = Show(OFFER_INI, false, 0x0409, hWide);
    ASSERT_NE(nullptr, hPage);
    RECT rcPage;
    GetClientRect(hPage, &rcPage);
    EXPECT_GT(rcPage.right, nEnglishWidth) << "the page kept its width";
    ExpectLabelsFit(hPage, "wide font");
    std::string why;
    ScreenImage shot;
    ASSERT_TRUE(Screenshot("wizard_wide_font", &shot, &why)) << why;
    for (int nId : {1002, 1003, 1004})
        EXPECT_GT(shot.CountDark(ClientOnScreen(GetDlgItem(hPage, nId), 5)), 25) << "text pixels in button " << nId;
    EXPECT_EQ(1, Leave(hPage, 1003));
    m_run.reset();
    DeleteObject(hWide);
}
