// A profile's DEVMODE written into a profile file as its differences from the session's
// default DEVMODE: DWORD records for single settings, buffer records for the form name, spans
// of the main block and whole plug-in blocks.
#include <cwchar>
#include <memory>
#include <new>

#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "settings/devmode_access.h"

using namespace devmode;

namespace {

// Appends records to a section, or only adds up its size when there is no output. Writes
// never pass the capacity the caller allocated.
class SectionWriter {
public:
    SectionWriter(BYTE* pOut, DWORD cbCapacity) : m_pOut(pOut), m_cbCapacity(cbCapacity), m_cbSize(0) {}
    BYTE* Next(DWORD cbRecord)
    {
        BYTE* p = nullptr;
        if (m_pOut && m_cbSize <= m_cbCapacity && cbRecord <= m_cbCapacity - m_cbSize)
            p = m_pOut + m_cbSize;
        return p;
    }
    void Advance(DWORD cbRecord) { m_cbSize += cbRecord; }
    bool Skipped(const BYTE* p) const { return m_pOut && !p; }
    DWORD Size() const { return m_cbSize; }

private:
    BYTE* m_pOut;
    DWORD m_cbCapacity;
    DWORD m_cbSize;
};

// A public field, when the record's public part is long enough to hold it.
const BYTE* PublicField(const DwordRecordDef& def, const BYTE* pRecord, DWORD dmSize)
{
    return DWORD(def.wOffset) + def.nWidth <= dmSize ? pRecord + def.wOffset : nullptr;
}

}  // namespace

DWORD LMPROFJXP::MakeDevModeDwordData(DEVMODEW* pDevMode, BYTE* pOut, DWORD cbCapacity)
{
    DEVMODEW* pDefault = reinterpret_cast<DEVMODEW*>(m_pDefaultDevMode.get());
    SectionWriter out(pOut, cbCapacity);
    TraceLog("*** Public DevMode data\n");
    if (!pDevMode || !pDefault || !DevModeFits(pDefault, m_dwDefaultDevModeSize))
        return 0;

    auto emit = [&](const DwordRecordDef& def, const BYTE* pField, const BYTE* pDefaultField) {
        uint32_t dwValue = ReadField(def, pField);
        uint32_t dwDefault = ReadField(def, pDefaultField);
        if (dwValue == dwDefault)
            return;
        TraceLog("%s, %d %d(default)\n", def.pszName, dwValue, dwDefault);
        BYTE* pDest = out.Next(8);
        if (!out.Skipped(pDest))
            AddDWORD(def.dwId, dwValue, pDest);
        out.Advance(8);
    };

    const BYTE* pRecord = reinterpret_cast<const BYTE*>(pDevMode);
    const BYTE* pDefaultRecord = reinterpret_cast<const BYTE*>(pDefault);
    for (size_t i = 0; i < kPublicDwordRecordCount; ++i) {
        const DwordRecordDef& def = kPublicDwordRecords[i];
        const BYTE* pField = PublicField(def, pRecord, pDevMode->dmSize);
        const BYTE* pDefaultField = PublicField(def, pDefaultRecord, pDefault->dmSize);
        if (pField && pDefaultField)
            emit(def, pField, pDefaultField);
    }

    TraceLog("*** Private DevMode data\n");
    DWORD cbMain = 0, cbDefaultMain = 0;
    BYTE* pMain = MainBlockOf(*this, pDevMode, &cbMain);
    BYTE* pDefaultMain = MainBlockOf(*this, pDefault, &cbDefaultMain);
    if (!pMain || !pDefaultMain)
        return out.Size();
    for (size_t i = 0; i < kPrivateDwordRecordCount; ++i) {
        const DwordRecordDef& def = kPrivateDwordRecords[i];
        emit(def, pMain + def.wOffset, pDefaultMain + def.wOffset);
    }
    return out.Size();
}

DWORD LMPROFJXP::MakeDevModeBufferData(DEVMODEW* pDevMode, BYTE* pOut, DWORD cbCapacity)
{
    DEVMODEW* pDefault = reinterpret_cast<DEVMODEW*>(m_pDefaultDevMode.get());
    SectionWriter out(pOut, cbCapacity);
    TraceLog("*** Public DevMode data\n");
    if (!pDevMode || !pDefault || !DevModeFits(pDefault, m_dwDefaultDevModeSize))
        return 0;

    auto emit = [&](DWORD dwId, const BYTE* pSource, DWORD cb) {
        BYTE* pDest = out.Next(8 + cb);
        if (!out.Skipped(pDest))
            AddBuffer(dwId, pSource, cb, pDest);
        out.Advance(8 + cb);
    };

    // The form name as far as its terminator, which travels with it; a name that fills the
    // whole field travels without one.
    if (pDevMode->dmSize >= OFF_FORM_NAME + FORM_NAME_BYTES && pDefault->dmSize >= OFF_FORM_NAME + FORM_NAME_BYTES) {
        size_t nUnits = wcsnlen(pDevMode->dmFormName, CCHFORMNAME);
        size_t nDefaultUnits = wcsnlen(pDefault->dmFormName, CCHFORMNAME);
        if (nUnits != nDefaultUnits || wmemcmp(pDevMode->dmFormName, pDefault->dmFormName, nUnits) != 0) {
            size_t nWithZero = nUnits < CCHFORMNAME ? nUnits + 1 : nUnits;
            emit(RECORD_FORM_NAME, reinterpret_cast<const BYTE*>(pDevMode->dmFormName), DWORD(nWithZero * 2));
        }
    }

    TraceLog("*** Private DevMode data\n");
    DWORD cbMain = 0, cbDefaultMain = 0;
    BYTE* pMain = MainBlockOf(*this, pDevMode, &cbMain);
    BYTE* pDefaultMain = MainBlockOf(*this, pDefault, &cbDefaultMain);
    if (!pMain)
        return out.Size();
    // The main block's buffers are differences from the default's; the plug-ins travel whole
    // and need only the profile's own main block to be found.
    for (size_t i = 0; pDefaultMain && i < kBufferRecordCount; ++i) {
        const BufferRecordDef& def = kBufferRecords[i];
        if (BuffersDiffer(pMain + def.wOffset, pDefaultMain + def.wOffset, def.wLength))
            emit(def.dwId, pMain + def.wOffset, def.wLength);
    }

    TraceLog("*** Private DevMode data - Plug-ins\n");
    ForEachPlugIn(pDevMode, pMain, cbMain, [&](BYTE* pBlock, const BlockHeader& h) {
        TraceLog("PD Block = %x %x %d %d\n", h.dwSignature, h.dwSize, h.wId, h.wTraced);
        if (const char* pszFound = FoundLine(h.wId))
            TraceLog("%s", pszFound);
        emit(RECORD_PLUGIN, pBlock, h.dwSize);
    });
    return out.Size();
}

bool LMPROFJXP::SaveProfileDevmodeToJxp(DEVMODEW* pDevMode)
{
    JxpEntryHeader* pEntry = reinterpret_cast<JxpEntryHeader*>(m_pProfileEntry.get());
    struct Section {
        int nIndex;
        const char* pszTrace;
        DWORD (LMPROFJXP::*pfnMake)(DEVMODEW*, BYTE*, DWORD);
    } sections[] = {
        {0, "SaveProfileDevmodeToJxp - DWORD - %ld bytes written, nSize = %d\n", &LMPROFJXP::MakeDevModeDwordData},
        {1, "SaveProfileDevmodeToJxp - Buffer - %ld bytes written, nSize = %d\n", &LMPROFJXP::MakeDevModeBufferData},
    };
    for (const Section& section : sections) {
        DWORD cbSize = (this->*section.pfnMake)(pDevMode, nullptr, 0);
        if (cbSize == 0)
            continue;
        std::unique_ptr<BYTE[]> data(new (std::nothrow) BYTE[cbSize]);
        if (!data) {
            TraceLog("SaveProfileDevmodeToJxp - out of memory - %d\n", cbSize);
            return false;
        }
        DWORD cbFilled = (this->*section.pfnMake)(pDevMode, data.get(), cbSize);
        DWORD cbWritten = 0;
        BOOL bOk = cbFilled == cbSize && WriteFile(m_hJxpFile.Get(), data.get(), cbSize, &cbWritten, nullptr);
        TraceLog(section.pszTrace, cbWritten, cbSize);
        // A section the file did not take whole must not be described as written: the entry
        // would then point the reader into the next profile.
        if (!bOk || cbWritten != cbSize) {
            TraceLog("SaveProfileDevmodeToJxp - write error - %ld\n", GetLastError());
            return false;
        }
        pEntry->dwDataSize[section.nIndex] = cbSize;
    }
    return true;
}
