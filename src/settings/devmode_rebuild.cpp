// A profile of a profile file rebuilt into a DEVMODE on top of the importing printer's default,
// and marked paper sizes and output bins turned into positions in this printer's lists.
#include <cstring>
#include <memory>
#include <new>

#include "codec/byte_cursor.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "settings/devmode_access.h"

using namespace devmode;

namespace {

// Larger lists than any driver has: a count beyond it is taken as a broken answer.
constexpr int MAX_CAPABILITY_ENTRIES = 32768;

const char NOT_HAPPENED[] = "ERROR - This will not be happened.\n";

}  // namespace

DWORD LMPROFJXP::LoadProfileDevModeFromJxp(const char* pszProfile, DEVMODEW* pOut)
{
    DWORD cbDefault = pOut ? GetDefaultDevMode(reinterpret_cast<BYTE*>(pOut)) : 0;
    if (cbDefault == 0 || !DevModeFits(pOut, cbDefault))
        return 0;
    const JxpEntryHeader* pEntry = reinterpret_cast<const JxpEntryHeader*>(m_pProfileEntry.get());
    DWORD cbDword = pEntry->dwDataSize[0];
    DWORD cbBuffer = pEntry->dwDataSize[1];
    std::unique_ptr<BYTE[]> dwordData(new (std::nothrow) BYTE[cbDword ? cbDword : 1]);
    std::unique_ptr<BYTE[]> bufferData(new (std::nothrow) BYTE[cbBuffer ? cbBuffer : 1]);
    if (!dwordData || !bufferData) {
        TraceLog("LMPROFJXP::LoadProfileDevModeFromJxp - out of memory - %d %d\n", cbDword, cbBuffer);
        return 0;
    }
    // Records applied from a section the file did not hold whole would be stale bytes.
    if (ReadJxpData(dwordData.get(), cbDword) != cbDword || ReadJxpData(bufferData.get(), cbBuffer) != cbBuffer) {
        TraceLog("LMPROFJXP::LoadProfileDevModeFromJxp - short read - %s\n", pszProfile);
        return 0;
    }
    CopyProfileToDevMode(pOut, dwordData.get(), bufferData.get());
    return cbDefault;
}

DWORD LMPROFJXP::CopyProfileToDevMode(DEVMODEW* pDevMode, const BYTE* pDwordData, const BYTE* pBufferData)
{
    TraceLog("LMPROFJXP::CopyProfileToDevMode\n");
    const JxpEntryHeader* pEntry = reinterpret_cast<const JxpEntryHeader*>(m_pProfileEntry.get());
    DWORD cbMain = 0;
    BYTE* pMain = MainBlockOf(*this, pDevMode, &cbMain);
    if (!pMain) {
        TraceLog("LMPROFJXP::CopyProfileToDevMode - no main block\n");
        return 0;
    }
    BYTE* pRecord = reinterpret_cast<BYTE*>(pDevMode);

    ByteCursor dwords(pDwordData, pDwordData ? pEntry->dwDataSize[0] : 0);
    uint32_t dwId = 0, dwValue = 0;
    while (dwords.Left() >= 8 && dwords.U32(&dwId) && dwords.U32(&dwValue)) {
        const DwordRecordDef* pDef = FindDwordRecord(dwId);
        if (!pDef || !pDef->bApplied) {
            TraceLog(NOT_HAPPENED);
            continue;
        }
        if (pDef->bPrivate)
            WriteField(*pDef, pMain + pDef->wOffset, dwValue);
        else if (DWORD(pDef->wOffset) + pDef->nWidth <= pDevMode->dmSize)
            WriteField(*pDef, pRecord + pDef->wOffset, dwValue);
    }

    ByteCursor buffers(pBufferData, pBufferData ? pEntry->dwDataSize[1] : 0);
    uint32_t cbRecord = 0;
    while (buffers.Left() >= 8) {
        buffers.U32(&dwId);
        buffers.U32(&cbRecord);
        TraceLog("*** %i, %ld\n", dwId, cbRecord);
        const uint8_t* pData = nullptr;
        if (!buffers.View(&pData, cbRecord)) {
            TraceLog("LMPROFJXP::CopyProfileToDevMode - record %d past the section end\n", dwId);
            break;
        }
        if (dwId == RECORD_FORM_NAME) {
            if (cbRecord > FORM_NAME_BYTES || OFF_FORM_NAME + FORM_NAME_BYTES > pDevMode->dmSize) {
                TraceLog("LMPROFJXP::CopyProfileToDevMode - record %d too long, %ld bytes\n", dwId, cbRecord);
                continue;
            }
            memcpy(pDevMode->dmFormName, pData, cbRecord);
        } else if (dwId == RECORD_PLUGIN) {
            BlockHeader stored;
            // A stored block must be a whole block: with its signature, or the chain would end
            // at it once it is in the DEVMODE.
            if (!ReadBlockHeader(pData, cbRecord, 0, &stored) || stored.dwSize != cbRecord ||
                stored.dwSignature != BLOCK_SIGNATURE) {
                TraceLog("FATAL ERROR - Plug-In data size incorrect\n");
                continue;
            }
            ForEachPlugIn(pDevMode, pMain, cbMain, [&](BYTE* pBlock, const BlockHeader& h) {
                if (h.wId != stored.wId)
                    return;
                TraceLog("PD Block = %x %x %d %d\n", h.dwSignature, h.dwSize, h.wId, h.wTraced);
                if (const char* pszFound = FoundLine(h.wId))
                    TraceLog("%s", pszFound);
                if (h.dwSize == stored.dwSize)
                    memcpy(pBlock, pData, cbRecord);
                else
                    TraceLog("FATAL ERROR - Plug-In data size incorrect\n");
            });
        } else if (const BufferRecordDef* pDef = FindBufferRecord(dwId)) {
            // A record longer than its span would overwrite the neighbouring settings.
            if (cbRecord > pDef->wLength) {
                TraceLog("LMPROFJXP::CopyProfileToDevMode - record %d too long, %ld bytes\n", dwId, cbRecord);
                continue;
            }
            memcpy(pMain + pDef->wOffset, pData, cbRecord);
        } else {
            TraceLog(NOT_HAPPENED);
        }
    }
    return 0;
}

std::unique_ptr<WORD[]> LMPROFJXP::GetCapabilityList(WORD wCapability, int* pnCount)
{
    *pnCount = 0;
    // Sized by a first call: a driver may list more entries than any fixed list would hold.
    int nCount = m_bAnsi ? DeviceCapabilitiesA(m_tszPrinterName, nullptr, wCapability, nullptr, nullptr)
                         : DeviceCapabilitiesW(m_wszPrinterName, nullptr, wCapability, nullptr, nullptr);
    if (nCount <= 0 || nCount > MAX_CAPABILITY_ENTRIES)
        return nullptr;
    std::unique_ptr<WORD[]> list(new (std::nothrow) WORD[nCount]);
    if (!list)
        return nullptr;
    int nFilled = m_bAnsi ? DeviceCapabilitiesA(m_tszPrinterName, nullptr, wCapability,
                                                reinterpret_cast<char*>(list.get()), nullptr)
                          : DeviceCapabilitiesW(m_wszPrinterName, nullptr, wCapability,
                                                reinterpret_cast<wchar_t*>(list.get()), nullptr);
    if (nFilled <= 0)
        return nullptr;
    *pnCount = nFilled < nCount ? nFilled : nCount;
    return list;
}

namespace {

// Turns a marked identifier (1000 or more) at a main-block offset into the position of that
// identifier in the printer's list, 0 when the list lacks it.
void RestoreIndex(LMPROFJXP& session, DEVMODEW* pDevMode, size_t off, WORD wCapability, bool bTwice,
                  const char* pszBefore, const char* pszAfter)
{
    BYTE* pMain = MainBlockOf(session, pDevMode, nullptr);
    if (!pMain)
        return;
    WORD wStored = GetU16(pMain + off);
    if (wStored < 1000)
        return;
    TraceLog(pszBefore, wStored);
    WORD wId = WORD(wStored - 1000);
    if (bTwice && wId >= 1000)
        wId = WORD(wId - 1000);
    int nCount = 0;
    std::unique_ptr<WORD[]> list = session.GetCapabilityList(wCapability, &nCount);
    WORD wPosition = 0;
    for (int i = 0; i < nCount; ++i) {
        if (list[i] == wId) {
            wPosition = WORD(i);
            break;
        }
    }
    PutU16(pMain + off, wPosition);
    TraceLog(pszAfter, wPosition);
}

}  // namespace

void LMPROFJXP::RestoreDevMode(DEVMODEW* pDevMode)
{
    TraceLog("LMPROFJXP::RestoreDevMode\n");
    RestorePrintSize(pDevMode);
    RestoreOutputBin(pDevMode);
}

void LMPROFJXP::RestorePrintSize(DEVMODEW* pDevMode)
{
    RestoreIndex(*this, pDevMode, 376, DC_PAPERS, true, "RestorePrintSize before %d\n", "RestorePrintSize to %d\n");
}

void LMPROFJXP::RestoreOutputBin(DEVMODEW* pDevMode)
{
    RestoreIndex(*this, pDevMode, 404, 1001, false, "RestoreOutputBin before %d\n", "RestoreOutputBin to %d\n");
}
