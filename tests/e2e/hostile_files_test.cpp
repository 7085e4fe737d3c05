// Damaged and hostile profile files handed to every call that reads one: none may crash, put
// anything but a whole name into a cell, or lose or change a profile the printer already holds.
#include <cstring>

#include "e2e_support.h"

namespace {

class HostileFiles : public OfficeExported {};

constexpr size_t DATA = 144 + 700;   // the first entry's DWORD section
constexpr const char* LASER = FIXTURE_MODEL_A;

size_t ValuesAt(const FileEntry& e) { return DATA + e.Section(0) + e.Section(1); }
size_t SetupAt(const FileEntry& e) { return ValuesAt(e) + e.Section(2); }
void Put32(Bytes& b, size_t off, DWORD dw) { PutU32(b.data() + off, dw); }

// The header of the value section's last record.
size_t LastValueAt(const Bytes& g, const FileEntry& e)
{
    size_t last = ValuesAt(e);
    for (size_t off = last; off + 268 <= SetupAt(e); off += 268 + U32(g, off + 264))
        last = off;
    return last;
}

// The damage done to the good file b, whose one entry is e.
#define DAMAGE(...) [](Bytes& b, const FileEntry& e) { (void)e; __VA_ARGS__; }

const struct Variant {
    const char* pszWhat;
    void (*damage)(Bytes& b, const FileEntry& e);
    int nListed;            // what GetProfileListFromJxp returns
    bool bImported;         // whether "Office" is still whole enough to import
    const char* pszModel;   // what GetJxpFileDeviceModel reads (from offset 16); null: it fails
} VARIANTS[] = {
    {"zero-length file", DAMAGE(b.clear()), 0, false, ""},
    {"no magic", DAMAGE(memset(&b[0], 'Q', 3)), 0, false, LASER},
    {"cut inside the file header", DAMAGE(b.resize(100)), 0, false, LASER},
    {"cut inside the entry header", DAMAGE(b.resize(144 + 350)), 0, false, LASER},
    {"cut inside the DWORD section", DAMAGE(b.resize(DATA + e.Section(0) / 2)), 0, false, LASER},
    {"cut inside the buffer section", DAMAGE(b.resize(DATA + e.Section(0) + e.Section(1) / 2)), 0, false, LASER},
    {"cut inside the value section", DAMAGE(b.resize(ValuesAt(e) + e.Section(2) / 2)), 0, false, LASER},
    {"cut inside the setup section", DAMAGE(b.resize(SetupAt(e) + 100)), 0, false, LASER},
    {"count larger than the entries", DAMAGE(PutU16At(b, 12, 3)), 1, true, LASER},
    {"huge count", DAMAGE(PutU16At(b, 12, 0x7FFF)), 1, true, LASER},
    {"negative count", DAMAGE(PutU16At(b, 12, 0xFFFF)), 0, false, LASER},
    {"buffer section length past the end", DAMAGE(Put32(b, 144 + 560, 0x7FFFFFF0)), 0, false, LASER},
    {"all section lengths at their maximum", DAMAGE(memset(&b[144 + 556], 0xFF, 16)), 0, false, LASER},
    {"value record running past its section",
     DAMAGE(size_t last = LastValueAt(b, e); Put32(b, last + 264, U32(b, last + 264) + 100)), 1, false, LASER},
    {"value record running past the file", DAMAGE(Put32(b, ValuesAt(e) + 264, 0xFFFFFFF0)), 1, false, LASER},
    {"value name without terminator", DAMAGE(memset(&b[ValuesAt(e)], 'v', 260)), 1, false, LASER},
    {"setup record running past its section", DAMAGE(Put32(b, SetupAt(e) + 264, 41)), 1, false, LASER},
    {"profile name without terminator", DAMAGE(memset(&b[144], 'O', 32)), 0, false, LASER},
    {"description without terminator", DAMAGE(memset(&b[144 + 40], 'd', 512)), 0, false, LASER},
    {"entry model without terminator", DAMAGE(memset(&b[144 + 572], 'm', 128)), 0, false, LASER},
    {"file model without terminator", DAMAGE(memset(&b[16], 'M', 128)), 1, true, nullptr},
    {"buffer record longer than its section", DAMAGE(Put32(b, DATA + e.Section(0) + 4, 0xFFFFFF00)), 1, false, LASER},
};

// Cells filled with a byte no whole name holds, so a cell written with anything shows.
template <size_t N, size_t C>
bool Untouched(const char (&cells)[N][C], size_t from)
{
    for (size_t i = from * C; i < N * C; ++i)
        if (cells[i / C][i % C] != '#')
            return false;
    return true;
}

}  // namespace

TEST_F(HostileFiles, NoCallCrashesListsGarbageOrTouchesStoredProfiles)
{
    Bytes good = ReadBytes(m_file);
    std::vector<FileEntry> entries = Entries(good);
    ASSERT_EQ(1u, entries.size());
    ASSERT_GT(entries[0].Section(0), 0u);
    ASSERT_GT(entries[0].Section(2), 268u);
    ASSERT_EQ(268u + 40, entries[0].Section(3));
    std::vector<std::string> paths;
    for (const Variant& v : VARIANTS) {
        Bytes b = good;
        v.damage(b, entries[0]);
        paths.push_back(m_work->Path("hostile " + std::to_string(paths.size()) + ".jxp"));
        WriteBytes(paths.back(), b);
    }

    // The printer holds a profile of its own that no file may disturb.
    TestPrinter& h = AddPrinter("H", FIXTURE_MODEL_A);
    StoreOffice(h, "Keep", 1, 2, 4);
    Pack keep = h.Values(1);
    ProfileRecord keepRecord = h.List().at(1);
    ASSERT_TRUE(Dll().InitJxpApi(nullptr, h.Name()));
    for (size_t i = 0; i < paths.size(); ++i) {
        const Variant& v = VARIANTS[i];
        SCOPED_TRACE(v.pszWhat);
        const char* pszPath = paths[i].c_str();
        char names[3][32], descriptions[3][512], models[3][128], model[2][128];
        memset(names, '#', sizeof(names));
        memset(descriptions, '#', sizeof(descriptions));
        memset(models, '#', sizeof(models));
        memset(model, '#', sizeof(model));
        TraceCapture::Clear();
        int nListed = Dll().GetProfileListFromJxp(pszPath, names[0], descriptions[0], models[0], 3);
        EXPECT_EQ(v.nListed, nListed) << TraceCapture::Dump();
        for (int n = 0; n < nListed && n < 3; ++n) {
            EXPECT_STREQ("Office", names[n]);
            EXPECT_STREQ(OFFICE_DESCRIPTION, descriptions[n]);
            EXPECT_STREQ(LASER, models[n]);
        }
        size_t nWritten = nListed > 0 ? size_t(nListed) : 0;
        EXPECT_TRUE(Untouched(names, nWritten) && Untouched(descriptions, nWritten) && Untouched(models, nWritten))
            << "a cell behind the listed ones was written";

        EXPECT_EQ(v.pszModel != nullptr, Dll().GetJxpFileDeviceModel(pszPath, model[0]) != FALSE);
        std::string text(model[0], strnlen(model[0], sizeof(model[0])));
        EXPECT_TRUE(!v.pszModel || text == v.pszModel) << "model [" << text << "]";
        EXPECT_TRUE(Untouched(model, 1)) << "written past the model buffer";

        // Imports as a listed profile and as "Factory Default": a damaged profile changes
        // nothing at all; a whole one may be imported but leaves "Keep" alone.
        StoreState before = h.State();
        Bytes devMode = h.CurrentDevMode();
        char cell[32] = "Office";
        EXPECT_EQ(v.bImported ? 1 : 0, Dll().ImportProfileFromJxp(pszPath, cell, 1, TRUE));
        EXPECT_EQ(v.bImported ? 1 : 0, Dll().ImportProfileAsDefault(pszPath, "Office", 3));
        EXPECT_TRUE(v.bImported || before == h.State()) << "printer data changed";
        EXPECT_EQ(devMode, h.CurrentDevMode());
        EXPECT_EQ(keep, h.Values(1));
        EXPECT_EQ(0, memcmp(&keepRecord, &h.List().at(1), sizeof(keepRecord)));
        for (const ProfileRecord& rec : h.List())
            EXPECT_LT(strnlen(rec.szName, 32), 32u);
    }
}

// A section length of gigabytes, in a file that really is that long (sparse), is refused before
// anything is allocated, and the file is closed again: it can be deleted at once.
TEST_F(HostileFiles, HugeSectionIsRefusedAndTheFileClosed)
{
    Bytes good = ReadBytes(m_file);
    const DWORD cbHuge = 0x90000000;   // past what a 32-bit process can hold
    Put32(good, 144 + 556 + 8, cbHuge);
    WriteBytes(m_file, good);
    HANDLE h = CreateFileA(m_file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << GetLastError();
    LONGLONG qwEnd = LONGLONG(good.size()) + cbHuge;
    LONG lHigh = LONG(qwEnd >> 32);
    EXPECT_NE(INVALID_SET_FILE_POINTER, SetFilePointer(h, LONG(qwEnd & 0xFFFFFFFF), &lHigh, FILE_BEGIN));
    EXPECT_TRUE(SetEndOfFile(h)) << GetLastError();
    CloseHandle(h);

    TraceCapture::Clear();
    EXPECT_EQ(0, Import(*m_a, m_file, "Office", TRUE));
    EXPECT_TRUE(TraceCapture::Contains("LMPROFJXP::LoadProfileFromJXP - section too large - 2415919104\n"))
        << TraceCapture::Dump();
    EXPECT_TRUE(DeleteFileA(m_file.c_str())) << GetLastError();
}
