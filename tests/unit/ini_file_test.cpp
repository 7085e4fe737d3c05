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

// A file of 30 bytes or more, by an 8-bit or a UTF-16 name, in 8-bit text or UTF-16
// little-endian text is read; a shorter one, one that is not there, one named by 260 characters
// or more, and UTF-16 big-endian text are not.
TEST_F(IniFile, WhichFilesAreRead)
{
    std::wstring wide = L"[S]\r\nKey=\x30EC\x30FC\x30B6\x30FC\r\n", big;
    for (wchar_t c : L"\xFEFF" + wide)
        big += wchar_t(((c & 0xFF) << 8) | (c >> 8));
    struct { std::string path; bool bRead; } cases[] = {
        {Put("small.ini", "[S]\r\nKey=123456789012345678\r\n"), false},   // 29 bytes
        {Put("enough.ini", "[S]\r\nKey=1234567890123456789\r\n"), true},
        // The mark is no part of the first line: the header an editor saves there is one.
        {Put("le.ini", Utf16Bytes(wide)), true},
        {Put("be.ini", std::string(reinterpret_cast<const char*>(big.data()), big.size() * 2)), false},
        {m_files.Path("absent.ini"), false},
        {m_files.Dir() + "\\" + std::string(258 - m_files.Dir().size(), 'n'), false},   // 259 characters
        {m_files.Dir() + "\\" + std::string(259 - m_files.Dir().size(), 'n'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        TraceCapture::Clear();
        INIFILE narrow(c.path.c_str(), 0), wideName(Widen(c.path).c_str(), 0);
        EXPECT_EQ(c.bRead, Value(narrow, L"S", L"Key") != L"<none>");
        EXPECT_EQ(c.bRead, Value(wideName, L"S", L"Key") != L"<none>");
        EXPECT_EQ(c.path.size() >= 260, TraceCapture::Contains("LoadIniFileA - File name too long\n"));
    }
    INIFILE le(cases[2].path.c_str(), 0), enough(Widen(cases[1].path).c_str(), 0);
    EXPECT_EQ(L"\x30EC\x30FC\x30B6\x30FC", Value(le, L"S", L"Key"));
    EXPECT_STREQ(Widen(m_files.Dir()).c_str(), enough.FolderW());
}

TEST_F(IniFile, VariablesExpandCaseSensitivelyAndResultsComeWholeOrNotAtAll)
{
    // 70 characters times 59 is more than a line holds: the line is not used, cut or whole.
    std::string huge = "Huge=";
    for (int i = 0; i < 59; ++i)
        huge += "%Long%";
    std::string text = std::string(PROFILES) + huge + "\r\nAfter=%Model%\r\n";
    for (const std::string& path : {Put("a.ini", text), Put("w.ini", Utf16Bytes(L";\r\n" + Widen(text)))}) {
        SCOPED_TRACE(path);
        INIFILE ini(path.c_str(), 0);
        EXPECT_EQ(L"%model%", Value(ini, L"LmProfInst", L"Lower"));
        EXPECT_EQ(L"%Nobody% stays", Value(ini, L"LmProfInst", L"Unknown"));
        EXPECT_EQ(L"<none>", Value(ini, L"LmProfInst", L"Huge"));
        EXPECT_EQ(L"Laser 2100", Value(ini, L"LmProfInst", L"After"));
        // "Laser 2100 Profile" and its terminator fill 19 characters; 18 are too few.
        EXPECT_EQ(L"Laser 2100 Profile", Value(ini, L"LmProfInst", L"Name", 19));
        EXPECT_EQ(L"<none>", Value(ini, L"LmProfInst", L"Name", 18));
    }
    INIFILE ini(Put("r.ini", text).c_str(), 0);
    char exact[19 + 4];
    for (DWORD cch : {19, 18}) {
        memset(exact, '#', sizeof(exact));
        EXPECT_EQ(cch == 19, ini.GetValueA("LmProfInst", "Name", INI_LINE_NONE, exact, cch));
        EXPECT_EQ(cch == 19 ? std::string("Laser 2100 Profile") + '\0' + "####" : std::string(sizeof(exact), '#'),
                  std::string(exact, sizeof(exact)));
    }
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
