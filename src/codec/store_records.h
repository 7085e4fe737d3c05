// The records a printer keeps in its printer data: the profile list ("JxProfileData", records of
// 556 bytes) and a profile's value index ("JXP_%04d", entries of 268 bytes). Both values can be
// damaged (cut, or written by another program), so every read is bounded by the bytes actually
// read and a cut record at the end counts as no record. Portable: no Windows header, so the
// decoding can be fuzzed natively.
#pragma once
#include <cstddef>
#include <cstdint>

#include "codec/byte_cursor.h"
#include "codec/layouts.h"

constexpr size_t PROFILE_RECORD_BYTES = sizeof(ProfileRecord);
constexpr size_t VALUE_ENTRY_BYTES = sizeof(ProfileValueEntry);

// Exact, case-sensitive comparison of a fixed text field with a name; a field without a
// terminator matches nothing.
bool FieldIs(const char* pField, size_t nField, const char* pszName);

// ---- profile list ------------------------------------------------------------------------

size_t WholeProfileRecords(size_t cbList);
// Decodes record i; false when it does not lie wholly inside the list.
bool ReadProfileRecord(const uint8_t* pList, size_t cbList, size_t i, ProfileRecord* pOut);
// Name and description both end inside their fields.
bool ProfileRecordIsSound(const ProfileRecord& rec);
// Index of the first whole record named pszName, or -1.
long FindProfileRecord(const uint8_t* pList, size_t cbList, const char* pszName);
// True when a whole record carries the registry number.
bool ProfileRegNumInUse(const uint8_t* pList, size_t cbList, uint32_t dwRegNum);
// Lowest registry number from 1 up that no whole record uses.
uint32_t LowestFreeRegNum(const uint8_t* pList, size_t cbList);

enum ProfileRecordFit {
    PROFILE_RECORD_FITS,
    PROFILE_NAME_MISSING,
    PROFILE_NAME_TOO_LONG,
    PROFILE_DESCRIPTION_TOO_LONG
};
// Encodes a record into 556 bytes (unused bytes of the text fields are zero); no description
// is an empty one. Nothing is written unless both texts fit: a cut name would be another
// profile's name.
ProfileRecordFit EncodeProfileRecord(uint8_t* pOut, const char* pszName, const char* pszDescription,
                                     uint32_t dwProfileParam1, uint32_t dwProfileParam2, uint32_t dwRegNum);

// Copies the sound whole records of a list to pOut (room for every whole record) and returns
// how many were copied; records whose texts run past their fields are left out.
size_t CopySoundProfileRecords(const uint8_t* pList, size_t cbList, uint8_t* pOut);

// ---- value index -------------------------------------------------------------------------

size_t WholeValueEntries(size_t cbIndex);
bool ReadValueEntry(const uint8_t* pIndex, size_t cbIndex, size_t i, ProfileValueEntry* pOut);
// Sets dwSize of every whole entry named pszName and returns how many there were.
size_t SetValueEntrySize(uint8_t* pIndex, size_t cbIndex, const char* pszName, uint32_t dwSize);
// Encodes an entry into 268 bytes; false, nothing written, when the name does not fit 260 bytes.
bool EncodeValueEntry(uint8_t* pOut, const char* pszName, uint32_t dwType, uint32_t dwSize);
