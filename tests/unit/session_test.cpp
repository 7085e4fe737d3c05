#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "api/exchange_state.h"
#include "api/exports.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "fixture_names.h"
#include "test_support.h"

namespace {

class Session : public testing::Test {
protected:
    void SetUp() override { TraceCapture::Clear(); }
    void TearDown() override
    {
        CloseJxpApi(nullptr, nullptr);
        InitTraceFlag(FALSE);
    }

    // Lines of the trace in the order given, each after the one before.
    static void ExpectInOrder(const std::vector<std::string>& lines)
    {
        int at = 0;
        for (const auto& line : lines) {
            int found = TraceCapture::Find(line, at);
            EXPECT_GE(found, 0) << "missing or out of order: " << line << TraceCapture::Dump();
            if (found >= 0)
                at = found + 1;
        }
    }
};

std::string DriverDirOf(const char* pszModule, const std::string& dir)
{
    return dir + "\\" + pszModule;
}

}  // namespace

TEST_F(Session, OpensThePrinterWithFullAccessAndFindsItsDriver)
{
    ASSERT_TRUE(InitJxpApi(nullptr, FIXTURE_PRINTER_A1));
    LMPROFJXP* p = g_pCurrentSession;
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(RunsAsWin9x(), p->m_bAnsi);
    EXPECT_EQ(RunsAsWin9x(), g_bWin9x);
    EXPECT_TRUE(p->m_bClient);
    EXPECT_TRUE(p->m_hPrinter.Owns());
    EXPECT_TRUE(p->m_hPrinter);

    std::string nameLine = p->m_bAnsi ? "m_tszPrinterName = " FIXTURE_PRINTER_A1 "\n"
                                      : "m_wszPrinterName = " FIXTURE_PRINTER_A1 "\n";
    ExpectInOrder({"InitJxpApi\n", "LMPROFJXP::LMPROFJXP\n", nameLine, "m_bClient = true\n",
                   "Client mode enabled\n", "InitJxpApi end\n"});

    // The driver directory is the folder of the configuration module the spooler loads.
    std::string dir = p->m_szDriverDir;
    EXPECT_NE('\\', dir.empty() ? '\\' : dir.back()) << dir;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(DriverDirOf(FIXTURE_MODULE_A, dir).c_str())) << dir;
    const char* pszEnvDir = RunsUnderWow64() ? "\\x64\\" : RunsAsWin9x() ? "\\win40\\" : "\\w32x86\\";
    EXPECT_NE(std::string::npos, dir.find(pszEnvDir)) << dir;

    // The handle really has full access: an administrative call succeeds on it.
    DWORD dwValue = 0x5eed;
    EXPECT_EQ(ERROR_SUCCESS, SetPrinterDataA(p->m_hPrinter.Get(), const_cast<char*>("LmTestSessionAccess"), REG_DWORD,
                                             reinterpret_cast<BYTE*>(&dwValue), sizeof(dwValue)));

    p->GetPrinterModel();
    EXPECT_STREQ(FIXTURE_MODEL_A, p->m_szModel);

    TraceCapture::Clear();
    CloseJxpApi(nullptr, nullptr);
    EXPECT_EQ(nullptr, g_pCurrentSession);
    ExpectInOrder({"CloseJxpApi\n", "LMPROFJXP::~LMPROFJXP\n"});
    // A second close has nothing to destroy.
    TraceCapture::Clear();
    CloseJxpApi(nullptr, nullptr);
    EXPECT_FALSE(TraceCapture::Contains("LMPROFJXP::~LMPROFJXP\n"));
}

TEST_F(Session, LoadsThePrintersCurrentDevModeAsDefault)
{
    std::vector<BYTE> current = PrinterDevModeW(FIXTURE_PRINTER_A2);
    ASSERT_GT(current.size(), sizeof(DEVMODEW)) << "the fixture serves a private area";
    ASSERT_TRUE(InitJxpApi(nullptr, FIXTURE_PRINTER_A2));
    LMPROFJXP* p = g_pCurrentSession;

    const DEVMODEW* pdm = reinterpret_cast<const DEVMODEW*>(current.data());
    EXPECT_EQ(current.size(), p->m_dwDefaultDevModeSize);
    EXPECT_EQ(1, p->m_wDefaultDevModeLoads);
    ASSERT_NE(nullptr, p->m_pDefaultDevMode);
    EXPECT_EQ(0, memcmp(current.data(), p->m_pDefaultDevMode.get(), current.size())) << "private bytes differ";
    EXPECT_TRUE(TraceCapture::Contains("It copied, " + std::to_string(pdm->dmSize) + " " +
                                       std::to_string(pdm->dmDriverExtra) + "\n"))
        << TraceCapture::Dump();

    // Later calls copy the session's buffer and ask the printer nothing.
    TraceCapture::Clear();
    std::vector<BYTE> copy(p->m_dwDefaultDevModeSize);
    EXPECT_EQ(copy.size(), p->GetDefaultDevMode(copy.data()));
    EXPECT_EQ(0, memcmp(copy.data(), current.data(), copy.size()));
    EXPECT_FALSE(TraceCapture::Contains("It copied, " + std::to_string(pdm->dmSize) + " " +
                                        std::to_string(pdm->dmDriverExtra) + "\n"));
    EXPECT_EQ(copy.size(), p->GetDefaultDevModeSizeRetry());
}

// On 64-bit Windows the library installs beside the 64-bit driver, in ANSI mode as well.
TEST_F(Session, UnderWow64TheDriverIsLookedUpForWindowsX64)
{
    Wow64Road road;
    if (!road.Available())
        GTEST_SKIP() << "32-bit Windows: no Windows x64 driver environment to look up";
    ASSERT_TRUE(InitJxpApi(nullptr, FIXTURE_PRINTER_B1));
    std::string dir = g_pCurrentSession->m_szDriverDir;
    EXPECT_NE(std::string::npos, dir.find("\\x64\\")) << dir;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(DriverDirOf(FIXTURE_MODULE_B, dir).c_str())) << dir;
}

TEST_F(Session, MissingPrinterGivesASessionWithoutHandleAndTheFallbackSize)
{
    WaitRecorder waits;
    ASSERT_TRUE(InitJxpApi(nullptr, "No Such Printer"));
    LMPROFJXP* p = g_pCurrentSession;
    ASSERT_NE(nullptr, p);
    EXPECT_FALSE(p->m_hPrinter);
    EXPECT_FALSE(p->m_hPrinter.Owns());
    EXPECT_STREQ("", p->m_szDriverDir);
    // Five attempts a second apart, then the fixed size; nothing was loaded into it.
    EXPECT_EQ(DEFAULT_DEVMODE_FALLBACK_SIZE, p->m_dwDefaultDevModeSize);
    std::string events;
    for (const auto& line : TraceCapture::Lines()) {
        if (line == "LMPROFJXP::GetDefaultDevModeSize\n")
            events += "size ";
        else if (line.rfind("wait ", 0) == 0)
            events += line.substr(0, line.size() - 1) + " ";
    }
    EXPECT_EQ("size wait 1000 size wait 1000 size wait 1000 size wait 1000 size wait 1000 ", events);
    EXPECT_EQ(0, p->m_wDefaultDevModeLoads);
    EXPECT_TRUE(TraceCapture::Contains("InitJxpApi end\n"));
}

TEST_F(Session, SecondInitReplacesAndDestroysTheFirstSession)
{
    ASSERT_TRUE(InitJxpApi(nullptr, FIXTURE_PRINTER_A1));
    LMPROFJXP* pFirst = g_pCurrentSession;
    TraceCapture::Clear();
    ASSERT_TRUE(InitJxpApiW(nullptr, FIXTURE_PRINTER_B1_W));
    EXPECT_NE(pFirst, g_pCurrentSession);
    ExpectInOrder({"InitJxpApiW\n", "LMPROFJXP::LMPROFJXP\n", "LMPROFJXP::~LMPROFJXP\n", "InitJxpApiW end\n"});

    // Windows 9x sessions take ANSI names: the wide name arrives converted.
    LMPROFJXP* p = g_pCurrentSession;
    if (RunsAsWin9x()) {
        EXPECT_TRUE(p->m_bAnsi);
        EXPECT_STREQ(FIXTURE_PRINTER_B1, p->m_tszPrinterName);
    } else {
        EXPECT_STREQ(FIXTURE_PRINTER_B1_W, p->m_wszPrinterName);
    }
    EXPECT_TRUE(p->m_hPrinter);
    p->GetPrinterModel();
    EXPECT_STREQ(FIXTURE_MODEL_B, p->m_szModel);
}

TEST_F(Session, OverlongPrinterNamesAreRefusedAndTheCurrentSessionKept)
{
    ASSERT_TRUE(InitJxpApi(nullptr, FIXTURE_PRINTER_A1));
    LMPROFJXP* pKept = g_pCurrentSession;
    TraceCapture::Clear();

    std::string name(260, 'N');
    SetLastError(ERROR_MARKER);
    EXPECT_FALSE(InitJxpApi(nullptr, name.c_str()));
    EXPECT_TRUE(TraceCapture::Contains("InitJxpApi - invalid printer name\n")) << TraceCapture::Dump();
    std::wstring wname(300, L'W');
    EXPECT_FALSE(InitJxpApiW(nullptr, wname.c_str()));
    EXPECT_TRUE(TraceCapture::Contains("InitJxpApiW - invalid printer name\n"));
    EXPECT_FALSE(InitJxpApi(nullptr, nullptr));
    if (RunsAsWin9x()) {
        // Greek capital alpha has no place in code page 1252, which would put an "A" there and
        // so name the fixture printer "Fixture Laser A".
        std::wstring lookalike = FIXTURE_PRINTER_A1_W;
        lookalike.back() = L'\x0391';
        EXPECT_FALSE(InitJxpApiW(nullptr, lookalike.c_str()));
        EXPECT_TRUE(TraceCapture::Contains("InitJxpApiW - WideCharToMultiByte error - 1113\n")) << TraceCapture::Dump();
    }
    EXPECT_FALSE(TraceCapture::Contains("LMPROFJXP::LMPROFJXP\n")) << "a session was built";
    EXPECT_EQ(pKept, g_pCurrentSession);

    // The session class itself never cuts a name either.
    LMPROFJXP direct(nullptr, RunsAsWin9x() ? static_cast<const void*>(name.c_str())
                                            : static_cast<const void*>(std::wstring(260, L'N').c_str()),
                     nullptr);
    EXPECT_FALSE(direct.IsComplete());
    EXPECT_STREQ("", direct.m_tszPrinterName);
    EXPECT_EQ(L'\0', direct.m_wszPrinterName[0]);
}

// The library as a caller loads it: unloading destroys a session left open.
TEST_F(Session, UnloadingTheDllDestroysTheCurrentSession)
{
    std::string dll = ExeFolder() + "..\\LmProfInst.dll";
    HMODULE h = LoadLibraryA(dll.c_str());
    ASSERT_NE(nullptr, h) << dll << " error " << GetLastError();
    auto pInit = reinterpret_cast<BOOL(WINAPI*)(HWND, LPCSTR)>(reinterpret_cast<void*>(GetProcAddress(h, "InitJxpApi")));
    ASSERT_NE(nullptr, pInit);
    EXPECT_TRUE(pInit(nullptr, FIXTURE_PRINTER_A1));
    TraceCapture::Clear();
    FreeLibrary(h);
    ExpectInOrder({"LmProfInst - DLL_PROCESS_DETACH\n", "LMPROFJXP::~LMPROFJXP\n"});
    EXPECT_FALSE(TraceCapture::Contains("CloseJxpApi\n"));
}

TEST(LanguageCode, ChineseIdentifiersAreReplacedAndCodePagesChosen)
{
    struct {
        DWORD dwIn, dwId, dwCode;
        UINT uCodePage;
    } table[] = {
        {0x0404, 0x04C1, 0xC1, 950}, {0x0804, 0x08C0, 0xC0, 936}, {0x0C04, 0x0CC1, 0xC1, 950},
        {0x1004, 0x10C0, 0xC0, 936}, {0x1404, 0x14C1, 0xC1, 950}, {0x0411, 0x0411, 0x11, 932},
        {0x0412, 0x0412, 0x12, 949}, {0x0407, 0x0407, 0x07, 1252}, {0x0809, 0x0809, 0x09, 1252},
    };
    for (const auto& e : table) {
        LANGUAGECODE lc = LanguageCodeFromId(e.dwIn);
        EXPECT_EQ(e.dwId, lc.dwLangId) << std::hex << e.dwIn;
        EXPECT_EQ(e.dwCode, lc.dwLanguage) << std::hex << e.dwIn;
        EXPECT_EQ(e.uCodePage, lc.uCodePage) << std::hex << e.dwIn;
    }
    char szText[10] = "0c04";
    EXPECT_EQ(0x0C04u, ParseHexLanguageId(szText));
    EXPECT_STREQ("0C04", szText);
    char szEmpty[10] = "";
    EXPECT_EQ(0u, ParseHexLanguageId(szEmpty));
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
    DWORD dwCode = strtoul(pszCode, nullptr, 16);
    LANGUAGECODE lc = LanguageCodeFromId(strtoul(pszId, nullptr, 16));
    char szExpected[64];
    wsprintfA(szExpected, "Locale = %s, %04x\n", pszId, lc.dwLangId);
    EXPECT_TRUE(TraceCapture::Contains(szExpected)) << szExpected << TraceCapture::Dump();
    EXPECT_EQ(dwCode, g_pCurrentSession->m_dwLanguage);
    EXPECT_EQ(strtoul(pszCodePage, nullptr, 10), g_uCodePage);
}
