#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ini_test_files.h"

namespace {

using IniFile = IniTest;

const char PROFILES[] =
    "[Strings]\r\n"
    "Model = \"Laser 2100\"\r\n"
    "Long = 0123456789012345678901234567890123456789012345678901234567890123456789\r\n"
    "[LmProfInst]\r\n"
    "Name=%Model% Profile\r\n"
    "Lower=%model%\r\n"
    "Unknown=%Nobody% stays\r\n";

}  // namespace

TEST_F(IniFile, FilesUnderThirtyBytesOrWithoutAnOpenableNameAreEmpty)
{
    // Through the 8-bit and the UTF-16 name alike.
    std::string small = Put("small.ini", "[S]\r\nKey=123456789012345678\r\n");   // 29 bytes
    std::string enough = Put("enough.ini", "[S]\r\nKey=1234567890123456789\r\n");
    INIFILE smallA(small.c_str(), 0), smallW(Widen(small).c_str(), 0), enoughA(enough.c_str(), 0),
        enoughW(Widen(enough).c_str(), 0);
    EXPECT_EQ(L"<none>", Value(smallA, L"S", L"Key"));
    EXPECT_EQ(L"<none>", Value(smallW, L"S", L"Key"));
    EXPECT_TRUE(TraceCapture::Contains("LoadIniFileA - File size is too small\n")) << TraceCapture::Dump();
    EXPECT_EQ(L"1234567890123456789", Value(enoughA, L"S", L"Key"));
    EXPECT_EQ(L"1234567890123456789", Value(enoughW, L"S", L"Key"));
    EXPECT_STREQ(Widen(m_files.Dir()).c_str(), enoughW.FolderW());

    std::string absent = m_files.Path("absent.ini");
    INIFILE missing(absent.c_str(), 0);
    EXPECT_TRUE(TraceCapture::Contains("IsIniUnicodeA - File Open failed - 2, [" + absent + "]\n"));
    char result[8] = "keep";
    EXPECT_FALSE(missing.GetValueA("S", "K", INI_LINE_NONE, result, 8));
    EXPECT_STREQ("keep", result);

    // A name of 260 characters or more is refused before anything is opened; 259 are tried.
    for (size_t nName : {259, 260}) {
        TraceCapture::Clear();
        INIFILE named((m_files.Dir() + "\\" + std::string(nName - m_files.Dir().size() - 1, 'n')).c_str(), 0);
        EXPECT_EQ(nName == 260, TraceCapture::Contains("LoadIniFileA - File name too long\n")) << TraceCapture::Dump();
    }
}

TEST_F(IniFile, Utf16LittleEndianIsReadAndBigEndianRefused)
{
    std::wstring text = L"[LmProfInst]\r\nFirst=kept\r\n;\r\n[Other]\r\nName=\x30EC\x30FC\x30B6\x30FC\r\n";
    std::string le = Put("le.ini", Utf16Bytes(text));
    INIFILE ini(le.c_str(), 0);
    EXPECT_EQ(L"\x30EC\x30FC\x30B6\x30FC", Value(ini, L"Other", L"Name"));
    // The mark is no part of the first line: the header an editor saves there is one.
    EXPECT_EQ(L"kept", Value(ini, L"LmProfInst", L"First"));
    char narrow[16] = "keep";
    EXPECT_FALSE(ini.GetValueA("Other", "Name", INI_LINE_NONE, narrow, 16));

    std::string swapped = Utf16Bytes(text);
    for (size_t i = 0; i + 1 < swapped.size(); i += 2)
        std::swap(swapped[i], swapped[i + 1]);
    std::string be = Put("be.ini", swapped);
    TraceCapture::Clear();
    INIFILE refused(be.c_str(), 0);
    EXPECT_TRUE(TraceCapture::Contains("IsIniUnicodeA - UTF-16 big-endian file refused - [" + be + "]\n"))
        << TraceCapture::Dump();
    EXPECT_EQ(L"<none>", Value(refused, L"LmProfInst", L"First"));
}

TEST_F(IniFile, VariablesExpandCaseSensitivelyInBothEncodings)
{
    std::string ansi = Put("a.ini", PROFILES);
    std::string wide = Put("w.ini", Utf16Bytes(L";\r\n" + Widen(PROFILES)));
    for (const std::string& path : {ansi, wide}) {
        SCOPED_TRACE(path);
        INIFILE ini(path.c_str(), 0);
        EXPECT_EQ(L"Laser 2100 Profile", Value(ini, L"LmProfInst", L"Name"));
        EXPECT_EQ(L"%model%", Value(ini, L"LmProfInst", L"Lower"));
        EXPECT_EQ(L"%Nobody% stays", Value(ini, L"LmProfInst", L"Unknown"));
        wchar_t line[32];
        ASSERT_TRUE(ini.GetDecoratedLineW(L"LmProfInst", 0, line, 32, 0));
        EXPECT_STREQ(L"Name=Laser 2100 Profile", line);
    }
}

TEST_F(IniFile, ResultsAreCopiedWholeOrNotAtAll)
{
    // 70 characters times 59 is more than a line holds: the line is not used, cut or whole.
    std::string huge = "Huge=";
    for (int i = 0; i < 59; ++i)
        huge += "%Long%";
    std::string path = Put("r.ini", std::string(PROFILES) + huge + "\r\nAfter=%Model%\r\n");
    INIFILE ini(path.c_str(), 0);
    EXPECT_EQ(L"<none>", Value(ini, L"LmProfInst", L"Huge"));
    EXPECT_EQ(L"Laser 2100", Value(ini, L"LmProfInst", L"After"));
    // "Laser 2100 Profile" and its terminator fill 19 characters; 18 are too few.
    EXPECT_EQ(L"Laser 2100 Profile", Value(ini, L"LmProfInst", L"Name", 19));
    EXPECT_EQ(L"<none>", Value(ini, L"LmProfInst", L"Name", 18));
    char exact[19 + 4];
    memset(exact, '#', sizeof(exact));
    ASSERT_TRUE(ini.GetValueA("LmProfInst", "Name", INI_LINE_NONE, exact, 19));
    EXPECT_EQ(std::string("Laser 2100 Profile") + '\0' + "####", std::string(exact, sizeof(exact)));
    memset(exact, '#', sizeof(exact));
    EXPECT_FALSE(ini.GetValueA("LmProfInst", "Name", INI_LINE_NONE, exact, 18));
    EXPECT_EQ(std::string(sizeof(exact), '#'), std::string(exact, sizeof(exact)));
}

// (Which version each copy of the tests runs as is seen in the decorated sections it is offered.)
TEST_F(IniFile, SysEnvReadsWindowsMeAndTheCodePagesOfItsLanguages)
{
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
    UINT cp = env.m_uCodePage;
    CPINFO cpi;
    if (!GetCPInfo(cp, &cpi) || cpi.MaxCharSize != 2)
        GTEST_SKIP() << "the user's code page " << cp << " is single-byte";
    // The first lead byte whose pairs with these trail bytes are characters; code page 949 has
    // no trail bytes "\" and "]", so there the letters stand in for them.
    auto pair = [cp](int lead, char trail) {
        char sz[2] = {char(lead), trail};
        wchar_t w[2];
        return MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, sz, 2, w, 2) == 1 ? std::string(sz, 2) : std::string();
    };
    std::string slash, bracket, upper, lower;
    for (int lead = 0x81; lead < 0xFF && slash.empty(); ++lead) {
        if (IsDBCSLeadByteEx(cp, BYTE(lead)) && !pair(lead, 'A').empty() && !pair(lead, 'a').empty()) {
            upper = pair(lead, 'A'), lower = pair(lead, 'a');
            slash = pair(lead, '\\'), bracket = pair(lead, ']');
        }
    }
    ASSERT_FALSE(upper.empty()) << "no lead byte for code page " << cp;
    slash = slash.empty() ? upper : slash;
    bracket = bracket.empty() ? lower : bracket;
    INIFILE ini(Put("main.ini", "[Strings]\r\nModel=" + upper + slash + "\r\n[LmProfInst]\r\nName=%Model% " + bracket +
                                    lower + "\r\n[S" + upper + bracket + "]\r\nKey=upper\r\n[S" + lower + "]\r\nKey=lower\r\n")
                    .c_str(),
                env.m_dwLanguage);
    EXPECT_EQ(Widen(upper + slash + " " + bracket + lower, cp), Value(ini, L"LmProfInst", L"Name"));
    EXPECT_EQ(L"upper", Value(ini, Widen("S" + upper + bracket, cp), L"Key"));
    EXPECT_EQ(L"lower", Value(ini, Widen("S" + lower, cp), L"Key"));
    // The folder of a file whose name ends in such a character (the test bed's file system
    // takes ASCII names only, so the file itself need not exist).
    std::string folder = m_files.Path("d" + slash);
    INIFILE named((folder + "\\main.ini").c_str(), 0);
    EXPECT_STREQ(folder.c_str(), named.FolderA());
}
