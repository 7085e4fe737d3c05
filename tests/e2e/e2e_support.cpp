#include "e2e_support.h"

#include <cstring>

#include "core/trace.h"

const char OFFICE_DESCRIPTION[] = "Front desk, plain paper";

size_t BlockAt(const Bytes& v, WORD wId)
{
    for (size_t off = MainAt(v); off + 16 <= v.size() && U32(v, off) == 0x4C6D5064 && U32(v, off + 12) >= 16;
         off += U32(v, off + 12)) {
        if (U16(v, off + 4) == wId)
            return off;
    }
    return 0;
}

std::string FirstDifference(const Bytes& a, const Bytes& b, size_t from, size_t to)
{
    if (a.size() < to || b.size() < to)
        return "records of " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + " bytes, not " +
               std::to_string(to);
    for (size_t i = from; i < to; ++i) {
        if (a[i] != b[i])
            return "at offset " + std::to_string(i) + ": " + std::to_string(a[i]) + " vs " + std::to_string(b[i]);
    }
    return "";
}

std::vector<FileEntry> Entries(const Bytes& file)
{
    std::vector<FileEntry> entries;
    for (size_t off = 144; int(entries.size()) < int16_t(U16(file, 12)) && off + 700 <= file.size();) {
        size_t end = off + 700 + U32(file, off + 556) + U32(file, off + 560) + U32(file, off + 564) + U32(file, off + 568);
        if (end > file.size())
            break;
        entries.push_back(FileEntry{Bytes(file.begin() + long(off), file.begin() + long(end))});
        off = end;
    }
    return entries;
}

Bytes JoinEntries(const Bytes& head, const std::vector<FileEntry>& entries)
{
    Bytes file(head.begin(), head.begin() + 144);
    PutU16At(file, 12, WORD(entries.size()));
    for (const auto& entry : entries)
        file.insert(file.end(), entry.bytes.begin(), entry.bytes.end());
    return file;
}

TestPrinter::TestPrinter(const std::string& name, const char* pszModel) : m_printer(name.c_str(), pszModel)
{
    if (m_printer.Ok() && RunsAsWin9x())
        m_driverDir = Session()->m_szDriverDir;
}

// Windows 9x keeps the profiles' data in files beside the driver, which no deletion of the
// printer removes.
TestPrinter::~TestPrinter()
{
    ForEachDataFile([&](const std::string& path) { DeleteFileA(path.c_str()); });
}

template <typename Fn>
void TestPrinter::ForEachDataFile(Fn fn) const
{
    WIN32_FIND_DATAA fd;
    HANDLE h = m_driverDir.empty() ? INVALID_HANDLE_VALUE
                                   : FindFirstFileA((m_driverDir + "\\" + Name() + "_JXP_*").c_str(), &fd);
    for (BOOL bMore = h != INVALID_HANDLE_VALUE; bMore; bMore = FindNextFileA(h, &fd))
        fn(m_driverDir + "\\" + fd.cFileName);
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
}

Bytes TestPrinter::DefaultDevMode() const
{
    auto session = Session();
    const BYTE* p = session->m_pDefaultDevMode.get();
    return p ? Bytes(p, p + session->m_dwDefaultDevModeSize) : Bytes();
}

void TestPrinter::Store(const char* pszProfile, DWORD dwRegNum, const Bytes& devMode, const std::vector<Value>& values,
                        const char* pszDescription, DWORD dwParam1, DWORD dwParam2) const
{
    auto session = Session();
    if (dwRegNum != 0) {
        EXPECT_TRUE(session->AddProfileToModel(pszProfile, pszDescription, dwParam1, dwParam2, dwRegNum)) << pszProfile;
    }
    session->SaveProfileRegValue(pszProfile, int(dwRegNum), "Default DevMode", devMode.data(), DWORD(devMode.size()),
                                 REG_BINARY);
    for (const auto& value : values)
        session->SaveProfileRegValue(pszProfile, int(dwRegNum), value.name.c_str(), value.data.data(),
                                     DWORD(value.data.size()), value.dwType);
}

std::vector<ProfileRecord> TestPrinter::List() const
{
    Bytes list = Data("JxProfileData");
    std::vector<ProfileRecord> records(list.size() / sizeof(ProfileRecord));
    memcpy(records.data(), list.data(), records.size() * sizeof(ProfileRecord));
    return records;
}

Pack TestPrinter::Values(int nRegNum) const
{
    auto session = Session();
    std::vector<char[PRINTER_NAME_CHARS]> names(session->EnumProfileRegValue("", nRegNum, nullptr, nullptr, 0));
    DWORD n = names.empty() ? 0 : session->EnumProfileRegValue("", nRegNum, names.data(), nullptr, names.size());
    Pack pack;
    for (DWORD i = 0; i < n && i < names.size(); ++i) {
        Bytes data(session->LoadProfileRegValue("", nRegNum, names[i], nullptr, 0, nullptr, nullptr));
        DWORD cbOut = 0, dwType = 0;
        if (!data.empty())
            session->LoadProfileRegValue("", nRegNum, names[i], data.data(), DWORD(data.size()), &cbOut, &dwType);
        pack[names[i]] = data;
    }
    return pack;
}

StoreState TestPrinter::State() const
{
    StoreState state;
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DriverDataKey(Name()).c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS) {
        char szName[1024];
        DWORD cchName = sizeof(szName), dwType = 0, cb = 0;
        for (DWORD i = 0; RegEnumValueA(h, i, szName, &cchName, nullptr, &dwType, nullptr, &cb) == ERROR_SUCCESS; ++i) {
            Bytes data(cb + 4);
            PutU32(data.data(), dwType);
            cchName = sizeof(szName);
            RegEnumValueA(h, i, szName, &cchName, nullptr, &dwType, data.data() + 4, &cb);
            state[std::string("reg:") + szName] = data;
            cchName = sizeof(szName);
        }
        RegCloseKey(h);
    }
    ForEachDataFile([&](const std::string& path) { state["file:" + path] = ReadBytes(path); });
    return state;
}

Bytes OfficeDevMode(const Bytes& laserDefault, short nCopies)
{
    Bytes dm = laserDefault;
    Dm(dm)->dmCopies = nCopies;
    Dm(dm)->dmScale = OFFICE_SCALE;
    wcscpy(Dm(dm)->dmFormName, L"Legal");
    PutU16At(dm, MainAt(dm) + MAIN_PRINT_SIZE, OFFICE_PRINT_SIZE);
    PutU16At(dm, MainAt(dm) + MAIN_OUTPUT_BIN, OFFICE_OUTPUT_BIN);
    PutU16At(dm, MainAt(dm) + MAIN_BRIGHTNESS, WORD(OFFICE_BRIGHTNESS));
    // A watermark and a prologue of the user's own in the plug-in blocks.
    size_t watermark = BlockAt(dm, 20000), prologue = BlockAt(dm, 10000);
    for (size_t i = 16; watermark && i < 128; ++i)
        dm[watermark + i] = PatternByte(DWORD(i), 77);
    for (size_t i = 16; prologue && i < 64; ++i)
        dm[prologue + i] ^= 0x5A;
    return dm;
}

Bytes NotesBytes(DWORD dwSeed)
{
    Bytes notes(300);
    for (size_t i = 0; i < notes.size(); ++i)
        notes[i] = PatternByte(DWORD(i), dwSeed);
    return notes;
}

Bytes SetupBytes()
{
    Bytes setup = NotesBytes(200);
    setup.resize(40);
    return setup;
}

Bytes TrayBytes()
{
    return Bytes{2, 0, 0, 0};
}

std::vector<Value> OfficeValues(DWORD dwNotesSeed)
{
    return {{"Tray", REG_DWORD, TrayBytes()}, {"Notes", REG_BINARY, NotesBytes(dwNotesSeed)},
            {"_Setup", REG_BINARY, SetupBytes()}};
}

void E2ETest::SetUp()
{
    // The static library traces nothing of its own: the lines captured are the DLL's.
    InitTraceFlag(FALSE);
    m_work.reset(new WorkFolder(testing::UnitTest::GetInstance()->current_test_info()->name()));
    TraceCapture::Clear();
}

void E2ETest::TearDown()
{
    // The DLL's session holds its printer open: closed before any printer is deleted.
    Dll().CloseJxpApi(nullptr, "");
    m_printers.clear();
    m_work.reset();
}

TestPrinter& E2ETest::AddPrinter(const char* pszSuffix, const char* pszModel)
{
    std::string name = std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + " " + pszSuffix;
    m_printers.emplace_back(new TestPrinter(name, pszModel));
    EXPECT_TRUE(m_printers.back()->Ok()) << name;
    return *m_printers.back();
}

void E2ETest::StoreOffice(TestPrinter& printer, const char* pszProfile, DWORD dwRegNum, short nCopies,
                          DWORD dwNotesSeed)
{
    printer.Store(pszProfile, dwRegNum, OfficeDevMode(printer.DefaultDevMode(), nCopies), OfficeValues(dwNotesSeed),
                  OFFICE_DESCRIPTION, OFFICE_PARAM1, OFFICE_PARAM2);
}

int E2ETest::Export(const TestPrinter& printer, const char* pszProfile, const std::string& path)
{
    EXPECT_TRUE(Dll().InitJxpApi(nullptr, printer.Name())) << printer.Name();
    int nResult = Dll().ExportProfileToJxp(pszProfile, path.c_str());
    Dll().CloseJxpApi(nullptr, printer.Name());
    return nResult;
}

int E2ETest::Import(const TestPrinter& printer, const std::string& path, const char* pszProfile, BOOL bSetup)
{
    EXPECT_TRUE(Dll().InitJxpApi(nullptr, printer.Name())) << printer.Name();
    char cell[32] = "";
    strncpy(cell, pszProfile, sizeof(cell) - 1);
    int nResult = Dll().ImportProfileFromJxp(path.c_str(), cell, 1, bSetup);
    Dll().CloseJxpApi(nullptr, printer.Name());
    return nResult;
}

void OfficeExported::SetUp()
{
    E2ETest::SetUp();
    m_a = &AddPrinter("A", FIXTURE_MODEL_A);
    m_office = OfficeDevMode(m_a->DefaultDevMode());
    std::vector<Value> values = OfficeValues();
    values.push_back({"LmBlank", REG_BINARY, Bytes()});
    m_a->Store("Office", 1, m_office, values, OFFICE_DESCRIPTION, OFFICE_PARAM1, OFFICE_PARAM2);
    m_file = m_work->Path("Office file.jxp");
    ASSERT_EQ(1, Export(*m_a, "Office", m_file)) << TraceCapture::Dump();
}
