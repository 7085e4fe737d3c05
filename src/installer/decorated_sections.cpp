// INIFILE: lookups through section names decorated for the Windows version, the processor
// and the language ("Strings.nt6.x64amd.0411" ... "Strings").
#include "core/conversions.h"
#include "installer/ini_file.h"

namespace {

int g_nArchOverride = -1;

template <class T>
size_t Length(const T* p)
{
    size_t n = 0;
    while (p[n])
        ++n;
    return n;
}

// name + suffix into a 260-character cell. A decorated name that would not fit names a section
// no file can hold under that name: the candidate is taken as not there.
template <class T>
bool Decorate(T (&szOut)[INI_NAME_CHARS], const T* pszName, const char* pszSuffix)
{
    size_t nName = Length(pszName);
    size_t nSuffix = strlen(pszSuffix);
    if (nName + nSuffix >= size_t(INI_NAME_CHARS))
        return false;
    memcpy(szOut, pszName, nName * sizeof(T));
    // The suffixes are ASCII, the same in every code page and in UTF-16.
    for (size_t i = 0; i <= nSuffix; ++i)
        szOut[nName + i] = T(static_cast<unsigned char>(pszSuffix[i]));
    return true;
}

template <class T>
bool CopyOut(T* pDest, DWORD cchDest, const T* pSource)
{
    size_t n = Length(pSource);
    if (!pDest || n >= cchDest)
        return false;
    memcpy(pDest, pSource, (n + 1) * sizeof(T));
    return true;
}

// The language suffixes: the full identifier, then its primary language; none without one.
int LanguageSuffixes(DWORD dwLanguage, char (&szSuffixes)[2][16])
{
    if (dwLanguage == 0)
        return 0;
    wsprintfA(szSuffixes[0], ".%04lx", dwLanguage);
    wsprintfA(szSuffixes[1], ".%04lx", dwLanguage & 0xFF);
    return 2;
}

}  // namespace

void OverrideNativeArchitecture(int nArch)
{
    g_nArchOverride = nArch;
}

int INIFILE::GetNativeArchitecture()
{
    if (g_nArchOverride >= 0)
        return g_nArchOverride;
    typedef void(WINAPI * GetNativeSystemInfoFn)(LPSYSTEM_INFO);
    HMODULE hKernel = GetModuleHandleA("kernel32");
    // Windows 9x, NT 4.0 and 2000 lack the call; they run on x86 only.
    auto pfn = hKernel ? reinterpret_cast<GetNativeSystemInfoFn>(
                             reinterpret_cast<void*>(GetProcAddress(hKernel, "GetNativeSystemInfo")))
                       : nullptr;
    if (!pfn)
        return INI_ARCH_X86;
    SYSTEM_INFO si;
    ZeroMemory(&si, sizeof(si));
    pfn(&si);
    if (si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64)
        return INI_ARCH_X64;
    if (si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64)
        return INI_ARCH_IA64;
    return INI_ARCH_X86;
}

// ---- the layers --------------------------------------------------------------------------

template <class T>
bool INIFILE::ByOs(const T* pSection, const T* pKey, DWORD dwLine, T* pResult, DWORD dwLanguage)
{
    const char* pszSuffixes[3];
    int nSuffixes = 0;
    if (m_bWin9x) {
        pszSuffixes[nSuffixes++] = ".9x";
    } else {
        if (m_Env.OsKind >= OSKIND_VISTA)
            pszSuffixes[nSuffixes++] = ".nt6";
        pszSuffixes[nSuffixes++] = m_Env.OsKind < OSKIND_WIN2K ? ".nt4" : ".nt5";
        pszSuffixes[nSuffixes++] = ".nt";
    }
    T szName[INI_NAME_CHARS];
    for (int i = 0; i < nSuffixes; ++i) {
        if (Decorate(szName, pSection, pszSuffixes[i]) && ByPlatform(szName, pKey, dwLine, pResult, dwLanguage))
            return true;
    }
    return ByPlatform(pSection, pKey, dwLine, pResult, dwLanguage);
}

template <class T>
bool INIFILE::ByPlatform(const T* pSection, const T* pKey, DWORD dwLine, T* pResult, DWORD dwLanguage)
{
    // Windows 9x runs on x86 only and its files carry no processor suffix.
    if (m_bWin9x)
        return ByLanguage(pSection, pKey, dwLine, pResult, dwLanguage);
    static const char* const X86[] = {".x86", ".ntx86"};
    static const char* const X64[] = {".x64amd", ".ntamd64", ".x64"};
    static const char* const IA64[] = {".x64ia", ".ntia64", ".x64"};
    const char* const* ppSuffixes = X86;
    int nSuffixes = 2;
    switch (GetNativeArchitecture()) {
    case INI_ARCH_X64: ppSuffixes = X64; nSuffixes = 3; break;
    case INI_ARCH_IA64: ppSuffixes = IA64; nSuffixes = 3; break;
    default: break;
    }
    T szName[INI_NAME_CHARS];
    for (int i = 0; i < nSuffixes; ++i) {
        if (Decorate(szName, pSection, ppSuffixes[i]) && ByLanguage(szName, pKey, dwLine, pResult, dwLanguage))
            return true;
    }
    return ByLanguage(pSection, pKey, dwLine, pResult, dwLanguage);
}

bool INIFILE::ByLanguage(const char* pszSection, const char* pszKey, DWORD dwLine, char* pszResult, DWORD dwLanguage)
{
    UINT uCodePage = CodePageOfLanguage(dwLanguage);
    char szSuffixes[2][16];
    int nSuffixes = LanguageSuffixes(dwLanguage ? dwLanguage : m_dwLanguage, szSuffixes);

    if (!m_bUnicode) {
        char szName[INI_NAME_CHARS];
        for (int i = 0; i < nSuffixes; ++i) {
            if (Decorate(szName, pszSection, szSuffixes[i]) && FindA(szName, pszKey, dwLine, pszResult))
                return true;
        }
        return FindA(pszSection, pszKey, dwLine, pszResult);
    }

    wchar_t wszSection[INI_LINE_CHARS];
    wchar_t wszKey[INI_LINE_CHARS];
    if (!ConvertAnsiToWideCell(wszSection, INI_LINE_CHARS, pszSection, uCodePage))
        return false;
    if (pszKey && !ConvertAnsiToWideCell(wszKey, INI_LINE_CHARS, pszKey, uCodePage))
        return false;
    const wchar_t* pwszKey = pszKey ? wszKey : nullptr;
    wchar_t wszName[INI_NAME_CHARS];
    wchar_t wszResult[INI_LINE_CHARS];
    bool bFound = false;
    for (int i = 0; i < nSuffixes && !bFound; ++i)
        bFound = Decorate(wszName, wszSection, szSuffixes[i]) && FindW(wszName, pwszKey, dwLine, wszResult);
    if (!bFound)
        bFound = FindW(wszSection, pwszKey, dwLine, wszResult);
    // In a double-byte code page a long line can need more bytes than the line buffer holds;
    // such a value is not handed out cut.
    return bFound && ConvertWideToAnsiCell(pszResult, INI_LINE_CHARS, wszResult, uCodePage);
}

bool INIFILE::ByLanguage(const wchar_t* pwszSection, const wchar_t* pwszKey, DWORD dwLine, wchar_t* pwszResult,
                         DWORD dwLanguage)
{
    UINT uCodePage = CodePageOfLanguage(dwLanguage);
    char szSuffixes[2][16];
    int nSuffixes = LanguageSuffixes(dwLanguage ? dwLanguage : m_dwLanguage, szSuffixes);

    if (m_bUnicode) {
        wchar_t wszName[INI_NAME_CHARS];
        for (int i = 0; i < nSuffixes; ++i) {
            if (Decorate(wszName, pwszSection, szSuffixes[i]) && FindW(wszName, pwszKey, dwLine, pwszResult))
                return true;
        }
        return FindW(pwszSection, pwszKey, dwLine, pwszResult);
    }

    char szSection[INI_LINE_CHARS];
    char szKey[INI_LINE_CHARS];
    if (!ConvertWideToAnsiCell(szSection, INI_LINE_CHARS, pwszSection, uCodePage))
        return false;
    if (pwszKey && !ConvertWideToAnsiCell(szKey, INI_LINE_CHARS, pwszKey, uCodePage))
        return false;
    const char* pszKey = pwszKey ? szKey : nullptr;
    char szName[INI_NAME_CHARS];
    char szResult[INI_LINE_CHARS];
    bool bFound = false;
    for (int i = 0; i < nSuffixes && !bFound; ++i)
        bFound = Decorate(szName, szSection, szSuffixes[i]) && FindA(szName, pszKey, dwLine, szResult);
    if (!bFound)
        bFound = FindA(szSection, pszKey, dwLine, szResult);
    return bFound && ConvertAnsiToWideCell(pwszResult, INI_LINE_CHARS, szResult, uCodePage);
}

// ---- the operations ----------------------------------------------------------------------

bool INIFILE::GetValueByOsA(const char* pszSection, const char* pszKey, DWORD dwLine, char* pszResult, DWORD cchResult,
                            DWORD dwLanguage)
{
    char szResult[INI_LINE_CHARS];
    return pszSection && ByOs(pszSection, pszKey, dwLine, szResult, dwLanguage) &&
           CopyOut(pszResult, cchResult, szResult);
}

bool INIFILE::GetValueByOsW(const wchar_t* pwszSection, const wchar_t* pwszKey, DWORD dwLine, wchar_t* pwszResult,
                            DWORD cchResult, DWORD dwLanguage)
{
    wchar_t wszResult[INI_LINE_CHARS];
    return pwszSection && ByOs(pwszSection, pwszKey, dwLine, wszResult, dwLanguage) &&
           CopyOut(pwszResult, cchResult, wszResult);
}

bool INIFILE::GetValueByPlatformA(const char* pszSection, const char* pszKey, DWORD dwLine, char* pszResult,
                                  DWORD cchResult, DWORD dwLanguage)
{
    char szResult[INI_LINE_CHARS];
    return pszSection && ByPlatform(pszSection, pszKey, dwLine, szResult, dwLanguage) &&
           CopyOut(pszResult, cchResult, szResult);
}

bool INIFILE::GetValueByPlatformW(const wchar_t* pwszSection, const wchar_t* pwszKey, DWORD dwLine,
                                  wchar_t* pwszResult, DWORD cchResult, DWORD dwLanguage)
{
    wchar_t wszResult[INI_LINE_CHARS];
    return pwszSection && ByPlatform(pwszSection, pwszKey, dwLine, wszResult, dwLanguage) &&
           CopyOut(pwszResult, cchResult, wszResult);
}

bool INIFILE::GetValueByLanguageA(const char* pszSection, const char* pszKey, DWORD dwLine, char* pszResult,
                                  DWORD cchResult, DWORD dwLanguage)
{
    char szResult[INI_LINE_CHARS];
    return pszSection && ByLanguage(pszSection, pszKey, dwLine, szResult, dwLanguage) &&
           CopyOut(pszResult, cchResult, szResult);
}

bool INIFILE::GetValueByLanguageW(const wchar_t* pwszSection, const wchar_t* pwszKey, DWORD dwLine,
                                  wchar_t* pwszResult, DWORD cchResult, DWORD dwLanguage)
{
    wchar_t wszResult[INI_LINE_CHARS];
    return pwszSection && ByLanguage(pwszSection, pwszKey, dwLine, wszResult, dwLanguage) &&
           CopyOut(pwszResult, cchResult, wszResult);
}

bool INIFILE::GetDecoratedValueW(const wchar_t* pwszSection, const wchar_t* pwszKey, wchar_t* pwszResult,
                                 DWORD cchResult, DWORD dwLanguage)
{
    return GetValueByOsW(pwszSection, pwszKey, INI_LINE_NONE, pwszResult, cchResult, dwLanguage);
}

bool INIFILE::GetDecoratedLineW(const wchar_t* pwszSection, DWORD dwLine, wchar_t* pwszResult, DWORD cchResult,
                                DWORD dwLanguage)
{
    return GetValueByOsW(pwszSection, nullptr, dwLine, pwszResult, cchResult, dwLanguage);
}

bool INIFILE::GetDecoratedLineA(const char* pszSection, DWORD dwLine, char* pszResult, DWORD cchResult,
                                DWORD dwLanguage)
{
    return GetValueByOsA(pszSection, nullptr, dwLine, pszResult, cchResult, dwLanguage);
}
