// Damaged and hostile profile files handed to every call that reads one: none may crash, put
// anything but a whole name into a cell, or lose or change a profile the printer already holds.
#include <cstring>
#include <functional>

#include "e2e_support.h"

namespace {

struct Variant {
    const char* pszWhat;
    std::function<Bytes(const Bytes& good, const FileEntry& entry)> make;
    int nListed;       // what GetProfileListFromJxp must return
    bool bImported;    // whether the profile "Office" is still whole enough to import
};

constexpr size_t DATA = 144 + 700;   // the first entry's DWORD section

Bytes Cut(const Bytes& b, size_t n)
{
    return Bytes(b.begin(), b.begin() + long(n < b.size() ? n : b.size()));
}

Bytes WithU32(Bytes b, size_t off, DWORD v)
{
    PutU32(b.data() + off, v);
    return b;
}

Bytes WithU16(Bytes b, size_t off, WORD v)
{
    PutU16At(b, off, v);
    return b;
}

Bytes Filled(Bytes b, size_t off, size_t n, BYTE c)
{
    memset(&b[off], c, n);
    return b;
}

size_t ValuesAt(const FileEntry& e)
{
    return DATA + e.Section(0) + e.Section(1);
}

size_t SetupAt(const FileEntry& e)
{
    return ValuesAt(e) + e.Section(2);
}

// The header of the value section's last record.
size_t LastValueAt(const Bytes& g, const FileEntry& e)
{
    size_t last = ValuesAt(e);
    for (size_t off = last; off + 268 <= SetupAt(e); off += 268 + U32(g, off + 264))
        last = off;
    return last;
}

const Variant VARIANTS[] = {
    {"zero-length file", [](const Bytes&, const FileEntry&) { return Bytes(); }, 0, false},
    {"no magic", [](const Bytes& g, const FileEntry&) { return Filled(g, 0, 3, 'Q'); }, 0, false},
    {"cut inside the file header", [](const Bytes& g, const FileEntry&) { return Cut(g, 100); }, 0, false},
    {"cut inside the entry header", [](const Bytes& g, const FileEntry&) { return Cut(g, 144 + 350); }, 0, false},
    {"cut inside the DWORD section", [](const Bytes& g, const FileEntry& e) { return Cut(g, DATA + e.Section(0) / 2); },
     0, false},
    {"cut inside the buffer section",
     [](const Bytes& g, const FileEntry& e) { return Cut(g, DATA + e.Section(0) + e.Section(1) / 2); }, 0, false},
    {"cut inside the value section",
     [](const Bytes& g, const FileEntry& e) { return Cut(g, ValuesAt(e) + e.Section(2) / 2); }, 0, false},
    {"cut inside the setup section", [](const Bytes& g, const FileEntry& e) { return Cut(g, SetupAt(e) + 100); }, 0,
     false},
    {"count larger than the entries", [](const Bytes& g, const FileEntry&) { return WithU16(g, 12, 3); }, 1, true},
    {"huge count", [](const Bytes& g, const FileEntry&) { return WithU16(g, 12, 0x7FFF); }, 1, true},
    {"negative count", [](const Bytes& g, const FileEntry&) { return WithU16(g, 12, 0xFFFF); }, 0, false},
    {"buffer section length past the end",
     [](const Bytes& g, const FileEntry&) { return WithU32(g, 144 + 560, 0x7FFFFFF0); }, 0, false},
    {"all section lengths at their maximum",
     [](const Bytes& g, const FileEntry&) {
         Bytes b = g;
         for (int i = 0; i < 4; ++i)
             PutU32(&b[144 + 556 + 4 * size_t(i)], 0xFFFFFFFF);
         return b;
     },
     0, false},
    {"value record running past its section",
     [](const Bytes& g, const FileEntry& e) {
         size_t last = LastValueAt(g, e);
         return WithU32(g, last + 264, U32(g, last + 264) + 100);
     },
     1, false},
    {"value record running past the file",
     [](const Bytes& g, const FileEntry& e) { return WithU32(g, ValuesAt(e) + 264, 0xFFFFFFF0); }, 1, false},
    {"value name without terminator",
     [](const Bytes& g, const FileEntry& e) { return Filled(g, ValuesAt(e), 260, 'v'); }, 1, false},
    {"setup record running past its section",
     [](const Bytes& g, const FileEntry& e) { return WithU32(g, SetupAt(e) + 264, 41); }, 1, false},
    {"profile name without terminator", [](const Bytes& g, const FileEntry&) { return Filled(g, 144, 32, 'O'); }, 0,
     false},
    {"description without terminator", [](const Bytes& g, const FileEntry&) { return Filled(g, 144 + 40, 512, 'd'); },
     0, false},
    {"entry model without terminator", [](const Bytes& g, const FileEntry&) { return Filled(g, 144 + 572, 128, 'm'); },
     0, false},
    {"file model without terminator", [](const Bytes& g, const FileEntry&) { return Filled(g, 16, 128, 'M'); }, 1,
     true},
    {"buffer record longer than its section",
     [](const Bytes& g, const FileEntry& e) { return WithU32(g, DATA + e.Section(0) + 4, 0xFFFFFF00); }, 1, false},
};

// Cells filled with a byte no whole name holds, so a cell written with anything shows.
template <size_t N, size_t C>
void Mark(char (&cells)[N][C])
{
    memset(cells, '#', sizeof(cells));
}

template <size_t N, size_t C>
bool Untouched(const char (&cells)[N][C], size_t from)
{
    for (size_t i = from; i < N; ++i)
        for (size_t j = 0; j < C; ++j)
            if (cells[i][j] != '#')
                return false;
    return true;
}

class HostileFiles : public E2ETest {
protected:
    // A printer holding "Office" and the file its export wrote: one entry.
    Bytes GoodFile(TestPrinter& a, const std::string& path)
    {
        StoreOffice(a);
        EXPECT_EQ(1, Export(a, "Office", path));
        Bytes good = ReadBytes(path);
        EXPECT_EQ(1u, Entries(good).size());
        return good;
    }
};

}  // namespace

TEST_F(HostileFiles, NoCallCrashesListsGarbageOrTouchesStoredProfiles)
{
    TestPrinter& a = AddPrinter("A", FIXTURE_MODEL_A);
    Bytes good = GoodFile(a, m_work->Path("good.jxp"));
    std::vector<FileEntry> entries = Entries(good);
    ASSERT_EQ(1u, entries.size());
    ASSERT_GT(entries[0].Section(0), 0u);
    ASSERT_GT(entries[0].Section(2), 268u);
    ASSERT_EQ(268u + 40, entries[0].Section(3));

    // Each printer holds a profile of its own that no file may disturb.
    TestPrinter& h1 = AddPrinter("H1", FIXTURE_MODEL_A);
    TestPrinter& h2 = AddPrinter("H2", FIXTURE_MODEL_A);
    StoreOffice(h1, "Keep", 1, 2, 4);
    StoreOffice(h2, "Keep", 1, 2, 4);
    Pack keep1 = h1.Values(1), keep2 = h2.Values(1);
    ProfileRecord keepRecord = h1.List().at(1);

    std::vector<std::string> paths;
    for (size_t i = 0; i < sizeof(VARIANTS) / sizeof(VARIANTS[0]); ++i) {
        paths.push_back(m_work->Path("hostile " + std::to_string(i) + ".jxp"));
        WriteBytes(paths.back(), VARIANTS[i].make(good, entries[0]));
    }
    EXPECT_EQ(int(paths.size() + 1), Dll().GetJxpFileListFromDirectory(m_work->Dir().c_str(), nullptr, 0));

    ASSERT_TRUE(Dll().InitJxpApi(nullptr, h1.Name()));
    for (size_t i = 0; i < paths.size(); ++i) {
        const Variant& v = VARIANTS[i];
        SCOPED_TRACE(v.pszWhat);
        const char* pszPath = paths[i].c_str();

        char names[3][32], descriptions[3][512], models[3][128];
        Mark(names);
        Mark(descriptions);
        Mark(models);
        TraceCapture::Clear();
        int nListed = Dll().GetProfileListFromJxp(pszPath, names[0], descriptions[0], models[0], 3);
        EXPECT_EQ(v.nListed, nListed) << TraceCapture::Dump();
        for (int n = 0; n < nListed && n < 3; ++n) {
            EXPECT_STREQ("Office", names[n]);
            EXPECT_STREQ(OFFICE_DESCRIPTION, descriptions[n]);
            EXPECT_STREQ(FIXTURE_MODEL_A, models[n]);
        }
        size_t nWritten = nListed > 0 ? size_t(nListed) : 0;
        EXPECT_TRUE(Untouched(names, nWritten) && Untouched(descriptions, nWritten) && Untouched(models, nWritten))
            << "a cell behind the listed ones was written";

        char model[2][128];
        Mark(model);
        BOOL bModel = Dll().GetJxpFileDeviceModel(pszPath, model[0]);
        EXPECT_TRUE(Untouched(model, 1)) << "written past the model buffer";
        if (bModel) {
            EXPECT_LT(strnlen(model[0], 128), 128u);
            std::string text = model[0];
            EXPECT_TRUE(text.empty() || text == FIXTURE_MODEL_A) << "model [" << text << "]";
        }

        // Imports as a listed profile and as "Factory Default": a damaged profile changes
        // nothing at all; a whole one may be imported but leaves "Keep" alone.
        StoreState before = h1.State();
        char cell[32] = "Office";
        int nImported = Dll().ImportProfileFromJxp(pszPath, cell, 1, TRUE);
        int nAsDefault = Dll().ImportProfileAsDefault(pszPath, "Office", 3);
        EXPECT_EQ(v.bImported ? 1 : 0, nImported);
        EXPECT_EQ(v.bImported ? 1 : 0, nAsDefault);
        if (!v.bImported) {
            EXPECT_TRUE(before == h1.State()) << "printer data changed";
        }
        EXPECT_EQ(keep1, h1.Values(1));
        ProfileRecord now = h1.List().at(1);
        EXPECT_EQ(0, memcmp(&keepRecord, &now, sizeof(now)));
        for (const ProfileRecord& rec : h1.List())
            EXPECT_LT(strnlen(rec.szName, 32), 32u);
    }
    Dll().CloseJxpApi(nullptr, h1.Name());

    // The command entry reads the model, then imports and applies: a file that cannot be
    // imported leaves the printer as it was, settings included.
    for (size_t i = 0; i < paths.size(); ++i) {
        const Variant& v = VARIANTS[i];
        if (v.bImported)
            continue;
        SCOPED_TRACE(v.pszWhat);
        StoreState before = h2.State();
        Bytes devMode = h2.CurrentDevMode();
        std::string line = "\"" + std::string(h2.Name()) + "\" \"" + paths[i] + "\" Office";
        Dll().LmProfInst(nullptr, nullptr, &line[0], SW_SHOWNORMAL);
        EXPECT_TRUE(before == h2.State()) << "printer data changed";
        EXPECT_EQ(devMode, h2.CurrentDevMode());
    }
    EXPECT_EQ(keep2, h2.Values(1));
}

// A section length of gigabytes, in a file that really is that long (sparse), is refused before
// anything is allocated, and the file is closed again: it can be deleted at once.
TEST_F(HostileFiles, HugeSectionIsRefusedAndTheFileClosed)
{
    TestPrinter& a = AddPrinter("A", FIXTURE_MODEL_A);
    std::string path = m_work->Path("huge.jxp");
    Bytes good = GoodFile(a, path);
    ASSERT_FALSE(good.empty());
    const DWORD cbHuge = 0x90000000;   // past what a 32-bit process can hold
    WriteBytes(path, WithU32(good, 144 + 556 + 8, cbHuge));
    {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h) << GetLastError();
        LONGLONG qwEnd = LONGLONG(good.size()) + cbHuge;
        LONG lHigh = LONG(qwEnd >> 32);
        EXPECT_NE(INVALID_SET_FILE_POINTER, SetFilePointer(h, LONG(qwEnd & 0xFFFFFFFF), &lHigh, FILE_BEGIN));
        EXPECT_TRUE(SetEndOfFile(h)) << GetLastError();
        CloseHandle(h);
    }

    ASSERT_TRUE(Dll().InitJxpApi(nullptr, a.Name()));
    TraceCapture::Clear();
    char cell[32] = "Office";
    EXPECT_EQ(0, Dll().ImportProfileFromJxp(path.c_str(), cell, 1, TRUE));
    EXPECT_TRUE(TraceCapture::Contains("LMPROFJXP::LoadProfileFromJXP - section too large - 2415919104\n"))
        << TraceCapture::Dump();
    Dll().CloseJxpApi(nullptr, nullptr);
    EXPECT_TRUE(DeleteFileA(path.c_str())) << GetLastError();
}
