// The 23 string tables as the built library carries them: the resource script's files byte
// for byte, their form, every identifier in every table, and a translation of every text that
// keeps the English text's placeholders and access keys.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "codec/lang_table.h"
#include "codec/languages.h"
#include "test_support.h"
#include "ui/lmlangsprt.h"

namespace {

struct TableInfo {
    int nResource;
    DWORD dwTag;        // as its header writes it
    DWORD dwLanguage;   // a user of the language
    UINT uCodePage;     // of the 8-bit texts
};

const TableInfo TABLES[] = {
    {110, 0x00C1, 0x04C1, 950},  {111, 0x000C, 0x040C, 1252}, {112, 0x0007, 0x0407, 1252},
    {113, 0x0010, 0x0410, 1252}, {114, 0x0011, 0x0411, 932},  {115, 0x0012, 0x0412, 949},
    {116, 0x0016, 0x0416, 1252}, {117, 0x00C0, 0x08C0, 936},  {118, 0x000A, 0x0C0A, 1252},
    {119, 0x0009, 0x0409, 1252}, {120, 0x0019, 0x0419, 1251}, {121, 0x0005, 0x0405, 1250},
    {122, 0x0015, 0x0415, 1250}, {123, 0x0013, 0x0413, 1250}, {124, 0x0006, 0x0406, 1252},
    {125, 0x000B, 0x040B, 1252}, {126, 0x0008, 0x0408, 1253}, {127, 0x000E, 0x040E, 1252},
    {128, 0x0027, 0x0427, 1252}, {129, 0x0014, 0x0414, 1252}, {130, 0x0816, 0x0816, 1252},
    {131, 0x001D, 0x041D, 1252}, {132, 0x001F, 0x041F, 1252},
};

// The texts of the wizard page and the status box.
const int PAGE_TEXTS[] = {1007, 1008, 1009, 1015, 1051, 1062, 3011, 3012, 3013, 3014};

// Every identifier every table holds.
const int ALL_TEXTS[] = {
    1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015,
    1016, 1017, 1021, 1022, 1023, 1024, 1025, 1026, 1027, 1028, 1029, 1031, 1032, 1033, 1034,
    1035, 1051, 1052, 1061, 1062, 1063, 1064, 1065, 1066, 1067, 2011, 2012, 2013, 3011, 3012,
    3013, 3014, 4011, 4012, 4013, 4014, 5011, 5012, 5013, 5014, 5015, 5111, 5112, 5113, 5114,
    5121, 711,  712,  713,  715,  716,  719,  729,  730,  731,  732,
};

// Words a language writes as English does.
bool SameAsEnglishIsRight(int nResource, int nId)
{
    return nResource == 119 || (nResource == 111 && nId == 3014)   // French "Description"
           || ((nResource == 113 || nResource == 118) && nId == 1005);   // Italian, Spanish "&No"
}

// Table 110 has always carried an older wording of 4012 below the current one.
size_t LinesOf(int nResource, int nId)
{
    return nResource == 110 && nId == 4012 ? 2 : 1;
}

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

// One entry line of a table as written: its number, what separates it from the text, the text.
struct RawEntry {
    std::wstring number;
    wchar_t separator;
    std::wstring text;
};

// The entry lines of a table, read here without the library's reader so that a fault in the
// reader cannot hide a fault in the table.
std::vector<RawEntry> RawEntries(const std::vector<BYTE>& bytes)
{
    std::wstring text(bytes.size() / 2, L'\0');
    memcpy(&text[0], bytes.data(), text.size() * 2);
    std::vector<RawEntry> entries;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find(L"\r\n", at);
        std::wstring line = text.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
        at = end == std::wstring::npos ? text.size() : end + 2;
        size_t digits = line.find_first_not_of(L"0123456789");
        if (digits == 0 || digits == std::wstring::npos)
            continue;
        size_t open = line.find(L'"'), close = line.find(L'"', open + 1);
        EXPECT_TRUE(open == digits + 1 && close == line.size() - 1) << "not an entry line: " << line.size() << " characters at " << at;
        if (open != std::wstring::npos && close != std::wstring::npos)
            entries.push_back({line.substr(0, digits), line[digits], line.substr(open + 1, close - open - 1)});
    }
    return entries;
}

// The source tree as Wine sees it (drive Z: is the Unix root).
std::string SourceRoot()
{
    std::string file = std::string("Z:") + __FILE__;
    for (char& c : file)
        if (c == '/')
            c = '\\';
    size_t at = file.rfind("\\tests\\unit\\");
    return at == std::string::npos ? std::string() : file.substr(0, at + 1);
}

bool ReadFileBytes(const std::string& path, std::vector<BYTE>* pBytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    pBytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::vector<BYTE> ResourceBytes(HMODULE h, int nResource)
{
    HRSRC hInfo = FindResourceA(h, MAKEINTRESOURCEA(nResource), MAKEINTRESOURCEA(23));
    if (!hInfo)
        return {};
    HGLOBAL hData = LoadResource(h, hInfo);
    const BYTE* p = hData ? static_cast<const BYTE*>(LockResource(hData)) : nullptr;
    return p ? std::vector<BYTE>(p, p + SizeofResource(h, hInfo)) : std::vector<BYTE>();
}

class LangResources : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_hModule = LoadLibraryExA((ExeFolder() + "..\\LmProfInst.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite()
    {
        if (s_hModule)
            FreeLibrary(s_hModule);
        s_hModule = nullptr;
    }
    void SetUp() override { ASSERT_NE(nullptr, s_hModule) << "cannot load the built library"; }

    static std::wstring TextW(LMLANGSPRT& lang, int nId)
    {
        wchar_t wsz[260];
        const wchar_t* p = lang.GetLangStringW(nId, wsz, 260);
        return p ? std::wstring(p) : L"<none>";
    }

    static HMODULE s_hModule;
};

HMODULE LangResources::s_hModule = nullptr;

}  // namespace

TEST_F(LangResources, EveryTableIsItsSourceFileByteForByte)
{
    std::string root = SourceRoot();
    std::vector<BYTE> rc, ids;
    if (root.empty() || !ReadFileBytes(root + "src\\resources\\LmProfInst.rc", &rc) ||
        !ReadFileBytes(root + "src\\resources\\resource_ids.h", &ids))
        GTEST_SKIP() << "the source tree is not reachable through drive Z: (" << root << ")";

    // The numbers, `#define IDR_LANG_NAME NNN`, and the resource script's lines that name them,
    // `IDR_LANG_NAME RT_LANG_TABLE "lang/name.txt"`.
    std::map<std::string, int> numbers;
    std::istringstream header(std::string(ids.begin(), ids.end()));
    for (std::string line; std::getline(header, line);) {
        char szName[64];
        int nResource;
        if (sscanf(line.c_str(), "#define %63s %d", szName, &nResource) == 2 && strncmp(szName, "IDR_LANG_", 9) == 0)
            numbers[szName] = nResource;
    }
    std::map<int, std::string> files;
    std::istringstream script(std::string(rc.begin(), rc.end()));
    for (std::string line; std::getline(script, line);) {
        size_t at = line.find(" RT_LANG_TABLE \"");
        if (at == std::string::npos || line.find("//") == 0)
            continue;
        std::string name = line.substr(0, at);
        ASSERT_EQ(1u, numbers.count(name)) << "no number for " << name;
        int nResource = numbers[name];
        std::string file = line.substr(at + 16, line.find('"', at + 16) - at - 16);
        EXPECT_EQ(0u, files.count(nResource)) << "listed twice: " << nResource;
        files[nResource] = file;
    }
    ASSERT_EQ(23u, files.size());
    ASSERT_EQ(23u, numbers.size());
    for (const TableInfo& t : TABLES) {
        ASSERT_EQ(1u, files.count(t.nResource)) << t.nResource;
        std::string path = root + "src\\resources\\" + files[t.nResource];
        for (char& c : path)
            if (c == '/')
                c = '\\';
        std::vector<BYTE> source;
        ASSERT_TRUE(ReadFileBytes(path, &source)) << path;
        std::vector<BYTE> carried = ResourceBytes(s_hModule, t.nResource);
        EXPECT_FALSE(carried.empty()) << t.nResource;
        EXPECT_TRUE(source == carried) << t.nResource << " differs from " << path << ": " << carried.size()
                                       << " bytes carried, " << source.size() << " in the file";
    }
}

// The library's language table and the tables it carries agree: the table a language is given
// holds a section of that language, not only the English fallback.
TEST_F(LangResources, EveryLanguageOfTheLanguageTableGetsATableOfItsOwnLanguage)
{
    for (size_t i = 0; i < kLanguageCount; ++i) {
        const LanguageRow& row = kLanguages[i];
        SCOPED_TRACE(testing::Message() << std::hex << row.dwLanguage);
        std::vector<BYTE> bytes = ResourceBytes(s_hModule, row.nStringTable);
        LangTable table;
        table.Parse(bytes.data(), bytes.size());
        ASSERT_EQ(1u, table.SectionCount());
        uint32_t dwTag = 0;
        ASSERT_TRUE(table.SectionTag(0, &dwTag));
        EXPECT_EQ(row.dwLanguage, dwTag);
    }
}

TEST_F(LangResources, EveryTableIsUtf16WithCrLfLinesAndOneSectionOfItsLanguage)
{
    for (const TableInfo& t : TABLES) {
        SCOPED_TRACE(t.nResource);
        std::vector<BYTE> bytes = ResourceBytes(s_hModule, t.nResource);
        ASSERT_GE(bytes.size(), 4u);
        ASSERT_EQ(0u, bytes.size() % 2);
        std::vector<wchar_t> text(bytes.size() / 2);
        memcpy(text.data(), bytes.data(), bytes.size());
        EXPECT_EQ(0xFEFF, text[0]) << "little-endian byte order mark";
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == L'\r') {
                EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == L'\n') << "a CR without LF at " << i;
            }
            if (text[i] == L'\n') {
                EXPECT_TRUE(i > 0 && text[i - 1] == L'\r') << "an LF without CR at " << i;
            }
            EXPECT_NE(L'\0', text[i]) << "a zero inside the text at " << i;
        }
        EXPECT_EQ(L'\n', text.back()) << "the last line ends with its CR LF";

        LangTable table;
        table.Parse(bytes.data(), bytes.size());
        ASSERT_EQ(1u, table.SectionCount());
        uint32_t dwTag = 0;
        ASSERT_TRUE(table.SectionTag(0, &dwTag));
        EXPECT_EQ(t.dwTag, dwTag);
        EXPECT_EQ(2 + std::size(ALL_TEXTS) + LinesOf(t.nResource, 4012) - 1, table.LineCount())
            << "mark, header and one line a text";
    }
}

// Looks every identifier up through the language object and compares it with the table's own
// first line for it: the short forms the tables use (0711 with a blank, 1007 with a tab) are
// found, and the older second 4012 of table 110 is never handed out.
TEST_F(LangResources, EveryTableHoldsEveryIdentifierAndHandsOutItsFirstLine)
{
    for (const TableInfo& t : TABLES) {
        SCOPED_TRACE(t.nResource);
        std::map<int, std::vector<RawEntry>> lines;
        for (const RawEntry& entry : RawEntries(ResourceBytes(s_hModule, t.nResource)))
            lines[_wtoi(entry.number.c_str())].push_back(entry);
        LMLANGSPRT lang(s_hModule, t.nResource, t.dwLanguage);
        for (int nId : ALL_TEXTS) {
            auto found = lines.find(nId);
            if (found == lines.end()) {
                ADD_FAILURE() << nId << " is missing";
                continue;
            }
            const std::vector<RawEntry>& entries = found->second;
            EXPECT_EQ(LinesOf(t.nResource, nId), entries.size()) << nId;
            EXPECT_EQ(entries[0].text, TextW(lang, nId)) << nId;
            if (entries.size() == 2) {
                EXPECT_NE(entries[0].text, entries[1].text) << nId << ": the second line must be told apart";
            }
            EXPECT_EQ(nId < 1000 ? L' ' : L'\t', entries[0].separator) << nId;
            if (nId < 1000) {
                EXPECT_EQ(L"0" + std::to_wstring(nId), entries[0].number);
            }
            lines.erase(found);
        }
        for (const auto& extra : lines)
            ADD_FAILURE() << extra.first << " is not one of the identifiers";
    }
}

TEST_F(LangResources, EveryTableTranslatesEveryTextWithTheEnglishPlaceholdersAndKeys)
{
    LMLANGSPRT english(s_hModule, 119, 0x0409);
    for (const TableInfo& t : TABLES) {
        SCOPED_TRACE(t.nResource);
        LMLANGSPRT lang(s_hModule, t.nResource, t.dwLanguage);
        for (int nId : ALL_TEXTS) {
            std::wstring text = TextW(lang, nId), en = TextW(english, nId);
            EXPECT_FALSE(text.empty() || text == L"<none>") << nId;
            EXPECT_TRUE(text.find_first_of(L" \t") != 0 && text.find_last_of(L" \t") != text.size() - 1)
                << nId << " begins or ends with a blank";
            if (!SameAsEnglishIsRight(t.nResource, nId)) {
                EXPECT_NE(en, text) << nId << " is still English";
            }
            EXPECT_EQ(PlaceholdersAndKeys(en), PlaceholdersAndKeys(text)) << nId;
        }
        for (int nId : PAGE_TEXTS)
            EXPECT_EQ(std::wstring::npos, TextW(lang, nId).find(L'%')) << nId << ": callers may format it";
        // The buttons of the page keep their arrows.
        EXPECT_EQ(0u, TextW(lang, 1007).find(L"< "));
        std::wstring next = TextW(lang, 1008);
        EXPECT_TRUE(next.size() > 2 && next.compare(next.size() - 2, 2, L" >") == 0);
    }
}

// Every 8-bit text comes out in the language's code page and reads back as the UTF-16 text.
// Hungarian, Lithuanian and Turkish are given code page 1252, which lacks some of their
// letters (o with double acute, s with cedilla...); those texts are best-fitted, so they are
// left out of the round trip.
TEST_F(LangResources, EightBitTextsAreInTheLanguagesCodePage)
{
    for (const TableInfo& t : TABLES) {
        SCOPED_TRACE(t.nResource);
        LMLANGSPRT lang(s_hModule, t.nResource, t.dwLanguage);
        lang.ChooseCodePage();
        EXPECT_EQ(t.uCodePage, lang.GetCodePage());
        if (t.nResource == 127 || t.nResource == 128 || t.nResource == 132)
            continue;
        for (int nId : ALL_TEXTS) {
            char sz[260];
            lang.GetLangStringA(nId, sz, 260);
            wchar_t wszBack[260] = L"";
            MultiByteToWideChar(lang.GetCodePage(), 0, sz, -1, wszBack, 260);
            EXPECT_EQ(TextW(lang, nId), std::wstring(wszBack)) << nId;
        }
    }
}
