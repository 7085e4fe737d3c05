#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "codec/ini_text.h"

namespace {

// Raw lookup over a text given as a span.
template <class T>
bool Find(const std::basic_string<T>& text, const T* section, const T* key, uint32_t line, std::basic_string<T>* out,
          const IniLeadBytes* pLead = nullptr, size_t nLength = size_t(-1))
{
    T result[INI_LINE_CHARS];
    IniQuery<T> q = {section, key, line, pLead, nullptr, nullptr};
    bool bFound = IniFindValue(text.data(), nLength == size_t(-1) ? text.size() : nLength, q, result);
    if (bFound)
        *out = result;
    return bFound;
}

std::string FindA(const std::string& text, const char* section, const char* key, uint32_t line = INI_NO_LINE,
                  const IniLeadBytes* pLead = nullptr)
{
    std::string out = "<none>";
    Find<char>(text, section, key, line, &out, pLead);
    return out;
}

IniLeadBytes LeadBytesOf(UINT uCodePage)
{
    IniLeadBytes lead;
    for (int b = 0; b < 256; ++b)
        lead.bLead[b] = IsDBCSLeadByteEx(uCodePage, BYTE(b)) != FALSE;
    return lead;
}

const char RULES[] =
    "; comment\r\n"
    "[lmprofinst]\r\n"
    "a=\r\n"                          // too short: neither a key nor a counted line
    "ProfCount = 3\r\n"
    "profcount=9\r\n"                 // keys are compared with case
    " ;Desc=  \"C:\\My Files\\a.jxp\"  \r\n"
    "Quote=ab\"cd\r\n"
    "//Skipped=1\r\n"
    "=Lead\r\n"                        // the key part of a line that starts with "="
    "NoValue\r\n"
    "[Other]\r\n"
    "ProfCount=7\r\n"
    "  [LmProfInst]\r\n"              // a header with leading blanks is an ordinary line
    "[LMPROFINST] trailing words\r\n"
    "Prof1=Standard\r\n"
    "ProfCount=4\r\n";

}  // namespace

TEST(IniText, KeyLookupFollowsTheLineRules)
{
    std::string text = RULES;
    EXPECT_EQ("4", FindA(text, "LmProfInst", "ProfCount"));   // the last match in the file
    EXPECT_EQ("9", FindA(text, "LmProfInst", "profcount"));
    EXPECT_EQ("<none>", FindA(text, "LmProfInst", "PROFCOUNT"));
    EXPECT_EQ("C:\\My Files\\a.jxp", FindA(text, "LmProfInst", ";Desc"));
    EXPECT_EQ("ab\"cd", FindA(text, "LmProfInst", "Quote"));
    EXPECT_EQ("<none>", FindA(text, "LmProfInst", "//Skipped"));
    EXPECT_EQ("", FindA(text, "LmProfInst", "Lead"));
    EXPECT_EQ("", FindA(text, "LmProfInst", "NoValue"));
    EXPECT_EQ("<none>", FindA(text, "LmProfInst", "a"));
    EXPECT_EQ("<none>", FindA(text, "Missing", "ProfCount"));
}

TEST(IniText, IndexModeCountsLinesFromEachHeaderOfTheSection)
{
    std::string text = RULES;
    EXPECT_EQ("=Lead", FindA(text, "LmProfInst", nullptr, 4));
    EXPECT_EQ(" ;Desc=  \"C:\\My Files\\a.jxp\"  ", FindA(text, "LmProfInst", nullptr, 2));
    EXPECT_EQ("NoValue", FindA(text, "LmProfInst", nullptr, 5));
    // The repeated header starts counting again; its line 0 is the last match.
    EXPECT_EQ("Prof1=Standard", FindA(text, "LmProfInst", nullptr, 0));
    EXPECT_EQ("ProfCount=4", FindA(text, "LmProfInst", nullptr, 1));
    EXPECT_EQ("<none>", FindA(text, "LmProfInst", nullptr, 6));
    // A key with a line index is index mode.
    EXPECT_EQ("ProfCount=7", FindA(text, "Other", "Whatever", 0));
}

TEST(IniText, LinesEndAtCarriageReturnsAndTheSpanEnd)
{
    // The span ends inside a larger buffer whose next bytes look like the rest of the line: a
    // reader that ran on would see them.
    std::string buffer = "[S]\r\nK=1\rJ=2\nL=3\r\nLast=end" "XYZ\r\nMore=1\r\n";
    size_t nSpan = buffer.find("XYZ");
    std::string out;
    ASSERT_TRUE(Find<char>(buffer, "S", "Last", INI_NO_LINE, &out, nullptr, nSpan));
    EXPECT_EQ("end", out);
    EXPECT_FALSE(Find<char>(buffer, "S", "More", INI_NO_LINE, &out, nullptr, nSpan));
    // A lone line feed ends nothing: "J=2\nL=3" is one line whose value stops at the feed.
    ASSERT_TRUE(Find<char>(buffer, "S", "J", INI_NO_LINE, &out, nullptr, nSpan));
    EXPECT_EQ("2", out);
    EXPECT_FALSE(Find<char>(buffer, "S", "L", INI_NO_LINE, &out, nullptr, nSpan));
    EXPECT_TRUE(Find<char>(buffer, "S", "K", INI_NO_LINE, &out, nullptr, nSpan));
    // A lookup on nothing, or on a span cut inside the header, finds nothing.
    EXPECT_FALSE(Find<char>(buffer, "S", "K", INI_NO_LINE, &out, nullptr, 0));
    EXPECT_FALSE(Find<char>(buffer, "S", "K", INI_NO_LINE, &out, nullptr, 2));
}

TEST(IniText, LinesLongerThanTheLineBufferNeverYieldAValue)
{
    std::string fits(INI_LINE_CHARS - 1 - 2, 'v');   // "K=" + value: 4,095 characters
    std::string over(INI_LINE_CHARS, 'w');
    std::string text = "[S]\r\nK=" + fits + "\r\nLong=" + over + "\r\nAfter=1\r\n[" + over + "]\r\nTail=2\r\n";
    std::string out;
    ASSERT_TRUE(Find<char>(text, "S", "K", INI_NO_LINE, &out));
    EXPECT_EQ(fits, out);
    EXPECT_FALSE(Find<char>(text, "S", "Long", INI_NO_LINE, &out));
    // Index mode still counts the line, as an empty one, so a walk by index goes on past it.
    ASSERT_TRUE(Find<char>(text, "S", nullptr, 1, &out));
    EXPECT_EQ("", out);
    ASSERT_TRUE(Find<char>(text, "S", nullptr, 2, &out));
    EXPECT_EQ("After=1", out);
    // An overlong header ends the section: its lines are not the section's.
    EXPECT_FALSE(Find<char>(text, "S", "Tail", INI_NO_LINE, &out));

    IniLineReader<char> reader(over.data(), over.size());
    char line[16];
    bool bCut = false;
    ASSERT_TRUE(reader.Next(line, sizeof(line), &bCut));
    EXPECT_TRUE(bCut);
    EXPECT_EQ(15u, strlen(line));
    EXPECT_TRUE(reader.AtEnd());
}

TEST(IniText, Utf16BytesDecodeAndMarksAreTold)
{
    const uint8_t bytes[] = {0xFF, 0xFE, 'A', 0, 0xE5, 0x65, 'Z'};
    wchar_t units[3];
    ASSERT_EQ(3u, DecodeUtf16Le(bytes, sizeof(bytes), units));   // the odd last byte is no unit
    EXPECT_EQ(0xFEFF, units[0]);
    EXPECT_EQ(L'A', units[1]);
    EXPECT_EQ(0x65E5, units[2]);

    const uint8_t be[] = {0xFE, 0xFF}, le[] = {0xFF, 0xFE}, ff[] = {0xFF, 0xFF}, utf8[] = {0xEF, 0xBB, 0xBF};
    EXPECT_EQ(IniEncoding::UTF16BE, DetectIniEncoding(be, 2));
    EXPECT_EQ(IniEncoding::UTF16LE, DetectIniEncoding(le, 2));
    EXPECT_EQ(IniEncoding::UTF16LE, DetectIniEncoding(ff, 2));
    EXPECT_EQ(IniEncoding::ANSI, DetectIniEncoding(utf8, 3));
    EXPECT_EQ(IniEncoding::ANSI, DetectIniEncoding(le, 1));
}

TEST(IniText, DoubleByteCharactersAreNeverSplit)
{
    // Code page 932: 0x95 0x5C is one character whose trail byte is "\", 0x81 0x5D one whose
    // trail byte is "]", 0x83 0x41 and 0x83 0x61 two characters that differ only in a trail
    // byte that looks like a letter's case.
    if (!IsValidCodePage(932))
        GTEST_SKIP() << "code page 932 is not installed";
    IniLeadBytes lead = LeadBytesOf(932);
    char folder[64], name[64];
    EXPECT_TRUE(SplitPath<char>("C:\\data\\\x95\x5C.ini", folder, 64, name, 64, &lead));
    EXPECT_STREQ("C:\\data", folder);
    EXPECT_STREQ("\x95\x5C.ini", name);
    strcpy(folder, "untouched");
    EXPECT_FALSE(SplitPath<char>("\x95\x5C", folder, 64, name, 64, &lead));
    EXPECT_STREQ("untouched", folder);
    EXPECT_STREQ("\x95\x5C", name);

    std::string text = "[X\x81]]\r\nK=bracket\r\n[Y\x83\x41]\r\nK=upper\r\n[Y\x83\x61]\r\nK=lower\r\n";
    EXPECT_EQ("bracket", FindA(text, "X\x81]", "K", INI_NO_LINE, &lead));
    EXPECT_EQ("upper", FindA(text, "Y\x83\x41", "K", INI_NO_LINE, &lead));
    EXPECT_EQ("lower", FindA(text, "Y\x83\x61", "K", INI_NO_LINE, &lead));
    EXPECT_EQ("upper", FindA(text, "y\x83\x41", "K", INI_NO_LINE, &lead));   // the ASCII letter folds

    // A lead byte at the very end of a text is taken alone, never with the terminator.
    size_t nPos = 0, nStart = 0, nLength = 0;
    ASSERT_TRUE(NextToken<char>("ab\x95", &nPos, ",", &lead, &nStart, &nLength));
    EXPECT_EQ(3u, nLength);
    EXPECT_FALSE(NextToken<char>("ab\x95", &nPos, ",", &lead, &nStart, &nLength));
}

TEST(IniText, ReplaceAllNeverRescansAndNeverOverflows)
{
    char text[32] = "a %V% b %V%%V";
    bool bOverflow = true;
    EXPECT_TRUE(ReplaceAll<char>(text, sizeof(text), "%V%", "<%V%>", &bOverflow));
    EXPECT_STREQ("a <%V%> b <%V%>%V", text);
    EXPECT_FALSE(bOverflow);
    EXPECT_FALSE(ReplaceAll<char>(text, sizeof(text), "%W%", "x", &bOverflow));
    EXPECT_FALSE(ReplaceAll<char>(text, sizeof(text), "", "x", &bOverflow));

    // The 17 characters of the result and the terminator fit a room of 18, not of 17.
    char small[32] = "a %V% b %V%%V";
    EXPECT_FALSE(ReplaceAll<char>(small, 17, "%V%", "<%V%>", &bOverflow));
    EXPECT_TRUE(bOverflow);
    EXPECT_STREQ("a %V% b %V%%V", small);
    EXPECT_TRUE(ReplaceAll<char>(small, 18, "%V%", "<%V%>", &bOverflow));
    EXPECT_STREQ("a <%V%> b <%V%>%V", small);
}

TEST(IniText, ListItemsAndStringsLines)
{
    char item[32];
    EXPECT_TRUE(IniListItem<char>("LoadString = lang.ini, other", 0, item, sizeof(item)));
    EXPECT_STREQ("LoadString", item);
    EXPECT_TRUE(IniListItem<char>("LoadString = lang.ini, other", 1, item, sizeof(item)));
    EXPECT_STREQ("lang.ini", item);
    EXPECT_TRUE(IniListItem<char>("A = x=y, z", 1, item, sizeof(item)));
    EXPECT_STREQ("x=y", item);
    EXPECT_FALSE(IniListItem<char>("LoadString = lang.ini", 2, item, sizeof(item)));
    EXPECT_STREQ("", item);
    EXPECT_FALSE(IniListItem<char>("LoadString = a-name-longer-than-the-room.ini", 1, item, 8));
    EXPECT_STREQ("", item);

    wchar_t name[32], value[8];
    ASSERT_TRUE(IniParseStringsLine<wchar_t>(L" \"Model\" = \"Laser 2100\" ", name, 32, value, 8));
    EXPECT_STREQ(L"Model", name);
    EXPECT_STREQ(L"Laser 2", value);   // cut to the room
    // A surrogate pair at the cut is dropped whole rather than halved.
    ASSERT_TRUE(IniParseStringsLine<wchar_t>(L"S=abcdef\xD83D\xDE00", name, 32, value, 8));
    EXPECT_STREQ(L"abcdef", value);
    EXPECT_FALSE(IniParseStringsLine<wchar_t>(L"OnlyAName", name, 32, value, 8));
    EXPECT_FALSE(IniParseStringsLine<wchar_t>(L"\"\" = value", name, 32, value, 8));
}
