// The library's deliberate waits: between the attempts to learn the default DEVMODE's size,
// and while the driver settles after an applied DEVMODE. They go through one place so a test
// can see them, in order and with their lengths, without spending the time.
#pragma once
#include <windows.h>

void WaitMs(DWORD dwMs);

// For tests: every wait calls pfnWait instead of sleeping; nullptr sleeps again.
void OverrideWaits(void (*pfnWait)(DWORD dwMs));
