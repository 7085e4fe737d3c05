#include "jxp_document.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "codec/byte_cursor.h"
#include "codec/jxp_format.h"
#include "codec/layouts.h"

namespace {

// The MinGW build prints with the C99 printf (gnu_printf); clang, which builds the fuzz targets,
// knows only the plain archetype.
#ifdef __clang__
std::string Format(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
#else
std::string Format(const char* pszFormat, ...) __attribute__((format(gnu_printf, 1, 2)));
#endif
std::string Format(const char* pszFormat, ...)
{
    char sz[512];
    va_list args;
    va_start(args, pszFormat);
    vsnprintf(sz, sizeof(sz), pszFormat, args);
    va_end(args);
    return sz;
}

void Damage(JxpDocument* pDoc, uint64_t qwOffset, const std::string& what)
{
    pDoc->bDamaged = true;
    pDoc->qwDamageOffset = qwOffset;
    pDoc->damage = what;
}

// A fixed text field; false when it holds no terminator (an import would refuse the name).
bool FieldText(const uint8_t* pField, size_t n, std::string* pOut)
{
    size_t len = FieldLength(reinterpret_cast<const char*>(pField), n);
    if (len == n)
        return false;
    pOut->assign(reinterpret_cast<const char*>(pField), len);
    return true;
}

// Reads the value records of a section; false with the damage noted.
bool ReadValues(JxpDocument* pDoc, const uint8_t* pSection, size_t cb, uint64_t qwBase, const char* pszSection,
                std::vector<JxpValueItem>* pOut)
{
    ByteCursor cursor(pSection, cb);
    while (cursor.Left()) {
        uint64_t qwAt = qwBase + uint64_t(cursor.p - pSection);
        JxpValueRecord rec;
        if (!JxpReadValueRecord(cursor, &rec)) {
            bool bCut = cursor.Left() < JXP_VALUE_HEADER_BYTES ||
                        FieldLength(reinterpret_cast<const char*>(cursor.p), 260) < 260;
            Damage(pDoc, qwAt,
                   bCut ? Format("%s record cut: %zu bytes left in the section", pszSection, cursor.Left())
                        : Format("%s record name has no terminator", pszSection));
            return false;
        }
        pOut->push_back({qwAt, rec.szValueName, rec.dwType, std::vector<uint8_t>(rec.pData, rec.pData + rec.cbData),
                         FillOfField(reinterpret_cast<const uint8_t*>(rec.szValueName), sizeof(rec.szValueName))});
    }
    return true;
}

// Decodes the four sections of one profile held in pData (the bytes behind its entry header).
bool ReadSections(JxpDocument* pDoc, JxpProfile* pProfile, const uint8_t* pData, uint64_t qwData)
{
    const uint8_t* p = pData;
    uint64_t qwAt = qwData;

    ByteCursor dwords(p, pProfile->dwSection[0]);
    while (dwords.Left()) {
        uint64_t qwRec = qwAt + uint64_t(dwords.p - p);
        JxpDwordItem item{qwRec, 0, 0, nullptr};
        if (!JxpReadDwordRecord(dwords, &item.dwId, &item.dwValue)) {
            Damage(pDoc, qwRec, Format("DWORD record cut: %zu bytes left in the section", dwords.Left()));
            return false;
        }
        item.pDef = devmode::FindDwordRecord(item.dwId);
        if (!item.pDef) {
            Damage(pDoc, qwRec, Format("unknown DWORD record %u", item.dwId));
            return false;
        }
        pProfile->dwords.push_back(item);
    }
    p += pProfile->dwSection[0];
    qwAt += pProfile->dwSection[0];

    ByteCursor buffers(p, pProfile->dwSection[1]);
    while (buffers.Left()) {
        uint64_t qwRec = qwAt + uint64_t(buffers.p - p);
        JxpBufferRecord rec;
        if (!JxpReadBufferRecord(buffers, &rec)) {
            Damage(pDoc, qwRec, Format("buffer record runs past its section: %zu bytes left", buffers.Left()));
            return false;
        }
        JxpBufferItem item{qwRec, rec.dwId, std::vector<uint8_t>(rec.pData, rec.pData + rec.cbData)};
        std::string why;
        if (!CheckBufferRecord(item, &why)) {
            Damage(pDoc, qwRec, why);
            return false;
        }
        pProfile->buffers.push_back(std::move(item));
    }
    p += pProfile->dwSection[1];
    qwAt += pProfile->dwSection[1];

    if (!ReadValues(pDoc, p, pProfile->dwSection[2], qwAt, "value", &pProfile->values))
        return false;
    p += pProfile->dwSection[2];
    qwAt += pProfile->dwSection[2];

    if (!ReadValues(pDoc, p, pProfile->dwSection[3], qwAt, "setup", &pProfile->setup))
        return false;
    if (pProfile->setup.size() > 1 || (pProfile->setup.size() == 1 && pProfile->setup[0].name != SETUP_PACK_VALUE)) {
        Damage(pDoc, qwAt, "setup section holds something other than one \"_Setup\" record");
        return false;
    }
    return true;
}

}  // namespace

JxpDocument DecodeJxp(const uint8_t* pData, size_t cb)
{
    JxpDocument doc;
    doc.qwSize = cb;
    switch (JxpCheckFileHeader(pData, cb)) {
    case JXP_HEADER_SHORT:
        Damage(&doc, cb, Format("file ends inside its header (%zu of %zu bytes)", cb, size_t(JXP_HEADER_SIZE)));
        return doc;
    case JXP_HEADER_NOT_JXP:
        Damage(&doc, 0, "no \"JXP\" mark: not a profile file");
        return doc;
    case JXP_HEADER_OK:
        break;
    }
    doc.wDriverVersion = GetU16(pData + offsetof(JxpFileHeader, wDriverVersion));
    doc.wLanguage = GetU16(pData + offsetof(JxpFileHeader, wLanguage));
    doc.nCount = JxpProfileCount(pData);
    doc.bMarkByte = pData[3];
    doc.wReserved[0] = GetU16(pData + offsetof(JxpFileHeader, wReserved1));
    doc.wReserved[1] = GetU16(pData + offsetof(JxpFileHeader, wReserved2));
    doc.wReserved[2] = GetU16(pData + offsetof(JxpFileHeader, wReserved3));
    if (!FieldText(pData + offsetof(JxpFileHeader, szModel), 128, &doc.model)) {
        Damage(&doc, offsetof(JxpFileHeader, szModel), "model field of the header has no terminator");
        return doc;
    }
    doc.modelFill = FillOfField(pData + offsetof(JxpFileHeader, szModel), 128);
    if (doc.nCount < 0) {
        Damage(&doc, offsetof(JxpFileHeader, nProfCount), Format("negative profile count %d", doc.nCount));
        return doc;
    }

    JxpImage image{pData, cb};
    JxpReader reader = JxpImageReader(&image);
    JxpWalk walk = JxpWalkStart(pData);
    uint8_t entry[JXP_ENTRY_SIZE];
    for (;;) {
        uint64_t qwEntry = walk.qwNext;
        uint64_t qwData = 0;
        JxpWalkStep step = JxpWalkNext(reader, &walk, entry, &qwData);
        if (step == JXP_WALK_END)
            break;
        if (step == JXP_WALK_ENTRY_CUT) {
            Damage(&doc, qwEntry,
                   Format("file ends inside the header of profile %d of %d", walk.nIndex + 1, doc.nCount));
            return doc;
        }
        if (step == JXP_WALK_HEADER_CUT) {
            Damage(&doc, cb, "file ends inside its header");
            return doc;
        }
        JxpProfile profile;
        profile.qwOffset = qwEntry;
        if (!FieldText(entry + offsetof(JxpEntryHeader, szProfileName), 32, &profile.name)) {
            Damage(&doc, qwEntry, Format("name of profile %d has no terminator", int(doc.profiles.size()) + 1));
            return doc;
        }
        if (!FieldText(entry + offsetof(JxpEntryHeader, szDescription), 512, &profile.description)) {
            Damage(&doc, qwEntry + offsetof(JxpEntryHeader, szDescription),
                   Format("description of profile \"%s\" has no terminator", profile.name.c_str()));
            return doc;
        }
        if (!FieldText(entry + offsetof(JxpEntryHeader, szModel), 128, &profile.model)) {
            Damage(&doc, qwEntry + offsetof(JxpEntryHeader, szModel),
                   Format("model of profile \"%s\" has no terminator", profile.name.c_str()));
            return doc;
        }
        profile.nameFill = FillOfField(entry + offsetof(JxpEntryHeader, szProfileName), 32);
        profile.descriptionFill = FillOfField(entry + offsetof(JxpEntryHeader, szDescription), 512);
        profile.modelFill = FillOfField(entry + offsetof(JxpEntryHeader, szModel), 128);
        profile.dwReserved = GetU32(entry + offsetof(JxpEntryHeader, dwReserved));
        profile.dwParam1 = GetU32(entry + offsetof(JxpEntryHeader, dwProfileParam1));
        profile.dwParam2 = GetU32(entry + offsetof(JxpEntryHeader, dwProfileParam2));
        for (int i = 0; i < JXP_SECTIONS; ++i)
            profile.dwSection[i] = JxpSectionLength(entry, i);
        if (step == JXP_WALK_DATA_PAST_END) {
            Damage(&doc, qwEntry + offsetof(JxpEntryHeader, dwDataSize),
                   Format("sections of profile \"%s\" need %llu bytes, the file has %llu behind its header",
                          profile.name.c_str(), (unsigned long long)JxpSectionsLength(entry),
                          (unsigned long long)(cb - qwData)));
            return doc;
        }
        if (!ReadSections(&doc, &profile, pData + qwData, qwData))
            return doc;
        doc.profiles.push_back(std::move(profile));
    }
    if (walk.qwNext < cb) {
        Damage(&doc, walk.qwNext,
               Format("%llu bytes behind the last of %d profiles", (unsigned long long)(cb - walk.qwNext), doc.nCount));
    }
    return doc;
}

bool CheckBufferRecord(const JxpBufferItem& item, std::string* pWhy)
{
    if (item.dwId == devmode::RECORD_FORM_NAME) {
        size_t cb = item.data.size();
        if (cb == 0 || cb % 2 || cb > devmode::FORM_NAME_BYTES || GetU16(&item.data[cb - 2]) != 0) {
            *pWhy = Format("form name record of %zu bytes is not a terminated name of at most 32 units", cb);
            return false;
        }
        return true;
    }
    if (item.dwId == devmode::RECORD_PLUGIN) {
        devmode::BlockHeader h;
        if (!devmode::ReadBlockHeader(item.data.data(), item.data.size(), 0, &h) ||
            h.dwSignature != devmode::BLOCK_SIGNATURE || h.dwSize != item.data.size()) {
            *pWhy = Format("plug-in block record of %zu bytes has no block header of that size", item.data.size());
            return false;
        }
        return true;
    }
    const devmode::BufferRecordDef* pDef = devmode::FindBufferRecord(item.dwId);
    if (!pDef) {
        *pWhy = Format("unknown buffer record %u", item.dwId);
        return false;
    }
    if (item.data.size() != pDef->wLength) {
        *pWhy = Format("buffer record %u holds %zu bytes, its field has %u", item.dwId, item.data.size(),
                       unsigned(pDef->wLength));
        return false;
    }
    return true;
}

std::string BufferRecordName(uint32_t dwId)
{
    if (dwId == devmode::RECORD_FORM_NAME)
        return "form name";
    if (dwId == devmode::RECORD_PLUGIN)
        return "plug-in block";
    if (const devmode::BufferRecordDef* pDef = devmode::FindBufferRecord(dwId))
        return Format("main block %u..%u", unsigned(pDef->wOffset), unsigned(pDef->wOffset + pDef->wLength - 1));
    return Format("record %u", dwId);
}

std::string RegTypeName(uint32_t dwType)
{
    static const char* const NAMES[] = {"REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD",
                                        "REG_DWORD_BIG_ENDIAN", "REG_LINK", "REG_MULTI_SZ"};
    if (dwType < sizeof(NAMES) / sizeof(NAMES[0]))
        return NAMES[dwType];
    return Format("type %u", dwType);
}

std::string DwordValueText(const JxpDwordItem& item)
{
    if (item.pDef && item.pDef->kind == devmode::FIELD_SIGN)
        return Format("%d", int32_t(item.dwValue));
    return Format("%u", item.dwValue);
}

std::string PlugInName(uint16_t wId)
{
    if (const char* pszLine = devmode::FoundLine(wId)) {
        std::string s = pszLine + strlen("Found - ");
        if (!s.empty() && s.back() == '\n')
            s.pop_back();
        return s;
    }
    return Format("%u", unsigned(wId));
}

std::string FormNameText(const std::vector<uint8_t>& data)
{
    std::string s;
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        uint16_t u = GetU16(&data[i]);
        if (u == 0)
            break;
        if (u >= 0x20 && u < 0x7F)
            s += char(u);
        else
            s += Format("\\u%04X", unsigned(u));
    }
    return s;
}

std::string HexBytes(const std::vector<uint8_t>& data, size_t nMax)
{
    std::string s;
    for (size_t i = 0; i < data.size() && i < nMax; ++i)
        s += Format(i ? " %02X" : "%02X", data[i]);
    if (data.size() > nMax)
        s += " ...";
    return s;
}

FieldFill FillOfField(const uint8_t* pField, size_t nField)
{
    size_t nText = FieldLength(reinterpret_cast<const char*>(pField), nField);
    if (nText >= nField)
        return FieldFill();
    size_t nEnd = nField;
    while (nEnd > nText + 1 && pField[nEnd - 1] == 0)
        --nEnd;
    return FieldFill(pField + nText + 1, pField + nEnd);
}
