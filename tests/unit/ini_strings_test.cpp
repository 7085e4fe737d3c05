#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/trace.h"
#include "ini_test_files.h"
#include "installer/ini_file.h"
#include "test_support.h"

namespace {

using Table = std::vector<std::pair<std::wstring, std::wstring>>;

Table TableOf(const INIFILE& ini)
{
    Table table;
    for (int i = 0; i < ini.VariableCount(); ++i)
        table.emplace_back(ini.Variable(i)->wszName, ini.Variable(i)->wszValue);
    return table;
}

// Installation files are at least 30 bytes long.
std::string Padded(const std::string& text)
{
    return text + "; ------------------------------\r\n";
}

class IniStrings : public testing::Test {
protected:
    void SetUp() override
    {
        InitTraceFlag(TRUE);
        TraceCapture::Clear();
    }
    void TearDown() override { InitTraceFlag(FALSE); }

    IniScratch m_files;
};

const char MAIN[] =
    ";\r\n"
    "[StringTable]\r\n"
    "LoadString = lang\\texts.ini\r\n"
    "loadstring = second.ini, extra\r\n"
    "Load = ignored.ini\r\n"
    "LoadString\r\n"
    "[Strings]\r\n"
    "Model = Own\r\n"
    "Title = \"%Model% %Color%\"\r\n"
    "A = x, y\r\n"
    "[LmProfInst]\r\n"
    "Name=%Model%\r\n";

}  // namespace

TEST_F(IniStrings, TablesChainFromTheListingFileAndTheFirstDefinitionWins)
{
    for (bool bUnicode : {false, true}) {
        SCOPED_TRACE(bUnicode ? "UTF-16" : "8-bit");
        const std::wstring model = bUnicode ? L"\x30EC\x30FC\x30B6\x30FC" : L"Laser";
        // A header right after the byte-order mark would not be one: a comment comes first.
        std::string texts = ";\r\n[StringTable]\r\nLoadString = deeper.ini\r\n[Strings]\r\nModel = ";
        std::string main = m_files.Write("main.ini", bUnicode ? Utf16Bytes(Widen(MAIN)) : MAIN);
        m_files.Write("lang\\texts.ini", bUnicode ? Utf16Bytes(Widen(texts) + model + L"\r\n") : texts + "Laser\r\n");
        m_files.Write("lang\\deeper.ini", Padded("[Strings]\r\nColor = Red\r\n"));
        m_files.Write("second.ini", Padded("[Strings]\r\nModel = Other\r\nExtra = 1\r\n"));
        m_files.Write("ignored.ini", Padded("[Strings]\r\nIgnored = 1\r\n"));

        std::unique_ptr<INIFILE> pIni(bUnicode ? new INIFILE(Widen(main).c_str(), 0) : new INIFILE(main.c_str(), 0));
        Table expected = {{L"Color", L"Red"}, {L"Model", model},   {L"Model", L"Other"},         {L"Extra", L"1"},
                          {L"Model", L"Own"}, {L"Title", model + L" Red"}, {L"A", L"x"}};
        EXPECT_EQ(expected, TableOf(*pIni)) << TraceCapture::Dump();
        wchar_t result[32] = L"";
        ASSERT_TRUE(pIni->GetDecoratedValueW(L"LmProfInst", L"Name", result, 0));
        EXPECT_EQ(model, result);
    }
}

TEST_F(IniStrings, ATableThatListsItselfIsLoadedOnce)
{
    std::string self = m_files.Write("self.ini", "[StringTable]\r\nLoadString = self.ini\r\nLoadString = .\\SELF.INI\r\n"
                                                 "LoadString = a.ini\r\n[Strings]\r\nS = self\r\n");
    m_files.Write("a.ini", "[StringTable]\r\nLoadString = b.ini\r\n[Strings]\r\nA = a\r\n");
    m_files.Write("b.ini", "[StringTable]\r\nLoadString = a.ini\r\nLoadString = self.ini\r\n[Strings]\r\nB = b\r\n");
    INIFILE ini(self.c_str(), 0);
    EXPECT_EQ((Table{{L"B", L"b"}, {L"A", L"a"}, {L"S", L"self"}}), TableOf(ini)) << TraceCapture::Dump();
    std::string skipped = "LoadStrings - String table already loading, skipped - [" + m_files.Folder();
    EXPECT_TRUE(TraceCapture::Contains(skipped + "\\self.ini]\n")) << TraceCapture::Dump();
    EXPECT_TRUE(TraceCapture::Contains(skipped + "\\.\\SELF.INI]\n"));
    EXPECT_TRUE(TraceCapture::Contains(skipped + "\\a.ini]\n"));

    // The same through the UTF-16 constructor.
    INIFILE wide(Widen(self).c_str(), 0);
    EXPECT_EQ(TableOf(ini), TableOf(wide));
}

TEST_F(IniStrings, ChainsOfDistinctTablesStopAtTheDepthAndCountLimits)
{
    std::string first;
    for (int i = 0; i <= INI_MAX_TABLE_DEPTH + 3; ++i) {
        std::string path = m_files.Write("t" + std::to_string(i) + ".ini",
                                         "[StringTable]\r\nLoadString = t" + std::to_string(i + 1) +
                                             ".ini\r\n[Strings]\r\nV" + std::to_string(i) + " = " + std::to_string(i) +
                                             "\r\n");
        if (i == 0)
            first = path;
    }
    INIFILE ini(first.c_str(), 0);
    ASSERT_EQ(INI_MAX_TABLE_DEPTH + 1, ini.VariableCount()) << TraceCapture::Dump();
    EXPECT_STREQ(L"V8", ini.Variable(0)->wszName);
    EXPECT_STREQ(L"V0", ini.Variable(INI_MAX_TABLE_DEPTH)->wszName);
    EXPECT_TRUE(TraceCapture::Contains("LoadStrings - String tables nested too deep, skipped - [" + m_files.Folder() +
                                       "\\t9.ini]\n"))
        << TraceCapture::Dump();

    // Every file lists the next ten times: 10 + 100 + 1000 loads, unless the chain's budget
    // ends them.
    for (int i = 0; i < 4; ++i) {
        std::string text = "[StringTable]\r\n";
        for (int k = 0; k < 10; ++k)
            text += "LoadString = w" + std::to_string(i + 1) + ".ini\r\n";
        m_files.Write("w" + std::to_string(i) + ".ini", i < 3 ? text : Padded("[Strings]\r\nW = 3\r\n"));
    }
    TraceCapture::Clear();
    INIFILE wide(m_files.Path("w0.ini").c_str(), 0);
    std::vector<std::string> lines = TraceCapture::Lines();
    EXPECT_EQ(1 + INI_MAX_TABLE_FILES, std::count(lines.begin(), lines.end(), "LoadStrings --- [0000]\n"));
    EXPECT_TRUE(TraceCapture::Contains("LoadStrings - Too many string tables, skipped - [" + m_files.Folder() +
                                       "\\w1.ini]\n"));
}

TEST_F(IniStrings, TheTableHoldsAtMost127Variables)
{
    std::string big = "[Strings]\r\n", own = "[Strings]\r\n";
    for (int i = 0; i < 100; ++i) {
        big += "N" + std::to_string(i) + " = " + std::to_string(i) + "\r\n";
        own += "M" + std::to_string(i) + " = m\r\n";
    }
    m_files.Write("big.ini", big);
    // Listed twice (siblings, no cycle): 100 and then 27 of the second copy fit.
    std::string main = m_files.Write("main.ini", "[StringTable]\r\nLoadString=big.ini\r\nLoadString=big.ini\r\n" + own +
                                                     "[LmProfInst]\r\nK=%N99% %M0%\r\n");
    INIFILE ini(main.c_str(), 0);
    ASSERT_EQ(INI_MAX_VARIABLES, ini.VariableCount());
    EXPECT_STREQ(L"N26", ini.Variable(INI_MAX_VARIABLES - 1)->wszName);
    EXPECT_TRUE(TraceCapture::Contains("LoadStrings - Variable table full, [N27] dropped\n")) << TraceCapture::Dump();
    EXPECT_TRUE(TraceCapture::Contains("LoadStrings - Variable table full, [M0] dropped\n"));
    wchar_t result[32];
    ASSERT_TRUE(ini.GetDecoratedValueW(L"LmProfInst", L"K", result, 0));
    EXPECT_STREQ(L"99 %M0%", result);
}

TEST_F(IniStrings, BrokenLinesAndMissingTablesContributeNothing)
{
    std::string name40(40, 'n');
    std::string huge = "Huge = ";
    for (int i = 0; i < 17; ++i)
        huge += "%Long%";   // 17 times 255 characters do not fit a line
    std::string main = m_files.Write("main.ini", "[StringTable]\r\nLoadString = missing.ini\r\n[Strings]\r\nLong = " +
                                                     std::string(300, 'x') + "\r\n" + huge + "\r\n" + name40 +
                                                     " = cut\r\nNothing\r\nAfter = ok\r\n[LmProfInst]\r\nA=%" +
                                                     name40.substr(0, 31) + "%\r\nB=%" + name40 + "%\r\n");
    INIFILE ini(main.c_str(), 0);
    EXPECT_TRUE(TraceCapture::Contains("IsIniUnicodeA - File Open failed - 2, [" + m_files.Folder() +
                                       "\\missing.ini]\n"))
        << TraceCapture::Dump();
    Table expected = {{L"Long", std::wstring(255, L'x')}, {Widen(name40.substr(0, 31)), L"cut"}, {L"After", L"ok"}};
    EXPECT_EQ(expected, TableOf(ini));
    EXPECT_TRUE(TraceCapture::Contains("*** [3, Nothing]\n"));
    wchar_t result[64];
    ASSERT_TRUE(ini.GetDecoratedValueW(L"LmProfInst", L"A", result, 0));
    EXPECT_STREQ(L"cut", result);
    ASSERT_TRUE(ini.GetDecoratedValueW(L"LmProfInst", L"B", result, 0));
    EXPECT_EQ(L"%" + Widen(name40) + L"%", result);
}

TEST_F(IniStrings, TheDocumentsLanguagePicksItsStringsSections)
{
    m_files.Write("t.ini", Padded("[Strings.0007]\r\nT = de\r\n[Strings]\r\nT = en\r\n"));
    std::string main = m_files.Write(
        "main.ini", "[StringTable]\r\nLoadString = t.ini\r\n[Strings.0407]\r\nName = Deutsch\r\n"
                    "[Strings]\r\nName = English\r\nOther = plain\r\n");
    INIFILE german(main.c_str(), 0x0407);
    EXPECT_TRUE(TraceCapture::Contains("LoadStrings --- [0407]\n"));
    // Each line index is its own lookup: line 1 exists only in the plain section.
    EXPECT_EQ((Table{{L"T", L"de"}, {L"Name", L"Deutsch"}, {L"Other", L"plain"}}), TableOf(german));
    INIFILE neutral(main.c_str(), 0);
    EXPECT_EQ((Table{{L"T", L"en"}, {L"Name", L"English"}, {L"Other", L"plain"}}), TableOf(neutral));
}
