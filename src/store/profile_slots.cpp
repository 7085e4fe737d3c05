// Profile slots: the printer's profile list ("JxProfileData", records of 556 bytes, and
// "JxProfileCount") with "Factory Default" at registry number 0 and the user's profiles at 1 to
// 25. The list's bytes are what the store trusts: a count that disagrees with them, or a record
// cut at the end, is traced and never read or written past.
#include <memory>
#include <new>

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

bool LMPROFJXP::AddProfileToModel(const char* pszName, const char* pszDescription, DWORD dwProfileParam1,
                                  DWORD dwProfileParam2, DWORD dwRegNum)
{
    BYTE newRecord[PROFILE_RECORD_BYTES];
    switch (EncodeProfileRecord(newRecord, pszName, pszDescription, dwProfileParam1, dwProfileParam2, dwRegNum)) {
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

    // A size that leaves no room for one more record cannot be a list of ours either.
    DWORD dwErr = 0;
    DWORD cbList = GetRegValueSize(PRINTER_DRIVER_DATA, PROFILE_LIST_VALUE, &dwErr);
    if ((cbList == 0 && !ValueIsAbsent(dwErr)) || cbList > MAXDWORD - PROFILE_RECORD_BYTES) {
        TraceLog("LMPROFJXP::AddProfileToModel - profile list unreadable - %ld\n", dwErr);
        return false;
    }
    bool bCreate = cbList == 0;
    if (bCreate)
        cbList = PROFILE_RECORD_BYTES;
    std::unique_ptr<BYTE[]> list = NewBytes(size_t(cbList) + PROFILE_RECORD_BYTES);
    if (!list) {
        TraceLog("OOPS... This is not good...\n");
        return false;
    }

    if (bCreate) {
        EncodeProfileRecord(list.get(), FACTORY_DEFAULT_PROFILE, "", 0, 0, 0);
        DWORD dwOne = 1;
        if (!SetRegValue(PRINTER_DRIVER_DATA, PROFILE_LIST_VALUE, list.get(), PROFILE_RECORD_BYTES, REG_BINARY) ||
            !SetRegValue(PRINTER_DRIVER_DATA, PROFILE_COUNT_VALUE, reinterpret_cast<BYTE*>(&dwOne), sizeof(dwOne),
                         REG_DWORD))
            return false;
    }

    // A list that exists but cannot be read back is left alone: writing the new record over it
    // would lose every profile it holds.
    DWORD cbRead = GetRegValue(PRINTER_DRIVER_DATA, PROFILE_LIST_VALUE, list.get(), cbList);
    if (cbRead == 0) {
        TraceLog("LMPROFJXP::AddProfileToModel - profile list unreadable - %ld\n", GetLastError());
        return false;
    }
    DWORD dwCount = 0;
    GetRegValue(PRINTER_DRIVER_DATA, PROFILE_COUNT_VALUE, reinterpret_cast<BYTE*>(&dwCount), sizeof(dwCount));

    // Every whole record read stays; the new one follows the last of them, and the count is
    // written from the records, which mends a count that disagreed.
    size_t nRecords = WholeProfileRecords(cbRead);
    size_t cbWhole = nRecords * PROFILE_RECORD_BYTES;
    if (dwCount != nRecords || cbWhole != cbRead)
        TraceLog("LMPROFJXP::AddProfileToModel - count %lu, list of %lu bytes\n", dwCount, cbRead);

    if (FindProfileRecord(list.get(), cbWhole, pszName) >= 0) {
        TraceLog("profile %s is already exist.\n", pszName);
        return false;
    }
    if (ProfileRegNumInUse(list.get(), cbWhole, dwRegNum)) {
        TraceLog("LMPROFJXP::AddProfileToModel - registry number %lu is taken\n", dwRegNum);
        return false;
    }

    memcpy(list.get() + cbWhole, newRecord, PROFILE_RECORD_BYTES);
    if (!SetRegValue(PRINTER_DRIVER_DATA, PROFILE_LIST_VALUE, list.get(), DWORD(cbWhole + PROFILE_RECORD_BYTES),
                     REG_BINARY))
        return false;
    DWORD dwNewCount = DWORD(nRecords + 1);
    return SetRegValue(PRINTER_DRIVER_DATA, PROFILE_COUNT_VALUE, reinterpret_cast<BYTE*>(&dwNewCount),
                       sizeof(dwNewCount), REG_DWORD);
}

DWORD LMPROFJXP::GetAvailableRegNum()
{
    DWORD dwResult = 1;
    DWORD dwErr = 0;
    DWORD cbList = GetRegValueSize(PRINTER_DRIVER_DATA, PROFILE_LIST_VALUE, &dwErr);
    if (cbList == 0 && !ValueIsAbsent(dwErr)) {
        TraceLog("LMPROFJXP::GetAvailableRegNum - profile list unreadable\n");
        dwResult = PROFILE_REG_NUM_UNKNOWN;
    } else if (cbList != 0) {
        std::unique_ptr<BYTE[]> list = NewBytes(cbList);
        DWORD cbRead = list ? GetRegValue(PRINTER_DRIVER_DATA, PROFILE_LIST_VALUE, list.get(), cbList) : 0;
        if (cbRead == 0) {
            // Number 1 would be a guess: if it is taken, an import would overwrite its pack.
            TraceLog("LMPROFJXP::GetAvailableRegNum - profile list unreadable\n");
            dwResult = PROFILE_REG_NUM_UNKNOWN;
        } else {
            dwResult = LowestFreeRegNum(list.get(), cbRead);
        }
    }
    TraceLog("GetAvailableRegNum - %d\n", dwResult);
    return dwResult;
}

DWORD LMPROFJXP::GetProfRegNum(const char* pszProfile)
{
    DWORD dwResult = 0;
    DWORD dwErr = 0;
    DWORD cbList = GetRegValueSize(PRINTER_DRIVER_DATA, PROFILE_LIST_VALUE, &dwErr);
    std::unique_ptr<BYTE[]> list = cbList ? NewBytes(cbList) : nullptr;
    if (list) {
        DWORD cbRead = GetRegValue(PRINTER_DRIVER_DATA, PROFILE_LIST_VALUE, list.get(), cbList);
        long nFound = FindProfileRecord(list.get(), cbRead, pszProfile);
        ProfileRecord rec;
        if (nFound >= 0 && ReadProfileRecord(list.get(), cbRead, size_t(nFound), &rec))
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
        DWORD dwErr = 0;
        DWORD cbList = GetRegValueSize(PRINTER_DRIVER_DATA, PROFILE_LIST_VALUE, &dwErr);
        std::unique_ptr<BYTE[]> list = cbList ? NewBytes(cbList) : nullptr;
        if (!list)
            return 0;
        DWORD cbRead = GetRegValue(PRINTER_DRIVER_DATA, PROFILE_LIST_VALUE, list.get(), cbList);
        if (cbRead == 0)
            return 0;
        size_t nRecords = WholeProfileRecords(cbRead);
        if (dwCount != nRecords || nRecords * PROFILE_RECORD_BYTES != cbRead)
            TraceLog("LMPROFILE::GetProfileDataFromModel - count %lu, list of %lu bytes\n", dwCount, cbRead);

        // The cache keeps only records whose texts end inside their fields, so every reader of
        // it may treat them as terminated strings.
        std::unique_ptr<BYTE[]> cache = NewBytes(nRecords * PROFILE_RECORD_BYTES);
        if (!cache)
            return 0;
        size_t nKept = CopySoundProfileRecords(list.get(), cbRead, cache.get());
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
