// The session a caller opens with InitJxpApi: the names it takes and refuses (keeping the
// session already open), its end when the DLL unloads, and the user's language it works in.
#include <cstdlib>

#include "api/exchange_state.h"
#include "api/exports.h"
#include "fixture_names.h"
#include "test_support.h"

namespace {

class Session : public TracedTest {
protected:
    void TearDown() override
    {
        CloseJxpApi(nullptr, nullptr);
        TracedTest::TearDown();
    }
};

}  // namespace

// No printer bears these names: a name that fits gets a session that asked for the default
// size five times, a second apart, in vain; a longer one is refused and the open session stays.
TEST_F(Session, PrinterNamesUpTo259CharactersAreTakenAndLongerOnesRefused)
{
    WaitRecorder waits;
    struct {
        bool bWide;
        size_t nChars;
        bool bTaken;
    } cases[] = {{false, 259, true}, {false, 260, false}, {true, 259, true}, {true, 260, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.nChars) + (c.bWide ? " wide" : " ANSI"));
        ASSERT_TRUE(InitJxpApi(nullptr, FIXTURE_PRINTER_A1));
        LMPROFJXP* pOpen = g_pCurrentSession;
        TraceCapture::Clear();
        BOOL bTaken = c.bWide ? InitJxpApiW(nullptr, std::wstring(c.nChars, L'N').c_str())
                              : InitJxpApi(nullptr, std::string(c.nChars, 'N').c_str());
        EXPECT_EQ(c.bTaken, bTaken != FALSE);
        EXPECT_EQ(c.bTaken, g_pCurrentSession != pOpen);
        EXPECT_EQ(!c.bTaken, TraceCapture::Contains(c.bWide ? "InitJxpApiW - invalid printer name\n"
                                                            : "InitJxpApi - invalid printer name\n"));
        EXPECT_EQ(c.bTaken ? 5 : 0, TraceCapture::Count("wait 1000\n"));
    }

    LMPROFJXP* pOpen = g_pCurrentSession;
    EXPECT_FALSE(InitJxpApi(nullptr, nullptr));
    if (RunsAsWin9x()) {
        // Windows 9x sessions take ANSI names. Greek capital alpha has no place in code page
        // 1252, which would put an "A" there and so name the fixture printer "Fixture Laser A".
        std::wstring lookalike = FIXTURE_PRINTER_A1_W;
        lookalike.back() = L'\x0391';
        EXPECT_FALSE(InitJxpApiW(nullptr, lookalike.c_str()));
    }
    EXPECT_EQ(pOpen, g_pCurrentSession);
    // The session class itself never cuts a name either.
    EXPECT_FALSE(OpenSession(std::string(260, 'N'))->IsComplete());
}

// The library as a caller loads it: unloading destroys a session left open.
TEST_F(Session, UnloadingTheDllDestroysTheCurrentSession)
{
    std::string dll = ExeFolder() + "..\\LmProfInst.dll";
    HMODULE h = LoadLibraryA(dll.c_str());
    ASSERT_NE(nullptr, h) << dll << " error " << GetLastError();
    BOOL(WINAPI * pInit)(HWND, LPCSTR) = nullptr;
    std::string why;
    ASSERT_TRUE(BindExport(h, "InitJxpApi", &pInit, &why)) << why;
    EXPECT_TRUE(pInit(nullptr, FIXTURE_PRINTER_A1));
    TraceCapture::Clear();
    FreeLibrary(h);
    int nDetach = TraceCapture::Find("LmProfInst - DLL_PROCESS_DETACH\n");
    ASSERT_LE(0, nDetach) << TraceCapture::Dump();
    EXPECT_LT(nDetach, TraceCapture::Find("LMPROFJXP::~LMPROFJXP\n", nDetach)) << TraceCapture::Dump();
}

TEST(LanguageCode, ChineseIdentifiersAreReplacedAndCodePagesChosen)
{
    struct {
        DWORD dwIn, dwId, dwCode;
        UINT uCodePage;
    } table[] = {{0x0404, 0x04C1, 0xC1, 950}, {0x0804, 0x08C0, 0xC0, 936}, {0x0C04, 0x0CC1, 0xC1, 950},
                 {0x1004, 0x10C0, 0xC0, 936}, {0x1404, 0x14C1, 0xC1, 950}, {0x0809, 0x0809, 0x09, 1252}};
    for (const auto& e : table) {
        LANGUAGECODE lc = LanguageCodeFromId(e.dwIn);
        EXPECT_EQ(e.dwId, lc.dwLangId) << std::hex << e.dwIn;
        EXPECT_EQ(e.dwCode, lc.dwLanguage) << std::hex << e.dwIn;
        EXPECT_EQ(e.uCodePage, lc.uCodePage) << std::hex << e.dwIn;
    }
}

// Run by the harness once per user locale, with the expected values in the environment.
TEST_F(Session, UserLanguageComesFromTheProcessLocale)
{
    const char* pszId = getenv("LMTEST_LOCALE_ID");
    const char* pszCode = getenv("LMTEST_LANGUAGE");
    const char* pszCodePage = getenv("LMTEST_CODEPAGE");
    if (!pszId || !pszCode || !pszCodePage)
        GTEST_SKIP() << "run by the harness with a locale set";
    ASSERT_TRUE(InitJxpApi(nullptr, FIXTURE_PRINTER_A1));
    char szExpected[64], szLocale[10];
    wsprintfA(szExpected, "Locale = %s, %04x\n", pszId, LanguageCodeFromId(strtoul(pszId, nullptr, 16)).dwLangId);
    EXPECT_TRUE(TraceCapture::Contains(szExpected)) << szExpected << TraceCapture::Dump();
    EXPECT_EQ(strtoul(pszCodePage, nullptr, 10), g_uCodePage);
    EXPECT_EQ(strtoul(pszCode, nullptr, 16), ReadUserLanguage(szLocale).dwLanguage) << "the language files carry";
}
