// Calls the library makes that some Windows it serves does not export.
//
// Windows refuses to load a DLL whose import table names a function that a system DLL lacks,
// so the library imports only what both Windows 98 SE and Windows NT 4.0 export (the
// dll_imports test holds that list with its sources). Every other call is bound here at run
// time: the compiler calls a system function through its import slot (__imp__Name@N on
// 32-bit Windows, __imp_Name on 64-bit), and this file defines those slots itself, pointing
// at thunks that look the function up in its system DLL on first use. The linker then finds
// the slot here and takes nothing from the system's import library.
//
// What the older systems get when the function is missing:
// - The wide calls (…W) on Windows 9x: the call fails as the system's own stubs fail there,
//   with ERROR_CALL_NOT_IMPLEMENTED. The library works in ANSI mode on Windows 9x and takes
//   no wide road there; OutputDebugStringW, lstrcpyW and lstrcmpiW, which the trace and the
//   text helpers use in any mode, do their work without the system.
// - The security calls that grant a key to Everyone before the removal deletes it (NT only;
//   Windows 9x keys carry no security): they fail with ERROR_CALL_NOT_IMPLEMENTED, so the
//   grant is skipped and the deletion is tried as it is.
// - MoveFileExA (a stub on Windows 9x, where the removal writes WININIT.INI instead): fails with
//   ERROR_CALL_NOT_IMPLEMENTED.
// - GetLongPathNameA (not on NT 4.0): fails with ERROR_CALL_NOT_IMPLEMENTED; the removal
//   then compares folder paths in the form the list gives them.
// - InitCommonControlsEx (common controls before 4.70, as on NT 4.0 without a later
//   Internet Explorer): InitCommonControls registers the list view instead.
#include "core/late_bound.h"

#include <windows.h>

#include <commctrl.h>
#include <winspool.h>

#include <wchar.h>

namespace {

// One function looked up once; the answer, found or not, is kept. Every one is chained into
// a list at start-up, so the lookups can be checked as a whole.
struct LateProc {
    LateProc(const char* dll, const char* name);
    const char* pszDll;
    const char* pszName;
    FARPROC pfn;
    bool bLooked;
    LateProc* pNext;
};

LateProc* g_pFirst = nullptr;
const char* g_pszMissing = nullptr;

LateProc::LateProc(const char* dll, const char* name)
    : pszDll(dll), pszName(name), pfn(nullptr), bLooked(false), pNext(g_pFirst)
{
    g_pFirst = this;
}

FARPROC Find(LateProc& lp)
{
    if (g_pszMissing && lstrcmpA(g_pszMissing, lp.pszName) == 0)
        return nullptr;
    if (!lp.bLooked) {
        // The system DLLs named here are in the import table already, so this finds them
        // loaded; LoadLibraryA is only the fallback.
        HMODULE h = GetModuleHandleA(lp.pszDll);
        if (!h)
            h = LoadLibraryA(lp.pszDll);
        lp.pfn = h ? GetProcAddress(h, lp.pszName) : nullptr;
        lp.bLooked = true;
    }
    return lp.pfn;
}

}  // namespace

void OverrideLateBoundLookup(const char* pszMissing)
{
    g_pszMissing = pszMissing;
}

std::string LateBoundMissing()
{
    std::string missing;
    for (LateProc* p = g_pFirst; p; p = p->pNext)
        if (!Find(*p))
            missing += std::string(missing.empty() ? "" : " ") + p->pszDll + "!" + p->pszName;
    return missing;
}

int LateBoundCount()
{
    int n = 0;
    for (LateProc* p = g_pFirst; p; p = p->pNext)
        ++n;
    return n;
}

// Both names a call can be linked by are defined here: the import slot, through which calls
// declared for import go, and the function itself, which calls declared without it (the
// spooler's) name. Either one left to the system's import library would bring the import
// back.
#if defined(__i386__)
#define IMPORT_SLOT(name, bytes) "__imp__" #name "@" #bytes
#define FUNCTION_SYMBOL(name, bytes) "_" #name "@" #bytes
#else
#define IMPORT_SLOT(name, bytes) "__imp_" #name
#define FUNCTION_SYMBOL(name, bytes) #name
#endif

// A thunk and the import slot that points at it. The arguments after ARGS run when the
// system lacks the function; they must return the call's failure result.
#define LATE_BOUND(dll, ret, name, bytes, params, args, ...)                          \
    namespace {                                                                       \
    LateProc s_##name(dll, #name);                                 \
    }                                                                                 \
    extern "C" ret WINAPI Late##name params __asm__(FUNCTION_SYMBOL(name, bytes));    \
    extern "C" ret WINAPI Late##name params                                           \
    {                                                                                 \
        typedef ret(WINAPI * Fn) params;                                              \
        if (Fn pfn = reinterpret_cast<Fn>(reinterpret_cast<void*>(Find(s_##name))))  \
            return pfn args;                                                          \
        __VA_ARGS__;                                                                  \
    }                                                                                 \
    extern "C" void* g_slot##name __asm__(IMPORT_SLOT(name, bytes));                  \
    void* g_slot##name = reinterpret_cast<void*>(&Late##name);

#define NOT_IMPLEMENTED(result)                     \
    do {                                            \
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);   \
        return result;                              \
    } while (0)

// ---- kernel32 -------------------------------------------------------------------------------
LATE_BOUND("kernel32.dll", HANDLE, CreateFileW, 28,
           (LPCWSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g),
           (a, b, c, d, e, f, g), NOT_IMPLEMENTED(INVALID_HANDLE_VALUE))
LATE_BOUND("kernel32.dll", BOOL, DeleteFileW, 4, (LPCWSTR a), (a), NOT_IMPLEMENTED(FALSE))
LATE_BOUND("kernel32.dll", BOOL, CreateProcessW, 40,
           (LPCWSTR a, LPWSTR b, LPSECURITY_ATTRIBUTES c, LPSECURITY_ATTRIBUTES d, BOOL e, DWORD f,
            LPVOID g, LPCWSTR h, LPSTARTUPINFOW i, LPPROCESS_INFORMATION j),
           (a, b, c, d, e, f, g, h, i, j), NOT_IMPLEMENTED(FALSE))
LATE_BOUND("kernel32.dll", DWORD, GetFullPathNameW, 16, (LPCWSTR a, DWORD b, LPWSTR c, LPWSTR* d),
           (a, b, c, d), NOT_IMPLEMENTED(0))
LATE_BOUND("kernel32.dll", HMODULE, GetModuleHandleW, 4, (LPCWSTR a), (a), NOT_IMPLEMENTED(nullptr))
LATE_BOUND("kernel32.dll", HMODULE, LoadLibraryW, 4, (LPCWSTR a), (a), NOT_IMPLEMENTED(nullptr))
LATE_BOUND("kernel32.dll", DWORD, GetLongPathNameA, 12, (LPCSTR a, LPSTR b, DWORD c), (a, b, c),
           NOT_IMPLEMENTED(0))
// Windows 9x exports MoveFileExA only as a stub; the removal keeps its rename list in
// WININIT.INI there and never asks for it.
LATE_BOUND("kernel32.dll", BOOL, MoveFileExA, 12, (LPCSTR a, LPCSTR b, DWORD c), (a, b, c), NOT_IMPLEMENTED(FALSE))
// The C++ runtime's mutexes ask for an unnamed semaphore; the ANSI call makes the same one.
LATE_BOUND("kernel32.dll", HANDLE, CreateSemaphoreW, 16, (LPSECURITY_ATTRIBUTES a, LONG b, LONG c, LPCWSTR d),
           (a, b, c, d), if (!d) return CreateSemaphoreA(a, b, c, nullptr); NOT_IMPLEMENTED(nullptr))
// Wide trace lines still reach a debugger on Windows 9x, in the ANSI code page.
// Wide trace lines still reach a debugger on Windows 9x, in the ANSI code page (a trace line
// holds at most 1024 characters, two bytes each at most).
LATE_BOUND("kernel32.dll", void, OutputDebugStringW, 4, (LPCWSTR a), (a), {
    char sz[4096] = "";
    if (a && WideCharToMultiByte(CP_ACP, 0, a, -1, sz, sizeof(sz), nullptr, nullptr) <= 0)
        sz[0] = '\0';
    OutputDebugStringA(sz);
})
LATE_BOUND("kernel32.dll", LPWSTR, lstrcpyW, 8, (LPWSTR a, LPCWSTR b), (a, b), {
    if (!a || !b)
        return nullptr;
    return wcscpy(a, b);
})
LATE_BOUND("kernel32.dll", int, lstrcmpiW, 8, (LPCWSTR a, LPCWSTR b), (a, b), {
    if (!a || !b)
        return a ? 1 : (b ? -1 : 0);
    return _wcsicmp(a, b);
})

// ---- advapi32: registry key security and the wide registry calls (NT only) --------------------
LATE_BOUND("advapi32.dll", BOOL, AllocateAndInitializeSid, 44,
           (PSID_IDENTIFIER_AUTHORITY a, BYTE b, DWORD c, DWORD d, DWORD e, DWORD f, DWORD g, DWORD h,
            DWORD i, DWORD j, PSID* k),
           (a, b, c, d, e, f, g, h, i, j, k), NOT_IMPLEMENTED(FALSE))
LATE_BOUND("advapi32.dll", PVOID, FreeSid, 4, (PSID a), (a), return nullptr)
LATE_BOUND("advapi32.dll", DWORD, GetLengthSid, 4, (PSID a), (a), NOT_IMPLEMENTED(0))
LATE_BOUND("advapi32.dll", BOOL, InitializeAcl, 12, (PACL a, DWORD b, DWORD c), (a, b, c), NOT_IMPLEMENTED(FALSE))
LATE_BOUND("advapi32.dll", BOOL, AddAccessAllowedAce, 16, (PACL a, DWORD b, DWORD c, PSID d), (a, b, c, d),
           NOT_IMPLEMENTED(FALSE))
LATE_BOUND("advapi32.dll", BOOL, InitializeSecurityDescriptor, 8, (PSECURITY_DESCRIPTOR a, DWORD b), (a, b),
           NOT_IMPLEMENTED(FALSE))
LATE_BOUND("advapi32.dll", BOOL, SetSecurityDescriptorDacl, 16, (PSECURITY_DESCRIPTOR a, BOOL b, PACL c, BOOL d),
           (a, b, c, d), NOT_IMPLEMENTED(FALSE))
LATE_BOUND("advapi32.dll", LONG, RegSetKeySecurity, 12, (HKEY a, SECURITY_INFORMATION b, PSECURITY_DESCRIPTOR c),
           (a, b, c), return ERROR_CALL_NOT_IMPLEMENTED)
LATE_BOUND("advapi32.dll", LONG, RegOpenKeyExW, 20, (HKEY a, LPCWSTR b, DWORD c, REGSAM d, PHKEY e),
           (a, b, c, d, e), return ERROR_CALL_NOT_IMPLEMENTED)
LATE_BOUND("advapi32.dll", LONG, RegDeleteValueW, 8, (HKEY a, LPCWSTR b), (a, b), return ERROR_CALL_NOT_IMPLEMENTED)

// ---- user32 and comctl32 ------------------------------------------------------------------
LATE_BOUND("user32.dll", INT_PTR, DialogBoxParamW, 20, (HINSTANCE a, LPCWSTR b, HWND c, DLGPROC d, LPARAM e),
           (a, b, c, d, e), NOT_IMPLEMENTED(-1))
LATE_BOUND("user32.dll", int, MessageBoxW, 16, (HWND a, LPCWSTR b, LPCWSTR c, UINT d), (a, b, c, d),
           NOT_IMPLEMENTED(0))
LATE_BOUND("user32.dll", BOOL, SetWindowTextW, 8, (HWND a, LPCWSTR b), (a, b), NOT_IMPLEMENTED(FALSE))
LATE_BOUND("user32.dll", int, GetWindowTextW, 12, (HWND a, LPWSTR b, int c), (a, b, c), {
    if (b && c > 0)
        b[0] = L'\0';
    NOT_IMPLEMENTED(0);
})
LATE_BOUND("user32.dll", int, DrawTextW, 20, (HDC a, LPCWSTR b, int c, LPRECT d, UINT e), (a, b, c, d, e),
           NOT_IMPLEMENTED(0))
LATE_BOUND("comctl32.dll", BOOL, InitCommonControlsEx, 4, (const INITCOMMONCONTROLSEX* a), (a), {
    InitCommonControls();
    return TRUE;
})

// ---- winspool: the wide printer calls (NT only) ----------------------------------------------
LATE_BOUND("winspool.drv", BOOL, OpenPrinterW, 12, (LPWSTR a, LPHANDLE b, LPPRINTER_DEFAULTSW c), (a, b, c),
           NOT_IMPLEMENTED(FALSE))
LATE_BOUND("winspool.drv", BOOL, GetPrinterW, 20, (HANDLE a, DWORD b, LPBYTE c, DWORD d, LPDWORD e),
           (a, b, c, d, e), NOT_IMPLEMENTED(FALSE))
LATE_BOUND("winspool.drv", BOOL, SetPrinterW, 16, (HANDLE a, DWORD b, LPBYTE c, DWORD d), (a, b, c, d),
           NOT_IMPLEMENTED(FALSE))
LATE_BOUND("winspool.drv", LONG, DocumentPropertiesW, 24,
           (HWND a, HANDLE b, LPWSTR c, PDEVMODEW d, PDEVMODEW e, DWORD f), (a, b, c, d, e, f),
           NOT_IMPLEMENTED(-1))
LATE_BOUND("winspool.drv", int, DeviceCapabilitiesW, 20, (LPCWSTR a, LPCWSTR b, WORD c, LPWSTR d, const DEVMODEW* e),
           (a, b, c, d, e), NOT_IMPLEMENTED(-1))
