#include "core/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "core/registry_read.h"

namespace {

// Written by the entry points, read by every trace call; the library is used from one thread
// at a time apart from the status box's painter, which only reads it.
volatile bool g_bTraceOn = false;
int g_nWow64Override = -1;

const char TRACE_KEY[] = "Software\\Norvane Sello\\ZeVere32";

}  // namespace

DWORD InitTraceFlag(BYTE bForce)
{
    g_bTraceOn = bForce != 0;
    DWORD dwDebug = GetRegValueLong(HKEY_LOCAL_MACHINE, TRACE_KEY, "Debug", 0);
    // A 0 in the registry never clears what the caller forced on.
    if (dwDebug != 0)
        g_bTraceOn = true;
    return dwDebug;
}

bool IsTraceOn()
{
    return g_bTraceOn;
}

void TraceLog(const char* pszFormat, ...)
{
    if (!g_bTraceOn || !pszFormat)
        return;

    char szFormat[TRACE_MESSAGE_CHARS];
    lstrcpynA(szFormat, pszFormat, sizeof(szFormat));

    // wvsprintfA stops at 1023 characters by itself and never writes past 1024.
    char szMessage[TRACE_MESSAGE_CHARS];
    va_list args;
    va_start(args, pszFormat);
    wvsprintfA(szMessage, szFormat, args);
    va_end(args);
    szMessage[TRACE_MESSAGE_CHARS - 1] = '\0';

    SYSTEMTIME st;
    GetLocalTime(&st);
    // The prefix is never cut to make room, nor the message to fit the prefix.
    char szLine[TRACE_PREFIX_CHARS + 8 + TRACE_MESSAGE_CHARS];
    int nPrefix = wsprintfA(szLine, "%02i/%02i/%02i %02i:%02i:%02i:%03i ", st.wMonth, st.wDay,
                            st.wYear, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
    size_t nMessage = strnlen(szMessage, TRACE_MESSAGE_CHARS - 1);
    memcpy(szLine + nPrefix, szMessage, nMessage);
    szLine[nPrefix + nMessage] = '\0';
    OutputDebugStringA(szLine);
}

void TraceLogW(const wchar_t* pwszFormat, ...)
{
    if (!g_bTraceOn || !pwszFormat)
        return;

    // msvcrt's counted formatter: "%s" takes a wide string here. It does not terminate a
    // message that fills the buffer, so the last cell is set by hand.
    wchar_t wszMessage[TRACE_MESSAGE_CHARS];
    va_list args;
    va_start(args, pwszFormat);
    _vsnwprintf(wszMessage, TRACE_MESSAGE_CHARS - 1, pwszFormat, args);
    va_end(args);
    wszMessage[TRACE_MESSAGE_CHARS - 1] = L'\0';

    SYSTEMTIME st;
    GetLocalTime(&st);
    // The whole line lives in 1024 characters: a longer one is cut at 1023.
    wchar_t wszLine[TRACE_MESSAGE_CHARS];
    _snwprintf(wszLine, TRACE_MESSAGE_CHARS - 1, L"%02i/%02i/%02i %02i:%02i:%02i:%03i %s",
               st.wMonth, st.wDay, st.wYear, st.wHour, st.wMinute, st.wSecond,
               st.wMilliseconds, wszMessage);
    wszLine[TRACE_MESSAGE_CHARS - 1] = L'\0';
    OutputDebugStringW(wszLine);
}

void OverrideWow64Probe(int nAnswer)
{
    g_nWow64Override = nAnswer;
}

bool IsWow64()
{
    if (g_nWow64Override >= 0)
        return g_nWow64Override != 0;
    typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, PBOOL);
    HMODULE hKernel = GetModuleHandleA("kernel32");
    if (!hKernel)
        return false;
    auto pfn = reinterpret_cast<IsWow64ProcessFn>(
        reinterpret_cast<void*>(GetProcAddress(hKernel, "IsWow64Process")));
    // Windows 9x and early NT do not have the call: they are never 64-bit.
    if (!pfn)
        return false;
    BOOL bWow64 = FALSE;
    pfn(GetCurrentProcess(), &bWow64);
    return bWow64 != FALSE;
}

bool IsNt5OrLater()
{
    OSVERSIONINFOA vi;
    ZeroMemory(&vi, sizeof(vi));
    vi.dwOSVersionInfoSize = sizeof(vi);
    // A system that cannot tell its version is treated as an old one: the callers then take
    // the conservative road (the 9x-style deferral instead of the NT one).
    if (!GetVersionExA(&vi))
        return false;
    return vi.dwPlatformId == VER_PLATFORM_WIN32_NT && vi.dwMajorVersion > 4;
}
