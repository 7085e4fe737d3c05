// Fuzz target: a print settings record (DEVMODEW public part plus the driver's private blocks)
// as the settings engine reads it from a driver, the spooler or a stored profile. The input is
// the record as it came, in a buffer of its own length. The engine's own steps are taken: the
// codec's reads of the public sizes, the codec's walks of the block chain that the DLL makes
// (FindBlock behind GetPlugInAddr, ForEachBlockAfter behind ForEachPlugIn, ForEachBlockFrom
// behind the merge), the main block's record fields and spans, and the plug-in blocks behind
// the main block as the export copies them and the import checks them again.
#include <algorithm>
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

// Blocks visited by one of the walks, each at its own offset, with the header found there.
std::vector<ChainBlock> VisitFrom(const uint8_t* pPrivate, size_t cbPrivate, size_t off)
{
    std::vector<ChainBlock> visited;
    size_t n = ForEachBlockFrom(pPrivate, cbPrivate, off, [&](size_t offBlock, const BlockHeader& h) {
        visited.push_back(ChainBlock{offBlock, h});
    });
    FUZZ_CHECK(n == visited.size(), "%zu blocks counted, %zu visited", n, visited.size());
    return visited;
}

// What every walk promises for the blocks it visited from offset off: the first at off, each
// next one where the one before ends, every one sound, at most one block a header's length,
// and the walk stopped only where no sound block follows.
void CheckVisits(const std::vector<ChainBlock>& visited, const uint8_t* pPrivate, size_t cbPrivate, size_t off)
{
    FUZZ_CHECK(visited.size() <= cbPrivate / BLOCK_HEADER_SIZE, "%zu blocks in %zu bytes", visited.size(), cbPrivate);
    size_t next = off;
    for (const ChainBlock& b : visited) {
        FUZZ_CHECK(b.off == next, "block visited at %zu, the chain continues at %zu", b.off, next);
        BlockHeader h;
        FUZZ_CHECK(ReadBlockHeader(pPrivate, cbPrivate, b.off, &h) && memcmp(&h, &b.h, sizeof(h)) == 0,
                   "header at %zu handed out differently", b.off);
        FUZZ_CHECK(IsSoundBlock(b.h, b.off, cbPrivate), "block at %zu of %u bytes visited but not sound", b.off,
                   b.h.dwSize);
        CheckSoundPromise(b.h, b.off, cbPrivate);
        next = b.off + b.h.dwSize;
    }
    BlockHeader h;
    FUZZ_CHECK(!ReadBlockHeader(pPrivate, cbPrivate, next, &h) || !IsSoundBlock(h, next, cbPrivate),
               "walk stopped at %zu before a sound block of %u bytes", next, h.dwSize);
}

// The lookup by identifier: every header it read is reported, from the start of the area on;
// it moves only through sound blocks of other identifiers, and answers the first block of the
// identifier, or nothing when the chain ends first.
bool CheckFind(const uint8_t* pPrivate, size_t cbPrivate, uint16_t wId, ChainBlock* pFound)
{
    std::vector<ChainBlock> seen;
    size_t off = SIZE_MAX;
    BlockHeader h = {};
    bool bFound = FindBlock(pPrivate, cbPrivate, wId, &off, &h, [&](size_t offBlock, const BlockHeader& hSeen) {
        seen.push_back(ChainBlock{offBlock, hSeen});
    });
    size_t next = 0;
    for (size_t i = 0; i < seen.size(); ++i) {
        const ChainBlock& b = seen[i];
        FUZZ_CHECK(b.off == next, "header read at %zu, the chain continues at %zu", b.off, next);
        CheckSoundPromise(b.h, b.off, cbPrivate);
        bool bLast = i + 1 == seen.size();
        if (!bLast) {
            FUZZ_CHECK(IsSoundBlock(b.h, b.off, cbPrivate) && b.h.wId != wId,
                       "walk went on past the block at %zu (id %u, %u bytes)", b.off, b.h.wId, b.h.dwSize);
        }
        next = b.off + b.h.dwSize;
    }
    FUZZ_CHECK(seen.size() <= cbPrivate / BLOCK_HEADER_SIZE + 1, "%zu headers in %zu bytes", seen.size(), cbPrivate);
    BlockHeader hNext;
    if (bFound) {
        FUZZ_CHECK(!seen.empty() && seen.back().off == off && memcmp(&seen.back().h, &h, sizeof(h)) == 0 &&
                       h.wId == wId && IsSoundBlock(h, off, cbPrivate),
                   "block %u answered at %zu", wId, off);
        *pFound = ChainBlock{off, h};
    } else if (seen.empty()) {
        FUZZ_CHECK(!ReadBlockHeader(pPrivate, cbPrivate, 0, &hNext), "no header read from a readable area");
    } else {
        const ChainBlock& last = seen.back();
        // The chain ended at a block that is not sound, or after the last sound one.
        FUZZ_CHECK(!IsSoundBlock(last.h, last.off, cbPrivate) ||
                       (last.h.wId != wId && !ReadBlockHeader(pPrivate, cbPrivate, next, &hNext)),
                   "block %u not found, the walk ended at %zu", wId, last.off);
    }
    return bFound;
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

    // The whole chain, and the lookup for an identifier it does not hold (there are more
    // identifiers than blocks fit in the area) reads exactly its headers and one past them.
    std::vector<ChainBlock> chain = VisitFrom(pPrivate, cbPrivate, 0);
    CheckVisits(chain, pPrivate, cbPrivate, 0);
    uint16_t wAbsent = 0;
    while (std::any_of(chain.begin(), chain.end(), [&](const ChainBlock& b) { return b.h.wId == wAbsent; }))
        ++wAbsent;
    ChainBlock found;
    FUZZ_CHECK(!CheckFind(pPrivate, cbPrivate, wAbsent, &found), "block %u found outside the chain", wAbsent);
    // Every block of the chain is found, at its first occurrence.
    for (const ChainBlock& b : chain) {
        FUZZ_CHECK(CheckFind(pPrivate, cbPrivate, b.h.wId, &found) && found.off <= b.off, "block %u at %zu not found",
                   b.h.wId, b.off);
    }

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
    ChainBlock mainBlock;
    if (!CheckFind(pPrivate, cbPrivate, PRIVATE_DATA_ID_MAIN, &mainBlock) || mainBlock.h.dwSize < MAIN_BLOCK_MIN_SIZE)
        return 0;
    ExactCopy main(pPrivate + mainBlock.off, mainBlock.h.dwSize);
    for (size_t i = 0; i < kPrivateDwordRecordCount; ++i)
        CheckField(kPrivateDwordRecords[i], main.Data(), main.Size(), dwOther);
    for (size_t i = 0; i < kBufferRecordCount; ++i)
        TouchBytes(main.Data() + kBufferRecords[i].wOffset, kBufferRecords[i].wLength);

    // The plug-in blocks, walked as the export and the import walk them: the blocks of the
    // chain behind the main block, wherever it stands. Each one the export writes as a record
    // must pass the import's check of that record.
    std::vector<ChainBlock> plugIns;
    ForEachBlockAfter(pPrivate, cbPrivate, mainBlock.off, mainBlock.h.dwSize, [&](size_t off, const BlockHeader& h) {
        plugIns.push_back(ChainBlock{off, h});
        ExactCopy exported(pPrivate + off, h.dwSize);
        BlockHeader stored;
        FUZZ_CHECK(ReadBlockHeader(exported.Data(), exported.Size(), 0, &stored) && stored.dwSize == exported.Size() &&
                       stored.wId == h.wId && stored.dwSignature == BLOCK_SIGNATURE,
                   "plug-in block %u of %u bytes at %zu refused on import", h.wId, h.dwSize, off);
    });
    CheckVisits(plugIns, pPrivate, cbPrivate, mainBlock.off + mainBlock.h.dwSize);
    size_t iMain = 0;
    while (iMain < chain.size() && chain[iMain].off != mainBlock.off)
        ++iMain;
    FUZZ_CHECK(iMain < chain.size() && plugIns.size() == chain.size() - iMain - 1,
               "%zu plug-ins behind the main block at %zu, the chain holds %zu blocks", plugIns.size(), mainBlock.off,
               chain.size());

    // A block said to lie past the area, or to reach past it, has no blocks behind it.
    const size_t offsets[] = {cbPrivate, cbPrivate + 1, SIZE_MAX - 8, SIZE_MAX};
    for (size_t off : offsets) {
        FUZZ_CHECK(ForEachBlockAfter(pPrivate, cbPrivate, off, 16, [](size_t, const BlockHeader&) {}) == 0,
                   "blocks visited behind offset %zu of %zu", off, cbPrivate);
    }
    FUZZ_CHECK(ForEachBlockAfter(pPrivate, cbPrivate, mainBlock.off, SIZE_MAX - mainBlock.off,
                                 [](size_t, const BlockHeader&) {}) == 0,
               "blocks visited behind a block whose size wraps");
    return 0;
}
