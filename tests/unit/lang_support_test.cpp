// The language support object on the tables of the built library: which text a user gets, and
// the buffer limits in UTF-16 and 8-bit text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "test_support.h"
#include "ui/lmlangsprt.h"

namespace {

struct Case {
    int nTable;
    DWORD dwLanguage;
    int nId;
    int nRoom;              // characters for the UTF-16 text, bytes for the 8-bit one
    const wchar_t* wide;    // null: not handed out, the buffer left as it was
    std::string narrow;     // in the language's code page
};

void Check(const Case& c)
{
    SCOPED_TRACE(testing::Message() << "table " << c.nTable << ", text " << c.nId << ", room " << c.nRoom);
    std::string why;
    HMODULE hModule = BuiltDll(&why);
    ASSERT_NE(nullptr, hModule) << why;
    LMLANGSPRT lang(hModule, c.nTable, c.dwLanguage);
    lang.ChooseCodePage();
    wchar_t wsz[300];
    wmemset(wsz, L'#', 300);
    EXPECT_EQ(c.wide ? wsz : nullptr, lang.GetLangStringW(c.nId, wsz, c.nRoom));
    std::wstring expected = c.wide ? c.wide + std::wstring(1, L'\0') : L"";
    EXPECT_EQ(expected + std::wstring(300 - expected.size(), L'#'), std::wstring(wsz, 300));
    char sz[300];
    memset(sz, '#', sizeof(sz));
    EXPECT_EQ(sz, lang.GetLangStringA(c.nId, sz, c.nRoom));
    if (c.nRoom) {
        EXPECT_EQ(c.narrow, std::string(sz));
    }
    EXPECT_EQ(std::string(sizeof(sz) - c.nRoom, '#'), std::string(sz + c.nRoom, sizeof(sz) - c.nRoom))
        << "nothing written past the caller's room";
}

}  // namespace

TEST(LangSupport, UsersGetTheirLanguagesTextsElseEnglish)
{
    const Case cases[] = {
        {112, 0x0407, 1008, 260, L"&Weiter >", "&Weiter >"},
        {119, 0x0407, 1008, 260, L"&Next >", "&Next >"},   // table 119 has only English, for everyone
        // Portuguese (Portugal): its own table by the full identifier, the Portuguese one by
        // the primary language.
        {130, 0x0816, 1008, 260, L"&Seguinte >", "&Seguinte >"},
        {116, 0x0816, 1008, 260, L"&Avan\x00e7" L"ar >", "&Avan\xe7" "ar >"},
        {110, 0x04C1, 1009, 260, L"\x53d6\x6d88(&C)", "\xa8\xfa\xae\xf8(&C)"},
        // Table 110 holds 4012 twice; the first line counts.
        {110, 0x04C1, 4012, 260, L"\x6309\x4e00\x4e0b [\x4e0b\x4e00\x6b65] \x958b\x59cb\x5b89\x88dd\x3002",
         "\xab\xf6\xa4\x40\xa4\x55 [\xa4\x55\xa4\x40\xa8\x42] \xb6\x7d\xa9\x6c\xa6\x77\xb8\xcb\xa1\x43"},
        // A language the table has no section for, and no English section either: nothing.
        {112, 0x040C, 1008, 260, L"", ""},
        // The language names are written 0711 ... with a blank, the other texts with a tab.
        {112, 0x0407, 711, 260, L"Franz\x00f6sisch", "Franz\xf6sisch"},
        // Identifiers the tables do not carry, between and beyond the groups; a missing table.
        {112, 0x0407, 1018, 260, L"", ""},
        {112, 0x0407, 714, 260, L"", ""},
        {112, 0x0407, 5122, 260, L"", ""},
        {133, 0x0409, 1008, 260, L"", ""},
    };
    for (const Case& c : cases)
        Check(c);
}

// A text is handed out with its terminator or not at all: a cut text would read as another.
// An 8-bit text can take two bytes a character, and its room is the caller's buffer in bytes.
TEST(LangSupport, TextsAreHandedOutWholeOrNotAtAll)
{
    // "Profiles" in Japanese: six characters, twelve bytes in code page 932.
    const wchar_t* const profiles = L"\x30d7\x30ed\x30d5\x30a1\x30a4\x30eb";
    const std::string profiles932 = "\x83\x76\x83\x8d\x83\x74\x83\x40\x83\x43\x83\x8b";
    const Case cases[] = {
        {112, 0x0407, 1008, 10, L"&Weiter >", "&Weiter >"},   // nine characters
        {112, 0x0407, 1008, 9, nullptr, ""},
        {112, 0x0407, 1008, 0, nullptr, ""},
        {112, 0x0407, 1018, 1, L"", ""},   // the empty text of a missing one needs its terminator
        {119, 0x0409, 2013, 11, L"Components", "Components"},
        {119, 0x0409, 2013, 10, nullptr, ""},
        {114, 0x0411, 3013, 13, profiles, profiles932},
        {114, 0x0411, 3013, 12, profiles, ""},
        {114, 0x0411, 3013, 7, profiles, ""},
        {114, 0x0411, 3013, 6, nullptr, ""},
    };
    for (const Case& c : cases)
        Check(c);
}
