// Trace log: one process-wide switch and two writers that send a timestamped line to the
// debugger output stream, plus the two probes of the running system.
#pragma once
#include <windows.h>

// Sets the switch to bForce, then turns it on when the "Debug" value is not 0.
// Returns the value read ("Debug" missing: 0).
DWORD InitTraceFlag(BYTE bForce);
bool IsTraceOn();

void TraceLog(const char* pszFormat, ...);
void TraceLogW(const wchar_t* pwszFormat, ...);

// True when this 32-bit process runs on 64-bit Windows.
bool IsWow64();
// Makes IsWow64 answer nAnswer (0 or 1) instead of asking the system; -1 asks again. The test
// bed uses it to drive the 64-bit-Windows branches where it cannot run a 32-bit process.
void OverrideWow64Probe(int nAnswer);
// True on Windows NT 5.0 (2000) and later.
bool IsNt5OrLater();

// Length of the "%02i/%02i/%02i %02i:%02i:%02i:%03i " prefix with a four-digit year.
constexpr size_t TRACE_PREFIX_CHARS = 24;
constexpr size_t TRACE_MESSAGE_CHARS = 1024;   // message buffer, terminator included
