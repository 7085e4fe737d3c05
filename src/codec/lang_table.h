// Reading a language string table: UTF-16 LE text (byte order mark, CR LF lines) with section
// headers "[tag]" and entry lines `identifier "text"`. Portable: no Windows header, so the
// reader can be fuzzed natively. Every read stays inside the byte span the table was parsed
// over; the text carries no terminating zero of its own.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Characters [nStart, nStart + nLength) of the table's text.
struct LangSpan {
    size_t nStart;
    size_t nLength;
};

enum class LangFind {
    Text,     // the entry's text, between its pair of double quotes
    Empty,    // no section, no entry, or an overlong line on the way: the empty string
    NoText,   // the entry line has no pair of double quotes
};

class LangTable {
public:
    // An entry line of this many characters or more makes the lookup fail.
    static constexpr size_t MAX_LINE_CHARS = 1024;

    LangTable() = default;
    // Splits the text into lines and finds the section headers. The table refers to the bytes,
    // it does not copy them: the caller keeps them alive and unchanged while the table is used.
    // An odd last byte is not part of any character.
    void Parse(const void* pData, size_t cb);
    void Clear();

    size_t CharCount() const { return m_nChars; }
    char16_t CharAt(size_t i) const;   // i < CharCount()
    size_t LineCount() const { return m_lines.size(); }
    LangSpan Line(size_t i) const { return m_lines[i]; }
    size_t SectionCount() const { return m_sections.size(); }
    size_t SectionLine(size_t i) const { return m_sections[i]; }

    // The tag of section i, read as hexadecimal; false when its header holds no tag.
    bool SectionTag(size_t i, uint32_t* pdwTag) const;
    // The section a lookup for dwLanguage reads: the last one whose tag is the language or its
    // low byte, else the first one tagged 9 (English); -1 when there is none.
    int ChooseSection(uint32_t dwLanguage) const;
    // Finds the first entry of nId in the chosen section; on LangFind::Text, *pText is the text.
    LangFind Find(int32_t nId, uint32_t dwLanguage, LangSpan* pText) const;

    // The identifier an entry line starts with, read as a decimal number as the C library
    // reads one (leading white space and a sign accepted, saturated at the 32-bit limits);
    // false when the line holds nothing but blanks and double quotes.
    bool LineIdentifier(const LangSpan& line, int32_t* pnId) const;

private:
    bool IsLineBreak(size_t i) const;

    const uint8_t* m_pData = nullptr;
    size_t m_nChars = 0;
    std::vector<LangSpan> m_lines;
    std::vector<size_t> m_sections;   // indices into m_lines
};
