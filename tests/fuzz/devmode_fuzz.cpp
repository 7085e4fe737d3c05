// Fuzz target: a print settings record (DEVMODEW public part plus the driver's private blocks)
// as the settings engine reads it from a driver, the spooler or a stored profile. The input is
// the record as it came, in a buffer of its own length. The engine's steps are taken with the
// codec's reads: the public sizes, the walk of the block chain that finds a block by its
// identifier, the main block's record fields and spans, and the plug-in blocks behind the main
// block as the export copies them and the import checks them again.
#include <vector>

#include "codec/byte_cursor.h"
#include "codec/devmode_layout.h"
#include "fuzz_support.h"

using namespace devmode;

namespace {

struct ChainBlock {
    size_t off;
    BlockHeader h;
};

void CheckSoundPromise(const BlockHeader& h, size_t off, size_t cbPrivate)
{
    if (!IsSoundBlock(h, off, cbPrivate))
        return;
    FUZZ_CHECK(h.dwSignature == BLOCK_SIGNATURE && h.dwSize >= BLOCK_HEADER_SIZE && off <= cbPrivate &&
                   h.dwSize <= cbPrivate - off,
               "block of %u bytes at %zu of %zu called sound", h.dwSize, off, cbPrivate);
}

// The chain from the start of the private area, walked as GetPlugInAddr walks it: a block that
// is not sound ends it, and so does the end of the area.
std::vector<ChainBlock> WalkChain(const uint8_t* pPrivate, size_t cbPrivate)
{
    std::vector<ChainBlock> chain;
    size_t off = 0;
    BlockHeader h;
    while (ReadBlockHeader(pPrivate, cbPrivate, off, &h)) {
        CheckSoundPromise(h, off, cbPrivate);
        if (!IsSoundBlock(h, off, cbPrivate))
            break;
        chain.push_back(ChainBlock{off, h});
        FUZZ_CHECK(chain.size() <= cbPrivate / BLOCK_HEADER_SIZE, "%zu blocks in %zu bytes", chain.size(), cbPrivate);
        off += h.dwSize;
        if (off >= cbPrivate)
            break;
    }
    return chain;
}

const ChainBlock* FindBlock(const std::vector<ChainBlock>& chain, uint16_t wId)
{
    for (const ChainBlock& b : chain) {
        if (b.h.wId == wId)
            return &b;
    }
    return nullptr;
}

// One DWORD record's field, as the export reads it and the import writes it back. The write
// goes into a copy of exactly the field's width, so a write wider than the field trips
// AddressSanitizer.
void CheckField(const DwordRecordDef& def, const uint8_t* pArea, size_t cbArea, uint32_t dwOther)
{
    FUZZ_CHECK(size_t(def.wOffset) + def.nWidth <= cbArea, "%s at %u+%u outside %zu bytes", def.pszName, def.wOffset,
               def.nWidth, cbArea);
    const uint8_t* pField = pArea + def.wOffset;
    uint32_t dwExported = ReadField(def, pField);

    // Exporting what an import wrote must give the value exported first, or the next export
    // reports a difference nobody made. A flag keeps only whether it is set.
    ExactCopy imported(pField, def.nWidth);
    WriteField(def, imported.Data(), dwExported);
    uint32_t dwAgain = ReadField(def, imported.Data());
    if (def.kind == FIELD_BOOL)
        FUZZ_CHECK((dwAgain != 0) == (dwExported != 0), "%s: %u exported, %u after the import", def.pszName,
                   dwExported, dwAgain);
    else
        FUZZ_CHECK(dwAgain == dwExported, "%s: %u exported, %u after the import", def.pszName, dwExported, dwAgain);

    // Any value from a file: only the field's own bits change.
    ExactCopy written(pField, def.nWidth);
    WriteField(def, written.Data(), dwOther);
    if (def.kind == FIELD_BITS)
        FUZZ_CHECK((GetU32(written.Data()) & ~def.dwMask) == (GetU32(pField) & ~def.dwMask),
                   "%s: %08x written changed bits outside %08x", def.pszName, dwOther, def.dwMask);
    uint32_t dwRead = ReadField(def, written.Data());
    ExactCopy rewritten(written.Data(), def.nWidth);
    WriteField(def, rewritten.Data(), dwRead);
    FUZZ_CHECK(memcmp(rewritten.Data(), written.Data(), def.nWidth) == 0, "%s: %08x does not settle", def.pszName,
               dwOther);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The engine writes private records into any main block of MAIN_BLOCK_MIN_SIZE bytes or
    // more without another check, and public records once dmSize covers them.
    for (size_t i = 0; i < kPrivateDwordRecordCount; ++i) {
        const DwordRecordDef& def = kPrivateDwordRecords[i];
        FUZZ_CHECK(def.bPrivate && size_t(def.wOffset) + def.nWidth <= MAIN_BLOCK_MIN_SIZE, "%s at %u+%u", def.pszName,
                   def.wOffset, def.nWidth);
        FUZZ_CHECK(FindDwordRecord(def.dwId) == &def, "record %u shadowed by another of its id", def.dwId);
    }
    for (size_t i = 0; i < kPublicDwordRecordCount; ++i)
        FUZZ_CHECK(FindDwordRecord(kPublicDwordRecords[i].dwId) == &kPublicDwordRecords[i],
                   "record %u shadowed by another of its id", kPublicDwordRecords[i].dwId);
    for (size_t i = 0; i < kBufferRecordCount; ++i) {
        const BufferRecordDef& def = kBufferRecords[i];
        FUZZ_CHECK(size_t(def.wOffset) + def.wLength <= MAIN_BLOCK_MIN_SIZE, "buffer record %u at %u+%u", def.dwId,
                   def.wOffset, def.wLength);
        FUZZ_CHECK(FindBufferRecord(def.dwId) == &def, "buffer record %u shadowed by another of its id", def.dwId);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cb)
{
    uint16_t dmSize = 0, dmDriverExtra = 0;
    if (!ReadRecordSizes(pData, cb, &dmSize, &dmDriverExtra))
        return 0;
    FUZZ_CHECK(dmSize >= PUBLIC_MIN_SIZE && size_t(dmSize) + dmDriverExtra <= cb, "sizes %u + %u accepted in %zu bytes",
               dmSize, dmDriverExtra, cb);

    // From here on the engine addresses the record by its own sizes only: hold it in exactly
    // that many bytes.
    ExactCopy record(pData, size_t(dmSize) + dmDriverExtra);
    const uint8_t* pPrivate = record.Data() + dmSize;
    size_t cbPrivate = dmDriverExtra;

    // Headers asked for at the edges of the private area, and far past them.
    const size_t edges[] = {cbPrivate - (cbPrivate < 16 ? cbPrivate : 16), cbPrivate - (cbPrivate < 15 ? cbPrivate : 15),
                            cbPrivate, cbPrivate + 1, SIZE_MAX - 8, SIZE_MAX};
    for (size_t off : edges) {
        BlockHeader h;
        if (ReadBlockHeader(pPrivate, cbPrivate, off, &h)) {
            FUZZ_CHECK(off <= cbPrivate && cbPrivate - off >= BLOCK_HEADER_SIZE, "header read at %zu of %zu", off,
                       cbPrivate);
            CheckSoundPromise(h, off, cbPrivate);
            // The same header claimed at an offset past the area is never sound.
            CheckSoundPromise(h, cbPrivate + 1, cbPrivate);
            // An offset whose sum with the block's size wraps to a small number.
            CheckSoundPromise(h, SIZE_MAX - (h.dwSize ? h.dwSize - 1 : 0), cbPrivate);
        }
    }

    std::vector<ChainBlock> chain = WalkChain(pPrivate, cbPrivate);

    // Public record fields the engine reads and writes once dmSize covers them.
    ExactCopy publicPart(record.Data(), dmSize);
    uint32_t dwOther = cb >= 4 ? GetU32(pData + cb - 4) : 0xFFFFFFFFu;
    for (size_t i = 0; i < kPublicDwordRecordCount; ++i) {
        const DwordRecordDef& def = kPublicDwordRecords[i];
        if (size_t(def.wOffset) + def.nWidth <= dmSize)
            CheckField(def, publicPart.Data(), dmSize, dwOther);
    }
    if (OFF_FORM_NAME + FORM_NAME_BYTES <= dmSize)
        TouchBytes(publicPart.Data() + OFF_FORM_NAME, FORM_NAME_BYTES);

    // The main block, found by its identifier, carries settings only when it is long enough for
    // every field the engine addresses in it.
    const ChainBlock* pMain = FindBlock(chain, PRIVATE_DATA_ID_MAIN);
    if (!pMain || pMain->h.dwSize < MAIN_BLOCK_MIN_SIZE)
        return 0;
    FUZZ_CHECK(pMain->off + pMain->h.dwSize <= cbPrivate, "main block at %zu+%u outside %zu", pMain->off,
               pMain->h.dwSize, cbPrivate);
    ExactCopy main(pPrivate + pMain->off, pMain->h.dwSize);
    for (size_t i = 0; i < kPrivateDwordRecordCount; ++i)
        CheckField(kPrivateDwordRecords[i], main.Data(), main.Size(), dwOther);
    for (size_t i = 0; i < kBufferRecordCount; ++i)
        TouchBytes(main.Data() + kBufferRecords[i].wOffset, kBufferRecords[i].wLength);

    // The plug-in blocks, walked as ForEachPlugIn walks them (from the main block's size on):
    // each one the export writes as a record must pass the import's check of that record.
    size_t off = pMain->h.dwSize;
    size_t nVisited = 0;
    BlockHeader h;
    while (off < cbPrivate && ReadBlockHeader(pPrivate, cbPrivate, off, &h) && IsSoundBlock(h, off, cbPrivate)) {
        ExactCopy exported(pPrivate + off, h.dwSize);
        BlockHeader stored;
        FUZZ_CHECK(ReadBlockHeader(exported.Data(), exported.Size(), 0, &stored) && stored.dwSize == exported.Size() &&
                       stored.wId == h.wId,
                   "plug-in block %u of %u bytes at %zu refused on import", h.wId, h.dwSize, off);
        ++nVisited;
        FUZZ_CHECK(nVisited <= cbPrivate / BLOCK_HEADER_SIZE, "%zu plug-ins in %zu bytes", nVisited, cbPrivate);
        off += h.dwSize;
    }
    return 0;
}
