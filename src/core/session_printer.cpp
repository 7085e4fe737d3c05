// The session's printer: opened by the session's name in the session's width, or the session's
// own handle lent for one operation, and what every operation of the session reads from it.
#include "core/session_printer.h"

#include <memory>
#include <new>

#include "core/cells.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"

bool LMPROFJXP::SystemIsAnsi()
{
    OSVERSIONINFOA vi;
    return !ReadWindowsVersion(&vi) || vi.dwPlatformId != VER_PLATFORM_WIN32_NT;
}

HANDLE LMPROFJXP::OpenPrinterByName(DWORD dwDesiredAccess, bool bWithDefaults) const
{
    // An empty name would open the print server instead of a printer.
    if (m_bAnsi ? !m_tszPrinterName[0] : !m_wszPrinterName[0]) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return nullptr;
    }
    PRINTER_DEFAULTSA defaultsA = {nullptr, nullptr, dwDesiredAccess};
    PRINTER_DEFAULTSW defaultsW = {nullptr, nullptr, dwDesiredAccess};
    HANDLE h = nullptr;
    BOOL bOk;
    if (m_bAnsi)
        bOk = OpenPrinterA(const_cast<char*>(m_tszPrinterName), &h, bWithDefaults ? &defaultsA : nullptr);
    else
        bOk = OpenPrinterW(const_cast<wchar_t*>(m_wszPrinterName), &h, bWithDefaults ? &defaultsW : nullptr);
    return bOk ? h : nullptr;
}

SessionPrinter::SessionPrinter(const LMPROFJXP& session, DWORD dwAccess) : m_h(nullptr)
{
    if (session.m_hPrinter) {
        m_h = session.m_hPrinter.Get();
        return;
    }
    m_own.Reset(session.OpenPrinterByName(dwAccess, dwAccess != 0));
    m_h = m_own.Get();
}

void LMPROFJXP::GetPrinterModel()
{
    SessionPrinter printer(*this, 0);
    if (!printer)
        return;
    HANDLE h = printer.Get();
    DWORD cbNeeded = 0;
    GetPrinterA(h, 2, nullptr, 0, &cbNeeded);
    if (cbNeeded < sizeof(PRINTER_INFO_2A))
        return;
    std::unique_ptr<BYTE[]> info(new (std::nothrow) BYTE[cbNeeded]);
    if (!info || !GetPrinterA(h, 2, info.get(), cbNeeded, &cbNeeded))
        return;
    const PRINTER_INFO_2A* pInfo = reinterpret_cast<const PRINTER_INFO_2A*>(info.get());
    // A driver name that does not fit would name another model: keep none instead.
    if (!CopyCell(m_szModel, pInfo->pDriverName)) {
        TraceLog("LMPROFJXP::GetPrinterModel - model name too long\n");
        m_szModel[0] = '\0';
    }
}
