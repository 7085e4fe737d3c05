#include "codec/languages.h"

#include "resources/resource_ids.h"

namespace {

constexpr uint8_t SESSION = LANG_READER_SESSION;
constexpr uint8_t INI = LANG_READER_INI;
constexpr uint8_t SYSENV = LANG_READER_SYSENV;
constexpr uint8_t STRINGS = LANG_READER_STRINGS;

}  // namespace

// Where a row's readers are not all four, the others fall back on purpose; the comment says
// which reader leaves the language out.
const LanguageRow kLanguages[] = {
    {0xC1, IDR_LANG_CHINESE_TRADITIONAL, 950, LANG_READERS_ALL},
    {0x0C, IDR_LANG_FRENCH, 0, 0},
    {0x07, IDR_LANG_GERMAN, 0, 0},
    {0x10, IDR_LANG_ITALIAN, 0, 0},
    {0x11, IDR_LANG_JAPANESE, 932, LANG_READERS_ALL},
    {0x12, IDR_LANG_KOREAN, 949, LANG_READERS_ALL},
    {0x16, IDR_LANG_PORTUGUESE, 0, 0},
    {0xC0, IDR_LANG_CHINESE_SIMPLIFIED, 936, LANG_READERS_ALL},
    {0x0A, IDR_LANG_SPANISH, 0, 0},
    {0x09, IDR_LANG_ENGLISH, 0, 0},
    // Single-byte: not the session's.
    {0x19, IDR_LANG_RUSSIAN, 1251, INI | SYSENV | STRINGS},
    // Czech, Polish and Dutch: the string tables' texts only. Their tables are written for
    // 1250, Dutch with them (its wording avoids the i with diaeresis that 1250 lacks); every
    // other reader keeps its fallback for them, the probe the system's own page.
    {0x05, IDR_LANG_CZECH, 1250, STRINGS},
    {0x15, IDR_LANG_POLISH, 1250, STRINGS},
    {0x13, IDR_LANG_DUTCH, 1250, STRINGS},
    {0x06, IDR_LANG_DANISH, 0, 0},
    {0x0B, IDR_LANG_FINNISH, 0, 0},
    // Single-byte: not the session's.
    {0x08, IDR_LANG_GREEK, 1253, INI | SYSENV | STRINGS},
    {0x0E, IDR_LANG_HUNGARIAN, 0, 0},
    // The probe alone knows Lithuanian: an installation file's values and the string table's
    // 8-bit texts stay in 1252 (letters 1252 lacks are best-fitted there).
    {0x27, IDR_LANG_LITHUANIAN, 1257, SYSENV},
    {0x14, IDR_LANG_NORWEGIAN, 0, 0},
    // Portugal's Portuguese has a table of its own; for code pages its low byte, 0x16, decides.
    {0x0816, IDR_LANG_PORTUGUESE_PORTUGAL, 0, 0},
    {0x1D, IDR_LANG_SWEDISH, 0, 0},
    {0x1F, IDR_LANG_TURKISH, 0, 0},
};
const size_t kLanguageCount = sizeof(kLanguages) / sizeof(kLanguages[0]);

namespace {

const LanguageRow* FindRow(uint32_t dwKey)
{
    for (size_t i = 0; i < kLanguageCount; ++i) {
        if (kLanguages[i].dwLanguage == dwKey)
            return &kLanguages[i];
    }
    return nullptr;
}

}  // namespace

const LanguageRow* FindLanguage(uint32_t dwLanguage)
{
    if (dwLanguage > 0xFF) {
        if (const LanguageRow* pRow = FindRow(dwLanguage))
            return pRow;
    }
    return FindRow(dwLanguage & 0xFF);
}

int StringTableOfLanguage(uint32_t dwLanguage)
{
    const LanguageRow* pRow = FindLanguage(dwLanguage);
    return pRow ? pRow->nStringTable : IDR_LANG_ENGLISH;
}

unsigned LanguageCodePage(uint32_t dwLanguage, LangReader reader, unsigned uFallback)
{
    const LanguageRow* pRow = FindRow(dwLanguage & 0xFF);
    if (pRow && (pRow->bReaders & reader) && pRow->wCodePage)
        return pRow->wCodePage;
    return uFallback;
}
