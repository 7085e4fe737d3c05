// The string-table reader on tables written by hand: lines, section choice, entry rules, and
// cut or hostile text read strictly within its bytes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "codec/lang_table.h"

namespace {

std::vector<BYTE> Utf16Bytes(const std::wstring& text)
{
    std::vector<BYTE> bytes;
    for (wchar_t c : text) {
        bytes.push_back(BYTE(c & 0xFF));
        bytes.push_back(BYTE(c >> 8));
    }
    return bytes;
}

// A parsed table that keeps its bytes.
class Table {
public:
    explicit Table(const std::wstring& text) : m_bytes(Utf16Bytes(text)) { m_table.Parse(m_bytes.data(), m_bytes.size()); }
    const LangTable& Get() const { return m_table; }

    // The text of nId as the lookup hands it out; "<empty>" and "<no text>" for the others.
    std::wstring Find(int nId, DWORD dwLanguage = 0x0409) const { return Describe(m_table, nId, dwLanguage); }

    static std::wstring Describe(const LangTable& table, int nId, DWORD dwLanguage)
    {
        LangSpan span{0, 0};
        switch (table.Find(nId, dwLanguage, &span)) {
        case LangFind::Empty: return L"<empty>";
        case LangFind::NoText: return L"<no text>";
        case LangFind::Text: break;
        }
        return Text(table, span);
    }

    static std::wstring Text(const LangTable& table, LangSpan span)
    {
        std::wstring s;
        for (size_t i = 0; i < span.nLength; ++i)
            s += wchar_t(table.CharAt(span.nStart + i));
        return s;
    }

private:
    std::vector<BYTE> m_bytes;
    LangTable m_table;
};

// Bytes whose last one lies right before an inaccessible page: a read beyond them faults.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::vector<BYTE>& bytes)
    {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        size_t cbPage = si.dwPageSize;
        size_t nPages = (bytes.size() + cbPage - 1) / cbPage + 1;
        m_pBase = static_cast<BYTE*>(VirtualAlloc(nullptr, nPages * cbPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        BYTE* pGuard = m_pBase + (nPages - 1) * cbPage;
        DWORD dwOld;
        m_bGuarded = m_pBase && VirtualProtect(pGuard, cbPage, PAGE_NOACCESS, &dwOld);
        m_p = pGuard - bytes.size();
        if (m_pBase && !bytes.empty())
            memcpy(m_p, bytes.data(), bytes.size());
    }
    ~GuardedBytes()
    {
        if (m_pBase)
            VirtualFree(m_pBase, 0, MEM_RELEASE);
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    bool Ok() const { return m_bGuarded; }
    const BYTE* Data() const { return m_p; }

private:
    BYTE* m_pBase = nullptr;
    BYTE* m_p = nullptr;
    bool m_bGuarded = false;
};

}  // namespace

TEST(LangTable, LinesEndAtCrLfOnlyAndEmptyLinesAreNotKept)
{
    Table t(L"\xFEFF\r\n"
            L"[0009] //English Neutral\r\n"
            L"\r\n"
            L"\t\r\n"
            L"1007 \"a\rb\nc\"\r\n"
            L"\r\n\r\n"
            L"1008\t\"last\"");
    const LangTable& table = t.Get();
    ASSERT_EQ(5u, table.LineCount()) << "mark, header, tab, two entries";
    EXPECT_EQ(L"\xFEFF", Table::Text(table, table.Line(0)));
    EXPECT_EQ(L"[0009] //English Neutral", Table::Text(table, table.Line(1)));
    EXPECT_EQ(L"\t", Table::Text(table, table.Line(2)));
    EXPECT_EQ(L"1008\t\"last\"", Table::Text(table, table.Line(4)));
    ASSERT_EQ(1u, table.SectionCount());
    EXPECT_EQ(1u, table.SectionLine(0));
    EXPECT_EQ(L"a\rb\nc", t.Find(1007)) << "a lone CR or LF is text, not a line break";
    EXPECT_EQ(L"last", t.Find(1008));

    // A header right after the mark is still a header.
    Table direct(L"\xFEFF[0007]\r\n1 \"Eins\"\r\n");
    EXPECT_EQ(3u, direct.Get().LineCount());
    EXPECT_EQ(1u, direct.Get().SectionCount());
    EXPECT_EQ(L"Eins", direct.Find(1, 0x0407));

    // A zero ends a line's text: texts are handed out zero-terminated.
    Table zero(std::wstring(L"[0009]\r\n1 \"ab", 13) + L'\0' + L"cd\"\r\n2 \"next\"\r\n");
    EXPECT_EQ(L"<no text>", zero.Find(1));
    EXPECT_EQ(L"next", zero.Find(2));
}

TEST(LangTable, TheLanguagesSectionIsChosenElseEnglish)
{
    Table t(L"[0009] //English\r\n1 \"en\"\r\n"
            L"[0007] //German\r\n1 \"de\"\r\n"
            L"[00c1]\r\n1 \"zh-TW\"\r\n");
    EXPECT_EQ(L"de", t.Find(1, 0x0407));
    EXPECT_EQ(L"de", t.Find(1, 0x0007));
    EXPECT_EQ(L"zh-TW", t.Find(1, 0x04C1)) << "a lower-case tag reads as hexadecimal";
    EXPECT_EQ(L"en", t.Find(1, 0x0409));
    EXPECT_EQ(L"en", t.Find(1, 0x040C)) << "French has no section: English";

    // A full identifier matches its own section only; a low byte matches the primary language.
    Table portugal(L"[0009]\r\n1 \"en\"\r\n[0816]\r\n1 \"pt-PT\"\r\n");
    EXPECT_EQ(L"pt-PT", portugal.Find(1, 0x0816));
    EXPECT_EQ(L"en", portugal.Find(1, 0x0416));
    Table portuguese(L"[0016]\r\n1 \"pt\"\r\n");
    EXPECT_EQ(L"pt", portuguese.Find(1, 0x0816));
    EXPECT_EQ(L"pt", portuguese.Find(1, 0x0416));

    // A later section of the language replaces an earlier one; English never replaces one.
    Table twice(L"[0007]\r\n1 \"first\"\r\n[0009]\r\n1 \"en\"\r\n[0007]\r\n1 \"second\"\r\n");
    EXPECT_EQ(L"second", twice.Find(1, 0x0407));
    Table germanFirst(L"[0007]\r\n1 \"de\"\r\n[0009]\r\n1 \"en\"\r\n");
    EXPECT_EQ(L"de", germanFirst.Find(1, 0x0407));

    Table noEnglish(L"[0007]\r\n1 \"de\"\r\n");
    EXPECT_EQ(L"<empty>", noEnglish.Find(1, 0x040C));
    Table noSection(L"1 \"loose\"\r\n");
    EXPECT_EQ(L"<empty>", noSection.Find(1, 0x0409));
    EXPECT_EQ(0u, noSection.Get().SectionCount());
}

TEST(LangTable, HeadersWithoutATagBelongToNoLanguage)
{
    Table t(L"[]\r\n1 \"untagged\"\r\n[\r\n1 \"bare\"\r\n[0009]\r\n1 \"en\"\r\n");
    ASSERT_EQ(3u, t.Get().SectionCount());
    uint32_t dwTag = 12345;
    EXPECT_FALSE(t.Get().SectionTag(0, &dwTag));
    EXPECT_FALSE(t.Get().SectionTag(1, &dwTag));
    EXPECT_EQ(12345u, dwTag);
    EXPECT_EQ(2, t.Get().ChooseSection(0)) << "an empty tag is not language 0";
    EXPECT_EQ(L"en", t.Find(1, 0));
    Table alone(L"[]//comment\r\n1 \"x\"\r\n");
    EXPECT_EQ(L"<empty>", alone.Find(1, 0));
}

TEST(LangTable, TheFirstEntryOfAnIdentifierInTheSectionCounts)
{
    Table t(L"[0009]\r\n"
            L"0711 \"English\"\r\n"
            L"4012 \"first\"\r\n"
            L"4012 \"second\"\r\n"
            L"1007\t\"tab\"\r\n"
            L"  +1008   \"blanks\"\r\n"
            L"\"1009\" \"quoted number\"\r\n"
            L"1010 \"open\r\n"
            L"1011 no quotes\r\n"
            L"1012 \"\"\r\n"
            L"[0007]\r\n"
            L"5000 \"German only\"\r\n");
    EXPECT_EQ(L"English", t.Find(711)) << "leading zeros";
    EXPECT_EQ(L"first", t.Find(4012));
    EXPECT_EQ(L"tab", t.Find(1007));
    EXPECT_EQ(L"blanks", t.Find(1008));
    EXPECT_EQ(L"1009", t.Find(1009)) << "the text is what stands between the first two quotes";
    EXPECT_EQ(L"<no text>", t.Find(1010));
    EXPECT_EQ(L"<no text>", t.Find(1011));
    EXPECT_EQ(L"", t.Find(1012));
    EXPECT_EQ(L"<empty>", t.Find(5000)) << "the search ends at the next section";
    EXPECT_EQ(L"German only", t.Find(5000, 0x0407));
    EXPECT_EQ(L"<empty>", t.Find(9999));

    int32_t nId = 0;
    EXPECT_FALSE(t.Get().LineIdentifier(LangSpan{0, 0}, &nId)) << "an empty line has no identifier";
    Table huge(L"[0009]\r\n99999999999 \"max\"\r\n-99999999999 \"min\"\r\n");
    EXPECT_EQ(L"max", huge.Find(INT32_MAX)) << "numbers saturate as the C library's reader does";
    EXPECT_EQ(L"min", huge.Find(INT32_MIN));
}

TEST(LangTable, AnOverlongLineInTheWayFailsTheLookup)
{
    const std::wstring entries = L"1 \"one\"\r\n";
    std::wstring longest(LangTable::MAX_LINE_CHARS - 1, L'x');
    std::wstring tooLong(LangTable::MAX_LINE_CHARS, L'x');

    Table fits(L"[0009]\r\n" + longest + L"\r\n" + entries);
    EXPECT_EQ(L"one", fits.Find(1));
    Table fails(L"[0009]\r\n" + tooLong + L"\r\n" + entries);
    EXPECT_EQ(L"<empty>", fails.Find(1));
    Table after(L"[0009]\r\n" + entries + tooLong + L"\r\n");
    EXPECT_EQ(L"one", after.Find(1)) << "a line after the entry is never reached";
    Table otherSection(L"[0007]\r\n" + tooLong + L"\r\n[0009]\r\n" + entries);
    EXPECT_EQ(L"one", otherSection.Find(1));
}

// A table whose last line lacks its CR LF, cut at every length (odd ones included, and inside
// the CR LF pairs): parsing and every lookup stay within the bytes.
TEST(LangTable, CutTablesAreReadWithinTheirBytes)
{
    const std::wstring text = L"\xFEFF\r\n[0009] //English\r\n1007\t\"< &Back\"\r\n\r\n0711 \"English\"\r\n3014 \"Description\"";
    const std::vector<BYTE> full = Utf16Bytes(text);
    for (size_t cb = 0; cb <= full.size(); ++cb) {
        GuardedBytes bytes(std::vector<BYTE>(full.begin(), full.begin() + cb));
        ASSERT_TRUE(bytes.Ok()) << "cannot place a guard page, error " << GetLastError();
        LangTable table;
        table.Parse(bytes.Data(), cb);
        EXPECT_EQ(cb / 2, table.CharCount());
        for (int nId : {1007, 711, 3014, 42}) {
            for (DWORD dwLanguage : {0x0409u, 0x0407u, 0u}) {
                std::wstring found = Table::Describe(table, nId, dwLanguage);
                if (cb == full.size() && nId == 3014) {
                    EXPECT_EQ(L"Description", found) << "the unterminated last line is an entry";
                }
                if (cb >= full.size() - 2 && cb < full.size() && nId == 3014) {
                    EXPECT_EQ(L"<no text>", found) << "cut before its closing quote, at " << cb;
                }
            }
        }
    }
    LangTable none;
    none.Parse(nullptr, 100);
    EXPECT_EQ(0u, none.LineCount());
    LangSpan span;
    EXPECT_EQ(LangFind::Empty, none.Find(1007, 0x0409, &span));
}
