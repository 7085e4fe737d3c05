#include "codec/store_records.h"

#include <cstring>
#include <set>

namespace {

bool FitsField(const char* psz, size_t nField)
{
    return strnlen(psz, nField) < nField;
}

void PutText(uint8_t* pField, size_t nField, const char* psz)
{
    memset(pField, 0, nField);
    memcpy(pField, psz, strlen(psz));
}

}  // namespace

bool FieldIs(const char* pField, size_t nField, const char* pszName)
{
    if (!pszName)
        return false;
    size_t n = FieldLength(pField, nField);
    return n < nField && strlen(pszName) == n && memcmp(pField, pszName, n) == 0;
}

size_t WholeProfileRecords(size_t cbList)
{
    return cbList / PROFILE_RECORD_BYTES;
}

bool ReadProfileRecord(const uint8_t* pList, size_t cbList, size_t i, ProfileRecord* pOut)
{
    ByteCursor cur(pList, cbList);
    if (i >= WholeProfileRecords(cbList) || !cur.Skip(i * PROFILE_RECORD_BYTES))
        return false;
    uint32_t dwParam1, dwParam2, dwRegNum;
    if (!cur.Take(pOut->szName, sizeof(pOut->szName)) || !cur.Take(pOut->szDescription, sizeof(pOut->szDescription)) ||
        !cur.U32(&dwParam1) || !cur.U32(&dwParam2) || !cur.U32(&dwRegNum))
        return false;
    pOut->dwProfileParam1 = dwParam1;
    pOut->dwProfileParam2 = dwParam2;
    pOut->dwRegNum = dwRegNum;
    return true;
}

bool ProfileRecordIsSound(const ProfileRecord& rec)
{
    return FieldLength(rec.szName, sizeof(rec.szName)) < sizeof(rec.szName) &&
           FieldLength(rec.szDescription, sizeof(rec.szDescription)) < sizeof(rec.szDescription);
}

long FindProfileRecord(const uint8_t* pList, size_t cbList, const char* pszName)
{
    ProfileRecord rec;
    for (size_t i = 0; ReadProfileRecord(pList, cbList, i, &rec); ++i) {
        if (FieldIs(rec.szName, sizeof(rec.szName), pszName))
            return long(i);
    }
    return -1;
}

bool ProfileRegNumInUse(const uint8_t* pList, size_t cbList, uint32_t dwRegNum)
{
    ProfileRecord rec;
    for (size_t i = 0; ReadProfileRecord(pList, cbList, i, &rec); ++i) {
        if (rec.dwRegNum == dwRegNum)
            return true;
    }
    return false;
}

uint32_t LowestFreeRegNum(const uint8_t* pList, size_t cbList)
{
    std::set<uint32_t> used;
    ProfileRecord rec;
    for (size_t i = 0; ReadProfileRecord(pList, cbList, i, &rec); ++i)
        used.insert(rec.dwRegNum);
    uint32_t dwCandidate = 1;
    while (used.count(dwCandidate))
        ++dwCandidate;
    return dwCandidate;
}

ProfileRecordFit EncodeProfileRecord(uint8_t* pOut, const char* pszName, const char* pszDescription,
                                     uint32_t dwProfileParam1, uint32_t dwProfileParam2, uint32_t dwRegNum)
{
    if (!pszName || !*pszName)
        return PROFILE_NAME_MISSING;
    if (!pszDescription)
        pszDescription = "";
    if (!FitsField(pszName, sizeof(ProfileRecord::szName)))
        return PROFILE_NAME_TOO_LONG;
    if (!FitsField(pszDescription, sizeof(ProfileRecord::szDescription)))
        return PROFILE_DESCRIPTION_TOO_LONG;
    PutText(pOut + offsetof(ProfileRecord, szName), sizeof(ProfileRecord::szName), pszName);
    PutText(pOut + offsetof(ProfileRecord, szDescription), sizeof(ProfileRecord::szDescription), pszDescription);
    PutU32(pOut + offsetof(ProfileRecord, dwProfileParam1), dwProfileParam1);
    PutU32(pOut + offsetof(ProfileRecord, dwProfileParam2), dwProfileParam2);
    PutU32(pOut + offsetof(ProfileRecord, dwRegNum), dwRegNum);
    return PROFILE_RECORD_FITS;
}

size_t CopySoundProfileRecords(const uint8_t* pList, size_t cbList, uint8_t* pOut)
{
    size_t nKept = 0;
    ProfileRecord rec;
    for (size_t i = 0; ReadProfileRecord(pList, cbList, i, &rec); ++i) {
        if (!ProfileRecordIsSound(rec))
            continue;
        memcpy(pOut + nKept * PROFILE_RECORD_BYTES, pList + i * PROFILE_RECORD_BYTES, PROFILE_RECORD_BYTES);
        ++nKept;
    }
    return nKept;
}

size_t WholeValueEntries(size_t cbIndex)
{
    return cbIndex / VALUE_ENTRY_BYTES;
}

bool ReadValueEntry(const uint8_t* pIndex, size_t cbIndex, size_t i, ProfileValueEntry* pOut)
{
    ByteCursor cur(pIndex, cbIndex);
    if (i >= WholeValueEntries(cbIndex) || !cur.Skip(i * VALUE_ENTRY_BYTES))
        return false;
    uint32_t dwType, dwSize;
    if (!cur.Take(pOut->szValueName, sizeof(pOut->szValueName)) || !cur.U32(&dwType) || !cur.U32(&dwSize))
        return false;
    pOut->dwType = dwType;
    pOut->dwSize = dwSize;
    return true;
}

size_t SetValueEntrySize(uint8_t* pIndex, size_t cbIndex, const char* pszName, uint32_t dwSize)
{
    size_t nMatched = 0;
    ProfileValueEntry entry;
    for (size_t i = 0; ReadValueEntry(pIndex, cbIndex, i, &entry); ++i) {
        if (!FieldIs(entry.szValueName, sizeof(entry.szValueName), pszName))
            continue;
        PutU32(pIndex + i * VALUE_ENTRY_BYTES + offsetof(ProfileValueEntry, dwSize), dwSize);
        ++nMatched;
    }
    return nMatched;
}

bool EncodeValueEntry(uint8_t* pOut, const char* pszName, uint32_t dwType, uint32_t dwSize)
{
    if (!pszName || !FitsField(pszName, sizeof(ProfileValueEntry::szValueName)))
        return false;
    PutText(pOut + offsetof(ProfileValueEntry, szValueName), sizeof(ProfileValueEntry::szValueName), pszName);
    PutU32(pOut + offsetof(ProfileValueEntry, dwType), dwType);
    PutU32(pOut + offsetof(ProfileValueEntry, dwSize), dwSize);
    return true;
}
