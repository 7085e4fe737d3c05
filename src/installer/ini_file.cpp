// INIFILE: loading an installation file, the raw lookups and the %name% expansion.
#include "installer/ini_file.h"

#include <new>

#include "codec/languages.h"
#include "core/cells.h"
#include "core/holders.h"
#include "core/trace.h"
#include "installer/ini_names.h"

INIFILE::INIFILE(const char* pszFileName, DWORD dwLanguage) : INIFILE(pszFileName, dwLanguage, nullptr) {}

INIFILE::INIFILE(const wchar_t* pwszFileName, DWORD dwLanguage) : INIFILE(pwszFileName, dwLanguage, nullptr) {}

INIFILE::INIFILE(const char* pszFileName, DWORD dwLanguage, const INIFILE* pParent)
    : m_dwLanguage(dwLanguage), m_pParent(pParent), m_nTableFiles(0)
{
    Build(pszFileName);
}

INIFILE::INIFILE(const wchar_t* pwszFileName, DWORD dwLanguage, const INIFILE* pParent)
    : m_dwLanguage(dwLanguage), m_pParent(pParent), m_nTableFiles(0)
{
    Build(pwszFileName);
}

INIFILE::~INIFILE()
{
    FreeIniBuffer();
}

void INIFILE::Clear()
{
    m_nTextLength = 0;
    m_pText = nullptr;
    m_dwCursor = 0;
    m_bUnicode = 0;
    m_nVarCount = 0;
    m_szFolder[0] = '\0';
    m_wszFolder[0] = L'\0';
    m_szFullPath[0] = '\0';
    m_wszFullPath[0] = L'\0';
    m_bDoubleByte = false;
    ZeroMemory(&m_Lead, sizeof(m_Lead));
}

template <class T>
void INIFILE::Build(const T* pFileName)
{
    using Name = IniName<T>;
    Clear();
    m_bWin9x = m_Env.m_bWin9x;
    m_pVars.reset(new (std::nothrow) StringVar[INI_MAX_VARIABLES]);

    // Scanning of 8-bit text keeps a double-byte character whole: in code pages 932, 936, 949
    // and 950 a trail byte can equal "\", "[", "]" or a letter.
    CPINFO cpi;
    if (GetCPInfo(m_Env.m_uCodePage, &cpi) && cpi.MaxCharSize == 2) {
        m_bDoubleByte = true;
        for (int b = 0; b < 256; ++b)
            m_Lead.bLead[b] = IsDBCSLeadByteEx(m_Env.m_uCodePage, BYTE(b)) != FALSE;
    }

    static const T EMPTY[1] = {0};
    if (!pFileName)
        pFileName = EMPTY;
    size_t nName = Name::Length(pFileName, INI_NAME_CHARS);
    if (nName >= size_t(INI_NAME_CHARS)) {
        // The folder of a longer name would not fit its field, nor the string tables beside it.
        TraceLog("LoadIniFile%s - File name too long\n", Name::SUFFIX);
        LoadStrings();
        return;
    }

    IniEncoding encoding = ProbeEncoding(pFileName);
    if (encoding == IniEncoding::UTF16BE) {
        // Installation files are 8-bit or little-endian UTF-16; swapped text would be read as
        // garbage whose lines and keys are anybody's guess.
        char szHead[64];
        wsprintfA(szHead, "IsIniUnicode%s - UTF-16 big-endian file refused - ", Name::SUFFIX);
        Name::TraceNamed(szHead, pFileName);
    } else {
        m_bUnicode = encoding == IniEncoding::UTF16LE ? 1 : 0;
        LoadIniFile(pFileName);
    }

    T* pFolder = FolderOf(pFileName);
    SplitPath<T>(pFileName, pFolder, INI_NAME_CHARS, nullptr, 0, sizeof(T) == 1 ? LeadBytes() : nullptr);
    if (!pFolder[0]) {
        pFolder[0] = T('.');
        pFolder[1] = T('\0');
    }
    T* pFullPath = FullPathOf(pFileName);
    DWORD n = Name::FullPath(pFileName, pFullPath);
    if (n == 0 || n >= DWORD(INI_NAME_CHARS))
        memcpy(pFullPath, pFileName, (nName + 1) * sizeof(T));   // shorter than the cell, seen above
    LoadStrings();
}

const IniLeadBytes* INIFILE::LeadBytes() const
{
    return m_bDoubleByte ? &m_Lead : nullptr;
}

const StringVar* INIFILE::Variable(int nIndex) const
{
    return nIndex >= 0 && nIndex < m_nVarCount ? &m_pVars[nIndex] : nullptr;
}

// ---- encoding test and loading -----------------------------------------------------------

namespace {

// The encoding the first two bytes of an open file announce.
IniEncoding ReadEncodingMark(HANDLE hFile)
{
    BYTE mark[2] = {0, 0};
    DWORD cbRead = 0;
    if (!ReadFile(hFile, mark, sizeof(mark), &cbRead, nullptr))
        cbRead = 0;
    return DetectIniEncoding(mark, cbRead);
}

}  // namespace

template <class T>
IniEncoding INIFILE::ProbeEncoding(const T* pFileName)
{
    using Name = IniName<T>;
    TraceLog("IsIniUnicode%s\n", Name::SUFFIX);
    AutoFile file(Name::Open(pFileName, FILE_SHARE_READ));
    if (!file) {
        char szHead[64];
        wsprintfA(szHead, "IsIniUnicode%s - File Open failed - %ld, ", Name::SUFFIX, GetLastError());
        Name::TraceNamed(szHead, pFileName);
        return IniEncoding::ANSI;
    }
    return ReadEncodingMark(file.Get());
}

bool INIFILE::IsIniUnicodeA(const char* pszFileName)
{
    return ProbeEncoding(pszFileName) == IniEncoding::UTF16LE;
}

bool INIFILE::IsIniUnicodeW(const wchar_t* pwszFileName)
{
    return ProbeEncoding(pwszFileName) == IniEncoding::UTF16LE;
}

template <class T>
bool INIFILE::LoadIniFile(const T* pFileName)
{
    using Name = IniName<T>;
    FreeIniBuffer();
    // Not shared while it is read: the file is read whole, in one call, as it stands.
    AutoFile file(Name::Open(pFileName, 0));
    if (!file) {
        Name::TraceOpenFailed(GetLastError(), pFileName);
        return false;
    }
    DWORD dwHigh = 0;
    DWORD cbFile = GetFileSize(file.Get(), &dwHigh);
    const char* pszRefusal = nullptr;
    if (cbFile == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        pszRefusal = "File size is too small";
    else if (dwHigh != 0 || cbFile > INI_MAX_FILE_SIZE)
        pszRefusal = "File size is too large";
    else if (cbFile < INI_MIN_FILE_SIZE)
        pszRefusal = "File size is too small";
    else {
        m_pBuffer.reset(new (std::nothrow) BYTE[cbFile + 4]);
        if (!m_pBuffer)
            pszRefusal = "Memory allocation error.";
    }
    if (pszRefusal) {
        TraceLog("LoadIniFile%s - %s\n", Name::SUFFIX, pszRefusal);
        return false;
    }
    return ReadIniFile(file.Get(), cbFile);
}

bool INIFILE::LoadIniFileA(const char* pszFileName)
{
    return LoadIniFile(pszFileName);
}

bool INIFILE::LoadIniFileW(const wchar_t* pwszFileName)
{
    return LoadIniFile(pwszFileName);
}

bool INIFILE::ReadIniFile(HANDLE hFile, DWORD cbFile)
{
    DWORD cbRead = 0;
    if (!ReadFile(hFile, m_pBuffer.get(), cbFile, &cbRead, nullptr))
        cbRead = 0;
    if (!m_bUnicode) {
        if (cbRead == 0)
            return false;
        m_pText = m_pBuffer.get();
        m_nTextLength = int(cbRead);
        return true;
    }
    // The text is decoded into units of its own rather than read in place, so it is the same
    // whatever the buffer's alignment; an odd last byte is no character.
    size_t nUnits = cbRead / 2;
    if (nUnits == 0)
        return false;
    m_pWideText.reset(new (std::nothrow) wchar_t[nUnits + 1]);
    if (!m_pWideText) {
        TraceLog("LoadIniFileW - Memory allocation error.\n");
        return false;
    }
    DecodeUtf16Le(m_pBuffer.get(), cbRead, m_pWideText.get());
    m_pWideText[nUnits] = L'\0';
    // The byte order mark is no character of the first line: a section header there (as an
    // editor saves it) must be seen as one.
    size_t nSkip = m_pWideText[0] == 0xFEFF ? 1 : 0;
    m_pText = m_pWideText.get() + nSkip;
    m_nTextLength = int(nUnits - nSkip);
    return true;
}

void INIFILE::FreeIniBuffer()
{
    m_pBuffer.reset();
    m_pWideText.reset();
    m_pText = nullptr;
    m_nTextLength = 0;
    m_dwCursor = 0;
}

// ---- lines and raw lookups ---------------------------------------------------------------

namespace {

// Whether T is the width of a document's text.
template <class T>
bool IsDocumentWidth(BYTE bUnicode)
{
    return (sizeof(T) == sizeof(wchar_t)) == (bUnicode != 0);
}

}  // namespace

template <class T>
bool INIFILE::GetLine(T* pLine, DWORD cchLine)
{
    if (!IsDocumentWidth<T>(m_bUnicode) || !m_pText || !pLine || cchLine == 0)
        return false;
    IniLineReader<T> reader(static_cast<const T*>(m_pText), size_t(m_nTextLength));
    reader.nCursor = m_dwCursor;
    bool bCut = false;
    bool bRead = reader.Next(pLine, cchLine, &bCut);
    m_dwCursor = DWORD(reader.nCursor);
    return bRead && !bCut;
}

bool INIFILE::GetLineA(char* pszLine, DWORD cchLine)
{
    return GetLine(pszLine, cchLine);
}

bool INIFILE::GetLineW(wchar_t* pwszLine, DWORD cchLine)
{
    return GetLine(pwszLine, cchLine);
}

template <class T>
bool INIFILE::Find(const T* pSection, const T* pKey, DWORD dwLine, T* pResult)
{
    m_dwCursor = 0;
    if (!IsDocumentWidth<T>(m_bUnicode) || !m_pText || m_nTextLength < 1)
        return false;
    IniQuery<T> query = {pSection, pKey, dwLine, sizeof(T) == 1 ? LeadBytes() : nullptr, &INIFILE::ExpandLine<T>,
                         this};
    bool bFound = IniFindValue(static_cast<const T*>(m_pText), size_t(m_nTextLength), query, pResult);
    m_dwCursor = DWORD(m_nTextLength);
    return bFound;
}

template bool INIFILE::Find(const char*, const char*, DWORD, char*);
template bool INIFILE::Find(const wchar_t*, const wchar_t*, DWORD, wchar_t*);

template <class T>
bool INIFILE::GetValue(const T* pSection, const T* pKey, DWORD dwLine, T* pResult, DWORD cchResult)
{
    T result[INI_LINE_CHARS];
    return Find(pSection, pKey, dwLine, result) && CopyOut(pResult, cchResult, result);
}

bool INIFILE::GetValueA(const char* pszSection, const char* pszKey, DWORD dwLine, char* pszResult, DWORD cchResult)
{
    return GetValue(pszSection, pszKey, dwLine, pszResult, cchResult);
}

bool INIFILE::GetValueW(const wchar_t* pwszSection, const wchar_t* pwszKey, DWORD dwLine, wchar_t* pwszResult,
                        DWORD cchResult)
{
    return GetValue(pwszSection, pwszKey, dwLine, pwszResult, cchResult);
}

// ---- variables ---------------------------------------------------------------------------

template <class T>
bool INIFILE::ExpandLine(void* pContext, T* pLine, size_t cchLine)
{
    const INIFILE* pThis = static_cast<const INIFILE*>(pContext);
    if (pThis->m_nVarCount == 0)
        return true;
    size_t n = 0;
    while (pLine[n] && pLine[n] != T('%'))
        ++n;
    if (!pLine[n])
        return true;
    // An 8-bit document holds its patterns in the probe's page and its values in the page of
    // its own language; a UTF-16 one takes both as they are.
    [[maybe_unused]] UINT uValuePage = sizeof(T) == 1 ? pThis->CodePageOfLanguage(0) : 0;
    for (int i = 0; i < pThis->m_nVarCount; ++i) {
        const StringVar& var = pThis->m_pVars[i];
        wchar_t wszPattern[INI_VAR_NAME_CHARS + 2];
        if (!IniMakePattern(wszPattern, INI_VAR_NAME_CHARS + 2, var.wszName))
            continue;
        const T* pPattern;
        const T* pValue;
        // Room for any code page: up to three bytes per UTF-16 unit in UTF-8, two in the
        // double-byte pages (a value of 255 Japanese characters takes 510 bytes).
        char szPattern[3 * (INI_VAR_NAME_CHARS + 2)];
        char szValue[3 * INI_VAR_VALUE_CHARS];
        if constexpr (sizeof(T) == 1) {
            if (!pThis->m_Env.WideToAnsi(szPattern, wszPattern) ||
                !pThis->m_Env.WideToAnsi(szValue, var.wszValue, uValuePage))
                continue;
            pPattern = szPattern;
            pValue = szValue;
        } else {
            pPattern = wszPattern;
            pValue = var.wszValue;
        }
        bool bOverflow = false;
        ReplaceAll(pLine, cchLine, pPattern, pValue, &bOverflow);
        if (bOverflow)
            return false;
    }
    return true;
}

bool INIFILE::AppendVariable(const wchar_t* pwszName, const wchar_t* pwszValue)
{
    if (!m_pVars || m_nVarCount >= INI_MAX_VARIABLES)
        return false;
    StringVar& var = m_pVars[m_nVarCount];
    CopyCell(var.wszName, pwszName);
    CopyCell(var.wszValue, pwszValue);
    ++m_nVarCount;
    return true;
}

UINT INIFILE::CodePageOfLanguage(DWORD dwLanguage) const
{
    if (dwLanguage == 0)
        dwLanguage = m_dwLanguage;
    return LanguageCodePage(dwLanguage, LANG_READER_INI, LANG_WESTERN_CODE_PAGE);
}
