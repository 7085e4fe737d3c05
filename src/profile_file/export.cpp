// Export: a stored profile of the session's printer written into a profile file.
#include <cstring>
#include <memory>
#include <new>

#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "settings/devmode_access.h"

DWORD LMPROFJXP::ExportProfilesToJXP(const char* pszLabel, char (*pNames)[PROFILE_NAME_CELL], DWORD nCells)
{
    TraceLog("LMPROFILE::ExportProfilesToJXP - %s\n", pszLabel ? pszLabel : "");
    if (!pNames || nCells < 1)
        return 0;
    DWORD nWritten = 0;
    for (DWORD i = 0; i < nCells; ++i) {
        char szName[PROFILE_NAME_CELL];
        if (strnlen(pNames[i], PROFILE_NAME_CELL) == PROFILE_NAME_CELL) {
            TraceLog("LMPROFILE::ExportProfilesToJXP - profile name too long\n");
            continue;
        }
        strcpy(szName, pNames[i]);
        nWritten += SaveProfileToJXP(szName) ? 1 : 0;
    }
    return nWritten;
}

bool LMPROFJXP::SaveProfileToJXP(const char* pszProfile)
{
    TraceLog("SaveProfileToJXP - %s\n", pszProfile);
    if (!m_hJxpFile)
        return false;
    m_dwDefaultDevModeSize = GetDefaultDevModeSizeRetry();
    DWORD cbDevMode = 0;
    std::unique_ptr<BYTE[]> devMode = GetProfileDevModeFromReg(pszProfile, &cbDevMode);
    // The DEVMODE is written as its differences from the default DEVMODE. Without a default
    // that was loaded and holds the whole record its sizes describe (a driver upgrade can make
    // the spooler's DEVMODE longer than the size the driver reports) every difference would
    // be lost, and the profile would import as the target's default: it is not exported.
    if (devMode && (!m_pDefaultDevMode || m_wDefaultDevModeLoads == 0 ||
                    !DevModeFits(m_pDefaultDevMode.get(), m_dwDefaultDevModeSize))) {
        TraceLog("SaveProfileToJXP - default DEVMODE unusable - %s, %lu\n", pszProfile,
                 static_cast<unsigned long>(m_dwDefaultDevModeSize));
        return false;
    }

    if (!SeekJxpFile(0, true))
        return false;
    m_dwProfileOffset = SetFilePointer(m_hJxpFile.Get(), 0, nullptr, FILE_CURRENT);
    TraceLog("Current file pointer is %ld\n", m_dwProfileOffset);

    const ProfileRecord* pRecord = GetProfileDataModel(pszProfile);
    if (!pRecord)
        return false;
    // The record lives in the cache, which the store may replace: take what the entry needs.
    ProfileRecord record = *pRecord;
    record.szName[sizeof(record.szName) - 1] = '\0';
    record.szDescription[sizeof(record.szDescription) - 1] = '\0';
    if (!FillProfileEntry(record.szName, record.dwProfileParam1, record.dwProfileParam2, record.szDescription) ||
        !WriteProfileEntry(m_pProfileEntry.get()))
        return false;

    if (devMode && !SaveProfileDevmodeToJxp(reinterpret_cast<DEVMODEW*>(devMode.get())))
        return false;

    // The profile's registry number, found once: each lookup by name reads the whole list.
    int nRegNum = int(GetProfRegNum(pszProfile));
    DWORD nValues = EnumProfileRegValue(pszProfile, nRegNum, nullptr, nullptr, 0);
    if (nValues > 0) {
        std::unique_ptr<char[][PRINTER_NAME_CHARS]> names(new (std::nothrow) char[nValues][PRINTER_NAME_CHARS]);
        std::unique_ptr<DWORD[]> sizes(new (std::nothrow) DWORD[nValues]);
        if (!names || !sizes) {
            TraceLog("SaveProfileToJXP - out of memory - %d values\n", nValues);
            return false;
        }
        DWORD nListed = EnumProfileRegValue(pszProfile, nRegNum, names.get(), sizes.get(), nValues);
        for (DWORD i = 0; i < nListed && i < nValues; ++i) {
            const char* pszValue = names[i];
            if (strcmp(pszValue, DEFAULT_DEVMODE_VALUE) == 0 || strcmp(pszValue, SETUP_PACK_VALUE) == 0)
                continue;
            // The listing measured each value just now.
            DWORD cbValue = sizes[i];
            std::unique_ptr<BYTE[]> data(new (std::nothrow) BYTE[cbValue ? cbValue : 1]);
            if (!data)
                return false;
            DWORD cbLoaded = 0, dwType = REG_BINARY;
            // A value that cannot be loaded travels with no data rather than stale bytes.
            if (cbValue == 0 ||
                LoadProfileRegValue(pszProfile, nRegNum, pszValue, data.get(), cbValue, &cbLoaded, &dwType) == 0)
                cbLoaded = 0;
            if (!WriteRegValueRecord(pszValue, dwType, data.get(), cbLoaded))
                return false;
        }
    }

    DWORD cbSetup = LoadProfileRegValue(pszProfile, nRegNum, SETUP_PACK_VALUE, nullptr, 0, nullptr, nullptr);
    std::unique_ptr<BYTE[]> setup(new (std::nothrow) BYTE[cbSetup ? cbSetup : 1]);
    if (!setup)
        return false;
    DWORD cbRead = 0, dwType = 0;
    if (cbSetup == 0 ||
        LoadProfileRegValue(pszProfile, nRegNum, SETUP_PACK_VALUE, setup.get(), cbSetup, &cbRead, &dwType) == 0)
        cbRead = 0;
    if (!WriteSetupRecord(SETUP_PACK_VALUE, REG_BINARY, setup.get(), cbRead))
        return false;

    // The entry header now carries the final section lengths; only then does the profile count.
    if (!WriteProfileEntry(m_pProfileEntry.get()) || !AddProfileCount())
        return false;
    return true;
}
