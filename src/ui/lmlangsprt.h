// The language support object: one string table from the library's RT_HTML resources
// (110 to 132, one per language), its texts looked up by identifier for the user's language
// with English as the fallback, handed out as UTF-16 or as 8-bit text in the language's code
// page.
#pragma once
#include <windows.h>

#include <vector>

#include "codec/lang_table.h"

class LMLANGSPRT {
public:
    // dwLanguage is the installer's language identifier; a low byte of 0xC0 stands for
    // Simplified and 0xC1 for Traditional Chinese.
    LMLANGSPRT(HMODULE hModule, int nTableId, DWORD dwLanguage);
    ~LMLANGSPRT();
    LMLANGSPRT(const LMLANGSPRT&) = delete;
    LMLANGSPRT& operator=(const LMLANGSPRT&) = delete;

    // Loads table nTableId of the module, replacing any table loaded before. A missing or
    // unloadable table leaves no lines: every lookup then yields the empty string.
    void LoadLangBuff(int nTableId);

    // Copies the text of nId into the buffer of nSize characters and returns the buffer; a
    // missing text (no section, no entry, an overlong line) is the empty string. Returns
    // nullptr and leaves the buffer as it was when the text and its terminator do not fit, or
    // when the entry line holds no pair of double quotes.
    wchar_t* GetLangStringW(int nId, wchar_t* pwszBuf, int nSize);
    // The same text in the object's code page, into a buffer of nSize bytes, and returns the
    // buffer. Whatever the UTF-16 lookup cannot hand out, and a text whose 8-bit form does not
    // fit the buffer (two bytes a character in a double-byte code page), yields the empty
    // string.
    char* GetLangStringA(int nId, char* pszBuf, int nSize);

    // Sets the code page of the 8-bit texts from the language's low byte.
    void ChooseCodePage();

    UINT GetCodePage() const { return m_uCodePage; }
    DWORD GetLanguage() const { return m_dwLanguage; }
    // Lines and sections of the loaded table (0 when none is loaded).
    size_t GetLineCount() const { return m_table.LineCount(); }
    size_t GetSectionCount() const { return m_table.SectionCount(); }

private:
    HMODULE m_hModule;
    DWORD m_dwLanguage;
    std::vector<BYTE> m_text;   // owned copy of the resource; m_table refers to it
    LangTable m_table;
    UINT m_uCodePage;
};
