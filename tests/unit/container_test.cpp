// The profile file as the session opens, writes and searches it: a file held by another program,
// failed opens, the texts a file cannot take, and the search that stops cleanly at any damage.
#include <gtest/gtest.h>

#include <string>

#include "codec/jxp_format.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "fixture_names.h"
#include "test_support.h"

namespace {

const BYTE BLOB[] = {1, 2, 3, 4, 5};

// A file of two profiles made with the format's builders: "A" with sections of 16, 14, 545 and
// 271 bytes, each filled with its number (1 to 4), then "B" with a setup section only.
constexpr size_t A_DATA = JXP_HEADER_SIZE + JXP_ENTRY_SIZE, B_ENTRY = A_DATA + 16 + 14 + 545 + 271;
constexpr size_t FILE_SIZE = B_ENTRY + JXP_ENTRY_SIZE + 268;

Bytes TwoProfiles()
{
    Bytes b(JXP_HEADER_SIZE);
    JxpBuildFileHeader(b.data(), 0x0201, 0x09, FIXTURE_MODEL_A);
    PutU16(&b[12], 2);
    auto add = [&b](const char* pszName, std::initializer_list<uint32_t> sizes) {
        size_t at = b.size();
        b.resize(at + JXP_ENTRY_SIZE);
        JxpBuildEntryHeader(&b[at], pszName, 0, 0, "", FIXTURE_MODEL_A);
        int nSection = 0;
        for (uint32_t cb : sizes) {
            JxpSetSectionLength(&b[at], nSection, cb);
            b.insert(b.end(), cb, BYTE(++nSection));
        }
    };
    add("A", {16, 14, 545, 271});
    add("B", {0, 0, 0, 268});
    return b;
}

class Container : public testing::Test {
protected:
    void SetUp() override
    {
        InitTraceFlag(TRUE);
        m_s = OpenSession(FIXTURE_PRINTER_A1);
        ASSERT_TRUE(m_s->IsComplete());
        TraceCapture::Clear();
    }
    void TearDown() override { InitTraceFlag(FALSE); }

    // The file name in the session's width, as the exchange calls hand it over.
    bool Open(const std::string& path, DWORD dwMode)
    {
        std::wstring wide(path.begin(), path.end());
        return RunsAsWin9x() ? m_s->OpenJxpFile(path.c_str(), dwMode) : m_s->OpenJxpFile(wide.c_str(), dwMode);
    }

    WorkFolder m_work{"container"};
    std::unique_ptr<LMPROFJXP> m_s;
};

}  // namespace

TEST_F(Container, FileThatCannotBeDeletedIsCutBeforeItIsWritten)
{
    std::string path = m_work.Path("held.jxp");
    WriteBytes(path, Bytes(3000, 0xAA));
    // Another process holds the file open for writing without delete sharing.
    HANDLE hHeld = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
    if (DeleteFileA(path.c_str())) {
        CloseHandle(hHeld);
        GTEST_SKIP() << "this system deletes a file held without delete sharing";
    }
    ASSERT_TRUE(Open(path, JXP_OPEN_WRITE | JXP_OPEN_REPLACE));
    EXPECT_TRUE(m_s->CloseJxpFile());
    EXPECT_EQ(144u, GetFileSize(hHeld, nullptr));
    CloseHandle(hHeld);
    EXPECT_EQ(0, int16_t(GetU16(&ReadBytes(path).at(12))));
}

TEST_F(Container, FailedOpensLeaveNothingOpenAndWriteNothing)
{
    SetLastError(ERROR_MARKER);
    EXPECT_FALSE(Open(m_work.Path("missing.jxp"), JXP_OPEN_READ));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    BYTE buf[16];
    EXPECT_EQ(0u, m_s->ReadJxpData(buf, sizeof(buf)));
    EXPECT_FALSE(m_s->FindProfileInFile("A", 0));
    // Closing the invalid handle must not report the success of closing a pseudo-handle.
    EXPECT_FALSE(m_s->CloseJxpFile());

    SetLastError(ERROR_MARKER);
    EXPECT_FALSE(Open(m_work.Path("no\\such\\folder.jxp"), JXP_OPEN_WRITE | JXP_OPEN_REPLACE));
    EXPECT_EQ(DWORD(ERROR_PATH_NOT_FOUND), GetLastError());
    ASSERT_TRUE(m_s->FillProfileEntry("A", 0, 0, ""));
    EXPECT_FALSE(m_s->WriteRegValueRecord("Blob", REG_BINARY, BLOB, sizeof(BLOB)));

    // Without the replace bit an existing file is left alone; reading and writing at once is no mode.
    std::string kept = m_work.Path("kept.jxp");
    WriteBytes(kept, Bytes(10, 1));
    EXPECT_FALSE(Open(kept, JXP_OPEN_WRITE));
    EXPECT_FALSE(Open(kept, JXP_OPEN_WRITE | JXP_OPEN_READ));
    EXPECT_EQ(Bytes(10, 1), ReadBytes(kept));
    // A second open closes the first: the file opened for reading shares nothing.
    ASSERT_TRUE(Open(kept, JXP_OPEN_READ));
    EXPECT_TRUE(Open(kept, JXP_OPEN_READ));
}

// Each text a file holds in a fixed field is refused whole when it does not fit, one character
// below is taken; a value section is never let grow past a 32-bit length.
TEST_F(Container, TextsThatDoNotFitAreRefusedNeverCut)
{
    std::string path = m_work.Path("model.jxp");
    WriteBytes(path, Bytes(10, 1));
    strcpy(m_s->m_szModel, std::string(128, 'M').c_str());
    EXPECT_FALSE(Open(path, JXP_OPEN_WRITE | JXP_OPEN_REPLACE));
    EXPECT_EQ(Bytes(10, 1), ReadBytes(path)) << "the old file was given up for nothing";
    strcpy(m_s->m_szModel, std::string(127, 'M').c_str());
    ASSERT_TRUE(Open(path, JXP_OPEN_WRITE | JXP_OPEN_REPLACE));

    EXPECT_FALSE(m_s->FillProfileEntry(std::string(32, 'N').c_str(), 0, 0, ""));
    EXPECT_FALSE(m_s->FillProfileEntry("A", 0, 0, std::string(512, 'D').c_str()));
    ASSERT_TRUE(m_s->FillProfileEntry(std::string(31, 'N').c_str(), 0, 0, std::string(511, 'D').c_str()));
    EXPECT_FALSE(m_s->WriteRegValueRecord(std::string(260, 'V').c_str(), REG_BINARY, BLOB, 5));
    EXPECT_TRUE(m_s->WriteSetupRecord(std::string(259, 'V').c_str(), REG_BINARY, BLOB, 5));   // 273 bytes
    BYTE* pEntry = m_s->m_pProfileEntry.get();
    JxpSetSectionLength(pEntry, JXP_SECTION_VALUE, 0xFFFFFFFF - 273 + 1);
    EXPECT_FALSE(m_s->WriteRegValueRecord("Blob", REG_BINARY, BLOB, 5));
    JxpSetSectionLength(pEntry, JXP_SECTION_VALUE, 0xFFFFFFFF - 273);
    EXPECT_TRUE(m_s->WriteRegValueRecord("Blob", REG_BINARY, BLOB, 5));
    ASSERT_TRUE(m_s->CloseJxpFile());
    Bytes b = ReadBytes(path);
    ASSERT_EQ(144u + 273u + 273u, b.size()) << "only the records that fit reached the file";
    EXPECT_EQ(std::string(127, 'M') + '\0', std::string(&b[16], &b[16] + 128));
}

// A file searched for a profile after damage: the search stops at the damage with its trace line
// and never reports a profile it cannot read whole. A profile found leaves the file at the
// section behind the ones skipped.
TEST_F(Container, SearchFindsSectionsAndStopsCleanlyAtDamage)
{
    const Bytes whole = TwoProfiles();
    ASSERT_EQ(FILE_SIZE, whole.size());
    const std::string past0 = "LMPROFJXP::FindProfileInFile - entry 0 runs past the end of the file\n";
    struct Case {
        const char* pszWhat;
        size_t cbCut;       // file cut to this length, or 0
        int nCount;         // header count written, or 0
        int nSection;       // section length of "A" set to dwLength, or -1
        DWORD dwLength;
        const char* pszSought;
        int nSkip;
        int nFound;         // the byte read where the search left the file, or -1 for none found
        std::string trace;
    } cases[] = {
        {"the DWORD section", 0, 0, -1, 0, "A", 0, 1, ""},
        {"the buffer section", 0, 0, -1, 0, "A", 1, 2, ""},
        {"the value section", 0, 0, -1, 0, "A", 2, 3, ""},
        {"the setup section", 0, 0, -1, 0, "A", 3, 4, ""},
        {"behind all four", 0, 0, -1, 0, "A", 4, 'B', ""},
        {"the second profile", 0, 0, -1, 0, "B", 3, 4, ""},
        {"no fifth section", 0, 0, -1, 0, "A", 5, -1, "LMPROFJXP::FindProfileInFile - no section 5\n"},
        {"letter case counts", 0, 0, -1, 0, "a", 0, -1, ""},
        {"the header cut", 100, 0, -1, 0, "B", 0, -1, "LMPROFJXP::FindProfileInFile - file header cut short\n"},
        {"an entry header cut", 144 + 350, 0, -1, 0, "B", 0, -1, "LMPROFJXP::FindProfileInFile - entry 0 of 2 cut short\n"},
        {"the setup section one byte short", B_ENTRY - 1, 0, -1, 0, "A", 0, -1, past0},
        {"the first profile whole, the second cut", B_ENTRY + 10, 0, -1, 0, "A", 4, 'B',
         "LMPROFJXP::ReadJxpData - 10 of 700 bytes read\n"},
        {"the second setup section one byte short", FILE_SIZE - 1, 0, -1, 0, "B", 0, -1,
         "LMPROFJXP::FindProfileInFile - entry 1 runs past the end of the file\n"},
        {"a count above the entries", 0, 5, -1, 0, "C", 0, -1, "LMPROFJXP::FindProfileInFile - entry 2 of 5 cut short\n"},
        {"a negative count", 0, -1, -1, 0, "A", 0, -1, ""},
        // A 32-bit sum of the lengths would wrap to 0 and read "B" from inside "A".
        {"lengths whose sum wraps", 0, 0, 0, DWORD(0x100000000ull - (14 + 545 + 271)), "B", 0, -1, past0},
    };
    std::string path = m_work.Path("searched.jxp");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        Bytes b = c.cbCut ? Bytes(whole.begin(), whole.begin() + c.cbCut) : whole;
        if (c.nCount)
            PutU16(&b[12], uint16_t(c.nCount));
        if (c.nSection >= 0)
            JxpSetSectionLength(&b[144], c.nSection, c.dwLength);
        WriteBytes(path, b);
        TraceCapture::Clear();
        ASSERT_TRUE(Open(path, JXP_OPEN_READ));
        EXPECT_EQ(c.nFound >= 0, m_s->FindProfileInFile(c.pszSought, c.nSkip));
        BYTE entry[700] = {};
        EXPECT_EQ(c.nFound, c.nFound >= 0 && m_s->ReadJxpData(entry, sizeof(entry)) ? entry[0] : -1);
        EXPECT_TRUE(c.trace.empty() || TraceCapture::Contains(c.trace)) << c.trace << TraceCapture::Dump();
        EXPECT_TRUE(m_s->CloseJxpFile());
    }
}
