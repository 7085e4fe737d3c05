#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "ini_test_files.h"
#include "installer/ini_file.h"
#include "test_support.h"

namespace {

class IniFile : public testing::Test {
protected:
    void SetUp() override
    {
        InitTraceFlag(TRUE);
        TraceCapture::Clear();
    }
    void TearDown() override { InitTraceFlag(FALSE); }

    // The value of a key through the 8-bit or the UTF-16 raw lookup, whichever fits the document.
    static std::wstring Value(INIFILE& ini, const wchar_t* section, const wchar_t* key, DWORD line = INI_LINE_NONE)
    {
        if (ini.IsUnicode()) {
            wchar_t result[INI_LINE_CHARS] = L"";
            return ini.GetValueW(section, key, line, result, INI_LINE_CHARS) ? result : L"<none>";
        }
        char szSection[300], szKey[300], result[INI_LINE_CHARS] = "";
        WideCharToMultiByte(CP_ACP, 0, section, -1, szSection, 300, nullptr, nullptr);
        if (key)
            WideCharToMultiByte(CP_ACP, 0, key, -1, szKey, 300, nullptr, nullptr);
        return ini.GetValueA(szSection, key ? szKey : nullptr, line, result, INI_LINE_CHARS) ? Widen(result)
                                                                                              : L"<none>";
    }

    IniScratch m_files;
};

const char PROFILES[] =
    "[Strings]\r\n"
    "Model = \"Laser 2100\"\r\n"
    "Long = 0123456789012345678901234567890123456789012345678901234567890123456789\r\n"
    "[LmProfInst]\r\n"
    "Name=%Model% Profile\r\n"
    "Lower=%model%\r\n"
    "Unknown=%Nobody% stays\r\n";

}  // namespace

TEST_F(IniFile, FilesUnderThirtyBytesAreNotLoaded)
{
    std::string small = m_files.Write("small.ini", "[S]\r\nKey=123456789012345678\r\n");   // 29 bytes
    std::string enough = m_files.Write("enough.ini", "[S]\r\nKey=1234567890123456789\r\n");
    INIFILE a(small.c_str(), 0);
    EXPECT_EQ(0, a.TextLength());
    EXPECT_EQ(L"<none>", Value(a, L"S", L"Key"));
    EXPECT_TRUE(TraceCapture::Contains("LoadIniFileA - File size is too small\n")) << TraceCapture::Dump();

    INIFILE b(Widen(enough).c_str(), 0);
    EXPECT_EQ(30, b.TextLength());
    EXPECT_EQ(L"1234567890123456789", Value(b, L"S", L"Key"));
    EXPECT_STREQ(Widen(m_files.Folder()).c_str(), b.FolderW());
    EXPECT_STREQ("", b.FolderA());
}

TEST_F(IniFile, MissingFilesLeaveAnEmptyDocumentAndSayWhy)
{
    std::string path = m_files.Path("absent.ini");
    INIFILE ini(path.c_str(), 0);
    EXPECT_EQ(0, ini.TextLength());
    EXPECT_TRUE(TraceCapture::Contains("IsIniUnicodeA - File Open failed - 2, [" + path + "]\n")) << TraceCapture::Dump();
    EXPECT_TRUE(TraceCapture::Contains("LoadIniFileA - File Open failed - 2\n"));
    char result[8] = "keep";
    EXPECT_FALSE(ini.GetValueA("S", "K", INI_LINE_NONE, result, 8));
    EXPECT_STREQ("keep", result);

    // A name of 260 characters or more is refused before anything is opened.
    std::string longName = m_files.Folder() + "\\" + std::string(260, 'n') + ".ini";
    TraceCapture::Clear();
    INIFILE tooLong(longName.c_str(), 0);
    EXPECT_EQ(0, tooLong.TextLength());
    EXPECT_TRUE(TraceCapture::Contains("LoadIniFileA - File name too long\n")) << TraceCapture::Dump();
    EXPECT_STREQ("", tooLong.FolderA());
}

// The document is loaded by one body for both widths of its name: each refusal traces the same
// line, with the width's letter, and the UTF-16 form names the file where it always did.
TEST_F(IniFile, BothNameWidthsTraceTheirRefusals)
{
    if (RunsAsWin9x())
        GTEST_SKIP() << "Windows 9x opens no file by a UTF-16 name";
    std::string absent = m_files.Path("absent.ini");
    std::string small = m_files.Write("small.ini", "[S]\r\nKey=123456789012345678\r\n");
    std::string be = m_files.Write("be.ini", Utf16Bytes(L"[S]\r\nKey=1234567890123456789\r\n", true));
    std::string longName = m_files.Folder() + "\\" + std::string(260, 'n') + ".ini";
    struct {
        const std::string& path;
        std::vector<std::string> lines;   // "%c" stands for the width's letter
    } cases[] = {
        {absent, {"IsIniUnicode%c\n", "IsIniUnicode%c - File Open failed - 2, [" + absent + "]\n",
                  "LoadIniFile%c - File Open failed - 2<name>\n"}},
        {small, {"IsIniUnicode%c\n", "LoadIniFile%c - File size is too small\n"}},
        {be, {"IsIniUnicode%c\n", "IsIniUnicode%c - UTF-16 big-endian file refused - [" + be + "]\n"}},
        {longName, {"LoadIniFile%c - File name too long\n"}},
    };
    for (const auto& c : cases) {
        for (char width : {'A', 'W'}) {
            SCOPED_TRACE(std::string(1, width) + " " + c.path.substr(c.path.rfind('\\')).substr(0, 16));
            TraceCapture::Clear();
            if (width == 'A') {
                INIFILE ini(c.path.c_str(), 0);
                EXPECT_EQ(0, ini.TextLength());
            } else {
                INIFILE ini(Widen(c.path).c_str(), 0);
                EXPECT_EQ(0, ini.TextLength());
            }
            int nAt = 0;
            for (std::string line : c.lines) {
                for (size_t at; (at = line.find("%c")) != std::string::npos;)
                    line.replace(at, 2, 1, width);
                // The 8-bit form's failed open has always named the error only.
                size_t at = line.find("<name>");
                if (at != std::string::npos)
                    line.replace(at, 6, width == 'A' ? "" : ", [" + c.path + "]");
                nAt = TraceCapture::Find(line, nAt);
                EXPECT_LE(0, nAt) << line << TraceCapture::Dump();
                nAt = nAt < 0 ? 0 : nAt + 1;
            }
        }
    }
}

TEST_F(IniFile, Utf16LittleEndianIsReadAndBigEndianRefused)
{
    std::wstring text = L"[LmProfInst]\r\nFirst=kept\r\n;\r\n[Other]\r\nName=\x30EC\x30FC\x30B6\x30FC\r\n";
    std::string le = m_files.Write("le.ini", Utf16Bytes(text));
    INIFILE ini(le.c_str(), 0);
    EXPECT_TRUE(ini.IsUnicode());
    EXPECT_EQ(int(text.size()), ini.TextLength());
    EXPECT_EQ(L"\x30EC\x30FC\x30B6\x30FC", Value(ini, L"Other", L"Name"));
    // The mark is no part of the first line: the header an editor saves there is one.
    EXPECT_EQ(L"kept", Value(ini, L"LmProfInst", L"First"));
    char narrow[16] = "keep";
    EXPECT_FALSE(ini.GetValueA("Other", "Name", INI_LINE_NONE, narrow, 16));

    std::string be = m_files.Write("be.ini", Utf16Bytes(text, true));
    TraceCapture::Clear();
    INIFILE swapped(be.c_str(), 0);
    EXPECT_EQ(0, swapped.TextLength());
    EXPECT_FALSE(swapped.IsUnicode());
    EXPECT_TRUE(TraceCapture::Contains("IsIniUnicodeA - UTF-16 big-endian file refused - [" + be + "]\n"))
        << TraceCapture::Dump();
    wchar_t result[16] = L"keep";
    EXPECT_FALSE(swapped.GetDecoratedValueW(L"LmProfInst", L"Name", result, 0));
    EXPECT_STREQ(L"keep", result);
}

TEST_F(IniFile, VariablesExpandCaseSensitivelyInBothEncodings)
{
    std::string ansi = m_files.Write("a.ini", PROFILES);
    std::string wide = m_files.Write("w.ini", Utf16Bytes(L";\r\n" + Widen(PROFILES)));
    for (const std::string& path : {ansi, wide}) {
        INIFILE ini(path.c_str(), 0);
        ASSERT_EQ(2, ini.VariableCount()) << path;
        EXPECT_EQ(L"Laser 2100 Profile", Value(ini, L"LmProfInst", L"Name"));
        EXPECT_EQ(L"%model%", Value(ini, L"LmProfInst", L"Lower"));
        EXPECT_EQ(L"%Nobody% stays", Value(ini, L"LmProfInst", L"Unknown"));
        EXPECT_EQ(L"Name=Laser 2100 Profile", Value(ini, L"LmProfInst", nullptr, 0));
    }
    EXPECT_TRUE(TraceCapture::Contains("LoadStrings --- [0000]\n"));
    EXPECT_TRUE(TraceCapture::Contains("*** [0, Model = \"Laser 2100\"]\n")) << TraceCapture::Dump();
    EXPECT_TRUE(TraceCapture::Contains("STR [Model, Laser 2100]\n"));
}

TEST_F(IniFile, ExpansionThatWouldOverflowTheLineYieldsNothing)
{
    // 70 characters times 59 is more than a line holds; the line is not used, cut or whole.
    std::string line = "Huge=";
    for (int i = 0; i < 59; ++i)
        line += "%Long%";
    std::string path = m_files.Write("huge.ini", std::string(PROFILES) + line + "\r\nAfter=%Model%\r\n");
    INIFILE ini(path.c_str(), 0);
    EXPECT_EQ(L"<none>", Value(ini, L"LmProfInst", L"Huge"));
    EXPECT_EQ(L"", Value(ini, L"LmProfInst", nullptr, 3));
    EXPECT_EQ(L"Laser 2100", Value(ini, L"LmProfInst", L"After"));
}

TEST_F(IniFile, ResultsAreCopiedWholeOrNotAtAll)
{
    std::string path = m_files.Write("r.ini", PROFILES);
    INIFILE ini(path.c_str(), 0);
    GuardedBuffer<char> exact(19);   // "Laser 2100 Profile" and its terminator
    ASSERT_TRUE(ini.GetValueA("LmProfInst", "Name", INI_LINE_NONE, exact.Get(), DWORD(exact.cch)));
    EXPECT_STREQ("Laser 2100 Profile", exact.Get());
    EXPECT_TRUE(exact.GuardIntact());

    GuardedBuffer<wchar_t> shortW(18);
    wcscpy(shortW.Get(), L"keep");
    EXPECT_FALSE(ini.GetDecoratedValueW(L"LmProfInst", L"Name", shortW.Get(), DWORD(shortW.cch), 0));
    EXPECT_STREQ(L"keep", shortW.Get());
    EXPECT_TRUE(shortW.GuardIntact());
}

TEST_F(IniFile, SysEnvNamesTheEmulatedWindowsVersion)
{
    const std::string version = RunVersion();
    if (version.empty())
        GTEST_SKIP() << "not run as a per-version copy";
    struct { const char* name; DWORD dwKind; BYTE bWin9x; } expected[] = {
        {"win98", OSKIND_WIN98, 1}, {"nt40", OSKIND_NT4, 0}, {"win2k", OSKIND_WIN2K, 0},
        {"winxp", OSKIND_WINXP, 0}, {"win7", OSKIND_WIN7, 0}, {"win10", OSKIND_WINXP, 0},   // 6.2 has no code
    };
    SYSENV env;
    for (const auto& e : expected) {
        if (version == e.name) {
            EXPECT_EQ(e.dwKind, env.OsKind);
            EXPECT_EQ(e.bWin9x, env.m_bWin9x);
        }
    }

    // Windows Me as some builds report it: 4.0 with the build 4.90 in the high word.
    OSVERSIONINFOA vi = {};
    vi.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    vi.dwMajorVersion = 4;
    vi.dwBuildNumber = 0x045A0BB8;
    EXPECT_EQ(OSKIND_WINME, SYSENV::OsKindOfVersion(vi));

    EXPECT_EQ(1257u, SYSENV::CodePageOfUserLanguage(0x0427, 1252));
    EXPECT_EQ(1250u, SYSENV::CodePageOfUserLanguage(0x0405, 1250));   // the system's own page
    INIFILE none(m_files.Path("none.ini").c_str(), 0x0427);
    EXPECT_EQ(1252u, none.CodePageOfLanguage(0));                 // the document's table differs
    EXPECT_EQ(936u, none.CodePageOfLanguage(0x08C0));
}

// Run by the harness once per user locale, with the expected values in the environment.
TEST_F(IniFile, SysEnvProbesTheUserLanguageAndItsCodePage)
{
    const char* pszId = getenv("LMTEST_LOCALE_ID");
    const char* pszCodePage = getenv("LMTEST_CODEPAGE");
    if (!pszId || !pszCodePage)
        GTEST_SKIP() << "run by the harness with a locale set";
    SYSENV env;
    EXPECT_EQ(LanguageCodeFromId(strtoul(pszId, nullptr, 16)).dwLangId, env.m_dwLanguage);
    EXPECT_EQ(strtoul(pszCodePage, nullptr, 10), env.m_uCodePage);
}

// A file in the user's double-byte code page: characters whose trail byte is "\", "]" or a
// letter stay whole in section names, values, variables and the folder of the file.
TEST_F(IniFile, DoubleByteTextOfTheUserLanguageStaysWhole)
{
    SYSENV env;
    CPINFO cpi;
    if (!GetCPInfo(env.m_uCodePage, &cpi) || cpi.MaxCharSize != 2)
        GTEST_SKIP() << "the user's code page " << env.m_uCodePage << " is single-byte";
    UINT cp = env.m_uCodePage;
    // One lead byte whose pairs with the trail bytes below are characters of this code page.
    auto isChar = [cp](BYTE lead, BYTE trail) {
        char pair[2] = {char(lead), char(trail)};
        wchar_t w[2];
        return MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, pair, 2, w, 2) == 1;
    };
    // Code page 949 has no trail bytes "\" and "]"; the others have all four.
    int nBest = 0;
    std::string slash, bracket, upper, lower;
    for (int lead = 0xA1; lead < 0xFE && nBest < 2; ++lead) {
        if (!IsDBCSLeadByteEx(cp, BYTE(lead)) || !isChar(BYTE(lead), 'A') || !isChar(BYTE(lead), 'a'))
            continue;
        bool bAll = isChar(BYTE(lead), '\\') && isChar(BYTE(lead), ']');
        if (nBest == 1 && !bAll)
            continue;
        upper = {char(lead), 'A'};
        lower = {char(lead), 'a'};
        slash = bAll ? std::string{char(lead), '\\'} : "";
        bracket = bAll ? std::string{char(lead), ']'} : "";
        nBest = bAll ? 2 : 1;
    }
    ASSERT_FALSE(upper.empty()) << "no lead byte for code page " << cp;
    std::string text = "[Strings]\r\nModel=" + upper + slash + "\r\n"
                       "[LmProfInst]\r\nName=%Model% " + bracket + lower + "\r\n"
                       "[S" + upper + bracket + "]\r\nKey=upper\r\n[S" + lower + "]\r\nKey=lower\r\n";
    std::string path = m_files.Write("main.ini", text);
    INIFILE ini(path.c_str(), 0);
    ASSERT_EQ(1, ini.VariableCount()) << TraceCapture::Dump();
    wchar_t result[64] = L"";
    ASSERT_TRUE(ini.GetDecoratedValueW(L"LmProfInst", L"Name", result, 64, env.m_dwLanguage));
    EXPECT_EQ(Widen(upper + slash + " " + bracket + lower, cp), result);
    ASSERT_TRUE(ini.GetDecoratedValueW(Widen("S" + upper + bracket, cp).c_str(), L"Key", result, 64, env.m_dwLanguage));
    EXPECT_STREQ(L"upper", result);
    ASSERT_TRUE(ini.GetDecoratedValueW(Widen("S" + lower, cp).c_str(), L"Key", result, 64, env.m_dwLanguage));
    EXPECT_STREQ(L"lower", result);

    // The folder of a file whose name ends in a character with the trail byte "\\" (the test
    // bed's file system takes ASCII names only, so the file itself need not exist).
    std::string folder = m_files.Path("d" + (slash.empty() ? upper : slash));
    INIFILE named((folder + "\\main.ini").c_str(), 0);
    EXPECT_STREQ(folder.c_str(), named.FolderA());
}
