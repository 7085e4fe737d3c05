#include "codec/devmode_layout.h"

#include <cstring>

#include "codec/byte_cursor.h"

namespace devmode {

bool ReadRecordSizes(const uint8_t* pRecord, size_t cb, uint16_t* pdmSize, uint16_t* pdmDriverExtra)
{
    if (!pRecord || cb < PUBLIC_MIN_SIZE)
        return false;
    uint16_t dmSize = GetU16(pRecord + OFF_SIZE);
    uint16_t dmDriverExtra = GetU16(pRecord + OFF_DRIVER_EXTRA);
    if (dmSize < PUBLIC_MIN_SIZE || size_t(dmSize) + dmDriverExtra > cb)
        return false;
    *pdmSize = dmSize;
    *pdmDriverExtra = dmDriverExtra;
    return true;
}

bool ReadBlockHeader(const uint8_t* pPrivate, size_t cbPrivate, size_t off, BlockHeader* pOut)
{
    if (off > cbPrivate || cbPrivate - off < BLOCK_HEADER_SIZE)
        return false;
    const uint8_t* p = pPrivate + off;
    pOut->dwSignature = GetU32(p);
    pOut->wId = GetU16(p + 4);
    pOut->wTraced = GetU16(p + 8);
    pOut->dwSize = GetU32(p + 12);
    return true;
}

bool IsSoundBlock(const BlockHeader& h, size_t off, size_t cbPrivate)
{
    return h.dwSignature == BLOCK_SIGNATURE && h.dwSize >= BLOCK_HEADER_SIZE && off <= cbPrivate &&
           h.dwSize <= cbPrivate - off;
}

bool FindBlock(const uint8_t* pPrivate, size_t cbPrivate, uint16_t wId, size_t* pOff, BlockHeader* pHeader,
               const BlockVisit& seen)
{
    size_t off = 0;
    BlockHeader h;
    while (ReadBlockHeader(pPrivate, cbPrivate, off, &h)) {
        if (seen)
            seen(off, h);
        if (!IsSoundBlock(h, off, cbPrivate))
            return false;
        if (h.wId == wId) {
            *pOff = off;
            if (pHeader)
                *pHeader = h;
            return true;
        }
        // A sound block is at least a header long and ends inside the area: the walk moves on
        // and cannot pass the end.
        off += h.dwSize;
    }
    return false;
}

size_t ForEachBlockFrom(const uint8_t* pPrivate, size_t cbPrivate, size_t off, const BlockVisit& visit)
{
    size_t nVisited = 0;
    BlockHeader h;
    while (ReadBlockHeader(pPrivate, cbPrivate, off, &h) && IsSoundBlock(h, off, cbPrivate)) {
        visit(off, h);
        ++nVisited;
        off += h.dwSize;
    }
    return nVisited;
}

size_t ForEachBlockAfter(const uint8_t* pPrivate, size_t cbPrivate, size_t offBlock, size_t cbBlock,
                         const BlockVisit& visit)
{
    if (offBlock > cbPrivate || cbBlock > cbPrivate - offBlock)
        return 0;
    return ForEachBlockFrom(pPrivate, cbPrivate, offBlock + cbBlock, visit);
}

// clang-format off
const DwordRecordDef kPublicDwordRecords[] = {
    {1, "PFDM_SPEC_VERSION", false, 64, 2, FIELD_ZERO, 0, 0, false},
    {2, "PFDM_DRIVER_VERSION", false, 66, 2, FIELD_ZERO, 0, 0, false},
    {3, "PFDM_SIZE", false, 68, 2, FIELD_ZERO, 0, 0, false},
    {4, "PFDM_DRIVER_EXTRA", false, 70, 2, FIELD_ZERO, 0, 0, false},
    {5, "PFDM_FIELDS", false, 72, 4, FIELD_ASIS, 0, 0, false},
    {6, "PFDM_ORIENTATION", false, 76, 2, FIELD_SIGN, 0, 0, true},
    {7, "PFDM_PAPERSIZE", false, 78, 2, FIELD_SIGN, 0, 0, true},
    {8, "PFDM_PAPERLENGTH", false, 80, 2, FIELD_SIGN, 0, 0, true},
    {9, "PFDM_PAPERWIDTH", false, 82, 2, FIELD_SIGN, 0, 0, true},
    {10, "PFDM_SCALE", false, 84, 2, FIELD_SIGN, 0, 0, true},
    {11, "PFDM_COPIES", false, 86, 2, FIELD_SIGN, 0, 0, true},
    {12, "PFDM_DEFAULTSOURCE", false, 88, 2, FIELD_SIGN, 0, 0, true},
    {13, "PFDM_PRINTQUALITY", false, 90, 2, FIELD_SIGN, 0, 0, true},
    {14, "PFDM_COLOR", false, 92, 2, FIELD_SIGN, 0, 0, true},
    {15, "PFDM_DUPLEX", false, 94, 2, FIELD_SIGN, 0, 0, true},
    {16, "PFDM_YRESOLUTION", false, 96, 2, FIELD_SIGN, 0, 0, true},
    {17, "PFDM_TTOPTION", false, 98, 2, FIELD_SIGN, 0, 0, true},
    {18, "PFDM_COLLATE", false, 100, 2, FIELD_SIGN, 0, 0, true},
    {20, "PFDM_ICMMETHOD", false, 188, 4, FIELD_ASIS, 0, 0, true},
    {21, "PFDM_ICMINTENT", false, 192, 4, FIELD_ASIS, 0, 0, true},
    {22, "PFDM_MEDIATYPE", false, 196, 4, FIELD_ASIS, 0, 0, true},
    {23, "PFDM_DITHERTYPE", false, 200, 4, FIELD_ASIS, 0, 0, true},
};
const size_t kPublicDwordRecordCount = sizeof(kPublicDwordRecords) / sizeof(kPublicDwordRecords[0]);

const DwordRecordDef kPrivateDwordRecords[] = {
    {32, "PFPD_NOCOPY", true, 20, 1, FIELD_BOOL, 0, 0, true},
    {35, "PFPD_LAYOUTBMPID", true, 62, 2, FIELD_ZERO, 0, 0, true},
    {63, "PFPD_MEDIASOURCEIDX", true, 368, 2, FIELD_ZERO, 0, 0, true},
    {64, "PFPD_MEDIATYPEIDX", true, 370, 2, FIELD_ZERO, 0, 0, true},
    {65, "PFPD_MEDIASIZEIDX", true, 372, 2, FIELD_ZERO, 0, 0, true},
    {68, "PFPD_SIZEMODE", true, 400, 2, FIELD_ZERO, 0, 0, true},
    {70, "PFPD_OUTBINIDX", true, 404, 2, FIELD_ZERO, 0, 0, true},
    {71, "PFPD_RESIDX", true, 406, 2, FIELD_ZERO, 0, 0, true},
    {85, "PFPD_ISVMBSAVE", true, 476, 1, FIELD_BOOL, 0, 0, true},
    {86, "PFPD_ISVMBSELECT", true, 477, 1, FIELD_BOOL, 0, 0, true},
    {88, "PFPD_HALFTONE", true, 484, 2, FIELD_ZERO, 0, 0, true},
    {89, "PFPD_BRIGHTNESS", true, 486, 2, FIELD_SIGN, 0, 0, true},
    {90, "PFPD_CONTRAST", true, 488, 2, FIELD_SIGN, 0, 0, true},
    {92, "PFPD_SCALINGMODE", true, 496, 2, FIELD_ZERO, 0, 0, true},
    {96, "PFPD_PRINTQUARESOLUTION", true, 532, 4, FIELD_ASIS, 0, 0, true},
    {97, "PFPD_CUSQUARESOLUTION", true, 536, 4, FIELD_ASIS, 0, 0, true},
    {98, "PFPD_PRINTQUATYPEID", true, 540, 4, FIELD_ASIS, 0, 0, true},
    {99, "PFPD_CUSQUAPDL", true, 544, 4, FIELD_ASIS, 0, 0, true},
    {100, "PFPD_CUSQUAFAST", true, 548, 1, FIELD_BOOL, 0, 0, true},
    {101, "PFPD_CUSQUANUR", true, 549, 1, FIELD_BOOL, 0, 0, true},
    {102, "PFPD_CUSQUAECO", true, 550, 1, FIELD_BOOL, 0, 0, true},
    {104, "PFPD_COLOADJCUSTOMID", true, 612, 4, FIELD_ASIS, 0, 0, true},
    {106, "PFPD_GUTTERPOSITION", true, 672, 4, FIELD_BITS, 0x0000000F, 0, true},
    {110, "PFPD_PDLID", true, 676, 2, FIELD_ZERO, 0, 0, true},
    {111, "PFPD_COLORREPRODUCTION", true, 678, 2, FIELD_ZERO, 0, 0, true},
    {115, "PFPD_EMFSPOOLING", true, 16, 4, FIELD_BITS, 0x08000000, 27, true},
};
const size_t kPrivateDwordRecordCount = sizeof(kPrivateDwordRecords) / sizeof(kPrivateDwordRecords[0]);

const BufferRecordDef kBufferRecords[] = {
    {31, 16, 4},    {33, 22, 20},   {34, 42, 20},   {36, 64, 4},    {37, 68, 8},    {38, 76, 12},
    {39, 88, 20},   {40, 108, 8},   {41, 116, 12},  {42, 128, 20},  {43, 148, 8},   {51, 156, 84},
    {52, 240, 12},  {53, 252, 4},   {54, 256, 16},  {61, 272, 48},  {62, 320, 48},  {66, 376, 12},
    {67, 392, 8},   {69, 402, 2},   {72, 408, 2},   {73, 412, 16},  {74, 428, 2},   {81, 430, 2},
    {82, 432, 2},   {83, 436, 8},   {84, 444, 32},  {87, 480, 4},   {91, 492, 4},   {93, 500, 12},
    {94, 512, 12},  {95, 524, 8},   {103, 552, 60}, {105, 616, 32}, {107, 648, 2},  {108, 652, 20},
    {109, 672, 4},  {112, 680, 144}, {113, 824, 8}, {114, 832, 8},  {116, 902, 4},  {117, 940, 2},
    {118, 938, 1},
};
const size_t kBufferRecordCount = sizeof(kBufferRecords) / sizeof(kBufferRecords[0]);
// clang-format on

const DwordRecordDef* FindDwordRecord(uint32_t dwId)
{
    for (size_t i = 0; i < kPublicDwordRecordCount; ++i) {
        if (kPublicDwordRecords[i].dwId == dwId)
            return &kPublicDwordRecords[i];
    }
    for (size_t i = 0; i < kPrivateDwordRecordCount; ++i) {
        if (kPrivateDwordRecords[i].dwId == dwId)
            return &kPrivateDwordRecords[i];
    }
    return nullptr;
}

const BufferRecordDef* FindBufferRecord(uint32_t dwId)
{
    for (size_t i = 0; i < kBufferRecordCount; ++i) {
        if (kBufferRecords[i].dwId == dwId)
            return &kBufferRecords[i];
    }
    return nullptr;
}

uint32_t ReadField(const DwordRecordDef& def, const uint8_t* pField)
{
    switch (def.nWidth) {
    case 1:
        return pField[0];
    case 2: {
        uint16_t w = GetU16(pField);
        return def.kind == FIELD_SIGN ? uint32_t(int32_t(int16_t(w))) : uint32_t(w);
    }
    default: {
        uint32_t dw = GetU32(pField);
        if (def.kind == FIELD_BITS)
            return (dw & def.dwMask) >> def.nShift;
        return dw;
    }
    }
}

void WriteField(const DwordRecordDef& def, uint8_t* pField, uint32_t dwValue)
{
    switch (def.kind) {
    case FIELD_BOOL:
        pField[0] = dwValue != 0 ? 1 : 0;
        break;
    case FIELD_BITS: {
        uint32_t dw = GetU32(pField);
        // A single-bit field takes any value but 0 as set.
        uint32_t dwBits = (def.dwMask >> def.nShift) == 1 ? (dwValue != 0 ? 1u : 0u) : dwValue;
        dw = (dw & ~def.dwMask) | ((dwBits << def.nShift) & def.dwMask);
        PutU32(pField, dw);
        break;
    }
    default:
        if (def.nWidth == 1)
            pField[0] = uint8_t(dwValue);
        else if (def.nWidth == 2)
            PutU16(pField, uint16_t(dwValue));
        else
            PutU32(pField, dwValue);
        break;
    }
}

const char* FoundLine(uint16_t wId)
{
    switch (wId) {
    case PRIVATE_DATA_ID_MAIN: return "Found - PRIVATE_DATA_ID_MAIN\n";
    case PRIVATE_DATA_ID_PROLOGEPILOG: return "Found - PRIVATE_DATA_ID_PROLOGEPILOG\n";
    case PRIVATE_DATA_ID_WATERMARK: return "Found - PRIVATE_DATA_ID_WATERMARK\n";
    case PRIVATE_DATA_ID_OVERLAY: return "Found - PRIVATE_DATA_ID_OVERLAY\n";
    case PRIVATE_DATA_ID_PROFIL: return "Found - PRIVATE_DATA_ID_PROFIL\n";
    default: return nullptr;
    }
}

}  // namespace devmode
