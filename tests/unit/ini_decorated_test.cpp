// The decorated lookups: the section names tried for the running Windows version, processor
// and language, most specific first.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ini_test_files.h"

namespace {

using Names = std::vector<std::string>;

Names Cross(const Names& a, const Names& b)
{
    Names out;
    for (const auto& x : a)
        for (const auto& y : b)
            out.push_back(x + y);
    return out;
}

// The candidates the running system should try, most specific first.
Names ExpectedOrder(int nArch, const Names& languages)
{
    const std::string version = RunVersion();
    if (version == "win98")
        return Cross({".9x", ""}, languages);
    Names os = version == "win7" ? Names{".nt6", ".nt5", ".nt", ""}
                                 : version == "nt40" ? Names{".nt4", ".nt", ""} : Names{".nt5", ".nt", ""};
    Names arch = nArch == INI_ARCH_X86    ? Names{".x86", ".ntx86", ""}
                 : nArch == INI_ARCH_IA64 ? Names{".x64ia", ".ntia64", ".x64", ""}
                                          : Names{".x64amd", ".ntamd64", ".x64", ""};
    return Cross(Cross(os, arch), languages);
}

// The file holds a section of every decoration; the answering one is removed from it in turn,
// so the answers are the order in which the candidates are tried, and those this system must
// not try never answer. Both widths of caller on both kinds of document.
class IniDecorated : public IniTest {
protected:
    void SetUp() override { InitTraceFlag(FALSE); }   // the many lookups would trace for long
    void CheckOrder(const Names& expected, bool bUnicode, DWORD dwDocLanguage, DWORD dwLanguage)
    {
        Names sections = Cross(Cross({".nt6", ".nt5", ".nt4", ".nt", ".9x", ""},
                                     {".x86", ".ntx86", ".x64amd", ".ntamd64", ".x64ia", ".ntia64", ".x64", ""}),
                               {".0411", ".0011", ".0409", ".08c0", ".00c0", ""});
        for (size_t k = 0; k <= expected.size(); ++k) {
            std::string text = ";\r\n";
            for (const auto& s : sections)
                text += "[Setup" + s + "]\r\nWhich=<" + s + ">\r\n";
            INIFILE ini(Put("setup.ini", bUnicode ? Utf16Bytes(Widen(text)) : text).c_str(), dwDocLanguage);
            char result[64] = "";
            wchar_t wide[64] = L"";
            bool bFound = bUnicode ? ini.GetValueByOsA("Setup", "Which", INI_LINE_NONE, result, 64, dwLanguage)
                                   : ini.GetDecoratedValueW(L"Setup", L"Which", wide, dwLanguage);
            if (!bUnicode)
                WideCharToMultiByte(CP_ACP, 0, wide, -1, result, 64, nullptr, nullptr);
            if (k == expected.size()) {
                EXPECT_FALSE(bFound) << "a section no candidate names answered: " << result;
                return;
            }
            ASSERT_TRUE(bFound) << "candidate " << k << " Setup" << expected[k];
            ASSERT_EQ("<" + expected[k] + ">", std::string(result)) << "candidate " << k;
            sections.erase(std::find(sections.begin(), sections.end(), expected[k]));
        }
    }
};

}  // namespace

TEST_F(IniDecorated, CandidatesRunFromVersionToProcessorToLanguage)
{
    EXPECT_EQ(sizeof(void*) == 8 ? INI_ARCH_X64 : INI_ARCH_X86, INIFILE::GetNativeArchitecture());
    // The language of the lookup, else the document's; without either no suffix is tried.
    struct { int nArch; bool bUnicode; DWORD dwDoc, dwLookup; Names languages; } cases[] = {
        {INI_ARCH_X64, false, 0, 0x0411, {".0411", ".0011", ""}},
        {INI_ARCH_X86, true, 0, 0x0411, {".0411", ".0011", ""}},
        {INI_ARCH_IA64, false, 0, 0x0411, {".0411", ".0011", ""}},
        {INI_ARCH_X64, false, 0x0411, 0, {".0411", ".0011", ""}},
        {INI_ARCH_X64, true, 0x0411, 0x08C0, {".08c0", ".00c0", ""}},
        {INI_ARCH_X64, false, 0, 0, {""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "architecture " << c.nArch << (c.bUnicode ? " UTF-16" : " 8-bit")
                                        << std::hex << " document " << c.dwDoc << " lookup " << c.dwLookup);
        OverrideNativeArchitecture(c.nArch);
        CheckOrder(ExpectedOrder(c.nArch, c.languages), c.bUnicode, c.dwDoc, c.dwLookup);
    }
}

TEST_F(IniDecorated, AKeyMissingFromTheDecoratedSectionFallsThrough)
{
    INIFILE ini(Put("p.ini", ";\r\n[LmProfInst.0409]\r\nA=decorated\r\n[LmProfInst]\r\nA=plain\r\nB=plain\r\n").c_str(),
                0x0409);
    EXPECT_EQ(L"decorated", Value(ini, L"LmProfInst", L"A"));
    EXPECT_EQ(L"plain", Value(ini, L"LmProfInst", L"B"));
    char line[32];
    ASSERT_TRUE(ini.GetDecoratedLineA("LmProfInst", 1, line, 32, 0));
    EXPECT_STREQ("B=plain", line);
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

// A document remembers the section names its text has no header for, so a long installation
// file is not read through again for each of them. A section that is there is never taken for
// missing, also after a key it lacks was asked for, and every answer stays what it was.
TEST_F(IniDecorated, RepeatedLookupsAnswerAsTheFirst)
{
    for (bool bUnicode : {false, true}) {
        SCOPED_TRACE(bUnicode);
        // A section no candidate names keeps the file above the smallest one loaded.
        std::string text = ";\r\n[Setup.0411]\r\nWhich=<.0411>\r\n[Setup]\r\nWhich=<>\r\n";
        INIFILE ini(Put(bUnicode ? "w.ini" : "a.ini", bUnicode ? Utf16Bytes(Widen(text)) : text).c_str(), 0);
        for (int nRound = 0; nRound < 2; ++nRound) {
            SCOPED_TRACE(nRound);
            wchar_t wide[64] = L"";
            char narrow[64] = "";
            EXPECT_FALSE(ini.GetDecoratedValueW(L"Setup", L"Missing", wide, 0));
            EXPECT_TRUE(ini.GetDecoratedValueW(L"Setup", L"Which", wide, 0));
            EXPECT_STREQ(L"<>", wide);
            EXPECT_TRUE(ini.GetValueByOsA("Setup", "Which", INI_LINE_NONE, narrow, 64, 0));
            EXPECT_STREQ("<>", narrow);
            EXPECT_FALSE(ini.GetDecoratedValueW(L"Other", L"Which", wide, 0));
            EXPECT_FALSE(ini.GetValueByOsA("Other", "Which", INI_LINE_NONE, narrow, 64, 0));
        }
    }
}
