// The string-table reader on tables written by hand: lines, section choice and entry rules.
// (That every read stays within the table's bytes, and how identifiers read, is the fuzz
// target's to check.)
#include <gtest/gtest.h>

#include <string>

#include "codec/lang_table.h"

namespace {

// The text of nId in the table as the lookup hands it out (narrowed for the messages);
// "<empty>" and "<no text>" for the others.
std::string Find(const std::u16string& text, int nId, uint32_t dwLanguage = 0x0409)
{
    LangTable table;
    table.Parse(text.data(), text.size() * 2);
    LangSpan span{0, 0};
    switch (table.Find(nId, dwLanguage, &span)) {
    case LangFind::Empty: return "<empty>";
    case LangFind::NoText: return "<no text>";
    case LangFind::Text: break;
    }
    return std::string(text.begin() + span.nStart, text.begin() + span.nStart + span.nLength);
}

}  // namespace

TEST(LangTable, LookupsFindTheFirstEntryInTheLanguagesSection)
{
    const char16_t* const LINES = u"\xFEFF\r\n[0009] //English\r\n\r\n\t\r\n1 \"a\rb\nc\"\r\n\r\n\r\n2\t\"last\"";
    const char16_t* const LANGUAGES = u"[0009] //English\r\n1 \"en\"\r\n[0007] //German\r\n1 \"de\"\r\n[00c1]\r\n1 \"zh-TW\"\r\n";
    static const char16_t ENTRIES_TEXT[] = u"[0009]\r\n0711 \"English\"\r\n4012 \"first\"\r\n4012 \"second\"\r\n"
                                           u"1007\t\"tab\"\r\n  +1008   \"blanks\"\r\n\"1009\" \"quoted number\"\r\n"
                                           u"1010 \"open\r\n1011 no quotes\r\n1012 \"\"\r\n1013 \"ab\0cd\"\r\n"
                                           u"[0007]\r\n5000 \"German only\"\r\n";
    const std::u16string ENTRIES(ENTRIES_TEXT, sizeof(ENTRIES_TEXT) / 2 - 1);
    struct { std::u16string table; int nId; uint32_t dwLanguage; const char* expected; } cases[] = {
        // Lines end at CR LF only (a lone CR or LF is text), the last one may lack it, and a
        // header right after the mark is still one.
        {LINES, 1, 0x0409, "a\rb\nc"},
        {LINES, 2, 0x0409, "last"},
        {u"\xFEFF[0007]\r\n1 \"Eins\"\r\n", 1, 0x0407, "Eins"},
        {LANGUAGES, 1, 0x0407, "de"},
        {LANGUAGES, 1, 0x0007, "de"},
        {LANGUAGES, 1, 0x04C1, "zh-TW"},   // a lower-case tag reads as hexadecimal
        {LANGUAGES, 1, 0x040C, "en"},      // French has no section: English
        // A full identifier matches its own section only; a low byte matches the primary language.
        {u"[0009]\r\n1 \"en\"\r\n[0816]\r\n1 \"pt-PT\"\r\n", 1, 0x0816, "pt-PT"},
        {u"[0009]\r\n1 \"en\"\r\n[0816]\r\n1 \"pt-PT\"\r\n", 1, 0x0416, "en"},
        {u"[0016]\r\n1 \"pt\"\r\n", 1, 0x0816, "pt"},
        // A later section of the language replaces an earlier one; English never replaces one.
        {u"[0007]\r\n1 \"first\"\r\n[0009]\r\n1 \"en\"\r\n[0007]\r\n1 \"second\"\r\n", 1, 0x0407, "second"},
        {u"[0007]\r\n1 \"de\"\r\n[0009]\r\n1 \"en\"\r\n", 1, 0x0407, "de"},
        {u"[0007]\r\n1 \"de\"\r\n", 1, 0x040C, "<empty>"},
        {u"1 \"loose\"\r\n", 1, 0x0409, "<empty>"},
        // A header without a tag belongs to no language, not to language 0.
        {u"[]\r\n1 \"untagged\"\r\n[\r\n1 \"bare\"\r\n[0009]\r\n1 \"en\"\r\n", 1, 0, "en"},
        {u"[]//comment\r\n1 \"x\"\r\n", 1, 0, "<empty>"},
        {ENTRIES, 711, 0x0409, "English"},   // leading zeros
        {ENTRIES, 4012, 0x0409, "first"},
        {ENTRIES, 1007, 0x0409, "tab"},
        {ENTRIES, 1008, 0x0409, "blanks"},
        {ENTRIES, 1009, 0x0409, "1009"},   // the text is what stands between the first two quotes
        {ENTRIES, 1010, 0x0409, "<no text>"},
        {ENTRIES, 1011, 0x0409, "<no text>"},
        {ENTRIES, 1012, 0x0409, ""},
        {ENTRIES, 1013, 0x0409, "<no text>"},   // a zero ends the line's text
        {ENTRIES, 5000, 0x0409, "<empty>"},     // the search ends at the next section
        {ENTRIES, 5000, 0x0407, "German only"},
        {ENTRIES, 9999, 0x0409, "<empty>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, Find(c.table, c.nId, c.dwLanguage)) << "row " << &c - cases;
}

TEST(LangTable, AnOverlongLineInTheWayFailsTheLookup)
{
    const std::u16string entries = u"1 \"one\"\r\n";
    std::u16string longest(LangTable::MAX_LINE_CHARS - 1, u'x');
    std::u16string tooLong(LangTable::MAX_LINE_CHARS, u'x');
    EXPECT_EQ("one", Find(u"[0009]\r\n" + longest + u"\r\n" + entries, 1));
    EXPECT_EQ("<empty>", Find(u"[0009]\r\n" + tooLong + u"\r\n" + entries, 1));
    EXPECT_EQ("one", Find(u"[0009]\r\n" + entries + tooLong + u"\r\n", 1)) << "a line after the entry";
    EXPECT_EQ("one", Find(u"[0007]\r\n" + tooLong + u"\r\n[0009]\r\n" + entries, 1)) << "another section";
}
