// A whole ".jxp" file decoded for reading by a person: the header, every entry and the records
// of each section, with the offset of everything, and the first damage met. Built on the
// library's own decoders (src/codec), so the tool judges a file exactly as an import would
// walk it, and stricter where an import would silently skip something.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/devmode_layout.h"

struct JxpDwordItem {
    uint64_t qwOffset;
    uint32_t dwId;
    uint32_t dwValue;
    const devmode::DwordRecordDef* pDef;   // null for an identifier no table knows
};

struct JxpBufferItem {
    uint64_t qwOffset;
    uint32_t dwId;
    std::vector<uint8_t> data;
};

// A text field's bytes behind its terminator. Readers ignore them, but files made by older
// exporters carry leftovers there, and `pack` must give such a file back byte for byte. Held
// without the zeros at its end; empty when the field is zero behind its text.
using FieldFill = std::vector<uint8_t>;

struct JxpValueItem {
    uint64_t qwOffset;
    std::string name;
    uint32_t dwType;
    std::vector<uint8_t> data;
    FieldFill nameFill;
};

struct JxpProfile {
    uint64_t qwOffset;   // of the entry header
    std::string name, description, model;
    FieldFill nameFill, descriptionFill, modelFill;
    uint32_t dwParam1 = 0, dwParam2 = 0;
    uint32_t dwReserved = 0;             // the word at offset 552, which no reader looks at
    uint32_t dwSection[4] = {0, 0, 0, 0};
    std::vector<JxpDwordItem> dwords;
    std::vector<JxpBufferItem> buffers;
    std::vector<JxpValueItem> values;
    std::vector<JxpValueItem> setup;
};

struct JxpDocument {
    uint64_t qwSize = 0;
    uint16_t wDriverVersion = 0;
    uint16_t wLanguage = 0;
    int nCount = 0;
    std::string model;
    FieldFill modelFill;
    // Bytes no reader looks at: the one behind "JXP" (files with another than 0 there exist)
    // and the reserved words at offsets 4, 6 and 14.
    uint8_t bMarkByte = 0;
    uint16_t wReserved[3] = {0, 0, 0};
    std::vector<JxpProfile> profiles;   // every profile decoded before the damage
    bool bDamaged = false;
    uint64_t qwDamageOffset = 0;
    std::string damage;                 // what is wrong, in one line
};

// Decodes the file image and stops at the first damage.
JxpDocument DecodeJxp(const uint8_t* pData, size_t cb);

// Whether a buffer record is one an import takes: a form name of at most 32 units ending in a
// zero unit, a plug-in block whose header carries the signature and the record's size, or a
// known span of the main block of exactly that span's length. False with the reason.
bool CheckBufferRecord(const JxpBufferItem& item, std::string* pWhy);

// The record's name for a person: "PFDM_COPIES", "form name", "main block 22..41",
// "plug-in block", or "record 999".
std::string BufferRecordName(uint32_t dwId);
std::string RegTypeName(uint32_t dwType);
// The DWORD value as its field holds it (signed fields as signed numbers).
std::string DwordValueText(const JxpDwordItem& item);
// The plug-in identifier's name ("PRIVATE_DATA_ID_WATERMARK"), or its number.
std::string PlugInName(uint16_t wId);
// The form name carried by record 19 (UTF-16 code units, ASCII shown as is, others as \uXXXX).
std::string FormNameText(const std::vector<uint8_t>& data);
std::string HexBytes(const std::vector<uint8_t>& data, size_t nMax);

// The bytes of a fixed text field behind the terminator of its text (zeros at the end dropped).
FieldFill FillOfField(const uint8_t* pField, size_t nField);
