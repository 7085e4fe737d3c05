// Fuzz target: the printer-data values a printer keeps for its profiles. The input is read both
// as a profile list ("JxProfileData", 556-byte records) and as a profile's value index
// ("JXP_%04d", 268-byte entries), as the store reads them back from GetPrinterData: any length,
// any bytes, a cut record at the end.
#include <string>
#include <vector>

#include "codec/store_records.h"
#include "fuzz_support.h"

namespace {

constexpr size_t NAME_FIELD = sizeof(ProfileRecord::szName);
constexpr size_t DESCRIPTION_FIELD = sizeof(ProfileRecord::szDescription);
constexpr size_t VALUE_NAME_FIELD = sizeof(ProfileValueEntry::szValueName);

bool Terminated(const char* pField, size_t nField, std::string* pText)
{
    size_t n = FieldLength(pField, nField);
    if (n == nField)
        return false;
    pText->assign(pField, n);
    return true;
}

void CheckProfileList(const uint8_t* pData, size_t cb)
{
    ExactCopy list(pData, cb);
    size_t nWhole = WholeProfileRecords(cb);
    FUZZ_CHECK(nWhole * PROFILE_RECORD_BYTES <= cb && cb - nWhole * PROFILE_RECORD_BYTES < PROFILE_RECORD_BYTES,
               "%zu whole records in %zu bytes", nWhole, cb);

    // Other parts of the library look at a list through the packed record layout: the bounded
    // decode must agree with it byte for byte.
    std::vector<ProfileRecord> records(nWhole);
    for (size_t i = 0; i < nWhole; ++i) {
        FUZZ_CHECK(ReadProfileRecord(list.Data(), cb, i, &records[i]), "whole record %zu refused", i);
        FUZZ_CHECK(memcmp(&records[i], pData + i * PROFILE_RECORD_BYTES, PROFILE_RECORD_BYTES) == 0,
                   "record %zu decoded differently from its layout", i);
    }
    ProfileRecord rec;
    FUZZ_CHECK(!ReadProfileRecord(list.Data(), cb, nWhole, &rec), "the cut tail read as a record");
    FUZZ_CHECK(!ReadProfileRecord(list.Data(), cb, SIZE_MAX, &rec), "record SIZE_MAX read");
    FUZZ_CHECK(!ReadProfileRecord(list.Data(), cb, SIZE_MAX / PROFILE_RECORD_BYTES + 1, &rec),
               "a record whose offset wraps was read");

    // Keeping the sound records: exactly those, in their order, into room for the whole ones.
    ExactCopy kept(nullptr, nWhole * PROFILE_RECORD_BYTES);
    size_t nKept = CopySoundProfileRecords(list.Data(), cb, kept.Data());
    size_t k = 0;
    for (size_t i = 0; i < nWhole; ++i) {
        if (!ProfileRecordIsSound(records[i]))
            continue;
        FUZZ_CHECK(k < nKept && memcmp(kept.Data() + k * PROFILE_RECORD_BYTES, &records[i], PROFILE_RECORD_BYTES) == 0,
                   "sound record %zu not kept as copy %zu of %zu", i, k, nKept);
        ++k;
    }
    FUZZ_CHECK(k == nKept, "%zu records kept, %zu are sound", nKept, k);

    for (size_t i = 0; i < nWhole; ++i) {
        std::string name, description;
        if (!Terminated(records[i].szName, NAME_FIELD, &name)) {
            std::string whole(records[i].szName, NAME_FIELD);
            FUZZ_CHECK(FindProfileRecord(list.Data(), cb, whole.c_str()) == -1, "an unterminated name matched");
            continue;
        }
        long nFound = FindProfileRecord(list.Data(), cb, name.c_str());
        FUZZ_CHECK(nFound >= 0 && size_t(nFound) <= i, "\"%s\" of record %zu found at %ld", name.c_str(), i, nFound);
        for (long j = 0; j < nFound; ++j)
            FUZZ_CHECK(!FieldIs(records[j].szName, NAME_FIELD, name.c_str()), "an earlier record %ld bears the name", j);
        FUZZ_CHECK(FieldIs(records[nFound].szName, NAME_FIELD, name.c_str()), "record %ld has another name", nFound);

        // A sound record read from a damaged list is written back when the list is rewritten.
        if (!Terminated(records[i].szDescription, DESCRIPTION_FIELD, &description))
            continue;
        uint8_t encoded[PROFILE_RECORD_BYTES];
        ProfileRecordFit fit = EncodeProfileRecord(encoded, name.c_str(), description.c_str(), records[i].dwProfileParam1,
                                                   records[i].dwProfileParam2, records[i].dwRegNum);
        if (name.empty()) {
            FUZZ_CHECK(fit == PROFILE_NAME_MISSING, "an empty name encoded (%d)", fit);
            continue;
        }
        FUZZ_CHECK(fit == PROFILE_RECORD_FITS, "sound record %zu does not fit again (%d)", i, fit);
        ProfileRecord back;
        FUZZ_CHECK(ReadProfileRecord(encoded, sizeof(encoded), 0, &back), "encoded record unreadable");
        FUZZ_CHECK(FieldIs(back.szName, NAME_FIELD, name.c_str()) &&
                       FieldIs(back.szDescription, DESCRIPTION_FIELD, description.c_str()) &&
                       back.dwProfileParam1 == records[i].dwProfileParam1 &&
                       back.dwProfileParam2 == records[i].dwProfileParam2 && back.dwRegNum == records[i].dwRegNum,
                   "record %zu changed on the way back", i);
    }

    // Registry numbers: every whole record's is in use; the lowest free one is not, and every
    // number below it is, which only whole records can account for.
    for (size_t i = 0; i < nWhole; ++i)
        FUZZ_CHECK(ProfileRegNumInUse(list.Data(), cb, records[i].dwRegNum), "number of record %zu not in use", i);
    uint32_t dwFree = LowestFreeRegNum(list.Data(), cb);
    FUZZ_CHECK(dwFree >= 1 && !ProfileRegNumInUse(list.Data(), cb, dwFree), "lowest free number %u", dwFree);
    FUZZ_CHECK(dwFree - 1 <= nWhole, "lowest free number %u with %zu records", dwFree, nWhole);
    for (uint32_t n = 1; n < dwFree && n <= 64; ++n)
        FUZZ_CHECK(ProfileRegNumInUse(list.Data(), cb, n), "number %u below the lowest free %u not in use", n, dwFree);
}

void CheckValueIndex(const uint8_t* pData, size_t cb)
{
    ExactCopy index(pData, cb);
    size_t nWhole = WholeValueEntries(cb);
    FUZZ_CHECK(nWhole * VALUE_ENTRY_BYTES <= cb && cb - nWhole * VALUE_ENTRY_BYTES < VALUE_ENTRY_BYTES,
               "%zu whole entries in %zu bytes", nWhole, cb);
    std::vector<ProfileValueEntry> entries(nWhole);
    for (size_t i = 0; i < nWhole; ++i) {
        FUZZ_CHECK(ReadValueEntry(index.Data(), cb, i, &entries[i]), "whole entry %zu refused", i);
        FUZZ_CHECK(memcmp(&entries[i], pData + i * VALUE_ENTRY_BYTES, VALUE_ENTRY_BYTES) == 0,
                   "entry %zu decoded differently from its layout", i);
    }
    ProfileValueEntry entry;
    FUZZ_CHECK(!ReadValueEntry(index.Data(), cb, nWhole, &entry), "the cut tail read as an entry");
    FUZZ_CHECK(!ReadValueEntry(index.Data(), cb, SIZE_MAX / VALUE_ENTRY_BYTES + 1, &entry),
               "an entry whose offset wraps was read");

    // Updating a value's size in place changes the size word of exactly the entries of that
    // name and nothing else, the cut tail included.
    for (size_t i = 0; i < nWhole && i < 4; ++i) {
        std::string name;
        bool bNamed = Terminated(entries[i].szValueName, VALUE_NAME_FIELD, &name);
        if (!bNamed)
            name.assign(entries[i].szValueName, VALUE_NAME_FIELD);
        uint32_t dwNewSize = 0xA5A50000u + uint32_t(i);
        ExactCopy updated(pData, cb);
        size_t nMatched = SetValueEntrySize(updated.Data(), cb, name.c_str(), dwNewSize);
        size_t nExpected = 0;
        for (size_t j = 0; j < nWhole; ++j) {
            const uint8_t* pOld = pData + j * VALUE_ENTRY_BYTES;
            const uint8_t* pNew = updated.Data() + j * VALUE_ENTRY_BYTES;
            size_t offSize = offsetof(ProfileValueEntry, dwSize);
            bool bMatch = bNamed && FieldIs(entries[j].szValueName, VALUE_NAME_FIELD, name.c_str());
            nExpected += bMatch ? 1 : 0;
            FUZZ_CHECK(memcmp(pOld, pNew, offSize) == 0, "entry %zu changed outside its size", j);
            FUZZ_CHECK(GetU32(pNew + offSize) == (bMatch ? dwNewSize : GetU32(pOld + offSize)),
                       "size of entry %zu (match %d) is %u", j, bMatch, GetU32(pNew + offSize));
        }
        FUZZ_CHECK(nMatched == nExpected, "%zu entries updated, %zu bear the name", nMatched, nExpected);
        size_t offTail = nWhole * VALUE_ENTRY_BYTES;
        FUZZ_CHECK(memcmp(pData + offTail, updated.Data() + offTail, cb - offTail) == 0, "the cut tail changed");

        if (bNamed) {
            uint8_t encoded[VALUE_ENTRY_BYTES];
            FUZZ_CHECK(EncodeValueEntry(encoded, name.c_str(), entries[i].dwType, entries[i].dwSize),
                       "a named entry does not fit again");
            ProfileValueEntry back;
            FUZZ_CHECK(ReadValueEntry(encoded, sizeof(encoded), 0, &back) &&
                           FieldIs(back.szValueName, VALUE_NAME_FIELD, name.c_str()) &&
                           back.dwType == entries[i].dwType && back.dwSize == entries[i].dwSize,
                       "entry %zu changed on the way back", i);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cb)
{
    CheckProfileList(pData, cb);
    CheckValueIndex(pData, cb);
    return 0;
}
