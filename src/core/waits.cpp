#include "core/waits.h"

namespace {

void (*g_pfnWait)(DWORD) = nullptr;

}  // namespace

void WaitMs(DWORD dwMs)
{
    if (g_pfnWait)
        g_pfnWait(dwMs);
    else
        Sleep(dwMs);
}

void OverrideWaits(void (*pfnWait)(DWORD dwMs))
{
    g_pfnWait = pfnWait;
}
