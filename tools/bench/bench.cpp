// Benchmark: each exchange call against its floor, in one run on the same printers. The floor is
// what a minimal correct implementation has to do anyway: one spooler call per printer-data value
// it reads or writes (read into a buffer large enough for it), and the file's own reads and
// writes. Every spooler call the library makes is counted at winspool.drv's exports, and so are
// the floor's, so each line shows the time, the ratio and both call counts.
#include <windows.h>

#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "fixture_names.h"
#include "installer/lmprofinst.h"
#include "installer/setupdata.h"
#include "core/sysenv.h"

namespace {

using Bytes = std::vector<BYTE>;

// The library's trace lines reach the debugger as exceptions; the benchmark takes them as a
// debugger would, and counts them.
volatile LONG g_nTraceLines = 0;

LONG CALLBACK SwallowTrace(EXCEPTION_POINTERS* pInfo)
{
    if (pInfo->ExceptionRecord->ExceptionCode != DBG_PRINTEXCEPTION_C &&
        pInfo->ExceptionRecord->ExceptionCode != DBG_PRINTEXCEPTION_WIDE_C)
        return EXCEPTION_CONTINUE_SEARCH;
    InterlockedIncrement(&g_nTraceLines);
    return EXCEPTION_CONTINUE_EXECUTION;
}

// ---- counting the spooler calls ---------------------------------------------------------------
// Every named export of winspool.drv is pointed, in the DLL's export table, at a stub that counts
// the call and jumps on to the export. This is done before LmProfInst.dll is loaded: its imports
// are bound through that table, and the calls it binds at run time (the wide ones) are looked up
// with GetProcAddress, which reads the same table. The floors call through GetProcAddress too.

struct SpoolerStub {
    BYTE code[16];
    volatile LONG64 nCalls;
    void* pTarget;
};
static_assert(sizeof(SpoolerStub) == 32, "stub layout");

class SpoolerCounter {
public:
    bool Install()
    {
        HMODULE hSpool = LoadLibraryA("winspool.drv");
        if (!hSpool)
            return false;
        BYTE* pBase = reinterpret_cast<BYTE*>(hSpool);
        auto* pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + reinterpret_cast<IMAGE_DOS_HEADER*>(pBase)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& dir = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
        auto* pExports = reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(pBase + dir.VirtualAddress);
        DWORD* pFunctions = reinterpret_cast<DWORD*>(pBase + pExports->AddressOfFunctions);
        DWORD* pNames = reinterpret_cast<DWORD*>(pBase + pExports->AddressOfNames);
        WORD* pOrdinals = reinterpret_cast<WORD*>(pBase + pExports->AddressOfNameOrdinals);
        DWORD nNames = pExports->NumberOfNames;
        // An export is an offset from the module's base of 32 bits: the stubs must lie above the
        // image and within 2 GB of it.
        size_t cbStubs = nNames * sizeof(SpoolerStub);
        ULONG_PTR uBase = reinterpret_cast<ULONG_PTR>(pBase);
        ULONG_PTR uFirst = (uBase + pNt->OptionalHeader.SizeOfImage + 0xFFFF) & ~ULONG_PTR(0xFFFF);
        for (ULONG_PTR u = uFirst; !m_pStubs && u - uBase < 0x7FFF0000; u += 0x10000)
            m_pStubs = static_cast<SpoolerStub*>(VirtualAlloc(reinterpret_cast<void*>(u), cbStubs,
                                                              MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE));
        if (!m_pStubs)
            return false;
        for (DWORD i = 0; i < nNames; ++i) {
            DWORD& rva = pFunctions[pOrdinals[i]];
            // A forwarded export names another DLL's function; it is not the spooler's own.
            if (rva >= dir.VirtualAddress && rva < dir.VirtualAddress + dir.Size)
                continue;
            SpoolerStub& stub = m_pStubs[m_nStubs];
            stub.pTarget = pBase + rva;
            stub.nCalls = 0;
            BYTE* p = stub.code;
#if defined(__x86_64__)
            const BYTE code[16] = {0xF0, 0x48, 0xFF, 0x05, 8, 0, 0, 0,    // lock inc qword [rip+8]: nCalls
                                   0xFF, 0x25, 10, 0, 0, 0,               // jmp [rip+10]: pTarget
                                   0xCC, 0xCC};
            memcpy(p, code, sizeof(code));
#else
            DWORD dwCalls = DWORD(reinterpret_cast<ULONG_PTR>(&stub.nCalls));
            DWORD dwTarget = DWORD(reinterpret_cast<ULONG_PTR>(&stub.pTarget));
            const BYTE code[16] = {0xF0, 0xFF, 0x05, 0, 0, 0, 0,          // lock inc dword [nCalls]
                                   0xFF, 0x25, 0, 0, 0, 0,                // jmp [pTarget]
                                   0xCC, 0xCC, 0xCC};
            memcpy(p, code, sizeof(code));
            memcpy(p + 3, &dwCalls, 4);
            memcpy(p + 9, &dwTarget, 4);
#endif
            m_names.push_back(reinterpret_cast<const char*>(pBase + pNames[i]));
            DWORD dwOld = 0;
            VirtualProtect(&rva, sizeof(rva), PAGE_READWRITE, &dwOld);
            rva = DWORD(reinterpret_cast<BYTE*>(&stub) - pBase);
            VirtualProtect(&rva, sizeof(rva), dwOld, &dwOld);
            ++m_nStubs;
        }
        FlushInstructionCache(GetCurrentProcess(), m_pStubs, cbStubs);
        return m_nStubs > 0;
    }
    long long Total() const
    {
        long long n = 0;
        for (size_t i = 0; i < m_nStubs; ++i)
            n += m_pStubs[i].nCalls;
        return n;
    }
    std::map<std::string, long long> ByName() const
    {
        std::map<std::string, long long> calls;
        for (size_t i = 0; i < m_nStubs; ++i)
            calls[m_names[i]] = m_pStubs[i].nCalls;
        return calls;
    }

private:
    SpoolerStub* m_pStubs = nullptr;
    size_t m_nStubs = 0;
    std::vector<std::string> m_names;
};

SpoolerCounter g_counter;
bool g_bCounting = false;

// The spooler calls of the floors, bound after the counter is in place.
decltype(&GetPrinterDataA) g_pfnGetPrinterData;
decltype(&SetPrinterDataA) g_pfnSetPrinterData;

template <typename Fn>
void Bind(Fn* ppfn, const char* pszName)
{
    *ppfn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("winspool.drv"), pszName)));
}

// The spooler calls fn made, and which.
struct Calls {
    long long nTotal = 0;
    std::string detail;
    long nTraceLines = 0;
};
Calls CountCalls(const std::function<void()>& fn)
{
    Calls calls;
    std::map<std::string, long long> before = g_counter.ByName();
    LONG nLines = g_nTraceLines;
    fn();
    calls.nTraceLines = g_nTraceLines - nLines;
    if (!g_bCounting)
        return calls;
    for (const auto& each : g_counter.ByName()) {
        long long n = each.second - before[each.first];
        if (n == 0)
            continue;
        calls.nTotal += n;
        calls.detail += (calls.detail.empty() ? "" : ", ") + std::to_string(n) + " " + each.first;
    }
    return calls;
}

// ---- timing -------------------------------------------------------------------------------------

double NowMs()
{
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(freq.QuadPart);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n == 0 ? 0.0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

// The library and its floor run in turns, each after the same untimed reset, so a load that comes
// and goes on the machine weighs on both alike; the medians are compared. The calls are counted
// in one more run of each.
void Compare(const char* pszCall, int nRounds, int nValues, const std::function<void()>& reset,
             const std::function<void()>& library, const std::function<void()>& floor)
{
    reset();
    library();   // warm: modules loaded, caches filled
    reset();
    floor();
    std::vector<double> msLibrary, msFloor;
    for (int i = 0; i < nRounds; ++i) {
        reset();
        double t0 = NowMs();
        library();
        msLibrary.push_back(NowMs() - t0);
        reset();
        t0 = NowMs();
        floor();
        msFloor.push_back(NowMs() - t0);
    }
    reset();
    Calls libraryCalls = CountCalls(library);
    reset();
    Calls floorCalls = CountCalls(floor);
    double mLibrary = Median(msLibrary), mFloor = Median(msFloor);
    printf("%-40s %9.3f ms %9.3f ms %6.2f", pszCall, mLibrary, mFloor, mFloor > 0 ? mLibrary / mFloor : 0.0);
    if (g_bCounting && nValues > 0)
        printf("   %5lld (%.2f/value) vs %lld (%.2f/value)\n", libraryCalls.nTotal,
               double(libraryCalls.nTotal) / nValues, floorCalls.nTotal, double(floorCalls.nTotal) / nValues);
    else if (g_bCounting)
        printf("   %5lld vs %lld\n", libraryCalls.nTotal, floorCalls.nTotal);
    else
        printf("\n");
    if (g_bCounting) {
        printf("    library: %s; %ld trace lines\n",
               libraryCalls.detail.empty() ? "no spooler call" : libraryCalls.detail.c_str(), libraryCalls.nTraceLines);
        printf("    floor:   %s\n", floorCalls.detail.empty() ? "no spooler call" : floorCalls.detail.c_str());
    }
}

// ---- printer data and files as the floors handle them ------------------------------------------

// Large enough for every value of the profiles below, so each read is one call.
constexpr DWORD FLOOR_BUFFER = 65536;

DWORD FloorRead(HANDLE h, const char* pszValue, Bytes& buffer)
{
    DWORD dwType = 0, cb = 0;
    buffer.resize(FLOOR_BUFFER);
    if (g_pfnGetPrinterData(h, const_cast<char*>(pszValue), &dwType, buffer.data(), FLOOR_BUFFER, &cb) != ERROR_SUCCESS)
        return 0;
    return cb;
}

Bytes ReadValue(HANDLE h, const char* pszValue, DWORD* pdwType = nullptr)
{
    DWORD dwType = 0, cb = 0;
    GetPrinterDataA(h, const_cast<char*>(pszValue), &dwType, nullptr, 0, &cb);
    Bytes data(cb);
    if (cb)
        GetPrinterDataA(h, const_cast<char*>(pszValue), &dwType, data.data(), cb, &cb);
    if (pdwType)
        *pdwType = dwType;
    return data;
}

void WriteValue(HANDLE h, const char* pszValue, DWORD dwType, const Bytes& data)
{
    SetPrinterDataA(h, const_cast<char*>(pszValue), dwType, const_cast<BYTE*>(data.data()), DWORD(data.size()));
}

Bytes ReadWholeFile(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    Bytes bytes;
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(h, nullptr));
    DWORD dw = 0;
    ReadFile(h, bytes.data(), DWORD(bytes.size()), &dw, nullptr);
    CloseHandle(h);
    return bytes;
}

void WriteWholeFile(const std::string& path, const void* pData, size_t cb)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD dw = 0;
    WriteFile(h, pData, DWORD(cb), &dw, nullptr);
    CloseHandle(h);
}

std::string IndexName(DWORD dwRegNum)
{
    char sz[32];
    wsprintfA(sz, "JXP_%04lu", dwRegNum);
    return sz;
}

std::string DataName(DWORD dwRegNum, const char* pszValue)
{
    return IndexName(dwRegNum) + "_" + pszValue;
}

DWORD RegNumOf(const Bytes& list, const char* pszProfile)
{
    for (size_t off = 0; off + 556 <= list.size(); off += 556)
        if (strncmp(reinterpret_cast<const char*>(list.data() + off), pszProfile, 32) == 0) {
            DWORD dw;
            memcpy(&dw, list.data() + off + 552, 4);
            return dw;
        }
    return 0;
}

// The names listed by an index, in its order.
std::vector<std::string> IndexNames(const Bytes& index)
{
    std::vector<std::string> names;
    for (size_t off = 0; off + 268 <= index.size(); off += 268) {
        const char* pszName = reinterpret_cast<const char*>(index.data() + off);
        names.emplace_back(pszName, strnlen(pszName, 260));
    }
    return names;
}

// A stored profile of nValues values: its DEVMODE, nValues - 2 values of 1 KB and "_Setup".
void StoreProfile(const wchar_t* pwszPrinter, const char* pszProfile, int nValues)
{
    LMPROFJXP session(nullptr, pwszPrinter, nullptr);
    Bytes dm(session.m_pDefaultDevMode.get(), session.m_pDefaultDevMode.get() + session.m_dwDefaultDevModeSize);
    reinterpret_cast<DEVMODEW*>(dm.data())->dmCopies = 3;
    int nRegNum = int(session.GetProfRegNum(pszProfile));
    if (nRegNum == 0)
        nRegNum = int(session.GetAvailableRegNum());
    session.SaveProfileRegValue(pszProfile, nRegNum, "Default DevMode", dm.data(), DWORD(dm.size()), REG_BINARY);
    Bytes value(1024);
    for (int i = 0; i < nValues - 2; ++i) {
        std::fill(value.begin(), value.end(), BYTE(i));
        session.SaveProfileRegValue(pszProfile, nRegNum, ("Value" + std::to_string(i)).c_str(), value.data(), 1024,
                                    REG_BINARY);
    }
    Bytes setup(40, 0x5E);
    session.SaveProfileRegValue(pszProfile, nRegNum, "_Setup", setup.data(), DWORD(setup.size()), REG_BINARY);
    session.AddProfileToModel(pszProfile, "benchmark", 0, 0, DWORD(nRegNum));
}

}  // namespace

int main(int argc, char** argv)
{
    AddVectoredExceptionHandler(1, SwallowTrace);
    int nRounds = argc > 1 ? atoi(argv[1]) : 20;
    if (nRounds < 1)
        nRounds = 1;
    g_bCounting = g_counter.Install();
    if (!g_bCounting)
        fprintf(stderr, "bench: winspool.drv's exports could not be counted; no call counts\n");
    Bind(&g_pfnGetPrinterData, "GetPrinterDataA");
    Bind(&g_pfnSetPrinterData, "SetPrinterDataA");
    decltype(&OpenPrinterW) pfnOpenPrinterW;
    decltype(&ClosePrinter) pfnClosePrinter;
    decltype(&DocumentPropertiesW) pfnDocumentPropertiesW;
    decltype(&GetPrinterW) pfnGetPrinterW;
    decltype(&GetPrinterDriverA) pfnGetPrinterDriverA;
    Bind(&pfnOpenPrinterW, "OpenPrinterW");
    Bind(&pfnClosePrinter, "ClosePrinter");
    Bind(&pfnDocumentPropertiesW, "DocumentPropertiesW");
    Bind(&pfnGetPrinterW, "GetPrinterW");
    Bind(&pfnGetPrinterDriverA, "GetPrinterDriverA");

    HMODULE hDll = LoadLibraryA("LmProfInst.dll");
    if (!hDll) {
        fprintf(stderr, "bench: cannot load LmProfInst.dll\n");
        return 1;
    }
    auto Proc = [&](const char* pszName) { return reinterpret_cast<void*>(GetProcAddress(hDll, pszName)); };
    auto InitJxpApi = reinterpret_cast<BOOL(WINAPI*)(HWND, LPCSTR)>(Proc("InitJxpApi"));
    auto CloseJxpApi = reinterpret_cast<void(WINAPI*)(HWND, LPCSTR)>(Proc("CloseJxpApi"));
    auto Export = reinterpret_cast<int(WINAPI*)(LPCSTR, LPCSTR)>(Proc("ExportProfileToJxp"));
    auto ListFolder = reinterpret_cast<int(WINAPI*)(LPCSTR, LPSTR, int)>(Proc("GetJxpFileListFromDirectory"));
    auto List = reinterpret_cast<int(WINAPI*)(LPCSTR, LPSTR, LPSTR, LPSTR, int)>(Proc("GetProfileListFromJxp"));
    auto Import = reinterpret_cast<int(WINAPI*)(LPCSTR, LPSTR, int, BOOL)>(Proc("ImportProfileFromJxp"));
    if (!InitJxpApi || !CloseJxpApi || !Export || !ListFolder || !List || !Import)
        return 1;

    const char* pszPrinter = FIXTURE_PRINTER_A1;
    std::wstring wide(pszPrinter, pszPrinter + strlen(pszPrinter));
    struct Profile {
        const char* pszName;
        int nValues;
        std::string file;
    };
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    Profile profiles[] = {{"Bench14", 14, std::string(szTemp) + "lmprof_bench14.jxp"},
                          {"Bench100", 100, std::string(szTemp) + "lmprof_bench100.jxp"}};
    for (const Profile& profile : profiles)
        StoreProfile(wide.c_str(), profile.pszName, profile.nValues);
    std::string rawFile = std::string(szTemp) + "lmprof_bench_floor.jxp";

    printf("LmProfInst benchmark: %d rounds per figure, medians, library and floor in turns\n", nRounds);
    printf("floor: one spooler call per printer-data value read or written (a read into a buffer large enough\n"
           "for it), the import's index written after each value, and the file's own reads and writes\n");
    printf("%-40s %12s %12s %6s   %s\n", "call", "library", "floor", "ratio", "spooler calls: library vs floor");
    {
        // What one trace line costs: InitJxpApi switches the trace on, so every exchange call pays
        // for its lines.
        InitTraceFlag(TRUE);
        std::vector<double> ms;
        for (int i = 0; i < 20; ++i) {
            double t0 = NowMs();
            for (int n = 0; n < 100; ++n)
                TraceLog("LMPROFJXP::SaveProfileRegValue - %s, %d\n", "benchmark", n);
            ms.push_back((NowMs() - t0) / 100);
        }
        InitTraceFlag(FALSE);
        printf("%-40s %9.4f ms\n", "one trace line", Median(ms));
    }
    Compare("InitJxpApi + CloseJxpApi", nRounds, 0, [] {},
            [&] {
                InitJxpApi(nullptr, pszPrinter);
                CloseJxpApi(nullptr, pszPrinter);
            },
            [&] {
                HANDLE h = nullptr;
                PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
                pfnOpenPrinterW(const_cast<wchar_t*>(wide.c_str()), &h, &defaults);
                pfnDocumentPropertiesW(nullptr, h, const_cast<wchar_t*>(wide.c_str()), nullptr, nullptr, 0);
                DWORD cb = 0;
                pfnGetPrinterW(h, 2, nullptr, 0, &cb);
                Bytes info(cb);
                pfnGetPrinterW(h, 2, info.data(), cb, &cb);
                pfnGetPrinterDriverA(h, nullptr, 2, nullptr, 0, &cb);
                pfnClosePrinter(h);
            });

    // ---- export: list, index and every value read once, the file written once -----------------
    InitJxpApi(nullptr, pszPrinter);
    HANDLE hLaser = nullptr;
    OpenPrinterA(const_cast<char*>(pszPrinter), &hLaser, nullptr);
    Bytes buffer, valueBuffer;
    for (Profile& profile : profiles) {
        Export(profile.pszName, profile.file.c_str());
        Bytes fileBytes = ReadWholeFile(profile.file);
        std::string label = std::string("ExportProfileToJxp, ") + std::to_string(profile.nValues) + " values";
        Compare(label.c_str(), nRounds, profile.nValues, [] {}, [&] { Export(profile.pszName, profile.file.c_str()); },
                [&] {
                    DWORD cbList = FloorRead(hLaser, "JxProfileData", buffer);
                    DWORD dwRegNum = RegNumOf(Bytes(buffer.begin(), buffer.begin() + cbList), profile.pszName);
                    DWORD cbIndex = FloorRead(hLaser, IndexName(dwRegNum).c_str(), buffer);
                    for (const std::string& name : IndexNames(Bytes(buffer.begin(), buffer.begin() + cbIndex)))
                        FloorRead(hLaser, DataName(dwRegNum, name.c_str()).c_str(), valueBuffer);
                    WriteWholeFile(rawFile, fileBytes.data(), fileBytes.size());
                });
    }

    // ---- listing: one file, and a folder of 1,000 ----------------------------------------------
    char names[4][32], descriptions[4][512], models[4][128];
    const std::string& file14 = profiles[0].file;
    Compare("GetProfileListFromJxp", nRounds, 0, [] {},
            [&] { List(file14.c_str(), names[0], descriptions[0], models[0], 4); },
            [&] {
                HANDLE hFile = CreateFileA(file14.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
                BYTE head[144 + 700];
                DWORD dw = 0;
                ReadFile(hFile, head, sizeof(head), &dw, nullptr);
                CloseHandle(hFile);
            });
    std::string folder = std::string(szTemp) + "lmprof_bench_folder";
    CreateDirectoryA(folder.c_str(), nullptr);
    const int nFiles = 1000;
    {
        Bytes bytes = ReadWholeFile(file14);
        for (int i = 0; i < nFiles; ++i)
            WriteWholeFile(folder + "\\profile " + std::to_string(i) + ".jxp", bytes.data(), bytes.size());
    }
    std::vector<char> cells(size_t(nFiles) * 260);
    int nListed = 0;
    Compare("1,000 files: folder list + each file's list", nRounds < 10 ? nRounds : 10, 0, [] {},
            [&] {
                nListed = ListFolder(folder.c_str(), cells.data(), nFiles);
                for (int i = 0; i < nListed && i < nFiles; ++i)
                    List((folder + "\\" + &cells[size_t(i) * 260]).c_str(), names[0], descriptions[0], models[0], 4);
            },
            [&] {
                WIN32_FIND_DATAA fd;
                HANDLE hFind = FindFirstFileA((folder + "\\*.jxp").c_str(), &fd);
                for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore; bMore = FindNextFileA(hFind, &fd)) {
                    HANDLE hFile = CreateFileA((folder + "\\" + fd.cFileName).c_str(), GENERIC_READ, 0, nullptr,
                                               OPEN_EXISTING, 0, nullptr);
                    BYTE head[144 + 700];
                    DWORD dw = 0;
                    ReadFile(hFile, head, sizeof(head), &dw, nullptr);
                    CloseHandle(hFile);
                }
                if (hFind != INVALID_HANDLE_VALUE)
                    FindClose(hFind);
            });
    if (nListed != nFiles)
        printf("    the folder listing found %d files of %d\n", nListed, nFiles);
    CloseJxpApi(nullptr, pszPrinter);
    ClosePrinter(hLaser);

    // ---- import: file read, list read, each value's data then the index, the setup value, the
    // list and the count written. A printer lists at most 25 profiles, so every round starts from
    // the list as it was. -------------------------------------------------------------------------
    InitJxpApi(nullptr, FIXTURE_PRINTER_B1);
    HANDLE hJet = nullptr;
    PRINTER_DEFAULTSA admin = {nullptr, nullptr, PRINTER_ACCESS_ADMINISTER};
    OpenPrinterA(const_cast<char*>(FIXTURE_PRINTER_B1), &hJet, &admin);
    DWORD dwListType = 0, dwCountType = 0;
    Bytes listBefore = ReadValue(hJet, "JxProfileData", &dwListType);
    Bytes countBefore = ReadValue(hJet, "JxProfileCount", &dwCountType);
    auto resetList = [&] {
        WriteValue(hJet, "JxProfileData", REG_BINARY, listBefore);
        WriteValue(hJet, "JxProfileCount", REG_DWORD, countBefore);
    };
    for (Profile& profile : profiles) {
        char cell[1][32] = {};
        strcpy(cell[0], profile.pszName);
        // What the library leaves is what the floor writes: the same values under the same names.
        resetList();
        Import(profile.file.c_str(), cell[0], 1, TRUE);
        Bytes listAfter = ReadValue(hJet, "JxProfileData"), countAfter = ReadValue(hJet, "JxProfileCount");
        DWORD dwRegNum = RegNumOf(listAfter, profile.pszName);
        Bytes index = ReadValue(hJet, IndexName(dwRegNum).c_str());
        struct Stored {
            std::string name;
            DWORD dwType;
            Bytes data;
        };
        std::vector<Stored> stored;
        for (const std::string& name : IndexNames(index)) {
            Stored value{DataName(dwRegNum, name.c_str()), 0, {}};
            value.data = ReadValue(hJet, value.name.c_str(), &value.dwType);
            stored.push_back(value);
        }
        Bytes setup = ReadValue(hJet, "Setup");
        std::string label = std::string("ImportProfileFromJxp, ") + std::to_string(profile.nValues) + " values";
        Compare(label.c_str(), nRounds, profile.nValues, resetList,
                [&] { Import(profile.file.c_str(), cell[0], 1, TRUE); },
                [&] {
                    Bytes fileBytes = ReadWholeFile(profile.file);
                    FloorRead(hJet, "JxProfileData", buffer);
                    for (size_t i = 0; i < stored.size(); ++i) {
                        g_pfnSetPrinterData(hJet, const_cast<char*>(stored[i].name.c_str()), stored[i].dwType,
                                            stored[i].data.data(), DWORD(stored[i].data.size()));
                        g_pfnSetPrinterData(hJet, const_cast<char*>(IndexName(dwRegNum).c_str()), REG_BINARY,
                                            index.data(), DWORD((i + 1) * 268));
                    }
                    g_pfnSetPrinterData(hJet, const_cast<char*>("Setup"), REG_BINARY, setup.data(),
                                        DWORD(setup.size()));
                    g_pfnSetPrinterData(hJet, const_cast<char*>("JxProfileData"), REG_BINARY, listAfter.data(),
                                        DWORD(listAfter.size()));
                    g_pfnSetPrinterData(hJet, const_cast<char*>("JxProfileCount"), REG_DWORD, countAfter.data(),
                                        DWORD(countAfter.size()));
                });
    }
    resetList();
    CloseJxpApi(nullptr, FIXTURE_PRINTER_B1);
    ClosePrinter(hJet);

    // ---- the wizard package of an installation file of 200 profiles --------------------------
    {
        std::string source = std::string(szTemp) + "lmprof_bench_package";
        CreateDirectoryA(source.c_str(), nullptr);
        std::string ini = "[LmProfInst]\r\nProfCount=200\r\nProfJxpName=common.jxp\r\n";
        for (int i = 1; i <= 200; ++i) {
            std::string n = std::to_string(i);
            ini += "Prof" + n + "=Profile " + n + "\r\nProfName" + n + "=Profile number " + n + "\r\nProfDesc" + n +
                   "=Settings of profile " + n + ", for the benchmark\r\n";
            // Every fourth is for another model; every tenth has a file of its own.
            ini += "ProfModel" + n + "=" + (i % 4 == 0 ? "Another Model" : FIXTURE_MODEL_A) + "\r\n";
            if (i % 10 == 0)
                ini += "ProfJxpName" + n + "=profile" + n + ".jxp\r\n";
        }
        WriteWholeFile(source + "\\LmProfInst.ini", ini.data(), ini.size());
        Bytes block(setupdata::BLOCK_SIZE + 64, 0);
        strcpy(reinterpret_cast<char*>(&block[setupdata::OFF_PRINTER_NAME]), pszPrinter);
        strcpy(reinterpret_cast<char*>(&block[setupdata::OFF_PRINTER_MODEL]), FIXTURE_MODEL_A);
        std::wstring wideSource(source.begin(), source.end());
        memcpy(&block[setupdata::OFF_SOURCE_FOLDER], wideSource.c_str(), (wideSource.size() + 1) * 2);
        DWORD dwOsKind = OSKIND_WINXP, dwLanguage = 0x0409, dwCodePage = 1252;
        memcpy(&block[setupdata::OFF_OS_KIND], &dwOsKind, 4);
        memcpy(&block[setupdata::OFF_LANGUAGE], &dwLanguage, 4);
        memcpy(&block[setupdata::OFF_CODE_PAGE], &dwCodePage, 4);
        SETUPDATA* pSetup = reinterpret_cast<SETUPDATA*>(block.data());
        int nOffered = 0;
        std::vector<double> msPackage, msSession;
        for (int i = 0; i <= nRounds; ++i) {
            double t0 = NowMs();
            {
                LMPROFINST package(nullptr, hDll, pSetup);
                nOffered = package.m_nEntries;
            }
            double t1 = NowMs();
            { LMPROFJXP session(nullptr, wide.c_str(), nullptr); }
            double t2 = NowMs();
            if (i > 0) {   // the first is the warm-up
                msPackage.push_back(t1 - t0);
                msSession.push_back(t2 - t1);
            }
        }
        printf("%-40s %9.3f ms   (%d profiles offered; the printer session alone %.3f ms)\n",
               "Wizard package, 200 profiles", Median(msPackage), nOffered, Median(msSession));
        DeleteFileA((source + "\\LmProfInst.ini").c_str());
        RemoveDirectoryA(source.c_str());
    }

    for (int i = 0; i < nFiles; ++i)
        DeleteFileA((folder + "\\profile " + std::to_string(i) + ".jxp").c_str());
    RemoveDirectoryA(folder.c_str());
    for (const Profile& profile : profiles)
        DeleteFileA(profile.file.c_str());
    DeleteFileA(rawFile.c_str());
    FreeLibrary(hDll);
    return 0;
}
