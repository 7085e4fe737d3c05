// Installation files read through INIFILE: which files are read, their variables (the string
// tables and "Strings" sections) and the decorated lookups. The files are written at run time
// from exact bytes (8-bit text in a given code page, or UTF-16) into a work folder of the
// test's own, with the trace on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/trace.h"
#include "installer/ini_file.h"
#include "test_support.h"

namespace {

std::wstring Widen(const std::string& text, UINT uCodePage = CP_ACP)
{
    std::wstring out(text.size() + 1, L'\0');
    out.resize(size_t(MultiByteToWideChar(uCodePage, 0, text.data(), int(text.size()), &out[0], int(out.size()))));
    return out;
}

// UTF-16 little-endian bytes of a text, after the mark FF FE.
std::string Utf16Bytes(const std::wstring& text)
{
    std::string bytes;
    for (wchar_t c : L"\xFEFF" + text)
        bytes += {char(c & 0xFF), char(c >> 8)};
    return bytes;
}

// Installation files are at least 30 bytes long.
std::string Padded(const std::string& text)
{
    return text + "; ------------------------------\r\n";
}

class IniFile : public testing::Test {
protected:
    IniFile() : m_files(testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    void SetUp() override
    {
        InitTraceFlag(TRUE);
        TraceCapture::Clear();
    }
    void TearDown() override
    {
        InitTraceFlag(FALSE);
        OverrideNativeArchitecture(-1);
    }
    // Writes the bytes to the folder-relative path (its folders are made); the full path.
    std::string Put(const std::string& rel, const std::string& bytes)
    {
        if (rel.find('\\') != std::string::npos)
            m_files.SubDir(rel.substr(0, rel.rfind('\\')));
        WriteBytes(m_files.Path(rel), Bytes(bytes.begin(), bytes.end()));
        return m_files.Path(rel);
    }
    // A key's value through the decorated lookup, which serves both encodings, in cch characters;
    // "<none>" when nothing answers. A value comes whole or not at all: nothing is written past
    // the cch characters, and nothing at all when the lookup fails.
    static std::wstring Value(INIFILE& ini, const std::wstring& section, const wchar_t* key, DWORD cch = INI_LINE_CHARS)
    {
        std::wstring result(INI_LINE_CHARS + 1, L'#');
        bool bFound = ini.GetDecoratedValueW(section.c_str(), key, &result[0], cch, 0);
        if (result.find_first_not_of(L'#', bFound ? cch : 0) != std::wstring::npos)
            return L"<written outside the value>";
        return bFound ? result.c_str() : L"<none>";
    }
    // <prefix>0.ini ... <prefix><last>.ini, each defining V<i> (the first also the lines of
    // `more`) and listing the next nListings times, but the last.
    void WriteChain(const std::string& prefix, int nLast, int nListings, const std::string& more = "")
    {
        for (int i = 0; i <= nLast; ++i) {
            std::string text = "[StringTable]\r\n";
            for (int k = 0; i < nLast && k < nListings; ++k)
                text += "LoadString = " + prefix + std::to_string(i + 1) + ".ini\r\n";
            Put(prefix + std::to_string(i) + ".ini", Padded(text + "[Strings]\r\nV" + std::to_string(i) + " = " +
                                                            std::to_string(i) + "\r\n" + (i ? "" : more)));
        }
    }

    WorkFolder m_files;
};

// The variables, and the decorated lookups.
using IniStrings = IniFile;
using IniDecorated = IniFile;
using Names = std::vector<std::string>;
using Table = std::vector<std::pair<std::wstring, std::wstring>>;

const char PROFILES[] =
    "[Strings]\r\n"
    "Model = \"Laser 2100\"\r\n"
    "Long = 0123456789012345678901234567890123456789012345678901234567890123456789\r\n"
    "[LmProfInst]\r\n"
    "Name=%Model% Profile\r\n"
    "Lower=%model%\r\n"
    "Unknown=%Nobody% stays\r\n";

// Tables listed by "LoadString" lines (the key compared without case; blanks and what follows
// a comma ignored), then the file's own lines.
const char MAIN[] = ";\r\n[StringTable]\r\nLoadString = lang\\texts.ini\r\nloadstring = second.ini, extra\r\n"
                    "Load = ignored.ini\r\nLoadString\r\n[Strings]\r\nModel = Own\r\nTitle = \"%Model% %Color%\"\r\n"
                    "A = x, y\r\n[LmProfInst]\r\nName=%Model%\r\n";

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
}

// The user's language and its code page, as the harness's run for each locale sets them. A
// file in a double-byte code page: characters whose trail byte is "\", "]" or a letter stay
// whole in section names, values, variables and the folder of the file.
TEST_F(IniFile, UserLanguageIsProbedAndItsDoubleByteTextStaysWhole)
{
    SYSENV env;
    if (const char* pszId = getenv("LMTEST_LOCALE_ID")) {
        EXPECT_EQ(LanguageCodeFromId(strtoul(pszId, nullptr, 16)).dwLangId, env.m_dwLanguage);
        EXPECT_EQ(strtoul(getenv("LMTEST_CODEPAGE"), nullptr, 10), env.m_uCodePage);
    }
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

// ---- the variables ----------------------------------------------------------------------

// A table that lists the file already loading it (here under another spelling of its name)
// is not loaded again: that would never end.
TEST_F(IniStrings, TablesChainFromTheListingFileAndTheFirstDefinitionWins)
{
    for (bool bUnicode : {false, true}) {
        SCOPED_TRACE(bUnicode ? "UTF-16" : "8-bit");
        const std::wstring model = bUnicode ? L"\x30EC\x30FC\x30B6\x30FC" : L"Laser";
        // A header right after the byte-order mark would not be one: a comment comes first.
        std::string texts = ";\r\n[StringTable]\r\nLoadString = deeper.ini\r\n[Strings]\r\nModel = ";
        std::string main = Put("main.ini", bUnicode ? Utf16Bytes(Widen(MAIN)) : MAIN);
        Put("lang\\texts.ini", bUnicode ? Utf16Bytes(Widen(texts) + model + L"\r\n") : texts + "Laser\r\n");
        Put("lang\\deeper.ini", Padded("[Strings]\r\nColor = Red\r\n"));
        Put("second.ini", Padded("[StringTable]\r\nLoadString = .\\MAIN.INI\r\n[Strings]\r\nModel = Other\r\nExtra = 1\r\n"));
        Put("ignored.ini", Padded("[Strings]\r\nIgnored = 1\r\n"));

        INIFILE ini(Widen(main).c_str(), 0);
        Table table, expected = {{L"Color", L"Red"}, {L"Model", model},   {L"Model", L"Other"},         {L"Extra", L"1"},
                          {L"Model", L"Own"}, {L"Title", model + L" Red"}, {L"A", L"x"}};
        for (int i = 0; i < ini.VariableCount(); ++i)
            table.emplace_back(ini.Variable(i)->wszName, ini.Variable(i)->wszValue);
        EXPECT_EQ(expected, table) << TraceCapture::Dump();
        EXPECT_EQ(model, Value(ini, L"LmProfInst", L"Name"));
    }
}

TEST_F(IniStrings, ChainsStopAtTheDepthAndFileLimitsAndTheTableAt127Variables)
{
    // t0 lists t1 ... : the listing file and INI_MAX_TABLE_DEPTH tables below it are read.
    WriteChain("t", INI_MAX_TABLE_DEPTH + 3, 1);
    INIFILE ini(m_files.Path("t0.ini").c_str(), 0);
    ASSERT_EQ(INI_MAX_TABLE_DEPTH + 1, ini.VariableCount()) << TraceCapture::Dump();
    EXPECT_EQ(L"V" + std::to_wstring(INI_MAX_TABLE_DEPTH), ini.Variable(0)->wszName);

    // Every file lists the next ten times: 10 + 100 + 1000 loads, unless the budget of
    // INI_MAX_TABLE_FILES ends them. Their variables and the first of the listing file's own
    // fill the table; the rest are dropped. A value keeps 255 characters; a line without "="
    // and one whose expansion would not fit a line (17 times 255 characters) take no place.
    std::string more = "Long = " + std::string(300, 'x') + "\r\nNothing\r\nHuge = ";
    for (int i = 0; i < 17; ++i)
        more += "%Long%";
    more += "\r\n";
    for (int i = 0; i < 100; ++i)
        more += "M" + std::to_string(i) + " = m\r\n";
    WriteChain("w", 3, 10, more);
    INIFILE repeated(m_files.Path("w0.ini").c_str(), 0);
    ASSERT_EQ(INI_MAX_VARIABLES, repeated.VariableCount());
    EXPECT_EQ(std::wstring(255, L'x'), repeated.Variable(INI_MAX_TABLE_FILES + 1)->wszValue);
    EXPECT_EQ(L"M" + std::to_wstring(INI_MAX_VARIABLES - INI_MAX_TABLE_FILES - 3),
              repeated.Variable(INI_MAX_VARIABLES - 1)->wszName);
}

// ---- the decorated lookups: the section names tried for the running Windows version,
// processor and language, most specific first --------------------------------------------

// The file holds a section of every decoration; the one that answers is dropped in turn, so
// the answers come in the order the candidates are tried, and those this system must not try
// never answer. Both widths of caller on both kinds of document.
TEST_F(IniDecorated, CandidatesRunFromVersionToProcessorToLanguage)
{
    InitTraceFlag(FALSE);   // the many lookups would trace for long
    EXPECT_EQ(sizeof(void*) == 8 ? INI_ARCH_X64 : INI_ARCH_X86, INIFILE::GetNativeArchitecture());
    const std::string version = RunVersion();
    const Names os = version == "win98"  ? Names{".9x", ""}
                     : version == "win7" ? Names{".nt6", ".nt5", ".nt", ""}
                     : version == "nt40" ? Names{".nt4", ".nt", ""}
                                         : Names{".nt5", ".nt", ""};
    // The language of the lookup, else the document's; without either no suffix is tried.
    // Windows 9x tries no processor.
    struct { int nArch; DWORD dwDoc, dwLookup; Names arch, languages; } cases[] = {
        {INI_ARCH_X64, 0, 0x0411, {".x64amd", ".ntamd64", ".x64", ""}, {".0411", ".0011", ""}},
        {INI_ARCH_X86, 0x0411, 0, {".x86", ".ntx86", ""}, {".0411", ".0011", ""}},
        {INI_ARCH_IA64, 0x0411, 0x08C0, {".x64ia", ".ntia64", ".x64", ""}, {".08c0", ".00c0", ""}},
        {INI_ARCH_X64, 0, 0, {".x64amd", ".ntamd64", ".x64", ""}, {""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "architecture " << c.nArch << std::hex << " document " << c.dwDoc
                                        << " lookup " << c.dwLookup);
        OverrideNativeArchitecture(c.nArch);
        Names expected, answers, sections;
        for (const std::string& o : os)
            for (const std::string& a : version == "win98" ? Names{""} : c.arch)
                for (const std::string& l : c.languages)
                    expected.push_back(o + a + l);
        for (const char* o : {".nt6", ".nt5", ".nt4", ".nt", ".9x", ""})
            for (const char* a : {".x86", ".ntx86", ".x64amd", ".ntamd64", ".x64ia", ".ntia64", ".x64", ""})
                for (const char* l : {".0411", ".0011", ".08c0", ".00c0", ""})
                    sections.push_back(std::string(o) + a + l);
        while (answers.size() <= expected.size()) {
            std::string text = ";\r\n";
            for (const auto& s : sections)
                text += "[Setup" + s + "]\r\nWhich=<" + s + ">\r\n" + (s.empty() ? "Plain=p\r\n" : "");
            bool bUnicode = answers.size() % 2 == 1;   // both kinds of document, in turn
            INIFILE ini(Put("setup.ini", bUnicode ? Utf16Bytes(Widen(text)) : text).c_str(), c.dwDoc);
            wchar_t wsz[64];
            char sz[64] = "";
            if (!ini.GetDecoratedValueW(L"Setup", L"Which", wsz, c.dwLookup))
                break;
            answers.emplace_back(wsz + 1, wsz + wcslen(wsz) - 1);
            // A line the decorated sections lack comes from the plain one, and the document,
            // which remembers the sections it has no header for, does not take the one that
            // answered for missing after that: the narrow call answers the same.
            EXPECT_TRUE(ini.GetDecoratedLineA("Setup", 1, sz, 64, c.dwLookup) && std::string("Plain=p") == sz) << sz;
            EXPECT_TRUE(ini.GetValueByOsA("Setup", "Which", INI_LINE_NONE, sz, 64, c.dwLookup));
            EXPECT_EQ("<" + answers.back() + ">", sz);
            auto it = std::find(sections.begin(), sections.end(), answers.back());
            ASSERT_NE(sections.end(), it) << answers.back();
            sections.erase(it);
        }
        EXPECT_EQ(expected, answers);
    }
}

TEST_F(IniDecorated, NamesThatWouldNotFitTheNameCellAreNotThere)
{
    // A name cell holds 259 characters: 254 + ".0411" fits, 255 + ".0411" and 254 +
    // ".nt5.x64amd.0411" do not, and those sections cannot be asked for though the file holds
    // them. The plain name is used as it is, whatever its length.
    std::string name(254, 's'), over(255, 's'), huge(300, 'h');
    INIFILE ini(Put("long.ini", ";\r\n[" + name + ".nt5.x64amd.0411]\r\nK=too long\r\n[" + name + ".0411]\r\nK=fits\r\n[" +
                                    over + ".0411]\r\nK=over\r\n[" + huge + "]\r\nK=huge\r\n").c_str(),
                0x0411);
    EXPECT_EQ(L"fits", Value(ini, Widen(name), L"K"));
    EXPECT_EQ(L"huge", Value(ini, Widen(huge), L"K"));
    EXPECT_EQ(L"<none>", Value(ini, Widen(over), L"K"));
}
