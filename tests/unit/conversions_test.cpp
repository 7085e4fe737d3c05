// The code-page conversions of the wizard page and the status box: a text either converts whole
// into its cell or leaves the cell empty, never cut.
#include <gtest/gtest.h>

#include <string>

#include "ui/conversions.h"

TEST(Conversions, RoundTripInDoubleByteCodePagesAndRefuseWhatDoesNotFit)
{
    const wchar_t wszJapanese[] = L"\x30d7\x30ea\x30f3\x30bf";   // "printer" in katakana
    char szOut[CONVERT_MAX_CHARS + 1];
    EXPECT_EQ(8u, strlen(ConvertWideToAnsi(szOut, wszJapanese, 932))) << "four double-byte characters";
    wchar_t wszBack[CONVERT_MAX_CHARS + 1];
    EXPECT_STREQ(wszJapanese, ConvertAnsiToWide(wszBack, szOut, 932));
    std::string fits(CONVERT_MAX_CHARS - 1, 'a'), over(CONVERT_MAX_CHARS, 'a');
    EXPECT_EQ(fits.size(), wcslen(ConvertAnsiToWide(wszBack, fits.c_str(), 1252)));
    EXPECT_STREQ(L"", ConvertAnsiToWide(wszBack, over.c_str(), 1252));

    wchar_t wszCell[4];
    EXPECT_FALSE(ConvertAnsiToWideCell(wszCell, 4, "abcd", 1252));
    EXPECT_STREQ(L"", wszCell);
    EXPECT_TRUE(ConvertAnsiToWideCell(wszCell, 4, "abc", 1252));
    EXPECT_STREQ(L"abc", wszCell);
}
