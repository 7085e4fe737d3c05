// INIFILE: the variable table, filled from the string-table files listed in "StringTable" and
// from the document's own "Strings" section.
#include <memory>
#include <new>

#include "core/cells.h"
#include "core/trace.h"
#include "installer/ini_file.h"
#include "installer/ini_names.h"

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

template <class T>
bool INIFILE::IsOpenInChain(const T* pFullPath) const
{
    for (const INIFILE* p = this; p; p = p->m_pParent) {
        const T* pOpen = p->FullPathOf(pFullPath);
        if (pOpen[0] && IniName<T>::SameFile(pOpen, pFullPath))
            return true;
    }
    return false;
}

namespace {

// A listed file name in the width of the folder it is looked for in; false when it does not fit.
bool NameInWidth(const SYSENV&, char (&szOut)[INI_NAME_CHARS], const char* pszName)
{
    return CopyCell(szOut, pszName);
}

bool NameInWidth(const SYSENV& env, char (&szOut)[INI_NAME_CHARS], const wchar_t* pwszName)
{
    return env.WideToAnsi(szOut, pwszName);
}

bool NameInWidth(const SYSENV& env, wchar_t (&wszOut)[INI_NAME_CHARS], const char* pszName)
{
    return env.AnsiToWide(wszOut, pszName);
}

bool NameInWidth(const SYSENV&, wchar_t (&wszOut)[INI_NAME_CHARS], const wchar_t* pwszName)
{
    return CopyCell(wszOut, pwszName);
}

}  // namespace

template <class T, class N>
void INIFILE::LoadStringTable(const T* pFolder, const N* pFileName)
{
    using Name = IniName<T>;
    T name[INI_NAME_CHARS];
    T path[INI_NAME_CHARS];
    T full[INI_NAME_CHARS];
    if (!NameInWidth(m_Env, name, pFileName) || !JoinPath(path, pFolder, name)) {
        Name::TraceNamed("LoadStrings - String table path too long - ", name);
        return;
    }
    DWORD n = Name::FullPath(path, full);
    if (n == 0 || n >= DWORD(INI_NAME_CHARS))
        CopyCell(full, path);
    // A table that lists itself, directly or through others, is already being loaded further up
    // this chain: following it again would never end.
    const char* pszSkipped = nullptr;
    if (IsOpenInChain<T>(full))
        pszSkipped = "LoadStrings - String table already loading, skipped - ";
    else if (ChainDepth() + 1 > INI_MAX_TABLE_DEPTH)
        pszSkipped = "LoadStrings - String tables nested too deep, skipped - ";
    else if (!TakeTableFile())
        pszSkipped = "LoadStrings - Too many string tables, skipped - ";
    if (pszSkipped) {
        Name::TraceNamed(pszSkipped, path);
        return;
    }
    std::unique_ptr<INIFILE> pTable(new (std::nothrow) INIFILE(path, m_dwLanguage, this));
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

// The "LoadString" lines of section "StringTable", read in the document's own width T: a UTF-16
// document hands its file names on as UTF-16, since a round trip through the 8-bit text of the
// document's language could lose a character of the name.
template <class T>
void INIFILE::LoadStringTables(const T* pSection)
{
    static const T LOAD_STRING[] = {'L', 'o', 'a', 'd', 'S', 't', 'r', 'i', 'n', 'g', 0};
    T line[INI_LINE_CHARS];
    T item[INI_LINE_CHARS];
    for (DWORD i = 0; ByLayer(&INIFILE::ByOs<T>, pSection, static_cast<const T*>(nullptr), i, line, INI_LINE_CHARS, 0);
         ++i) {
        if (!IniListItem(line, 0, item, INI_LINE_CHARS) || !EqualsAsciiNoCase<T>(item, LOAD_STRING, nullptr) ||
            !IniListItem(line, 1, item, INI_LINE_CHARS))
            continue;
        // The table is looked for in the folder of the width the document was named in.
        if (m_szFolder[0])
            LoadStringTable(m_szFolder, item);
        else
            LoadStringTable(m_wszFolder, item);
    }
}

int INIFILE::LoadStrings()
{
    TraceLog("LoadStrings --- [%04x]\n", m_dwLanguage);

    if (m_bUnicode)
        LoadStringTables(L"StringTable");
    else
        LoadStringTables("StringTable");

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
