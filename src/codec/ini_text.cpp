#include "codec/ini_text.h"

#include <cstring>

namespace {

// An ASCII literal in the unit type of the text being scanned.
template <class T, size_t N>
struct Lit {
    T s[N];
    constexpr Lit(const char (&a)[N]) : s{}
    {
        for (size_t i = 0; i < N; ++i)
            s[i] = T(a[i]);
    }
};

template <class T>
struct Sets {
    static constexpr Lit<T, 6> TRIM{" \t\n\r\""};
    static constexpr Lit<T, 4> HEADER{"[]\n"};
    static constexpr Lit<T, 3> KEY{"=\n"};
    static constexpr Lit<T, 2> LINE_FEED{"\n"};
    static constexpr Lit<T, 5> FIRST_ITEM{"=,\r\n"};
    static constexpr Lit<T, 4> NEXT_ITEM{",\r\n"};
};

template <class T>
size_t Length(const T* p)
{
    size_t n = 0;
    while (p[n])
        ++n;
    return n;
}

template <class T>
bool EqualsExact(const T* pszA, const T* pszB)
{
    while (*pszA && *pszA == *pszB) {
        ++pszA;
        ++pszB;
    }
    return *pszA == *pszB;
}

// True when the text at p begins with the pattern; stops at the first difference, so it never
// reads past the text's terminator.
template <class T>
bool StartsWith(const T* p, const T* pszPattern)
{
    for (; *pszPattern; ++p, ++pszPattern) {
        if (*p != *pszPattern)
            return false;
    }
    return true;
}

template <class T>
bool IsLead(const IniLeadBytes* pLead, T c)
{
    if (sizeof(T) != 1 || !pLead)
        return false;
    return pLead->bLead[static_cast<unsigned char>(c)];
}

// Width of the character at p: 2 for a lead byte followed by its trail byte, else 1.
template <class T>
size_t CharWidth(const T* p, const IniLeadBytes* pLead)
{
    return IsLead(pLead, p[0]) && p[1] ? 2 : 1;
}

template <class T>
T UpperAscii(T c)
{
    return (c >= T('a') && c <= T('z')) ? T(c - T('a') + T('A')) : c;
}

// Length of the longest prefix of n characters that fits nMax without splitting a surrogate
// pair: a cut name or value stays valid UTF-16.
template <class T>
size_t CutLength(const T* p, size_t n, size_t nMax)
{
    if (n <= nMax)
        return n;
    size_t nCut = nMax;
    if (sizeof(T) >= 2 && nCut > 0) {
        uint32_t u = uint32_t(p[nCut - 1]) & 0xFFFFu;
        if (u >= 0xD800u && u <= 0xDBFFu)
            --nCut;
    }
    return nCut;
}

// The token copied and trimmed, in a line-sized buffer.
template <class T>
size_t TokenTrimmed(const T* pszLine, size_t nStart, size_t nLength, T* pszOut)
{
    if (nLength >= INI_LINE_CHARS)
        nLength = INI_LINE_CHARS - 1;
    memcpy(pszOut, pszLine + nStart, nLength * sizeof(T));
    pszOut[nLength] = T(0);
    return TrimChars(pszOut, Sets<T>::TRIM.s);
}

template <class T>
bool IsHeader(const T* pszLine, const IniLeadBytes* pLead)
{
    if (pszLine[0] != T('['))
        return false;
    for (const T* p = pszLine; *p; p += CharWidth(p, pLead)) {
        if (*p == T(']'))
            return true;
    }
    return false;
}

template <class T>
bool HeaderNameIs(const T* pszLine, const T* pszSection, const IniLeadBytes* pLead)
{
    size_t nPos = 0, nStart = 0, nLength = 0;
    if (!pszSection || !NextToken(pszLine, &nPos, Sets<T>::HEADER.s, pLead, &nStart, &nLength))
        return false;
    T szName[INI_LINE_CHARS];
    memcpy(szName, pszLine + nStart, nLength * sizeof(T));
    szName[nLength] = T(0);
    return EqualsAsciiNoCase(szName, pszSection, pLead);
}

}  // namespace

// ---- bytes of a file ---------------------------------------------------------------------

IniEncoding DetectIniEncoding(const uint8_t* pBytes, size_t cb)
{
    if (!pBytes || cb < 2)
        return IniEncoding::ANSI;
    auto isMarkByte = [](uint8_t b) { return b == 0xFE || b == 0xFF; };
    if (!isMarkByte(pBytes[0]) || !isMarkByte(pBytes[1]))
        return IniEncoding::ANSI;
    if (pBytes[0] == 0xFE && pBytes[1] == 0xFF)
        return IniEncoding::UTF16BE;
    return IniEncoding::UTF16LE;
}

template <class T>
size_t DecodeUtf16Le(const uint8_t* pBytes, size_t cb, T* pOut)
{
    size_t n = pBytes ? cb / 2 : 0;
    for (size_t i = 0; i < n; ++i)
        pOut[i] = T(uint16_t(pBytes[2 * i] | (pBytes[2 * i + 1] << 8)));
    return n;
}

// ---- small text helpers ------------------------------------------------------------------

template <class T>
bool IsCharInSet(T c, const T* pszSet)
{
    if (!pszSet)
        return false;
    for (; *pszSet; ++pszSet) {
        if (*pszSet == c)
            return true;
    }
    return false;
}

template <class T>
size_t TrimChars(T* pszText, const T* pszSet)
{
    size_t n = Length(pszText);
    size_t nFirst = 0;
    while (nFirst < n && IsCharInSet(pszText[nFirst], pszSet))
        ++nFirst;
    while (n > nFirst && IsCharInSet(pszText[n - 1], pszSet))
        --n;
    if (nFirst)
        memmove(pszText, pszText + nFirst, (n - nFirst) * sizeof(T));
    pszText[n - nFirst] = T(0);
    return n - nFirst;
}

template <class T>
bool ReplaceAll(T* pszText, size_t cchText, const T* pszPattern, const T* pszReplacement, bool* pbOverflow)
{
    if (pbOverflow)
        *pbOverflow = false;
    if (!pszText || !pszPattern || !pszPattern[0] || cchText == 0)
        return false;   // an empty pattern would match everywhere without moving on
    if (cchText > INI_LINE_CHARS)
        cchText = INI_LINE_CHARS;
    static const T EMPTY[1] = {T(0)};
    if (!pszReplacement)
        pszReplacement = EMPTY;
    size_t nPattern = Length(pszPattern);
    size_t nReplacement = Length(pszReplacement);

    T szOut[INI_LINE_CHARS];
    size_t nOut = 0;
    bool bReplaced = false;
    const T* p = pszText;
    while (*p) {
        if (StartsWith(p, pszPattern)) {
            if (nOut + nReplacement >= cchText) {
                if (pbOverflow)
                    *pbOverflow = true;
                return false;
            }
            memcpy(szOut + nOut, pszReplacement, nReplacement * sizeof(T));
            nOut += nReplacement;
            p += nPattern;
            bReplaced = true;
        } else {
            if (nOut + 1 >= cchText) {
                if (pbOverflow)
                    *pbOverflow = true;
                return false;
            }
            szOut[nOut++] = *p++;
        }
    }
    if (!bReplaced)
        return false;
    memcpy(pszText, szOut, nOut * sizeof(T));
    pszText[nOut] = T(0);
    return true;
}

template <class T>
size_t FindLastBackslash(const T* pszPath, const IniLeadBytes* pLead)
{
    size_t nLast = INI_NOT_FOUND;
    if (!pszPath)
        return nLast;
    for (size_t i = 0; pszPath[i]; i += CharWidth(pszPath + i, pLead)) {
        if (pszPath[i] == T('\\'))
            nLast = i;
    }
    return nLast;
}

template <class T>
bool CopyChars(T* pDest, size_t cchDest, const T* pSource, size_t n)
{
    if (!pDest || cchDest == 0)
        return false;
    if (n >= cchDest) {
        pDest[0] = T(0);
        return false;
    }
    if (n)
        memmove(pDest, pSource, n * sizeof(T));
    pDest[n] = T(0);
    return true;
}

template <class T>
bool SplitPath(const T* pszPath, T* pszFolder, size_t cchFolder, T* pszName, size_t cchName,
               const IniLeadBytes* pLead)
{
    if (!pszPath)
        return false;
    size_t n = Length(pszPath);
    size_t nSlash = FindLastBackslash(pszPath, pLead);
    if (nSlash == INI_NOT_FOUND) {
        if (pszName)
            CopyChars(pszName, cchName, pszPath, CutLength(pszPath, n, cchName ? cchName - 1 : 0));
        return false;
    }
    if (pszName)
        CopyChars(pszName, cchName, pszPath + nSlash + 1,
                  CutLength(pszPath + nSlash + 1, n - nSlash - 1, cchName ? cchName - 1 : 0));
    if (pszFolder)
        CopyChars(pszFolder, cchFolder, pszPath, CutLength(pszPath, nSlash, cchFolder ? cchFolder - 1 : 0));
    return true;
}

template <class T>
uint32_t HexToLong(const T* pszText)
{
    if (!pszText)
        return 0;
    if (pszText[0] == T('0') && (pszText[1] == T('x') || pszText[1] == T('X')))
        pszText += 2;
    uint32_t dwValue = 0, dwWeight = 1;
    for (size_t i = Length(pszText); i-- > 0;) {
        T c = UpperAscii(pszText[i]);
        uint32_t dwDigit = (c >= T('A') && c <= T('F')) ? uint32_t(c - T('A') + 10) : uint32_t(c) - uint32_t('0');
        dwValue += dwDigit * dwWeight;
        dwWeight *= 16;
    }
    return dwValue;
}

template <class T>
bool EqualsAsciiNoCase(const T* pszA, const T* pszB, const IniLeadBytes* pLead)
{
    if (!pszA || !pszB)
        return false;
    for (;;) {
        if (IsLead(pLead, *pszA) && pszA[1]) {
            // A double-byte character is compared as it is: its trail byte is no letter.
            if (pszA[0] != pszB[0] || pszA[1] != pszB[1])
                return false;
            pszA += 2;
            pszB += 2;
            continue;
        }
        if (UpperAscii(*pszA) != UpperAscii(*pszB))
            return false;
        if (!*pszA)
            return true;
        ++pszA;
        ++pszB;
    }
}

template <class T>
bool NextToken(const T* pszText, size_t* pnPos, const T* pszSeparators, const IniLeadBytes* pLead,
               size_t* pnStart, size_t* pnLength)
{
    size_t i = *pnPos;
    // Separators are ASCII and never lead bytes: skipping them one by one stays on a character.
    while (pszText[i] && IsCharInSet(pszText[i], pszSeparators))
        ++i;
    if (!pszText[i]) {
        *pnPos = i;
        return false;
    }
    size_t nStart = i;
    while (pszText[i] && !IsCharInSet(pszText[i], pszSeparators))
        i += CharWidth(pszText + i, pLead);
    *pnStart = nStart;
    *pnLength = i - nStart;
    *pnPos = pszText[i] ? i + 1 : i;
    return true;
}

// ---- lines -------------------------------------------------------------------------------

template <class T>
bool IniLineReader<T>::Next(T* pszLine, size_t cchLine, bool* pbCut)
{
    *pbCut = false;
    if (AtEnd() || cchLine == 0)
        return false;
    size_t nStart = nCursor;
    while (nCursor < nLength && pText[nCursor] != T('\r'))
        ++nCursor;
    size_t n = nCursor - nStart;
    if (n >= cchLine) {
        n = cchLine - 1;
        *pbCut = true;
    }
    memcpy(pszLine, pText + nStart, n * sizeof(T));
    pszLine[n] = T(0);
    if (nCursor < nLength && pText[nCursor] == T('\r')) {
        ++nCursor;
        if (nCursor < nLength && pText[nCursor] == T('\n'))
            ++nCursor;
    }
    return true;
}

// ---- lookups -----------------------------------------------------------------------------

template <class T>
bool IniFindValue(const T* pText, size_t nLength, const IniQuery<T>& query, T* pszResult)
{
    if (!pText || nLength < 1 || !query.pszSection)
        return false;
    const bool bKeyMode = query.pszKey && query.nLine == INI_NO_LINE;
    const IniLeadBytes* pLead = query.pLead;
    IniLineReader<T> reader(pText, nLength);
    T szLine[INI_LINE_CHARS];
    T szPart[INI_LINE_CHARS];
    bool bInside = false, bFound = false, bCut = false;
    uint32_t n = 0;

    while (reader.Next(szLine, INI_LINE_CHARS, &bCut)) {
        size_t nLineLength = Length(szLine);
        if (nLineLength < 3)
            continue;
        if (szLine[0] == T(';') || (szLine[0] == T('/') && szLine[1] == T('/')))
            continue;
        // A header too long for the line buffer names no section a caller can ask for; it
        // still ends the section before it, so its lines are never taken for that one's.
        if (IsHeader(szLine, pLead) || (bCut && szLine[0] == T('['))) {
            if (!bCut && HeaderNameIs(szLine, query.pszSection, pLead)) {
                bInside = true;
                n = 0;
                if (query.pbSectionSeen)
                    *query.pbSectionSeen = true;
            } else {
                bInside = false;
                ++n;
            }
            continue;
        }
        if (!bInside) {
            ++n;
            continue;
        }
        if (bKeyMode) {
            if (!bCut && (!query.pfnExpand || query.pfnExpand(query.pContext, szLine, INI_LINE_CHARS))) {
                size_t nPos = 0, nStart = 0, nTokenLength = 0;
                if (NextToken(szLine, &nPos, Sets<T>::KEY.s, pLead, &nStart, &nTokenLength)) {
                    TokenTrimmed(szLine, nStart, nTokenLength, szPart);
                    if (EqualsExact(szPart, query.pszKey)) {
                        if (NextToken(szLine, &nPos, Sets<T>::LINE_FEED.s, pLead, &nStart, &nTokenLength))
                            TokenTrimmed(szLine, nStart, nTokenLength, pszResult);
                        else
                            pszResult[0] = T(0);
                        bFound = true;
                    }
                }
            }
        } else if (n == query.nLine) {
            bool bFits = !bCut && (!query.pfnExpand || query.pfnExpand(query.pContext, szLine, INI_LINE_CHARS));
            if (bFits)
                memcpy(pszResult, szLine, (Length(szLine) + 1) * sizeof(T));
            else
                pszResult[0] = T(0);
            bFound = true;
        }
        ++n;
    }
    return bFound;
}

template <class T>
bool IniListItem(const T* pszLine, uint32_t nItem, T* pszResult, size_t cchResult)
{
    if (!pszResult || cchResult == 0)
        return false;
    pszResult[0] = T(0);
    if (!pszLine)
        return false;
    size_t nPos = 0, nStart = 0, nLength = 0;
    if (!NextToken(pszLine, &nPos, Sets<T>::FIRST_ITEM.s, nullptr, &nStart, &nLength))
        return false;
    for (uint32_t i = 0; i < nItem; ++i) {
        if (!NextToken(pszLine, &nPos, Sets<T>::NEXT_ITEM.s, nullptr, &nStart, &nLength))
            return false;
    }
    T szItem[INI_LINE_CHARS];
    size_t n = TokenTrimmed(pszLine, nStart, nLength, szItem);
    return CopyChars(pszResult, cchResult, szItem, n);
}

template <class T>
bool IniParseStringsLine(const T* pszLine, T* pszName, size_t cchName, T* pszValue, size_t cchValue)
{
    if (!pszLine || !pszName || !pszValue || cchName == 0 || cchValue == 0)
        return false;
    size_t nPos = 0, nStart = 0, nLength = 0;
    T szPart[INI_LINE_CHARS];
    if (!NextToken(pszLine, &nPos, Sets<T>::FIRST_ITEM.s, nullptr, &nStart, &nLength))
        return false;
    size_t nName = TokenTrimmed(pszLine, nStart, nLength, szPart);
    if (nName == 0)
        return false;
    CopyChars(pszName, cchName, szPart, CutLength(szPart, nName, cchName - 1));
    if (!NextToken(pszLine, &nPos, Sets<T>::NEXT_ITEM.s, nullptr, &nStart, &nLength))
        return false;
    size_t nValue = TokenTrimmed(pszLine, nStart, nLength, szPart);
    CopyChars(pszValue, cchValue, szPart, CutLength(szPart, nValue, cchValue - 1));
    return true;
}

template <class T>
bool IniMakePattern(T* pszPattern, size_t cchPattern, const T* pszName)
{
    if (!pszPattern || cchPattern == 0)
        return false;
    pszPattern[0] = T(0);
    size_t n = pszName ? Length(pszName) : 0;
    if (n == 0 || n + 3 > cchPattern)
        return false;
    pszPattern[0] = T('%');
    memcpy(pszPattern + 1, pszName, n * sizeof(T));
    pszPattern[n + 1] = T('%');
    pszPattern[n + 2] = T(0);
    return true;
}

// ---- the unit types in use ---------------------------------------------------------------

#define INI_TEXT_INSTANTIATE(T)                                                                          \
    template size_t DecodeUtf16Le<T>(const uint8_t*, size_t, T*);                                        \
    template bool IsCharInSet<T>(T, const T*);                                                           \
    template size_t TrimChars<T>(T*, const T*);                                                          \
    template bool ReplaceAll<T>(T*, size_t, const T*, const T*, bool*);                                  \
    template size_t FindLastBackslash<T>(const T*, const IniLeadBytes*);                                 \
    template bool SplitPath<T>(const T*, T*, size_t, T*, size_t, const IniLeadBytes*);                   \
    template uint32_t HexToLong<T>(const T*);                                                            \
    template bool EqualsAsciiNoCase<T>(const T*, const T*, const IniLeadBytes*);                         \
    template bool NextToken<T>(const T*, size_t*, const T*, const IniLeadBytes*, size_t*, size_t*);      \
    template bool CopyChars<T>(T*, size_t, const T*, size_t);                                            \
    template struct IniLineReader<T>;                                                                    \
    template bool IniFindValue<T>(const T*, size_t, const IniQuery<T>&, T*);                             \
    template bool IniListItem<T>(const T*, uint32_t, T*, size_t);                                        \
    template bool IniParseStringsLine<T>(const T*, T*, size_t, T*, size_t);                              \
    template bool IniMakePattern<T>(T*, size_t, const T*);

INI_TEXT_INSTANTIATE(char)
INI_TEXT_INSTANTIATE(wchar_t)
INI_TEXT_INSTANTIATE(char16_t)
