// The languages the library knows, in one table: for each, the string table its user interface
// texts come from, and the code page of its 8-bit text together with the readers that hand
// text out in that page. Portable: no Windows header.
//
// A language is looked up by its language code, the low byte of a language identifier (the
// primary language), where 0xC0 stands for Simplified and 0xC1 for Traditional Chinese (the
// replacements of the Chinese identifiers, core/locale.cpp). One row serves a full identifier
// only: Portuguese (Portugal), 0x0816, which has a string table of its own.
#pragma once
#include <cstddef>
#include <cstdint>

// The four readers of a language's code page. They have never agreed on every language, and
// each keeps the choice its callers have always had: a name or a text converted with another
// page would come out as other characters than before. The table says, row by row, which
// reader takes the language's page; a reader that does not falls back (see LanguageCodePage).
enum LangReader : uint8_t {
    // The exchange calls' process-wide page, for printer and file names (LANGUAGECODE): the
    // four double-byte languages only; every other language keeps 1252.
    LANG_READER_SESSION = 1,
    // An installation file's language, for its %name% values and decorated section names
    // (INIFILE::CodePageOfLanguage).
    LANG_READER_INI = 2,
    // The user's language as the installer package probes it, for paths and the 8-bit text of
    // its files (SYSENV); it falls back to the system's own page, not to 1252.
    LANG_READER_SYSENV = 4,
    // The 8-bit texts of the string tables (LMLANGSPRT::ChooseCodePage).
    LANG_READER_STRINGS = 8,
};

constexpr uint8_t LANG_READERS_ALL =
    LANG_READER_SESSION | LANG_READER_INI | LANG_READER_SYSENV | LANG_READER_STRINGS;

// The page a reader falls back to where it has none for the language (SYSENV excepted).
constexpr unsigned LANG_WESTERN_CODE_PAGE = 1252;

struct LanguageRow {
    uint32_t dwLanguage;    // language code (0x00 to 0xFF), or a full identifier above 0xFF
    int nStringTable;       // resource number of its string table (resources/resource_ids.h)
    uint16_t wCodePage;     // code page of its 8-bit text; 0 where no reader has one of its own
    uint8_t bReaders;       // the LangReader bits that take wCodePage
};

extern const LanguageRow kLanguages[];
extern const size_t kLanguageCount;

// The row of a language identifier: the row of the full identifier when there is one, else the
// row of its low byte; nullptr for a language the library has no table for.
const LanguageRow* FindLanguage(uint32_t dwLanguage);

// The string table of a language identifier; English for a language without a table of its own.
int StringTableOfLanguage(uint32_t dwLanguage);

// The code page reader hands the text of dwLanguage out in (its low byte decides, for every
// reader), or uFallback when the reader has no page of its own for that language.
unsigned LanguageCodePage(uint32_t dwLanguage, LangReader reader, unsigned uFallback);
