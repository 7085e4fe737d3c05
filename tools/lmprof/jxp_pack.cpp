#include "jxp_pack.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "codec/byte_cursor.h"
#include "codec/devmode_layout.h"
#include "codec/jxp_format.h"
#include "codec/layouts.h"
#include "jxp_document.h"
#include "json_reader.h"
#include "text_code_page.h"

namespace {

constexpr size_t NAME_FIELD = sizeof(JxpEntryHeader::szProfileName);
constexpr size_t DESCRIPTION_FIELD = sizeof(JxpEntryHeader::szDescription);
constexpr size_t MODEL_FIELD = sizeof(JxpEntryHeader::szModel);
constexpr size_t VALUE_NAME_FIELD = sizeof(ProfileValueEntry::szValueName);

// A text field as it will be written: its bytes and what follows their terminator.
struct FieldBytes {
    std::string text;
    std::vector<uint8_t> fill;
};

struct Record {
    uint32_t dwId = 0;
    uint32_t dwValue = 0;            // DWORD records, and the type of value records
    FieldBytes name;                 // value records
    std::vector<uint8_t> data;       // buffer and value records
};

class Packer {
public:
    bool Pack(const JsonValue& doc, std::vector<uint8_t>* pOut);
    std::string m_why;

private:
    bool Fail(const std::string& field, const std::string& what)
    {
        m_why = (field.empty() ? std::string("the JSON") : field) + ": " + what;
        return false;
    }

    // Every key of the object is read (read) or printed by `show --json` for a person and
    // recomputed here (derived); any other key is refused, so a misspelt key is not dropped
    // with the edit it carries.
    bool Keys(const JsonValue& obj, const std::string& field, std::initializer_list<const char*> read,
              std::initializer_list<const char*> derived)
    {
        if (obj.kind != JsonValue::OBJECT)
            return Fail(field, "expected an object");
        for (const auto& m : obj.members) {
            bool bKnown = false;
            for (const char* k : read)
                bKnown = bKnown || m.first == k;
            for (const char* k : derived)
                bKnown = bKnown || m.first == k;
            if (!bKnown)
                return Fail(Sub(field, m.first), "not a key pack knows here");
        }
        return true;
    }

    static std::string Sub(const std::string& field, const std::string& key)
    {
        return field.empty() ? key : field + "." + key;
    }
    static std::string Index(const std::string& field, size_t i) { return field + "[" + std::to_string(i) + "]"; }

    // A member that must be there.
    bool Need(const JsonValue& obj, const char* key, const std::string& field, const JsonValue** ppOut)
    {
        *ppOut = obj.Member(key);
        return *ppOut || Fail(Sub(field, key), "missing");
    }

    bool Integer(const JsonValue& obj, const char* key, const std::string& field, bool bRequired, long long llMin,
                 long long llMax, long long* pOut)
    {
        const JsonValue* p = obj.Member(key);
        if (!p) {
            *pOut = 0;
            return !bRequired || Fail(Sub(field, key), "missing");
        }
        if (!JsonInteger(*p, llMin, llMax, pOut))
            return Fail(Sub(field, key), "expected a whole number from " + std::to_string(llMin) + " to " +
                                             std::to_string(llMax));
        return true;
    }

    bool Hex(const JsonValue& value, const std::string& field, std::vector<uint8_t>* pOut)
    {
        if (value.kind != JsonValue::STRING)
            return Fail(field, "expected a string of hexadecimal digits");
        if (value.chars.size() % 2)
            return Fail(field, "an odd number of hexadecimal digits");
        pOut->clear();
        for (size_t i = 0; i < value.chars.size(); i += 2) {
            int hi = HexDigit(value.chars[i]), lo = HexDigit(value.chars[i + 1]);
            if (hi < 0 || lo < 0)
                return Fail(field, "\"" + Utf8Of({value.chars[hi < 0 ? i : i + 1]}) + "\" is not a hexadecimal digit");
            pOut->push_back(uint8_t(hi * 16 + lo));
        }
        return true;
    }

    // A text field of nField bytes: key and key + "_fill".
    bool Text(const JsonValue& obj, const char* key, const std::string& field, bool bRequired, size_t nField,
              FieldBytes* pOut)
    {
        const std::string name = Sub(field, key);
        const JsonValue* p = obj.Member(key);
        pOut->text.clear();
        pOut->fill.clear();
        if (!p && bRequired)
            return Fail(name, "missing");
        if (p) {
            if (p->kind != JsonValue::STRING)
                return Fail(name, "expected a string");
            uint32_t dwBad = 0;
            if (!CharsToBytes(p->chars, m_wCodePage, &pOut->text, &dwBad))
                return Fail(name, NoByte(dwBad));
            if (pOut->text.size() >= nField)
                return Fail(name, std::to_string(pOut->text.size()) + " bytes; the field holds at most " +
                                      std::to_string(nField - 1));
        }
        const std::string fillKey = std::string(key) + "_fill";
        if (const JsonValue* pFill = obj.Member(fillKey)) {
            if (!Hex(*pFill, Sub(field, fillKey), &pOut->fill))
                return false;
            size_t nRoom = nField - pOut->text.size() - 1;
            if (pOut->fill.size() > nRoom)
                return Fail(Sub(field, fillKey), std::to_string(pOut->fill.size()) + " bytes; the field has " +
                                                     std::to_string(nRoom) + " behind its text");
        }
        return true;
    }

    std::string NoByte(uint32_t c) const
    {
        char sz[16];
        snprintf(sz, sizeof(sz), "U+%04X", unsigned(c));
        if (c == 0)
            return "holds U+0000, which would end the text there";
        if (m_wCodePage == 1252)
            return std::string(sz) + " is not in code page 1252, the file's (language " + std::to_string(m_wLanguage) + ")";
        return std::string(sz) + " cannot be written: this tool carries no table of code page " +
               std::to_string(m_wCodePage) + ", the file's (language " + std::to_string(m_wLanguage) +
               "); write each byte of the text as \\u0080..\\u00ff";
    }

    // The array under key (absent: empty); each item an object checked by read.
    template <class F>
    bool Records(const JsonValue& obj, const char* key, const std::string& field, std::vector<Record>* pOut, F read)
    {
        const JsonValue* p = obj.Member(key);
        if (!p)
            return true;
        const std::string name = Sub(field, key);
        if (p->kind != JsonValue::ARRAY)
            return Fail(name, "expected an array");
        for (size_t i = 0; i < p->items.size(); ++i) {
            pOut->emplace_back();
            if (!read(p->items[i], Index(name, i), &pOut->back()))
                return false;
        }
        return true;
    }

    bool DwordRecord(const JsonValue& item, const std::string& field, Record* pOut)
    {
        long long id = 0, value = 0;
        if (!Keys(item, field, {"id", "value"}, {"name", "private"}) ||
            !Integer(item, "id", field, true, 0, UINT32_MAX, &id))
            return false;
        const devmode::DwordRecordDef* pDef = devmode::FindDwordRecord(uint32_t(id));
        if (!pDef)
            return Fail(Sub(field, "id"), "unknown DWORD record " + std::to_string(id));
        // Signed fields are shown as signed numbers; either way the record holds 32 bits.
        bool bSigned = pDef->kind == devmode::FIELD_SIGN;
        if (!Integer(item, "value", field, true, bSigned ? INT32_MIN : 0, bSigned ? INT32_MAX : UINT32_MAX, &value))
            return false;
        pOut->dwId = uint32_t(id);
        pOut->dwValue = uint32_t(value);
        return true;
    }

    bool BufferRecord(const JsonValue& item, const std::string& field, Record* pOut)
    {
        long long id = 0;
        const JsonValue* pData = nullptr;
        if (!Keys(item, field, {"id", "data"}, {"name", "size", "text"}) ||
            !Integer(item, "id", field, true, 0, UINT32_MAX, &id) || !Need(item, "data", field, &pData) ||
            !Hex(*pData, Sub(field, "data"), &pOut->data))
            return false;
        pOut->dwId = uint32_t(id);
        JxpBufferItem check{0, pOut->dwId, pOut->data};
        std::string why;
        if (CheckBufferRecord(check, &why))
            return true;
        // An identifier no table knows is wrong in itself; a known one is wrong in its bytes.
        bool bKnownId = devmode::FindBufferRecord(pOut->dwId) || pOut->dwId == devmode::RECORD_FORM_NAME ||
                        pOut->dwId == devmode::RECORD_PLUGIN;
        return Fail(Sub(field, bKnownId ? "data" : "id"), why);
    }

    bool ValueRecord(const JsonValue& item, const std::string& field, Record* pOut)
    {
        long long type = 0;
        const JsonValue* pData = nullptr;
        if (!Keys(item, field, {"name", "name_fill", "type", "data"}, {"offset", "type_name", "size"}) ||
            !Text(item, "name", field, true, VALUE_NAME_FIELD, &pOut->name) ||
            !Integer(item, "type", field, true, 0, UINT32_MAX, &type) || !Need(item, "data", field, &pData) ||
            !Hex(*pData, Sub(field, "data"), &pOut->data))
            return false;
        pOut->dwValue = uint32_t(type);
        return true;
    }

    bool Profile(const JsonValue& obj, const std::string& field, std::vector<uint8_t>* pFile);

    uint16_t m_wLanguage = 0;
    uint16_t m_wCodePage = 1252;
};

// Appends a section's records; false when its length would not fit the entry's 32-bit word.
bool AddSection(std::vector<uint8_t>* pFile, uint8_t* pEntry, int nSection, const std::vector<uint8_t>& bytes)
{
    if (bytes.size() > UINT32_MAX)
        return false;
    JxpSetSectionLength(pEntry, nSection, uint32_t(bytes.size()));
    pFile->insert(pFile->end(), bytes.begin(), bytes.end());
    return true;
}

void PutFill(uint8_t* pField, const FieldBytes& f)
{
    if (!f.fill.empty())
        memcpy(pField + f.text.size() + 1, f.fill.data(), f.fill.size());
}

void PutValueRecords(std::vector<uint8_t>* pOut, const std::vector<Record>& records)
{
    for (const Record& r : records) {
        uint8_t header[JXP_VALUE_HEADER_BYTES];
        // The name's fit was checked when it was read.
        JxpBuildValueHeader(header, r.name.text.c_str(), r.dwValue, uint32_t(r.data.size()));
        PutFill(header, r.name);
        pOut->insert(pOut->end(), header, header + sizeof(header));
        pOut->insert(pOut->end(), r.data.begin(), r.data.end());
    }
}

bool Packer::Profile(const JsonValue& obj, const std::string& field, std::vector<uint8_t>* pFile)
{
    FieldBytes name, description, model;
    long long param1 = 0, param2 = 0, reserved = 0;
    std::vector<Record> dwords, buffers, values, setup;
    if (!Keys(obj, field,
              {"name", "name_fill", "description", "description_fill", "model", "model_fill", "param1", "param2",
               "reserved", "dwords", "buffers", "values", "setup"},
              {"offset", "sections"}) ||
        !Text(obj, "name", field, true, NAME_FIELD, &name) ||
        !Text(obj, "description", field, false, DESCRIPTION_FIELD, &description) ||
        !Text(obj, "model", field, false, MODEL_FIELD, &model) ||
        !Integer(obj, "param1", field, false, 0, UINT32_MAX, &param1) ||
        !Integer(obj, "param2", field, false, 0, UINT32_MAX, &param2) ||
        !Integer(obj, "reserved", field, false, 0, UINT32_MAX, &reserved))
        return false;
    auto dword = [this](const JsonValue& v, const std::string& f, Record* r) { return DwordRecord(v, f, r); };
    auto buffer = [this](const JsonValue& v, const std::string& f, Record* r) { return BufferRecord(v, f, r); };
    auto value = [this](const JsonValue& v, const std::string& f, Record* r) { return ValueRecord(v, f, r); };
    if (!Records(obj, "dwords", field, &dwords, dword) || !Records(obj, "buffers", field, &buffers, buffer) ||
        !Records(obj, "values", field, &values, value) || !Records(obj, "setup", field, &setup, value))
        return false;
    // An import reads the setup section as the one "_Setup" value.
    if (setup.size() > 1)
        return Fail(Sub(field, "setup"), std::to_string(setup.size()) + " records; a profile has at most one");
    if (setup.size() == 1 && setup[0].name.text != SETUP_PACK_VALUE)
        return Fail(Sub(field, "setup[0].name"), "the setup record is named \"_Setup\"");

    uint8_t entry[JXP_ENTRY_SIZE];
    JxpBuildEntryHeader(entry, name.text.c_str(), uint32_t(param1), uint32_t(param2), description.text.c_str(),
                        model.text.c_str());
    PutFill(entry + offsetof(JxpEntryHeader, szProfileName), name);
    PutFill(entry + offsetof(JxpEntryHeader, szDescription), description);
    PutFill(entry + offsetof(JxpEntryHeader, szModel), model);
    PutU32(entry + offsetof(JxpEntryHeader, dwReserved), uint32_t(reserved));

    std::vector<uint8_t> sections[JXP_SECTIONS];
    for (const Record& r : dwords) {
        uint8_t rec[JXP_DWORD_RECORD_BYTES];
        JxpPutDwordRecord(rec, r.dwId, r.dwValue);
        sections[JXP_SECTION_DWORD].insert(sections[JXP_SECTION_DWORD].end(), rec, rec + sizeof(rec));
    }
    for (const Record& r : buffers) {
        std::vector<uint8_t> rec(JXP_BUFFER_RECORD_HEAD_BYTES + r.data.size());
        JxpPutBufferRecord(rec.data(), r.dwId, r.data.data(), uint32_t(r.data.size()));
        sections[JXP_SECTION_BUFFER].insert(sections[JXP_SECTION_BUFFER].end(), rec.begin(), rec.end());
    }
    PutValueRecords(&sections[JXP_SECTION_VALUE], values);
    PutValueRecords(&sections[JXP_SECTION_SETUP], setup);

    size_t nEntry = pFile->size();
    pFile->insert(pFile->end(), entry, entry + sizeof(entry));
    static const char* const SECTION_KEYS[JXP_SECTIONS] = {"dwords", "buffers", "values", "setup"};
    for (int i = 0; i < JXP_SECTIONS; ++i) {
        if (!AddSection(pFile, pFile->data() + nEntry, i, sections[i]))
            return Fail(Sub(field, SECTION_KEYS[i]), "more bytes than a section's 32-bit length can say");
    }
    return true;
}

bool Packer::Pack(const JsonValue& doc, std::vector<uint8_t>* pOut)
{
    long long driverVersion = 0, language = 0;
    const JsonValue* pProfiles = nullptr;
    if (!Keys(doc, "", {"driver_version", "language", "model", "model_fill", "reserved", "profiles", "damage"},
              {"file", "size", "code_page", "profile_count"}) ||
        !Integer(doc, "driver_version", "", true, 0, UINT16_MAX, &driverVersion) ||
        !Integer(doc, "language", "", true, 0, UINT16_MAX, &language))
        return false;
    m_wLanguage = uint16_t(language);
    m_wCodePage = CodePageOfLanguage(m_wLanguage);
    FieldBytes model;
    if (!Text(doc, "model", "", true, MODEL_FIELD, &model) || !Need(doc, "profiles", "", &pProfiles))
        return false;
    if (const JsonValue* pDamage = doc.Member("damage")) {
        if (pDamage->kind != JsonValue::NUL)
            return Fail("damage", "the JSON shows a damaged file; pack writes whole files only");
    }
    // The byte behind "JXP" and the reserved words at offsets 4, 6 and 14.
    long long reserved[4] = {0, 0, 0, 0};
    if (const JsonValue* p = doc.Member("reserved")) {
        if (p->kind != JsonValue::ARRAY || p->items.size() != 4)
            return Fail("reserved", "expected four numbers");
        for (size_t i = 0; i < 4; ++i) {
            if (!JsonInteger(p->items[i], 0, i == 0 ? UINT8_MAX : UINT16_MAX, &reserved[i]))
                return Fail(Index("reserved", i), std::string("expected a whole number from 0 to ") +
                                                      (i == 0 ? "255" : "65535"));
        }
    }
    if (pProfiles->kind != JsonValue::ARRAY)
        return Fail("profiles", "expected an array");
    if (pProfiles->items.size() > size_t(JXP_MAX_PROFILES))
        return Fail("profiles", std::to_string(pProfiles->items.size()) + " profiles; a file holds at most " +
                                    std::to_string(JXP_MAX_PROFILES));

    std::vector<uint8_t> file(JXP_HEADER_SIZE);
    JxpBuildFileHeader(file.data(), uint16_t(driverVersion), m_wLanguage, model.text.c_str());
    PutFill(file.data() + offsetof(JxpFileHeader, szModel), model);
    file[3] = uint8_t(reserved[0]);
    PutU16(file.data() + offsetof(JxpFileHeader, wReserved1), uint16_t(reserved[1]));
    PutU16(file.data() + offsetof(JxpFileHeader, wReserved2), uint16_t(reserved[2]));
    PutU16(file.data() + offsetof(JxpFileHeader, wReserved3), uint16_t(reserved[3]));
    PutU16(file.data() + offsetof(JxpFileHeader, nProfCount), uint16_t(pProfiles->items.size()));
    for (size_t i = 0; i < pProfiles->items.size(); ++i) {
        if (!Profile(pProfiles->items[i], Index("profiles", i), &file))
            return false;
    }
    pOut->swap(file);
    return true;
}

}  // namespace

bool PackJxpJson(const char* pText, size_t cb, std::vector<uint8_t>* pOut, std::string* pWhy)
{
    pOut->clear();
    JsonValue doc;
    if (!ParseJson(pText, cb, &doc, pWhy))
        return false;
    Packer packer;
    if (!packer.Pack(doc, pOut)) {
        *pWhy = packer.m_why;
        return false;
    }
    return true;
}
