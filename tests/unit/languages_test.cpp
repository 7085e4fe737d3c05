// The language table as its four readers hand it out: the code page of each reader and the
// string table of the installer package, for a language of each kind of row and for some the
// library does not know (that every table is its language's own, LangResources checks). The
// readers have never agreed on every language; the expected values are each reader's own, so a
// row that moves one reader's language into another's shows here.
#include <gtest/gtest.h>

#include <windows.h>

#include "codec/languages.h"
#include "core/lmprofjxp.h"
#include "core/sysenv.h"
#include "installer/ini_file.h"
#include "installer/lmprofinst.h"
#include "ui/lmlangsprt.h"

namespace {

// A system page no language of the table has, so a fallback to it cannot pass by chance.
constexpr UINT SYSTEM_PAGE = 874;

struct Expected {
    DWORD dwLanguage;   // as the readers get it (Chinese already replaced)
    UINT uSession;      // exchange calls' process-wide page
    UINT uIni;          // an installation file's language
    UINT uSysEnv;       // the installer package's probe, on a system whose own page is 874
    UINT uStrings;      // the string tables' 8-bit texts
    int nTable;         // the installer package's string table
};

const Expected LANGUAGES[] = {
    {0x04C1, 950, 950, 950, 950, 110},                      // Chinese (Taiwan)
    {0x040C, 1252, 1252, SYSTEM_PAGE, 1252, 111},           // French
    {0x0411, 932, 932, 932, 932, 114},                      // Japanese
    {0x0809, 1252, 1252, SYSTEM_PAGE, 1252, 119},           // English (United Kingdom)
    {0x0419, 1252, 1251, 1251, 1251, 120},                  // Russian
    {0x0405, 1252, 1252, SYSTEM_PAGE, 1250, 121},           // Czech
    {0x0427, 1252, 1252, 1257, 1252, 128},                  // Lithuanian
    {0x0816, 1252, 1252, SYSTEM_PAGE, 1252, 130},           // Portuguese (Portugal): its own table
    {0x00010816, 1252, 1252, SYSTEM_PAGE, 1252, 116},       // only by that very identifier,
    {0x0016, 1252, 1252, SYSTEM_PAGE, 1252, 116},           // the low byte picks Portuguese
    {0x7711, 932, 932, 932, 932, 114},                      // and the code page too
    {0x0436, 1252, 1252, SYSTEM_PAGE, 1252, 119},           // Afrikaans: no table of its own
    {0x0425, 1252, 1252, SYSTEM_PAGE, 1252, 119},           // Estonian, whose page is 1257 too
    {0x0404, 950, 1252, SYSTEM_PAGE, 1252, 119},            // Chinese not yet replaced: only
                                                            // the session replaces it itself
    {0x0000, 1252, 1252, SYSTEM_PAGE, 1252, 119},           // no language
};

}  // namespace

TEST(Languages, EveryReaderKeepsItsOwnCodePageAndTheInstallerItsTable)
{
    // A document without a file: only its code page is asked.
    INIFILE ini("Z:\\no such folder\\none.ini", 0);
    for (const Expected& e : LANGUAGES) {
        SCOPED_TRACE(testing::Message() << std::hex << e.dwLanguage);
        EXPECT_EQ(e.uSession, LanguageCodeFromId(e.dwLanguage).uCodePage);
        EXPECT_EQ(e.uIni, ini.CodePageOfLanguage(e.dwLanguage));
        EXPECT_EQ(e.uSysEnv, SYSENV::CodePageOfUserLanguage(e.dwLanguage, SYSTEM_PAGE));
        LMLANGSPRT strings(nullptr, 0, e.dwLanguage);
        EXPECT_EQ(1252u, strings.GetCodePage()) << "before the page is chosen";
        strings.ChooseCodePage();
        EXPECT_EQ(e.uStrings, strings.GetCodePage());
        EXPECT_EQ(e.nTable, LMPROFINST::LanguageTable(e.dwLanguage));
    }
}
