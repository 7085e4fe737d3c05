// The print settings engine against the fixture drivers' real DEVMODEs: block lookup, the
// records written as differences, the rebuild on another model, merge and apply.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "codec/byte_cursor.h"
#include "codec/devmode_layout.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "driver/fixture_models.h"
#include "fixture_names.h"
#include "guarded_bytes.h"
#include "settings/devmode_access.h"
#include "test_support.h"

namespace {

std::unique_ptr<LMPROFJXP> OpenSession(const char* pszPrinter)
{
    std::wstring wide(pszPrinter, pszPrinter + strlen(pszPrinter));
    const void* pName = RunsAsWin9x() ? static_cast<const void*>(pszPrinter) : static_cast<const void*>(wide.c_str());
    return std::unique_ptr<LMPROFJXP>(new LMPROFJXP(nullptr, pName, nullptr));
}

DEVMODEW* Dm(std::vector<BYTE>& v)
{
    return reinterpret_cast<DEVMODEW*>(v.data());
}

BYTE* Main(std::vector<BYTE>& v)
{
    return v.data() + Dm(v)->dmSize;
}

// The block of the given identifier found by walking the fixture's chain independently.
BYTE* Block(std::vector<BYTE>& v, WORD wId)
{
    size_t off = Dm(v)->dmSize;
    while (off + 16 <= v.size()) {
        if (GetU16(v.data() + off + 4) == wId)
            return v.data() + off;
        off += GetU32(v.data() + off + 12);
    }
    return nullptr;
}

struct Record {
    uint32_t dwId;
    uint32_t dwValue;
};

std::vector<Record> DwordRecords(const std::vector<BYTE>& section)
{
    std::vector<Record> records;
    for (size_t i = 0; i + 8 <= section.size(); i += 8)
        records.push_back({GetU32(section.data() + i), GetU32(section.data() + i + 4)});
    return records;
}

struct BufferRecord {
    uint32_t dwId;
    std::vector<BYTE> data;
};

std::vector<BufferRecord> BufferRecords(const std::vector<BYTE>& section)
{
    std::vector<BufferRecord> records;
    size_t i = 0;
    while (i + 8 <= section.size()) {
        uint32_t id = GetU32(section.data() + i), n = GetU32(section.data() + i + 4);
        records.push_back({id, std::vector<BYTE>(section.begin() + i + 8, section.begin() + i + 8 + n)});
        i += 8 + n;
    }
    return records;
}

class DevModeEngine : public testing::Test {
protected:
    void SetUp() override
    {
        InitTraceFlag(TRUE);
        m_session = OpenSession(FIXTURE_PRINTER_A1);
        ASSERT_TRUE(m_session->IsComplete());
        m_default.assign(m_session->m_pDefaultDevMode.get(),
                         m_session->m_pDefaultDevMode.get() + m_session->m_dwDefaultDevModeSize);
        TraceCapture::Clear();
    }
    void TearDown() override { InitTraceFlag(FALSE); }

    std::vector<BYTE> Section(bool bDword, std::vector<BYTE>& dm)
    {
        DWORD cb = bDword ? m_session->MakeDevModeDwordData(Dm(dm), nullptr, 0)
                          : m_session->MakeDevModeBufferData(Dm(dm), nullptr, 0);
        std::vector<BYTE> out(cb);
        DWORD cbFilled = bDword ? m_session->MakeDevModeDwordData(Dm(dm), out.data(), cb)
                                : m_session->MakeDevModeBufferData(Dm(dm), out.data(), cb);
        EXPECT_EQ(cb, cbFilled) << "both passes size the section alike";
        return out;
    }

    // Applies sections to a copy of `base` through the session's entry sizes.
    std::vector<BYTE> Apply(std::vector<BYTE> base, const std::vector<BYTE>& dwords, const std::vector<BYTE>& buffers)
    {
        JxpEntryHeader* pEntry = reinterpret_cast<JxpEntryHeader*>(m_session->m_pProfileEntry.get());
        pEntry->dwDataSize[0] = DWORD(dwords.size());
        pEntry->dwDataSize[1] = DWORD(buffers.size());
        m_session->CopyProfileToDevMode(Dm(base), dwords.empty() ? nullptr : dwords.data(),
                                        buffers.empty() ? nullptr : buffers.data());
        return base;
    }

    std::unique_ptr<LMPROFJXP> m_session;
    std::vector<BYTE> m_default;
};

std::vector<BYTE> Words(std::initializer_list<uint32_t> words)
{
    std::vector<BYTE> out(words.size() * 4);
    size_t i = 0;
    for (uint32_t w : words)
        PutU32(out.data() + 4 * i++, w);
    return out;
}

}  // namespace

TEST_F(DevModeEngine, BlocksAreFoundByIdentifierAndDamagedChainsEnd)
{
    std::vector<BYTE> dm = m_default;
    EXPECT_EQ(Main(dm), m_session->GetPlugInAddr(Dm(dm), 1));
    EXPECT_EQ(Block(dm, 20000), m_session->GetPlugInAddr(Dm(dm), 20000));
    EXPECT_EQ(nullptr, m_session->GetPlugInAddr(Dm(dm), 30000));

    // A plug-in block of size 0 ends the chain instead of looping on itself.
    std::vector<BYTE> zero = dm;
    PutU32(Block(zero, 10000) + 12, 0);
    EXPECT_EQ(nullptr, m_session->GetPlugInAddr(Dm(zero), 20000));
    // A block that claims to reach past the private area is not returned, nor walked through.
    std::vector<BYTE> past = dm;
    PutU32(Block(past, 20000) + 12, 0x7FFFFFF0);
    EXPECT_EQ(nullptr, m_session->GetPlugInAddr(Dm(past), 20000));
    // A private area without the signature holds no block: one trace line, then none.
    std::vector<BYTE> unsigned_ = dm;
    Main(unsigned_)[0] ^= 0xFF;
    TraceCapture::Clear();
    EXPECT_EQ(nullptr, m_session->GetPlugInAddr(Dm(unsigned_), 1));
    int nBlockLines = 0;
    for (const auto& line : TraceCapture::Lines())
        nBlockLines += line.rfind("*** PD Block = ", 0) == 0;
    EXPECT_EQ(1, nBlockLines);
    // A private area shorter than a header holds no block at all.
    std::vector<BYTE> tiny = dm;
    Dm(tiny)->dmDriverExtra = 10;
    EXPECT_EQ(nullptr, m_session->GetPlugInAddr(Dm(tiny), 1));
}

TEST_F(DevModeEngine, OnlyTheChangedSettingsAreWritten)
{
    std::vector<BYTE> dm = m_default;
    short nCopies = Dm(m_default)->dmCopies;
    Dm(dm)->dmCopies = short(nCopies + 2);
    PutU16(Main(dm) + 486, uint16_t(int16_t(-9)));
    Block(dm, 20000)[100] ^= 0x33;                   // inside the watermark plug-in
    wcscpy(Dm(dm)->dmFormName, L"B5");

    std::vector<BYTE> dwords = Section(true, dm);
    auto records = DwordRecords(dwords);
    ASSERT_EQ(2u, records.size()) << TraceCapture::Dump();
    EXPECT_EQ(11u, records[0].dwId);
    EXPECT_EQ(uint32_t(nCopies + 2), records[0].dwValue);
    EXPECT_EQ(89u, records[1].dwId);
    EXPECT_EQ(0xFFFFFFF7u, records[1].dwValue);
    EXPECT_TRUE(TraceCapture::Contains("PFDM_COPIES, " + std::to_string(nCopies + 2) + " " +
                                       std::to_string(nCopies) + "(default)\n"));
    EXPECT_TRUE(TraceCapture::Contains("PFPD_BRIGHTNESS, -9 -5(default)\n")) << TraceCapture::Dump();

    // The form name with its terminator, then every plug-in block whole, in chain order.
    auto buffers = BufferRecords(Section(false, dm));
    ASSERT_EQ(3u, buffers.size());
    EXPECT_EQ(19u, buffers[0].dwId);
    EXPECT_EQ(6u, buffers[0].data.size());
    EXPECT_EQ(201u, buffers[1].dwId);
    EXPECT_EQ(0, memcmp(Block(dm, 10000), buffers[1].data.data(), 64));
    EXPECT_EQ(201u, buffers[2].dwId);
    ASSERT_EQ(128u, buffers[2].data.size());
    EXPECT_EQ(0, memcmp(Block(dm, 20000), buffers[2].data.data(), 128));

    // The EMF bit goes both ways: as its DWORD record and inside the whole flags word.
    std::vector<BYTE> emf = m_default;
    PutU32(Main(emf) + 16, GetU32(Main(emf) + 16) ^ 0x08000000);
    records = DwordRecords(Section(true, emf));
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(115u, records[0].dwId);
    EXPECT_EQ((GetU32(Main(emf) + 16) >> 27) & 1, records[0].dwValue);
    buffers = BufferRecords(Section(false, emf));
    ASSERT_GE(buffers.size(), 1u);
    EXPECT_EQ(31u, buffers[0].dwId);
}

// The plug-ins are the blocks that follow the main block, wherever the chain puts it; a stored
// block without its signature is never copied in, or the chain would end there, and one of
// another size than the printer's block of its identifier would move the blocks behind it.
TEST_F(DevModeEngine, PlugInsFollowTheMainBlockAndKeepTheirSignature)
{
    std::vector<BYTE> moved = m_default;
    BYTE* pPrivate = Main(moved);
    std::vector<BYTE> main(pPrivate, pPrivate + 1024), first(pPrivate + 1024, pPrivate + 1088);
    memcpy(pPrivate, first.data(), 64);            // prolog/epilog block first,
    memcpy(pPrivate + 64, main.data(), 1024);      // then the main block, then the watermark
    auto buffers = BufferRecords(Section(false, moved));
    std::vector<uint32_t> plugIns;
    for (const auto& record : buffers) {
        if (record.dwId == 201)
            plugIns.push_back(GetU16(record.data.data() + 4));
    }
    EXPECT_EQ((std::vector<uint32_t>{20000}), plugIns);

    std::vector<BYTE> block(Block(m_default, 20000), Block(m_default, 20000) + 128);
    PutU32(block.data(), 0);
    std::vector<BYTE> record = Words({201, 128});
    record.insert(record.end(), block.begin(), block.end());
    TraceCapture::Clear();
    std::vector<BYTE> after = Apply(m_default, {}, record);
    EXPECT_EQ(m_default, after);
    EXPECT_TRUE(TraceCapture::Contains("FATAL ERROR - Plug-In data size incorrect\n"));

    // A whole, signed block 20000 of 64 bytes against the printer's 128: found, refused, and
    // the records after it still applied.
    std::vector<BYTE> shorter(Block(m_default, 20000), Block(m_default, 20000) + 64);
    PutU32(shorter.data() + 12, 64);
    memset(shorter.data() + 16, 0xC3, 48);
    std::vector<BYTE> records = Words({201, 64});
    records.insert(records.end(), shorter.begin(), shorter.end());
    std::vector<BYTE> form = Words({19, 6});
    form.insert(form.end(), reinterpret_cast<const BYTE*>(L"B5"), reinterpret_cast<const BYTE*>(L"B5") + 6);
    records.insert(records.end(), form.begin(), form.end());
    TraceCapture::Clear();
    after = Apply(m_default, {}, records);
    EXPECT_EQ(0, memcmp(Block(m_default, 20000), Block(after, 20000), 128)) << "the printer's block was replaced";
    EXPECT_STREQ(L"B5", Dm(after)->dmFormName);
    int nBlock = TraceCapture::Find("PD Block = 4c6d5064 80 20000 2\n");
    ASSERT_LE(0, nBlock) << TraceCapture::Dump();
    EXPECT_EQ(nBlock + 1, TraceCapture::Find("Found - PRIVATE_DATA_ID_WATERMARK\n"));
    EXPECT_EQ(nBlock + 2, TraceCapture::Find("FATAL ERROR - Plug-In data size incorrect\n"));
    EXPECT_EQ(-1, TraceCapture::Find("FATAL ERROR - Plug-In data size incorrect\n", nBlock + 3));
}

// A section the file does not take whole fails the save, and the entry keeps its sizes: it
// must not describe bytes that are not there.
TEST_F(DevModeEngine, ASectionTheFileRefusesIsNotRecorded)
{
    char szTemp[MAX_PATH], szFile[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    GetTempFileNameA(szTemp, "lmw", 0, szFile);
    HANDLE hReadOnly = CreateFileA(szFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hReadOnly);
    std::vector<BYTE> dm = m_default;
    Dm(dm)->dmCopies = 7;
    JxpEntryHeader* pEntry = reinterpret_cast<JxpEntryHeader*>(m_session->m_pProfileEntry.get());
    memset(pEntry->dwDataSize, 0, sizeof(pEntry->dwDataSize));
    m_session->m_hJxpFile.Reset(hReadOnly);
    EXPECT_FALSE(m_session->SaveProfileDevmodeToJxp(Dm(dm)));
    m_session->m_hJxpFile.Release();
    CloseHandle(hReadOnly);
    DeleteFileA(szFile);
    EXPECT_EQ(0u, pEntry->dwDataSize[0]);
    EXPECT_EQ(0u, pEntry->dwDataSize[1]);
    EXPECT_TRUE(TraceCapture::Contains("SaveProfileDevmodeToJxp - DWORD - 0 bytes written, nSize = 8\n"))
        << TraceCapture::Dump();
}

TEST_F(DevModeEngine, RecordsWrittenAndReadBackGiveTheSameSettings)
{
    std::vector<BYTE> dm = m_default;
    Dm(dm)->dmOrientation = DMORIENT_LANDSCAPE;
    Dm(dm)->dmDuplex = DMDUP_VERTICAL;
    PutU16(Main(dm) + 368, 3);
    PutU32(Main(dm) + 532, 1200);
    Main(dm)[700] ^= 0x5A;                   // record 112
    PutU32(Main(dm) + 672, GetU32(Main(dm) + 672) ^ 0x5);
    Block(dm, 10000)[40] ^= 0x11;
    wcscpy(Dm(dm)->dmFormName, L"Letter");

    std::vector<BYTE> rebuilt = Apply(m_default, Section(true, dm), Section(false, dm));
    EXPECT_EQ(0, memcmp(dm.data(), rebuilt.data(), dm.size()));
}

// Every record against the layout's own numbers, written out here: a default that differs in
// every byte brings out each record once; each must carry the bytes at its offset, of its
// width, and put all of them back there.
TEST_F(DevModeEngine, EveryRecordHoldsTheBytesOfItsLayoutField)
{
    // DWORD records in the order written: identifier, offset (public part up to 23, then main
    // block), width; a negative width is a signed i16.
    const int dwordFields[][3] = {
        {1, 64, 2}, {2, 66, 2}, {3, 68, 2}, {4, 70, 2}, {5, 72, 4}, {6, 76, -2}, {7, 78, -2}, {8, 80, -2},
        {9, 82, -2}, {10, 84, -2}, {11, 86, -2}, {12, 88, -2}, {13, 90, -2}, {14, 92, -2}, {15, 94, -2},
        {16, 96, -2}, {17, 98, -2}, {18, 100, -2}, {20, 188, 4}, {21, 192, 4}, {22, 196, 4}, {23, 200, 4},
        {32, 20, 1}, {35, 62, 2}, {63, 368, 2}, {64, 370, 2}, {65, 372, 2}, {68, 400, 2}, {70, 404, 2},
        {71, 406, 2}, {85, 476, 1}, {86, 477, 1}, {88, 484, 2}, {89, 486, -2}, {90, 488, -2}, {92, 496, 2},
        {96, 532, 4}, {97, 536, 4}, {98, 540, 4}, {99, 544, 4}, {100, 548, 1}, {101, 549, 1}, {102, 550, 1},
        {104, 612, 4}, {106, 672, 4}, {110, 676, 2}, {111, 678, 2}, {115, 16, 4}};
    // Buffer records of the main block in the order written: identifier, offset, length.
    const int spans[][3] = {
        {31, 16, 4},    {33, 22, 20},   {34, 42, 20},   {36, 64, 4},    {37, 68, 8},    {38, 76, 12},
        {39, 88, 20},   {40, 108, 8},   {41, 116, 12},  {42, 128, 20},  {43, 148, 8},   {51, 156, 84},
        {52, 240, 12},  {53, 252, 4},   {54, 256, 16},  {61, 272, 48},  {62, 320, 48},  {66, 376, 12},
        {67, 392, 8},   {69, 402, 2},   {72, 408, 2},   {73, 412, 16},  {74, 428, 2},   {81, 430, 2},
        {82, 432, 2},   {83, 436, 8},   {84, 444, 32},  {87, 480, 4},   {91, 492, 4},   {93, 500, 12},
        {94, 512, 12},  {95, 524, 8},   {103, 552, 60}, {105, 616, 32}, {107, 648, 2},  {108, 652, 20},
        {109, 672, 4},  {112, 680, 144}, {113, 824, 8}, {114, 832, 8},  {116, 902, 4},  {117, 940, 2},
        {118, 938, 1}};

    // The fixture's record with a value of its own in every public field; the main block's
    // named fields have theirs from the fixture, its other bytes the fixture's filler.
    std::vector<BYTE> dm = m_default;
    for (size_t off = 64; off < 204; ++off) {
        if (off < 68 || (off >= 72 && off < 102) || off >= 188)
            dm[off] = BYTE(off * 7 + 3);
    }
    // The default: the same record with the public part after the device name and the main
    // block after its header complemented, and one byte more before and after its private
    // area so that its sizes differ too.
    const WORD cbPublic = Dm(dm)->dmSize, cbExtra = Dm(dm)->dmDriverExtra;
    const DWORD cbMain = GetU32(Main(dm) + 12);
    std::vector<BYTE> def(dm.size() + 2, 0);
    memcpy(def.data(), dm.data(), cbPublic);
    memcpy(def.data() + cbPublic + 1, dm.data() + cbPublic, cbExtra);
    for (size_t off = 64; off < cbPublic; ++off)
        def[off] ^= 0xFF;
    for (size_t off = 16; off < cbMain; ++off)
        def[cbPublic + 1 + off] ^= 0xFF;
    Dm(def)->dmSize = WORD(cbPublic + 1);
    Dm(def)->dmDriverExtra = WORD(cbExtra + 1);
    m_session->m_pDefaultDevMode.reset(new BYTE[def.size()]);
    memcpy(m_session->m_pDefaultDevMode.get(), def.data(), def.size());
    m_session->m_dwDefaultDevModeSize = DWORD(def.size());

    std::vector<BYTE> dwords = Section(true, dm), buffers = Section(false, dm);
    auto records = DwordRecords(dwords);
    ASSERT_EQ(sizeof(dwordFields) / sizeof(dwordFields[0]), records.size()) << TraceCapture::Dump();
    for (size_t i = 0; i < records.size(); ++i) {
        const int* f = dwordFields[i];
        const BYTE* p = (f[0] <= 23 ? dm.data() : Main(dm)) + f[1];
        uint32_t dw = f[2] == 1 ? p[0] : f[2] == 2 ? GetU16(p) : f[2] == 4 ? GetU32(p) : uint32_t(int16_t(GetU16(p)));
        if (f[0] == 106)
            dw &= 0xF;
        if (f[0] == 115)
            dw = (dw >> 27) & 1;
        EXPECT_EQ(uint32_t(f[0]), records[i].dwId);
        EXPECT_EQ(dw, records[i].dwValue) << "record " << f[0];
    }
    auto bufferRecords = BufferRecords(buffers);
    const size_t nSpans = sizeof(spans) / sizeof(spans[0]);
    ASSERT_EQ(1 + nSpans + 2, bufferRecords.size()) << "the form name, the spans, two plug-in blocks";
    EXPECT_EQ(19u, bufferRecords[0].dwId);
    EXPECT_EQ(std::vector<BYTE>(dm.begin() + 102, dm.begin() + 108), bufferRecords[0].data);
    for (size_t i = 0; i < nSpans; ++i) {
        const int* f = spans[i];
        EXPECT_EQ(uint32_t(f[0]), bufferRecords[1 + i].dwId);
        EXPECT_EQ(std::vector<BYTE>(Main(dm) + f[1], Main(dm) + f[1] + f[2]), bufferRecords[1 + i].data)
            << "record " << f[0];
    }

    // Applied onto that default, every field and span takes all of its bytes back (the sizes,
    // versions and dmFields stay the printer's; a boolean comes back as 1).
    std::vector<BYTE> back = Apply(def, dwords, buffers);
    const BYTE* pBackMain = back.data() + cbPublic + 1;
    for (const auto& f : dwordFields) {
        const BYTE* pWant = (f[0] <= 23 ? dm.data() : Main(dm)) + f[1];
        const BYTE* pGot = (f[0] <= 23 ? back.data() : pBackMain) + f[1];
        if (f[0] <= 5)
            continue;
        if (f[2] == 1) {
            EXPECT_EQ(pWant[0] ? 1 : 0, pGot[0]) << "record " << f[0];
        } else {
            EXPECT_EQ(0, memcmp(pWant, pGot, size_t(abs(f[2])))) << "record " << f[0];
        }
    }
    for (const auto& f : spans)
        EXPECT_EQ(0, memcmp(Main(dm) + f[1], pBackMain + f[1], size_t(f[2]))) << "record " << f[0];
}

TEST_F(DevModeEngine, DamagedRecordsAreSkippedWithoutWritingOutsideTheirField)
{
    // Unknown and never-applied identifiers, a u8 flag, the gutter bits, a cut record.
    std::vector<BYTE> dwords = Words({5, 0x12345678, 32, 7, 106, 0x12, 77, 1, 11});
    std::vector<BYTE> before = m_default;
    PutU32(Main(before) + 672, 0xABCDEF07);
    std::vector<BYTE> after = Apply(before, dwords, {});
    EXPECT_EQ(Dm(before)->dmFields, Dm(after)->dmFields);
    EXPECT_EQ(1, Main(after)[20]);
    EXPECT_EQ(0xABCDEF02u, GetU32(Main(after) + 672));
    int nErrors = 0;
    for (const auto& line : TraceCapture::Lines())
        nErrors += line == "ERROR - This will not be happened.\n";
    EXPECT_EQ(2, nErrors);

    // Buffer records longer than their span or the form name, a plug-in record whose size field
    // disagrees with its length, then one that runs past the section: none is applied.
    std::vector<BYTE> buffers = Words({31, 8, 0xAAAAAAAA, 0xBBBBBBBB});
    std::vector<BYTE> longName = Words({19, 70});
    longName.resize(longName.size() + 70, 'x');
    buffers.insert(buffers.end(), longName.begin(), longName.end());
    std::vector<BYTE> plug(64);
    memcpy(plug.data(), Block(before, 10000), 64);
    PutU32(plug.data() + 12, 600);
    std::vector<BYTE> plugRecord = Words({201, 64});
    plugRecord.insert(plugRecord.end(), plug.begin(), plug.end());
    buffers.insert(buffers.end(), plugRecord.begin(), plugRecord.end());
    std::vector<BYTE> cut = Words({33, 20, 0x01010101});
    buffers.insert(buffers.end(), cut.begin(), cut.end());

    TraceCapture::Clear();
    after = Apply(before, {}, buffers);
    EXPECT_EQ(0, memcmp(before.data(), after.data(), before.size())) << "a damaged record changed the DEVMODE";
    EXPECT_TRUE(TraceCapture::Contains("LMPROFJXP::CopyProfileToDevMode - record 31 too long, 8 bytes\n"))
        << TraceCapture::Dump();
    EXPECT_TRUE(TraceCapture::Contains("LMPROFJXP::CopyProfileToDevMode - record 19 too long, 70 bytes\n"));
    EXPECT_TRUE(TraceCapture::Contains("FATAL ERROR - Plug-In data size incorrect\n"));
    EXPECT_TRUE(TraceCapture::Contains("LMPROFJXP::CopyProfileToDevMode - record 33 past the section end\n"));
}

// A profile made on the Jet model and rebuilt on the Laser model: the records carry over, the
// Jet's plug-in blocks (which the Laser lacks) are dropped, and a marked paper size and output
// bin become positions in the Laser's own lists.
TEST_F(DevModeEngine, RebuildOnAnotherModelMapsPaperAndBinToItsLists)
{
    auto jet = OpenSession(FIXTURE_PRINTER_B1);
    std::vector<BYTE> jetDm(jet->m_pDefaultDevMode.get(), jet->m_pDefaultDevMode.get() + jet->m_dwDefaultDevModeSize);
    PutU16(Main(jetDm) + 376, 1005);    // Legal, marked as an identifier
    PutU16(Main(jetDm) + 404, 1003);    // output bin 3
    Dm(jetDm)->dmCopies = 4;

    JxpEntryHeader* pEntry = reinterpret_cast<JxpEntryHeader*>(jet->m_pProfileEntry.get());
    std::vector<BYTE> dwords(jet->MakeDevModeDwordData(Dm(jetDm), nullptr, 0));
    jet->MakeDevModeDwordData(Dm(jetDm), dwords.data(), DWORD(dwords.size()));
    std::vector<BYTE> buffers(jet->MakeDevModeBufferData(Dm(jetDm), nullptr, 0));
    jet->MakeDevModeBufferData(Dm(jetDm), buffers.data(), DWORD(buffers.size()));
    (void)pEntry;

    TraceCapture::Clear();
    std::vector<BYTE> onLaser = Apply(m_default, dwords, buffers);
    EXPECT_EQ(4, Dm(onLaser)->dmCopies);
    EXPECT_EQ(1005, GetU16(Main(onLaser) + 376));
    EXPECT_EQ(0, memcmp(Block(onLaser, 10000), Block(m_default, 10000), 64)) << "the Laser's own plug-ins stay";

    m_session->RestoreDevMode(Dm(onLaser));
    // Laser papers: 9 1 11 5 13, output bins: 1 2 3.
    EXPECT_EQ(3, GetU16(Main(onLaser) + 376));
    EXPECT_EQ(2, GetU16(Main(onLaser) + 404));
    EXPECT_TRUE(TraceCapture::Contains("RestorePrintSize before 1005\n"));
    EXPECT_TRUE(TraceCapture::Contains("RestorePrintSize to 3\n"));
    EXPECT_TRUE(TraceCapture::Contains("RestoreOutputBin to 2\n"));

    // The same marks on the Jet's own list (papers 1 5 9 20, bins 5 1), twice-marked sizes, an
    // unknown paper and a position already.
    std::vector<BYTE> onJet = jetDm;
    jet->RestoreDevMode(Dm(onJet));
    EXPECT_EQ(1, GetU16(Main(onJet) + 376));
    EXPECT_EQ(0, GetU16(Main(onJet) + 404));
    PutU16(Main(onJet) + 376, 2020);
    jet->RestorePrintSize(Dm(onJet));
    EXPECT_EQ(3, GetU16(Main(onJet) + 376));
    PutU16(Main(onJet) + 376, 1011);
    jet->RestorePrintSize(Dm(onJet));
    EXPECT_EQ(0, GetU16(Main(onJet) + 376));
    PutU16(Main(onJet) + 376, 9);
    TraceCapture::Clear();
    jet->RestorePrintSize(Dm(onJet));
    EXPECT_EQ(9, GetU16(Main(onJet) + 376));
    EXPECT_FALSE(TraceCapture::Contains("RestorePrintSize before 9\n"));
}

// A driver that lists more papers than any fixed list would hold: the list is sized from the
// driver's count, so a paper far down it is still found.
TEST_F(DevModeEngine, PaperListsLongerThan256EntriesAreReadWhole)
{
    auto wide = OpenSession(FIXTURE_PRINTER_C1);
    ASSERT_TRUE(wide->IsComplete());
    std::vector<BYTE> dm(wide->m_pDefaultDevMode.get(), wide->m_pDefaultDevMode.get() + wide->m_dwDefaultDevModeSize);
    int nCount = 0;
    EXPECT_NE(nullptr, wide->GetCapabilityList(DC_PAPERS, &nCount));
    EXPECT_EQ(300, nCount);
    PutU16(Main(dm) + 376, 1005);   // Legal, the driver's last paper
    wide->RestorePrintSize(Dm(dm));
    EXPECT_EQ(299, GetU16(Main(dm) + 376));
}

class DevModeApply : public testing::Test {
protected:
    void SetUp() override
    {
        InitTraceFlag(TRUE);
        ASSERT_TRUE(m_printer.Ok());
        TraceCapture::Clear();
    }
    void TearDown() override { InitTraceFlag(FALSE); }

    ScratchPrinter m_printer{"LmTest Apply", FIXTURE_MODEL_A};
};

TEST_F(DevModeApply, MergeKeepsThePrintersNamesAndSetsItGloballyAndForTheUser)
{
    auto session = OpenSession(m_printer.Name());
    std::vector<BYTE> current = PrinterDevModeW(m_printer.Name());
    ASSERT_FALSE(current.empty());
    std::vector<BYTE> profile = current;
    Dm(profile)->dmCopies = 5;
    wcscpy(Dm(profile)->dmFormName, L"Legal");
    wcscpy(Dm(profile)->dmDeviceName, L"Somebody else");
    PutU16(Main(profile) + 486, 40);
    Block(profile, 20000)[64] ^= 0x77;

    // A per-user DEVMODE left by the user: the apply removes it in wide mode only.
    std::wstring wname(m_printer.Name(), m_printer.Name() + strlen(m_printer.Name()));
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Printers\\DevModePerUser", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
    RegSetValueExW(hKey, wname.c_str(), 0, REG_BINARY, current.data(), DWORD(current.size()));

    session->ApplyDevMode2Printer(Dm(profile));
    std::vector<BYTE> after = PrinterDevModeW(m_printer.Name());
    ASSERT_EQ(current.size(), after.size());
    EXPECT_EQ(5, Dm(after)->dmCopies) << TraceCapture::Dump();
    EXPECT_STREQ(Dm(current)->dmFormName, Dm(after)->dmFormName);
    EXPECT_STREQ(Dm(current)->dmDeviceName, Dm(after)->dmDeviceName);
    EXPECT_EQ(40, GetU16(Main(after) + 486));
    EXPECT_EQ(0, memcmp(Block(profile, 20000), Block(after, 20000), 128));

    DWORD cb = 0;
    LONG lPerUser = RegQueryValueExW(hKey, wname.c_str(), nullptr, nullptr, nullptr, &cb);
    RegDeleteValueW(hKey, wname.c_str());
    RegCloseKey(hKey);
    if (RunsAsWin9x()) {
        EXPECT_TRUE(TraceCapture::Contains("SetDevModeA - success\n")) << TraceCapture::Dump();
        EXPECT_EQ(ERROR_SUCCESS, lPerUser) << "nothing is deleted in ANSI mode";
    } else {
        EXPECT_TRUE(TraceCapture::Contains("SetDevModeW - success\n")) << TraceCapture::Dump();
        EXPECT_TRUE(TraceCapture::Contains("SetDevModeW - Set Global - success\n"));
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, lPerUser) << "the per-user DEVMODE survived";
    }
}

TEST_F(DevModeApply, ProfilesOfAnotherLayoutOrWithoutMainBlockLeaveThePrinterAlone)
{
    auto session = OpenSession(m_printer.Name());
    std::vector<BYTE> current = PrinterDevModeW(m_printer.Name());
    auto jet = OpenSession(FIXTURE_PRINTER_B1);
    std::vector<BYTE> jetDm(jet->m_pDefaultDevMode.get(), jet->m_pDefaultDevMode.get() + jet->m_dwDefaultDevModeSize);
    Dm(jetDm)->dmCopies = 9;
    session->ApplyDevMode2Printer(Dm(jetDm));
    EXPECT_TRUE(TraceCapture::Contains(RunsAsWin9x() ? "MergeDevModeA - DEVMODE layouts differ - 156 1216, 220 1104\n"
                                                     : "MergeDevModeW - DEVMODE layouts differ - 220 1216, 220 1104\n"))
        << TraceCapture::Dump();

    std::vector<BYTE> noMain = current;
    Main(noMain)[0] = 0;
    Dm(noMain)->dmCopies = 9;
    session->ApplyDevMode2Printer(Dm(noMain));
    EXPECT_TRUE(TraceCapture::Contains("ApplyDevMode2Printer - no main block\n"));
    EXPECT_EQ(current, PrinterDevModeW(m_printer.Name()));

    // A profile whose first plug-in block claims more bytes than the printer's: only the
    // printer block's bytes are taken, and the block after it keeps its header.
    std::vector<BYTE> swapped = current;
    BYTE* p10000 = Block(swapped, 10000);
    PutU32(p10000 + 12, 128);
    BYTE* p20000 = p10000 + 128;
    memcpy(p20000, Block(current, 20000), 16);
    PutU32(p20000 + 12, 64);
    memset(p10000 + 16, 0xEE, 112);
    session->ApplyDevMode2Printer(Dm(swapped));
    std::vector<BYTE> after = PrinterDevModeW(m_printer.Name());
    ASSERT_EQ(current.size(), after.size());
    EXPECT_EQ(64u, GetU32(Block(after, 10000) + 12));
    EXPECT_EQ(0xEE, Block(after, 10000)[63]);
    ASSERT_NE(nullptr, Block(after, 20000)) << "the next block's header was overwritten";
    EXPECT_EQ(128u, GetU32(Block(after, 20000) + 12));
}

// A printer that appears while the session waits: the attempt after the wait finds its size.
TEST(DefaultDevMode, SizeIsAskedAgainAfterAWait)
{
    InitTraceFlag(TRUE);
    TraceCapture::Clear();
    static std::unique_ptr<ScratchPrinter> s_late;
    {
        WaitRecorder waits;
        WaitRecorder::Then([] { s_late.reset(new ScratchPrinter("LmTest Late", FIXTURE_MODEL_B)); });
        auto session = OpenSession("LmTest Late");
        ASSERT_TRUE(s_late && s_late->Ok());
        std::vector<std::string> events;
        for (const auto& line : TraceCapture::Lines()) {
            if (line == "LMPROFJXP::GetDefaultDevModeSize\n" || line.rfind("wait ", 0) == 0)
                events.push_back(line);
        }
        EXPECT_EQ((std::vector<std::string>{"LMPROFJXP::GetDefaultDevModeSize\n", "wait 1000\n",
                                            "LMPROFJXP::GetDefaultDevModeSize\n"}),
                  events)
            << TraceCapture::Dump();
        EXPECT_EQ(sizeof(DEVMODEW) + lmfix::DriverExtra(lmfix::kModels[1]), session->m_dwDefaultDevModeSize);
        EXPECT_EQ(1, session->m_wDefaultDevModeLoads);
    }
    s_late.reset();
    InitTraceFlag(FALSE);
}

// A Windows 9x driver may keep an older DEVMODEA of 148 bytes, shorter than the wide record
// less its names: the profile is merged into the fields both hold and into the private part.
TEST_F(DevModeApply, OlderShorterAnsiRecordTakesTheFieldsBothHold)
{
    auto session = OpenSession(m_printer.Name());
    std::vector<BYTE> profile = PrinterDevModeW(m_printer.Name());
    ASSERT_FALSE(profile.empty());
    Dm(profile)->dmCopies = 6;
    Dm(profile)->dmOrientation = DMORIENT_LANDSCAPE;
    PutU16(Main(profile) + 486, 41);

    const WORD cbOld = 148;
    WORD cbExtra = Dm(profile)->dmDriverExtra;
    std::vector<BYTE> old(size_t(cbOld) + cbExtra, 0);
    DEVMODEA* pOld = reinterpret_cast<DEVMODEA*>(old.data());
    strcpy(reinterpret_cast<char*>(pOld->dmDeviceName), "LmTest Apply");
    pOld->dmSize = cbOld;
    pOld->dmDriverExtra = cbExtra;
    pOld->dmCopies = 1;
    pOld->dmOrientation = DMORIENT_PORTRAIT;
    strcpy(reinterpret_cast<char*>(pOld->dmFormName), "Letter");
    memcpy(old.data() + cbOld, PrinterDevModeW(m_printer.Name()).data() + Dm(profile)->dmSize, cbExtra);

    ASSERT_TRUE(session->MergeDevModeA(pOld, Dm(profile))) << TraceCapture::Dump();
    EXPECT_EQ(cbOld, pOld->dmSize);
    EXPECT_EQ(6, pOld->dmCopies);
    EXPECT_EQ(DMORIENT_LANDSCAPE, pOld->dmOrientation);
    EXPECT_STREQ("Letter", reinterpret_cast<char*>(pOld->dmFormName));
    // The fixture's main block opens the private part.
    EXPECT_EQ(41, GetU16(old.data() + cbOld + 486));
}

// The current DEVMODE a driver fills is read by its own sizes only where the buffer holds them:
// a buffer too short for the size fields, or sizes that reach past it, are refused with a trace
// line and never read past the buffer's end (the memory after it is unreadable).
TEST(DevModeSizes, DriverFilledRecordsAreReadOnlyInsideTheirBuffer)
{
    InitTraceFlag(TRUE);
    const char* const SHORT = "ApplyDevMode2Printer - DEVMODE size too small - %d\n";
    const char* const DAMAGED = "ApplyDevMode2Printer - DocumentProperties error - 13\n";
    struct {
        bool bAnsi;
        size_t cb;
        WORD dmSize, dmDriverExtra;   // stored where the buffer holds them
        const char* pszRefusal;       // nullptr: the sizes are taken
    } cases[] = {
        {false, 0, 0, 0, SHORT},      {false, 40, 0, 0, SHORT},     {false, 70, 70, 0, SHORT},
        {false, 71, 71, 0, SHORT},    {false, 72, 72, 0, nullptr},  {false, 72, 0, 0, DAMAGED},
        {false, 300, 220, 80, nullptr}, {false, 300, 220, 81, DAMAGED}, {false, 300, 300, 0, nullptr},
        {true, 0, 0, 0, SHORT},       {true, 38, 38, 0, SHORT},     {true, 39, 39, 0, SHORT},
        {true, 40, 40, 0, nullptr},   {true, 200, 156, 44, nullptr}, {true, 200, 156, 45, DAMAGED},
        {true, 200, 0, 10, DAMAGED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.bAnsi ? "ANSI " : "wide ") << c.cb << " bytes, " << c.dmSize << " + "
                                        << c.dmDriverExtra);
        GuardedBytes record(c.cb);
        ASSERT_TRUE(record);
        size_t offSize = c.bAnsi ? 36 : 68;
        record.Put(offSize, &c.dmSize, 2);
        record.Put(offSize + 2, &c.dmDriverExtra, 2);
        TraceCapture::Clear();
        WORD dmSize = 0xEEEE, dmDriverExtra = 0xEEEE;
        SetLastError(ERROR_INVALID_DATA);
        bool bTaken = CurrentDevModeSizes(record.Get(), c.cb, c.bAnsi, &dmSize, &dmDriverExtra);
        EXPECT_EQ(c.pszRefusal == nullptr, bTaken);
        if (c.pszRefusal) {
            char szLine[128];
            wsprintfA(szLine, c.pszRefusal, int(c.cb));
            EXPECT_EQ(std::vector<std::string>{szLine}, TraceCapture::Lines());
            EXPECT_EQ(0xEEEE, dmSize) << "nothing handed out";
        } else {
            EXPECT_EQ(c.dmSize, dmSize);
            EXPECT_EQ(c.dmDriverExtra, dmDriverExtra);
            EXPECT_TRUE(TraceCapture::Lines().empty()) << TraceCapture::Dump();
        }
    }
    InitTraceFlag(FALSE);
}
