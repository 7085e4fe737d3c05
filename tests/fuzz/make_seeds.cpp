// Writes the seed corpora of the fuzz targets: small valid inputs built with the library's own
// encoders, and damaged variants of them (cut, counts that lie, texts without terminators).
// Usage: make_seeds DIR   (writes DIR/jxp, DIR/store, DIR/devmode, DIR/cmdline, DIR/ini, DIR/lang)
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "codec/command_line.h"
#include "codec/devmode_layout.h"
#include "codec/jxp_format.h"
#include "codec/ini_text.h"
#include "codec/lang_table.h"
#include "codec/store_records.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string g_root;

void Write(const char* pszTarget, const char* pszName, const Bytes& data)
{
    std::string dir = g_root + "/" + pszTarget;
    mkdir(dir.c_str(), 0755);
    std::string path = dir + "/" + pszName;
    FILE* f = fopen(path.c_str(), "wb");
    if (!f || (data.size() && fwrite(data.data(), 1, data.size(), f) != data.size())) {
        fprintf(stderr, "cannot write %s\n", path.c_str());
        exit(1);
    }
    fclose(f);
}

void Append(Bytes* pOut, const Bytes& more)
{
    pOut->insert(pOut->end(), more.begin(), more.end());
}

// ---- .jxp files ----------------------------------------------------------------------------

struct Profile {
    const char* pszName;
    const char* pszDescription;
    Bytes dwords, buffers, values, setup;
};

Bytes DwordRecords(std::initializer_list<std::pair<uint32_t, uint32_t>> records)
{
    Bytes out;
    for (auto& r : records) {
        Bytes rec(JXP_DWORD_RECORD_BYTES);
        JxpPutDwordRecord(rec.data(), r.first, r.second);
        Append(&out, rec);
    }
    return out;
}

Bytes BufferRecord(uint32_t dwId, const Bytes& data)
{
    Bytes rec(JXP_BUFFER_RECORD_HEAD_BYTES + data.size());
    JxpPutBufferRecord(rec.data(), dwId, data.data(), uint32_t(data.size()));
    return rec;
}

Bytes ValueRecord(const char* pszName, const Bytes& data)
{
    Bytes rec(JXP_VALUE_HEADER_BYTES);
    JxpBuildValueHeader(rec.data(), pszName, 3, uint32_t(data.size()));
    Append(&rec, data);
    return rec;
}

Bytes PlugInBlock(uint16_t wId, uint32_t cbBlock, uint8_t bFill)
{
    Bytes b(cbBlock, bFill);
    PutU32(&b[0], devmode::BLOCK_SIGNATURE);
    PutU16(&b[4], wId);
    PutU16(&b[6], 0);
    PutU16(&b[8], 1);
    PutU16(&b[10], 0);
    PutU32(&b[12], cbBlock);
    return b;
}

Bytes FormName(const char* pszAscii)
{
    Bytes b;
    for (const char* p = pszAscii;; ++p) {
        b.push_back(uint8_t(*p));
        b.push_back(0);
        if (!*p)
            break;
    }
    return b;
}

Profile Office()
{
    Profile p{"Office", "Duplex, two pages a sheet", {}, {}, {}, {}};
    p.dwords = DwordRecords({{6, 2}, {11, 3}, {15, 2}, {65, 4}, {106, 5}, {115, 1}});
    Append(&p.buffers, BufferRecord(devmode::RECORD_FORM_NAME, FormName("A4")));
    Append(&p.buffers, BufferRecord(33, Bytes(20, 0x41)));
    Append(&p.buffers, BufferRecord(devmode::RECORD_PLUGIN, PlugInBlock(10000, 48, 0x22)));
    Append(&p.values, ValueRecord("Watermark", Bytes{'C', 'o', 'n', 'f', 0}));
    Append(&p.values, ValueRecord("Stamp", Bytes{}));
    p.setup = ValueRecord("Setup", Bytes{1, 2, 3, 4});
    return p;
}

Profile Photo()
{
    Profile p{"Photo", "", {}, {}, {}, {}};
    p.dwords = DwordRecords({{14, 2}, {96, 600}});
    Append(&p.buffers, BufferRecord(112, Bytes(144, 0x10)));
    Append(&p.values, ValueRecord("Overlay", Bytes{9, 8, 7}));
    return p;
}

Bytes JxpFile(const std::vector<Profile>& profiles, int nCount)
{
    Bytes file(JXP_HEADER_SIZE);
    JxpBuildFileHeader(file.data(), 0x0201, 0x0411, "LM Fixture Laser 2100");
    PutU16(&file[offsetof(JxpFileHeader, nProfCount)], uint16_t(nCount));
    for (const Profile& p : profiles) {
        Bytes entry(JXP_ENTRY_SIZE);
        JxpBuildEntryHeader(entry.data(), p.pszName, 7, 0, p.pszDescription, "LM Fixture Laser 2100");
        JxpSetSectionLength(entry.data(), JXP_SECTION_DWORD, uint32_t(p.dwords.size()));
        JxpSetSectionLength(entry.data(), JXP_SECTION_BUFFER, uint32_t(p.buffers.size()));
        JxpSetSectionLength(entry.data(), JXP_SECTION_VALUE, uint32_t(p.values.size()));
        JxpSetSectionLength(entry.data(), JXP_SECTION_SETUP, uint32_t(p.setup.size()));
        Append(&file, entry);
        Append(&file, p.dwords);
        Append(&file, p.buffers);
        Append(&file, p.values);
        Append(&file, p.setup);
    }
    return file;
}

void JxpSeeds()
{
    Bytes one = JxpFile({Office()}, 1);
    Bytes two = JxpFile({Office(), Photo()}, 2);
    Write("jxp", "one_profile.jxp", one);
    Write("jxp", "two_profiles.jxp", two);
    Write("jxp", "no_profiles.jxp", JxpFile({}, 0));
    Write("jxp", "same_name_twice.jxp", JxpFile({Photo(), Photo()}, 2));
    Write("jxp", "count_larger_than_entries.jxp", JxpFile({Office(), Photo()}, 3));
    Write("jxp", "negative_count.jxp", JxpFile({Office()}, -1));

    Bytes cut(two.begin(), two.end() - 10);
    Write("jxp", "sections_past_end.jxp", cut);
    Bytes cutHeader(one.begin(), one.begin() + 100);
    Write("jxp", "header_cut.jxp", cutHeader);
    Bytes cutEntry(two.begin(), two.begin() + JXP_HEADER_SIZE + 300);
    Write("jxp", "entry_cut.jxp", cutEntry);

    Bytes notJxp = one;
    notJxp[1] = 'Y';
    Write("jxp", "not_jxp.jxp", notJxp);

    // A profile name filling its field, and a value name filling its field.
    Bytes longName = two;
    memset(&longName[JXP_HEADER_SIZE], 'N', sizeof(JxpEntryHeader::szProfileName));
    Write("jxp", "name_unterminated.jxp", longName);
    Profile damaged = Office();
    memset(damaged.values.data(), 'V', 260);
    Write("jxp", "value_name_unterminated.jxp", JxpFile({damaged, Photo()}, 2));
    // A buffer record that claims more than its section holds.
    Profile claims = Photo();
    PutU32(&claims.buffers[4], 0xFFFFFFF0);
    Write("jxp", "buffer_claims_too_much.jxp", JxpFile({claims}, 1));
    // Section lengths near 2^32 each: their sum does not fit 32 bits.
    Bytes huge = one;
    for (int s = 0; s < JXP_SECTIONS; ++s)
        PutU32(&huge[JXP_HEADER_SIZE + offsetof(JxpEntryHeader, dwDataSize) + 4 * s], 0xFFFFFFFF);
    Write("jxp", "sections_wrap_32_bits.jxp", huge);
}

// ---- printer-data values -------------------------------------------------------------------

Bytes ProfileList(std::initializer_list<std::pair<const char*, uint32_t>> records)
{
    Bytes out;
    for (auto& r : records) {
        Bytes rec(PROFILE_RECORD_BYTES);
        EncodeProfileRecord(rec.data(), r.first, "Stored by the fuzz seeds", 7, 0, r.second);
        Append(&out, rec);
    }
    return out;
}

Bytes ValueIndex(std::initializer_list<std::pair<const char*, uint32_t>> entries)
{
    Bytes out;
    for (auto& e : entries) {
        Bytes rec(VALUE_ENTRY_BYTES);
        EncodeValueEntry(rec.data(), e.first, 3, e.second);
        Append(&out, rec);
    }
    return out;
}

void StoreSeeds()
{
    Bytes list = ProfileList({{"Office", 1}, {"Photo", 2}});
    Write("store", "list_two.bin", list);
    Write("store", "list_numbers_with_gap.bin", ProfileList({{"A", 1}, {"B", 2}, {"C", 4}, {"B", 3}}));
    Bytes cut = list;
    cut.resize(list.size() + 100, 0x33);
    Write("store", "list_cut_tail.bin", cut);
    Bytes unterminated = list;
    memset(&unterminated[0], 'N', sizeof(ProfileRecord::szName));
    memset(&unterminated[PROFILE_RECORD_BYTES + offsetof(ProfileRecord, szDescription)], 'D',
           sizeof(ProfileRecord::szDescription));
    Write("store", "list_unterminated.bin", unterminated);

    Bytes index = ValueIndex({{"JXP_DEVMODE", 1200}, {"Watermark", 5}, {"Setup", 4}});
    Write("store", "index_three.bin", index);
    Write("store", "index_same_name.bin", ValueIndex({{"Watermark", 5}, {"Stamp", 0}, {"Watermark", 9}}));
    Bytes indexCut(index.begin(), index.end() - 10);
    Write("store", "index_cut.bin", indexCut);
    Bytes indexUnterminated = index;
    memset(&indexUnterminated[VALUE_ENTRY_BYTES], 'W', 260);
    Write("store", "index_unterminated.bin", indexUnterminated);
}

// ---- DEVMODE records -----------------------------------------------------------------------

constexpr uint16_t DEVMODEW_SIZE = 220;

Bytes DevMode(const std::vector<Bytes>& blocks)
{
    Bytes record(DEVMODEW_SIZE, 0);
    const char* pszDevice = "Fixture Laser A";
    for (size_t i = 0; pszDevice[i]; ++i)
        record[devmode::OFF_DEVICE_NAME + 2 * i] = uint8_t(pszDevice[i]);
    PutU16(&record[devmode::OFF_SPEC_VERSION], 0x0401);
    PutU16(&record[devmode::OFF_DRIVER_VERSION], 0x0201);
    PutU16(&record[devmode::OFF_SIZE], DEVMODEW_SIZE);
    PutU32(&record[devmode::OFF_FIELDS], 0x0000FF03);
    PutU16(&record[devmode::OFF_ORIENTATION], 1);
    PutU16(&record[devmode::OFF_ORIENTATION + 2], 9);
    PutU16(&record[devmode::OFF_ORIENTATION + 10], 1);
    PutU16(&record[devmode::OFF_ORIENTATION + 12], 0xFFFF);   // dmDefaultSource, a negative i16
    const char* pszForm = "A4";
    for (size_t i = 0; pszForm[i]; ++i)
        record[devmode::OFF_FORM_NAME + 2 * i] = uint8_t(pszForm[i]);
    size_t cbExtra = 0;
    for (const Bytes& b : blocks) {
        Append(&record, b);
        cbExtra += b.size();
    }
    PutU16(&record[devmode::OFF_DRIVER_EXTRA], uint16_t(cbExtra));
    return record;
}

Bytes MainBlock(uint32_t cbBlock)
{
    Bytes b = PlugInBlock(devmode::PRIVATE_DATA_ID_MAIN, cbBlock, 0);
    // Some settings set, so the fields hold values other than zero.
    for (size_t i = 16; i < cbBlock; ++i)
        b[i] = uint8_t(i * 7);
    PutU32(&b[16], 0x08000000);   // EMF spooling on
    b[20] = 2;                     // a flag byte with a value other than 1
    PutU32(&b[672], 0x000000A5);   // gutter position in the low bits, others around it
    return b;
}

void DevModeSeeds()
{
    Write("devmode", "laser.bin",
          DevMode({MainBlock(1024), PlugInBlock(devmode::PRIVATE_DATA_ID_PROLOGEPILOG, 64, 0x11),
                   PlugInBlock(devmode::PRIVATE_DATA_ID_WATERMARK, 128, 0x22)}));
    Write("devmode", "jet.bin", DevMode({MainBlock(960), PlugInBlock(devmode::PRIVATE_DATA_ID_OVERLAY, 80, 0x33)}));
    // The shortest main block the engine accepts, filling the private area to its end.
    Write("devmode", "main_exactly_minimum.bin", DevMode({MainBlock(uint32_t(devmode::MAIN_BLOCK_MIN_SIZE))}));
    Write("devmode", "main_one_short.bin", DevMode({MainBlock(uint32_t(devmode::MAIN_BLOCK_MIN_SIZE - 1))}));
    // The main block after a plug-in block.
    Write("devmode", "main_not_first.bin",
          DevMode({PlugInBlock(devmode::PRIVATE_DATA_ID_PROFIL, 32, 0x44), MainBlock(1024),
                   PlugInBlock(devmode::PRIVATE_DATA_ID_WATERMARK, 64, 0x55)}));
    // A plug-in whose size runs past the private area, and one without the signature.
    Bytes past = DevMode({MainBlock(1024), PlugInBlock(devmode::PRIVATE_DATA_ID_WATERMARK, 64, 0x22)});
    PutU32(&past[DEVMODEW_SIZE + 1024 + 12], 65);
    Write("devmode", "plugin_past_end.bin", past);
    Bytes unsigned_ = DevMode({MainBlock(1024), PlugInBlock(devmode::PRIVATE_DATA_ID_WATERMARK, 64, 0x22)});
    unsigned_[DEVMODEW_SIZE + 1024] ^= 0xFF;
    Write("devmode", "plugin_without_signature.bin", unsigned_);
    // A block shorter than its own header.
    Bytes tiny = DevMode({PlugInBlock(devmode::PRIVATE_DATA_ID_WATERMARK, 16, 0), MainBlock(1024)});
    PutU32(&tiny[DEVMODEW_SIZE + 12], 8);
    Write("devmode", "block_shorter_than_header.bin", tiny);
    // dmDriverExtra saying more than the record holds.
    Bytes cut = DevMode({MainBlock(1024)});
    cut.resize(cut.size() - 100);
    Write("devmode", "record_cut.bin", cut);
    // A public part shorter than DEVMODEW's, as old drivers report.
    Bytes old = DevMode({MainBlock(1024)});
    old.erase(old.begin() + 156, old.begin() + DEVMODEW_SIZE);
    PutU16(&old[devmode::OFF_SIZE], 156);
    Write("devmode", "public_size_156.bin", old);
}

// ---- command lines -------------------------------------------------------------------------

Bytes Text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

void CmdLineSeeds()
{
    Write("cmdline", "install.txt", Text("\"Fixture Laser A\" \"C:\\My Profiles\\office.jxp\" Office"));
    Write("cmdline", "patch.txt", Text("'Fixture Jet C' x C:\\Drivers"));
    Write("cmdline", "quotes_inside.txt", Text("'say \"hi\"' ab\"c d\"e \"\" \"open ended"));
    std::string many;
    for (int i = 0; i < 32; ++i)
        many += "a" + std::to_string(i) + " ";
    Write("cmdline", "args_32.txt", Text(many));
    Write("cmdline", "args_33.txt", Text(many + "z"));
    Write("cmdline", "arg_259.txt", Text("\"" + std::string(259, 'x') + "\" y"));
    Write("cmdline", "arg_260.txt", Text(std::string(260, 'x')));
    // Two lines split by the same list: the second must hold nothing of the first.
    Bytes two = Text(many + "z");
    two.push_back(0);
    Append(&two, Text("\"Fixture Laser B\" b.jxp"));
    Write("cmdline", "two_lines.txt", two);
}


// ---- installation-file text ----------------------------------------------------------------

// Control byte (0 ANSI, 1 ANSI with Shift-JIS lead bytes, 2 UTF-16 LE), section, key, the text.
Bytes IniInput(uint8_t mode, const std::string& section, const std::string& key, const Bytes& text)
{
    Bytes out{mode};
    Append(&out, Text(section));
    out.push_back(0);
    Append(&out, Text(key));
    out.push_back(0);
    Append(&out, text);
    return out;
}

Bytes Utf16Le(const std::string& s, bool bMark)
{
    Bytes out;
    if (bMark) {
        out.push_back(0xFF);
        out.push_back(0xFE);
    }
    for (unsigned char c : s) {
        out.push_back(c);
        out.push_back(0);
    }
    return out;
}

const char INI_DOC[] =
    "; LmProfInst installation\r\n"
    "[Version]\r\nSignature=\"$Windows NT$\"\r\nDriverVer = 2.1.0.0\r\n"
    "// a comment line\r\n"
    "[Models]\r\n\"LM Fixture Laser 2100\" = LmFixLaser.dll, %A%, \"x\"\r\n%A%=%A%%A%\r\nab\r\n"
    "[Strings]\r\nA = \"C:\\Program Files\\Norvane\"\r\nKey=first\r\nKey=second\r\n";

void IniSeeds()
{
    Write("ini", "document.bin", IniInput(0, "Models", "Signature", Text(INI_DOC)));
    Write("ini", "strings_key_twice.bin", IniInput(0, "strings", "Key", Text(INI_DOC)));
    Write("ini", "utf16_marked.bin", IniInput(2, "Strings", "A", Utf16Le(INI_DOC, true)));
    Write("ini", "utf16_odd_byte.bin", IniInput(2, "Version", "DriverVer", [] {
              Bytes b = Utf16Le("[Version]\r\nDriverVer=1\r\n", true);
              b.push_back('x');
              return b;
          }()));
    // Shift-JIS: 0x95 0x5C is one character whose trail byte is a backslash.
    Bytes dbcs = Text("[Files]\r\nPath=C:\\");
    Append(&dbcs, Bytes{0x95, 0x5C, 0x83, 0x5B, 0x5C});
    Append(&dbcs, Text("name.txt\r\n[\x81]Files]\r\nx=y\r\n"));
    Write("ini", "dbcs_trail_backslash.bin", IniInput(1, "Files", "Path", dbcs));
    Write("ini", "lone_line_feeds.bin", IniInput(0, "A", "k", Text("[A]\nk=1\n\rk=2\rk = \"3\"")));
    // A line at the buffer's limit, one past it, and a header past it.
    std::string longLine = "[Big]\r\nk=" + std::string(INI_LINE_CHARS - 3, 'v') + "\r\nk" +
                           std::string(INI_LINE_CHARS, '%') + "\r\n[" + std::string(INI_LINE_CHARS, 'B') +
                           "]\r\nk=after\r\n";
    Write("ini", "lines_at_limit.bin", IniInput(0, "Big", "k", Text(longLine)));
    Write("ini", "expand_overflow.bin",
          IniInput(0, "E", "k", Text("[E]\r\nk=" + std::string(4000, 'w') + "%A%\r\n%A%%A%=,,\"\r\n")));
}

// ---- language tables -----------------------------------------------------------------------

void LangSeeds()
{
    const std::string table =
        "\r\n[09] // English\r\n1007\t\"< Back(&B)\"\r\n1008 \"Next >\"\r\n\r\n"
        "[411]\r\n1007\t\"Modoru\"\r\n1007 \"second\"\r\n2000 no quotes\r\n-5 \"negative\"\r\n"
        "[11]\r\n99999999999 \"saturated\"\r\n  +12\"x\"\r\n[]\r\n[\r\n";
    Write("lang", "table.bin", Utf16Le(table, true));
    Write("lang", "no_mark.bin", Utf16Le(table, false));
    Bytes odd = Utf16Le("[9]\r\n1 \"a\"", true);
    odd.push_back('"');
    Write("lang", "odd_byte.bin", odd);
    Write("lang", "mark_then_header.bin", Utf16Le("[C1]\r\n5 \"t\"\r\n[c0]\r\n5 \"s\"\r\n", true));
    Write("lang", "zero_in_line.bin", [] {
        Bytes b = Utf16Le("[9]\r\n7 \"ab", true);
        b.push_back(0);
        b.push_back(0);
        Append(&b, Utf16Le("cd\"\r\n", false));
        return b;
    }());
    Write("lang", "line_at_limit.bin",
          Utf16Le("[9]\r\n3 \"" + std::string(LangTable::MAX_LINE_CHARS - 5, 'q') + "\"\r\n4 \"after\"\r\n", true));
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    g_root = argv[1];
    mkdir(g_root.c_str(), 0755);
    JxpSeeds();
    StoreSeeds();
    DevModeSeeds();
    CmdLineSeeds();
    IniSeeds();
    LangSeeds();
    return 0;
}
