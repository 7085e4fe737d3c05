// Installs the fixture drivers and printers into a fresh Wine prefix and registers the Windows
// version each test executable runs under.
//
//   setup_printers.exe DRIVER_FOLDER VERSION_MAP
//
// DRIVER_FOLDER holds the fixture configuration modules (a Windows path such as Z:\...\driver,
// or a Unix path, which is taken to live under Z:). VERSION_MAP is "exe=version,exe=version"
// as in "unit_win98.exe=win98,unit_nt40.exe=nt40". Prints one line per step done; any failed
// step prints what failed with the error code and ends the program with exit code 1.
#include <windows.h>
#include <shellapi.h>
#include <winspool.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "../fixtures/driver/fixture_models.h"

namespace {

class AutoPrinter {
public:
    explicit AutoPrinter(HANDLE h = nullptr) : m_h(h) {}
    ~AutoPrinter() { if (m_h) ClosePrinter(m_h); }
    AutoPrinter(const AutoPrinter&) = delete;
    AutoPrinter& operator=(const AutoPrinter&) = delete;
    HANDLE Get() const { return m_h; }
    HANDLE Release() { HANDLE h = m_h; m_h = nullptr; return h; }
    explicit operator bool() const { return m_h != nullptr; }
private:
    HANDLE m_h;
};

class AutoKey {
public:
    AutoKey() = default;
    ~AutoKey() { if (m_h) RegCloseKey(m_h); }
    AutoKey(const AutoKey&) = delete;
    AutoKey& operator=(const AutoKey&) = delete;
    HKEY* Receive() { return &m_h; }
    HKEY Get() const { return m_h; }
private:
    HKEY m_h = nullptr;
};

class AutoArgv {
public:
    explicit AutoArgv(LPWSTR* p) : m_p(p) {}
    ~AutoArgv() { if (m_p) LocalFree(m_p); }
    AutoArgv(const AutoArgv&) = delete;
    AutoArgv& operator=(const AutoArgv&) = delete;
    LPWSTR* Get() const { return m_p; }
private:
    LPWSTR* m_p;
};

// The console may not take UTF-16; the harness reads the log as UTF-8.
void Print(FILE* f, const wchar_t* wszFormat, va_list args)
{
    wchar_t wsz[2048];
    int n = _vsnwprintf(wsz, ARRAYSIZE(wsz) - 1, wszFormat, args);
    if (n < 0) n = ARRAYSIZE(wsz) - 1;
    wsz[n] = L'\0';
    int cb = WideCharToMultiByte(CP_UTF8, 0, wsz, n, nullptr, 0, nullptr, nullptr);
    std::string text(size_t(cb > 0 ? cb : 0), '\0');
    if (cb > 0) WideCharToMultiByte(CP_UTF8, 0, wsz, n, &text[0], cb, nullptr, nullptr);
    text += '\n';
    fwrite(text.data(), 1, text.size(), f);
    fflush(f);
}

void Say(const wchar_t* wszFormat, ...)
{
    va_list args;
    va_start(args, wszFormat);
    Print(stdout, wszFormat, args);
    va_end(args);
}

// Reports a failed step with the error code the call left; returns false for the caller.
bool Fail(DWORD dwError, const wchar_t* wszFormat, ...)
{
    wchar_t wsz[1024];
    va_list args;
    va_start(args, wszFormat);
    int n = _vsnwprintf(wsz, ARRAYSIZE(wsz) - 1, wszFormat, args);
    va_end(args);
    if (n < 0) n = ARRAYSIZE(wsz) - 1;
    wsz[n] = L'\0';
    Say(L"error: %ls failed, error %lu", wsz, dwError);
    return false;
}

std::wstring Widen(const char* sz)
{
    int n = MultiByteToWideChar(CP_ACP, 0, sz, -1, nullptr, 0);
    std::wstring wsz(size_t(n > 0 ? n : 1), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, sz, -1, &wsz[0], n);
    wsz.resize(wcslen(wsz.c_str()));
    return wsz;
}

// Wine maps the Unix root to Z:, so a Unix path from the build tree becomes Z:\....
std::wstring WindowsFolder(const wchar_t* wszFolder)
{
    std::wstring folder = wszFolder;
    if (!folder.empty() && folder[0] == L'/') folder = L"Z:" + folder;
    for (wchar_t& c : folder)
        if (c == L'/') c = L'\\';
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    return folder;
}

bool FileSize(const std::wstring& path, ULONGLONG* pcb)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    *pcb = (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool MakeFolder(const std::wstring& folder)
{
    if (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    return Fail(GetLastError(), L"CreateDirectoryW(%ls)", folder.c_str());
}

bool CopyModule(const std::wstring& source, const std::wstring& folder, const wchar_t* wszModule)
{
    std::wstring target = folder + L"\\" + wszModule;
    if (!CopyFileW(source.c_str(), target.c_str(), FALSE))
        return Fail(GetLastError(), L"CopyFileW(%ls, %ls)", source.c_str(), target.c_str());
    Say(L"copied %ls to %ls", source.c_str(), target.c_str());
    return true;
}

bool DriverDirectory(const wchar_t* wszEnvironment, std::wstring* pFolder)
{
    WCHAR wsz[MAX_PATH * 2];
    DWORD cbNeeded = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, const_cast<LPWSTR>(wszEnvironment), 1,
                                    reinterpret_cast<LPBYTE>(wsz), sizeof(wsz), &cbNeeded))
        return Fail(GetLastError(), L"GetPrinterDriverDirectoryW(%ls)",
                    wszEnvironment ? wszEnvironment : L"native");
    *pFolder = wsz;
    return MakeFolder(*pFolder);
}

// One environment the driver is added for. pEnvironment null is the process's own.
struct ENVIRONMENT {
    const wchar_t* wszEnvironment;
    const wchar_t* wszLabel;
    DWORD cVersion;
    const wchar_t* wszVersionFolder;
};

#ifdef _WIN64
const ENVIRONMENT kNative = {nullptr, L"Windows x64", 3, L"3"};
#else
const ENVIRONMENT kNative = {nullptr, L"Windows NT x86", 3, L"3"};
#endif
// Windows 98 mode asks the spooler for this environment's driver.
const ENVIRONMENT kWin40 = {L"Windows 4.0", L"Windows 4.0", 0, L"0"};
// A 32-bit program on 64-bit Windows also sees the x64 driver of the printer.
const ENVIRONMENT kX64 = {L"Windows x64", L"Windows x64", 3, L"3"};
// The 64-bit test bed stands in for 32-bit Windows as well: the library asks for the x86
// driver there, so the printers carry one.
const ENVIRONMENT kX86 = {L"Windows NT x86", L"Windows NT x86", 3, L"3"};

// Copies the module into the environment's driver folder, adds the driver and checks that the
// module landed in the versioned folder: Wine's AddPrinterDriver ignores a failed file copy.
bool AddDriver(const ENVIRONMENT& env, const std::wstring& source, const std::wstring& model,
               const std::wstring& module, std::wstring* pFolder)
{
    if (!DriverDirectory(env.wszEnvironment, pFolder) ||
        !CopyModule(source, *pFolder, module.c_str()))
        return false;

    std::wstring path = *pFolder + L"\\" + module;
    DRIVER_INFO_3W di = {};
    di.cVersion = env.cVersion;
    di.pName = const_cast<LPWSTR>(model.c_str());
    di.pEnvironment = const_cast<LPWSTR>(env.wszEnvironment);
    di.pDriverPath = const_cast<LPWSTR>(path.c_str());
    di.pDataFile = const_cast<LPWSTR>(path.c_str());
    di.pConfigFile = const_cast<LPWSTR>(path.c_str());
    di.pDefaultDataType = const_cast<LPWSTR>(L"RAW");
    if (!AddPrinterDriverW(nullptr, 3, reinterpret_cast<LPBYTE>(&di)))
        return Fail(GetLastError(), L"AddPrinterDriverW(\"%ls\", %ls)", model.c_str(),
                    env.wszLabel);

    std::wstring installed = *pFolder + L"\\" + env.wszVersionFolder + L"\\" + module;
    ULONGLONG cbSource = 0, cbInstalled = 0;
    if (!FileSize(source, &cbSource) || !FileSize(installed, &cbInstalled) ||
        cbSource != cbInstalled)
        return Fail(ERROR_FILE_NOT_FOUND, L"installing %ls as %ls (%llu of %llu bytes)",
                    module.c_str(), installed.c_str(), cbInstalled, cbSource);
    Say(L"driver \"%ls\" added for %ls (%ls)", model.c_str(), env.wszLabel, installed.c_str());
    return true;
}

bool InstallModel(const std::wstring& folder, const lmfix::MODELDEF& model, bool bWow64)
{
    std::wstring name = model.wszName;
    std::wstring module = Widen(model.szModule);
    std::wstring source = folder + L"\\" + module;
    ULONGLONG cb = 0;
    if (!FileSize(source, &cb))
        return Fail(GetLastError(), L"finding the module %ls", source.c_str());

    std::wstring native, win40, x64;
    if (!AddDriver(kNative, source, name, module, &native)) return false;
    if (!AddDriver(kWin40, source, name, module, &win40)) return false;

    // In Windows 98 mode Wine loads the configuration module from win40\3, a folder that
    // AddPrinterDriver does not fill; without the copy DocumentProperties fails there.
    std::wstring win40v3 = win40 + L"\\3";
    if (!MakeFolder(win40v3) || !CopyModule(source, win40v3, module.c_str())) return false;

#ifdef _WIN64
    std::wstring x86;
    if (!AddDriver(kX86, source, name, module, &x86)) return false;
#else
    if (bWow64 && !AddDriver(kX64, source, name, module, &x64)) return false;
#endif
    return true;
}

bool DeleteExistingPrinter(const wchar_t* wszPrinter)
{
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE h = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(wszPrinter), &h, &defaults)) {
        if (GetLastError() == ERROR_INVALID_PRINTER_NAME) return true;
        return Fail(GetLastError(), L"OpenPrinterW(\"%ls\")", wszPrinter);
    }
    AutoPrinter printer(h);
    // A printer left by an earlier run keeps the DEVMODE of the module it was added with.
    if (!DeletePrinter(printer.Get()))
        return Fail(GetLastError(), L"DeletePrinter(\"%ls\")", wszPrinter);
    Say(L"deleted the existing printer \"%ls\"", wszPrinter);
    return true;
}

struct FIXTUREPRINTER {
    const wchar_t* wszPrinter;
    size_t nModel;
};

const FIXTUREPRINTER kPrinters[] = {
    {FIXTURE_PRINTER_A1_W, 0},
    {FIXTURE_PRINTER_A2_W, 0},
    {FIXTURE_PRINTER_B1_W, 1},
    {FIXTURE_PRINTER_C1_W, 2},
};

bool AddFixturePrinter(const FIXTUREPRINTER& fixture)
{
    const lmfix::MODELDEF& model = lmfix::kModels[fixture.nModel];
    if (!DeleteExistingPrinter(fixture.wszPrinter)) return false;

    PRINTER_INFO_2W pi = {};
    pi.pPrinterName = const_cast<LPWSTR>(fixture.wszPrinter);
    pi.pPortName = const_cast<LPWSTR>(L"FILE:");
    pi.pDriverName = const_cast<LPWSTR>(model.wszName);
    pi.pPrintProcessor = const_cast<LPWSTR>(L"winprint");
    pi.pDatatype = const_cast<LPWSTR>(L"RAW");
    pi.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    AutoPrinter printer(AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&pi)));
    if (!printer)
        return Fail(GetLastError(), L"AddPrinterW(\"%ls\", \"%ls\")", fixture.wszPrinter,
                    model.wszName);

    // The size query loads the configuration module: a module Wine cannot load or call shows
    // here, at set-up, instead of as a puzzle in every test.
    LONG cb = DocumentPropertiesW(nullptr, printer.Get(), const_cast<LPWSTR>(fixture.wszPrinter),
                                  nullptr, nullptr, 0);
    LONG cbExpected = LONG(sizeof(DEVMODEW) + lmfix::DriverExtra(model));
    if (cb != cbExpected)
        return Fail(GetLastError(), L"DocumentPropertiesW(\"%ls\") size query (got %ld, expected %ld)",
                    fixture.wszPrinter, cb, cbExpected);
    Say(L"printer \"%ls\" added (driver \"%ls\", port FILE:, DEVMODE %ld bytes)",
        fixture.wszPrinter, model.wszName, cb);
    return true;
}

bool RegisterVersion(const std::wstring& exe, const std::wstring& version)
{
    std::wstring path = L"Software\\Wine\\AppDefaults\\" + exe;
    AutoKey key;
    LONG lr = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, key.Receive(), nullptr);
    if (lr != ERROR_SUCCESS) return Fail(DWORD(lr), L"RegCreateKeyExW(HKCU\\%ls)", path.c_str());
    lr = RegSetValueExW(key.Get(), L"Version", 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(version.c_str()),
                        DWORD((version.size() + 1) * sizeof(WCHAR)));
    if (lr != ERROR_SUCCESS)
        return Fail(DWORD(lr), L"RegSetValueExW(HKCU\\%ls\\Version)", path.c_str());
    Say(L"version: %ls runs as %ls", exe.c_str(), version.c_str());
    return true;
}

bool RegisterVersions(const std::wstring& map)
{
    size_t pos = 0;
    while (pos < map.size()) {
        size_t end = map.find(L',', pos);
        if (end == std::wstring::npos) end = map.size();
        std::wstring pair = map.substr(pos, end - pos);
        pos = end + 1;
        if (pair.empty()) continue;
        size_t eq = pair.find(L'=');
        if (eq == std::wstring::npos || eq == 0 || eq + 1 == pair.size())
            return Fail(ERROR_INVALID_PARAMETER, L"reading the version pair \"%ls\"", pair.c_str());
        if (!RegisterVersion(pair.substr(0, eq), pair.substr(eq + 1))) return false;
    }
    return true;
}

bool Run(const std::wstring& folder, const std::wstring& versions)
{
    if (!RegisterVersions(versions)) return false;

    BOOL bWow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &bWow64))
        return Fail(GetLastError(), L"IsWow64Process");
    Say(L"process: %ls", bWow64 ? L"32-bit on 64-bit Windows (WOW64)" : L"native");

    for (const lmfix::MODELDEF& model : lmfix::kModels)
        if (!InstallModel(folder, model, bWow64 != FALSE)) return false;
    for (const FIXTUREPRINTER& printer : kPrinters)
        if (!AddFixturePrinter(printer)) return false;
    return true;
}

}  // namespace

int main()
{
    int argc = 0;
    AutoArgv argv(CommandLineToArgvW(GetCommandLineW(), &argc));
    if (!argv.Get() || argc < 2 || argc > 3) {
        Say(L"usage: setup_printers DRIVER_FOLDER [EXE=VERSION,...]");
        return 2;
    }
    std::wstring folder = WindowsFolder(argv.Get()[1]);
    std::wstring versions = argc == 3 ? argv.Get()[2] : L"";
    Say(L"driver folder: %ls", folder.c_str());
    if (!Run(folder, versions)) return 1;
    Say(L"setup done");
    return 0;
}
