#include "test_support.h"

#include "core/sysenv.h"
#include "core/trace.h"
#include "core/waits.h"

#include <cstring>
#include <fstream>
#include <iterator>
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

std::string ExePath()
{
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    return szPath;
}

void RecordWait(DWORD dwMs)
{
    // The prefix stands where the library's timestamp does, so Lines() shows the line whole.
    char sz[64];
    wsprintfA(sz, "00/00/0000 00:00:00:000 wait %lu\n", static_cast<unsigned long>(dwMs));
    OutputDebugStringA(sz);
}

// This process is a 32-bit one on 64-bit Windows, as the system reports it.
bool RunsUnderWow64()
{
    auto pfn = reinterpret_cast<BOOL(WINAPI*)(HANDLE, PBOOL)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    BOOL b = FALSE;
    return pfn && pfn(GetCurrentProcess(), &b) && b;
}

// Removes everything inside dir, read-only files and sub-folders included.
void EmptyFolder(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    for (BOOL bMore = h != INVALID_HANDLE_VALUE; bMore; bMore = FindNextFileA(h, &fd)) {
        std::string path = dir + "\\" + fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (strcmp(fd.cFileName, ".") != 0 && strcmp(fd.cFileName, "..") != 0) {
                EmptyFolder(path);
                RemoveDirectoryA(path.c_str());
            }
        } else {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    }
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
}

}  // namespace

void TraceCapture::Install() { AddVectoredExceptionHandler(1, OnException); }

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

int TraceCapture::Find(const std::string& line, int from)
{
    std::vector<std::string> lines = Lines();
    for (size_t i = from < 0 ? 0 : size_t(from); i < lines.size(); ++i)
        if (lines[i] == line)
            return int(i);
    return -1;
}

int TraceCapture::Count(const std::string& prefix)
{
    int n = 0;
    for (const auto& line : Lines())
        n += line.compare(0, prefix.size(), prefix) == 0;
    return n;
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
    std::string path = ExePath(), name = path.substr(path.find_last_of("\\/") + 1);
    size_t under = name.find('_'), dot = name.rfind('.');
    if (under == std::string::npos || dot == std::string::npos || dot < under)
        return "";
    return name.substr(under + 1, dot - under - 1);
}

bool RunsAsWin9x()
{
    return RunVersion() == "win98";
}

WaitRecorder::WaitRecorder() { OverrideWaits(RecordWait); }
WaitRecorder::~WaitRecorder() { OverrideWaits(nullptr); }

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
    std::string path = ExePath();
    return path.substr(0, path.find_last_of("\\/") + 1);
}

ScratchPrinter::ScratchPrinter(const char* pszName, const char* pszModel) : m_name(pszName), m_bOk(false)
{
    PRINTER_INFO_2A info = {};
    info.pPrinterName = const_cast<char*>(pszName);
    info.pPortName = const_cast<char*>("NUL:");
    info.pDriverName = const_cast<char*>(pszModel);
    info.pPrintProcessor = const_cast<char*>("winprint");
    info.pDatatype = const_cast<char*>("RAW");
    HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    m_bOk = h && ClosePrinter(h);
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
    HANDLE h = nullptr;
    DWORD cb = 0;
    if (!OpenPrinterA(const_cast<char*>(pszPrinter), &h, nullptr))
        return {};
    GetPrinterW(h, 2, nullptr, 0, &cb);
    std::vector<BYTE> info(cb + 1);
    const PRINTER_INFO_2W* pInfo = reinterpret_cast<const PRINTER_INFO_2W*>(info.data());
    const DEVMODEW* pdm = GetPrinterW(h, 2, info.data(), cb, &cb) ? pInfo->pDevMode : nullptr;
    ClosePrinter(h);
    const BYTE* p = reinterpret_cast<const BYTE*>(pdm);
    return pdm ? std::vector<BYTE>(p, p + pdm->dmSize + pdm->dmDriverExtra) : std::vector<BYTE>();
}

Bytes ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

WorkFolder::WorkFolder(const std::string& name)
{
    char szTemp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, szTemp);
    m_dir = std::string(szTemp) + "LmTest " + name + " files";
    EmptyFolder(m_dir);
    CreateDirectoryA(m_dir.c_str(), nullptr);
}

WorkFolder::~WorkFolder()
{
    EmptyFolder(m_dir);
    RemoveDirectoryA(m_dir.c_str());
}

std::string WorkFolder::SubDir(const std::string& name)
{
    std::string dir = Path(name);
    for (size_t i = m_dir.size() + 1; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '\\')
            CreateDirectoryA(dir.substr(0, i).c_str(), nullptr);
    }
    return dir;
}

std::unique_ptr<LMPROFJXP> OpenSession(const std::string& printer)
{
    std::wstring wide(printer.begin(), printer.end());
    return std::unique_ptr<LMPROFJXP>(new LMPROFJXP(
        nullptr, RunsAsWin9x() ? static_cast<const void*>(printer.c_str()) : static_cast<const void*>(wide.c_str()),
        nullptr));
}

std::string DriverDataKey(const std::string& printer)
{
    return "System\\CurrentControlSet\\Control\\Print\\Printers\\" + printer + "\\PrinterDriverData";
}

Bytes PrinterData(const std::string& printer, const char* pszValue, DWORD* pdwType)
{
    HKEY h = nullptr;
    DWORD dwType = 0, cb = 0;
    Bytes bytes;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DriverDataKey(printer).c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS) {
        if (RegQueryValueExA(h, pszValue, nullptr, &dwType, nullptr, &cb) == ERROR_SUCCESS) {
            bytes.resize(cb);
            RegQueryValueExA(h, pszValue, nullptr, &dwType, bytes.data(), &cb);
        }
        RegCloseKey(h);
    }
    if (pdwType)
        *pdwType = dwType;
    return bytes;
}

HMODULE BuiltDll(std::string* pWhy, std::string* pPath)
{
    static HMODULE s_hModule = nullptr;
    static std::string s_path;
    if (!s_hModule) {
        std::string relative = ExeFolder() + "..\\LmProfInst.dll";
        char szFull[MAX_PATH] = "";
        DWORD n = GetFullPathNameA(relative.c_str(), MAX_PATH, szFull, nullptr);
        s_path = n > 0 && n < MAX_PATH ? szFull : relative;
        s_hModule = LoadLibraryA(s_path.c_str());
        if (!s_hModule && pWhy)
            *pWhy = "cannot load " + s_path + ", error " + std::to_string(GetLastError());
    }
    if (pPath)
        *pPath = s_path;
    return s_hModule;
}

SetupBlock::SetupBlock(const char* pszPrinter, const char* pszModel, const std::string& folder, bool bAnsi,
                       DWORD dwLanguage)
    : m_bytes(setupdata::BLOCK_SIZE + 64, 0)
{
    auto text = [this](size_t off, const char* psz) { strcpy(reinterpret_cast<char*>(&m_bytes[off]), psz); };
    text(setupdata::OFF_TITLE, "Printer Driver Setup");
    text(setupdata::OFF_PRINTER_NAME, pszPrinter);
    text(setupdata::OFF_PRINTER_MODEL, pszModel);
    if (bAnsi)
        text(setupdata::OFF_SOURCE_FOLDER, folder.c_str());
    else
        PutWideFolder(std::wstring(folder.begin(), folder.end()));
    Put(setupdata::OFF_OS_KIND, bAnsi ? OSKIND_WINME : OSKIND_WINXP);
    Put(setupdata::OFF_LEFT, 40);
    Put(setupdata::OFF_TOP, 30);
    Put(setupdata::OFF_NO_SLOT_RESULT, 7);
    Put(setupdata::OFF_LANGUAGE, dwLanguage ? dwLanguage : GetUserDefaultLangID());
    Put(setupdata::OFF_CODE_PAGE, dwLanguage ? 1252 : GetACP());
    m_bytes[setupdata::OFF_TRACE] = 1;

    m_hTitle = CreateFontA(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Shell Dlg");
    m_hBody = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Shell Dlg");
    // A 48 x 48 logo with a colour table of 16 entries: stripes of its colours.
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colours[16];
    } info = {{sizeof(BITMAPINFOHEADER), 48, 48, 1, 8, BI_RGB, 0, 0, 0, 16, 0}, {}};
    for (int i = 0; i < 16; ++i)
        info.colours[i] = {BYTE(i * 16), BYTE(255 - i * 12), BYTE(60 + i * 8), 0};
    void* pBits = nullptr;
    m_hLogo = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pBits, nullptr, 0);
    for (int i = 0; m_hLogo && pBits && i < 48 * 48; ++i)
        static_cast<BYTE*>(pBits)[i] = BYTE(((i % 48 + i / 48) / 6) % 16);
    auto handle = [](HGDIOBJ h) { return DWORD(reinterpret_cast<ULONG_PTR>(h)); };
    Put(setupdata::OFF_LOGO, handle(m_hLogo));
    Put(setupdata::OFF_TITLE_FONT, handle(m_hTitle));
    Put(setupdata::OFF_BODY_FONT, handle(m_hBody));
}

SetupBlock::~SetupBlock()
{
    for (HGDIOBJ h : {HGDIOBJ(m_hTitle), HGDIOBJ(m_hBody), HGDIOBJ(m_hLogo)})
        DeleteObject(h);
}
