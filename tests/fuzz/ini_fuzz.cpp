// Fuzz target: the scanning of installation-file text. Input: one control byte, then a section
// name, a zero byte, a key, a zero byte and the file's bytes. The control byte picks the units:
// 8-bit text without lead bytes, 8-bit text with the Shift-JIS lead bytes, or UTF-16 LE decoded
// into char16_t (the unit type of the Windows build's wchar_t).
#include <algorithm>
#include <string>
#include <vector>

#include "codec/ini_text.h"
#include "fuzz_support.h"

namespace {

template <class T>
size_t Len(const T* p)
{
    size_t n = 0;
    while (p[n])
        ++n;
    return n;
}

template <class T>
bool Terminated(const T* p, size_t cch)
{
    for (size_t i = 0; i < cch; ++i) {
        if (!p[i])
            return true;
    }
    return false;
}

template <class T>
bool InSet(T c, const char* pszSet)
{
    for (; *pszSet; ++pszSet) {
        if (T(static_cast<unsigned char>(*pszSet)) == c)
            return true;
    }
    return false;
}

template <class T>
bool ContainsText(const std::basic_string<T>& hay, const T* pszNeedle)
{
    return hay.find(std::basic_string<T>(pszNeedle)) != std::basic_string<T>::npos;
}

// The units a lead-byte scan steps over: a lead byte takes the next unit with it unless that
// is the terminator. Index i is on a character boundary when starting at 0 reaches it.
template <class T>
std::vector<bool> Boundaries(const T* psz, const IniLeadBytes* pLead)
{
    size_t n = Len(psz);
    std::vector<bool> at(n + 1, false);
    for (size_t i = 0; i <= n;) {
        at[i] = true;
        if (i == n)
            break;
        bool bLead = sizeof(T) == 1 && pLead && pLead->bLead[static_cast<unsigned char>(psz[i])];
        i += (bLead && psz[i + 1]) ? 2 : 1;
    }
    return at;
}

// Expands %A% to a text 50 times longer, so a line near its limit overflows on expansion.
template <class T>
bool Expand(void*, T* pszLine, size_t cchLine)
{
    static const T PATTERN[] = {T('%'), T('A'), T('%'), T(0)};
    T szLong[51];
    for (size_t i = 0; i < 50; ++i)
        szLong[i] = T('a' + i % 26);
    szLong[50] = T(0);
    bool bOverflow = false;
    std::basic_string<T> before(pszLine);
    bool bReplaced = ReplaceAll(pszLine, cchLine, PATTERN, szLong, &bOverflow);
    FUZZ_CHECK(!(bReplaced && bOverflow), "a replacement reported together with an overflow");
    if (bOverflow)
        FUZZ_CHECK(before == pszLine, "an overflowing replacement changed the line");
    return !bOverflow;
}

// Left-to-right replacement without a room limit, never rescanning an inserted replacement.
template <class T>
std::basic_string<T> ReplaceUnbounded(const std::basic_string<T>& text, const std::basic_string<T>& pattern,
                                      const std::basic_string<T>& replacement, bool* pbReplaced)
{
    std::basic_string<T> out;
    *pbReplaced = false;
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, pattern.size(), pattern) == 0) {
            out += replacement;
            i += pattern.size();
            *pbReplaced = true;
        } else {
            out += text[i++];
        }
    }
    return out;
}

template <class T>
void CheckLines(const T* pText, size_t n)
{
    // The reader covers the span exactly: each line runs to a CR (with an optional LF after it)
    // or to the end; a cut line still moves past its whole length.
    for (size_t cch : {size_t(8), INI_LINE_CHARS}) {
        IniLineReader<T> reader(pText, n);
        std::vector<T> line(cch);
        size_t nExpected = 0;
        size_t nLines = 0;
        bool bCut = false;
        while (reader.Next(line.data(), cch, &bCut)) {
            size_t nEnd = nExpected;
            while (nEnd < n && pText[nEnd] != T('\r'))
                ++nEnd;
            size_t nFull = nEnd - nExpected;
            FUZZ_CHECK(bCut == (nFull >= cch), "line %zu of %zu units, room %zu, cut flag %d", nLines, nFull, cch, bCut);
            size_t nCopied = bCut ? cch - 1 : nFull;
            FUZZ_CHECK(line[nCopied] == T(0), "line %zu not terminated at %zu", nLines, nCopied);
            FUZZ_CHECK(std::equal(line.begin(), line.begin() + nCopied, pText + nExpected), "line %zu differs from the text",
                       nLines);
            nExpected = nEnd;
            if (nExpected < n) {
                ++nExpected;
                if (nExpected < n && pText[nExpected] == T('\n'))
                    ++nExpected;
            }
            FUZZ_CHECK(reader.nCursor == nExpected, "reader at %zu, expected %zu", reader.nCursor, nExpected);
            ++nLines;
        }
        FUZZ_CHECK(reader.AtEnd() && nExpected == n, "reader stopped at %zu of %zu", nExpected, n);
    }
}

template <class T>
void CheckLine(const T* pszLine, const IniLeadBytes* pLead)
{
    std::basic_string<T> line(pszLine);
    const char* TRIM = " \t\n\r\"";

    for (uint32_t nItem = 0; nItem < 4; ++nItem) {
        for (size_t cch : {size_t(1), size_t(6), INI_LINE_CHARS}) {
            std::vector<T> item(cch, T(1));
            bool bOk = IniListItem(pszLine, nItem, item.data(), cch);
            FUZZ_CHECK(Terminated(item.data(), cch), "list item %u not terminated in %zu", nItem, cch);
            if (!bOk) {
                FUZZ_CHECK(item[0] == T(0), "a missing list item %u left text behind", nItem);
                continue;
            }
            size_t n = Len(item.data());
            FUZZ_CHECK(ContainsText(line, item.data()), "list item %u is no part of its line", nItem);
            if (n)
                FUZZ_CHECK(!InSet(item[0], TRIM) && !InSet(item[n - 1], TRIM), "list item %u not trimmed", nItem);
        }
    }

    // A name or value cut to its room is a prefix of the whole one, never one unit shorter
    // than the room needs unless that keeps a surrogate pair whole.
    std::vector<T> fullName(INI_LINE_CHARS), fullValue(INI_LINE_CHARS);
    bool bFull = IniParseStringsLine(pszLine, fullName.data(), INI_LINE_CHARS, fullValue.data(), INI_LINE_CHARS);
    if (bFull) {
        FUZZ_CHECK(fullName[0] != T(0) && !InSet(fullName[0], TRIM), "strings name empty or not trimmed");
        T szPattern[64];
        if (IniMakePattern(szPattern, 64, fullName.data()))
            FUZZ_CHECK(Len(szPattern) == Len(fullName.data()) + 2 && szPattern[0] == T('%'), "pattern of a name");
    }
    for (size_t cch : {size_t(1), size_t(4), size_t(64)}) {
        std::vector<T> name(cch, T(1)), value(cch, T(1));
        bool bOk = IniParseStringsLine(pszLine, name.data(), cch, value.data(), cch);
        FUZZ_CHECK(bOk == bFull, "strings line accepted %d at room %zu, %d at full room", bOk, cch, bFull);
        if (!bOk)
            continue;
        const std::vector<T>* pFull[2] = {&fullName, &fullValue};
        const std::vector<T>* pCut[2] = {&name, &value};
        for (int k = 0; k < 2; ++k) {
            FUZZ_CHECK(Terminated(pCut[k]->data(), cch), "part %d not terminated in %zu", k, cch);
            size_t nCut = Len(pCut[k]->data()), nWhole = Len(pFull[k]->data());
            FUZZ_CHECK(std::equal(pCut[k]->begin(), pCut[k]->begin() + nCut, pFull[k]->begin()) && nCut <= nWhole,
                       "part %d is no prefix of the whole", k);
            if (nCut < nWhole) {
                FUZZ_CHECK(nCut + 1 == cch || (sizeof(T) > 1 && nCut + 2 == cch), "part %d cut to %zu in room %zu", k,
                           nCut, cch);
                // A lone high surrogate may end a cut part; a high one followed by its low one may not.
                if (sizeof(T) > 1 && nCut)
                    FUZZ_CHECK(!((uint32_t((*pCut[k])[nCut - 1]) & 0xFC00) == 0xD800 &&
                                 (uint32_t((*pFull[k])[nCut]) & 0xFC00) == 0xDC00),
                               "part %d cut inside a pair", k);
            }
        }
    }

    // Splitting at the last backslash never splits a double-byte character.
    size_t nSlash = FindLastBackslash(pszLine, pLead);
    std::vector<bool> at = Boundaries(pszLine, pLead);
    if (nSlash != INI_NOT_FOUND) {
        FUZZ_CHECK(nSlash < line.size() && pszLine[nSlash] == T('\\') && at[nSlash], "backslash at %zu is no character",
                   nSlash);
        for (size_t i = nSlash + 1; i < line.size(); ++i)
            FUZZ_CHECK(!(pszLine[i] == T('\\') && at[i]), "a later backslash at %zu", i);
    }
    T szFolder[16], szName[16];
    szFolder[0] = szName[0] = T(0);
    bool bSplit = SplitPath(pszLine, szFolder, 16, szName, 16, pLead);
    FUZZ_CHECK(bSplit == (nSlash != INI_NOT_FOUND), "split answers %d, backslash at %zu", bSplit, nSlash);
    FUZZ_CHECK(Terminated(szFolder, 16) && Terminated(szName, 16), "a split part not terminated");

    // Tokens never start on a separator and never run past the text.
    static const T SEPARATORS[] = {T(','), T('='), T(' '), T(0)};
    size_t nPos = 0, nStart = 0, nLength = 0, nTokens = 0;
    while (NextToken(pszLine, &nPos, SEPARATORS, pLead, &nStart, &nLength)) {
        FUZZ_CHECK(nLength > 0 && nStart + nLength <= line.size(), "token %zu+%zu of %zu", nStart, nLength, line.size());
        FUZZ_CHECK(!IsCharInSet(pszLine[nStart], SEPARATORS) && at[nStart], "token starts on a separator");
        FUZZ_CHECK(nPos > nStart && nPos <= line.size(), "token scan did not move");
        FUZZ_CHECK(++nTokens <= line.size(), "more tokens than characters");
    }

    // Trimming leaves a part of the text without set characters at its edges.
    std::vector<T> trimmed(line.begin(), line.end());
    trimmed.push_back(T(0));
    static const T TRIM_SET[] = {T(' '), T('\t'), T('"'), T(0)};
    size_t nTrim = TrimChars(trimmed.data(), TRIM_SET);
    FUZZ_CHECK(nTrim == Len(trimmed.data()), "trim length");
    if (nTrim)
        FUZZ_CHECK(!IsCharInSet(trimmed[0], TRIM_SET) && !IsCharInSet(trimmed[nTrim - 1], TRIM_SET), "not trimmed");
    FUZZ_CHECK(ContainsText(line, trimmed.data()), "trimmed text is no part of the line");

    FUZZ_CHECK(EqualsAsciiNoCase(pszLine, pszLine, pLead), "a text differs from itself");
    (void)HexToLong(pszLine);

    // Replacement against the unbounded rule, at a room that some inputs overflow.
    if (line.size() >= 2) {
        std::basic_string<T> pattern = line.substr(0, 2);
        static const T REPLACEMENT[] = {T('<'), T('x'), T('y'), T('>'), T(0)};
        bool bReplacedExpected = false;
        std::basic_string<T> expected = ReplaceUnbounded(line, pattern, std::basic_string<T>(REPLACEMENT),
                                                         &bReplacedExpected);
        for (size_t cch : {line.size() + 1, line.size() + 4, INI_LINE_CHARS}) {
            std::vector<T> text(std::max(cch, line.size() + 1), T(0));
            std::copy(line.begin(), line.end(), text.begin());
            bool bOverflow = false;
            bool bReplaced = ReplaceAll(text.data(), cch, pattern.c_str(), REPLACEMENT, &bOverflow);
            bool bFits = expected.size() < std::min(cch, INI_LINE_CHARS);
            FUZZ_CHECK(bOverflow == !bFits, "overflow %d, result of %zu in room %zu", bOverflow, expected.size(), cch);
            FUZZ_CHECK(bReplaced == (bFits && bReplacedExpected), "replaced %d, expected %d", bReplaced,
                       bFits && bReplacedExpected);
            FUZZ_CHECK(std::basic_string<T>(text.data()) == (bReplaced ? expected : line), "replacement result differs");
        }
    }
}

template <class T>
void CheckDocument(const T* pText, size_t n, const T* pszSection, const T* pszKey, const IniLeadBytes* pLead)
{
    CheckLines(pText, n);
    std::basic_string<T> text(pText, n);

    std::vector<T> result(INI_LINE_CHARS);
    for (IniExpandFn<T> pfn : {IniExpandFn<T>(nullptr), IniExpandFn<T>(&Expand<T>)}) {
        IniQuery<T> query{pszSection, pszKey, INI_NO_LINE, pLead, pfn, nullptr};
        std::fill(result.begin(), result.end(), T(1));
        if (IniFindValue(pText, n, query, result.data())) {
            FUZZ_CHECK(Terminated(result.data(), INI_LINE_CHARS), "key value not terminated");
            if (!pfn)
                FUZZ_CHECK(ContainsText(text, result.data()), "a key value is no part of the text");
        }
        // Index mode: line by line until the section has no more; each is a line of the text or
        // empty (a line that did not fit).
        query.pszKey = nullptr;
        for (uint32_t nLine = 0; nLine < 64; ++nLine) {
            query.nLine = nLine;
            std::fill(result.begin(), result.end(), T(1));
            if (!IniFindValue(pText, n, query, result.data()))
                break;
            FUZZ_CHECK(Terminated(result.data(), INI_LINE_CHARS), "line %u not terminated", nLine);
            size_t nResult = Len(result.data());
            FUZZ_CHECK(nResult == 0 || nResult >= 3, "line %u of %zu characters counted", nLine, nResult);
            if (!pfn)
                FUZZ_CHECK(ContainsText(text, result.data()), "line %u is no part of the text", nLine);
            if (nLine < 4)
                CheckLine(result.data(), pLead);
        }
    }

    // Every line of the document, as the installer's helpers meet them.
    IniLineReader<T> reader(pText, n);
    bool bCut = false;
    size_t nLines = 0;
    while (nLines < 16 && reader.Next(result.data(), INI_LINE_CHARS, &bCut)) {
        CheckLine(result.data(), pLead);
        ++nLines;
    }
}

// Name text up to a zero byte, at most 63 characters; moves the cursor past the zero.
std::string TakeName(const uint8_t*& p, const uint8_t* end)
{
    std::string s;
    while (p < end && *p && s.size() < 63)
        s += char(*p++);
    while (p < end && *p)
        ++p;
    if (p < end)
        ++p;
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cb)
{
    if (cb < 1)
        return 0;
    const uint8_t mode = pData[0] % 3;
    const uint8_t* p = pData + 1;
    const uint8_t* end = pData + cb;
    std::string section = TakeName(p, end);
    std::string key = TakeName(p, end);
    const size_t cbText = size_t(end - p);

    IniEncoding enc = DetectIniEncoding(p, cbText);
    FUZZ_CHECK(cbText >= 2 || enc == IniEncoding::ANSI, "%zu bytes taken for UTF-16", cbText);

    if (mode < 2) {
        IniLeadBytes lead{};
        for (int b = 0x81; b <= 0x9F; ++b)
            lead.bLead[b] = true;
        for (int b = 0xE0; b <= 0xFC; ++b)
            lead.bLead[b] = true;
        ExactCopy text(p, cbText);
        CheckDocument(reinterpret_cast<const char*>(text.Data()), cbText, section.c_str(), key.c_str(),
                      mode == 1 ? &lead : nullptr);
    } else {
        std::vector<char16_t> units(cbText / 2 + 1);
        size_t n = DecodeUtf16Le(p, cbText, units.data());
        FUZZ_CHECK(n == cbText / 2, "%zu units from %zu bytes", n, cbText);
        // The decoded text in an allocation of exactly its units, as the installer holds it.
        ExactCopy text(reinterpret_cast<const uint8_t*>(units.data()), n * sizeof(char16_t));
        std::u16string wsection(section.begin(), section.end()), wkey(key.begin(), key.end());
        CheckDocument(reinterpret_cast<const char16_t*>(text.Data()), n, wsection.c_str(), wkey.c_str(), nullptr);
    }
    return 0;
}
