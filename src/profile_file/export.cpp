// Export: a stored profile of the session's printer written into a profile file.
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "codec/byte_cursor.h"
#include "codec/store_records.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "settings/devmode_access.h"

namespace {

// The largest size an index entry may name for the first read of its value; a larger claim is
// more likely damage than a value, and the read asks the spooler for the real size instead.
constexpr DWORD MAX_LISTED_SIZE = 1024 * 1024;

}  // namespace

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

    // Each spooler call costs far more than the work around it, so every value is read once:
    // the registry number is found once (each lookup by name reads the whole list), the index
    // once, and each value into a buffer of the size the index gives for it, which is its size
    // unless it changed behind the store's back (the read then asks again).
    int nRegNum = int(GetProfRegNum(pszProfile));
    std::vector<BYTE> index;
    DWORD cbIndex = ReadProfileIndex(nRegNum, &index);
    auto SizeListed = [&](const char* pszValue) -> DWORD {
        ProfileValueEntry entry;
        for (size_t i = 0; ReadValueEntry(index.data(), cbIndex, i, &entry); ++i)
            if (FieldIs(entry.szValueName, sizeof(entry.szValueName), pszValue))
                return DWORD(entry.dwSize);
        return DWORD(0);
    };
    // A damaged index may claim any size: the buffer grows to what the spooler reports instead.
    std::vector<BYTE> data;
    auto SizeBuffer = [&](DWORD cbListed) {
        if (cbListed > data.size() && cbListed <= MAX_LISTED_SIZE)
            data.resize(cbListed);
    };

    SizeBuffer(SizeListed(DEFAULT_DEVMODE_VALUE) ? SizeListed(DEFAULT_DEVMODE_VALUE) : m_dwDefaultDevModeSize);
    DWORD dwType = 0;
    DWORD cbDevMode = ReadProfileRegValue(pszProfile, nRegNum, DEFAULT_DEVMODE_VALUE, &data, &dwType);
    // A value that does not hold the whole record its sizes describe is no DEVMODE to compare.
    if (cbDevMode != 0 && !DevModeFits(data.data(), cbDevMode)) {
        TraceLog("SaveProfileToJXP - damaged DEVMODE - %s\n", pszProfile);
        cbDevMode = 0;
    }
    std::vector<BYTE> devMode(data.begin(), data.begin() + cbDevMode);
    // The DEVMODE is written as its differences from the default DEVMODE. Without a default
    // that was loaded and holds the whole record its sizes describe (a driver upgrade can make
    // the spooler's DEVMODE longer than the size the driver reports) every difference would
    // be lost, and the profile would import as the target's default: it is not exported.
    if (cbDevMode != 0 && (!m_pDefaultDevMode || m_wDefaultDevModeLoads == 0 ||
                           !DevModeFits(m_pDefaultDevMode.get(), m_dwDefaultDevModeSize))) {
        TraceLog("SaveProfileToJXP - default DEVMODE unusable - %s, %lu\n", pszProfile,
                 static_cast<unsigned long>(m_dwDefaultDevModeSize));
        return false;
    }

    if (!FillProfileEntry(record.szName, record.dwProfileParam1, record.dwProfileParam2, record.szDescription) ||
        !WriteProfileEntry(m_pProfileEntry.get()))
        return false;
    if (cbDevMode != 0 && !SaveProfileDevmodeToJxp(reinterpret_cast<DEVMODEW*>(devMode.data())))
        return false;

    // The values in the order of the index; the DEVMODE and the setup value have sections of
    // their own.
    ProfileValueEntry entry;
    for (size_t i = 0; ReadValueEntry(index.data(), cbIndex, i, &entry); ++i) {
        if (FieldLength(entry.szValueName, sizeof(entry.szValueName)) >= sizeof(entry.szValueName)) {
            TraceLog("LMPROFJXP::EnumProfileRegValue - entry at %lu has no name\n", DWORD(i * VALUE_ENTRY_BYTES));
            continue;
        }
        const char* pszValue = entry.szValueName;
        if (strcmp(pszValue, DEFAULT_DEVMODE_VALUE) == 0 || strcmp(pszValue, SETUP_PACK_VALUE) == 0)
            continue;
        SizeBuffer(entry.dwSize);
        // A value that cannot be loaded travels with no data rather than stale bytes, and an
        // empty one as REG_BINARY whatever type it was stored with.
        dwType = REG_BINARY;
        DWORD cbLoaded = ReadProfileRegValue(pszProfile, nRegNum, pszValue, &data, &dwType);
        if (cbLoaded == 0)
            dwType = REG_BINARY;
        if (!WriteRegValueRecord(pszValue, dwType, data.data(), cbLoaded))
            return false;
    }

    SizeBuffer(SizeListed(SETUP_PACK_VALUE));
    DWORD cbSetup = ReadProfileRegValue(pszProfile, nRegNum, SETUP_PACK_VALUE, &data, &dwType);
    if (!WriteSetupRecord(SETUP_PACK_VALUE, REG_BINARY, data.data(), cbSetup))
        return false;

    // The entry header now carries the final section lengths; only then does the profile count.
    if (!WriteProfileEntry(m_pProfileEntry.get()) || !AddProfileCount())
        return false;
    return true;
}
