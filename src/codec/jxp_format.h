// The ".jxp" profile file format: building and checking the file header and the entry headers,
// the DWORD, buffer and value records, and a bounded walk over the entries of a file. Portable:
// no Windows header, so the decoding of outside bytes can be fuzzed natively.
#pragma once
#include <cstddef>
#include <cstdint>

#include "codec/byte_cursor.h"
#include "codec/layouts.h"
#include "codec/names.h"

constexpr size_t JXP_VALUE_HEADER_BYTES = sizeof(ProfileValueEntry);
constexpr size_t JXP_DWORD_RECORD_BYTES = 8;
constexpr size_t JXP_BUFFER_RECORD_HEAD_BYTES = 8;

// Sections of a profile, in file order; their lengths are the entry's dwDataSize words.
constexpr int JXP_SECTION_DWORD = 0;
constexpr int JXP_SECTION_BUFFER = 1;
constexpr int JXP_SECTION_VALUE = 2;
constexpr int JXP_SECTION_SETUP = 3;
constexpr int JXP_SECTIONS = 4;

// The profile count is signed 16-bit.
constexpr int JXP_MAX_PROFILES = 32767;

// ---- file header (144 bytes) ----------------------------------------------------------------

// Fills a new file header with profile count 0. False, with the header untouched, when the
// model does not fit its field: a cut model would name another printer model.
bool JxpBuildFileHeader(uint8_t* pHead, uint16_t wDriverVersion, uint16_t wLanguage, const char* pszModel);

enum JxpHeaderCheck { JXP_HEADER_OK, JXP_HEADER_SHORT, JXP_HEADER_NOT_JXP };
// Only the three letters of the magic are compared: files whose fourth byte is not 0 exist.
JxpHeaderCheck JxpCheckFileHeader(const uint8_t* pData, size_t cb);

int JxpProfileCount(const uint8_t* pHead);
// Raises the profile count by one; false when the count is already at its limit (or damaged).
bool JxpAddProfileCount(uint8_t* pHead);

// ---- entry header (700 bytes) ---------------------------------------------------------------

enum JxpEntryFit { JXP_ENTRY_FITS, JXP_NAME_TOO_LONG, JXP_DESCRIPTION_TOO_LONG, JXP_MODEL_TOO_LONG };
// Fills an entry header with the four section lengths 0. Nothing is written unless every text
// fits its field.
JxpEntryFit JxpBuildEntryHeader(uint8_t* pEntry, const char* pszName, uint32_t dwProfileParam1,
                                uint32_t dwProfileParam2, const char* pszDescription, const char* pszModel);

uint32_t JxpSectionLength(const uint8_t* pEntry, int nSection);
void JxpSetSectionLength(uint8_t* pEntry, int nSection, uint32_t dwLength);
// True when the section can grow by cbMore without its 32-bit length wrapping.
bool JxpSectionCanGrow(const uint8_t* pEntry, int nSection, uint64_t cbMore);
// Sum of the first nSections lengths, in 64 bits: four 32-bit lengths may not fit 32 bits.
uint64_t JxpSectionsLength(const uint8_t* pEntry, int nSections = JXP_SECTIONS);
// Exact, case-sensitive comparison with the entry's name; a field without a terminator
// matches nothing.
bool JxpEntryNameIs(const uint8_t* pEntry, const char* pszName);

// ---- records ---------------------------------------------------------------------------------

void JxpPutDwordRecord(uint8_t* pDest, uint32_t dwId, uint32_t dwValue);
// A null source with a length writes zero bytes of that length, so the record keeps the size
// the sizing pass counted.
void JxpPutBufferRecord(uint8_t* pDest, uint32_t dwId, const void* pSource, uint32_t cbSource);
// False when the name does not fit the 260-byte field with its terminator.
bool JxpBuildValueHeader(uint8_t* pHeader, const char* pszValueName, uint32_t dwType, uint32_t cbData);

struct JxpBufferRecord {
    uint32_t dwId;
    uint32_t cbData;
    const uint8_t* pData;
};

struct JxpValueRecord {
    char szValueName[260];
    uint32_t dwType;
    uint32_t cbData;
    const uint8_t* pData;
};

// Each reads one record of a section span. False when the record is cut or damaged; the
// cursor is then left where the record began.
bool JxpReadDwordRecord(ByteCursor& cursor, uint32_t* pdwId, uint32_t* pdwValue);
bool JxpReadBufferRecord(ByteCursor& cursor, JxpBufferRecord* pRecord);
// A name field without a terminator is damage: the name is never cut into another one.
bool JxpReadValueRecord(ByteCursor& cursor, JxpValueRecord* pRecord);

// ---- walking the entries of a file -----------------------------------------------------------

// Positional reads from a file image or a stream: pfnReadAt copies up to cb bytes from offset
// qwOffset and returns how many it copied (fewer at the end).
struct JxpReader {
    size_t (*pfnReadAt)(void* pContext, uint64_t qwOffset, void* pDest, size_t cb);
    void* pContext;
    uint64_t qwSize;   // length of the whole file
};

struct JxpImage {
    const uint8_t* pData;
    size_t cb;
};
size_t JxpReadImageAt(void* pContext, uint64_t qwOffset, void* pDest, size_t cb);
inline JxpReader JxpImageReader(JxpImage* pImage)
{
    return JxpReader{JxpReadImageAt, pImage, pImage->cb};
}

enum JxpWalkStep {
    JXP_WALK_ENTRY,          // an entry header was read, its data lies inside the file
    JXP_WALK_END,            // the header's count of entries has been walked
    JXP_WALK_HEADER_CUT,     // the file ends inside its header
    JXP_WALK_ENTRY_CUT,      // the file ends inside an entry header (count larger than the entries)
    JXP_WALK_DATA_PAST_END,  // an entry's section lengths run past the end of the file
};

struct JxpWalk {
    uint64_t qwNext;   // offset of the next entry header
    int nIndex;        // index of the next entry
    int nCount;        // entries the header announces; a negative count walks none
};
JxpWalk JxpWalkStart(const uint8_t* pHead);
// Reads the next entry header into pEntry (700 bytes). On JXP_WALK_ENTRY and
// JXP_WALK_DATA_PAST_END pEntry holds the header read and *pqwData the offset of its DWORD
// section; the walk only moves on after JXP_WALK_ENTRY.
JxpWalkStep JxpWalkNext(const JxpReader& reader, JxpWalk* pWalk, uint8_t* pEntry, uint64_t* pqwData);

// Finds the first entry named pszName and gives the offset behind its first nSkip sections
// (0 to 4). Returns JXP_WALK_ENTRY when found, JXP_WALK_END when no entry bears the name, or
// the damage that stopped the walk; *pnIndex is the entry where the walk stopped.
JxpWalkStep JxpFindProfile(const JxpReader& reader, const uint8_t* pHead, const char* pszName, int nSkip,
                           uint8_t* pEntry, int* pnIndex, uint64_t* pqwPosition);
