// Fuzz target: a ".jxp" profile file as the listing, the search and the import read it. The
// input is the whole file. The header is checked, the entries are walked over the file image,
// every walked entry's four sections are decoded with the record readers the import uses, and
// every profile name the walk met is looked up again through JxpFindProfile.
#include <string>
#include <vector>

#include "codec/jxp_format.h"
#include "fuzz_support.h"

namespace {

struct WalkedEntry {
    uint64_t qwEntry;   // offset of the entry header
    uint64_t qwData;    // offset of its DWORD section
    uint8_t entry[JXP_ENTRY_SIZE];
};

// The name field when it holds a terminator; a name field filled to its end names nothing.
bool EntryName(const uint8_t* pEntry, std::string* pName)
{
    const char* pField = reinterpret_cast<const char*>(pEntry);
    size_t n = FieldLength(pField, sizeof(JxpEntryHeader::szProfileName));
    if (n == sizeof(JxpEntryHeader::szProfileName))
        return false;
    pName->assign(pField, n);
    return true;
}

// The DWORD section as CopyProfileToDevMode consumes it: every whole 8-byte record, and a cut
// tail left unread.
void DecodeDwordSection(const ExactCopy& span)
{
    ByteCursor cursor(span.Data(), span.Size());
    size_t nRecords = 0;
    for (;;) {
        const uint8_t* pBefore = cursor.p;
        uint32_t dwId = 0, dwValue = 0;
        if (!JxpReadDwordRecord(cursor, &dwId, &dwValue)) {
            FUZZ_CHECK(cursor.p == pBefore, "a failed DWORD read moved the cursor by %td", cursor.p - pBefore);
            break;
        }
        FUZZ_CHECK(cursor.p == pBefore + JXP_DWORD_RECORD_BYTES, "a DWORD record took %td bytes", cursor.p - pBefore);
        ++nRecords;
    }
    FUZZ_CHECK(nRecords == span.Size() / JXP_DWORD_RECORD_BYTES, "%zu DWORD records read from %zu bytes", nRecords,
               span.Size());
}

// The buffer section: records of an id, a length and that many bytes, until one is cut.
void DecodeBufferSection(const ExactCopy& span)
{
    ByteCursor cursor(span.Data(), span.Size());
    size_t nRecords = 0;
    for (;;) {
        const uint8_t* pBefore = cursor.p;
        JxpBufferRecord rec;
        if (!JxpReadBufferRecord(cursor, &rec)) {
            FUZZ_CHECK(cursor.p == pBefore, "a failed buffer read moved the cursor by %td", cursor.p - pBefore);
            // Refused only when the record really does not fit what is left.
            size_t nLeft = cursor.Left();
            FUZZ_CHECK(nLeft < JXP_BUFFER_RECORD_HEAD_BYTES || GetU32(pBefore + 4) > nLeft - JXP_BUFFER_RECORD_HEAD_BYTES,
                       "a whole buffer record was refused, %zu bytes left", nLeft);
            break;
        }
        FUZZ_CHECK(rec.pData == pBefore + JXP_BUFFER_RECORD_HEAD_BYTES, "buffer data does not follow its head");
        FUZZ_CHECK(rec.pData + rec.cbData == cursor.p && cursor.p <= cursor.end,
                   "buffer record of %u bytes ends outside the section", rec.cbData);
        TouchBytes(rec.pData, rec.cbData);
        ++nRecords;
        FUZZ_CHECK(nRecords <= span.Size() / JXP_BUFFER_RECORD_HEAD_BYTES, "more buffer records than heads fit");
    }
}

void CheckValueRecord(const JxpValueRecord& rec, const uint8_t* pBefore, const ByteCursor& cursor)
{
    const void* pZero = memchr(rec.szValueName, 0, sizeof(rec.szValueName));
    FUZZ_CHECK(pZero, "a value name came back without its terminator");
    size_t nName = strlen(rec.szValueName);
    FUZZ_CHECK(memcmp(rec.szValueName, pBefore, nName + 1) == 0, "value name differs from the file's bytes");
    FUZZ_CHECK(rec.pData == pBefore + JXP_VALUE_HEADER_BYTES, "value data does not follow its header");
    FUZZ_CHECK(rec.pData + rec.cbData == cursor.p && cursor.p <= cursor.end,
               "value record of %u bytes ends outside the section", rec.cbData);
    TouchBytes(rec.pData, rec.cbData);
}

// The value section as the import reads it before it stores anything: records until the span
// is used up or one is damaged.
void DecodeValueSection(const ExactCopy& span)
{
    ByteCursor cursor(span.Data(), span.Size());
    size_t nRecords = 0;
    while (cursor.Left() > 0) {
        const uint8_t* pBefore = cursor.p;
        JxpValueRecord rec;
        if (!JxpReadValueRecord(cursor, &rec)) {
            FUZZ_CHECK(cursor.p == pBefore, "a failed value read moved the cursor by %td", cursor.p - pBefore);
            break;
        }
        CheckValueRecord(rec, pBefore, cursor);
        ++nRecords;
        FUZZ_CHECK(nRecords <= span.Size() / JXP_VALUE_HEADER_BYTES, "more value records than headers fit");
    }
}

// The setup section holds one value record.
void DecodeSetupSection(const ExactCopy& span)
{
    ByteCursor cursor(span.Data(), span.Size());
    const uint8_t* pBefore = cursor.p;
    JxpValueRecord rec;
    if (JxpReadValueRecord(cursor, &rec))
        CheckValueRecord(rec, pBefore, cursor);
    else
        FUZZ_CHECK(cursor.p == pBefore, "a failed setup read moved the cursor");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cb)
{
    JxpHeaderCheck check = JxpCheckFileHeader(pData, cb);
    FUZZ_CHECK(check != JXP_HEADER_OK || (cb >= JXP_HEADER_SIZE && memcmp(pData, "JXP", 3) == 0),
               "header of %zu bytes accepted", cb);

    // The walk needs a whole header to start from; a cut file still walks, over a header padded
    // with zeros, to show the walk notices the cut itself.
    uint8_t head[JXP_HEADER_SIZE] = {};
    memcpy(head, pData, cb < sizeof(head) ? cb : sizeof(head));

    uint8_t grownHead[JXP_HEADER_SIZE];
    memcpy(grownHead, head, sizeof(head));
    int nBefore = JxpProfileCount(head);
    bool bGrown = JxpAddProfileCount(grownHead);
    if (nBefore >= 0 && nBefore < JXP_MAX_PROFILES)
        FUZZ_CHECK(bGrown && JxpProfileCount(grownHead) == nBefore + 1, "count %d not raised", nBefore);
    else
        FUZZ_CHECK(!bGrown && memcmp(grownHead, head, sizeof(head)) == 0, "count %d raised past its limit", nBefore);

    JxpImage image{pData, cb};
    JxpReader reader = JxpImageReader(&image);
    JxpWalk walk = JxpWalkStart(head);
    FUZZ_CHECK(walk.nCount >= 0 && walk.nCount <= JXP_MAX_PROFILES, "walk announces %d entries", walk.nCount);

    std::vector<WalkedEntry> entries;
    JxpWalkStep last;
    for (;;) {
        WalkedEntry seen;
        seen.qwEntry = walk.qwNext;
        int nIndex = walk.nIndex;
        uint64_t qwData = UINT64_MAX;
        JxpWalkStep step = JxpWalkNext(reader, &walk, seen.entry, &qwData);
        if (step == JXP_WALK_ENTRY) {
            FUZZ_CHECK(walk.nIndex == nIndex + 1, "walk index %d after %d", walk.nIndex, nIndex);
            FUZZ_CHECK(seen.qwEntry + JXP_ENTRY_SIZE <= cb, "entry at %llu past the end of %zu bytes",
                       (unsigned long long)seen.qwEntry, cb);
            FUZZ_CHECK(memcmp(seen.entry, pData + seen.qwEntry, JXP_ENTRY_SIZE) == 0,
                       "entry header differs from the file's bytes");
            FUZZ_CHECK(qwData == seen.qwEntry + JXP_ENTRY_SIZE, "data of entry %d not behind its header", nIndex);
            FUZZ_CHECK(walk.qwNext == qwData + JxpSectionsLength(seen.entry) && walk.qwNext <= cb,
                       "entry %d ends at %llu of %zu", nIndex, (unsigned long long)walk.qwNext, cb);
            seen.qwData = qwData;
            entries.push_back(seen);
            continue;
        }
        FUZZ_CHECK(walk.nIndex == nIndex && walk.qwNext == seen.qwEntry, "the walk moved on after step %d", step);
        switch (step) {
        case JXP_WALK_END:
            FUZZ_CHECK(nIndex >= walk.nCount, "walk ended at %d of %d", nIndex, walk.nCount);
            break;
        case JXP_WALK_HEADER_CUT:
            FUZZ_CHECK(cb < JXP_HEADER_SIZE, "header of %zu bytes called cut", cb);
            break;
        case JXP_WALK_ENTRY_CUT:
            FUZZ_CHECK(cb >= JXP_HEADER_SIZE && seen.qwEntry + JXP_ENTRY_SIZE > cb,
                       "entry at %llu of %zu called cut", (unsigned long long)seen.qwEntry, cb);
            break;
        case JXP_WALK_DATA_PAST_END:
            FUZZ_CHECK(qwData == seen.qwEntry + JXP_ENTRY_SIZE && qwData <= cb &&
                           qwData + JxpSectionsLength(seen.entry) > cb,
                       "entry at %llu called past the end of %zu", (unsigned long long)seen.qwEntry, cb);
            break;
        default:
            FUZZ_CHECK(false, "unknown walk step %d", step);
        }
        // Callers loop until a step other than an entry: asking again must say the same.
        uint8_t again[JXP_ENTRY_SIZE];
        uint64_t qwAgain = 0;
        FUZZ_CHECK(JxpWalkNext(reader, &walk, again, &qwAgain) == step, "the walk changed its mind after %d", step);
        last = step;
        break;
    }
    size_t nFit = cb < JXP_HEADER_SIZE ? 0 : (cb - JXP_HEADER_SIZE) / JXP_ENTRY_SIZE;
    FUZZ_CHECK(entries.size() <= nFit, "%zu entries walked where %zu fit", entries.size(), nFit);

    for (const WalkedEntry& e : entries) {
        uint64_t qwSection = e.qwData;
        for (int s = 0; s < JXP_SECTIONS; ++s) {
            uint32_t cbSection = JxpSectionLength(e.entry, s);
            ExactCopy span(pData + qwSection, cbSection);
            switch (s) {
            case JXP_SECTION_DWORD: DecodeDwordSection(span); break;
            case JXP_SECTION_BUFFER: DecodeBufferSection(span); break;
            case JXP_SECTION_VALUE: DecodeValueSection(span); break;
            case JXP_SECTION_SETUP: DecodeSetupSection(span); break;
            }
            qwSection += cbSection;
        }
    }

    // Every name the walk met is found again, at its first entry, with the position behind the
    // sections asked to be skipped; a skip outside 0..4 gives no position.
    for (size_t i = 0; i < entries.size(); ++i) {
        std::string name;
        uint8_t found[JXP_ENTRY_SIZE];
        int nIndex = -1;
        uint64_t qwPosition = UINT64_MAX;
        if (!EntryName(entries[i].entry, &name)) {
            // The whole 32-byte field as a name: it must match no entry.
            std::string whole(reinterpret_cast<const char*>(entries[i].entry), sizeof(JxpEntryHeader::szProfileName));
            FUZZ_CHECK(!JxpEntryNameIs(entries[i].entry, whole.c_str()), "an unterminated name matched");
            JxpWalkStep step = JxpFindProfile(reader, head, whole.c_str(), 0, found, &nIndex, &qwPosition);
            FUZZ_CHECK(step != JXP_WALK_ENTRY, "an unterminated name was found at entry %d", nIndex);
            continue;
        }
        size_t nFirst = 0;
        std::string other;
        while (!(EntryName(entries[nFirst].entry, &other) && other == name))
            ++nFirst;
        int nSkip = int(i % 7) - 1;   // -1 to 5
        JxpWalkStep step = JxpFindProfile(reader, head, name.c_str(), nSkip, found, &nIndex, &qwPosition);
        if (nSkip < 0 || nSkip > JXP_SECTIONS) {
            FUZZ_CHECK(step != JXP_WALK_ENTRY, "skip %d gave a position", nSkip);
            continue;
        }
        FUZZ_CHECK(step == JXP_WALK_ENTRY, "entry %zu \"%s\" not found (step %d)", i, name.c_str(), step);
        FUZZ_CHECK(nIndex == int(nFirst), "\"%s\" found at %d, first at %zu", name.c_str(), nIndex, nFirst);
        FUZZ_CHECK(memcmp(found, entries[nFirst].entry, JXP_ENTRY_SIZE) == 0, "found entry's header differs");
        uint64_t qwExpected = entries[nFirst].qwData + JxpSectionsLength(entries[nFirst].entry, nSkip);
        FUZZ_CHECK(qwPosition == qwExpected && qwPosition <= cb, "position %llu, expected %llu",
                   (unsigned long long)qwPosition, (unsigned long long)qwExpected);
    }

    // A name no walked entry bears ends the search where the walk ended.
    {
        std::string absent = "\x7f";
        for (const WalkedEntry& e : entries) {
            std::string name;
            if (EntryName(e.entry, &name) && name.size() >= absent.size() && name.size() < 31)
                absent = name + "\x7f";
        }
        bool bPresent = false;
        for (const WalkedEntry& e : entries)
            bPresent = bPresent || JxpEntryNameIs(e.entry, absent.c_str());
        if (!bPresent) {
            uint8_t found[JXP_ENTRY_SIZE];
            int nIndex = -1;
            uint64_t qwPosition = 0;
            JxpWalkStep step = JxpFindProfile(reader, head, absent.c_str(), 0, found, &nIndex, &qwPosition);
            FUZZ_CHECK(step == last && nIndex == walk.nIndex, "absent name: step %d at %d, the walk ended %d at %d", step,
                       nIndex, last, walk.nIndex);
        }
    }
    return 0;
}
