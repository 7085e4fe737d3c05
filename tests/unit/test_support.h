// Test bed support: trace capture, the Windows version this copy runs as, scratch printers.
#pragma once
#include <windows.h>

#include <winspool.h>

#include <string>
#include <vector>

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
    static bool Contains(const std::string& line);
    // Index of the first line equal to `line` at or after `from`, or -1.
    static int Find(const std::string& line, int from = 0);
    static std::string Dump();
};

// The version this copy of the tests was registered for ("win98", "nt40", ... "win10"),
// taken from the executable's name; "" when the name carries none.
std::string RunVersion();
bool RunsAsWin9x();
// This process is a 32-bit one on 64-bit Windows, as the system reports it.
bool RunsUnderWow64();
// The system runs 64-bit programs (the native architecture is AMD64).
bool Runs64BitPrograms();

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
    bool Overridden() const { return m_bOverridden; }

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
    // Called (once each) at the next waits, before they return.
    static void Then(void (*pfn)());
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
inline BYTE PatternByte(DWORD i, DWORD dwSeed)
{
    return BYTE((i * 7 + dwSeed + (i >> 8)) & 0xFF);
}

// Runs this test executable again with the arguments given and returns its exit code
// (-1 when it could not be started).
int RunSelf(const std::string& args);
