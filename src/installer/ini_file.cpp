// INIFILE: loading an installation file, the raw lookups and the %name% expansion.
#include "installer/ini_file.h"

#include <new>

#include "core/cells.h"
#include "core/holders.h"
#include "core/trace.h"

namespace {

// Copies a result to the caller only whole: a cut value could be a path to another file.
template <class T>
bool CopyOut(T* pDest, DWORD cchDest, const T* pSource)
{
    size_t n = 0;
    while (pSource[n])
        ++n;
    if (!pDest || n >= cchDest)
        return false;
    memcpy(pDest, pSource, (n + 1) * sizeof(T));
    return true;
}

}  // namespace

INIFILE::INIFILE(const char* pszFileName, DWORD dwLanguage) : INIFILE(pszFileName, dwLanguage, nullptr) {}

INIFILE::INIFILE(const wchar_t* pwszFileName, DWORD dwLanguage) : INIFILE(pwszFileName, dwLanguage, nullptr) {}

INIFILE::INIFILE(const char* pszFileName, DWORD dwLanguage, const INIFILE* pParent)
    : m_dwLanguage(dwLanguage), m_pParent(pParent), m_nTableFiles(0)
{
    Build(pszFileName, nullptr);
}

INIFILE::INIFILE(const wchar_t* pwszFileName, DWORD dwLanguage, const INIFILE* pParent)
    : m_dwLanguage(dwLanguage), m_pParent(pParent), m_nTableFiles(0)
{
    Build(nullptr, pwszFileName);
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
    m_hFile = INVALID_HANDLE_VALUE;
    m_dwFileSize = 0;
    m_bUnicode = 0;
    m_nVarCount = 0;
    m_szFolder[0] = '\0';
    m_wszFolder[0] = L'\0';
    m_szFullPath[0] = '\0';
    m_wszFullPath[0] = L'\0';
    m_bDoubleByte = false;
    ZeroMemory(&m_Lead, sizeof(m_Lead));
}

void INIFILE::Build(const char* pszFileName, const wchar_t* pwszFileName)
{
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

    bool bWide = pwszFileName != nullptr;
    if (!bWide && !pszFileName)
        pszFileName = "";
    size_t nName = bWide ? wcsnlen(pwszFileName, INI_NAME_CHARS) : strnlen(pszFileName, INI_NAME_CHARS);
    if (nName >= size_t(INI_NAME_CHARS)) {
        // The folder of a longer name would not fit its field, nor the string tables beside it.
        if (bWide)
            TraceLogW(L"LoadIniFileW - File name too long\n");
        else
            TraceLog("LoadIniFileA - File name too long\n");
        LoadStrings();
        return;
    }

    IniEncoding encoding = bWide ? ProbeEncodingW(pwszFileName) : ProbeEncodingA(pszFileName);
    if (encoding == IniEncoding::UTF16BE) {
        // Installation files are 8-bit or little-endian UTF-16; swapped text would be read as
        // garbage whose lines and keys are anybody's guess.
        if (bWide)
            TraceLogW(L"IsIniUnicodeW - UTF-16 big-endian file refused - [%s]\n", pwszFileName);
        else
            TraceLog("IsIniUnicodeA - UTF-16 big-endian file refused - [%s]\n", pszFileName);
    } else {
        m_bUnicode = encoding == IniEncoding::UTF16LE ? 1 : 0;
        if (bWide)
            LoadIniFileW(pwszFileName);
        else
            LoadIniFileA(pszFileName);
        if (m_bUnicode)
            ReadIniFileW();
        else
            ReadIniFileA();
    }

    if (bWide) {
        SplitPath<wchar_t>(pwszFileName, m_wszFolder, INI_NAME_CHARS, nullptr, 0, nullptr);
        if (!m_wszFolder[0])
            lstrcpyW(m_wszFolder, L".");
        DWORD n = GetFullPathNameW(pwszFileName, INI_NAME_CHARS, m_wszFullPath, nullptr);
        if (n == 0 || n >= DWORD(INI_NAME_CHARS))
            CopyCell(m_wszFullPath, pwszFileName);
    } else {
        SplitPath<char>(pszFileName, m_szFolder, INI_NAME_CHARS, nullptr, 0, LeadBytes());
        if (!m_szFolder[0])
            lstrcpyA(m_szFolder, ".");
        DWORD n = GetFullPathNameA(pszFileName, INI_NAME_CHARS, m_szFullPath, nullptr);
        if (n == 0 || n >= DWORD(INI_NAME_CHARS))
            CopyCell(m_szFullPath, pszFileName);
    }
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

IniEncoding INIFILE::ProbeEncodingA(const char* pszFileName)
{
    TraceLog("IsIniUnicodeA\n");
    AutoFile file(CreateFileA(pszFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        TraceLog("IsIniUnicodeA - File Open failed - %ld, [%s]\n", GetLastError(), pszFileName);
        return IniEncoding::ANSI;
    }
    return ReadEncodingMark(file.Get());
}

IniEncoding INIFILE::ProbeEncodingW(const wchar_t* pwszFileName)
{
    TraceLogW(L"IsIniUnicodeW\n");
    AutoFile file(CreateFileW(pwszFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        TraceLogW(L"IsIniUnicodeW - File Open failed - %ld, [%s]\n", GetLastError(), pwszFileName);
        return IniEncoding::ANSI;
    }
    return ReadEncodingMark(file.Get());
}

bool INIFILE::IsIniUnicodeA(const char* pszFileName)
{
    return ProbeEncodingA(pszFileName) == IniEncoding::UTF16LE;
}

bool INIFILE::IsIniUnicodeW(const wchar_t* pwszFileName)
{
    return ProbeEncodingW(pwszFileName) == IniEncoding::UTF16LE;
}

void INIFILE::LoadIniFileA(const char* pszFileName)
{
    FreeIniBuffer();
    m_hFile = CreateFileA(pszFileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE) {
        TraceLog("LoadIniFileA - File Open failed - %ld\n", GetLastError());
        return;
    }
    DWORD dwHigh = 0;
    m_dwFileSize = GetFileSize(m_hFile, &dwHigh);
    const char* pszRefusal = nullptr;
    if (m_dwFileSize == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        pszRefusal = "LoadIniFileA - File size is too small\n";
    else if (dwHigh != 0 || m_dwFileSize > INI_MAX_FILE_SIZE)
        pszRefusal = "LoadIniFileA - File size is too large\n";
    else if (m_dwFileSize < INI_MIN_FILE_SIZE)
        pszRefusal = "LoadIniFileA - File size is too small\n";
    else {
        m_pBuffer.reset(new (std::nothrow) BYTE[m_dwFileSize + 4]);
        if (!m_pBuffer)
            pszRefusal = "LoadIniFileA - Memory allocation error.\n";
    }
    if (pszRefusal) {
        TraceLog(pszRefusal);
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
        m_dwFileSize = 0;
    }
}

void INIFILE::LoadIniFileW(const wchar_t* pwszFileName)
{
    FreeIniBuffer();
    m_hFile = CreateFileW(pwszFileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE) {
        TraceLogW(L"LoadIniFileW - File Open failed - %ld, [%s]\n", GetLastError(), pwszFileName);
        return;
    }
    DWORD dwHigh = 0;
    m_dwFileSize = GetFileSize(m_hFile, &dwHigh);
    const wchar_t* pwszRefusal = nullptr;
    if (m_dwFileSize == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        pwszRefusal = L"LoadIniFileW - File size is too small\n";
    else if (dwHigh != 0 || m_dwFileSize > INI_MAX_FILE_SIZE)
        pwszRefusal = L"LoadIniFileW - File size is too large\n";
    else if (m_dwFileSize < INI_MIN_FILE_SIZE)
        pwszRefusal = L"LoadIniFileW - File size is too small\n";
    else {
        m_pBuffer.reset(new (std::nothrow) BYTE[m_dwFileSize + 4]);
        if (!m_pBuffer)
            pwszRefusal = L"LoadIniFileW - Memory allocation error.\n";
    }
    if (pwszRefusal) {
        TraceLogW(pwszRefusal);
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
        m_dwFileSize = 0;
    }
}

bool INIFILE::ReadIniFileA()
{
    if (m_hFile == INVALID_HANDLE_VALUE || !m_pBuffer)
        return false;
    DWORD cbRead = 0;
    if (!ReadFile(m_hFile, m_pBuffer.get(), m_dwFileSize, &cbRead, nullptr))
        cbRead = 0;
    CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    if (cbRead == 0)
        return false;
    m_pText = m_pBuffer.get();
    m_nTextLength = int(cbRead);
    m_absentA.clear();
    m_absentW.clear();
    return true;
}

bool INIFILE::ReadIniFileW()
{
    if (m_hFile == INVALID_HANDLE_VALUE || !m_pBuffer)
        return false;
    DWORD cbRead = 0;
    if (!ReadFile(m_hFile, m_pBuffer.get(), m_dwFileSize, &cbRead, nullptr))
        cbRead = 0;
    CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    // The text is decoded into units of its own rather than read in place, so it is the same
    // whatever the buffer's alignment; an odd last byte is no character.
    size_t nUnits = cbRead / 2;
    if (nUnits == 0)
        return false;
    m_pWideText.reset(new (std::nothrow) wchar_t[nUnits + 1]);
    if (!m_pWideText) {
        TraceLogW(L"LoadIniFileW - Memory allocation error.\n");
        return false;
    }
    DecodeUtf16Le(m_pBuffer.get(), cbRead, m_pWideText.get());
    m_pWideText[nUnits] = L'\0';
    // The byte order mark is no character of the first line: a section header there (as an
    // editor saves it) must be seen as one.
    size_t nSkip = m_pWideText[0] == 0xFEFF ? 1 : 0;
    m_pText = m_pWideText.get() + nSkip;
    m_nTextLength = int(nUnits - nSkip);
    m_absentA.clear();
    m_absentW.clear();
    return true;
}

void INIFILE::FreeIniBuffer()
{
    if (m_hFile != INVALID_HANDLE_VALUE) {
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
    m_pBuffer.reset();
    m_pWideText.reset();
    m_pText = nullptr;
    m_nTextLength = 0;
    m_dwCursor = 0;
}

bool INIFILE::GetLineA(char* pszLine, DWORD cchLine)
{
    if (m_bUnicode || !m_pText || !pszLine || cchLine == 0)
        return false;
    IniLineReader<char> reader(static_cast<const char*>(m_pText), size_t(m_nTextLength));
    reader.nCursor = m_dwCursor;
    bool bCut = false;
    bool bRead = reader.Next(pszLine, cchLine, &bCut);
    m_dwCursor = DWORD(reader.nCursor);
    return bRead && !bCut;
}

bool INIFILE::GetLineW(wchar_t* pwszLine, DWORD cchLine)
{
    if (!m_bUnicode || !m_pText || !pwszLine || cchLine == 0)
        return false;
    IniLineReader<wchar_t> reader(static_cast<const wchar_t*>(m_pText), size_t(m_nTextLength));
    reader.nCursor = m_dwCursor;
    bool bCut = false;
    bool bRead = reader.Next(pwszLine, cchLine, &bCut);
    m_dwCursor = DWORD(reader.nCursor);
    return bRead && !bCut;
}

// ---- raw lookups -------------------------------------------------------------------------

bool INIFILE::FindA(const char* pszSection, const char* pszKey, DWORD dwLine, char* pszResult)
{
    m_dwCursor = 0;
    if (m_bUnicode || !m_pText || m_nTextLength < 1)
        return false;
    if (m_absentA.count(pszSection))
        return false;
    bool bSectionSeen = false;
    IniQuery<char> query = {pszSection, pszKey, dwLine, LeadBytes(), &INIFILE::ExpandLineA, this, &bSectionSeen};
    bool bFound = IniFindValue(static_cast<const char*>(m_pText), size_t(m_nTextLength), query, pszResult);
    m_dwCursor = DWORD(m_nTextLength);
    if (!bSectionSeen)
        m_absentA.insert(pszSection);
    return bFound;
}

bool INIFILE::FindW(const wchar_t* pwszSection, const wchar_t* pwszKey, DWORD dwLine, wchar_t* pwszResult)
{
    m_dwCursor = 0;
    if (!m_bUnicode || !m_pText || m_nTextLength < 1)
        return false;
    if (m_absentW.count(pwszSection))
        return false;
    bool bSectionSeen = false;
    IniQuery<wchar_t> query = {pwszSection, pwszKey, dwLine, nullptr, &INIFILE::ExpandLineW, this, &bSectionSeen};
    bool bFound = IniFindValue(static_cast<const wchar_t*>(m_pText), size_t(m_nTextLength), query, pwszResult);
    m_dwCursor = DWORD(m_nTextLength);
    if (!bSectionSeen)
        m_absentW.insert(pwszSection);
    return bFound;
}

bool INIFILE::GetValueA(const char* pszSection, const char* pszKey, DWORD dwLine, char* pszResult, DWORD cchResult)
{
    char szResult[INI_LINE_CHARS];
    return FindA(pszSection, pszKey, dwLine, szResult) && CopyOut(pszResult, cchResult, szResult);
}

bool INIFILE::GetValueW(const wchar_t* pwszSection, const wchar_t* pwszKey, DWORD dwLine, wchar_t* pwszResult,
                        DWORD cchResult)
{
    wchar_t wszResult[INI_LINE_CHARS];
    return FindW(pwszSection, pwszKey, dwLine, wszResult) && CopyOut(pwszResult, cchResult, wszResult);
}

// ---- variables ---------------------------------------------------------------------------

bool INIFILE::ExpandLineA(void* pContext, char* pszLine, size_t cchLine)
{
    const INIFILE* pThis = static_cast<const INIFILE*>(pContext);
    if (pThis->m_nVarCount == 0 || !strchr(pszLine, '%'))
        return true;
    UINT uValuePage = pThis->CodePageOfLanguage(0);
    for (int i = 0; i < pThis->m_nVarCount; ++i) {
        const StringVar& var = pThis->m_pVars[i];
        wchar_t wszPattern[INI_VAR_NAME_CHARS + 2];
        // Room for any code page: up to three bytes per UTF-16 unit in UTF-8, two in the
        // double-byte pages (a value of 255 Japanese characters takes 510 bytes).
        char szPattern[3 * (INI_VAR_NAME_CHARS + 2)];
        char szValue[3 * INI_VAR_VALUE_CHARS];
        if (!IniMakePattern(wszPattern, INI_VAR_NAME_CHARS + 2, var.wszName) ||
            !pThis->m_Env.WideToAnsi(szPattern, wszPattern) ||
            !pThis->m_Env.WideToAnsi(szValue, var.wszValue, uValuePage))
            continue;
        bool bOverflow = false;
        ReplaceAll(pszLine, cchLine, szPattern, szValue, &bOverflow);
        if (bOverflow)
            return false;
    }
    return true;
}

bool INIFILE::ExpandLineW(void* pContext, wchar_t* pwszLine, size_t cchLine)
{
    const INIFILE* pThis = static_cast<const INIFILE*>(pContext);
    if (pThis->m_nVarCount == 0 || !wcschr(pwszLine, L'%'))
        return true;
    for (int i = 0; i < pThis->m_nVarCount; ++i) {
        const StringVar& var = pThis->m_pVars[i];
        wchar_t wszPattern[INI_VAR_NAME_CHARS + 2];
        if (!IniMakePattern(wszPattern, INI_VAR_NAME_CHARS + 2, var.wszName))
            continue;
        bool bOverflow = false;
        ReplaceAll(pwszLine, cchLine, wszPattern, var.wszValue, &bOverflow);
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
    switch (dwLanguage & 0xFF) {
    case 8: return 1253;
    case 17: return 932;
    case 18: return 949;
    case 25: return 1251;
    case 192: return 936;
    case 193: return 950;
    default: return 1252;
    }
}
