// INIFILE: the variable table, filled from the string-table files listed in "StringTable" and
// from the document's own "Strings" section.
#include <memory>
#include <new>

#include "core/cells.h"
#include "core/trace.h"
#include "installer/ini_file.h"

namespace {

template <class T, size_t N>
bool JoinPath(T (&szOut)[N], const T* pszFolder, const T* pszName)
{
    size_t nFolder = 0, nName = 0;
    while (pszFolder[nFolder])
        ++nFolder;
    while (pszName[nName])
        ++nName;
    if (nFolder + 1 + nName >= N)
        return false;
    memcpy(szOut, pszFolder, nFolder * sizeof(T));
    szOut[nFolder] = T('\\');
    memcpy(szOut + nFolder + 1, pszName, (nName + 1) * sizeof(T));
    return true;
}

}  // namespace

bool INIFILE::GetListItemA(const char* pszSection, DWORD dwLine, DWORD dwItem, char* pszResult, DWORD cchResult)
{
    if (!pszResult || cchResult == 0)
        return false;
    pszResult[0] = '\0';
    char szLine[INI_LINE_CHARS];
    if (!GetDecoratedLineA(pszSection, dwLine, szLine, INI_LINE_CHARS, 0))
        return false;
    return IniListItem(szLine, dwItem, pszResult, cchResult);
}

int INIFILE::ChainDepth() const
{
    int nDepth = 0;
    for (const INIFILE* p = m_pParent; p; p = p->m_pParent)
        ++nDepth;
    return nDepth;
}

bool INIFILE::TakeTableFile() const
{
    const INIFILE* pTop = this;
    while (pTop->m_pParent)
        pTop = pTop->m_pParent;
    if (pTop->m_nTableFiles >= INI_MAX_TABLE_FILES)
        return false;
    ++pTop->m_nTableFiles;
    return true;
}

bool INIFILE::IsOpenInChain(const char* pszFullPath, const wchar_t* pwszFullPath) const
{
    for (const INIFILE* p = this; p; p = p->m_pParent) {
        if (pszFullPath && p->m_szFullPath[0] && lstrcmpiA(p->m_szFullPath, pszFullPath) == 0)
            return true;
        if (pwszFullPath && p->m_wszFullPath[0] && lstrcmpiW(p->m_wszFullPath, pwszFullPath) == 0)
            return true;
    }
    return false;
}

void INIFILE::LoadStringTable(const char* pszFileName, const wchar_t* pwszFileName)
{
    std::unique_ptr<INIFILE> pTable;
    if (m_szFolder[0]) {
        char szName[INI_NAME_CHARS];
        char szPath[INI_NAME_CHARS];
        char szFull[INI_NAME_CHARS];
        if (pwszFileName ? !m_Env.WideToAnsi(szName, pwszFileName) : !CopyCell(szName, pszFileName)) {
            TraceLog("LoadStrings - String table path too long - [%s]\n", szName);
            return;
        }
        if (!JoinPath(szPath, m_szFolder, szName)) {
            TraceLog("LoadStrings - String table path too long - [%s]\n", szName);
            return;
        }
        DWORD n = GetFullPathNameA(szPath, INI_NAME_CHARS, szFull, nullptr);
        if (n == 0 || n >= DWORD(INI_NAME_CHARS))
            CopyCell(szFull, szPath);
        // A table that lists itself, directly or through others, is already being loaded
        // further up this chain: following it again would never end.
        if (IsOpenInChain(szFull, nullptr)) {
            TraceLog("LoadStrings - String table already loading, skipped - [%s]\n", szPath);
            return;
        }
        if (ChainDepth() + 1 > INI_MAX_TABLE_DEPTH) {
            TraceLog("LoadStrings - String tables nested too deep, skipped - [%s]\n", szPath);
            return;
        }
        if (!TakeTableFile()) {
            TraceLog("LoadStrings - Too many string tables, skipped - [%s]\n", szPath);
            return;
        }
        pTable.reset(new (std::nothrow) INIFILE(szPath, m_dwLanguage, this));
    } else {
        wchar_t wszName[INI_NAME_CHARS];
        wchar_t wszPath[INI_NAME_CHARS];
        wchar_t wszFull[INI_NAME_CHARS];
        if (pwszFileName ? !CopyCell(wszName, pwszFileName) : !m_Env.AnsiToWide(wszName, pszFileName)) {
            TraceLogW(L"LoadStrings - String table path too long - [%s]\n", wszName);
            return;
        }
        if (!JoinPath(wszPath, m_wszFolder, wszName)) {
            TraceLogW(L"LoadStrings - String table path too long - [%s]\n", wszName);
            return;
        }
        DWORD n = GetFullPathNameW(wszPath, INI_NAME_CHARS, wszFull, nullptr);
        if (n == 0 || n >= DWORD(INI_NAME_CHARS))
            CopyCell(wszFull, wszPath);
        if (IsOpenInChain(nullptr, wszFull)) {
            TraceLogW(L"LoadStrings - String table already loading, skipped - [%s]\n", wszPath);
            return;
        }
        if (ChainDepth() + 1 > INI_MAX_TABLE_DEPTH) {
            TraceLogW(L"LoadStrings - String tables nested too deep, skipped - [%s]\n", wszPath);
            return;
        }
        if (!TakeTableFile()) {
            TraceLogW(L"LoadStrings - Too many string tables, skipped - [%s]\n", wszPath);
            return;
        }
        pTable.reset(new (std::nothrow) INIFILE(wszPath, m_dwLanguage, this));
    }
    if (!pTable)
        return;
    for (int i = 0; i < pTable->m_nVarCount; ++i) {
        const StringVar& var = pTable->m_pVars[i];
        if (!AppendVariable(var.wszName, var.wszValue)) {
            TraceLogW(L"LoadStrings - Variable table full, [%s] dropped\n", var.wszName);
            break;
        }
    }
}

int INIFILE::LoadStrings()
{
    TraceLog("LoadStrings --- [%04x]\n", m_dwLanguage);

    // A UTF-16 document hands its file names on as UTF-16: a round trip through the 8-bit
    // text of the document's language could lose a character of the name.
    if (m_bUnicode) {
        wchar_t wszLine[INI_LINE_CHARS];
        wchar_t wszItem[INI_LINE_CHARS];
        for (DWORD i = 0; GetDecoratedLineW(L"StringTable", i, wszLine, INI_LINE_CHARS, 0); ++i) {
            if (!IniListItem(wszLine, 0, wszItem, INI_LINE_CHARS) ||
                !EqualsAsciiNoCase<wchar_t>(wszItem, L"LoadString", nullptr))
                continue;
            if (IniListItem(wszLine, 1, wszItem, INI_LINE_CHARS))
                LoadStringTable(nullptr, wszItem);
        }
    } else {
        char szLine[INI_LINE_CHARS];
        char szItem[INI_LINE_CHARS];
        for (DWORD i = 0; GetDecoratedLineA("StringTable", i, szLine, INI_LINE_CHARS, 0); ++i) {
            if (!IniListItem(szLine, 0, szItem, INI_LINE_CHARS) ||
                !EqualsAsciiNoCase<char>(szItem, "LoadString", nullptr))
                continue;
            if (IniListItem(szLine, 1, szItem, INI_LINE_CHARS))
                LoadStringTable(szItem, nullptr);
        }
    }

    wchar_t wszLine[INI_LINE_CHARS];
    for (DWORD j = 0; GetDecoratedLineW(L"Strings", j, wszLine, INI_LINE_CHARS, 0); ++j) {
        TraceLogW(L"*** [%d, %s]\n", int(j), wszLine);
        StringVar var;
        if (!IniParseStringsLine(wszLine, var.wszName, INI_VAR_NAME_CHARS, var.wszValue, INI_VAR_VALUE_CHARS))
            continue;
        if (!AppendVariable(var.wszName, var.wszValue)) {
            TraceLogW(L"LoadStrings - Variable table full, [%s] dropped\n", var.wszName);
            break;
        }
        TraceLogW(L"STR [%s, %s]\n", var.wszName, var.wszValue);
    }
    return 0;
}
