// The printer's default DEVMODE: the reference every export is written against and every
// import is rebuilt on.
#include <cstring>
#include <new>

#include "core/holders.h"
#include "core/lmprofjxp.h"
#include "core/session_printer.h"
#include "core/trace.h"
#include "core/waits.h"
#include "settings/devmode_access.h"

DWORD LMPROFJXP::GetDefaultDevModeSize()
{
    TraceLog("LMPROFJXP::GetDefaultDevModeSize\n");
    DWORD dwStored = GetProfileRegValueSize(FACTORY_DEFAULT_PROFILE, DEFAULT_DEVMODE_VALUE);
    if (dwStored > 0)
        return dwStored;
    TraceLog("LMPROFJXP::GetDefaultDevModeSize - fail to get Default DevMode - Try another way\n");

    SessionPrinter printer(*this, 0);
    if (!printer)
        return 0;
    HANDLE h = printer.Get();
    // The wide call in both modes: the driver's private area is the same either way.
    LONG lSize = DocumentPropertiesW(m_hWnd, h, m_wszPrinterName, nullptr, nullptr, 0);
    return lSize < 1 ? 0 : DWORD(lSize);
}

DWORD LMPROFJXP::GetDefaultDevModeSizeRetry()
{
    if (m_dwDefaultDevModeSize != 0)
        return m_dwDefaultDevModeSize;

    // A driver that is still being installed or a spooler still starting up answers late;
    // five attempts a second apart cover both.
    DWORD dwSize = 0;
    for (int nAttempt = 0; nAttempt < DEFAULT_DEVMODE_SIZE_ATTEMPTS; ++nAttempt) {
        dwSize = GetDefaultDevModeSize();
        if (dwSize > 0)
            break;
        WaitMs(DEFAULT_DEVMODE_RETRY_MS);
    }
    if (dwSize == 0)
        dwSize = DEFAULT_DEVMODE_FALLBACK_SIZE;
    m_dwDefaultDevModeSize = dwSize;
    return dwSize;
}

DWORD LMPROFJXP::GetDefaultDevMode(BYTE* pOut)
{
    TraceLog("LMPROFJXP::GetDefaultDevMode - %d\n", m_dwDefaultDevModeSize);
    if (!pOut)
        return 0;

    if (m_dwDefaultDevModeSize != 0 && m_wDefaultDevModeLoads != 0) {
        if (pOut != m_pDefaultDevMode.get())
            memcpy(pOut, m_pDefaultDevMode.get(), m_dwDefaultDevModeSize);
        return m_dwDefaultDevModeSize;
    }

    // The DEVMODE stored for "Factory Default", when it holds a whole record; at most the size
    // the session took for its default is copied.
    DWORD dwStored = GetProfileRegValueSize(FACTORY_DEFAULT_PROFILE, DEFAULT_DEVMODE_VALUE);
    if (dwStored > 0) {
        std::unique_ptr<BYTE[]> stored(new (std::nothrow) BYTE[dwStored]);
        DWORD cbRead = 0, dwType = 0;
        if (stored && GetProfileRegValue(FACTORY_DEFAULT_PROFILE, DEFAULT_DEVMODE_VALUE, stored.get(), dwStored, &cbRead, &dwType) ==
                          dwStored) {
            DWORD cbCopy = dwStored < m_dwDefaultDevModeSize ? dwStored : m_dwDefaultDevModeSize;
            if (DevModeFits(stored.get(), cbCopy)) {
                memcpy(pOut, stored.get(), cbCopy);
                if (cbCopy < m_dwDefaultDevModeSize)
                    memset(pOut + cbCopy, 0, m_dwDefaultDevModeSize - cbCopy);
                ++m_wDefaultDevModeLoads;
                return cbCopy;
            }
        }
        TraceLog("LMPROFJXP::GetDefaultDevMode - stored Default DevMode unusable - %d\n", dwStored);
    }

    // The printer's current DEVMODE. A session without its own handle opens the printer
    // for this call, so the buffer is never left unfilled and taken for a DEVMODE.
    SessionPrinter printer(*this, 0);
    if (!printer)
        return 0;
    HANDLE h = printer.Get();
    DWORD cbNeeded = 0;
    GetPrinterW(h, 2, nullptr, 0, &cbNeeded);
    if (cbNeeded < sizeof(PRINTER_INFO_2W))
        return 0;
    std::unique_ptr<BYTE[]> info(new (std::nothrow) BYTE[cbNeeded]);
    if (!info || !GetPrinterW(h, 2, info.get(), cbNeeded, &cbNeeded))
        return 0;
    const PRINTER_INFO_2W* pInfo = reinterpret_cast<const PRINTER_INFO_2W*>(info.get());
    const DEVMODEW* pDevMode = pInfo->pDevMode;
    if (!pDevMode)
        return 0;

    // The spooler's DEVMODE may be shorter than the size the driver reported: copy what it
    // holds and clear the rest rather than read past it.
    const BYTE* pInfoEnd = info.get() + cbNeeded;
    const BYTE* pDevModeBytes = reinterpret_cast<const BYTE*>(pDevMode);
    if (pDevModeBytes < info.get() || pDevModeBytes + offsetof(DEVMODEW, dmFields) > pInfoEnd)
        return 0;
    size_t cbDevMode = size_t(pDevMode->dmSize) + pDevMode->dmDriverExtra;
    size_t cbAvailable = size_t(pInfoEnd - pDevModeBytes);
    if (cbDevMode > cbAvailable)
        cbDevMode = cbAvailable;
    size_t cbCopy = cbDevMode < m_dwDefaultDevModeSize ? cbDevMode : m_dwDefaultDevModeSize;
    memcpy(pOut, pDevModeBytes, cbCopy);
    if (cbCopy < m_dwDefaultDevModeSize)
        memset(pOut + cbCopy, 0, m_dwDefaultDevModeSize - cbCopy);
    TraceLog("It copied, %d %d\n", pDevMode->dmSize, pDevMode->dmDriverExtra);

    DWORD dwResult = m_dwDefaultDevModeSize;
    ++m_wDefaultDevModeLoads;
    m_dwDefaultDevModeSize = dwResult;
    return dwResult;
}

std::unique_ptr<BYTE[]> LMPROFJXP::GetProfileDevModeFromReg(const char* pszProfile, DWORD* pcb)
{
    TraceLog("LMPROFJXP::GetProfileDevModeFromReg\n");
    *pcb = 0;
    DWORD cbValue = GetProfileRegValueSize(pszProfile, DEFAULT_DEVMODE_VALUE);
    if (cbValue == 0)
        return nullptr;
    std::unique_ptr<BYTE[]> value(new (std::nothrow) BYTE[cbValue]);
    DWORD cbRead = 0, dwType = 0;
    if (!value || GetProfileRegValue(pszProfile, DEFAULT_DEVMODE_VALUE, value.get(), cbValue, &cbRead, &dwType) != cbValue)
        return nullptr;
    // A value that does not hold the whole record its sizes describe is no DEVMODE to compare.
    if (!DevModeFits(value.get(), cbValue)) {
        TraceLog("LMPROFJXP::GetProfileDevModeFromReg - damaged DEVMODE - %s\n", pszProfile);
        return nullptr;
    }
    *pcb = cbValue;
    return value;
}
