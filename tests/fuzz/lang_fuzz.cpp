// Fuzz target: a language string table (UTF-16 LE bytes). The table is parsed over an
// allocation of exactly the input's length; every line, section tag and lookup must stay inside
// it, and the identifiers read as the C library's number reader reads them.
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "codec/lang_table.h"
#include "fuzz_support.h"

namespace {

// The identifier as strtol reads the line's first token (the token ends at a blank or a double
// quote), saturated at the 32-bit limits. Characters beyond ASCII are neither digits nor white
// space, so any one of them stands for all.
bool ExpectedIdentifier(const LangTable& table, const LangSpan& line, int32_t* pnId)
{
    size_t p = line.nStart, end = line.nStart + line.nLength;
    while (p < end && (table.CharAt(p) == u' ' || table.CharAt(p) == u'"'))
        ++p;
    if (p == end)
        return false;
    std::string token;
    for (; p < end && table.CharAt(p) != u' ' && table.CharAt(p) != u'"'; ++p) {
        char16_t c = table.CharAt(p);
        token += (c > 0 && c < 0x80) ? char(c) : 'x';
    }
    long long n = strtoll(token.c_str(), nullptr, 10);
    *pnId = n > INT32_MAX ? INT32_MAX : n < INT32_MIN ? INT32_MIN : int32_t(n);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cb)
{
    ExactCopy bytes(pData, cb);
    LangTable table;
    table.Parse(bytes.Data(), bytes.Size());
    FUZZ_CHECK(table.CharCount() == cb / 2, "%zu characters from %zu bytes", table.CharCount(), cb);

    // Lines lie inside the text, in order, without a CR LF inside their text.
    size_t nPrevEnd = 0;
    for (size_t i = 0; i < table.LineCount(); ++i) {
        LangSpan line = table.Line(i);
        FUZZ_CHECK(line.nStart >= nPrevEnd && line.nStart + line.nLength <= table.CharCount(),
                   "line %zu at %zu+%zu, previous end %zu, %zu characters", i, line.nStart, line.nLength, nPrevEnd,
                   table.CharCount());
        for (size_t k = line.nStart; k < line.nStart + line.nLength; ++k) {
            FUZZ_CHECK(table.CharAt(k) != 0, "line %zu holds a zero at %zu", i, k);
            FUZZ_CHECK(!(k + 1 < line.nStart + line.nLength && table.CharAt(k) == u'\r' && table.CharAt(k + 1) == u'\n'),
                       "line %zu holds a line break at %zu", i, k);
        }
        nPrevEnd = line.nStart + line.nLength;
    }

    std::vector<uint32_t> languages = {9, 0x411, 0x0C04, 0xC1};
    for (size_t i = 0; i < table.SectionCount(); ++i) {
        size_t n = table.SectionLine(i);
        FUZZ_CHECK(n < table.LineCount() && table.Line(n).nLength > 0 && table.CharAt(table.Line(n).nStart) == u'[',
                   "section %zu at line %zu is no header", i, n);
        uint32_t dwTag;
        if (table.SectionTag(i, &dwTag) && languages.size() < 12)
            languages.push_back(dwTag);
    }

    std::vector<int32_t> ids = {0, 1, -1, INT32_MAX, INT32_MIN};
    for (size_t i = 0; i < table.LineCount(); ++i) {
        int32_t nId = 0, nExpected = 0;
        bool bId = table.LineIdentifier(table.Line(i), &nId);
        bool bExpected = ExpectedIdentifier(table, table.Line(i), &nExpected);
        FUZZ_CHECK(bId == bExpected && (!bId || nId == nExpected), "line %zu: identifier %d (%d), expected %d (%d)", i,
                   nId, bId, nExpected, bExpected);
        if (bId && ids.size() < 24)
            ids.push_back(nId);
    }

    for (uint32_t dwLanguage : languages) {
        int nSection = table.ChooseSection(dwLanguage);
        FUZZ_CHECK(nSection >= -1 && nSection < int(table.SectionCount()), "section %d of %zu", nSection,
                   table.SectionCount());
        if (nSection >= 0) {
            uint32_t dwTag = 0;
            FUZZ_CHECK(table.SectionTag(size_t(nSection), &dwTag), "the chosen section %d has no tag", nSection);
            FUZZ_CHECK(dwTag == dwLanguage || dwTag == (dwLanguage & 0xFF) || dwTag == 9,
                       "section tagged %x chosen for %x", dwTag, dwLanguage);
        }
        for (int32_t nId : ids) {
            LangSpan text{0, 0};
            LangFind found = table.Find(nId, dwLanguage, &text);
            if (found != LangFind::Text)
                continue;
            FUZZ_CHECK(nSection >= 0, "text found without a section");
            FUZZ_CHECK(text.nStart >= 1 && text.nStart + text.nLength < table.CharCount(),
                       "text at %zu+%zu of %zu characters", text.nStart, text.nLength, table.CharCount());
            FUZZ_CHECK(table.CharAt(text.nStart - 1) == u'"' && table.CharAt(text.nStart + text.nLength) == u'"',
                       "text of %d not between double quotes", nId);
            for (size_t k = text.nStart; k < text.nStart + text.nLength; ++k)
                FUZZ_CHECK(table.CharAt(k) != u'"' && table.CharAt(k) != 0, "text of %d holds a quote or a zero", nId);
            // The entry belongs to the chosen section: no header lies between them.
            size_t nHeader = table.Line(table.SectionLine(size_t(nSection))).nStart;
            FUZZ_CHECK(nHeader < text.nStart, "text of %d before its section", nId);
            for (size_t s = size_t(nSection) + 1; s < table.SectionCount(); ++s)
                FUZZ_CHECK(table.Line(table.SectionLine(s)).nStart > text.nStart, "text of %d behind another header",
                           nId);
        }
    }
    return 0;
}
