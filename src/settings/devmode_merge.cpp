// A profile's DEVMODE merged into the printer's current one and stored on the printer.
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>

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

// The ANSI public part is the wide one less the two names' second bytes, but a Windows 9x
// driver may keep an older, shorter DEVMODEA (148 bytes against the wide 220): the fixed fields
// both records hold are copied.
constexpr size_t FIXED_FIELDS_BYTES = 13 * 2;

// Whether the profile can be merged into the current record: the private parts must share
// their layout; the wide form also its public size, the ANSI form only the fixed fields.
bool LayoutsMatch(const DEVMODEW* pCurrent, const DEVMODEW* pProfile)
{
    return pCurrent->dmSize == pProfile->dmSize && pCurrent->dmDriverExtra == pProfile->dmDriverExtra;
}

bool LayoutsMatch(const DEVMODEA* pCurrent, const DEVMODEW* pProfile)
{
    return pCurrent->dmDriverExtra == pProfile->dmDriverExtra &&
           pCurrent->dmSize >= OFFA_ORIENTATION + FIXED_FIELDS_BYTES &&
           pProfile->dmSize >= OFF_ORIENTATION + FIXED_FIELDS_BYTES;
}

// The profile's public part over the work copy of the current record. The wide form takes it
// whole but for the names and versions, which stay the printer's; the ANSI form, whose fields
// lie elsewhere, takes the settings field by field.
void TakePublicPart(BYTE* pWork, const DEVMODEW* pCurrent, const DEVMODEW* pProfile)
{
    DEVMODEW* pWorkW = reinterpret_cast<DEVMODEW*>(pWork);
    memcpy(pWork, pProfile, pProfile->dmSize);
    CopyName(pWorkW->dmDeviceName, pCurrent->dmDeviceName, CCHDEVICENAME);
    CopyName(pWorkW->dmFormName, pCurrent->dmFormName, CCHFORMNAME);
    pWorkW->dmSpecVersion = pCurrent->dmSpecVersion;
    pWorkW->dmDriverVersion = pCurrent->dmDriverVersion;
}

void TakePublicPart(BYTE* pWork, const DEVMODEA* pCurrent, const DEVMODEW* pProfile)
{
    const BYTE* pFrom = reinterpret_cast<const BYTE*>(pProfile);
    memcpy(pWork + OFFA_DRIVER_EXTRA, pFrom + OFF_DRIVER_EXTRA, 2);
    memcpy(pWork + OFFA_FIELDS, pFrom + OFF_FIELDS, 4);
    memcpy(pWork + OFFA_ORIENTATION, pFrom + OFF_ORIENTATION, FIXED_FIELDS_BYTES);
    if (pCurrent->dmSize >= OFFA_ICM_METHOD + 16 && pProfile->dmSize >= OFF_ICM_METHOD + 16)
        memcpy(pWork + OFFA_ICM_METHOD, pFrom + OFF_ICM_METHOD, 16);
}

// The spooler calls of each form. The ANSI form calls only ANSI functions: it is the form of
// Windows 9x, which has no others.
template <class DM>
struct PrinterCalls;

template <>
struct PrinterCalls<DEVMODEW> {
    using INFO2 = PRINTER_INFO_2W;
    static constexpr const char* SUFFIX = "W";
    static BOOL GetInfo2(HANDLE h, BYTE* p, DWORD cb, DWORD* pcb) { return GetPrinterW(h, 2, p, cb, pcb); }
    static BOOL SetInfo2(HANDLE h, BYTE* p) { return SetPrinterW(h, 2, p, 0); }
    static LONG Properties(HANDLE h, DEVMODEW* pOut, DEVMODEW* pIn, DWORD fMode)
    {
        return DocumentPropertiesW(nullptr, h, nullptr, pOut, pIn, fMode);
    }
    // Whether cb bytes the driver filled hold the whole record.
    static bool Fits(const DEVMODEW* p, DWORD cb) { return DevModeFits(p, cb); }
};

template <>
struct PrinterCalls<DEVMODEA> {
    using INFO2 = PRINTER_INFO_2A;
    static constexpr const char* SUFFIX = "A";
    static BOOL GetInfo2(HANDLE h, BYTE* p, DWORD cb, DWORD* pcb) { return GetPrinterA(h, 2, p, cb, pcb); }
    static BOOL SetInfo2(HANDLE h, BYTE* p) { return SetPrinterA(h, 2, p, 0); }
    static LONG Properties(HANDLE h, DEVMODEA* pOut, DEVMODEA* pIn, DWORD fMode)
    {
        return DocumentPropertiesA(nullptr, h, nullptr, pOut, pIn, fMode);
    }
    static bool Fits(const DEVMODEA* p, DWORD cb)
    {
        WORD dmSize, dmDriverExtra;
        return ReadDevModeSizes(p, cb, true, &dmSize, &dmDriverExtra);
    }
};

template <class DM>
DWORD RecordBytes(const DM* p)
{
    return DWORD(p->dmSize) + p->dmDriverExtra;
}

template <class DM>
bool MergeDevMode(LMPROFJXP& session, DM* pCurrent, DEVMODEW* pProfile)
{
    const char* pszForm = PrinterCalls<DM>::SUFFIX;
    TraceLog("MergeDevMode%s\n", pszForm);
    if (!LayoutsMatch(pCurrent, pProfile)) {
        TraceLog("MergeDevMode%s - DEVMODE layouts differ - %d %d, %d %d\n", pszForm, pCurrent->dmSize,
                 pCurrent->dmDriverExtra, pProfile->dmSize, pProfile->dmDriverExtra);
        return false;
    }
    DWORD cb = RecordBytes(pCurrent);
    std::unique_ptr<BYTE[]> work(new (std::nothrow) BYTE[cb]);
    if (!work)
        return false;
    memcpy(work.get(), pCurrent, cb);
    TakePublicPart(work.get(), pCurrent, pProfile);
    MergeBlocks(session, work.get(), pCurrent->dmSize, pCurrent->dmDriverExtra, pProfile);
    memcpy(pCurrent, work.get(), cb);
    return true;
}

template <class DM>
void SetDevMode(LMPROFJXP& session, HANDLE hPrinter, DM* pDevMode)
{
    using Calls = PrinterCalls<DM>;
    DWORD cbInfo = 0;
    Calls::GetInfo2(hPrinter, nullptr, 0, &cbInfo);
    // The driver writes its whole DEVMODE when it validates: room for the larger of the two.
    LONG cbDriver = Calls::Properties(hPrinter, nullptr, nullptr, 0);
    DWORD cbValidated = RecordBytes(pDevMode);
    if (cbDriver > 0 && DWORD(cbDriver) > cbValidated)
        cbValidated = DWORD(cbDriver);
    std::unique_ptr<BYTE[]> info(new (std::nothrow) BYTE[cbInfo ? cbInfo : 1]);
    std::unique_ptr<BYTE[]> validated(new (std::nothrow) BYTE[cbValidated]());
    if (!info || !validated)
        return;
    if (!Calls::GetInfo2(hPrinter, info.get(), cbInfo, &cbInfo)) {
        TraceLog("GetPrinter%s - error %d\n", Calls::SUFFIX, GetLastError());
        return;
    }
    DM* pValidated = reinterpret_cast<DM*>(validated.get());
    if (Calls::Properties(hPrinter, pValidated, pDevMode, DM_IN_BUFFER | DM_OUT_BUFFER) < 0 ||
        !Calls::Fits(pValidated, cbValidated)) {
        // Storing an unfilled buffer would wipe the printer's settings: store the merge as it is.
        TraceLog("SetDevMode%s - DocumentProperties%s error %d\n", Calls::SUFFIX, Calls::SUFFIX, GetLastError());
        pValidated = pDevMode;
    }

    auto* pInfo2 = reinterpret_cast<typename Calls::INFO2*>(info.get());
    pInfo2->pDevMode = pValidated;
    if (Calls::SetInfo2(hPrinter, info.get()))
        TraceLog("SetDevMode%s - success\n", Calls::SUFFIX);
    else
        TraceLog("SetPrinter%s - error %d\n", Calls::SUFFIX, GetLastError());

    // Windows 9x keeps neither a global nor a per-user DEVMODE apart from the printer's.
    if constexpr (std::is_same<DM, DEVMODEW>::value) {
        PRINTER_INFO_8W info8 = {pValidated};
        if (SetPrinterW(hPrinter, 8, reinterpret_cast<BYTE*>(&info8), 0))
            TraceLog("SetDevModeW - Set Global - success\n");
        else
            TraceLog("SetPrinterW - Set Global - error %d\n", GetLastError());
        session.RemoveRegValue(HKEY_CURRENT_USER, L"Printers\\DevModePerUser", session.m_wszPrinterName);
    }
}

// The printer's current DEVMODE in the session's form, the profile merged into it and stored.
template <class DM>
void ApplyToPrinter(LMPROFJXP& session, HANDLE hPrinter, DEVMODEW* pProfile)
{
    using Calls = PrinterCalls<DM>;
    LONG cbSize = Calls::Properties(hPrinter, nullptr, nullptr, 0);
    if (cbSize <= 0)
        return;
    TraceLog("DEVMODE size = %d\n", cbSize);
    std::unique_ptr<BYTE[]> current(new (std::nothrow) BYTE[cbSize]());
    if (!current)
        return;
    DM* pCurrent = reinterpret_cast<DM*>(current.get());
    if (Calls::Properties(hPrinter, pCurrent, nullptr, DM_OUT_BUFFER) < 0) {
        TraceLog("ApplyDevMode2Printer - DocumentProperties error - %ld\n", GetLastError());
        return;
    }
    // The merge walks the current DEVMODE by its own sizes: they must lie inside the buffer.
    WORD dmSize, dmDriverExtra;
    if (!CurrentDevModeSizes(current.get(), size_t(cbSize), sizeof(DM) == sizeof(DEVMODEA), &dmSize, &dmDriverExtra))
        return;
    if (MergeDevMode(session, pCurrent, pProfile))
        SetDevMode(session, hPrinter, pCurrent);
}

}  // namespace

bool ReadDevModeSizes(const void* pRecord, size_t cb, bool bAnsi, WORD* pdmSize, WORD* pdmDriverExtra)
{
    ByteCursor cursor(pRecord, cb);
    uint16_t dmSize, dmDriverExtra;
    if (!cursor.Skip(bAnsi ? OFFA_SIZE : OFF_SIZE) || !cursor.U16(&dmSize) || !cursor.U16(&dmDriverExtra))
        return false;
    if (dmSize == 0 || size_t(dmSize) + dmDriverExtra > cb)
        return false;
    *pdmSize = dmSize;
    *pdmDriverExtra = dmDriverExtra;
    return true;
}

bool CurrentDevModeSizes(const void* pRecord, size_t cb, bool bAnsi, WORD* pdmSize, WORD* pdmDriverExtra)
{
    // A driver that answers a size too small for the public sizes has filled no DEVMODE: its
    // size fields would lie past the bytes it was given.
    if (cb < (bAnsi ? OFFA_DRIVER_EXTRA : OFF_DRIVER_EXTRA) + 2) {
        TraceLog("ApplyDevMode2Printer - DEVMODE size too small - %d\n", int(cb));
        return false;
    }
    if (!ReadDevModeSizes(pRecord, cb, bAnsi, pdmSize, pdmDriverExtra)) {
        TraceLog("ApplyDevMode2Printer - DocumentProperties error - %ld\n", GetLastError());
        return false;
    }
    return true;
}

bool LMPROFJXP::MergeDevModeW(DEVMODEW* pCurrent, DEVMODEW* pProfile)
{
    return MergeDevMode(*this, pCurrent, pProfile);
}

bool LMPROFJXP::MergeDevModeA(DEVMODEA* pCurrent, DEVMODEW* pProfile)
{
    return MergeDevMode(*this, pCurrent, pProfile);
}

DWORD LMPROFJXP::SetDevModeW(HANDLE hPrinter, DEVMODEW* pDevMode)
{
    SetDevMode(*this, hPrinter, pDevMode);
    return 0;
}

DWORD LMPROFJXP::SetDevModeA(HANDLE hPrinter, DEVMODEA* pDevMode)
{
    SetDevMode(*this, hPrinter, pDevMode);
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
    if (m_bAnsi)
        ApplyToPrinter<DEVMODEA>(*this, printer.Get(), pProfileDevMode);
    else
        ApplyToPrinter<DEVMODEW>(*this, printer.Get(), pProfileDevMode);
    return 0;
}
