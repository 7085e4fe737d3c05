// The language support object on the tables of the built library and on tables written by
// hand into a copy of it: which section a user gets, buffer limits in UTF-16 and 8-bit text,
// the trace of its life.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/trace.h"
#include "test_support.h"
#include "ui/lmlangsprt.h"

namespace {

std::string LibraryPath()
{
    return ExeFolder() + "..\\LmProfInst.dll";
}

class LangSupport : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_hModule = LoadLibraryExA(LibraryPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite()
    {
        if (s_hModule)
            FreeLibrary(s_hModule);
        s_hModule = nullptr;
    }
    void SetUp() override { ASSERT_NE(nullptr, s_hModule) << "cannot load " << LibraryPath(); }
    void TearDown() override { InitTraceFlag(FALSE); }

    static std::wstring TextW(LMLANGSPRT& lang, int nId)
    {
        wchar_t wsz[260];
        const wchar_t* p = lang.GetLangStringW(nId, wsz, 260);
        return p ? std::wstring(p) : L"<none>";
    }

    static HMODULE s_hModule;
};

HMODULE LangSupport::s_hModule = nullptr;

}  // namespace

TEST_F(LangSupport, UsersGetTheirLanguagesTextsElseEnglish)
{
    LMLANGSPRT german(s_hModule, 112, 0x0407);
    EXPECT_EQ(L"&Weiter >", TextW(german, 1008));
    EXPECT_EQ(L"Allgemeine Profile", TextW(german, 1062));

    // Table 119 has only an English section, which serves every language.
    LMLANGSPRT fallback(s_hModule, 119, 0x0407);
    EXPECT_EQ(L"&Next >", TextW(fallback, 1008));

    // Portuguese (Portugal): its own table by the full identifier, the Portuguese one by the
    // primary language.
    LMLANGSPRT portugal(s_hModule, 130, 0x0816);
    EXPECT_EQ(L"&Seguinte >", TextW(portugal, 1008));
    LMLANGSPRT portuguese(s_hModule, 116, 0x0816);
    EXPECT_EQ(L"&Avan\x00e7" L"ar >", TextW(portuguese, 1008));

    LMLANGSPRT traditional(s_hModule, 110, 0x04C1);
    EXPECT_EQ(L"\x53d6\x6d88(&C)", TextW(traditional, 1009));
    // Table 110 holds 4012 twice; the first line counts.
    EXPECT_EQ(L"\x6309\x4e00\x4e0b [\x4e0b\x4e00\x6b65] \x958b\x59cb\x5b89\x88dd\x3002", TextW(traditional, 4012));
    LMLANGSPRT simplified(s_hModule, 117, 0x08C0);
    EXPECT_EQ(L"\x914d\x7f6e\x6587\x4ef6", TextW(simplified, 3013));

    // A language the table has no section for, and no English section either: nothing.
    LMLANGSPRT mismatch(s_hModule, 112, 0x040C);
    EXPECT_EQ(L"", TextW(mismatch, 1008));
    // The language names are written 0711 ... with a blank, the other texts with a tab.
    EXPECT_EQ(L"Franz\x00f6sisch", TextW(german, 711));
    EXPECT_EQ(L"Portugiesisch (Portugal)", TextW(german, 730));
    // Identifiers the tables do not carry, between and beyond the groups.
    EXPECT_EQ(L"", TextW(german, 1018));
    EXPECT_EQ(L"", TextW(german, 714));
    EXPECT_EQ(L"", TextW(german, 5122));
}

TEST_F(LangSupport, TextsThatDoNotFitAreNotCut)
{
    LMLANGSPRT german(s_hModule, 112, 0x0407);
    wchar_t wsz[16];
    wmemset(wsz, L'#', 16);
    EXPECT_EQ(nullptr, german.GetLangStringW(1008, wsz, 9)) << "\"&Weiter >\" needs 10 characters";
    EXPECT_EQ(std::wstring(16, L'#'), std::wstring(wsz, 16)) << "the buffer is left as it was";
    EXPECT_EQ(nullptr, german.GetLangStringW(1008, wsz, 0));
    EXPECT_EQ(wsz, german.GetLangStringW(1008, wsz, 10));
    EXPECT_STREQ(L"&Weiter >", wsz);
    // The empty string of a missing text needs its terminator's room too.
    EXPECT_EQ(wsz, german.GetLangStringW(1018, wsz, 1));
    EXPECT_STREQ(L"", wsz);

    char sz[16];
    memset(sz, '#', sizeof(sz));
    EXPECT_EQ(sz, german.GetLangStringA(1008, sz, 9));
    EXPECT_STREQ("", sz) << "an 8-bit text that does not fit is the empty string, never cut";
    EXPECT_STREQ("&Weiter >", german.GetLangStringA(1008, sz, 10));

    LMLANGSPRT english(s_hModule, 119, 0x0409);
    wmemset(wsz, L'#', 16);
    EXPECT_EQ(nullptr, english.GetLangStringW(2013, wsz, 5));
    EXPECT_EQ(std::wstring(16, L'#'), std::wstring(wsz, 16));
    EXPECT_EQ(nullptr, english.GetLangStringW(2013, wsz, 10)) << "\"Components\" and its terminator";
    EXPECT_STREQ(L"Components", english.GetLangStringW(2013, wsz, 11));
}

// An 8-bit text can take two bytes a character: the buffer bounds the conversion.
TEST_F(LangSupport, EightBitTextsStayInsideTheCallersBuffer)
{
    LMLANGSPRT japanese(s_hModule, 114, 0x0411);
    EXPECT_EQ(1252u, japanese.GetCodePage()) << "until ChooseCodePage";
    japanese.ChooseCodePage();
    ASSERT_EQ(932u, japanese.GetCodePage());

    // "Profiles" in Japanese: six characters, twelve bytes in code page 932.
    const char szProfiles[] = "\x83\x76\x83\x8d\x83\x74\x83\x40\x83\x43\x83\x8b";
    char sz[32];
    EXPECT_STREQ(szProfiles, japanese.GetLangStringA(3013, sz, int(sizeof(sz))));
    EXPECT_STREQ(szProfiles, japanese.GetLangStringA(3013, sz, 13));

    memset(sz, '#', sizeof(sz));
    EXPECT_EQ(sz, japanese.GetLangStringA(3013, sz, 7)) << "seven characters of room, thirteen bytes needed";
    EXPECT_STREQ("", sz);
    EXPECT_EQ(std::string(sizeof(sz) - 7, '#'), std::string(sz + 7, sizeof(sz) - 7))
        << "nothing written past the caller's limit";
}

TEST_F(LangSupport, TracesItsLifeAndAMissingTable)
{
    InitTraceFlag(TRUE);
    TraceCapture::Clear();
    {
        LMLANGSPRT german(s_hModule, 112, 0x0407);
        EXPECT_EQ(73u, german.GetLineCount()) << "mark, header, 71 entries; blank lines are not kept";
        EXPECT_EQ(1u, german.GetSectionCount());
    }
    std::vector<std::string> expected = {"LMLANGSPRT::LMLANGSPRT\n", "LMLANGSPRT::LoadLangBuff 73, 1\n",
                                         "LMLANGSPRT::~LMLANGSPRT\n"};
    EXPECT_EQ(expected, TraceCapture::Lines()) << TraceCapture::Dump();

    TraceCapture::Clear();
    LMLANGSPRT missing(s_hModule, 133, 0x0409);
    EXPECT_TRUE(TraceCapture::Contains("FindResource fail - 133\n")) << TraceCapture::Dump();
    EXPECT_EQ(0u, missing.GetLineCount());
    EXPECT_EQ(L"", TextW(missing, 1008));
    char sz[8] = "stale";
    EXPECT_STREQ("", missing.GetLangStringA(1008, sz, 8));
}

// Tables written into a copy of the library, read through the resource calls as the shipped
// ones are.
class LangSupportHandTables : public testing::Test {
protected:
    void SetUp() override
    {
        char szTemp[MAX_PATH];
        GetTempPathA(MAX_PATH, szTemp);
        m_path = std::string(szTemp) + "lang_hand_tables_" + std::to_string(GetCurrentProcessId()) + ".dll";
        ASSERT_TRUE(CopyFileA(LibraryPath().c_str(), m_path.c_str(), FALSE)) << GetLastError();
    }
    void TearDown() override
    {
        if (m_hModule)
            FreeLibrary(m_hModule);
        DeleteFileA(m_path.c_str());
    }

    void AddTable(WORD wId, const std::wstring& text)
    {
        m_tables.push_back({wId, text});
    }

    HMODULE Load()
    {
        HANDLE hUpdate = BeginUpdateResourceA(m_path.c_str(), FALSE);
        EXPECT_NE(nullptr, hUpdate) << GetLastError();
        if (!hUpdate)
            return nullptr;
        for (auto& table : m_tables) {
            EXPECT_TRUE(UpdateResourceA(hUpdate, MAKEINTRESOURCEA(23), MAKEINTRESOURCEA(table.first),
                                        MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                        const_cast<wchar_t*>(table.second.data()),
                                        DWORD(table.second.size() * sizeof(wchar_t))));
        }
        EXPECT_TRUE(EndUpdateResourceA(hUpdate, FALSE)) << GetLastError();
        m_hModule = LoadLibraryExA(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        EXPECT_NE(nullptr, m_hModule) << GetLastError();
        return m_hModule;
    }

    std::string m_path;
    std::vector<std::pair<WORD, std::wstring>> m_tables;
    HMODULE m_hModule = nullptr;
};

TEST_F(LangSupportHandTables, LookupRulesHoldThroughTheResource)
{
    // The German section's last line ends the resource without a CR LF.
    AddTable(900, L"\xFEFF\r\n"
                  L"[0009] //English Neutral\r\n"
                  L"4012 \"first\"\r\n"
                  L"4012 \"second\"\r\n"
                  L"0711\t\"English\"\r\n"
                  L"1 \"open\r\n"
                  L"[0007] //German\r\n"
                  L"3014 \"Beschreibung\"");
    HMODULE h = Load();
    ASSERT_NE(nullptr, h);

    InitTraceFlag(TRUE);
    TraceCapture::Clear();
    LMLANGSPRT english(h, 900, 0x0409);
    EXPECT_TRUE(TraceCapture::Contains("LMLANGSPRT::LoadLangBuff 8, 2\n")) << TraceCapture::Dump();
    wchar_t wsz[64];
    EXPECT_STREQ(L"first", english.GetLangStringW(4012, wsz, 64));
    EXPECT_STREQ(L"English", english.GetLangStringW(711, wsz, 64));
    EXPECT_STREQ(L"", english.GetLangStringW(3014, wsz, 64)) << "German only";

    wmemset(wsz, L'#', 64);
    EXPECT_EQ(nullptr, english.GetLangStringW(1, wsz, 64)) << "an entry without its closing quote";
    EXPECT_EQ(L'#', wsz[0]);
    char sz[64] = "stale";
    EXPECT_STREQ("", english.GetLangStringA(1, sz, 64));

    LMLANGSPRT german(h, 900, 0x0407);
    EXPECT_STREQ(L"Beschreibung", german.GetLangStringW(3014, wsz, 64));
    EXPECT_STREQ(L"", german.GetLangStringW(4012, wsz, 64))
        << "the fallback is to the English section, not to English entries";
}
