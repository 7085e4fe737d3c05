// INIFILE: lookups through section names decorated for the Windows version, the processor
// and the language ("Strings.nt6.x64amd.0411" ... "Strings").
#include "core/conversions.h"
#include "installer/ini_file.h"
#include "installer/ini_names.h"

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
struct OtherWidth;
template <>
struct OtherWidth<char> {
    using Type = wchar_t;
};
template <>
struct OtherWidth<wchar_t> {
    using Type = char;
};

// A line converted between the widths with a code page into a line buffer (INI_LINE_CHARS),
// whole or not at all.
bool ConvertLine(wchar_t* pwszOut, const char* pszIn, UINT uCodePage)
{
    return ConvertAnsiToWideCell(pwszOut, INI_LINE_CHARS, pszIn, uCodePage);
}

bool ConvertLine(char* pszOut, const wchar_t* pwszIn, UINT uCodePage)
{
    return ConvertWideToAnsiCell(pszOut, INI_LINE_CHARS, pwszIn, uCodePage);
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

template <class T>
bool INIFILE::ByLanguageSuffix(const T* pSection, const T* pKey, DWORD dwLine, T* pResult,
                               const char (*pszSuffixes)[16], int nSuffixes)
{
    T szName[INI_NAME_CHARS];
    for (int i = 0; i < nSuffixes; ++i) {
        if (Decorate(szName, pSection, pszSuffixes[i]) && Find(szName, pKey, dwLine, pResult))
            return true;
    }
    return Find(pSection, pKey, dwLine, pResult);
}

template <class T>
bool INIFILE::ByLanguage(const T* pSection, const T* pKey, DWORD dwLine, T* pResult, DWORD dwLanguage)
{
    char szSuffixes[2][16];
    int nSuffixes = LanguageSuffixes(dwLanguage ? dwLanguage : m_dwLanguage, szSuffixes);
    if ((sizeof(T) == sizeof(wchar_t)) == IsUnicode())
        return ByLanguageSuffix(pSection, pKey, dwLine, pResult, szSuffixes, nSuffixes);

    // A caller of the other width: section and key go over in the language's code page, and
    // the result comes back in it. In a double-byte code page a long line can need more bytes
    // than the line buffer holds; such a value is not handed out cut.
    using U = typename OtherWidth<T>::Type;
    UINT uCodePage = CodePageOfLanguage(dwLanguage);
    U section[INI_LINE_CHARS];
    U key[INI_LINE_CHARS];
    U result[INI_LINE_CHARS];
    if (!ConvertLine(section, pSection, uCodePage) || (pKey && !ConvertLine(key, pKey, uCodePage)))
        return false;
    return ByLanguageSuffix<U>(section, pKey ? key : nullptr, dwLine, result, szSuffixes, nSuffixes) &&
           ConvertLine(pResult, result, uCodePage);
}

// ---- the operations ----------------------------------------------------------------------

template <class T>
bool INIFILE::ByLayer(Layer<T> pfnLayer, const T* pSection, const T* pKey, DWORD dwLine, T* pResult,
                      DWORD cchResult, DWORD dwLanguage)
{
    T result[INI_LINE_CHARS];
    return pSection && (this->*pfnLayer)(pSection, pKey, dwLine, result, dwLanguage) &&
           CopyOut(pResult, cchResult, result);
}

bool INIFILE::GetValueByOsA(const char* pszSection, const char* pszKey, DWORD dwLine, char* pszResult, DWORD cchResult,
                            DWORD dwLanguage)
{
    return ByLayer(&INIFILE::ByOs<char>, pszSection, pszKey, dwLine, pszResult, cchResult, dwLanguage);
}

bool INIFILE::GetValueByOsW(const wchar_t* pwszSection, const wchar_t* pwszKey, DWORD dwLine, wchar_t* pwszResult,
                            DWORD cchResult, DWORD dwLanguage)
{
    return ByLayer(&INIFILE::ByOs<wchar_t>, pwszSection, pwszKey, dwLine, pwszResult, cchResult, dwLanguage);
}

bool INIFILE::GetValueByPlatformA(const char* pszSection, const char* pszKey, DWORD dwLine, char* pszResult,
                                  DWORD cchResult, DWORD dwLanguage)
{
    return ByLayer(&INIFILE::ByPlatform<char>, pszSection, pszKey, dwLine, pszResult, cchResult, dwLanguage);
}

bool INIFILE::GetValueByPlatformW(const wchar_t* pwszSection, const wchar_t* pwszKey, DWORD dwLine,
                                  wchar_t* pwszResult, DWORD cchResult, DWORD dwLanguage)
{
    return ByLayer(&INIFILE::ByPlatform<wchar_t>, pwszSection, pwszKey, dwLine, pwszResult, cchResult, dwLanguage);
}

bool INIFILE::GetValueByLanguageA(const char* pszSection, const char* pszKey, DWORD dwLine, char* pszResult,
                                  DWORD cchResult, DWORD dwLanguage)
{
    return ByLayer(&INIFILE::ByLanguage<char>, pszSection, pszKey, dwLine, pszResult, cchResult, dwLanguage);
}

bool INIFILE::GetValueByLanguageW(const wchar_t* pwszSection, const wchar_t* pwszKey, DWORD dwLine,
                                  wchar_t* pwszResult, DWORD cchResult, DWORD dwLanguage)
{
    return ByLayer(&INIFILE::ByLanguage<wchar_t>, pwszSection, pwszKey, dwLine, pwszResult, cchResult, dwLanguage);
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
