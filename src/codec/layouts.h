// Byte layouts of the records that cross a file or the printer data. All integers are
// little-endian, strings are ANSI and zero-terminated inside their field, and there is no
// padding; the static_asserts hold the sizes and offsets to the format.
#pragma once
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// File header of a ".jxp" profile file.
struct JxpFileHeader {
    uint32_t dwMagic;          // "JXP\0"
    uint16_t wReserved1;
    uint16_t wReserved2;
    uint16_t wDriverVersion;   // dmDriverVersion of the exporting session's default DEVMODE
    uint16_t wLanguage;        // language code of the exporting session
    int16_t nProfCount;
    uint16_t wReserved3;
    char szModel[128];
};

// Entry header of one profile in a ".jxp" file.
struct JxpEntryHeader {
    char szProfileName[32];
    uint32_t dwProfileParam1;
    uint32_t dwProfileParam2;
    char szDescription[512];
    uint32_t dwReserved;
    uint32_t dwDataSize[4];    // DWORD, buffer, value and setup sections
    char szModel[128];
};

// One record of a printer's profile list ("JxProfileData").
struct ProfileRecord {
    char szName[32];
    char szDescription[512];
    uint32_t dwProfileParam1;
    uint32_t dwProfileParam2;
    uint32_t dwRegNum;
};

// One entry of a profile's value index ("JXP_%04d"); also the header of a value record in a
// ".jxp" file.
struct ProfileValueEntry {
    char szValueName[260];
    uint32_t dwType;
    uint32_t dwSize;
};

#pragma pack(pop)

constexpr uint32_t JXP_MAGIC = 0x0050584A;

static_assert(sizeof(JxpFileHeader) == 144, "file header");
static_assert(offsetof(JxpFileHeader, wDriverVersion) == 8, "file header");
static_assert(offsetof(JxpFileHeader, nProfCount) == 12, "file header");
static_assert(offsetof(JxpFileHeader, szModel) == 16, "file header");
static_assert(sizeof(JxpEntryHeader) == 700, "entry header");
static_assert(offsetof(JxpEntryHeader, dwProfileParam1) == 32, "entry header");
static_assert(offsetof(JxpEntryHeader, szDescription) == 40, "entry header");
static_assert(offsetof(JxpEntryHeader, dwDataSize) == 556, "entry header");
static_assert(offsetof(JxpEntryHeader, szModel) == 572, "entry header");
static_assert(sizeof(ProfileRecord) == 556, "profile record");
static_assert(offsetof(ProfileRecord, dwProfileParam1) == 544, "profile record");
static_assert(offsetof(ProfileRecord, dwRegNum) == 552, "profile record");
static_assert(sizeof(ProfileValueEntry) == 268, "value entry");
static_assert(offsetof(ProfileValueEntry, dwType) == 260, "value entry");
