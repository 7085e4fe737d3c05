// Profile slots: the printer's profile list ("JxProfileData", records of 556 bytes, and
// "JxProfileCount") with "Factory Default" at registry number 0 and the user's profiles at 1 to
// 25. The list's bytes are what the store trusts: a count that disagrees with them, or a record
// cut at the end, is traced and never read or written past.
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <vector>

#include "codec/store_records.h"
#include "core/cells.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "store/profile_store.h"

namespace {

std::unique_ptr<BYTE[]> NewBytes(size_t cb)
{
    return std::unique_ptr<BYTE[]>(new (std::nothrow) BYTE[cb ? cb : 1]);
}

}  // namespace

namespace {

// The record a profile would be listed with; false, traced, when the profile cannot be listed.
bool RecordToAdd(BYTE (&record)[PROFILE_RECORD_BYTES], const char* pszName, const char* pszDescription,
                 DWORD dwProfileParam1, DWORD dwProfileParam2, DWORD dwRegNum)
{
    switch (EncodeProfileRecord(record, pszName, pszDescription, dwProfileParam1, dwProfileParam2, dwRegNum)) {
    case PROFILE_RECORD_FITS:
        break;
    case PROFILE_NAME_MISSING:
        TraceLog("LMPROFJXP::AddProfileToModel - no profile name\n");
        return false;
    case PROFILE_NAME_TOO_LONG:
        TraceLog("LMPROFJXP::AddProfileToModel - name does not fit - %s\n", pszName);
        return false;
    case PROFILE_DESCRIPTION_TOO_LONG:
        TraceLog("LMPROFJXP::AddProfileToModel - description does not fit - %s\n", pszName);
        return false;
    }
    // Number 0 is the pack of "Factory Default"; a second record on it would share that pack.
    if (dwRegNum == 0 || dwRegNum > MAX_PROFILE_REG_NUM) {
        TraceLog("LMPROFJXP::AddProfileToModel - registry number %lu out of range\n", dwRegNum);
        return false;
    }
    return true;
}

}  // namespace

bool LMPROFJXP::ReadProfileList(std::vector<BYTE>* pList)
{
    DWORD dwErr = ERROR_NOT_ENOUGH_MEMORY, cbRead = 0;
    try {
        pList->resize(PROFILE_LIST_FIRST_READ);
        DWORD dwType = 0;
        cbRead = ReadRegValue(PRINTER_DRIVER_DATA, PROFILE_LIST_VALUE, pList, &dwType, &dwErr);
    } catch (const std::exception&) {
        cbRead = 0;
    }
    pList->resize(cbRead);
    // A missing or empty value is no list; one the spooler will not let us read must not be
    // taken for none and written over.
    if (cbRead == 0 && dwErr != ERROR_FILE_NOT_FOUND && dwErr != ERROR_SUCCESS) {
        SetLastError(dwErr);
        return false;
    }
    return true;
}

bool LMPROFJXP::AddProfileToModel(const char* pszName, const char* pszDescription, DWORD dwProfileParam1,
                                  DWORD dwProfileParam2, DWORD dwRegNum)
{
    BYTE newRecord[PROFILE_RECORD_BYTES];
    if (!RecordToAdd(newRecord, pszName, pszDescription, dwProfileParam1, dwProfileParam2, dwRegNum))
        return false;
    std::vector<BYTE> list;
    if (!ReadProfileList(&list)) {
        TraceLog("LMPROFJXP::AddProfileToModel - profile list unreadable - %ld\n", GetLastError());
        return false;
    }
    if (!list.empty()) {
        // The count only tells whether it agrees with the records: the count written is made
        // from the records, which mends one that disagreed.
        DWORD dwCount = 0;
        GetRegValue(PRINTER_DRIVER_DATA, PROFILE_COUNT_VALUE, reinterpret_cast<BYTE*>(&dwCount), sizeof(dwCount));
        size_t nRecords = WholeProfileRecords(list.size());
        if (dwCount != nRecords || nRecords * PROFILE_RECORD_BYTES != list.size())
            TraceLog("LMPROFJXP::AddProfileToModel - count %lu, list of %lu bytes\n", dwCount, DWORD(list.size()));
    }
    return AddProfileToList(list, pszName, pszDescription, dwProfileParam1, dwProfileParam2, dwRegNum);
}

bool LMPROFJXP::AddProfileToList(const std::vector<BYTE>& list, const char* pszName, const char* pszDescription,
                                 DWORD dwProfileParam1, DWORD dwProfileParam2, DWORD dwRegNum)
{
    BYTE newRecord[PROFILE_RECORD_BYTES];
    if (!RecordToAdd(newRecord, pszName, pszDescription, dwProfileParam1, dwProfileParam2, dwRegNum))
        return false;
    // A list that leaves no room for one more record cannot be a list of ours either.
    if (list.size() > MAXDWORD - PROFILE_RECORD_BYTES) {
        TraceLog("LMPROFJXP::AddProfileToModel - profile list unreadable - %ld\n", ERROR_INVALID_DATA);
        return false;
    }
    // Every whole record read stays; the new one follows the last of them. Without a list, this
    // addition creates it with "Factory Default" first.
    bool bCreate = list.empty();
    size_t nRecords = bCreate ? 1 : WholeProfileRecords(list.size());
    size_t cbWhole = nRecords * PROFILE_RECORD_BYTES;
    std::unique_ptr<BYTE[]> updated = NewBytes(cbWhole + PROFILE_RECORD_BYTES);
    if (!updated) {
        TraceLog("OOPS... This is not good...\n");
        return false;
    }
    if (bCreate)
        EncodeProfileRecord(updated.get(), FACTORY_DEFAULT_PROFILE, "", 0, 0, 0);
    else
        memcpy(updated.get(), list.data(), cbWhole);

    if (FindProfileRecord(updated.get(), cbWhole, pszName) >= 0) {
        // A list that did not exist is still created with "Factory Default" alone.
        DWORD dwOne = 1;
        if (bCreate && SetRegValue(PRINTER_DRIVER_DATA, PROFILE_LIST_VALUE, updated.get(), PROFILE_RECORD_BYTES,
                                   REG_BINARY))
            SetRegValue(PRINTER_DRIVER_DATA, PROFILE_COUNT_VALUE, reinterpret_cast<BYTE*>(&dwOne), sizeof(dwOne),
                        REG_DWORD);
        TraceLog("profile %s is already exist.\n", pszName);
        return false;
    }
    if (ProfileRegNumInUse(updated.get(), cbWhole, dwRegNum)) {
        TraceLog("LMPROFJXP::AddProfileToModel - registry number %lu is taken\n", dwRegNum);
        return false;
    }

    memcpy(updated.get() + cbWhole, newRecord, PROFILE_RECORD_BYTES);
    if (!SetRegValue(PRINTER_DRIVER_DATA, PROFILE_LIST_VALUE, updated.get(), DWORD(cbWhole + PROFILE_RECORD_BYTES),
                     REG_BINARY))
        return false;
    DWORD dwNewCount = DWORD(nRecords + 1);
    return SetRegValue(PRINTER_DRIVER_DATA, PROFILE_COUNT_VALUE, reinterpret_cast<BYTE*>(&dwNewCount),
                       sizeof(dwNewCount), REG_DWORD);
}

DWORD LMPROFJXP::GetAvailableRegNum()
{
    std::vector<BYTE> list;
    bool bListRead = ReadProfileList(&list);
    return AvailableRegNumOf(list, bListRead);
}

DWORD LMPROFJXP::AvailableRegNumOf(const std::vector<BYTE>& list, bool bListRead)
{
    DWORD dwResult = 1;
    if (!bListRead) {
        // Number 1 would be a guess: if it is taken, an import would overwrite its pack.
        TraceLog("LMPROFJXP::GetAvailableRegNum - profile list unreadable\n");
        dwResult = PROFILE_REG_NUM_UNKNOWN;
    } else if (!list.empty()) {
        dwResult = LowestFreeRegNum(list.data(), list.size());
    }
    TraceLog("GetAvailableRegNum - %d\n", dwResult);
    return dwResult;
}

DWORD LMPROFJXP::GetProfRegNum(const char* pszProfile)
{
    DWORD dwResult = 0;
    std::vector<BYTE> list;
    if (ReadProfileList(&list)) {
        long nFound = FindProfileRecord(list.data(), list.size(), pszProfile);
        ProfileRecord rec;
        if (nFound >= 0 && ReadProfileRecord(list.data(), list.size(), size_t(nFound), &rec))
            dwResult = rec.dwRegNum;
    }
    TraceLog("GetProfRegNum - %d\n", dwResult);
    return dwResult;
}

int LMPROFJXP::GetProfileDataFromModel(char (*pNames)[PROFILE_NAME_CELL], char (*pDescriptions)[DESCRIPTION_CELL],
                                       void* pIgnored)
{
    if (m_bAnsi)
        TraceLog("LMPROFILE::GetProfileDataFromModel - %s\n", m_tszPrinterName);
    else
        TraceLogW(L"LMPROFILE::GetProfileDataFromModel - %s\n", m_wszPrinterName);

    if (!m_pProfileData) {
        DWORD dwCount = 0;
        if (GetRegValue(PRINTER_DRIVER_DATA, PROFILE_COUNT_VALUE, reinterpret_cast<BYTE*>(&dwCount), sizeof(dwCount)) ==
                0 ||
            dwCount == 0)
            return 0;
        // The list is read at its own size: a larger count would read past the records, a
        // smaller one would make the read fail and hide every profile.
        std::vector<BYTE> list;
        if (!ReadProfileList(&list) || list.empty())
            return 0;
        DWORD cbRead = DWORD(list.size());
        size_t nRecords = WholeProfileRecords(cbRead);
        if (dwCount != nRecords || nRecords * PROFILE_RECORD_BYTES != cbRead)
            TraceLog("LMPROFILE::GetProfileDataFromModel - count %lu, list of %lu bytes\n", dwCount, cbRead);

        // The cache keeps only records whose texts end inside their fields, so every reader of
        // it may treat them as terminated strings.
        std::unique_ptr<BYTE[]> cache = NewBytes(nRecords * PROFILE_RECORD_BYTES);
        if (!cache)
            return 0;
        size_t nKept = CopySoundProfileRecords(list.data(), cbRead, cache.get());
        if (nKept != nRecords)
            TraceLog("LMPROFILE::GetProfileDataFromModel - %d damaged records left out\n", int(nRecords - nKept));
        if (nKept == 0)
            return 0;
        m_pProfileData = std::move(cache);
        m_nProfileData = int(nKept);
    }

    const ProfileRecord* pRecords = reinterpret_cast<const ProfileRecord*>(m_pProfileData.get());
    for (int i = 0; i < m_nProfileData; ++i) {
        if (pNames)
            CopyCellN(pNames[i], PROFILE_NAME_CELL, pRecords[i].szName);
        if (pDescriptions)
            CopyCellN(pDescriptions[i], DESCRIPTION_CELL, pRecords[i].szDescription);
    }
    return m_nProfileData;
}
