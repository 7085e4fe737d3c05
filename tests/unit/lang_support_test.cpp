// The language support object on the tables of the built library: which text a user gets, and
// the buffer limits in UTF-16 and 8-bit text.
#include "test_support.h"
#include "ui/lmlangsprt.h"

namespace {

// A lookup in nRoom characters (UTF-16) or bytes (8-bit text in the language's code page); a
// null wide text is not handed out, and leaves the buffer as it was.
struct Case { int nTable; DWORD dwLanguage; int nId; int nRoom; const wchar_t* wide; std::string narrow; };

void Check(const Case& c)
{
    SCOPED_TRACE(testing::Message() << "table " << c.nTable << ", text " << c.nId << ", room " << c.nRoom);
    std::string why;
    HMODULE hModule = BuiltDll(&why);
    ASSERT_TRUE(hModule) << why;
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
    EXPECT_EQ(c.narrow, c.nRoom ? std::string(sz) : c.narrow);
    EXPECT_EQ(std::string(sizeof(sz) - c.nRoom, '#'), std::string(sz + c.nRoom, sizeof(sz) - c.nRoom))
        << "nothing written past the caller's room";
}

}  // namespace

// A user gets the texts of the language's section, else of the English one. A text is handed
// out with its terminator or not at all: a cut text would read as another; an 8-bit text can
// take two bytes a character, and its room is the caller's buffer in bytes.
TEST(LangSupport, UsersGetTheirLanguagesTextsWholeOrNotAtAll)
{
    const wchar_t* const profiles = L"\x30d7\x30ed\x30d5\x30a1\x30a4\x30eb";   // 12 bytes in code page 932
    const Case cases[] = {
        {112, 0x0407, 1008, 10, L"&Weiter >", "&Weiter >"},   // nine characters
        {112, 0x0407, 1008, 9, nullptr, ""},
        {112, 0x0407, 1008, 0, nullptr, ""},
        {112, 0x0407, 1018, 1, L"", ""},   // a missing text is empty, and needs its terminator
        {133, 0x0409, 1008, 260, L"", ""},   // no such table
        {114, 0x0411, 3013, 13, profiles, "\x83\x76\x83\x8d\x83\x74\x83\x40\x83\x43\x83\x8b"},
        {114, 0x0411, 3013, 12, profiles, ""},
        {114, 0x0411, 3013, 7, profiles, ""},
        {114, 0x0411, 3013, 6, nullptr, ""},
    };
    for (const Case& c : cases)
        Check(c);
}
