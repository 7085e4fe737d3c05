#include "report.h"

#include <map>

#include "codec/byte_cursor.h"
#include "text_code_page.h"

namespace {

// A JSON string: ASCII as it is and every other character escaped, so the output is the same
// ASCII on every system whatever its console's code page.
std::string JsonChars(const std::vector<uint32_t>& chars)
{
    std::string out = "\"";
    for (uint32_t c : chars) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char sz[8];
            snprintf(sz, sizeof(sz), "\\u%04x", unsigned(c));
            out += sz;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

// A path or a text of the tool's own: each byte the character of its number.
std::string Json(const std::string& s)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
    return JsonChars(std::vector<uint32_t>(p, p + s.size()));
}

// A text of the file: its bytes read through the file's code page (text_code_page.h).
std::string JsonText(const std::string& bytes, uint16_t wCodePage)
{
    return JsonChars(BytesToChars(bytes, wCodePage));
}

std::string JsonBytes(const std::vector<uint8_t>& data)
{
    std::string s = "\"";
    for (uint8_t b : data) {
        char sz[4];
        snprintf(sz, sizeof(sz), "%02x", b);
        s += sz;
    }
    return s + "\"";
}

std::string DwordName(const JxpDwordItem& item)
{
    return item.pDef ? item.pDef->pszName : "record " + std::to_string(item.dwId);
}

// A value's data for a person: the number of a REG_DWORD, the text of a string, else bytes.
std::string ValueText(const JxpValueItem& v)
{
    if (v.dwType == 4 && v.data.size() == 4)
        return std::to_string(GetU32(v.data.data()));
    if ((v.dwType == 1 || v.dwType == 2) && !v.data.empty() && v.data.back() == 0)
        return "\"" + std::string(reinterpret_cast<const char*>(v.data.data())) + "\"";
    return HexBytes(v.data, 16);
}

// The buffer record's content for a person: the form's name, the plug-in block's identity, or
// the bytes.
std::string BufferText(const JxpBufferItem& b)
{
    if (b.dwId == devmode::RECORD_FORM_NAME)
        return "\"" + FormNameText(b.data) + "\"";
    if (b.dwId == devmode::RECORD_PLUGIN) {
        devmode::BlockHeader h;
        if (devmode::ReadBlockHeader(b.data.data(), b.data.size(), 0, &h))
            return PlugInName(h.wId) + ", " + std::to_string(h.dwSize) + " bytes";
    }
    return HexBytes(b.data, 24);
}

void PrintValuesText(FILE* f, const char* pszWhat, const std::vector<JxpValueItem>& values)
{
    for (const JxpValueItem& v : values)
        fprintf(f, "    %s \"%s\" %s, %zu bytes: %s\n", pszWhat, v.name.c_str(), RegTypeName(v.dwType).c_str(),
                v.data.size(), ValueText(v).c_str());
}

// ", \"KEY_fill\": \"hex\"" for a field with bytes behind its text; nothing for the usual zeros.
std::string JsonFill(const char* pszKey, const FieldFill& fill)
{
    return fill.empty() ? std::string() : std::string(", \"") + pszKey + "_fill\": " + JsonBytes(fill);
}

// The records of a list, one a line, so that a change to one record is one changed line.
template <class T, class F>
void PrintJsonList(FILE* f, const char* pszKey, const std::vector<T>& items, F print, bool bLast)
{
    fprintf(f, "   \"%s\": [", pszKey);
    for (size_t i = 0; i < items.size(); ++i) {
        fprintf(f, "%s\n    ", i ? "," : "");
        print(items[i]);
    }
    fprintf(f, "%s", bLast ? "]}" : "],\n");
}

}  // namespace

void PrintDocumentText(FILE* f, const std::string& path, const JxpDocument& doc)
{
    fprintf(f, "file: %s (%llu bytes)\n", path.c_str(), (unsigned long long)doc.qwSize);
    fprintf(f, "model: %s\ndriver version: 0x%04X\nlanguage: 0x%02X\nprofiles: %d\n", doc.model.c_str(),
            doc.wDriverVersion, doc.wLanguage, doc.nCount);
    for (size_t i = 0; i < doc.profiles.size(); ++i) {
        const JxpProfile& p = doc.profiles[i];
        fprintf(f, "profile %zu: \"%s\" at offset %llu\n", i + 1, p.name.c_str(), (unsigned long long)p.qwOffset);
        fprintf(f, "  description: %s\n  model: %s\n  attributes: 0x%08X 0x%08X\n", p.description.c_str(),
                p.model.c_str(), p.dwParam1, p.dwParam2);
        fprintf(f, "  sections: DWORD %u, buffer %u, value %u, setup %u bytes\n", p.dwSection[0], p.dwSection[1],
                p.dwSection[2], p.dwSection[3]);
        fprintf(f, "  DEVMODE differences (%zu):\n", p.dwords.size());
        for (const JxpDwordItem& d : p.dwords)
            fprintf(f, "    %s (%u, %s) = %s\n", DwordName(d).c_str(), d.dwId,
                    d.pDef && d.pDef->bPrivate ? "main block" : "public", DwordValueText(d).c_str());
        fprintf(f, "  private blocks and buffers (%zu):\n", p.buffers.size());
        for (const JxpBufferItem& b : p.buffers)
            fprintf(f, "    %u %s, %zu bytes: %s\n", b.dwId, BufferRecordName(b.dwId).c_str(), b.data.size(),
                    BufferText(b).c_str());
        fprintf(f, "  values (%zu):\n", p.values.size());
        PrintValuesText(f, "value", p.values);
        PrintValuesText(f, "setup", p.setup);
    }
}

void PrintDocumentJson(FILE* f, const std::string& path, const JxpDocument& doc)
{
    const uint16_t wCodePage = CodePageOfLanguage(doc.wLanguage);
    fprintf(f, "{\"file\": %s, \"size\": %llu, \"model\": %s%s, \"driver_version\": %u, \"language\": %u,\n"
               " \"code_page\": %u, \"reserved\": [%u, %u, %u, %u], \"profile_count\": %d,\n \"profiles\": [",
            Json(path).c_str(), (unsigned long long)doc.qwSize, JsonText(doc.model, wCodePage).c_str(),
            JsonFill("model", doc.modelFill).c_str(), doc.wDriverVersion, doc.wLanguage, wCodePage, doc.bMarkByte,
            doc.wReserved[0], doc.wReserved[1], doc.wReserved[2], doc.nCount);
    auto value = [&](const JxpValueItem& v) {
        fprintf(f, "{\"offset\": %llu, \"name\": %s%s, \"type\": %u, \"type_name\": %s, \"size\": %zu, \"data\": %s}",
                (unsigned long long)v.qwOffset, JsonText(v.name, wCodePage).c_str(), JsonFill("name", v.nameFill).c_str(),
                v.dwType, Json(RegTypeName(v.dwType)).c_str(), v.data.size(), JsonBytes(v.data).c_str());
    };
    for (size_t i = 0; i < doc.profiles.size(); ++i) {
        const JxpProfile& p = doc.profiles[i];
        fprintf(f, "%s\n  {\"name\": %s%s, \"offset\": %llu, \"description\": %s%s, \"model\": %s%s,\n"
                   "   \"param1\": %u, \"param2\": %u, \"reserved\": %u, \"sections\": [%u, %u, %u, %u],\n",
                i ? "," : "", JsonText(p.name, wCodePage).c_str(), JsonFill("name", p.nameFill).c_str(),
                (unsigned long long)p.qwOffset, JsonText(p.description, wCodePage).c_str(),
                JsonFill("description", p.descriptionFill).c_str(), JsonText(p.model, wCodePage).c_str(),
                JsonFill("model", p.modelFill).c_str(), p.dwParam1, p.dwParam2, p.dwReserved, p.dwSection[0],
                p.dwSection[1], p.dwSection[2], p.dwSection[3]);
        PrintJsonList(f, "dwords", p.dwords, [&](const JxpDwordItem& d) {
            fprintf(f, "{\"id\": %u, \"name\": %s, \"private\": %s, \"value\": %s}", d.dwId, Json(DwordName(d)).c_str(),
                    d.pDef && d.pDef->bPrivate ? "true" : "false", DwordValueText(d).c_str());
        }, false);
        PrintJsonList(f, "buffers", p.buffers, [&](const JxpBufferItem& b) {
            fprintf(f, "{\"id\": %u, \"name\": %s, \"size\": %zu, \"text\": %s, \"data\": %s}", b.dwId,
                    Json(BufferRecordName(b.dwId)).c_str(), b.data.size(), Json(BufferText(b)).c_str(),
                    JsonBytes(b.data).c_str());
        }, false);
        PrintJsonList(f, "values", p.values, value, false);
        PrintJsonList(f, "setup", p.setup, value, true);
    }
    fprintf(f, "],\n \"damage\": ");
    if (doc.bDamaged)
        fprintf(f, "{\"offset\": %llu, \"what\": %s}}\n", (unsigned long long)doc.qwDamageOffset,
                Json(doc.damage).c_str());
    else
        fprintf(f, "null}\n");
}

int PrintProfileDiff(FILE* f, const JxpProfile& a, const JxpProfile& b)
{
    int n = 0;
    const char* pszName = a.name.c_str();
    auto line = [&](const std::string& what, const std::string& va, const std::string& vb) {
        fprintf(f, "%s: %s: %s -> %s\n", pszName, what.c_str(), va.c_str(), vb.c_str());
        ++n;
    };
    if (a.description != b.description)
        line("description", "\"" + a.description + "\"", "\"" + b.description + "\"");
    if (a.model != b.model)
        line("model", "\"" + a.model + "\"", "\"" + b.model + "\"");
    if (a.dwParam1 != b.dwParam1 || a.dwParam2 != b.dwParam2)
        line("attributes", std::to_string(a.dwParam1) + " " + std::to_string(a.dwParam2),
             std::to_string(b.dwParam1) + " " + std::to_string(b.dwParam2));

    // DWORD records by identifier; the last record of an identifier is the one an import keeps.
    std::map<uint32_t, const JxpDwordItem*> da, db;
    for (const JxpDwordItem& d : a.dwords)
        da[d.dwId] = &d;
    for (const JxpDwordItem& d : b.dwords)
        db[d.dwId] = &d;
    std::map<uint32_t, int> ids;
    for (auto& kv : da)
        ids[kv.first] = 0;
    for (auto& kv : db)
        ids[kv.first] = 0;
    for (auto& kv : ids) {
        const JxpDwordItem* pa = da.count(kv.first) ? da[kv.first] : nullptr;
        const JxpDwordItem* pb = db.count(kv.first) ? db[kv.first] : nullptr;
        if (pa && pb && pa->dwValue == pb->dwValue)
            continue;
        line(DwordName(pa ? *pa : *pb), pa ? DwordValueText(*pa) : "default", pb ? DwordValueText(*pb) : "default");
    }

    // Buffer records by identifier and order of appearance (plug-in blocks repeat record 201).
    std::map<std::pair<uint32_t, int>, const JxpBufferItem*> ba, bb;
    std::map<uint32_t, int> seen;
    for (const JxpBufferItem& x : a.buffers)
        ba[{x.dwId, seen[x.dwId]++}] = &x;
    seen.clear();
    for (const JxpBufferItem& x : b.buffers)
        bb[{x.dwId, seen[x.dwId]++}] = &x;
    std::map<std::pair<uint32_t, int>, int> keys;
    for (auto& kv : ba)
        keys[kv.first] = 0;
    for (auto& kv : bb)
        keys[kv.first] = 0;
    for (auto& kv : keys) {
        const JxpBufferItem* pa = ba.count(kv.first) ? ba[kv.first] : nullptr;
        const JxpBufferItem* pb = bb.count(kv.first) ? bb[kv.first] : nullptr;
        if (pa && pb && pa->data == pb->data)
            continue;
        line(std::to_string(kv.first.first) + " " + BufferRecordName(kv.first.first), pa ? BufferText(*pa) : "default",
             pb ? BufferText(*pb) : "default");
    }

    // Values and the setup record by name.
    auto values = [&](const std::vector<JxpValueItem>& va, const std::vector<JxpValueItem>& vb, const char* pszWhat) {
        std::map<std::string, const JxpValueItem*> ma, mb;
        for (const JxpValueItem& v : va)
            ma[v.name] = &v;
        for (const JxpValueItem& v : vb)
            mb[v.name] = &v;
        std::map<std::string, int> names;
        for (auto& kv : ma)
            names[kv.first] = 0;
        for (auto& kv : mb)
            names[kv.first] = 0;
        auto text = [](const JxpValueItem* p) {
            return p ? RegTypeName(p->dwType) + " " + std::to_string(p->data.size()) + " bytes " + ValueText(*p)
                     : std::string("absent");
        };
        for (auto& kv : names) {
            const JxpValueItem* pa = ma.count(kv.first) ? ma[kv.first] : nullptr;
            const JxpValueItem* pb = mb.count(kv.first) ? mb[kv.first] : nullptr;
            if (pa && pb && pa->dwType == pb->dwType && pa->data == pb->data)
                continue;
            line(std::string(pszWhat) + " \"" + kv.first + "\"", text(pa), text(pb));
        }
    };
    values(a.values, b.values, "value");
    values(a.setup, b.setup, "setup");
    return n;
}
