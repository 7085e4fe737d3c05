#include "test_support.h"

#include "core/trace.h"
#include "core/waits.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

constexpr DWORD DBG_PRINT = 0x40010006;        // DBG_PRINTEXCEPTION_C
constexpr DWORD DBG_PRINT_WIDE = 0x4001000A;   // DBG_PRINTEXCEPTION_WIDE_C

std::mutex g_mutex;
std::vector<std::string>* g_pLines = new std::vector<std::string>;

LONG CALLBACK OnException(EXCEPTION_POINTERS* pInfo)
{
    const EXCEPTION_RECORD* pRec = pInfo->ExceptionRecord;
    if (pRec->ExceptionCode != DBG_PRINT && pRec->ExceptionCode != DBG_PRINT_WIDE)
        return EXCEPTION_CONTINUE_SEARCH;
    if (pRec->NumberParameters >= 2 && pRec->ExceptionInformation[1]) {
        std::string line;
        size_t n = pRec->ExceptionInformation[0];
        if (pRec->ExceptionCode == DBG_PRINT) {
            const char* p = reinterpret_cast<const char*>(pRec->ExceptionInformation[1]);
            line.assign(p, n ? strnlen(p, n) : 0);
        } else {
            const wchar_t* p = reinterpret_cast<const wchar_t*>(pRec->ExceptionInformation[1]);
            int cb = WideCharToMultiByte(CP_ACP, 0, p, -1, nullptr, 0, nullptr, nullptr);
            if (cb > 0) {
                line.resize(cb);
                WideCharToMultiByte(CP_ACP, 0, p, -1, &line[0], cb, nullptr, nullptr);
                line.resize(cb - 1);
            }
        }
        std::lock_guard<std::mutex> lock(g_mutex);
        g_pLines->push_back(line);
    }
    return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

void TraceCapture::Install()
{
    AddVectoredExceptionHandler(1, OnException);
}

void TraceCapture::Clear()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_pLines->clear();
}

std::vector<std::string> TraceCapture::RawLines()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return *g_pLines;
}

std::vector<std::string> TraceCapture::Lines()
{
    std::vector<std::string> lines = RawLines();
    for (auto& line : lines)
        line = line.size() >= 24 ? line.substr(24) : std::string();
    return lines;
}

bool TraceCapture::Contains(const std::string& line)
{
    return Find(line) >= 0;
}

int TraceCapture::Find(const std::string& line, int from)
{
    std::vector<std::string> lines = Lines();
    for (size_t i = from < 0 ? 0 : size_t(from); i < lines.size(); ++i) {
        if (lines[i] == line)
            return int(i);
    }
    return -1;
}

std::string TraceCapture::Dump()
{
    std::string all;
    for (const auto& line : Lines())
        all += "  | " + line;
    return all;
}

std::string RunVersion()
{
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string name = szPath;
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    size_t under = name.find('_');
    size_t dot = name.rfind('.');
    if (under == std::string::npos || dot == std::string::npos || dot < under)
        return "";
    return name.substr(under + 1, dot - under - 1);
}

bool RunsAsWin9x()
{
    return RunVersion() == "win98";
}

bool RunsUnderWow64()
{
    typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, PBOOL);
    auto pfn = reinterpret_cast<IsWow64ProcessFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    BOOL b = FALSE;
    return pfn && pfn(GetCurrentProcess(), &b) && b;
}

bool Runs64BitPrograms()
{
    typedef void(WINAPI * GetNativeSystemInfoFn)(LPSYSTEM_INFO);
    auto pfn = reinterpret_cast<GetNativeSystemInfoFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetNativeSystemInfo")));
    SYSTEM_INFO si = {};
    if (!pfn)
        return false;
    pfn(&si);
    return si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

namespace {

void (*g_pfnAtWait)() = nullptr;

void RecordWait(DWORD dwMs)
{
    // The prefix stands where the library's timestamp does, so Lines() shows the line whole.
    char sz[64];
    wsprintfA(sz, "00/00/0000 00:00:00:000 wait %lu\n", static_cast<unsigned long>(dwMs));
    OutputDebugStringA(sz);
    if (void (*pfn)() = g_pfnAtWait) {
        g_pfnAtWait = nullptr;
        pfn();
    }
}

}  // namespace

WaitRecorder::WaitRecorder()
{
    OverrideWaits(RecordWait);
}

WaitRecorder::~WaitRecorder()
{
    OverrideWaits(nullptr);
    g_pfnAtWait = nullptr;
}

void WaitRecorder::Then(void (*pfn)())
{
    g_pfnAtWait = pfn;
}

Wow64Road::Wow64Road() : m_bAvailable(false), m_bOverridden(false)
{
    if (RunsUnderWow64()) {
        m_bAvailable = true;
    } else if (sizeof(void*) == 8) {
        OverrideWow64Probe(1);
        m_bAvailable = m_bOverridden = true;
    }
}

Wow64Road::~Wow64Road()
{
    if (m_bOverridden)
        OverrideWow64Probe(-1);
}

std::string ExeFolder()
{
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string path = szPath;
    return path.substr(0, path.find_last_of("\\/") + 1);
}

ScratchPrinter::ScratchPrinter(const char* pszName, const char* pszModel) : m_name(pszName), m_bOk(false)
{
    PRINTER_INFO_2A info;
    ZeroMemory(&info, sizeof(info));
    info.pPrinterName = const_cast<char*>(pszName);
    info.pPortName = const_cast<char*>("NUL:");
    info.pDriverName = const_cast<char*>(pszModel);
    info.pPrintProcessor = const_cast<char*>("winprint");
    info.pDatatype = const_cast<char*>("RAW");
    HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (h) {
        ClosePrinter(h);
        m_bOk = true;
    }
}

ScratchPrinter::~ScratchPrinter()
{
    HANDLE h = nullptr;
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterA(const_cast<char*>(m_name.c_str()), &h, &defaults)) {
        DeletePrinter(h);
        ClosePrinter(h);
    }
}

std::vector<BYTE> PrinterDevModeW(const char* pszPrinter)
{
    std::vector<BYTE> result;
    HANDLE h = nullptr;
    if (!OpenPrinterA(const_cast<char*>(pszPrinter), &h, nullptr))
        return result;
    DWORD cb = 0;
    GetPrinterW(h, 2, nullptr, 0, &cb);
    std::vector<BYTE> info(cb ? cb : 1);
    if (cb && GetPrinterW(h, 2, info.data(), cb, &cb)) {
        const DEVMODEW* pdm = reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->pDevMode;
        if (pdm) {
            const BYTE* p = reinterpret_cast<const BYTE*>(pdm);
            result.assign(p, p + pdm->dmSize + pdm->dmDriverExtra);
        }
    }
    ClosePrinter(h);
    return result;
}

int RunSelf(const std::string& args)
{
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string cmd = std::string("\"") + szPath + "\" " + args;
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD dwCode = DWORD(-1);
    GetExitCodeProcess(pi.hProcess, &dwCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return int(dwCode);
}
