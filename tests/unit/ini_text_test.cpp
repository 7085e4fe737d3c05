// The scanning of installation-file text. (That a scan stays inside its text whatever the text
// holds, and never splits a double-byte character, is the fuzz target's to check.)
#include <gtest/gtest.h>

#include <string>

#include "codec/ini_text.h"
#include "codec/lang_table.h"

namespace {

// Raw lookup; "<none>" when nothing answers.
std::string FindA(const std::string& text, const char* section, const char* key, uint32_t line = INI_NO_LINE)
{
    char result[INI_LINE_CHARS];
    IniQuery<char> q = {section, key, line, nullptr, nullptr, nullptr};
    return IniFindValue(text.data(), text.size(), q, result) ? result : "<none>";
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
    "=Lead\r\n"                       // the key part of a line that starts with "="
    "NoValue\r\n"
    "[Other]\r\n"
    "ProfCount=7\r\n"
    "  [LmProfInst]\r\n"              // a header with leading blanks is an ordinary line
    "[LMPROFINST] trailing words\r\n"
    "Prof1=Standard\r\n"
    "ProfCount=4\r\n";

// A value that fills, after "K=", the 4,095 characters a line holds.
const std::string FITS(INI_LINE_CHARS - 1 - 2, 'v');

}  // namespace

TEST(IniText, LookupsFollowTheLineRules)
{
    std::string text = RULES + ("[S]\r\nK=" + FITS + "\r\nLong=" + std::string(INI_LINE_CHARS - 5, 'w') +
                                 "\r\nAfter=1\r\n[" + std::string(INI_LINE_CHARS, 'h') + "]\r\nTail=2\r\n");
    struct { const char* section; const char* key; uint32_t line; std::string expected; } cases[] = {
        {"LmProfInst", "ProfCount", INI_NO_LINE, "4"},   // the last match in the file
        {"LmProfInst", "profcount", INI_NO_LINE, "9"},
        {"LmProfInst", "PROFCOUNT", INI_NO_LINE, "<none>"},
        {"LmProfInst", ";Desc", INI_NO_LINE, "C:\\My Files\\a.jxp"},
        {"LmProfInst", "Quote", INI_NO_LINE, "ab\"cd"},
        {"LmProfInst", "//Skipped", INI_NO_LINE, "<none>"},
        {"LmProfInst", "Lead", INI_NO_LINE, ""},
        {"LmProfInst", "NoValue", INI_NO_LINE, ""},
        {"LmProfInst", "a", INI_NO_LINE, "<none>"},
        {"Missing", "ProfCount", INI_NO_LINE, "<none>"},
        // Index mode counts from each header of the section; a repeated header starts again.
        {"LmProfInst", nullptr, 2, " ;Desc=  \"C:\\My Files\\a.jxp\"  "},
        {"LmProfInst", nullptr, 4, "=Lead"},
        {"LmProfInst", nullptr, 5, "NoValue"},
        {"LmProfInst", nullptr, 0, "Prof1=Standard"},
        {"LmProfInst", nullptr, 1, "ProfCount=4"},
        {"LmProfInst", nullptr, 6, "<none>"},
        {"Other", "Whatever", 0, "ProfCount=7"},   // a key with a line index is index mode
        // A line longer than the line buffer never yields a value; index mode counts it as an
        // empty one, so a walk by index goes on past it. An overlong header ends the section.
        {"S", "K", INI_NO_LINE, FITS},
        {"S", "Long", INI_NO_LINE, "<none>"},
        {"S", nullptr, 1, ""},
        {"S", nullptr, 2, "After=1"},
        {"S", "Tail", INI_NO_LINE, "<none>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + " " + (c.key ? c.key : "-") + " " + std::to_string(c.line));
        EXPECT_EQ(c.expected, FindA(text, c.section, c.key, c.line));
    }
}

// The language identifiers of the system and the tags of the string tables are read by one
// rule: upper-cased, from the last character to the first, A to F are 10 to 15 and any other
// character counts its distance from "0" (wrapping at 32 bits). Only the numbers skip a "0x".
TEST(IniText, HexNumbersAndTableTagsReadEveryDigitClassAlike)
{
    struct { const char* text; uint32_t value; bool bTag; } cases[] = {
        {"0", 0, true},   {"9", 9, true},   {"/", 0xFFFFFFFF, true}, {":", 10, true},
        {"@", 16, true},  {"A", 10, true},  {"F", 15, true},         {"G", 23, true},
        {"`", 48, true},  {"a", 10, true},  {"f", 15, true},         {"g", 23, true},
        {"z", 42, true},  {"{", 75, true},  {"10", 16, true},        {"0411", 0x411, true},
        {"08c0", 0x8C0, true}, {"FFFFFFFF", 0xFFFFFFFF, true}, {"100000000", 0, true},
        {"0x1A", 26, false}, {"0X1A", 26, false}, {"x1A", 40 * 256 + 26, true}, {"0x", 0, false},
        {"00x1", 40 * 16 + 1, true}, {"1x1A", 4096 + 40 * 256 + 26, true}, {"", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        std::wstring wide(c.text, c.text + strlen(c.text));
        EXPECT_EQ(c.value, HexToLong<char>(c.text));
        EXPECT_EQ(c.value, HexToLong<wchar_t>(wide.c_str()));
        if (!c.bTag)
            continue;
        std::u16string table = u"[" + std::u16string(wide.begin(), wide.end()) + u"]\r\n";
        LangTable tags;
        tags.Parse(table.data(), table.size() * 2);
        uint32_t dwTag = 0x12345678;
        ASSERT_EQ(1u, tags.SectionCount());
        ASSERT_TRUE(tags.SectionTag(0, &dwTag));
        EXPECT_EQ(c.value, dwTag);
    }
    EXPECT_EQ(0u, HexToLong<char>(nullptr));
}
