#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/command_line.h"
#include "core/conversions.h"

namespace {

std::vector<std::string> Split(const char* pszLine)
{
    CmdLineArgs args;
    int n = args.Split(pszLine);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i)
        out.push_back(args.Arg(i));
    EXPECT_EQ(n < 0 ? 0 : n, args.Count());
    return out;
}

using V = std::vector<std::string>;

}  // namespace

TEST(CommandLine, QuotesGroupBlanksAndEndTheirArgument)
{
    EXPECT_EQ((V{"Laser A", "C:\\My Files\\a.jxp", "Office"}), Split("\"Laser A\" \"C:\\My Files\\a.jxp\" Office"));
    EXPECT_EQ((V{"abc", "def"}), Split("\"abc\"def"));
    EXPECT_EQ((V{"abc d"}), Split("ab\"c d\""));
    EXPECT_EQ((V{"say \"hi\"", "x"}), Split("'say \"hi\"' x"));
    EXPECT_EQ((V{"it's"}), Split("\"it's\""));
    EXPECT_EQ((V{"", "b"}), Split("\"\" b"));
    EXPECT_EQ((V{"a", "b"}), Split("   a    b   "));
    EXPECT_EQ((V{"open ended"}), Split("\"open ended"));
    EXPECT_EQ(V{}, Split(""));
    CmdLineArgs args;
    EXPECT_EQ(2, args.Split("a b"));
    EXPECT_EQ(0, args.Split(nullptr));
    EXPECT_EQ(0, args.Count()) << "a missing line leaves no arguments of an earlier one";
    EXPECT_STREQ("", args.Arg(0));
}

TEST(CommandLine, LinesThatDoNotFitAreRefusedWhole)
{
    std::string many;
    for (int i = 0; i < 33; ++i)
        many += "a ";
    CmdLineArgs args;
    EXPECT_EQ(-1, args.Split(many.c_str()));
    EXPECT_EQ(0, args.Count());
    many.resize(many.size() - 2);   // 32 arguments fit
    EXPECT_EQ(32, args.Split(many.c_str()));

    std::string longArg(260, 'x');
    EXPECT_EQ(-1, args.Split(longArg.c_str()));
    EXPECT_EQ(1, args.Split(std::string(259, 'x').c_str()));
    EXPECT_EQ(259u, strlen(args.Arg(0)));
}

TEST(Conversions, RoundTripInDoubleByteCodePagesAndRefuseWhatDoesNotFit)
{
    const wchar_t wszJapanese[] = L"\x30d7\x30ea\x30f3\x30bf";   // "printer" in katakana
    char szOut[CONVERT_MAX_CHARS + 1];
    ConvertWideToAnsi(szOut, wszJapanese, 932);
    EXPECT_EQ(8u, strlen(szOut)) << "four double-byte characters";
    wchar_t wszBack[CONVERT_MAX_CHARS + 1];
    ConvertAnsiToWide(wszBack, szOut, 932);
    EXPECT_STREQ(wszJapanese, wszBack);

    std::string tooLong(CONVERT_MAX_CHARS + 10, 'a');
    wcscpy(wszBack, L"stale");
    EXPECT_STREQ(L"", ConvertAnsiToWide(wszBack, tooLong.c_str(), 1252));

    wchar_t wszCell[4];
    EXPECT_FALSE(ConvertAnsiToWideCell(wszCell, 4, "abcd", 1252));
    EXPECT_STREQ(L"", wszCell);
    EXPECT_TRUE(ConvertAnsiToWideCell(wszCell, 4, "abc", 1252));
    EXPECT_STREQ(L"abc", wszCell);
}
