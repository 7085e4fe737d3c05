// The profile file as the session opens, writes and searches it: a file another program holds,
// opens that fail, the texts a file cannot take, and where a search leaves the file.
#include "codec/jxp_format.h"
#include "fixture_names.h"
#include "test_support.h"

namespace {

const BYTE BLOB[] = {1, 2, 3, 4, 5};

class Container : public TracedTest {
protected:
    void SetUp() override
    {
        m_s = OpenSession(FIXTURE_PRINTER_A1);
        ASSERT_TRUE(m_s->IsComplete());
        TracedTest::SetUp();
    }

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
    EXPECT_FALSE(m_s->WriteRegValueRecord("Blob", REG_BINARY, BLOB, sizeof(BLOB)));
    // Closing the invalid handle must not report the success of closing a pseudo-handle.
    EXPECT_FALSE(m_s->CloseJxpFile());
}

// Each text a file holds in a fixed field is refused whole when it does not fit, and taken one
// character shorter; a value section never grows past a 32-bit length.
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

// A file of profile "A", with sections of 16, 14, 545 and 271 bytes each filled with its
// number (1 to 4), and profile "B" with a setup section only. A profile found leaves the file
// at the section behind the ones skipped; a search stops at damage, one byte of it included.
TEST_F(Container, SearchLeavesTheFileBehindTheSkippedSectionsAndStopsAtDamage)
{
    Bytes whole(JXP_HEADER_SIZE);
    JxpBuildFileHeader(whole.data(), 0x0201, 0x09, FIXTURE_MODEL_A);
    PutU16(&whole[12], 2);
    for (const char* pszName : {"A", "B"}) {
        size_t at = whole.size();
        whole.resize(at + JXP_ENTRY_SIZE);
        JxpBuildEntryHeader(&whole[at], pszName, 0, 0, "", FIXTURE_MODEL_A);
        const uint32_t sizes[2][4] = {{16, 14, 545, 271}, {0, 0, 0, 268}};
        for (int s = 0; s < 4; ++s) {
            JxpSetSectionLength(&whole[at], s, sizes[*pszName - 'A'][s]);
            whole.insert(whole.end(), sizes[*pszName - 'A'][s], BYTE(s + 1));
        }
    }
    const size_t cbA = 144 + 700 + 846, cbAll = cbA + 700 + 268;
    const std::string past = "LMPROFJXP::FindProfileInFile - entry 0 runs past the end of the file\n";
    const struct {
        const char* pszWhat;
        size_t cbFile;      // the file cut to this length
        DWORD dwSection0;   // the first section length of "A", when not 16
        const char* pszSought;
        int nSkip;
        int nFound;         // the byte read where the search left the file, or -1 for none found
        std::string trace;
    } cases[] = {
        {"the value section", cbAll, 16, "A", 2, 3, ""},
        {"the second profile's setup section", cbAll, 16, "B", 3, 4, ""},
        {"the second entry cut", cbA + 10, 16, "A", 4, 'B', "LMPROFJXP::ReadJxpData - 10 of 700 bytes read\n"},
        // A 32-bit sum of the lengths would wrap to 0 and read "B" from inside "A".
        {"lengths whose sum wraps", cbAll, DWORD(0x100000000ull - (14 + 545 + 271)), "B", 0, -1, past},
    };
    std::string path = m_work.Path("searched.jxp");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        Bytes b(whole.begin(), whole.begin() + c.cbFile);
        JxpSetSectionLength(&b[144], 0, c.dwSection0);
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
