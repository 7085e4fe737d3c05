#include "ui/lmlangsprt.h"

#include <algorithm>

#include "codec/languages.h"
#include "core/conversions.h"
#include "core/trace.h"
#include "resources/resource_ids.h"

namespace {

// RT_HTML by number: the A form takes it on Windows 9x as well as on NT.
const char* const TABLE_RESOURCE_TYPE = MAKEINTRESOURCEA(RT_LANG_TABLE);

}  // namespace

LMLANGSPRT::LMLANGSPRT(HMODULE hModule, int nTableId, DWORD dwLanguage)
    : m_hModule(hModule), m_dwLanguage(dwLanguage), m_uCodePage(1252)
{
    TraceLog("LMLANGSPRT::LMLANGSPRT\n");
    LoadLangBuff(nTableId);
}

LMLANGSPRT::~LMLANGSPRT()
{
    TraceLog("LMLANGSPRT::~LMLANGSPRT\n");
}

void LMLANGSPRT::LoadLangBuff(int nTableId)
{
    m_table.Clear();
    m_text.clear();

    HRSRC hInfo = FindResourceA(m_hModule, MAKEINTRESOURCEA(nTableId), TABLE_RESOURCE_TYPE);
    if (!hInfo) {
        TraceLog("FindResource fail - %d\n", nTableId);
        return;
    }
    HGLOBAL hData = LoadResource(m_hModule, hInfo);
    const void* pData = hData ? LockResource(hData) : nullptr;
    DWORD cbData = SizeofResource(m_hModule, hInfo);
    if (!pData) {
        TraceLog("LoadResource fail\n");
        return;
    }
    const BYTE* pBytes = static_cast<const BYTE*>(pData);
    m_text.assign(pBytes, pBytes + cbData);
    m_table.Parse(m_text.data(), m_text.size());
    TraceLog("LMLANGSPRT::LoadLangBuff %d, %d\n", int(m_table.LineCount()), int(m_table.SectionCount()));
}

wchar_t* LMLANGSPRT::GetLangStringW(int nId, wchar_t* pwszBuf, int nSize)
{
    if (!pwszBuf || nSize < 1)
        return nullptr;   // not even room for the empty string
    LangSpan text{0, 0};
    switch (m_table.Find(nId, m_dwLanguage, &text)) {
    case LangFind::Empty:
        pwszBuf[0] = L'\0';
        return pwszBuf;
    case LangFind::NoText:
        return nullptr;
    case LangFind::Text:
        break;
    }
    if (text.nLength + 1 > size_t(nSize))
        return nullptr;   // a cut text would read as a different one
    for (size_t i = 0; i < text.nLength; ++i)
        pwszBuf[i] = wchar_t(m_table.CharAt(text.nStart + i));
    pwszBuf[text.nLength] = L'\0';
    return pwszBuf;
}

char* LMLANGSPRT::GetLangStringA(int nId, char* pszBuf, int nSize)
{
    if (!pszBuf || nSize < 1)
        return pszBuf;
    pszBuf[0] = '\0';
    // No entry line reaches MAX_LINE_CHARS, so a larger UTF-16 room would change nothing.
    wchar_t wszText[LangTable::MAX_LINE_CHARS];
    int nWide = std::min(nSize, int(LangTable::MAX_LINE_CHARS));
    if (!GetLangStringW(nId, wszText, nWide))
        return pszBuf;
    // The caller's limit counts characters but its buffer holds nSize bytes; a text of
    // double-byte characters can need twice as many, so the conversion is bounded by the
    // buffer and refused (empty) rather than written past it.
    ConvertWideToAnsiCell(pszBuf, std::min(nSize, CONVERT_MAX_CHARS), wszText, m_uCodePage);
    return pszBuf;
}

void LMLANGSPRT::ChooseCodePage()
{
    m_uCodePage = LanguageCodePage(m_dwLanguage, LANG_READER_STRINGS, LANG_WESTERN_CODE_PAGE);
}
