// The 23 string tables as the built library carries them, each the one the language table picks
// for its language and of that language only: every identifier in every table, a
// text that keeps the English text's placeholders and access keys (a caller formats it with
// the English arguments), and 8-bit texts in the language's code page.
#include <iterator>

#include "codec/languages.h"
#include "test_support.h"
#include "ui/lmlangsprt.h"

namespace {

// Each table, a user's language of it and the code page of its 8-bit texts.
const struct { int nResource; DWORD dwLanguage; UINT uCodePage; } TABLES[] = {
    {110, 0x04C1, 950},  {111, 0x040C, 1252}, {112, 0x0407, 1252}, {113, 0x0410, 1252}, {114, 0x0411, 932},
    {115, 0x0412, 949},  {116, 0x0416, 1252}, {117, 0x08C0, 936},  {118, 0x0C0A, 1252}, {119, 0x0409, 1252},
    {120, 0x0419, 1251}, {121, 0x0405, 1250}, {122, 0x0415, 1250}, {123, 0x0413, 1250}, {124, 0x0406, 1252},
    {125, 0x040B, 1252}, {126, 0x0408, 1253}, {127, 0x040E, 1252}, {128, 0x0427, 1252}, {129, 0x0414, 1252},
    {130, 0x0816, 1252}, {131, 0x041D, 1252}, {132, 0x041F, 1252},
};

// Every identifier every table holds.
const int ALL_TEXTS[] = {
    1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015,
    1016, 1017, 1021, 1022, 1023, 1024, 1025, 1026, 1027, 1028, 1029, 1031, 1032, 1033, 1034,
    1035, 1051, 1052, 1061, 1062, 1063, 1064, 1065, 1066, 1067, 2011, 2012, 2013, 3011, 3012,
    3013, 3014, 4011, 4012, 4013, 4014, 5011, 5012, 5013, 5014, 5015, 5111, 5112, 5113, 5114,
    5121, 711,  712,  713,  715,  716,  719,  729,  730,  731,  732,
};

// The printf placeholders of a text in order, and then its access keys ("&&" is a plain "&").
std::wstring PlaceholdersAndKeys(const std::wstring& text)
{
    std::wstring marks, keys;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 1 < text.size())
            marks += text.substr(i++, 2);
        else if (text[i] == L'&' && i + 1 < text.size() && text[i + 1] == L'&')
            ++i;
        else if (text[i] == L'&')
            keys += L'&';
    }
    return marks + L"|" + keys;
}

std::wstring TextW(LMLANGSPRT& lang, int nId)
{
    wchar_t wsz[260];
    const wchar_t* p = lang.GetLangStringW(nId, wsz, 260);
    return p ? std::wstring(p) : L"<none>";
}

}  // namespace

TEST(LangResources, EveryLanguagesTableHoldsEveryTextWithTheEnglishPlaceholdersAndKeys)
{
    std::string why;
    HMODULE hModule = BuiltDll(&why);
    ASSERT_TRUE(hModule) << why;
    LMLANGSPRT english(hModule, 119, 0x0409);
    ASSERT_EQ(std::size(TABLES), kLanguageCount);
    for (const auto& t : TABLES) {
        SCOPED_TRACE(t.nResource);
        // The language table picks this table for its language, and the table's one section is
        // of that language: its user gets its texts (below), a user of another gets nothing
        // from it unless it is the English one, to which every user falls back.
        EXPECT_EQ(t.nResource, StringTableOfLanguage(t.dwLanguage));
        LMLANGSPRT afrikaans(hModule, t.nResource, 0x0436);
        EXPECT_EQ(t.nResource == 119, !TextW(afrikaans, 1008).empty());
        LMLANGSPRT lang(hModule, t.nResource, t.dwLanguage);
        // The mark, the header and one line a text (table 110 has always carried an older
        // wording of 4012 below the current one): no identifier beyond the list.
        EXPECT_EQ(2 + std::size(ALL_TEXTS) + (t.nResource == 110 ? 1 : 0), lang.GetLineCount());
        EXPECT_EQ(1u, lang.GetSectionCount());
        // Every 8-bit text comes out in the language's code page and reads back as the UTF-16
        // text. Hungarian, Lithuanian and Turkish are given code page 1252, which lacks some of
        // their letters: those texts are best-fitted, so they are left out of the round trip.
        lang.ChooseCodePage();
        EXPECT_EQ(t.uCodePage, lang.GetCodePage());
        bool bRoundTrip = t.nResource != 127 && t.nResource != 128 && t.nResource != 132;
        for (int nId : ALL_TEXTS) {
            std::wstring text = TextW(lang, nId);
            EXPECT_FALSE(text.empty() || text == L"<none>") << nId;
            EXPECT_EQ(PlaceholdersAndKeys(TextW(english, nId)), PlaceholdersAndKeys(text)) << nId;
            char sz[260];
            wchar_t wszBack[260] = L"";
            MultiByteToWideChar(lang.GetCodePage(), 0, lang.GetLangStringA(nId, sz, 260), -1, wszBack, 260);
            EXPECT_TRUE(!bRoundTrip || text == wszBack) << nId;
        }
    }
}
