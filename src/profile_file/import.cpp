// Import: profiles of a profile file brought into the session's printer, as listed profiles or
// as "Factory Default", and the apply of a stored profile to the printer.
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "codec/jxp_format.h"
#include "core/cells.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "core/waits.h"
#include "profile_file/entry_fields.h"
#include "settings/devmode_access.h"
#include "store/profile_store.h"

namespace {

// The largest section an import loads. No profile comes near it (a DEVMODE is at most 64 KB,
// a printer-data value rarely a few); a 32-bit process could not hold a section of gigabytes
// at all, and a length in a damaged or hostile file must not make the import try.
constexpr DWORD MAX_SECTION_BYTES = 0x10000000;

// A section of the entry just read, loaded whole: the walk has checked that it lies inside
// the file, so what is read is exactly the section.
bool ReadSection(LMPROFJXP& session, uint64_t qwOffset, DWORD cb, std::vector<BYTE>* pOut)
{
    pOut->clear();
    if (cb == 0)
        return true;
    if (cb > MAX_SECTION_BYTES) {
        TraceLog("LMPROFJXP::LoadProfileFromJXP - section too large - %lu\n", static_cast<unsigned long>(cb));
        return false;
    }
    try {
        pOut->resize(cb);
    } catch (const std::exception&) {
        TraceLog("LMPROFJXP::LoadProfileFromJXP - out of memory - %ld\n", cb);
        return false;
    }
    return session.SeekJxpFile(qwOffset) && session.ReadJxpData(pOut->data(), cb) == cb;
}

// True when the buffer section is made of whole records. The rebuild stops at a record that
// runs past the section, which would store a DEVMODE with only part of the profile's settings.
bool BufferRecordsWhole(const std::vector<BYTE>& section)
{
    ByteCursor cursor(section.data(), section.size());
    JxpBufferRecord record;
    while (cursor.Left() > 0) {
        if (!JxpReadBufferRecord(cursor, &record))
            return false;
    }
    return true;
}

// Empties the value index of a registry number, so the pack lists no value. False when an
// index that is there cannot be emptied.
bool EmptyPack(LMPROFJXP& session, DWORD dwRegNum)
{
    char szIndex[32];
    wsprintfA(szIndex, "JXP_%04lu", dwRegNum);
    DWORD dwErr = 0;
    if (session.GetRegValueSize(PRINTER_DRIVER_DATA, szIndex, &dwErr) == 0)
        return ValueIsAbsent(dwErr);
    BYTE none = 0;
    return session.SetRegValue(PRINTER_DRIVER_DATA, szIndex, &none, 0, REG_BINARY);
}

}  // namespace

DWORD LMPROFJXP::ImportProfilesFromJXP(const void* pFilePath, char (*pNames)[PROFILE_NAME_CELL], DWORD nCells,
                                       BOOL bAsDefault)
{
    if (m_bAnsi)
        TraceLog("LMPROFILE::ImportProfilesFromJXP - %s, %d\n", pFilePath ? static_cast<const char*>(pFilePath) : "",
                 bAsDefault);
    else
        TraceLogW(L"LMPROFILE::ImportProfilesFromJXP - %s, %d\n",
                  pFilePath ? static_cast<const wchar_t*>(pFilePath) : L"", bAsDefault);
    if (!OpenJxpFile(pFilePath, JXP_OPEN_READ))
        return 0;
    // The listing refuses a file without the magic; so does the import.
    if (JxpCheckFileHeader(m_JxpHead.get(), JXP_HEADER_SIZE) != JXP_HEADER_OK) {
        TraceLog("LMPROFILE::ImportProfilesFromJXP - not a profile file\n");
        CloseJxpFile();
        return 0;
    }
    DWORD nTotal = 0;
    for (DWORD i = 0; pNames && i < nCells; ++i) {
        if (strnlen(pNames[i], PROFILE_NAME_CELL) == PROFILE_NAME_CELL) {
            TraceLog("LMPROFILE::ImportProfilesFromJXP - profile name too long\n");
            continue;
        }
        char szName[PROFILE_NAME_CELL];
        strcpy(szName, pNames[i]);
        nTotal += LoadProfileFromJXP(szName, bAsDefault);
    }
    CloseJxpFile();
    return nTotal;
}

DWORD LMPROFJXP::LoadProfileFromJXP(const char* pszProfile, BOOL bAsDefault)
{
    TraceLog("LMPROFJXP::LoadProfileFromJXP - %s, %d\n", pszProfile, bAsDefault);
    if (JxpProfileCount(m_JxpHead.get()) < 1)
        return 0;

    JxpReader reader = FileReader();
    JxpWalk walk = JxpWalkStart(m_JxpHead.get());
    uint64_t qwData = 0;
    bool bImported = false;
    for (;;) {
        BYTE* pEntry = m_pProfileEntry.get();
        JxpWalkStep step = JxpWalkNext(reader, &walk, pEntry, &qwData);
        if (step == JXP_WALK_END)
            break;
        if (step != JXP_WALK_ENTRY) {
            // The entries behind a damaged one cannot be found: stop with what was imported.
            TraceLog("LMPROFJXP::LoadProfileFromJXP - entry %d damaged or cut\n", walk.nIndex);
            break;
        }
        JxpEntryHeader entry;
        memcpy(&entry, pEntry, sizeof(entry));
        char szName[PROFILE_NAME_CELL];
        CopyField(szName, sizeof(szName), entry.szProfileName, sizeof(entry.szProfileName));
        TraceLog("*** %s\n", szName);
        if (!JxpEntryNameIs(pEntry, pszProfile))
            continue;
        TraceLog("Profile : %s, Size : %d\n", szName, DWORD(JxpSectionsLength(pEntry)));

        // The list is read once for the profile: it gives the free number now and takes the new
        // record at the end, and nothing in between writes to it.
        std::vector<BYTE> list;
        bool bListRead = ReadProfileList(&list);
        DWORD nRegNum = AvailableRegNumOf(list, bListRead);
        TraceLog("*** nRegNum = %d\n", nRegNum);
        if (nRegNum > MAX_PROFILE_REG_NUM)
            continue;
        const char* pszTarget = bAsDefault ? FACTORY_DEFAULT_PROFILE : pszProfile;
        int nTarget = bAsDefault ? 0 : int(nRegNum);

        // The listing shows no entry whose texts run past their fields; importing one would
        // list a profile the user was never offered.
        char szDescription[DESCRIPTION_CELL], szEntryModel[MODEL_CELL];
        if (!CopyField(szDescription, sizeof(szDescription), entry.szDescription, sizeof(entry.szDescription)) ||
            !CopyField(szEntryModel, sizeof(szEntryModel), entry.szModel, sizeof(entry.szModel))) {
            TraceLog("LMPROFJXP::LoadProfileFromJXP - entry %s has an unterminated text\n", szName);
            continue;
        }

        // Every section of this entry is read and checked before anything is stored, so a
        // damaged entry changes nothing on the printer.
        uint64_t qwValues = qwData + uint64_t(entry.dwDataSize[0]) + entry.dwDataSize[1];
        std::vector<BYTE> buffers, values, setup;
        if (!ReadSection(*this, qwData + entry.dwDataSize[0], entry.dwDataSize[1], &buffers) ||
            !ReadSection(*this, qwValues, entry.dwDataSize[2], &values) ||
            !ReadSection(*this, qwValues + entry.dwDataSize[2], entry.dwDataSize[3], &setup)) {
            TraceLog("LMPROFJXP::LoadProfileFromJXP - sections of %s unreadable\n", szName);
            continue;
        }
        if (!BufferRecordsWhole(buffers)) {
            TraceLog("LMPROFJXP::LoadProfileFromJXP - buffer section of %s cut or damaged\n", szName);
            continue;
        }
        std::vector<JxpValueRecord> records;
        ByteCursor valueCursor(values.data(), values.size());
        bool bDamaged = false;
        while (valueCursor.Left() > 0) {
            JxpValueRecord record;
            if (!JxpReadValueRecord(valueCursor, &record)) {
                bDamaged = true;
                break;
            }
            records.push_back(record);
        }
        JxpValueRecord setupRecord = {};
        bool bSetup = false;
        if (m_bImportSetup && !setup.empty()) {
            ByteCursor setupCursor(setup.data(), setup.size());
            bSetup = JxpReadValueRecord(setupCursor, &setupRecord);
            bDamaged = bDamaged || !bSetup;
        }
        if (bDamaged) {
            TraceLog("LMPROFJXP::LoadProfileFromJXP - value section of %s cut or damaged\n", szName);
            continue;
        }

        DWORD cbDevMode = GetDefaultDevModeSizeRetry();
        std::unique_ptr<BYTE[]> devMode(new (std::nothrow) BYTE[cbDevMode]());
        if (!devMode)
            continue;
        SeekJxpFile(qwData);
        if (LoadProfileDevModeFromJxp(pszProfile, reinterpret_cast<DEVMODEW*>(devMode.get())) == 0) {
            TraceLog("LMPROFJXP::LoadProfileFromJXP - DEVMODE of %s not rebuilt\n", szName);
            continue;
        }
        // The DEVMODE, then the file's values in their order, into one pack. The number is free
        // in the list, yet a pack may lie under it (a later entry of a repeated name is stored
        // there unlisted): the profile makes a new pack rather than take over another one's
        // values, its index replaced whole with the first value stored.
        std::vector<PROFILEVALUE> pack;
        pack.push_back({DEFAULT_DEVMODE_VALUE, devMode.get(), cbDevMode, REG_BINARY});
        for (const JxpValueRecord& record : records)
            pack.push_back({record.szValueName, record.pData, record.cbData, REG_BINARY});
        DWORD nStored = SaveProfileRegValues(pszTarget, nTarget, pack.data(), DWORD(pack.size()), !bAsDefault);
        // Nothing stored, so the old index may still be there: it is emptied before the profile
        // is listed on it.
        if (!bAsDefault && nStored == 0 && !EmptyPack(*this, nRegNum)) {
            TraceLog("LMPROFJXP::LoadProfileFromJXP - pack %d cannot be emptied\n", nRegNum);
            continue;
        }

        if (bSetup) {
            TraceLog("ProgReg------\n");
            TraceLog("   *** Name = [%s]\n", setupRecord.szValueName);
            TraceLog("   *** Size = [%d]\n", setupRecord.cbData);
            TraceLog("   *** Type = [%d]\n", setupRecord.dwType);
            if (setupRecord.cbData != 0)
                SetRegValue(PRINTER_DRIVER_DATA, SETUP_PRINTER_VALUE, setupRecord.pData, setupRecord.cbData, REG_BINARY);
        }

        if (!bAsDefault) {
            AddProfileToList(list, pszProfile, szDescription, entry.dwProfileParam1, entry.dwProfileParam2, nRegNum);
        }
        bImported = true;
    }
    return bImported ? 1 : 0;
}

DWORD LMPROFJXP::ApplyRegistryValues(const char* pszProfile, int nRegNum)
{
    DWORD nValues = EnumProfileRegValue(pszProfile, nRegNum, nullptr, nullptr, 0);
    if (nValues == 0)
        return 0;
    std::unique_ptr<char[][PRINTER_NAME_CHARS]> names(new (std::nothrow) char[nValues][PRINTER_NAME_CHARS]);
    std::unique_ptr<DWORD[]> sizes(new (std::nothrow) DWORD[nValues]);
    if (!names || !sizes)
        return 0;
    DWORD nListed = EnumProfileRegValue(pszProfile, nRegNum, names.get(), sizes.get(), nValues);
    for (DWORD i = 0; i < nListed && i < nValues; ++i) {
        const char* pszValue = names[i];
        TraceLog("Apply registry values - [%s], [%d]\n", pszValue, sizes[i]);
        bool bDevMode = strcmp(pszValue, DEFAULT_DEVMODE_VALUE) == 0;
        DWORD cbValue = LoadProfileRegValue(pszProfile, nRegNum, pszValue, nullptr, 0, nullptr, nullptr);
        TraceLog(bDevMode ? "DevMode size = %d\n" : "Value size = %d\n", cbValue);
        if (cbValue == 0) {
            // A value stored empty (the export writes it, the import stores it) is applied
            // empty, so the printer's old value does not survive it; only a value that is
            // missing from the pack is skipped.
            BYTE none = 0;
            if (!bDevMode && ProfileRegValueExists(pszProfile, nRegNum, pszValue))
                SetRegValue(PRINTER_DRIVER_DATA, pszValue, &none, 0, REG_BINARY);
            continue;
        }
        std::unique_ptr<BYTE[]> data(new (std::nothrow) BYTE[cbValue]);
        DWORD cbLoaded = 0, dwType = 0;
        if (!data || LoadProfileRegValue(pszProfile, nRegNum, pszValue, data.get(), cbValue, &cbLoaded, &dwType) == 0)
            continue;
        if (bDevMode) {
            // A stored value that does not hold the record its sizes describe is not applied.
            if (!DevModeFits(data.get(), cbLoaded)) {
                TraceLog("Apply registry values - damaged DEVMODE\n");
                continue;
            }
            ApplyDevMode2Printer(reinterpret_cast<DEVMODEW*>(data.get()));
            // The driver and the spooler take a moment to settle on the new settings.
            WaitMs(1000);
        } else {
            SetRegValue(PRINTER_DRIVER_DATA, pszValue, data.get(), cbLoaded, REG_BINARY);
        }
    }
    return 0;
}
