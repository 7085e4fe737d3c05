// End-to-end test bed: printers of the fixture models made per test, their profile store set up
// and read through sessions of the static library, profile files on disk, and the profile
// "Office" that most tests carry from printer to printer.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "codec/layouts.h"
#include "core/lmprofjxp.h"
#include "exchange_dll.h"
#include "fixture_names.h"
#include "test_support.h"


// ---- DEVMODE views ------------------------------------------------------------------------

inline DEVMODEW* Dm(Bytes& v)
{
    return reinterpret_cast<DEVMODEW*>(v.data());
}
inline const DEVMODEW* Dm(const Bytes& v)
{
    return reinterpret_cast<const DEVMODEW*>(v.data());
}
// Offset of the main block (the private area starts with it).
inline size_t MainAt(const Bytes& v)
{
    return Dm(v)->dmSize;
}
// Offset of the block of that identifier, found by walking the chain independently of the
// library; 0 when the record carries none.
size_t BlockAt(const Bytes& v, WORD wId);
WORD U16(const Bytes& v, size_t off);
DWORD U32(const Bytes& v, size_t off);
void PutU16At(Bytes& v, size_t off, WORD w);
// "" when the two agree on [from, to); else where and how they first differ.
std::string FirstDifference(const Bytes& a, const Bytes& b, size_t from, size_t to);

// ---- profile files built by hand from exported ones -------------------------------------------

// One profile of a file: its entry header and the four sections behind it.
struct FileEntry {
    Bytes bytes;
    DWORD Section(int i) const { return U32(bytes, 556 + 4 * size_t(i)); }
};
// The entries of a well-formed file, in order.
std::vector<FileEntry> Entries(const Bytes& file);
// A file with the header of `head` (its count set to the entries given) and those entries.
Bytes JoinEntries(const Bytes& head, const std::vector<FileEntry>& entries);

// ---- printers and their profile store ------------------------------------------------------

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
    TestPrinter(const TestPrinter&) = delete;
    TestPrinter& operator=(const TestPrinter&) = delete;
    bool Ok() const { return m_printer->Ok(); }
    const char* Name() const { return m_name.c_str(); }
    const char* Model() const { return m_model.c_str(); }

    // A session of the static library in this copy's mode (ANSI on Windows 9x).
    std::unique_ptr<LMPROFJXP> Session() const;
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
    // Type of each entry of the pack's index, as the index records it.
    std::map<std::string, DWORD> IndexTypes(int nRegNum) const;
    // A printer-data value as the spooler keeps it; empty when missing.
    Bytes Data(const char* pszValue, DWORD* pdwType = nullptr) const;
    bool HasData(const char* pszValue) const;
    StoreState State() const;
    Bytes CurrentDevMode() const { return PrinterDevModeW(m_name.c_str()); }

private:
    std::string DataFilePrefix() const;
    std::string m_name;
    std::string m_model;
    std::unique_ptr<ScratchPrinter> m_printer;
    std::string m_driverDir;
};

// ---- the profile "Office" -------------------------------------------------------------------

// What the user chose on a Laser printer: 3 copies at 80 %, Legal, brightness -20, and the
// print size and output bin stored marked (1000 + identifier): Legal (5) and bin 2.
constexpr short OFFICE_COPIES = 3;
constexpr short OFFICE_SCALE = 80;
constexpr WORD OFFICE_PRINT_SIZE = 1005;
constexpr WORD OFFICE_OUTPUT_BIN = 1002;
constexpr short OFFICE_BRIGHTNESS = -20;
constexpr size_t MAIN_PRINT_SIZE = 376;
constexpr size_t MAIN_OUTPUT_BIN = 404;
constexpr size_t MAIN_BRIGHTNESS = 486;
constexpr DWORD OFFICE_PARAM1 = 0x11, OFFICE_PARAM2 = 0x2200;
extern const char OFFICE_DESCRIPTION[];

Bytes OfficeDevMode(const Bytes& laserDefault, short nCopies = OFFICE_COPIES);
// "Tray" (REG_DWORD 2), "Notes" (300 bytes of the seed's pattern) and "_Setup" (40 bytes).
std::vector<Value> OfficeValues(DWORD dwNotesSeed = 1);
Bytes NotesBytes(DWORD dwSeed);
Bytes SetupBytes();
Bytes TrayBytes();

// ---- fixture ----------------------------------------------------------------------------------

class E2ETest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A printer named after the test and the suffix.
    TestPrinter& AddPrinter(const char* pszSuffix, const char* pszModel);
    // Stores "Office" (or another name) on the printer under the registry number and lists it.
    void StoreOffice(TestPrinter& printer, const char* pszProfile = "Office", DWORD dwRegNum = 1,
                     short nCopies = OFFICE_COPIES, DWORD dwNotesSeed = 1);
    // Exports a profile of the printer through the DLL; the export's result.
    int Export(const TestPrinter& printer, const char* pszProfile, const std::string& path);
    // Starts a command entry as rundll32 does (in process on Windows 9x, where the test's own
    // process is the Windows 9x one; rundll32 would run as an NT program).
    void RunEntry(const char* pszEntry, const std::string& cmdLine);

    std::unique_ptr<WorkFolder> m_work;
    std::vector<std::unique_ptr<TestPrinter>> m_printers;
};
