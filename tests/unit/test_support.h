// Test bed support: trace capture, the Windows version this copy runs as, scratch printers.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>

#include <winspool.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "installer/setupdata.h"

// Collects every line sent to the debugger output stream by this process: Wine raises
// DBG_PRINTEXCEPTION_C for OutputDebugStringA and OutputDebugStringW alike.
class TraceCapture {
public:
    static void Install();
    static void Clear();
    // Lines as sent, timestamp prefix included.
    static std::vector<std::string> RawLines();
    // Lines without the 24-character timestamp prefix.
    static std::vector<std::string> Lines();
    static bool Contains(const std::string& line) { return Find(line) >= 0; }
    // How many lines begin with `prefix`.
    static int Count(const std::string& prefix);
    // Index of the first line equal to `line` at or after `from`, or -1.
    static int Find(const std::string& line, int from = 0);
    static std::string Dump();
};

// A test with the library's trace on, its capture emptied first; off again afterwards.
class TracedTest : public testing::Test {
protected:
    void SetUp() override
    {
        InitTraceFlag(TRUE);
        TraceCapture::Clear();
    }
    void TearDown() override { InitTraceFlag(FALSE); }
};

// The version this copy of the tests was registered for ("win98", "nt40", ... "win10"),
// taken from the executable's name; "" when the name carries none.
std::string RunVersion();
bool RunsAsWin9x();

// The road a test of the library's 64-bit-Windows branches takes. A 32-bit process on 64-bit
// Windows takes it for real; the 64-bit test bed, which stands in for that process, takes it by
// overriding the library's WOW64 probe (cleared again when the road goes out of scope); a
// 32-bit process on 32-bit Windows has no x64 driver environment or 64-bit view to reach.
class Wow64Road {
public:
    Wow64Road();
    ~Wow64Road();
    Wow64Road(const Wow64Road&) = delete;
    Wow64Road& operator=(const Wow64Road&) = delete;
    bool Available() const { return m_bAvailable; }

private:
    bool m_bAvailable;
    bool m_bOverridden;
};

// The library's deliberate waits recorded instead of spent while the recorder lives: each
// becomes the trace line "wait <ms>\n", in order among the library's own lines.
class WaitRecorder {
public:
    WaitRecorder();
    ~WaitRecorder();
    WaitRecorder(const WaitRecorder&) = delete;
    WaitRecorder& operator=(const WaitRecorder&) = delete;
};

// Folder of the test executable, with a trailing backslash.
std::string ExeFolder();

// A printer of a fixture model created for one test and deleted afterwards, so a test can
// change its settings freely.
class ScratchPrinter {
public:
    ScratchPrinter(const char* pszName, const char* pszModel);
    ~ScratchPrinter();
    ScratchPrinter(const ScratchPrinter&) = delete;
    ScratchPrinter& operator=(const ScratchPrinter&) = delete;
    bool Ok() const { return m_bOk; }
    const char* Name() const { return m_name.c_str(); }

private:
    std::string m_name;
    bool m_bOk;
};

// The printer's DEVMODE as the spooler keeps it (PRINTER_INFO_2 level), wide form.
std::vector<BYTE> PrinterDevModeW(const char* pszPrinter);

// Last-error marker set before a call whose failure a test checks.
constexpr DWORD ERROR_MARKER = 0xdeadbeef;

// Deterministic test data: byte i of a pattern started from seed.
inline BYTE PatternByte(DWORD i, DWORD dwSeed) { return BYTE((i * 7 + dwSeed + (i >> 8)) & 0xFF); }

using Bytes = std::vector<BYTE>;

Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);

// A folder of its own for one test under the temporary folder, its name with blanks in it as
// users' folders have; emptied first if a crashed run left it, removed with everything in it.
class WorkFolder {
public:
    explicit WorkFolder(const std::string& name);
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    const std::string& Dir() const { return m_dir; }
    std::string Path(const std::string& name) const { return m_dir + "\\" + name; }
    // A folder inside this one (created with its parents), also removed at the end.
    std::string SubDir(const std::string& name);

private:
    std::string m_dir;
};

// A session of the static library on the printer, in this copy's mode: the ANSI name on
// Windows 9x, the wide one elsewhere.
std::unique_ptr<LMPROFJXP> OpenSession(const std::string& printer);

// Where the spooler keeps a printer's data, and one value of it as the registry holds it
// (empty when missing).
std::string DriverDataKey(const std::string& printer);
Bytes PrinterData(const std::string& printer, const char* pszValue, DWORD* pdwType = nullptr);

// The built LmProfInst.dll beside the tests' folder, loaded the way its callers load it (once);
// null, with the reason, when it is missing.
HMODULE BuiltDll(std::string* pWhy, std::string* pPath = nullptr);
// Binds one export of the DLL by its undecorated name; false (the name added to *pWhy) when
// the DLL lacks it.
template <typename Fn>
bool BindExport(HMODULE h, const char* pszName, Fn* pfn, std::string* pWhy)
{
    *pfn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(h, pszName)));
    if (!*pfn)
        *pWhy += std::string(" missing export ") + pszName + ";";
    return *pfn != nullptr;
}

// An installer's block as a driver installer fills it, in the user's language and code page
// (what the process's locale says), with a logo and the two fonts.
class SetupBlock {
public:
    // bAnsi: the block of a Windows 9x installer (8-bit source folder, ANSI calls); a language
    // given instead of the user's comes with code page 1252.
    SetupBlock(const char* pszPrinter, const char* pszModel, const std::string& folder, bool bAnsi = false,
               DWORD dwLanguage = 0);
    ~SetupBlock();
    SetupBlock(const SetupBlock&) = delete;
    SetupBlock& operator=(const SetupBlock&) = delete;
    SETUPDATA* Get() { return reinterpret_cast<SETUPDATA*>(m_bytes.data()); }
    void PutI32(size_t off, LONG l) { memcpy(&m_bytes[off], &l, 4); }
    void Put(size_t off, DWORD dw) { memcpy(&m_bytes[off], &dw, 4); }
    void PutWideFolder(const std::wstring& folder)
    {
        memcpy(&m_bytes[setupdata::OFF_SOURCE_FOLDER], folder.c_str(), (folder.size() + 1) * 2);
    }
    LONG I32(size_t off) const { LONG l; memcpy(&l, &m_bytes[off], 4); return l; }

private:
    std::vector<BYTE> m_bytes;
    HFONT m_hTitle, m_hBody;
    HBITMAP m_hLogo;
};
