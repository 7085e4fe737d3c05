// A profile's DEVMODE merged into the printer's current one and stored on the printer.
#include <cstring>
#include <memory>
#include <new>

#include "codec/byte_cursor.h"
#include "core/holders.h"
#include "core/lmprofjxp.h"
#include "core/session_printer.h"
#include "core/trace.h"
#include "settings/devmode_access.h"

using namespace devmode;

namespace {

// The blocks of the work copy take the profile's block of the same identifier, header and
// all but the size field, which stays the printer's. A block only the profile carries is not
// added; a profile block larger than the printer's is copied only as far as the printer's.
void MergeBlocks(LMPROFJXP& session, BYTE* pWork, WORD dmSize, WORD dmDriverExtra, DEVMODEW* pProfile)
{
    BYTE* pPrivate = pWork + dmSize;
    // The walk has read each block's header before the block is replaced, and the size field
    // it moves on by is put back.
    ForEachBlockFrom(pPrivate, dmDriverExtra, 0, [&](size_t off, const BlockHeader& h) {
        BYTE* pProfileBlock = session.GetPlugInAddr(pProfile, h.wId);
        if (!pProfileBlock)
            return;
        BlockHeader ph;
        ReadBlockHeader(pProfileBlock, BLOCK_HEADER_SIZE, 0, &ph);
        DWORD cbCopy = ph.dwSize < h.dwSize ? ph.dwSize : h.dwSize;
        memcpy(pPrivate + off, pProfileBlock, cbCopy);
        PutU32(pPrivate + off + 12, h.dwSize);
        if (const char* pszFound = FoundLine(h.wId))
            TraceLog("%s", pszFound);
    });
}

// Copies a name field back as a zero-terminated string of at most its field.
void CopyName(wchar_t* pDest, const wchar_t* pSource, size_t nUnits)
{
    size_t n = wcsnlen(pSource, nUnits);
    if (n == nUnits)
        n = nUnits - 1;
    memcpy(pDest, pSource, n * sizeof(wchar_t));
    memset(pDest + n, 0, (nUnits - n) * sizeof(wchar_t));
}

}  // namespace

bool LMPROFJXP::MergeDevModeW(DEVMODEW* pCurrent, DEVMODEW* pProfile)
{
    TraceLog("MergeDevModeW\n");
    if (pCurrent->dmSize != pProfile->dmSize || pCurrent->dmDriverExtra != pProfile->dmDriverExtra) {
        TraceLog("MergeDevModeW - DEVMODE layouts differ - %d %d, %d %d\n", pCurrent->dmSize,
                 pCurrent->dmDriverExtra, pProfile->dmSize, pProfile->dmDriverExtra);
        return false;
    }
    DWORD cb = DevModeBytes(pCurrent);
    std::unique_ptr<BYTE[]> work(new (std::nothrow) BYTE[cb]);
    if (!work)
        return false;
    memcpy(work.get(), pCurrent, cb);
    DEVMODEW* pWork = reinterpret_cast<DEVMODEW*>(work.get());
    memcpy(work.get(), pProfile, pProfile->dmSize);
    CopyName(pWork->dmDeviceName, pCurrent->dmDeviceName, CCHDEVICENAME);
    CopyName(pWork->dmFormName, pCurrent->dmFormName, CCHFORMNAME);
    pWork->dmSpecVersion = pCurrent->dmSpecVersion;
    pWork->dmDriverVersion = pCurrent->dmDriverVersion;
    MergeBlocks(*this, work.get(), pWork->dmSize, pWork->dmDriverExtra, pProfile);
    memcpy(pCurrent, work.get(), cb);
    return true;
}

bool LMPROFJXP::MergeDevModeA(DEVMODEA* pCurrent, DEVMODEW* pProfile)
{
    TraceLog("MergeDevModeA\n");
    // The ANSI public part is the wide one less the two names' second bytes, but a Windows 9x
    // driver may keep an older, shorter DEVMODEA (148 bytes against the wide 220): the fixed
    // fields both records hold are copied. The private parts must share their layout.
    const size_t cbFixed = 13 * 2;
    if (pCurrent->dmDriverExtra != pProfile->dmDriverExtra || pCurrent->dmSize < OFFA_ORIENTATION + cbFixed ||
        pProfile->dmSize < OFF_ORIENTATION + cbFixed) {
        TraceLog("MergeDevModeA - DEVMODE layouts differ - %d %d, %d %d\n", pCurrent->dmSize,
                 pCurrent->dmDriverExtra, pProfile->dmSize, pProfile->dmDriverExtra);
        return false;
    }
    DWORD cb = DWORD(pCurrent->dmSize) + pCurrent->dmDriverExtra;
    std::unique_ptr<BYTE[]> work(new (std::nothrow) BYTE[cb]);
    if (!work)
        return false;
    memcpy(work.get(), pCurrent, cb);
    BYTE* pWork = work.get();
    const BYTE* pFrom = reinterpret_cast<const BYTE*>(pProfile);
    memcpy(pWork + OFFA_DRIVER_EXTRA, pFrom + OFF_DRIVER_EXTRA, 2);
    memcpy(pWork + OFFA_FIELDS, pFrom + OFF_FIELDS, 4);
    memcpy(pWork + OFFA_ORIENTATION, pFrom + OFF_ORIENTATION, cbFixed);
    if (pCurrent->dmSize >= OFFA_ICM_METHOD + 16 && pProfile->dmSize >= OFF_ICM_METHOD + 16)
        memcpy(pWork + OFFA_ICM_METHOD, pFrom + OFF_ICM_METHOD, 16);
    MergeBlocks(*this, pWork, pCurrent->dmSize, pCurrent->dmDriverExtra, pProfile);
    memcpy(pCurrent, pWork, cb);
    return true;
}

DWORD LMPROFJXP::SetDevModeW(HANDLE hPrinter, DEVMODEW* pDevMode)
{
    DWORD cbInfo = 0;
    GetPrinterW(hPrinter, 2, nullptr, 0, &cbInfo);
    // The driver writes its whole DEVMODE when it validates: room for the larger of the two.
    LONG cbDriver = DocumentPropertiesW(nullptr, hPrinter, nullptr, nullptr, nullptr, 0);
    DWORD cbValidated = DevModeBytes(pDevMode);
    if (cbDriver > 0 && DWORD(cbDriver) > cbValidated)
        cbValidated = DWORD(cbDriver);
    std::unique_ptr<BYTE[]> info(new (std::nothrow) BYTE[cbInfo ? cbInfo : 1]);
    std::unique_ptr<BYTE[]> validated(new (std::nothrow) BYTE[cbValidated]());
    if (!info || !validated)
        return 0;
    if (!GetPrinterW(hPrinter, 2, info.get(), cbInfo, &cbInfo)) {
        TraceLog("GetPrinterW - error %d\n", GetLastError());
        return 0;
    }
    DEVMODEW* pValidated = reinterpret_cast<DEVMODEW*>(validated.get());
    if (DocumentPropertiesW(nullptr, hPrinter, nullptr, pValidated, pDevMode, DM_IN_BUFFER | DM_OUT_BUFFER) < 0 ||
        !DevModeFits(pValidated, cbValidated)) {
        // Storing an unfilled buffer would wipe the printer's settings: store the merge as it is.
        TraceLog("SetDevModeW - DocumentPropertiesW error %d\n", GetLastError());
        pValidated = pDevMode;
    }

    PRINTER_INFO_2W* pInfo2 = reinterpret_cast<PRINTER_INFO_2W*>(info.get());
    pInfo2->pDevMode = pValidated;
    if (SetPrinterW(hPrinter, 2, info.get(), 0))
        TraceLog("SetDevModeW - success\n");
    else
        TraceLog("SetPrinterW - error %d\n", GetLastError());

    PRINTER_INFO_8W info8 = {pValidated};
    if (SetPrinterW(hPrinter, 8, reinterpret_cast<BYTE*>(&info8), 0))
        TraceLog("SetDevModeW - Set Global - success\n");
    else
        TraceLog("SetPrinterW - Set Global - error %d\n", GetLastError());

    RemoveRegValue(HKEY_CURRENT_USER, L"Printers\\DevModePerUser", m_wszPrinterName);
    return 0;
}

DWORD LMPROFJXP::SetDevModeA(HANDLE hPrinter, DEVMODEA* pDevMode)
{
    DWORD cbInfo = 0;
    GetPrinterA(hPrinter, 2, nullptr, 0, &cbInfo);
    LONG cbDriver = DocumentPropertiesA(nullptr, hPrinter, nullptr, nullptr, nullptr, 0);
    DWORD cbValidated = DWORD(pDevMode->dmSize) + pDevMode->dmDriverExtra;
    if (cbDriver > 0 && DWORD(cbDriver) > cbValidated)
        cbValidated = DWORD(cbDriver);
    std::unique_ptr<BYTE[]> info(new (std::nothrow) BYTE[cbInfo ? cbInfo : 1]);
    std::unique_ptr<BYTE[]> validated(new (std::nothrow) BYTE[cbValidated]());
    if (!info || !validated)
        return 0;
    if (!GetPrinterA(hPrinter, 2, info.get(), cbInfo, &cbInfo)) {
        TraceLog("GetPrinterA - error %d\n", GetLastError());
        return 0;
    }
    DEVMODEA* pValidated = reinterpret_cast<DEVMODEA*>(validated.get());
    if (DocumentPropertiesA(nullptr, hPrinter, nullptr, pValidated, pDevMode, DM_IN_BUFFER | DM_OUT_BUFFER) < 0 ||
        DWORD(pValidated->dmSize) + pValidated->dmDriverExtra > cbValidated || pValidated->dmSize == 0) {
        TraceLog("SetDevModeA - DocumentPropertiesA error %d\n", GetLastError());
        pValidated = pDevMode;
    }
    PRINTER_INFO_2A* pInfo2 = reinterpret_cast<PRINTER_INFO_2A*>(info.get());
    pInfo2->pDevMode = pValidated;
    if (SetPrinterA(hPrinter, 2, info.get(), 0))
        TraceLog("SetDevModeA - success\n");
    else
        TraceLog("SetPrinterA - error %d\n", GetLastError());
    return 0;
}

DWORD LMPROFJXP::ApplyDevMode2Printer(DEVMODEW* pProfileDevMode)
{
    TraceLog("ApplyDevMode2Printer\n");
    // A record without the driver's main block has no settings this engine can apply.
    if (!pProfileDevMode || !MainBlockOf(*this, pProfileDevMode, nullptr)) {
        TraceLog("ApplyDevMode2Printer - no main block\n");
        return 0;
    }
    RestoreDevMode(pProfileDevMode);

    SessionPrinter printer(*this, PRINTER_ALL_ACCESS);
    if (!printer) {
        TraceLog("ApplyDevMode2Printer - OpenPrinter() fail - %ld\n", GetLastError());
        return 0;
    }
    HANDLE h = printer.Get();

    LONG cbSize = m_bAnsi ? DocumentPropertiesA(nullptr, h, nullptr, nullptr, nullptr, 0)
                          : DocumentPropertiesW(nullptr, h, nullptr, nullptr, nullptr, 0);
    if (cbSize <= 0)
        return 0;
    TraceLog("DEVMODE size = %d\n", cbSize);
    std::unique_ptr<BYTE[]> current(new (std::nothrow) BYTE[cbSize]());
    if (!current)
        return 0;
    LONG lResult = m_bAnsi ? DocumentPropertiesA(nullptr, h, nullptr, reinterpret_cast<DEVMODEA*>(current.get()),
                                                 nullptr, DM_OUT_BUFFER)
                           : DocumentPropertiesW(nullptr, h, nullptr, reinterpret_cast<DEVMODEW*>(current.get()),
                                                 nullptr, DM_OUT_BUFFER);
    // The merge walks the current DEVMODE by its own sizes: they must lie inside the buffer.
    WORD dmSize = m_bAnsi ? reinterpret_cast<DEVMODEA*>(current.get())->dmSize
                          : reinterpret_cast<DEVMODEW*>(current.get())->dmSize;
    WORD dmDriverExtra = m_bAnsi ? reinterpret_cast<DEVMODEA*>(current.get())->dmDriverExtra
                                 : reinterpret_cast<DEVMODEW*>(current.get())->dmDriverExtra;
    if (lResult < 0 || dmSize == 0 || DWORD(dmSize) + dmDriverExtra > DWORD(cbSize)) {
        TraceLog("ApplyDevMode2Printer - DocumentProperties error - %ld\n", GetLastError());
        return 0;
    }
    if (m_bAnsi) {
        DEVMODEA* pCurrent = reinterpret_cast<DEVMODEA*>(current.get());
        if (MergeDevModeA(pCurrent, pProfileDevMode))
            SetDevModeA(h, pCurrent);
    } else {
        DEVMODEW* pCurrent = reinterpret_cast<DEVMODEW*>(current.get());
        if (MergeDevModeW(pCurrent, pProfileDevMode))
            SetDevModeW(h, pCurrent);
    }
    return 0;
}
