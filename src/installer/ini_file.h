// An installation file in memory: "LmProfInst.ini" or one of the string-table files it lists,
// 8-bit text in a Windows code page or UTF-16 little-endian text. The file is read whole when
// the document is constructed; lookups by section and key or by line answer from that buffer,
// with %name% variables expanded, first through the section names decorated for the running
// Windows version, processor and language. The document never writes its file.
#pragma once
#include <windows.h>

#include <memory>
#include <set>
#include <string>

#include "codec/ini_text.h"
#include "core/sysenv.h"

constexpr DWORD INI_LINE_NONE = INI_NO_LINE;   // line index "none": a lookup by key
constexpr DWORD INI_MIN_FILE_SIZE = 30;
// Installation files are small descriptions; a larger file is refused rather than trusted
// with an allocation of its size.
constexpr DWORD INI_MAX_FILE_SIZE = 16 * 1024 * 1024;
constexpr int INI_MAX_VARIABLES = 127;
constexpr int INI_VAR_NAME_CHARS = 32;    // 31 characters and a terminator
constexpr int INI_VAR_VALUE_CHARS = 256;  // 255 characters and a terminator
constexpr int INI_NAME_CHARS = 260;       // file, folder and section names, terminator included
// String tables listed through other string tables: deeper chains are not followed, so a chain
// of distinct files can exhaust neither the stack nor the memory.
constexpr int INI_MAX_TABLE_DEPTH = 8;
// String-table files loaded for one document, its chain included: files that list the same
// table many times over at every level would otherwise multiply the loads beyond any wait.
constexpr int INI_MAX_TABLE_FILES = 64;

// One %name% variable; names and values are UTF-16 whatever the file's encoding.
struct StringVar {
    wchar_t wszName[INI_VAR_NAME_CHARS];
    wchar_t wszValue[INI_VAR_VALUE_CHARS];
};

// Native processor architecture as the decorated lookups see it.
constexpr int INI_ARCH_X86 = 0;
constexpr int INI_ARCH_X64 = 1;
constexpr int INI_ARCH_IA64 = 2;
// Makes GetNativeArchitecture answer nArch (0, 1 or 2) instead of asking the system; -1 asks
// again. The test bed runs on one processor only and drives the other branches this way.
void OverrideNativeArchitecture(int nArch);

class INIFILE {
public:
    // dwLanguage: the language identifier of the document's own lookups and expansion; 0 = none.
    INIFILE(const char* pszFileName, DWORD dwLanguage);
    INIFILE(const wchar_t* pwszFileName, DWORD dwLanguage);
    ~INIFILE();
    INIFILE(const INIFILE&) = delete;
    INIFILE& operator=(const INIFILE&) = delete;

    // ---- raw lookups ----
    // Key mode when pKey is given and dwLine is INI_LINE_NONE, else index mode (the dwLine-th
    // counted line of the section, whole and untrimmed). True when found; the result then
    // holds the value or the line, terminated. A missing section, key or line, and a result
    // that does not fit cchResult (terminator included), answer false and leave the result
    // buffer as it was. GetValueA answers only for an 8-bit document, GetValueW only for a
    // UTF-16 one; the decorated lookups below serve both.
    bool GetValueA(const char* pszSection, const char* pszKey, DWORD dwLine, char* pszResult, DWORD cchResult);
    bool GetValueW(const wchar_t* pwszSection, const wchar_t* pwszKey, DWORD dwLine, wchar_t* pwszResult,
                   DWORD cchResult);

    // Code page of the 8-bit text of a language (0 = the document's language).
    UINT CodePageOfLanguage(DWORD dwLanguage) const;

    // ---- decorated lookups ----
    // Try the section names decorated for the Windows version, the processor and the language
    // (dwLanguage 0 = the document's), most specific first, and end at the first that answers.
    // Results as for the raw lookups; a decorated name that would not fit 260 characters is
    // taken as a section that is not there.
    bool GetDecoratedValueW(const wchar_t* pwszSection, const wchar_t* pwszKey, wchar_t* pwszResult, DWORD cchResult,
                            DWORD dwLanguage);
    bool GetDecoratedLineW(const wchar_t* pwszSection, DWORD dwLine, wchar_t* pwszResult, DWORD cchResult,
                           DWORD dwLanguage);
    bool GetDecoratedLineA(const char* pszSection, DWORD dwLine, char* pszResult, DWORD cchResult, DWORD dwLanguage);
    template <size_t N>
    bool GetDecoratedValueW(const wchar_t* pwszSection, const wchar_t* pwszKey, wchar_t (&wszResult)[N],
                            DWORD dwLanguage)
    {
        return GetDecoratedValueW(pwszSection, pwszKey, wszResult, DWORD(N), dwLanguage);
    }
    // The three layers, each trying its candidates through the next.
    bool GetValueByOsA(const char* pszSection, const char* pszKey, DWORD dwLine, char* pszResult, DWORD cchResult,
                       DWORD dwLanguage);
    bool GetValueByOsW(const wchar_t* pwszSection, const wchar_t* pwszKey, DWORD dwLine, wchar_t* pwszResult,
                       DWORD cchResult, DWORD dwLanguage);
    bool GetValueByPlatformA(const char* pszSection, const char* pszKey, DWORD dwLine, char* pszResult,
                             DWORD cchResult, DWORD dwLanguage);
    bool GetValueByPlatformW(const wchar_t* pwszSection, const wchar_t* pwszKey, DWORD dwLine, wchar_t* pwszResult,
                             DWORD cchResult, DWORD dwLanguage);
    bool GetValueByLanguageA(const char* pszSection, const char* pszKey, DWORD dwLine, char* pszResult,
                             DWORD cchResult, DWORD dwLanguage);
    bool GetValueByLanguageW(const wchar_t* pwszSection, const wchar_t* pwszKey, DWORD dwLine, wchar_t* pwszResult,
                             DWORD cchResult, DWORD dwLanguage);
    // INI_ARCH_X86, INI_ARCH_X64 or INI_ARCH_IA64, asked anew on every call.
    static int GetNativeArchitecture();

    // ---- string tables ----
    // Fills the variable table from the string-table files of "StringTable" and the lines of
    // "Strings"; the constructors call it last. Answers 0.
    int LoadStrings();
    // Item dwItem of line dwLine of a comma-list section (decorated lookup, the document's
    // language); false, with an empty result, when the line or the item is missing.
    bool GetListItemA(const char* pszSection, DWORD dwLine, DWORD dwItem, char* pszResult, DWORD cchResult);

    // ---- loading, kept public as the document's building blocks ----
    bool IsIniUnicodeA(const char* pszFileName);
    bool IsIniUnicodeW(const wchar_t* pwszFileName);
    // Reads the whole file into the document as the encoding test found it (IsUnicode); true
    // when text arrived. The file is open only for the length of the call.
    bool LoadIniFileA(const char* pszFileName);
    bool LoadIniFileW(const wchar_t* pwszFileName);
    void FreeIniBuffer();
    // The next line at the cursor, bounded by cchLine (terminator included); the cursor moves
    // past the whole line. False at the end of the text or when the line was cut.
    bool GetLineA(char* pszLine, DWORD cchLine);
    bool GetLineW(wchar_t* pwszLine, DWORD cchLine);

    // ---- what the document holds ----
    bool IsUnicode() const { return m_bUnicode != 0; }
    int TextLength() const { return m_nTextLength; }
    DWORD Language() const { return m_dwLanguage; }
    BYTE IsWin9x() const { return m_bWin9x; }
    const SYSENV& Env() const { return m_Env; }
    int VariableCount() const { return m_nVarCount; }
    const StringVar* Variable(int nIndex) const;
    const char* FolderA() const { return m_szFolder; }
    const wchar_t* FolderW() const { return m_wszFolder; }

private:
    // A document of a string table listed by pParent: it knows the chain it was listed
    // through, so a file that lists itself is not loaded again.
    INIFILE(const char* pszFileName, DWORD dwLanguage, const INIFILE* pParent);
    INIFILE(const wchar_t* pwszFileName, DWORD dwLanguage, const INIFILE* pParent);
    // The bodies over both widths of a file name; the 8-bit one calls only ANSI functions.
    template <class T>
    void Build(const T* pFileName);
    template <class T>
    IniEncoding ProbeEncoding(const T* pFileName);
    template <class T>
    bool LoadIniFile(const T* pFileName);
    // Reads cbFile bytes of the open file into the buffer and makes them the text.
    bool ReadIniFile(HANDLE hFile, DWORD cbFile);
    void Clear();
    // The folder and the full path fields of a width.
    char* FolderOf(const char*) { return m_szFolder; }
    wchar_t* FolderOf(const wchar_t*) { return m_wszFolder; }
    char* FullPathOf(const char*) { return m_szFullPath; }
    wchar_t* FullPathOf(const wchar_t*) { return m_wszFullPath; }
    const char* FullPathOf(const char*) const { return m_szFullPath; }
    const wchar_t* FullPathOf(const wchar_t*) const { return m_wszFullPath; }
    template <class T>
    bool IsOpenInChain(const T* pFullPath) const;
    int ChainDepth() const;
    // Counts one more string-table file against the budget of the whole chain; false when spent.
    bool TakeTableFile() const;
    bool AppendVariable(const wchar_t* pwszName, const wchar_t* pwszValue);
    // Loads the string table pName (either width) listed by this document, from its folder of
    // width T, and appends its variables.
    template <class T, class N>
    void LoadStringTable(const T* pFolder, const N* pName);
    template <class T>
    void LoadStringTables(const T* pSection);
    const IniLeadBytes* LeadBytes() const;

    // Variable expansion of one line, for the raw lookups.
    template <class T>
    static bool ExpandLine(void* pContext, T* pLine, size_t cchLine);

    // The layers on an INI_LINE_CHARS result buffer; the public operations copy out through
    // ByLayer.
    template <class T>
    using Layer = bool (INIFILE::*)(const T*, const T*, DWORD, T*, DWORD);
    template <class T>
    bool ByLayer(Layer<T> pfnLayer, const T* pSection, const T* pKey, DWORD dwLine, T* pResult, DWORD cchResult,
                 DWORD dwLanguage);
    template <class T>
    bool ByOs(const T* pSection, const T* pKey, DWORD dwLine, T* pResult, DWORD dwLanguage);
    template <class T>
    bool ByPlatform(const T* pSection, const T* pKey, DWORD dwLine, T* pResult, DWORD dwLanguage);
    template <class T>
    bool ByLanguage(const T* pSection, const T* pKey, DWORD dwLine, T* pResult, DWORD dwLanguage);
    // The language candidates of a section in the document's own width.
    template <class T>
    bool ByLanguageSuffix(const T* pSection, const T* pKey, DWORD dwLine, T* pResult, const char (*pszSuffixes)[16],
                          int nSuffixes);
    // The raw lookup in the caller's width T; false when T is not the document's width.
    template <class T>
    bool Find(const T* pSection, const T* pKey, DWORD dwLine, T* pResult);
    // The raw lookups and line reads with a result room; the A and W operations call these.
    template <class T>
    bool GetValue(const T* pSection, const T* pKey, DWORD dwLine, T* pResult, DWORD cchResult);
    template <class T>
    bool GetLine(T* pLine, DWORD cchLine);

    int m_nTextLength;
    const void* m_pText;
    DWORD m_dwCursor;
    std::unique_ptr<BYTE[]> m_pBuffer;       // file size + 4 bytes, as read
    std::unique_ptr<wchar_t[]> m_pWideText;  // the UTF-16 text decoded from the buffer
    BYTE m_bUnicode;
    SYSENV m_Env;
    BYTE m_bWin9x;
    DWORD m_dwLanguage;
    std::unique_ptr<StringVar[]> m_pVars;    // INI_MAX_VARIABLES entries
    int m_nVarCount;
    char m_szFolder[INI_NAME_CHARS];
    wchar_t m_wszFolder[INI_NAME_CHARS];

    IniLeadBytes m_Lead;                     // lead bytes of the probe's code page
    bool m_bDoubleByte;
    char m_szFullPath[INI_NAME_CHARS];       // the file as loaded, for the string-table chain
    wchar_t m_wszFullPath[INI_NAME_CHARS];
    const INIFILE* m_pParent;
    mutable int m_nTableFiles;               // loads counted at the top of the chain
    // Section names the text has no header for. A decorated lookup tries up to 36 names for one
    // value and each try reads the whole text: an installation file of many profiles would
    // otherwise be read thousands of times over for sections it does not have.
    std::set<std::string> m_absentA;
    std::set<std::wstring> m_absentW;
    template <class T>
    std::set<std::basic_string<T>>& AbsentSections();
};

template <>
inline std::set<std::string>& INIFILE::AbsentSections<char>()
{
    return m_absentA;
}
template <>
inline std::set<std::wstring>& INIFILE::AbsentSections<wchar_t>()
{
    return m_absentW;
}
