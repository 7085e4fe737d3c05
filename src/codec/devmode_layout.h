// The print settings record: a DEVMODEW public part followed by the driver's private area, a
// chain of blocks that each open with the same 16-byte header. This file holds the layout
// tables and the bounded reads of a record; it includes no Windows header so that the same
// code can be fuzzed natively.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

namespace devmode {

constexpr uint32_t BLOCK_SIGNATURE = 0x4C6D5064;
constexpr size_t BLOCK_HEADER_SIZE = 16;
constexpr size_t MAIN_BLOCK_MIN_SIZE = 942;   // the last byte the engine addresses is 941

constexpr uint16_t PRIVATE_DATA_ID_MAIN = 1;
constexpr uint16_t PRIVATE_DATA_ID_PROLOGEPILOG = 10000;
constexpr uint16_t PRIVATE_DATA_ID_WATERMARK = 20000;
constexpr uint16_t PRIVATE_DATA_ID_OVERLAY = 30000;
constexpr uint16_t PRIVATE_DATA_ID_PROFIL = 40000;

// DEVMODEW offsets of the public fields the engine addresses.
constexpr size_t OFF_DEVICE_NAME = 0;
constexpr size_t OFF_SPEC_VERSION = 64;
constexpr size_t OFF_DRIVER_VERSION = 66;
constexpr size_t OFF_SIZE = 68;
constexpr size_t OFF_DRIVER_EXTRA = 70;
constexpr size_t OFF_FIELDS = 72;
constexpr size_t OFF_ORIENTATION = 76;   // 13 i16 fields to dmCollate at 100
constexpr size_t OFF_FORM_NAME = 102;
constexpr size_t FORM_NAME_BYTES = 64;   // 32 UTF-16 code units
constexpr size_t DEVICE_NAME_BYTES = 64;
constexpr size_t OFF_ICM_METHOD = 188;   // dmICMMethod, dmICMIntent, dmMediaType, dmDitherType
constexpr size_t PUBLIC_MIN_SIZE = OFF_DRIVER_EXTRA + 2;   // enough to read both sizes

// DEVMODEA counterparts: the name fields are 32 bytes, so everything after the first name
// moves 32 bytes, and everything after the form name 64.
constexpr size_t OFFA_SIZE = 36;
constexpr size_t OFFA_DRIVER_EXTRA = 38;
constexpr size_t OFFA_FIELDS = 40;
constexpr size_t OFFA_ORIENTATION = 44;
constexpr size_t OFFA_ICM_METHOD = 124;

struct BlockHeader {
    uint32_t dwSignature;
    uint16_t wId;
    uint16_t wTraced;   // the value at offset 8, which the engine only traces
    uint32_t dwSize;
};

// The public sizes of a record held in cb bytes. False when the bytes cannot hold the public
// sizes, or hold fewer bytes than dmSize + dmDriverExtra say.
bool ReadRecordSizes(const uint8_t* pRecord, size_t cb, uint16_t* pdmSize, uint16_t* pdmDriverExtra);

// Reads the header at offset off of a private area of cbPrivate bytes; false when no whole
// header fits there.
bool ReadBlockHeader(const uint8_t* pPrivate, size_t cbPrivate, size_t off, BlockHeader* pOut);

// A block the chain can continue through: it carries the signature, is at least a header
// long and lies wholly inside the private area.
bool IsSoundBlock(const BlockHeader& h, size_t off, size_t cbPrivate);

// The walks of the block chain. Every walk the engine makes goes through these, so the rule
// that keeps it inside the private area is written once: a walk moves only through a sound
// block, by that block's own size, and ends at the first header that cannot be read or block
// that is not sound.
using BlockVisit = std::function<void(size_t off, const BlockHeader& h)>;

// The first block of identifier wId in the chain from the start of the private area: its
// offset in *pOff and, when pHeader is given, its header. False when the chain ends first.
// seen, when given, is called with every header the walk reads, the one that ends the chain
// included.
bool FindBlock(const uint8_t* pPrivate, size_t cbPrivate, uint16_t wId, size_t* pOff, BlockHeader* pHeader,
               const BlockVisit& seen = nullptr);

// Visits the sound blocks of the chain from offset off, in order; how many were visited.
size_t ForEachBlockFrom(const uint8_t* pPrivate, size_t cbPrivate, size_t off, const BlockVisit& visit);

// Visits the blocks that follow the block at offBlock of cbBlock bytes (the plug-ins after the
// main block, wherever the chain put it), as ForEachBlockFrom; nothing when that block does
// not lie inside the private area.
size_t ForEachBlockAfter(const uint8_t* pPrivate, size_t cbPrivate, size_t offBlock, size_t cbBlock,
                         const BlockVisit& visit);

// How a DWORD record's value is taken from its field and put back.
enum FieldKind : uint8_t {
    FIELD_ZERO,   // unsigned, zero-extended
    FIELD_SIGN,   // i16, sign-extended
    FIELD_ASIS,   // u32
    FIELD_BOOL,   // u8 that takes 1 for any value but 0
    FIELD_BITS,   // some bits of a u32 (see dwMask)
};

struct DwordRecordDef {
    uint32_t dwId;
    const char* pszName;      // the record's name in trace lines
    bool bPrivate;            // offset in the main block, else in the public part
    uint16_t wOffset;
    uint8_t nWidth;           // 1, 2 or 4 bytes
    FieldKind kind;
    uint32_t dwMask;          // FIELD_BITS: the bits compared and written
    uint8_t nShift;           // FIELD_BITS: where the value's bit 0 lands
    bool bApplied;            // read back on import (the sizes and versions never are)
};

struct BufferRecordDef {
    uint32_t dwId;
    uint16_t wOffset;   // in the main block
    uint16_t wLength;
};

constexpr uint32_t RECORD_FORM_NAME = 19;
constexpr uint32_t RECORD_PLUGIN = 201;

extern const DwordRecordDef kPublicDwordRecords[];
extern const size_t kPublicDwordRecordCount;
extern const DwordRecordDef kPrivateDwordRecords[];
extern const size_t kPrivateDwordRecordCount;
extern const BufferRecordDef kBufferRecords[];
extern const size_t kBufferRecordCount;

const DwordRecordDef* FindDwordRecord(uint32_t dwId);
const BufferRecordDef* FindBufferRecord(uint32_t dwId);

// The field's value widened to 32 bits as it is written into a file; pField points at the
// field (public part or main block).
uint32_t ReadField(const DwordRecordDef& def, const uint8_t* pField);
// Stores a record's value into the field as an import applies it.
void WriteField(const DwordRecordDef& def, uint8_t* pField, uint32_t dwValue);

// The found line traced for a plug-in identifier, or nullptr for one without a name.
const char* FoundLine(uint16_t wId);

}  // namespace devmode
