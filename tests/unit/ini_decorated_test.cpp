#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/trace.h"
#include "ini_test_files.h"
#include "installer/ini_file.h"
#include "test_support.h"

namespace {

using Names = std::vector<std::string>;

Names Cross(const Names& a, const Names& b)
{
    Names out;
    for (const auto& x : a) {
        for (const auto& y : b)
            out.push_back(x + y);
    }
    return out;
}

// The candidates the running system should try, most specific first, as the installation
// files are written for them.
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

// Every decoration a file may carry: the ones this system must not try stay in the file
// throughout and must never answer.
const Names ALL_OS = {".nt6", ".nt5", ".nt4", ".nt", ".9x", ""};
const Names ALL_ARCH = {".x86", ".ntx86", ".x64amd", ".ntamd64", ".x64ia", ".ntia64", ".x64", ""};
const Names ALL_LANG = {".0411", ".0011", ".0409", ".08c0", ".00c0", ""};

class IniDecorated : public testing::Test {
protected:
    void SetUp() override { InitTraceFlag(FALSE); }
    void TearDown() override { OverrideNativeArchitecture(-1); }

    std::string WriteSetup(const Names& sections, bool bUnicode)
    {
        std::string text = ";\r\n";
        for (const auto& s : sections)
            text += "[Setup" + s + "]\r\nWhich=<" + s + ">\r\n";
        return m_files.Write("setup.ini", bUnicode ? Utf16Bytes(Widen(text)) : text);
    }

    // Removes the answering section from the file one at a time: the answers, in turn, are the
    // order in which the candidates are tried.
    void CheckOrder(const Names& expected, bool bUnicode, DWORD dwDocLanguage, DWORD dwLanguage)
    {
        Names sections = Cross(Cross(ALL_OS, ALL_ARCH), ALL_LANG);
        for (size_t k = 0; k <= expected.size(); ++k) {
            std::string path = WriteSetup(sections, bUnicode);
            INIFILE ini(path.c_str(), dwDocLanguage);
            // Both widths of caller on both kinds of document.
            char result[64] = "";
            bool bFound;
            if (bUnicode) {
                bFound = ini.GetValueByOsA("Setup", "Which", INI_LINE_NONE, result, 64, dwLanguage);
            } else {
                wchar_t wide[64] = L"";
                bFound = ini.GetDecoratedValueW(L"Setup", L"Which", wide, dwLanguage);
                WideCharToMultiByte(CP_ACP, 0, wide, -1, result, 64, nullptr, nullptr);
            }
            if (k == expected.size()) {
                EXPECT_FALSE(bFound) << "a section no candidate names answered: " << result;
                return;
            }
            ASSERT_TRUE(bFound) << "candidate " << k << " Setup" << expected[k];
            ASSERT_EQ("<" + expected[k] + ">", std::string(result)) << "candidate " << k;
            sections.erase(std::find(sections.begin(), sections.end(), expected[k]));
        }
    }

    IniScratch m_files;
};

}  // namespace

TEST_F(IniDecorated, CandidatesRunFromVersionToProcessorToLanguage)
{
    const Names languages = {".0411", ".0011", ""};
    // The test bed's processor (x64 under Wine64), then the others as the system would report.
    EXPECT_EQ(sizeof(void*) == 8 ? INI_ARCH_X64 : INI_ARCH_X86, INIFILE::GetNativeArchitecture());
    for (int nArch : {INI_ARCH_X64, INI_ARCH_X86, INI_ARCH_IA64}) {
        OverrideNativeArchitecture(nArch);
        SCOPED_TRACE("architecture " + std::to_string(nArch));
        CheckOrder(ExpectedOrder(nArch, languages), false, 0, 0x0411);
        CheckOrder(ExpectedOrder(nArch, languages), true, 0, 0x0411);
    }
}

TEST_F(IniDecorated, LanguageCandidatesComeFromTheLookupOrTheDocument)
{
    OverrideNativeArchitecture(INI_ARCH_X64);
    CheckOrder(ExpectedOrder(INI_ARCH_X64, {".0411", ".0011", ""}), false, 0x0411, 0);
    CheckOrder(ExpectedOrder(INI_ARCH_X64, {".08c0", ".00c0", ""}), true, 0x0411, 0x08C0);
    // Without a language on either side, no language suffix is tried.
    CheckOrder(ExpectedOrder(INI_ARCH_X64, {""}), false, 0, 0);
}

TEST_F(IniDecorated, AKeyMissingFromTheDecoratedSectionFallsThrough)
{
    std::string path = m_files.Write("p.ini",
                                     ";\r\n[LmProfInst.0409]\r\nA=decorated\r\n[LmProfInst]\r\nA=plain\r\nB=plain\r\n");
    INIFILE ini(path.c_str(), 0);
    wchar_t result[32];
    ASSERT_TRUE(ini.GetDecoratedValueW(L"LmProfInst", L"A", result, 0x0409));
    EXPECT_STREQ(L"decorated", result);
    ASSERT_TRUE(ini.GetDecoratedValueW(L"LmProfInst", L"B", result, 0x0409));
    EXPECT_STREQ(L"plain", result);
    ASSERT_TRUE(ini.GetDecoratedValueW(L"LmProfInst", L"A", result, 0x0407));
    EXPECT_STREQ(L"plain", result);
    char line[32];
    ASSERT_TRUE(ini.GetDecoratedLineA("LmProfInst", 0, line, 32, 0x0409));
    EXPECT_STREQ("A=decorated", line);
    ASSERT_TRUE(ini.GetDecoratedLineA("LmProfInst", 1, line, 32, 0x0409));
    EXPECT_STREQ("B=plain", line);
}

TEST_F(IniDecorated, NamesThatWouldNotFitTheNameCellAreNotThere)
{
    // 250 + ".nt5.x64amd.0411" is more than 259 characters: that section cannot be asked for,
    // even though the file holds it, while 250 + ".0411" can.
    std::string name(250, 's');
    std::string tooLong = name + ".nt5.x64amd.0411";
    std::string huge(300, 'h');   // the plain name is used as it is, whatever its length
    std::string path = m_files.Write("long.ini", ";\r\n[" + tooLong + "]\r\nK=too long\r\n[" + name +
                                                     ".0411]\r\nK=fits\r\n[" + huge + "]\r\nK=huge\r\n");
    INIFILE ini(path.c_str(), 0);
    GuardedBuffer<char> result(INI_LINE_CHARS);
    ASSERT_TRUE(ini.GetValueByOsA(name.c_str(), "K", INI_LINE_NONE, result.Get(), DWORD(result.cch), 0x0411));
    EXPECT_STREQ("fits", result.Get());
    ASSERT_TRUE(ini.GetValueByOsA(huge.c_str(), "K", INI_LINE_NONE, result.Get(), DWORD(result.cch), 0x0411));
    EXPECT_STREQ("huge", result.Get());
    EXPECT_TRUE(result.GuardIntact());
}

// A document remembers the section names its text has no header for, so a long installation
// file is not read through again for each of them. A section that is there is never taken for
// missing, also after a key it lacks was asked for, and every answer stays what it was.
TEST_F(IniDecorated, RepeatedLookupsAnswerAsTheFirst)
{
    for (bool bUnicode : {false, true}) {
        SCOPED_TRACE(bUnicode);
        // A section no candidate names keeps the file above the smallest one loaded.
        INIFILE ini(WriteSetup({".0411", ""}, bUnicode).c_str(), 0);
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
