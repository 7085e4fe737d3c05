// The print settings engine against the fixture drivers' real DEVMODEs: the records written as
// differences and read back, damaged records, paper positions, and the merge into a printer's.
#include <functional>
#include <map>

#include "codec/devmode_layout.h"
#include "driver/fixture_models.h"
#include "fixture_names.h"
#include "guarded_bytes.h"
#include "settings/devmode_access.h"
#include "test_support.h"

using namespace devmode;

namespace {

DEVMODEW* Dm(Bytes& v) { return reinterpret_cast<DEVMODEW*>(v.data()); }
BYTE* Main(Bytes& v) { return v.data() + Dm(v)->dmSize; }

// The block of the given identifier found by walking the fixture's chain independently.
BYTE* Block(Bytes& v, WORD wId)
{
    for (size_t off = Dm(v)->dmSize; off + 16 <= v.size() && GetU32(&v[off + 12]); off += GetU32(&v[off + 12]))
        if (GetU16(&v[off + 4]) == wId)
            return &v[off];
    return nullptr;
}

Bytes DefaultOf(LMPROFJXP& s)
{
    Bytes dm(s.GetDefaultDevModeSizeRetry());
    s.GetDefaultDevMode(dm.data());
    return dm;
}

Bytes Cat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Words(std::initializer_list<uint32_t> words)
{
    Bytes out;
    for (uint32_t w : words)
        out = Cat(out, {BYTE(w), BYTE(w >> 8), BYTE(w >> 16), BYTE(w >> 24)});
    return out;
}

Bytes Record(uint32_t dwId, Bytes data)
{
    data.insert(data.begin(), 8, 0);
    PutU32(&data[0], dwId);
    PutU32(&data[4], DWORD(data.size() - 8));
    return data;
}

std::map<uint32_t, uint32_t> DwordRecords(const Bytes& s)
{
    std::map<uint32_t, uint32_t> records;
    for (size_t i = 0; i + 8 <= s.size(); i += 8)
        records[GetU32(&s[i])] = GetU32(&s[i + 4]);
    return records;
}

class DevModeEngine : public TracedTest {
protected:
    void SetUp() override
    {
        TracedTest::SetUp();
        m_session = OpenSession(FIXTURE_PRINTER_A1);
        ASSERT_TRUE(m_session->IsComplete());
        m_default = DefaultOf(*m_session);
        TraceCapture::Clear();
    }

    Bytes Section(bool bDword, Bytes& dm)
    {
        auto make = bDword ? &LMPROFJXP::MakeDevModeDwordData : &LMPROFJXP::MakeDevModeBufferData;
        Bytes out(((*m_session).*make)(Dm(dm), nullptr, 0));
        EXPECT_EQ(out.size(), ((*m_session).*make)(Dm(dm), out.data(), DWORD(out.size()))) << "the passes differ";
        return out;
    }
    // Applies sections to a copy of `base` as the import does, the entry giving their sizes.
    Bytes Apply(Bytes base, const Bytes& dwords, const Bytes& buffers)
    {
        JxpEntryHeader* pEntry = reinterpret_cast<JxpEntryHeader*>(m_session->m_pProfileEntry.get());
        pEntry->dwDataSize[0] = DWORD(dwords.size());
        pEntry->dwDataSize[1] = DWORD(buffers.size());
        m_session->CopyProfileToDevMode(Dm(base), dwords.data(), buffers.data());
        return base;
    }

    std::unique_ptr<LMPROFJXP> m_session;
    Bytes m_default;
};

class DevModeSizes : public TracedTest {};

}  // namespace

// Against a default that differs in every byte of the public part and the main block (and in
// both sizes), every record of the layout is written once; applied onto that default, each puts
// its field back (the sizes, versions and dmFields stay the printer's).
TEST_F(DevModeEngine, EveryRecordCarriesItsFieldAndPutsItBack)
{
    Bytes dm = m_default;
    for (size_t off = 64; off < 204; ++off)   // a value of its own in every public field
        if (off < 68 || (off >= 72 && off < 102) || off >= 188)
            dm[off] = BYTE(off * 7 + 3);
    const WORD cbPublic = Dm(dm)->dmSize, cbExtra = Dm(dm)->dmDriverExtra;
    Bytes def = dm;
    for (size_t off = 64; off < cbPublic + GetU32(Main(dm) + 12); ++off)
        def[off] ^= off < cbPublic || off >= cbPublic + 16u ? 0xFF : 0;
    def.insert(def.begin() + cbPublic, 0);
    def.push_back(0);
    Dm(def)->dmSize = WORD(cbPublic + 1);
    Dm(def)->dmDriverExtra = WORD(cbExtra + 1);
    m_session->m_pDefaultDevMode.reset(new BYTE[def.size()]);
    memcpy(m_session->m_pDefaultDevMode.get(), def.data(), def.size());
    m_session->m_dwDefaultDevModeSize = DWORD(def.size());

    Bytes dwords = Section(true, dm), buffers = Section(false, dm);
    std::map<uint32_t, uint32_t> values = DwordRecords(dwords);
    EXPECT_EQ(dwords.size() / 8, values.size()) << "a record written twice";
    EXPECT_EQ(kPublicDwordRecordCount + kPrivateDwordRecordCount, values.size());
    Bytes back = Apply(def, dwords, buffers);
    const BYTE* pBackMain = &back[cbPublic + 1];
    for (const auto& table : {std::make_pair(kPublicDwordRecords, kPublicDwordRecordCount),
                              std::make_pair(kPrivateDwordRecords, kPrivateDwordRecordCount)}) {
        for (size_t i = 0; i < table.second; ++i) {
            const DwordRecordDef& d = table.first[i];
            uint32_t dwWant = ReadField(d, (d.bPrivate ? Main(dm) : dm.data()) + d.wOffset);
            EXPECT_EQ(dwWant, values[d.dwId]) << d.pszName;
            const BYTE* pBack = (d.bPrivate ? pBackMain : back.data()) + d.wOffset;
            uint32_t dwBack = d.kind == FIELD_BOOL ? dwWant != 0 : dwWant;   // a flag comes back as 1
            EXPECT_TRUE(!d.bApplied || dwBack == ReadField(d, pBack)) << d.pszName;
        }
    }
    // The form name with its terminator, every span, every plug-in block whole.
    Bytes expected = Record(19, Bytes(&dm[102], &dm[102] + 2 * (wcslen(Dm(dm)->dmFormName) + 1)));
    for (size_t i = 0; i < kBufferRecordCount; ++i) {
        const BufferRecordDef& d = kBufferRecords[i];
        expected = Cat(expected, Record(d.dwId, Bytes(Main(dm) + d.wOffset, Main(dm) + d.wOffset + d.wLength)));
        EXPECT_EQ(0, memcmp(Main(dm) + d.wOffset, pBackMain + d.wOffset, d.wLength)) << "record " << d.dwId;
    }
    for (WORD wId : {10000, 20000})
        expected = Cat(expected, Record(201, Bytes(Block(dm, wId), Block(dm, wId) + GetU32(Block(dm, wId) + 12))));
    EXPECT_TRUE(expected == buffers);
    EXPECT_STREQ(Dm(dm)->dmFormName, Dm(back)->dmFormName);
}

// The plug-ins are the blocks that follow the main block, wherever the chain puts it: on export
// and on import alike.
TEST_F(DevModeEngine, PlugInsFollowTheMainBlockWhereverItStands)
{
    Bytes moved = m_default;
    Bytes main(Main(moved), Main(moved) + 1024), first(Main(moved) + 1024, Main(moved) + 1088);
    memcpy(Main(moved), first.data(), 64);         // prolog/epilog block first,
    memcpy(Main(moved) + 64, main.data(), 1024);   // then the main block, then the watermark
    EXPECT_EQ(Record(201, Bytes(Block(moved, 20000), Block(moved, 20000) + 128)), Section(false, moved));

    Bytes changed = moved;
    memset(Block(changed, 10000) + 16, 0xC1, 48);
    memset(Block(changed, 20000) + 16, 0xC2, 112);
    Bytes after = Apply(moved, {}, Cat(Record(201, Bytes(Block(changed, 10000), Block(changed, 10000) + 64)),
                                       Record(201, Bytes(Block(changed, 20000), Block(changed, 20000) + 128))));
    EXPECT_EQ(0, memcmp(Block(moved, 10000), Block(after, 10000), 64)) << "a block before the main block changed";
    EXPECT_EQ(0, memcmp(Block(changed, 20000), Block(after, 20000), 128));
}

// Each record alone, then (where the reader goes on) a sound one: a damaged record changes
// nothing, a record at its limit is applied whole, and the sound record after it still lands.
TEST_F(DevModeEngine, DamagedRecordsChangeNothingOutsideTheirField)
{
    Bytes before = m_default;
    PutU32(Main(before) + 672, 0xABCDEF07);
    Bytes plug(Block(before, 10000), Block(before, 10000) + 64), unsigned_ = plug, watermark = plug;
    PutU32(&plug[12], 600);
    PutU32(&unsigned_[0], 0);
    watermark[4] = 0x20, watermark[5] = 0x4E;   // a whole block 20000 of 64 bytes, the printer's has 128
    const std::string notApplied = "ERROR - This will not be happened.\n";
    const std::string fatal = "FATAL ERROR - Plug-In data size incorrect\n";
    struct Case {
        const char* pszWhat;
        bool bDword, bThenMore;
        Bytes records;
        std::string trace;
        std::function<void(Bytes&)> change;
    } cases[] = {
        {"a DWORD record cut short", true, false, Words({11}), "", nullptr},
        {"a whole DWORD record", true, false, Words({11, 4}), "", [](Bytes& b) { Dm(b)->dmCopies = 4; }},
        {"the size is never applied", true, true, Words({3, 0x1234}), notApplied, nullptr},
        {"an unknown identifier", true, true, Words({77, 1}), notApplied, nullptr},
        {"a flag takes 1 for any value", true, true, Words({32, 7}), "", [](Bytes& b) { Main(b)[20] = 1; }},
        {"the gutter bits only", true, true, Words({106, 0x12}), "", [](Bytes& b) { Main(b)[672] = 0x02; }},
        {"a span of its length", false, true, Record(31, Bytes(4, 0xAA)), "",
         [](Bytes& b) { memset(Main(b) + 16, 0xAA, 4); }},
        {"a span one byte longer", false, true, Record(31, Bytes(5, 0xAA)),
         "LMPROFJXP::CopyProfileToDevMode - record 31 too long, 5 bytes\n", nullptr},
        {"a form name of 64 bytes", false, true, Record(19, Bytes(64, 0x41)), "",
         [](Bytes& b) { memset(&b[102], 0x41, 64); }},
        {"a form name of 65 bytes", false, true, Record(19, Bytes(65, 0x41)),
         "LMPROFJXP::CopyProfileToDevMode - record 19 too long, 65 bytes\n", nullptr},
        {"a plug-in whose size field disagrees", false, true, Record(201, plug), fatal, nullptr},
        {"a plug-in without its signature", false, true, Record(201, unsigned_), fatal, nullptr},
        {"a plug-in of another size than the printer's", false, true, Record(201, watermark), fatal, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        Bytes records = c.records, want = before;
        if (c.change)
            c.change(want);
        if (c.bThenMore) {
            records = Cat(records, c.bDword ? Words({11, 5}) : Record(53, Bytes(4, 0x5A)));
            if (c.bDword)
                Dm(want)->dmCopies = 5;
            else
                memset(Main(want) + 252, 0x5A, 4);
        }
        TraceCapture::Clear();
        Bytes after = c.bDword ? Apply(before, records, {}) : Apply(before, {}, records);
        EXPECT_TRUE(want == after);
        EXPECT_TRUE(c.trace.empty() || TraceCapture::Contains(c.trace)) << TraceCapture::Dump();
    }
}

// A marked paper size (1000 and more; 2000 and more marked twice) becomes its position in the
// printer's own list, 0 when the list lacks it; a position stays. The Jet lists papers 1 5 9 20;
// the Wide model lists 300, more than any fixed list would hold, Legal (5) the last. (The output
// bins and the Laser's papers, AsDefault checks through the DLL.)
TEST_F(DevModeEngine, MarkedPaperSizesBecomePositionsInThePrintersList)
{
    const struct {
        const char* pszPrinter;
        WORD wStored, wPosition;
    } cases[] = {{FIXTURE_PRINTER_B1, 1005, 1}, {FIXTURE_PRINTER_B1, 2020, 3}, {FIXTURE_PRINTER_B1, 1011, 0},
                 {FIXTURE_PRINTER_B1, 1000, 0}, {FIXTURE_PRINTER_B1, 999, 999}, {FIXTURE_PRINTER_C1, 1005, 299}};
    for (const auto& c : cases) {
        auto session = OpenSession(c.pszPrinter);
        Bytes dm = DefaultOf(*session);
        PutU16(Main(dm) + 376, c.wStored);
        session->RestorePrintSize(Dm(dm));
        EXPECT_EQ(c.wPosition, GetU16(Main(dm) + 376)) << c.pszPrinter << ", stored " << c.wStored;
    }
}

// Applied to a printer of its own (the apply changes the printer's DEVMODE).
TEST_F(DevModeEngine, ProfilesOfAnotherLayoutOrWithoutMainBlockLeaveThePrinterAlone)
{
    ScratchPrinter printer("LmTest Apply", FIXTURE_MODEL_A);
    ASSERT_TRUE(printer.Ok());
    auto session = OpenSession(printer.Name());
    Bytes current = PrinterDevModeW(printer.Name());
    auto jet = OpenSession(FIXTURE_PRINTER_B1);
    Bytes jetDm = DefaultOf(*jet), noMain = current;
    Dm(jetDm)->dmCopies = 9;
    Main(noMain)[0] = 0;
    Dm(noMain)->dmCopies = 9;
    for (Bytes* pProfile : {&jetDm, &noMain})
        session->ApplyDevMode2Printer(Dm(*pProfile));
    EXPECT_TRUE(TraceCapture::Contains(RunsAsWin9x() ? "MergeDevModeA - DEVMODE layouts differ - 156 1216, 220 1104\n"
                                                     : "MergeDevModeW - DEVMODE layouts differ - 220 1216, 220 1104\n"))
        << TraceCapture::Dump();
    EXPECT_EQ(current, PrinterDevModeW(printer.Name()));

    // A profile whose first plug-in block claims more bytes than the printer's: only the
    // printer block's bytes are taken, and the block after it keeps its header.
    Bytes swapped = current;
    BYTE* p10000 = Block(swapped, 10000);
    PutU32(p10000 + 12, 128);
    memcpy(p10000 + 128, Block(current, 20000), 16);
    PutU32(p10000 + 128 + 12, 64);
    memset(p10000 + 16, 0xEE, 112);
    session->ApplyDevMode2Printer(Dm(swapped));
    Bytes after = PrinterDevModeW(printer.Name());
    ASSERT_EQ(current.size(), after.size());
    EXPECT_EQ(64u, GetU32(Block(after, 10000) + 12));
    EXPECT_EQ(0xEE, Block(after, 10000)[63]);
    ASSERT_NE(nullptr, Block(after, 20000)) << "the next block's header was overwritten";
    EXPECT_EQ(128u, GetU32(Block(after, 20000) + 12));
}

// A Windows 9x driver may keep an older DEVMODEA of 148 bytes, shorter than the wide record
// less its names: the profile is merged into the fields both hold and into the private part.
TEST_F(DevModeEngine, OlderShorterAnsiRecordTakesTheFieldsBothHold)
{
    Bytes profile = m_default;
    Dm(profile)->dmCopies = 6;
    Dm(profile)->dmOrientation = DMORIENT_LANDSCAPE;
    PutU16(Main(profile) + 486, 41);
    const WORD cbOld = 148, cbExtra = Dm(profile)->dmDriverExtra;
    Bytes old(size_t(cbOld) + cbExtra, 0);
    DEVMODEA* pOld = reinterpret_cast<DEVMODEA*>(old.data());
    strcpy(reinterpret_cast<char*>(pOld->dmDeviceName), FIXTURE_PRINTER_A1);
    pOld->dmSize = cbOld;
    pOld->dmDriverExtra = cbExtra;
    pOld->dmCopies = 1;
    strcpy(reinterpret_cast<char*>(pOld->dmFormName), "Letter");
    memcpy(&old[cbOld], Main(m_default), cbExtra);

    ASSERT_TRUE(m_session->MergeDevModeA(pOld, Dm(profile))) << TraceCapture::Dump();
    EXPECT_EQ(cbOld, pOld->dmSize);
    EXPECT_EQ(6, pOld->dmCopies);
    EXPECT_EQ(DMORIENT_LANDSCAPE, pOld->dmOrientation);
    EXPECT_STREQ("Letter", reinterpret_cast<char*>(pOld->dmFormName));
    EXPECT_EQ(41, GetU16(&old[cbOld + 486]));   // the fixture's main block opens the private part
}

// The current DEVMODE a driver fills is read by its own sizes only where the buffer holds them:
// a buffer too short for the size fields, or sizes that reach past it, are refused with a trace
// line and never read past the buffer's end (the memory after it is unreadable).
TEST_F(DevModeSizes, DriverFilledRecordsAreReadOnlyInsideTheirBuffer)
{
    const char* const SHORT = "ApplyDevMode2Printer - DEVMODE size too small - %d\n";
    const char* const DAMAGED = "ApplyDevMode2Printer - DocumentProperties error - 13\n";
    struct {
        bool bAnsi;
        size_t cb;
        WORD dmSize, dmDriverExtra;   // stored where the buffer holds them
        const char* pszRefusal;       // nullptr: the sizes are taken
    } cases[] = {
        {false, 0, 0, 0, SHORT},        {false, 71, 71, 0, SHORT},      {false, 72, 72, 0, nullptr},
        {false, 72, 0, 0, DAMAGED},     {false, 300, 220, 80, nullptr}, {false, 300, 220, 81, DAMAGED},
        {false, 300, 300, 0, nullptr},  {true, 39, 39, 0, SHORT},       {true, 40, 40, 0, nullptr},
        {true, 200, 156, 44, nullptr},  {true, 200, 156, 45, DAMAGED},  {true, 200, 0, 10, DAMAGED},
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
}
