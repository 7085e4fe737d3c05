#include "codec/lang_table.h"

#include <climits>

namespace {

constexpr char16_t BYTE_ORDER_MARK = 0xFEFF;

bool IsIdentifierDelimiter(char16_t c)
{
    return c == u' ' || c == u'"';
}

bool IsTagDelimiter(char16_t c)
{
    return c == u'[' || c == u']';
}

// The white space the C library's number reader skips.
bool IsSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

}  // namespace

void LangTable::Clear()
{
    m_pData = nullptr;
    m_nChars = 0;
    m_lines.clear();
    m_sections.clear();
}

char16_t LangTable::CharAt(size_t i) const
{
    const uint8_t* p = m_pData + 2 * i;
    return char16_t(p[0] | (p[1] << 8));
}

bool LangTable::IsLineBreak(size_t i) const
{
    return i + 1 < m_nChars && CharAt(i) == u'\r' && CharAt(i + 1) == u'\n';
}

void LangTable::Parse(const void* pData, size_t cb)
{
    Clear();
    if (!pData)
        return;
    m_pData = static_cast<const uint8_t*>(pData);
    m_nChars = cb / 2;

    size_t i = 0;
    // The mark is a line of its own even when a header follows it directly, so that header is
    // still seen as one.
    if (m_nChars > 0 && CharAt(0) == BYTE_ORDER_MARK) {
        m_lines.push_back({0, 1});
        i = 1;
    }
    while (i < m_nChars) {
        if (IsLineBreak(i)) {   // an empty line
            i += 2;
            continue;
        }
        LangSpan line{i, 0};
        bool bEnded = false;
        for (; i < m_nChars && !IsLineBreak(i); ++i) {
            // Texts are handed out zero-terminated, so a zero ends the line's text; the line
            // itself still runs to its CR LF.
            if (!bEnded && CharAt(i) == 0)
                bEnded = true;
            if (!bEnded)
                ++line.nLength;
        }
        if (i < m_nChars)
            i += 2;   // past the CR LF; a last line without one simply ends with the text
        m_lines.push_back(line);
    }
    for (size_t n = 0; n < m_lines.size(); ++n) {
        if (m_lines[n].nLength > 0 && CharAt(m_lines[n].nStart) == u'[')
            m_sections.push_back(n);
    }
}

bool LangTable::SectionTag(size_t i, uint32_t* pdwTag) const
{
    const LangSpan line = m_lines[m_sections[i]];
    size_t p = line.nStart;
    const size_t end = line.nStart + line.nLength;
    while (p < end && IsTagDelimiter(CharAt(p)))
        ++p;
    size_t tokenEnd = p;
    while (tokenEnd < end && !IsTagDelimiter(CharAt(tokenEnd)))
        ++tokenEnd;
    // "[]" or a lone "[": no tag, so the section is nobody's, not English's (0) by accident.
    if (tokenEnd == p)
        return false;

    // Read from the last character to the first; characters that are no hexadecimal digit
    // count their distance from '0', as the tables' own reader always did.
    uint32_t dwTag = 0;
    uint32_t dwWeight = 1;
    for (size_t k = tokenEnd; k > p; --k) {
        char16_t c = CharAt(k - 1);
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - u'a' + u'A');
        uint32_t dwDigit = (c >= u'A' && c <= u'F') ? uint32_t(c - u'A' + 10) : uint32_t(c) - uint32_t(u'0');
        dwTag += dwDigit * dwWeight;
        dwWeight *= 16;
    }
    *pdwTag = dwTag;
    return true;
}

int LangTable::ChooseSection(uint32_t dwLanguage) const
{
    int nChosen = -1;
    for (size_t i = 0; i < m_sections.size(); ++i) {
        uint32_t dwTag;
        if (!SectionTag(i, &dwTag))
            continue;
        if (dwTag == 9 && nChosen < 0)
            nChosen = int(i);
        if (dwTag == dwLanguage || dwTag == (dwLanguage & 0xFF))
            nChosen = int(i);
    }
    return nChosen;
}

bool LangTable::LineIdentifier(const LangSpan& line, int32_t* pnId) const
{
    size_t p = line.nStart;
    const size_t end = line.nStart + line.nLength;
    while (p < end && IsIdentifierDelimiter(CharAt(p)))
        ++p;
    if (p == end)
        return false;
    size_t tokenEnd = p;
    while (tokenEnd < end && !IsIdentifierDelimiter(CharAt(tokenEnd)))
        ++tokenEnd;

    while (p < tokenEnd && IsSpace(CharAt(p)))
        ++p;
    bool bNegative = false;
    if (p < tokenEnd && (CharAt(p) == u'+' || CharAt(p) == u'-')) {
        bNegative = CharAt(p) == u'-';
        ++p;
    }
    int64_t nValue = 0;
    for (; p < tokenEnd && CharAt(p) >= u'0' && CharAt(p) <= u'9'; ++p) {
        nValue = nValue * 10 + (CharAt(p) - u'0');
        if (nValue > int64_t(INT32_MAX) + 1)
            nValue = int64_t(INT32_MAX) + 1;   // saturated; more digits change nothing
    }
    if (bNegative)
        nValue = -nValue;
    if (nValue > INT32_MAX)
        nValue = INT32_MAX;
    if (nValue < INT32_MIN)
        nValue = INT32_MIN;
    *pnId = int32_t(nValue);
    return true;
}

LangFind LangTable::Find(int32_t nId, uint32_t dwLanguage, LangSpan* pText) const
{
    const int nSection = ChooseSection(dwLanguage);
    if (nSection < 0)
        return LangFind::Empty;
    for (size_t n = m_sections[size_t(nSection)] + 1; n < m_lines.size(); ++n) {
        const LangSpan line = m_lines[n];
        if (line.nLength > 0 && CharAt(line.nStart) == u'[')
            break;   // the next section
        if (line.nLength >= MAX_LINE_CHARS)
            return LangFind::Empty;
        int32_t nLineId;
        if (!LineIdentifier(line, &nLineId) || nLineId != nId)
            continue;

        // The first line of an identifier counts, whatever it holds.
        const size_t end = line.nStart + line.nLength;
        size_t q1 = line.nStart;
        while (q1 < end && CharAt(q1) != u'"')
            ++q1;
        size_t q2 = q1 + 1;
        while (q2 < end && CharAt(q2) != u'"')
            ++q2;
        if (q1 >= end || q2 >= end)
            return LangFind::NoText;
        *pText = LangSpan{q1 + 1, q2 - q1 - 1};
        return LangFind::Text;
    }
    return LangFind::Empty;
}
