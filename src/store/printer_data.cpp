// Printer data access: the one road by which the profile store reads and writes the values the
// spooler keeps for a printer under "PrinterDriverData". Value names are ANSI on every system;
// only the opening of the printer differs between Windows 9x and Windows NT.
#include <exception>

#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "store/profile_store.h"

DWORD LMPROFJXP::GetRegValueSize(const char* pszKey, const char* pszValue, DWORD* pdwError)
{
    // The error travels with the result, not as the last error: closing a printer opened for
    // this call may overwrite that before the caller reads it.
    SessionPrinter printer(*this, 0);
    if (!printer) {
        *pdwError = GetLastError();
        return 0;
    }
    // The spooler reports an existing value's size together with ERROR_MORE_DATA, so the
    // result code does not decide the size: a size of 0 with ERROR_FILE_NOT_FOUND is a
    // missing value, with ERROR_ACCESS_DENIED one that may exist.
    DWORD dwType = 0, cbNeeded = 0;
    *pdwError = GetPrinterDataA(printer.Get(), const_cast<char*>(pszValue), &dwType, nullptr, 0, &cbNeeded);
    return cbNeeded;
}

DWORD LMPROFJXP::GetRegValue(const char* pszKey, const char* pszValue, BYTE* pBuffer, DWORD cbBuffer)
{
    TraceLog("LMPROFJXP::GetRegValue - %s, %s\n", pszKey, pszValue);
    SessionPrinter printer(*this, 0);
    if (!printer)
        return 0;
    DWORD dwType = 0, cbNeeded = 0;
    DWORD dwErr = GetPrinterDataA(printer.Get(), const_cast<char*>(pszValue), &dwType, pBuffer,
                                  pBuffer ? cbBuffer : 0, &cbNeeded);
    if (dwErr != ERROR_SUCCESS) {
        TraceLog("LMPROFJXP::GetRegValue - Error %ld\n", dwErr);
        SetLastError(dwErr);
        return 0;
    }
    return cbNeeded;
}

bool LMPROFJXP::SetRegValue(const char* pszKey, const char* pszValue, const BYTE* pData, DWORD cbData, DWORD dwType)
{
    TraceLog("LMPROFJXP::SetRegValue - %s, %s\n", pszKey, pszValue);
    SessionPrinter printer(*this, PRINTER_ACCESS_ADMINISTER);
    if (!printer)
        return false;
    DWORD dwErr = SetPrinterDataA(printer.Get(), const_cast<char*>(pszValue), dwType, const_cast<BYTE*>(pData), cbData);
    if (dwErr != ERROR_SUCCESS) {
        // A refused write is a failed write: callers that go on (the profile count after the
        // list, the data after the index) would otherwise describe values that are not there.
        TraceLog("LMPROFJXP::SetRegValue - Error %ld\n", dwErr);
        SetLastError(dwErr);
        return false;
    }
    return true;
}

DWORD LMPROFJXP::ReadRegValue(const char* pszKey, const char* pszValue, std::vector<BYTE>* pBuffer, DWORD* pdwType,
                              DWORD* pdwError)
{
    TraceLog("LMPROFJXP::GetRegValue - %s, %s\n", pszKey, pszValue);
    SessionPrinter printer(*this, 0);
    if (!printer) {
        *pdwError = GetLastError();
        return 0;
    }
    // Each spooler call costs far more than a generous buffer, so the caller's buffer is tried
    // first and the size asked only when it is too small. A value another writer keeps growing
    // between the calls is given up after a few rounds rather than chased.
    DWORD dwErr = ERROR_MORE_DATA;
    for (int nAttempt = 0; nAttempt < 4 && dwErr == ERROR_MORE_DATA; ++nAttempt) {
        DWORD dwType = 0, cbNeeded = 0;
        DWORD cbBuffer = DWORD(pBuffer->size());
        dwErr = GetPrinterDataA(printer.Get(), const_cast<char*>(pszValue), &dwType,
                                cbBuffer ? pBuffer->data() : nullptr, cbBuffer, &cbNeeded);
        // Asked without a buffer, Wine's spooler answers an empty value with ERROR_MORE_DATA and
        // a size of 0: it is there, and empty.
        if (dwErr == ERROR_MORE_DATA && cbNeeded == 0)
            dwErr = ERROR_SUCCESS;
        if (dwErr == ERROR_SUCCESS) {
            if (pdwType)
                *pdwType = dwType;
            *pdwError = ERROR_SUCCESS;
            return cbNeeded;
        }
        if (dwErr == ERROR_MORE_DATA) {
            if (cbNeeded <= cbBuffer)
                break;
            try {
                pBuffer->resize(cbNeeded);
            } catch (const std::exception&) {
                dwErr = ERROR_NOT_ENOUGH_MEMORY;
            }
        }
    }
    TraceLog("LMPROFJXP::GetRegValue - Error %ld\n", dwErr);
    *pdwError = dwErr;
    return 0;
}
