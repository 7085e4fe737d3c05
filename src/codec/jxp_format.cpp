#include "codec/jxp_format.h"

#include <cstring>

namespace {

constexpr size_t HEAD_DRIVER_VERSION = offsetof(JxpFileHeader, wDriverVersion);
constexpr size_t HEAD_LANGUAGE = offsetof(JxpFileHeader, wLanguage);
constexpr size_t HEAD_COUNT = offsetof(JxpFileHeader, nProfCount);
constexpr size_t HEAD_MODEL = offsetof(JxpFileHeader, szModel);
constexpr size_t ENTRY_NAME = offsetof(JxpEntryHeader, szProfileName);
constexpr size_t ENTRY_PARAM1 = offsetof(JxpEntryHeader, dwProfileParam1);
constexpr size_t ENTRY_PARAM2 = offsetof(JxpEntryHeader, dwProfileParam2);
constexpr size_t ENTRY_DESCRIPTION = offsetof(JxpEntryHeader, szDescription);
constexpr size_t ENTRY_SIZES = offsetof(JxpEntryHeader, dwDataSize);
constexpr size_t ENTRY_MODEL = offsetof(JxpEntryHeader, szModel);
constexpr size_t VALUE_TYPE = offsetof(ProfileValueEntry, dwType);
constexpr size_t VALUE_SIZE = offsetof(ProfileValueEntry, dwSize);

constexpr size_t NAME_FIELD = sizeof(JxpEntryHeader::szProfileName);
constexpr size_t DESCRIPTION_FIELD = sizeof(JxpEntryHeader::szDescription);
constexpr size_t MODEL_FIELD = sizeof(JxpEntryHeader::szModel);
constexpr size_t VALUE_NAME_FIELD = sizeof(ProfileValueEntry::szValueName);

bool Fits(const char* pszText, size_t nField)
{
    return !pszText || strnlen(pszText, nField) < nField;
}

// Zero-fills the field behind the text, so no stale bytes of an earlier entry reach a file.
void PutText(uint8_t* pField, size_t nField, const char* pszText)
{
    memset(pField, 0, nField);
    if (pszText)
        memcpy(pField, pszText, strnlen(pszText, nField - 1));
}

}  // namespace

bool JxpBuildFileHeader(uint8_t* pHead, uint16_t wDriverVersion, uint16_t wLanguage, const char* pszModel)
{
    if (!Fits(pszModel, MODEL_FIELD))
        return false;
    memset(pHead, 0, JXP_HEADER_SIZE);
    PutU32(pHead, JXP_MAGIC);
    PutU16(pHead + HEAD_DRIVER_VERSION, wDriverVersion);
    PutU16(pHead + HEAD_LANGUAGE, wLanguage);
    PutText(pHead + HEAD_MODEL, MODEL_FIELD, pszModel);
    return true;
}

JxpHeaderCheck JxpCheckFileHeader(const uint8_t* pData, size_t cb)
{
    if (!pData || cb < JXP_HEADER_SIZE)
        return JXP_HEADER_SHORT;
    return memcmp(pData, "JXP", 3) == 0 ? JXP_HEADER_OK : JXP_HEADER_NOT_JXP;
}

int JxpProfileCount(const uint8_t* pHead)
{
    return int16_t(GetU16(pHead + HEAD_COUNT));
}

bool JxpAddProfileCount(uint8_t* pHead)
{
    int nCount = JxpProfileCount(pHead);
    if (nCount < 0 || nCount >= JXP_MAX_PROFILES)
        return false;
    PutU16(pHead + HEAD_COUNT, uint16_t(nCount + 1));
    return true;
}

JxpEntryFit JxpBuildEntryHeader(uint8_t* pEntry, const char* pszName, uint32_t dwProfileParam1,
                                uint32_t dwProfileParam2, const char* pszDescription, const char* pszModel)
{
    if (!Fits(pszName, NAME_FIELD))
        return JXP_NAME_TOO_LONG;
    if (!Fits(pszDescription, DESCRIPTION_FIELD))
        return JXP_DESCRIPTION_TOO_LONG;
    if (!Fits(pszModel, MODEL_FIELD))
        return JXP_MODEL_TOO_LONG;
    memset(pEntry, 0, JXP_ENTRY_SIZE);
    PutText(pEntry + ENTRY_NAME, NAME_FIELD, pszName);
    PutU32(pEntry + ENTRY_PARAM1, dwProfileParam1);
    PutU32(pEntry + ENTRY_PARAM2, dwProfileParam2);
    PutText(pEntry + ENTRY_DESCRIPTION, DESCRIPTION_FIELD, pszDescription);
    PutText(pEntry + ENTRY_MODEL, MODEL_FIELD, pszModel);
    return JXP_ENTRY_FITS;
}

uint32_t JxpSectionLength(const uint8_t* pEntry, int nSection)
{
    return GetU32(pEntry + ENTRY_SIZES + 4 * size_t(nSection));
}

void JxpSetSectionLength(uint8_t* pEntry, int nSection, uint32_t dwLength)
{
    PutU32(pEntry + ENTRY_SIZES + 4 * size_t(nSection), dwLength);
}

bool JxpSectionCanGrow(const uint8_t* pEntry, int nSection, uint64_t cbMore)
{
    return uint64_t(JxpSectionLength(pEntry, nSection)) + cbMore <= UINT32_MAX;
}

uint64_t JxpSectionsLength(const uint8_t* pEntry, int nSections)
{
    uint64_t qwSum = 0;
    for (int i = 0; i < nSections && i < JXP_SECTIONS; ++i)
        qwSum += JxpSectionLength(pEntry, i);
    return qwSum;
}

bool JxpEntryNameIs(const uint8_t* pEntry, const char* pszName)
{
    const char* pField = reinterpret_cast<const char*>(pEntry + ENTRY_NAME);
    size_t nField = FieldLength(pField, NAME_FIELD);
    if (!pszName || nField == NAME_FIELD)
        return false;
    return strnlen(pszName, NAME_FIELD) == nField && memcmp(pField, pszName, nField) == 0;
}

void JxpPutDwordRecord(uint8_t* pDest, uint32_t dwId, uint32_t dwValue)
{
    PutU32(pDest, dwId);
    PutU32(pDest + 4, dwValue);
}

void JxpPutBufferRecord(uint8_t* pDest, uint32_t dwId, const void* pSource, uint32_t cbSource)
{
    PutU32(pDest, dwId);
    PutU32(pDest + 4, cbSource);
    if (pSource)
        memcpy(pDest + JXP_BUFFER_RECORD_HEAD_BYTES, pSource, cbSource);
    else
        memset(pDest + JXP_BUFFER_RECORD_HEAD_BYTES, 0, cbSource);
}

bool JxpBuildValueHeader(uint8_t* pHeader, const char* pszValueName, uint32_t dwType, uint32_t cbData)
{
    if (!Fits(pszValueName, VALUE_NAME_FIELD))
        return false;
    PutText(pHeader, VALUE_NAME_FIELD, pszValueName);
    PutU32(pHeader + VALUE_TYPE, dwType);
    PutU32(pHeader + VALUE_SIZE, cbData);
    return true;
}

bool JxpReadDwordRecord(ByteCursor& cursor, uint32_t* pdwId, uint32_t* pdwValue)
{
    const uint8_t* p;
    if (!cursor.View(&p, JXP_DWORD_RECORD_BYTES))
        return false;
    *pdwId = GetU32(p);
    *pdwValue = GetU32(p + 4);
    return true;
}

bool JxpReadBufferRecord(ByteCursor& cursor, JxpBufferRecord* pRecord)
{
    ByteCursor at = cursor;
    uint32_t dwId, cbData;
    const uint8_t* pData;
    if (!at.U32(&dwId) || !at.U32(&cbData) || !at.View(&pData, cbData))
        return false;
    *pRecord = JxpBufferRecord{dwId, cbData, pData};
    cursor = at;
    return true;
}

bool JxpReadValueRecord(ByteCursor& cursor, JxpValueRecord* pRecord)
{
    ByteCursor at = cursor;
    const uint8_t* pHeader;
    const uint8_t* pData;
    if (!at.View(&pHeader, JXP_VALUE_HEADER_BYTES))
        return false;
    const char* pName = reinterpret_cast<const char*>(pHeader);
    if (FieldLength(pName, VALUE_NAME_FIELD) == VALUE_NAME_FIELD)
        return false;
    uint32_t cbData = GetU32(pHeader + VALUE_SIZE);
    if (!at.View(&pData, cbData))
        return false;
    memcpy(pRecord->szValueName, pName, VALUE_NAME_FIELD);
    pRecord->dwType = GetU32(pHeader + VALUE_TYPE);
    pRecord->cbData = cbData;
    pRecord->pData = pData;
    cursor = at;
    return true;
}

size_t JxpReadImageAt(void* pContext, uint64_t qwOffset, void* pDest, size_t cb)
{
    const JxpImage* pImage = static_cast<const JxpImage*>(pContext);
    if (qwOffset >= pImage->cb)
        return 0;
    size_t nLeft = pImage->cb - size_t(qwOffset);
    size_t n = cb < nLeft ? cb : nLeft;
    memcpy(pDest, pImage->pData + qwOffset, n);
    return n;
}

JxpWalk JxpWalkStart(const uint8_t* pHead)
{
    int nCount = JxpProfileCount(pHead);
    return JxpWalk{JXP_HEADER_SIZE, 0, nCount < 0 ? 0 : nCount};
}

JxpWalkStep JxpWalkNext(const JxpReader& reader, JxpWalk* pWalk, uint8_t* pEntry, uint64_t* pqwData)
{
    if (pWalk->nIndex >= pWalk->nCount)
        return JXP_WALK_END;
    if (reader.qwSize < JXP_HEADER_SIZE)
        return JXP_WALK_HEADER_CUT;
    if (pWalk->qwNext > reader.qwSize ||
        reader.pfnReadAt(reader.pContext, pWalk->qwNext, pEntry, JXP_ENTRY_SIZE) != JXP_ENTRY_SIZE)
        return JXP_WALK_ENTRY_CUT;
    uint64_t qwData = pWalk->qwNext + JXP_ENTRY_SIZE;
    *pqwData = qwData;
    // qwData is at most the file size and the sum below 2^34, so neither addition wraps.
    uint64_t qwEnd = qwData + JxpSectionsLength(pEntry);
    if (qwEnd > reader.qwSize)
        return JXP_WALK_DATA_PAST_END;
    pWalk->qwNext = qwEnd;
    ++pWalk->nIndex;
    return JXP_WALK_ENTRY;
}

JxpWalkStep JxpFindProfile(const JxpReader& reader, const uint8_t* pHead, const char* pszName, int nSkip,
                           uint8_t* pEntry, int* pnIndex, uint64_t* pqwPosition)
{
    JxpWalk walk = JxpWalkStart(pHead);
    for (;;) {
        uint64_t qwData = 0;
        JxpWalkStep step = JxpWalkNext(reader, &walk, pEntry, &qwData);
        *pnIndex = walk.nIndex;
        if (step != JXP_WALK_ENTRY)
            return step;
        if (JxpEntryNameIs(pEntry, pszName)) {
            *pnIndex = walk.nIndex - 1;
            if (nSkip < 0 || nSkip > JXP_SECTIONS)
                return JXP_WALK_END;
            *pqwPosition = qwData + JxpSectionsLength(pEntry, nSkip);
            return JXP_WALK_ENTRY;
        }
    }
}
