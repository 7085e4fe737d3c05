// End-to-end test bed: printers of the fixture models made per test, their profile store set up
// and read through sessions of the static library, profile files on disk, and the profile
// "Office" that most tests carry from printer to printer.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "codec/byte_cursor.h"
#include "codec/layouts.h"
#include "core/lmprofjxp.h"
#include "exchange_dll.h"
#include "fixture_names.h"
#include "test_support.h"

inline DEVMODEW* Dm(Bytes& v) { return reinterpret_cast<DEVMODEW*>(v.data()); }
inline const DEVMODEW* Dm(const Bytes& v) { return reinterpret_cast<const DEVMODEW*>(v.data()); }
// The copies a DEVMODE record asks for; -1 for no whole record.
inline short Copies(const Bytes& v) { return v.size() >= sizeof(DEVMODEW) ? Dm(v)->dmCopies : -1; }
// Offset of the main block (the private area starts with it).
inline size_t MainAt(const Bytes& v) { return Dm(v)->dmSize; }
// Offset of the block of that identifier, found by walking the chain independently of the
// library; 0 when the record carries none.
size_t BlockAt(const Bytes& v, WORD wId);
inline WORD U16(const Bytes& v, size_t off) { return off + 2 <= v.size() ? GetU16(v.data() + off) : 0; }
inline DWORD U32(const Bytes& v, size_t off) { return off + 4 <= v.size() ? GetU32(v.data() + off) : 0; }
inline void PutU16At(Bytes& v, size_t off, WORD w) { PutU16(v.data() + off, w); }
// "" when the two agree on [from, to); else where and how they first differ.
std::string FirstDifference(const Bytes& a, const Bytes& b, size_t from, size_t to);

// One profile of a file: its entry header and the four sections behind it.
struct FileEntry {
    Bytes bytes;
    DWORD Section(int i) const { return U32(bytes, 556 + 4 * size_t(i)); }
};
// The entries of a well-formed file, in order; and a file of the header of `head` (its count
// set) and the entries given.
std::vector<FileEntry> Entries(const Bytes& file);
Bytes JoinEntries(const Bytes& head, const std::vector<FileEntry>& entries);

inline std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// The folder dir, named at exactly n characters by "\." steps (a doubled backslash names one).
inline std::string FolderOfLength(std::string dir, size_t n)
{
    if ((n - dir.size()) % 2)
        dir += "\\";
    while (dir.size() < n)
        dir += "\\.";
    return dir;
}

struct Value {
    std::string name;
    DWORD dwType;
    Bytes data;
};
// Value name -> bytes, as a profile's pack holds them.
using Pack = std::map<std::string, Bytes>;
// Everything a printer keeps besides its DEVMODE: its printer-data values by name (type then
// bytes), and on Windows 9x the data files of its profiles.
using StoreState = std::map<std::string, Bytes>;

class TestPrinter {
public:
    TestPrinter(const std::string& name, const char* pszModel);
    ~TestPrinter();
    bool Ok() const { return m_printer.Ok(); }
    const char* Name() const { return m_printer.Name(); }
    std::unique_ptr<LMPROFJXP> Session() const { return OpenSession(Name()); }
    // The default DEVMODE a session of this printer works with.
    Bytes DefaultDevMode() const;
    // Stores a profile's DEVMODE and values under the registry number and, unless it is 0 (the
    // "Factory Default" pack), lists it.
    void Store(const char* pszProfile, DWORD dwRegNum, const Bytes& devMode, const std::vector<Value>& values,
               const char* pszDescription = "", DWORD dwParam1 = 0, DWORD dwParam2 = 0) const;
    // The records of the profile list as the printer holds them.
    std::vector<ProfileRecord> List() const;
    // Every value of the pack of a registry number, "Default DevMode" included.
    Pack Values(int nRegNum) const;
    // A printer-data value as the spooler keeps it; empty (type 0) when missing.
    Bytes Data(const char* pszValue, DWORD* pdwType = nullptr) const { return PrinterData(Name(), pszValue, pdwType); }
    StoreState State() const;
    Bytes CurrentDevMode() const { return PrinterDevModeW(Name()); }

private:
    template <typename Fn>
    void ForEachDataFile(Fn fn) const;
    ScratchPrinter m_printer;
    std::string m_driverDir;   // Windows 9x: where the profiles' data files lie
};

// What the user chose on a Laser printer: 3 copies at 80 %, Legal, brightness -20, and the
// print size and output bin stored marked (1000 + identifier): Legal (5) and bin 2.
constexpr short OFFICE_COPIES = 3, OFFICE_SCALE = 80, OFFICE_BRIGHTNESS = -20;
constexpr WORD OFFICE_PRINT_SIZE = 1005, OFFICE_OUTPUT_BIN = 1002;
constexpr size_t MAIN_PRINT_SIZE = 376, MAIN_OUTPUT_BIN = 404, MAIN_BRIGHTNESS = 486;
constexpr DWORD OFFICE_PARAM1 = 0x11, OFFICE_PARAM2 = 0x2200;
extern const char OFFICE_DESCRIPTION[];

Bytes OfficeDevMode(const Bytes& laserDefault, short nCopies = OFFICE_COPIES);
// "Tray" (REG_DWORD 2), "Notes" (300 bytes of the seed's pattern) and "_Setup" (40 bytes).
std::vector<Value> OfficeValues(DWORD dwNotesSeed = 1);
Bytes NotesBytes(DWORD dwSeed);
Bytes SetupBytes();
Bytes TrayBytes();

class E2ETest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A printer named after the test and the suffix.
    TestPrinter& AddPrinter(const char* pszSuffix, const char* pszModel);
    // Stores "Office" (or another name) on the printer under the registry number and lists it.
    void StoreOffice(TestPrinter& printer, const char* pszProfile = "Office", DWORD dwRegNum = 1,
                     short nCopies = OFFICE_COPIES, DWORD dwNotesSeed = 1);
    // Exports a profile of the printer, or imports one profile of the file into the printer,
    // through the DLL in a session of its own; the call's result.
    int Export(const TestPrinter& printer, const char* pszProfile, const std::string& path);
    int Import(const TestPrinter& printer, const std::string& path, const char* pszProfile, BOOL bSetup = FALSE);

    std::unique_ptr<WorkFolder> m_work;
    std::vector<std::unique_ptr<TestPrinter>> m_printers;
};

// Where most tests start: a Laser printer "A" holding "Office", with a value stored empty
// ("LmBlank") besides its own, exported into m_file.
class OfficeExported : public E2ETest {
protected:
    void SetUp() override;
    TestPrinter* m_a = nullptr;
    Bytes m_office;   // the DEVMODE stored as "Office"
    std::string m_file;
};
