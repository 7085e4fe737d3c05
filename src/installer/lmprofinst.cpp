#include "installer/lmprofinst.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

#include "codec/languages.h"
#include "core/cells.h"
#include "core/conversions.h"
#include "core/sysenv.h"
#include "core/trace.h"
#include "installer/ini_file.h"

LMPROFINST* g_pCurrentPackage = nullptr;
LMPROFINST* g_pWizardPackage = nullptr;

namespace {

constexpr size_t VALUE_CHARS = 4096;
const wchar_t SECTION[] = L"LmProfInst";

}  // namespace

int LMPROFINST::LanguageTable(DWORD dwLanguage)
{
    return StringTableOfLanguage(dwLanguage);
}

DWORD LMPROFINST::Language() const
{
    return m_setup ? m_setup.U32(setupdata::OFF_LANGUAGE) : 0;
}

LMPROFINST::LMPROFINST(HWND hParent, HINSTANCE hModule, SETUPDATA* pSetup, size_t cbSetup)
    : m_hParent(hParent),
      m_hPage(nullptr),
      m_hModule(hModule),
      m_dwOsKind(0),
      m_bAnsi(false),
      m_hList(nullptr),
      m_nEntries(0),
      m_setup(pSetup, cbSetup),
      m_hBodyFont(nullptr),
      m_hTitleFont(nullptr),
      m_uCodePage(CP_ACP),
      m_pUninstInfo(nullptr)
{
    TraceLog("LMPROFINST::LMPROFINST\n");
    g_pCurrentPackage = this;
    m_szPrinterName[0] = '\0';
    m_szPrinterModel[0] = '\0';
    m_szSourceFolder[0] = '\0';
    m_wszSourceFolder[0] = L'\0';
    DWORD dwLanguage = Language();
    m_pLang.reset(new LMLANGSPRT(hModule, LanguageTable(dwLanguage), dwLanguage));
    InitMembers();
}

LMPROFINST::~LMPROFINST()
{
    TraceLog("LMPROFINST::~LMPROFINST\n");
    m_pEntries.reset();
    m_nEntries = 0;
    m_pLang.reset();
    m_pSession.reset();
    if (g_pCurrentPackage == this)
        g_pCurrentPackage = nullptr;
}

void LMPROFINST::InitMembers()
{
    TraceLog("InitMembers\n");
    if (!m_setup) {
        // No installer block: the system's own version and code page, no printer, no source
        // folder and so no offered profiles.
        SYSENV env;
        m_dwOsKind = env.OsKind;
        m_bAnsi = m_dwOsKind <= setupdata::LAST_ANSI_OS_KIND;
        m_uCodePage = GetACP();
        m_pLang->ChooseCodePage();
        return;
    }
    m_dwOsKind = m_setup.U32(setupdata::OFF_OS_KIND);
    m_bAnsi = m_dwOsKind <= setupdata::LAST_ANSI_OS_KIND;
    m_uCodePage = m_setup.U32(setupdata::OFF_CODE_PAGE);
    if (!m_setup.CopyText(setupdata::OFF_PRINTER_NAME, m_szPrinterName, sizeof(m_szPrinterName)))
        TraceLog("InitMembers - printer name unterminated\n");
    if (!m_setup.CopyText(setupdata::OFF_PRINTER_MODEL, m_szPrinterModel, sizeof(m_szPrinterModel)))
        TraceLog("InitMembers - printer model unterminated\n");
    m_hTitleFont = m_setup.Handle<HFONT>(setupdata::OFF_TITLE_FONT);
    m_hBodyFont = m_setup.Handle<HFONT>(setupdata::OFF_BODY_FONT);

    bool bFolder;
    if (m_bAnsi) {
        bFolder = m_setup.CopyText(setupdata::OFF_SOURCE_FOLDER, m_szSourceFolder, sizeof(m_szSourceFolder));
    } else {
        bFolder = m_setup.CopyWideText(setupdata::OFF_SOURCE_FOLDER, m_wszSourceFolder, MAX_PATH);
        // Wide mode builds every path from the UTF-16 form. A folder whose 8-bit form is
        // longer (two bytes an ideograph) keeps no 8-bit form, and is read all the same.
        if (bFolder && !ConvertWideToAnsiCell(m_szSourceFolder, MAX_PATH, m_wszSourceFolder, m_uCodePage))
            TraceLog("InitMembers - source folder has no 8-bit form\n");
    }
    if (!bFolder)
        TraceLog("InitMembers - source folder unterminated\n");
    m_pLang->ChooseCodePage();

    if (m_szPrinterName[0]) {
        // The session takes the name in the running system's form, which is not always the
        // block's: a Windows 9x installer's block on NT holds 8-bit text for a session that
        // reads UTF-16.
        if (LMPROFJXP::SystemIsAnsi()) {
            m_pSession.reset(new LMPROFJXP(nullptr, m_szPrinterName, nullptr));
        } else {
            wchar_t wszPrinter[260];
            if (ConvertAnsiToWideCell(wszPrinter, 260, m_szPrinterName, m_uCodePage))
                m_pSession.reset(new LMPROFJXP(nullptr, wszPrinter, nullptr));
        }
    }
    if (!bFolder)
        return;

    // The installation file, and every path formed from the source folder, are refused whole
    // when they do not fit rather than cut into another file's name.
    std::unique_ptr<INIFILE> ini;
    if (m_bAnsi) {
        char szIni[MAX_PATH];
        int n = _snprintf(szIni, sizeof(szIni), "%s\\LmProfInst.ini", m_szSourceFolder);
        if (n > 0 && size_t(n) < sizeof(szIni))
            ini.reset(new INIFILE(szIni, 0));
    } else {
        wchar_t wszIni[MAX_PATH];
        int n = _snwprintf(wszIni, MAX_PATH, L"%s\\LmProfInst.ini", m_wszSourceFolder);
        if (n > 0 && n < MAX_PATH)
            ini.reset(new INIFILE(wszIni, 0));
    }
    if (!ini) {
        TraceLog("InitMembers - installation file path too long\n");
        return;
    }

    DWORD dwLanguage = Language();
    std::unique_ptr<wchar_t[]> value(new wchar_t[VALUE_CHARS]);
    auto lookup = [&](const wchar_t* pwszKey) {
        value[0] = L'\0';
        return ini->GetDecoratedValueW(SECTION, pwszKey, value.get(), VALUE_CHARS, dwLanguage);
    };
    auto toAnsi = [&](char* pszOut, size_t nOut) {
        if (!ConvertWideToAnsiCell(pszOut, int(nOut), value.get(), m_uCodePage)) {
            TraceLog("InitMembers - value too long\n");
            return false;
        }
        return true;
    };

    if (lookup(L"SourcePath"))
        TraceLogW(L"wszTemp = %s\n", value.get());
    int nCount = lookup(L"ProfCount") ? int(wcstol(value.get(), nullptr, 10)) : 0;
    wchar_t wszJxpName[MAX_PATH] = L"";
    char szJxpName[MAX_PATH] = "";
    if (lookup(L"ProfJxpName")) {
        if (wcsnlen(value.get(), MAX_PATH) < MAX_PATH)
            wcscpy(wszJxpName, value.get());
        if (m_bAnsi) {
            toAnsi(szJxpName, sizeof(szJxpName));
            TraceLog("tszProfJxpName = %s\n", szJxpName);
        } else {
            TraceLogW(L"wszProfJxpName = %s\n", wszJxpName);
        }
    }
    TraceLog("nCount = %d\n", nCount);
    // A count beyond any sensible installation file would only allocate for nothing.
    if (nCount < 1 || nCount > 1000)
        return;
    m_pEntries.reset(new (std::nothrow) PROFENTRY[nCount]);
    if (!m_pEntries)
        return;
    m_nEntries = 0;

    auto key = [](wchar_t* pwszKey, const char* pszFormat, int i) {
        char szKey[64];
        _snprintf(szKey, sizeof(szKey), pszFormat, i);
        szKey[sizeof(szKey) - 1] = '\0';
        MultiByteToWideChar(CP_ACP, 0, szKey, -1, pwszKey, 64);
        return pwszKey;
    };
    wchar_t wszKey[64];
    for (int i = 1; i <= nCount; ++i) {
        char szList[VALUE_CHARS];
        if (lookup(key(wszKey, "ProfModel%d", i)) && value[0] && toAnsi(szList, sizeof(szList)) &&
            !IsModelInList(m_szPrinterModel, szList, m_uCodePage))
            continue;
        if (lookup(key(wszKey, "ProfNotModel%d", i)) && value[0] && toAnsi(szList, sizeof(szList)) &&
            IsModelInList(m_szPrinterModel, szList, m_uCodePage))
            continue;

        PROFENTRY& entry = m_pEntries[m_nEntries];
        memset(&entry, 0, sizeof(entry));
        if (lookup(key(wszKey, "Prof%d", i)))
            toAnsi(entry.szProfileName, sizeof(entry.szProfileName));
        if (lookup(key(wszKey, "ProfName%d", i)))
            toAnsi(entry.szDisplayName, sizeof(entry.szDisplayName));
        if (lookup(key(wszKey, "ProfDesc%d", i)))
            toAnsi(entry.szDescription, sizeof(entry.szDescription));

        wchar_t wszFile[MAX_PATH];
        const wchar_t* pwszFile = wszJxpName;
        if (lookup(key(wszKey, "ProfJxpName%d", i))) {
            if (wcsnlen(value.get(), MAX_PATH) < MAX_PATH) {
                wcscpy(wszFile, value.get());
                pwszFile = wszFile;
            }
        }
        bool bPath;
        if (m_bAnsi) {
            char szFile[MAX_PATH];
            // Exactly or not at all: a look-alike character would name another file.
            bPath = ConvertWideToAnsiCellExact(szFile, MAX_PATH, pwszFile, m_uCodePage);
            int n = bPath ? _snprintf(entry.szProfileFile, MAX_PATH, "%s\\%s", m_szSourceFolder, szFile) : -1;
            bPath = n > 0 && n < MAX_PATH;
        } else {
            int n = _snwprintf(entry.wszProfileFile, MAX_PATH, L"%s\\%s", m_wszSourceFolder, pwszFile);
            bPath = n > 0 && n < MAX_PATH;
        }
        if (!bPath) {
            // A cut path would import from another file: the slot is not offered.
            TraceLog("InitMembers - profile file path of slot %d too long\n", i);
            continue;
        }
        TraceLog("%d, ProfName = %s\n", m_nEntries, entry.szDisplayName);
        entry.dwSelected = 0;
        ++m_nEntries;
    }
}

bool LMPROFINST::IsModelInList(const char* pszModel, const char* pszList, UINT uCodePage)
{
    if (!pszModel || !pszList || !pszList[0])
        return false;
    size_t nModel = strlen(pszModel);
    const char* pEnd = pszList + strnlen(pszList, 4095);
    const char* pToken = pszList;
    for (const char* p = pszList;; ) {
        if (p == pEnd || *p == ',') {
            // Commas with nothing between them make no item: a printer whose block names no
            // model is in no list.
            if (p > pToken && size_t(p - pToken) == nModel && memcmp(pToken, pszModel, nModel) == 0)
                return true;
            if (p == pEnd)
                return false;
            pToken = ++p;
            continue;
        }
        // A lead byte takes its trail byte with it, whatever that byte is.
        p += (IsDBCSLeadByteEx(uCodePage, BYTE(*p)) && p + 1 < pEnd) ? 2 : 1;
    }
}

DWORD LMPROFINST::ImportEntry(int nIndex)
{
    if (!m_pSession || nIndex < 0 || nIndex >= m_nEntries)
        return 0;
    PROFENTRY& entry = m_pEntries[nIndex];
    char names[1][PROFILE_NAME_CELL];
    if (!CopyCell(names[0], entry.szProfileName)) {
        TraceLog("LMPROFINST::ImportEntry - profile name too long - %s\n", entry.szProfileName);
        return 0;
    }
    // The path is in the block's form, the session reads the running system's.
    const void* pPath = m_bAnsi ? static_cast<const void*>(entry.szProfileFile)
                                : static_cast<const void*>(entry.wszProfileFile);
    char szPath[MAX_PATH];
    wchar_t wszPath[MAX_PATH];
    if (m_pSession->m_bAnsi != m_bAnsi) {
        bool bConverted = m_bAnsi ? ConvertAnsiToWideCell(wszPath, MAX_PATH, entry.szProfileFile, m_uCodePage)
                                  : ConvertWideToAnsiCellExact(szPath, MAX_PATH, entry.wszProfileFile, m_uCodePage);
        if (!bConverted) {
            TraceLog("LMPROFINST::ImportEntry - profile file path does not convert - %d\n", nIndex);
            return 0;
        }
        pPath = m_bAnsi ? static_cast<const void*>(wszPath) : static_cast<const void*>(szPath);
    }
    m_pSession->ImportProfilesFromJXP(pPath, names, 1, FALSE);
    return 0;
}

DWORD LMPROFINST::ImportSelected()
{
    for (int i = 0; i < m_nEntries; ++i) {
        if (m_pEntries[i].dwSelected & 1)
            ImportEntry(i);
    }
    return 0;
}

int LMPROFINST::CountSelected() const
{
    int nCount = 0;
    for (int i = 0; i < m_nEntries; ++i)
        nCount += m_pEntries[i].dwSelected == 1 ? 1 : 0;
    return nCount;
}

void DestroyWizardPackage()
{
    LMPROFINST* p = g_pWizardPackage;
    g_pWizardPackage = nullptr;
    delete p;
}
