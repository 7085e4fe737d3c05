// Scanning of installation-file text ("LmProfInst.ini" and the string-table files it lists):
// the encoding test, UTF-16 decoding, the line reader, sections, keys, list items, %name%
// patterns and the small text helpers. Portable: no Windows header, so the scanning of these
// outside files can be fuzzed natively. Every operation works for 8-bit text (char) and for
// UTF-16 text (wchar_t, or char16_t where wchar_t is 32 bits).
//
// Bounds: a text is a span (pointer and length, no terminator needed); a line and an expanded
// line hold at most INI_LINE_CHARS - 1 characters; every copy is bounded by its destination.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t INI_LINE_CHARS = 4096;       // a line, terminator included
constexpr uint32_t INI_NO_LINE = 0xFFFFFFFFu;   // "no line index": key mode
constexpr size_t INI_NOT_FOUND = size_t(-1);

// ---- bytes of a file ---------------------------------------------------------------------

enum class IniEncoding { ANSI, UTF16LE, UTF16BE };

// The first two bytes decide: FE FF is a big-endian mark, any other pair made of FE and FF
// bytes is taken for little-endian UTF-16; everything else (cb < 2 among them) is 8-bit text.
IniEncoding DetectIniEncoding(const uint8_t* pBytes, size_t cb);

// Decodes the little-endian units of a byte span into cb / 2 units at pOut (an odd last byte
// is no unit). The mark, when present, stays as the first unit.
template <class T>
size_t DecodeUtf16Le(const uint8_t* pBytes, size_t cb, T* pOut);

// Lead bytes of a double-byte code page. Scanning of 8-bit text takes a lead byte and its trail
// byte together, so a trail byte that equals "\", "[", "]" or a letter is never taken for one.
// Null for single-byte code pages and for UTF-16 text.
struct IniLeadBytes {
    bool bLead[256];
};

// ---- small text helpers (zero-terminated texts) --------------------------------------------

// True when c occurs in the set; an empty set holds nothing.
template <class T>
bool IsCharInSet(T c, const T* pszSet);

// Removes, in place, every leading and trailing character that is in the set; the new length.
template <class T>
size_t TrimChars(T* pszText, const T* pszSet);

// Replaces every occurrence of the pattern, left to right, never scanning an inserted
// replacement again. cchText is the room of the text, terminator included (at most
// INI_LINE_CHARS is used). True when something was replaced. When the result would not fit,
// the text is left as it was, false is returned and *pbOverflow is set: a cut line could give
// a key a value that was never written.
template <class T>
bool ReplaceAll(T* pszText, size_t cchText, const T* pszPattern, const T* pszReplacement, bool* pbOverflow);

// Index of the last backslash of a path (a trail byte is never one), or INI_NOT_FOUND.
template <class T>
size_t FindLastBackslash(const T* pszPath, const IniLeadBytes* pLead);

// Splits a path at its last backslash: the folder before it, the name after it. Without a
// backslash the name is the whole path and the folder is left untouched. Each part is copied
// bounded by its room (terminator included); a null result is not written. Answers whether a
// backslash was found.
template <class T>
bool SplitPath(const T* pszPath, T* pszFolder, size_t cchFolder, T* pszName, size_t cchName,
               const IniLeadBytes* pLead);

// Hexadecimal text to a number: a leading "0x" in either case is skipped, the rest is weighted
// from the right; characters that are no hexadecimal digit count their distance from "0"
// (the language identifiers the system gives are always clean), and the sum wraps at 32 bits.
template <class T>
uint32_t HexToLong(const T* pszText);

// Equality that ignores the case of the letters A to Z only.
template <class T>
bool EqualsAsciiNoCase(const T* pszA, const T* pszB, const IniLeadBytes* pLead);

// One token in the manner of strtok, without changing the text: leading separators are
// skipped, the token ends at the next separator (which is consumed) or at the terminator.
// *pnPos is the scanning position. False when no token is left.
template <class T>
bool NextToken(const T* pszText, size_t* pnPos, const T* pszSeparators, const IniLeadBytes* pLead,
               size_t* pnStart, size_t* pnLength);

// Copies n characters and a terminator; false, with an empty destination, when they do not fit.
template <class T>
bool CopyChars(T* pDest, size_t cchDest, const T* pSource, size_t n);

// ---- lines -------------------------------------------------------------------------------

// Reads lines from a span: a line ends at a carriage return (followed or not by a line feed)
// or at the end of the span; a lone line feed ends nothing.
template <class T>
struct IniLineReader {
    const T* pText;
    size_t nLength;
    size_t nCursor;

    IniLineReader(const T* p, size_t n) : pText(p), nLength(p ? n : 0), nCursor(0) {}
    bool AtEnd() const { return nCursor >= nLength; }
    // Copies the next line, at most cchLine - 1 characters and a terminator, and always moves
    // past the whole line. *pbCut tells a line that did not fit. False at the end of the span.
    bool Next(T* pszLine, size_t cchLine, bool* pbCut);
};

// ---- lookups -----------------------------------------------------------------------------

// Replaces the %name% patterns of a line in place (room INI_LINE_CHARS); false when the
// expanded line would not fit.
template <class T>
using IniExpandFn = bool (*)(void* pContext, T* pszLine, size_t cchLine);

template <class T>
struct IniQuery {
    const T* pszSection;
    const T* pszKey;      // key mode when given and nLine is INI_NO_LINE; else index mode
    uint32_t nLine;
    const IniLeadBytes* pLead;
    IniExpandFn<T> pfnExpand;   // may be null
    void* pContext;
    bool* pbSectionSeen = nullptr;   // may be null; set when a header of the section was met
};

// The raw lookup over a document's text. Key mode: the value of the last line of the section
// whose key part equals the key. Index mode: the whole n-th counted line of the section.
// Lines under 3 characters and comments (";", "//") are not counted; a header line starts a
// section. On success pszResult (INI_LINE_CHARS) holds the result. A line that does not fit
// the line buffer, before or after expansion, never yields a value: in index mode it yields
// the empty text, so a caller walking the lines by index goes on past it.
template <class T>
bool IniFindValue(const T* pText, size_t nLength, const IniQuery<T>& query, T* pszResult);

// Item nItem of a comma list line: item 0 ends at "=" or ",", the later ones at ",". Trimmed of
// blanks, tabs, line ends and double quotes. False, with an empty result, when the item is
// missing or does not fit.
template <class T>
bool IniListItem(const T* pszLine, uint32_t nItem, T* pszResult, size_t cchResult);

// A "name = value" line of a "Strings" section: the name ends at "=" or ",", the value at the
// next ",". Both trimmed and cut to their room (a surrogate pair is never cut in half). False
// when either is missing or the name is empty after trimming (no %% pattern could use it).
template <class T>
bool IniParseStringsLine(const T* pszLine, T* pszName, size_t cchName, T* pszValue, size_t cchValue);

// Builds "%" + name + "%" into the pattern room; false when it does not fit or the name is empty.
template <class T>
bool IniMakePattern(T* pszPattern, size_t cchPattern, const T* pszName);
