#include "e2e_support.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "codec/byte_cursor.h"
#include "core/trace.h"
#include "store_test_support.h"

const char OFFICE_DESCRIPTION[] = "Front desk, plain paper";

// ---- DEVMODE views ------------------------------------------------------------------------

size_t BlockAt(const Bytes& v, WORD wId)
{
    size_t off = MainAt(v);
    while (off + 16 <= v.size()) {
        if (U32(v, off) != 0x4C6D5064)
            return 0;
        if (U16(v, off + 4) == wId)
            return off;
        DWORD cb = U32(v, off + 12);
        if (cb < 16)
            return 0;
        off += cb;
    }
    return 0;
}

WORD U16(const Bytes& v, size_t off)
{
    return off + 2 <= v.size() ? GetU16(v.data() + off) : 0;
}

DWORD U32(const Bytes& v, size_t off)
{
    return off + 4 <= v.size() ? GetU32(v.data() + off) : 0;
}

void PutU16At(Bytes& v, size_t off, WORD w)
{
    PutU16(v.data() + off, w);
}

std::string FirstDifference(const Bytes& a, const Bytes& b, size_t from, size_t to)
{
    if (a.size() < to || b.size() < to)
        return "records too short: " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + " bytes for " +
               std::to_string(to);
    for (size_t i = from; i < to; ++i) {
        if (a[i] != b[i])
            return "first difference at offset " + std::to_string(i) + ": " + std::to_string(a[i]) + " vs " +
                   std::to_string(b[i]);
    }
    return "";
}

// ---- profile files ------------------------------------------------------------------------

std::vector<FileEntry> Entries(const Bytes& file)
{
    std::vector<FileEntry> entries;
    int nCount = int16_t(U16(file, 12));
    size_t off = 144;
    for (int i = 0; i < nCount && off + 700 <= file.size(); ++i) {
        size_t cb = 700;
        for (int s = 0; s < 4; ++s)
            cb += U32(file, off + 556 + 4 * size_t(s));
        if (off + cb > file.size())
            break;
        entries.push_back(FileEntry{Bytes(file.begin() + long(off), file.begin() + long(off + cb))});
        off += cb;
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

// ---- printers -----------------------------------------------------------------------------

TestPrinter::TestPrinter(const std::string& name, const char* pszModel)
    : m_name(name), m_model(pszModel), m_printer(new ScratchPrinter(name.c_str(), pszModel))
{
    if (m_printer->Ok() && RunsAsWin9x())
        m_driverDir = Session()->m_szDriverDir;
}

TestPrinter::~TestPrinter()
{
    // Windows 9x keeps the profiles' data in files beside the driver, which no deletion of
    // the printer removes.
    if (!m_driverDir.empty()) {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((DataFilePrefix() + "*").c_str(), &fd);
        for (BOOL bMore = h != INVALID_HANDLE_VALUE; bMore; bMore = FindNextFileA(h, &fd))
            DeleteFileA((m_driverDir + "\\" + fd.cFileName).c_str());
        if (h != INVALID_HANDLE_VALUE)
            FindClose(h);
    }
}

std::string TestPrinter::DataFilePrefix() const
{
    return m_driverDir + "\\" + m_name + "_JXP_";
}

std::unique_ptr<LMPROFJXP> TestPrinter::Session() const
{
    return OpenSession(m_name);
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
    if (!records.empty())
        memcpy(records.data(), list.data(), records.size() * sizeof(ProfileRecord));
    return records;
}

Pack TestPrinter::Values(int nRegNum) const
{
    Pack pack;
    auto session = Session();
    DWORD n = session->EnumProfileRegValue("", nRegNum, nullptr, nullptr, 0);
    if (n == 0)
        return pack;
    std::vector<char[PRINTER_NAME_CHARS]> names(n);
    n = session->EnumProfileRegValue("", nRegNum, names.data(), nullptr, n);
    for (DWORD i = 0; i < n; ++i) {
        DWORD cb = session->LoadProfileRegValue("", nRegNum, names[i], nullptr, 0, nullptr, nullptr);
        Bytes data(cb);
        DWORD cbOut = 0, dwType = 0;
        if (cb)
            session->LoadProfileRegValue("", nRegNum, names[i], data.data(), cb, &cbOut, &dwType);
        pack[names[i]] = data;
    }
    return pack;
}

std::map<std::string, DWORD> TestPrinter::IndexTypes(int nRegNum) const
{
    char szIndex[32];
    wsprintfA(szIndex, "JXP_%04d", nRegNum);
    Bytes index = Data(szIndex);
    std::map<std::string, DWORD> types;
    for (size_t off = 0; off + 268 <= index.size(); off += 268)
        types[std::string(reinterpret_cast<const char*>(index.data() + off), strnlen(reinterpret_cast<const char*>(
                                                                                        index.data() + off),
                                                                                    260))] = U32(index, off + 260);
    return types;
}

Bytes TestPrinter::Data(const char* pszValue, DWORD* pdwType) const
{
    return PrinterData(m_name, pszValue, pdwType);
}

bool TestPrinter::HasData(const char* pszValue) const
{
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DriverDataKey(m_name).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    bool bFound = RegQueryValueExA(h, pszValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(h);
    return bFound;
}

StoreState TestPrinter::State() const
{
    StoreState state;
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DriverDataKey(m_name).c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS) {
        for (DWORD i = 0;; ++i) {
            char szName[1024];
            DWORD cchName = sizeof(szName), dwType = 0, cb = 0;
            if (RegEnumValueA(h, i, szName, &cchName, nullptr, &dwType, nullptr, &cb) != ERROR_SUCCESS)
                break;
            Bytes data(cb + 4);
            PutU32(data.data(), dwType);
            cchName = sizeof(szName);
            RegEnumValueA(h, i, szName, &cchName, nullptr, &dwType, data.data() + 4, &cb);
            state[std::string("reg:") + szName] = data;
        }
        RegCloseKey(h);
    }
    if (!m_driverDir.empty()) {
        WIN32_FIND_DATAA fd;
        HANDLE hFind = FindFirstFileA((DataFilePrefix() + "*").c_str(), &fd);
        for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore; bMore = FindNextFileA(hFind, &fd))
            state[std::string("file:") + fd.cFileName] = ReadBytes(m_driverDir + "\\" + fd.cFileName);
        if (hFind != INVALID_HANDLE_VALUE)
            FindClose(hFind);
    }
    return state;
}

// ---- "Office" -------------------------------------------------------------------------------

Bytes OfficeDevMode(const Bytes& laserDefault, short nCopies)
{
    Bytes dm = laserDefault;
    Dm(dm)->dmCopies = nCopies;
    Dm(dm)->dmScale = OFFICE_SCALE;
    wcscpy(Dm(dm)->dmFormName, L"Legal");
    size_t main = MainAt(dm);
    PutU16At(dm, main + MAIN_PRINT_SIZE, OFFICE_PRINT_SIZE);
    PutU16At(dm, main + MAIN_OUTPUT_BIN, OFFICE_OUTPUT_BIN);
    PutU16At(dm, main + MAIN_BRIGHTNESS, WORD(OFFICE_BRIGHTNESS));
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
    Bytes setup(40);
    for (size_t i = 0; i < setup.size(); ++i)
        setup[i] = PatternByte(DWORD(i), 200);
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

// ---- fixture ----------------------------------------------------------------------------------

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
    while (!m_printers.empty())
        m_printers.pop_back();
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

void E2ETest::RunEntry(const char* pszEntry, const std::string& cmdLine)
{
    if (RunsAsWin9x()) {
        std::string line = cmdLine;
        auto pfn = strcmp(pszEntry, "LmPatch") == 0 ? Dll().LmPatch : Dll().LmProfInst;
        pfn(nullptr, nullptr, &line[0], SW_SHOWNORMAL);
        return;
    }
    // rundll32 of this prefix is a 64-bit program: it loads the 64-bit DLL the tests built.
    std::string cmd = "rundll32.exe " + Dll().path + "," + pszEntry + " " + cmdLine;
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << cmd << " error " << GetLastError();
    DWORD dwWait = WaitForSingleObject(pi.hProcess, 60000);
    DWORD dwCode = DWORD(-1);
    GetExitCodeProcess(pi.hProcess, &dwCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_EQ(WAIT_OBJECT_0, dwWait) << cmd << " did not end";
    EXPECT_EQ(0u, dwCode) << cmd;
}
