// The variables of an installation file: its string tables and "Strings" sections.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ini_test_files.h"

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

class IniStrings : public IniTest {
protected:
    // <prefix>0.ini ... <prefix><last>.ini, each defining V<i> and listing the next nListings
    // times, but the last.
    void WriteChain(const std::string& prefix, int nLast, int nListings)
    {
        for (int i = 0; i <= nLast; ++i) {
            std::string text = "[StringTable]\r\n";
            for (int k = 0; i < nLast && k < nListings; ++k)
                text += "LoadString = " + prefix + std::to_string(i + 1) + ".ini\r\n";
            Put(prefix + std::to_string(i) + ".ini",
                Padded(text + "[Strings]\r\nV" + std::to_string(i) + " = " + std::to_string(i) + "\r\n"));
        }
    }
};

// Tables listed by "LoadString" lines (the key compared without case; blanks and what follows
// a comma ignored), then the file's own lines.
const char MAIN[] = ";\r\n[StringTable]\r\nLoadString = lang\\texts.ini\r\nloadstring = second.ini, extra\r\n"
                    "Load = ignored.ini\r\nLoadString\r\n[Strings]\r\nModel = Own\r\nTitle = \"%Model% %Color%\"\r\n"
                    "A = x, y\r\n[LmProfInst]\r\nName=%Model%\r\n";

}  // namespace

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
        Put("second.ini", Padded("[Strings]\r\nModel = Other\r\nExtra = 1\r\n"));
        Put("ignored.ini", Padded("[Strings]\r\nIgnored = 1\r\n"));

        INIFILE ini(Widen(main).c_str(), 0);
        Table expected = {{L"Color", L"Red"}, {L"Model", model},   {L"Model", L"Other"},         {L"Extra", L"1"},
                          {L"Model", L"Own"}, {L"Title", model + L" Red"}, {L"A", L"x"}};
        EXPECT_EQ(expected, TableOf(ini)) << TraceCapture::Dump();
        EXPECT_EQ(model, Value(ini, L"LmProfInst", L"Name"));
    }
}

TEST_F(IniStrings, ATableThatListsItselfIsLoadedOnce)
{
    std::string self = Put("self.ini", "[StringTable]\r\nLoadString = self.ini\r\nLoadString = .\\SELF.INI\r\n"
                                       "LoadString = a.ini\r\n[Strings]\r\nS = self\r\n");
    Put("a.ini", "[StringTable]\r\nLoadString = b.ini\r\n[Strings]\r\nA = a\r\n");
    Put("b.ini", "[StringTable]\r\nLoadString = a.ini\r\nLoadString = self.ini\r\n[Strings]\r\nB = b\r\n");
    INIFILE ini(self.c_str(), 0);
    EXPECT_EQ((Table{{L"B", L"b"}, {L"A", L"a"}, {L"S", L"self"}}), TableOf(ini)) << TraceCapture::Dump();
    EXPECT_TRUE(TraceCapture::Contains("LoadStrings - String table already loading, skipped - [" + m_files.Dir() +
                                       "\\.\\SELF.INI]\n"));
    INIFILE wide(Widen(self).c_str(), 0);
    EXPECT_EQ(TableOf(ini), TableOf(wide));
}

TEST_F(IniStrings, ChainsOfDistinctTablesStopAtTheDepthAndCountLimits)
{
    // t0 lists t1 ... : the listing file and INI_MAX_TABLE_DEPTH tables below it are read.
    WriteChain("t", INI_MAX_TABLE_DEPTH + 3, 1);
    INIFILE ini(m_files.Path("t0.ini").c_str(), 0), wide(Widen(m_files.Path("t0.ini")).c_str(), 0);
    ASSERT_EQ(INI_MAX_TABLE_DEPTH + 1, ini.VariableCount()) << TraceCapture::Dump();
    EXPECT_EQ(L"V" + std::to_wstring(INI_MAX_TABLE_DEPTH), ini.Variable(0)->wszName);
    EXPECT_EQ(TableOf(ini), TableOf(wide));
    EXPECT_TRUE(TraceCapture::Contains("LoadStrings - String tables nested too deep, skipped - [" + m_files.Dir() +
                                       "\\t" + std::to_string(INI_MAX_TABLE_DEPTH + 1) + ".ini]\n"));

    // Every file lists the next ten times: 10 + 100 + 1000 loads, unless the budget ends them.
    WriteChain("w", 3, 10);
    TraceCapture::Clear();
    INIFILE repeated(m_files.Path("w0.ini").c_str(), 0);
    std::vector<std::string> lines = TraceCapture::Lines();
    EXPECT_EQ(1 + INI_MAX_TABLE_FILES, std::count(lines.begin(), lines.end(), "LoadStrings --- [0000]\n"));
}

TEST_F(IniStrings, TheTableHoldsAtMost127Variables)
{
    std::string big = "[Strings]\r\n", own = "[Strings]\r\n";
    for (int i = 0; i < 100; ++i) {
        big += "N" + std::to_string(i) + " = " + std::to_string(i) + "\r\n";
        own += "M" + std::to_string(i) + " = m\r\n";
    }
    Put("big.ini", big);
    // Listed twice (siblings, no cycle): 100 and then 27 of the second copy fit.
    std::string main =
        Put("main.ini", "[StringTable]\r\nLoadString=big.ini\r\nLoadString=big.ini\r\n" + own + "[LmProfInst]\r\nK=%N99% %M0%\r\n");
    INIFILE ini(main.c_str(), 0);
    ASSERT_EQ(INI_MAX_VARIABLES, ini.VariableCount());
    EXPECT_STREQ(L"N26", ini.Variable(INI_MAX_VARIABLES - 1)->wszName);
    EXPECT_EQ(L"99 %M0%", Value(ini, L"LmProfInst", L"K"));
}

TEST_F(IniStrings, BrokenLinesAndMissingTablesContributeNothing)
{
    std::string name40(40, 'n');
    std::string huge = "Huge = ";
    for (int i = 0; i < 17; ++i)
        huge += "%Long%";   // 17 times 255 characters do not fit a line
    std::string main = Put("main.ini", "[StringTable]\r\nLoadString = missing.ini\r\n[Strings]\r\nLong = " +
                                           std::string(300, 'x') + "\r\n" + huge + "\r\n" + name40 +
                                           " = cut\r\nNothing\r\nAfter = ok\r\n[LmProfInst]\r\nA=%" +
                                           name40.substr(0, 31) + "%\r\nB=%" + name40 + "%\r\n");
    INIFILE ini(main.c_str(), 0);
    // Names keep 31 characters and values 255.
    Table expected = {{L"Long", std::wstring(255, L'x')}, {Widen(name40.substr(0, 31)), L"cut"}, {L"After", L"ok"}};
    EXPECT_EQ(expected, TableOf(ini)) << TraceCapture::Dump();
    EXPECT_EQ(L"cut", Value(ini, L"LmProfInst", L"A"));
    EXPECT_EQ(L"%" + Widen(name40) + L"%", Value(ini, L"LmProfInst", L"B"));
}
