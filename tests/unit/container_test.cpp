#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "codec/jxp_format.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "fixture_names.h"
#include "test_support.h"

namespace {


// Plain C runtime file calls, which share the file with any other open.
Bytes ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWhole(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::string Text(const Bytes& b, size_t at, size_t n)
{
    return std::string(reinterpret_cast<const char*>(&b[at]), n);
}

std::string Field(const char* psz, size_t n)
{
    std::string s(psz);
    s.resize(n, '\0');
    return s;
}

// Section contents of the profile "A" that the damage cases cut into.
const BYTE SETUP_A[] = {7, 8, 9};
const BYTE BLOB[] = {1, 2, 3, 4, 5};
const DWORD COLOR = 0x01020304;
constexpr size_t A_DWORDS = 16, A_BUFFERS = 14, A_VALUES = 272 + 273, A_SETUP = 271;
constexpr size_t A_DATA = JXP_HEADER_SIZE + JXP_ENTRY_SIZE;
constexpr size_t B_ENTRY = A_DATA + A_DWORDS + A_BUFFERS + A_VALUES + A_SETUP;
constexpr size_t FILE_SIZE = B_ENTRY + 968;

class Container : public testing::Test {
protected:
    void SetUp() override
    {
        InitTraceFlag(TRUE);
        char szTemp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, szTemp);
        m_dir = std::string(szTemp) + "lmjxp_" + std::to_string(GetCurrentProcessId()) + "_" +
                std::to_string(GetTickCount());
        ASSERT_TRUE(CreateDirectoryA(m_dir.c_str(), nullptr)) << m_dir;
        m_s.reset(new LMPROFJXP(nullptr, RunsAsWin9x() ? (const void*)FIXTURE_PRINTER_A1 : (const void*)FIXTURE_PRINTER_A1_W,
                                nullptr));
        ASSERT_TRUE(m_s->IsComplete());
        TraceCapture::Clear();
    }
    void TearDown() override
    {
        if (m_s && m_s->m_hJxpFile)
            m_s->CloseJxpFile();
        m_s.reset();
        for (const char* pszName : {"new.jxp", "two.jxp", "held.jxp", "kept.jxp", "model.jxp", "good.jxp", "damaged.jxp"})
            DeleteFileA(Path(pszName).c_str());
        RemoveDirectoryA(m_dir.c_str());
        InitTraceFlag(FALSE);
    }

    std::string Path(const char* pszName) const { return m_dir + "\\" + pszName; }

    // The file name in the session's width, as the exchange calls hand it over.
    bool Open(const std::string& path, DWORD dwMode)
    {
        if (m_s->m_bAnsi)
            return m_s->OpenJxpFile(path.c_str(), dwMode);
        std::wstring wide(path.begin(), path.end());
        return m_s->OpenJxpFile(wide.c_str(), dwMode);
    }

    void ExpectTrace(const std::string& line) { EXPECT_TRUE(TraceCapture::Contains(line)) << line << TraceCapture::Dump(); }

    // One profile as the export writes it: entry, sections, values, setup record, final entry.
    void WriteProfile(const char* pszName, DWORD dwParam1, bool bFull)
    {
        LMPROFJXP& s = *m_s;
        s.m_dwProfileOffset = GetFileSize(s.m_hJxpFile.Get(), nullptr);
        ASSERT_TRUE(s.FillProfileEntry(pszName, dwParam1, 0x22, "Desc"));
        s.WriteProfileEntry(s.m_pProfileEntry.get());
        if (bFull) {
            // The settings writer's two passes: size without a destination, then fill.
            BYTE section[A_DWORDS + A_BUFFERS];
            EXPECT_EQ(0u, s.AddDWORD(11, 3, nullptr));
            s.AddDWORD(11, 3, section);
            s.AddDWORD(6, 0xFFFFFFFB, section + 8);
            s.AddBuffer(19, reinterpret_cast<const BYTE*>(L"A4"), 6, section + 16);
            DWORD dwWritten = 0;
            WriteFile(s.m_hJxpFile.Get(), section, sizeof(section), &dwWritten, nullptr);
            JxpSetSectionLength(s.m_pProfileEntry.get(), JXP_SECTION_DWORD, A_DWORDS);
            JxpSetSectionLength(s.m_pProfileEntry.get(), JXP_SECTION_BUFFER, A_BUFFERS);
            s.WriteRegValueRecord("Color", REG_DWORD, reinterpret_cast<const BYTE*>(&COLOR), 4);
            s.WriteRegValueRecord("Blob", REG_BINARY, BLOB, sizeof(BLOB));
        }
        s.WriteSetupRecord("_Setup", REG_BINARY, bFull ? SETUP_A : nullptr, bFull ? sizeof(SETUP_A) : 0);
        s.WriteProfileEntry(s.m_pProfileEntry.get());
        EXPECT_TRUE(s.AddProfileCount());
    }

    // A file with the full profile "A" and the empty profile "B".
    Bytes WriteTwoProfiles(const std::string& path)
    {
        EXPECT_TRUE(Open(path, JXP_OPEN_WRITE | JXP_OPEN_REPLACE));
        WriteProfile("A", 1, true);
        WriteProfile("B", 2, false);
        EXPECT_TRUE(m_s->CloseJxpFile());
        return ReadWhole(path);
    }

    std::string m_dir;
    std::unique_ptr<LMPROFJXP> m_s;
};

}  // namespace

TEST_F(Container, CreatingReplacesAnExistingFileWithAHeaderOnlyFile)
{
    std::string path = Path("new.jxp");
    WriteWhole(path, Bytes(3000, 0xAA));
    ASSERT_TRUE(Open(path, JXP_OPEN_WRITE | JXP_OPEN_REPLACE));
    EXPECT_TRUE(m_s->CloseJxpFile());
    ExpectTrace("LMPROFJXP::OpenJxpFile - " + path + ", 5\n");
    ExpectTrace("m_JxpHead->nProfCount = 0\n");

    Bytes b = ReadWhole(path);
    ASSERT_EQ(144u, b.size());
    const DEVMODEW* pdm = reinterpret_cast<const DEVMODEW*>(m_s->m_pDefaultDevMode.get());
    EXPECT_EQ(Text(b, 0, 8), std::string("JXP\0\0\0\0\0", 8));
    EXPECT_EQ(pdm->dmDriverVersion, GetU16(&b[8]));
    EXPECT_EQ(m_s->m_dwLanguage, GetU16(&b[10]));
    EXPECT_EQ(0u, GetU32(&b[12]));   // count and reserved word
    EXPECT_EQ(Field(FIXTURE_MODEL_A, 128), Text(b, 16, 128));
}

TEST_F(Container, WritesProfilesByteForByteAndFindsTheirSections)
{
    std::string path = Path("two.jxp");
    Bytes b = WriteTwoProfiles(path);
    ASSERT_EQ(FILE_SIZE, b.size());
    EXPECT_EQ(2, int16_t(GetU16(&b[12])));
    ExpectTrace("m_JxpHead->nProfCount = 2\n");
    // The rewrite of an entry leaves the position behind it, not at the end of the file.
    ExpectTrace("Current = 1690, m_dwProfileOffset = 144\n");
    ExpectTrace("Current = 844, m_dwProfileOffset = 1690\n");
    ExpectTrace("dwDataSize, 0, 0, 0, 0\n");
    ExpectTrace("dwDataSize, 16, 14, 545, 271\n");
    ExpectTrace("*** AddDWORD 6 -5\n");
    ExpectTrace("*** AddBuffer 19 6\n");

    // Entry header of "A" and its sections.
    EXPECT_EQ(Field("A", 32), Text(b, 144, 32));
    EXPECT_EQ(1u, GetU32(&b[144 + 32]));
    EXPECT_EQ(0x22u, GetU32(&b[144 + 36]));
    const uint32_t sizes[] = {A_DWORDS, A_BUFFERS, A_VALUES, A_SETUP};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(sizes[i], GetU32(&b[144 + 556 + 4 * i])) << "section " << i;
    const BYTE records[] = {11, 0, 0, 0, 3, 0, 0, 0, 6, 0, 0, 0, 0xFB, 0xFF, 0xFF, 0xFF,
                            19, 0, 0, 0, 6, 0, 0, 0, 'A', 0, '4', 0, 0, 0};
    EXPECT_EQ(Bytes(records, records + sizeof(records)), Bytes(&b[A_DATA], &b[A_DATA + sizeof(records)]));
    size_t at = A_DATA + A_DWORDS + A_BUFFERS;
    EXPECT_EQ(Field("Color", 260), Text(b, at, 260));
    EXPECT_EQ(REG_DWORD, GetU32(&b[at + 260]));
    EXPECT_EQ(4u, GetU32(&b[at + 264]));
    EXPECT_EQ(COLOR, GetU32(&b[at + 268]));
    at += A_VALUES;
    EXPECT_EQ(Field("_Setup", 260), Text(b, at, 260));
    EXPECT_EQ(3u, GetU32(&b[at + 264]));
    // "B" has nothing but its entry header and an empty setup record: 968 bytes.
    EXPECT_EQ(Field("B", 32), Text(b, B_ENTRY, 32));
    EXPECT_EQ(268u, GetU32(&b[B_ENTRY + 568]));
    EXPECT_EQ(0u, GetU32(&b[B_ENTRY + 700 + 264]));

    // Read back: each skip count lands on its section.
    ASSERT_TRUE(Open(path, JXP_OPEN_READ));
    ASSERT_TRUE(m_s->FindProfileInFile("A", 2));
    BYTE values[A_VALUES];
    ASSERT_EQ(A_VALUES, m_s->ReadJxpData(values, A_VALUES));
    ByteCursor cursor(values, sizeof(values));
    JxpValueRecord rec;
    ASSERT_TRUE(JxpReadValueRecord(cursor, &rec));
    ASSERT_TRUE(JxpReadValueRecord(cursor, &rec));
    EXPECT_STREQ("Blob", rec.szValueName);
    EXPECT_EQ(Bytes(BLOB, BLOB + 5), Bytes(rec.pData, rec.pData + rec.cbData));
    EXPECT_EQ(0u, cursor.Left());
    ASSERT_TRUE(m_s->FindProfileInFile("B", 3));
    BYTE setup[268];
    EXPECT_EQ(268u, m_s->ReadJxpData(setup, sizeof(setup)));
    EXPECT_EQ(2u, GetU32(m_s->m_pProfileEntry.get() + 32));
    EXPECT_FALSE(m_s->FindProfileInFile("a", 0));   // letter case counts
    EXPECT_TRUE(m_s->CloseJxpFile());
}

TEST_F(Container, FileThatCannotBeDeletedIsCutBeforeItIsWritten)
{
    std::string path = Path("held.jxp");
    WriteWhole(path, Bytes(3000, 0xAA));
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
    ExpectTrace("LMPROFJXP::OpenJxpFile - DeleteFile error - 32\n");
    EXPECT_EQ(144u, GetFileSize(hHeld, nullptr));
    CloseHandle(hHeld);
    EXPECT_EQ(0, int16_t(GetU16(&ReadWhole(path)[12])));
}

TEST_F(Container, FailedOpensLeaveNothingOpenAndWriteNothing)
{
    SetLastError(ERROR_MARKER);
    EXPECT_FALSE(Open(Path("missing.jxp"), JXP_OPEN_READ));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    ExpectTrace("OpenFile error = 2\n");
    BYTE buf[16];
    EXPECT_EQ(0u, m_s->ReadJxpData(buf, sizeof(buf)));
    EXPECT_FALSE(m_s->FindProfileInFile("A", 0));
    // Closing the invalid handle must not report the success of closing a pseudo-handle.
    EXPECT_FALSE(m_s->CloseJxpFile());
    ExpectTrace("LMPROFJXP::CloseJxpFile - no file open\n");

    SetLastError(ERROR_MARKER);
    EXPECT_FALSE(Open(Path("no\\such\\folder.jxp"), JXP_OPEN_WRITE | JXP_OPEN_REPLACE));
    EXPECT_EQ(DWORD(ERROR_PATH_NOT_FOUND), GetLastError());
    ExpectTrace("LMPROFJXP::OpenJxpFile 1 - OpenFileError - 3\n");
    ASSERT_TRUE(m_s->FillProfileEntry("A", 0, 0, ""));
    m_s->WriteRegValueRecord("Color", REG_DWORD, reinterpret_cast<const BYTE*>(&COLOR), 4);
    EXPECT_EQ(0u, JxpSectionLength(m_s->m_pProfileEntry.get(), JXP_SECTION_VALUE));

    // Without the replace bit an existing file is left alone.
    std::string kept = Path("kept.jxp");
    WriteWhole(kept, Bytes(10, 1));
    EXPECT_FALSE(Open(kept, JXP_OPEN_WRITE));
    EXPECT_EQ(Bytes(10, 1), ReadWhole(kept));
    EXPECT_FALSE(Open(kept, JXP_OPEN_WRITE | JXP_OPEN_READ));
    ExpectTrace("LMPROFJXP::OpenJxpFile - bad mode 3\n");

    // A second open closes the first: the file opened for reading shares nothing.
    ASSERT_TRUE(Open(kept, JXP_OPEN_READ));
    EXPECT_TRUE(Open(kept, JXP_OPEN_READ));
    ExpectTrace("LMPROFJXP::OpenJxpFile - header cut short, 10 bytes\n");
}

TEST_F(Container, TextsThatDoNotFitAreRefusedNeverCut)
{
    std::string path = Path("model.jxp");
    WriteWhole(path, Bytes(10, 1));
    std::string model(128, 'M');
    strcpy(m_s->m_szModel, model.c_str());
    EXPECT_FALSE(Open(path, JXP_OPEN_WRITE | JXP_OPEN_REPLACE));
    ExpectTrace("LMPROFJXP::OpenJxpFile - model too long - " + model + "\n");
    EXPECT_EQ(Bytes(10, 1), ReadWhole(path)) << "the old file was given up for nothing";

    model.pop_back();
    strcpy(m_s->m_szModel, model.c_str());
    ASSERT_TRUE(Open(path, JXP_OPEN_WRITE | JXP_OPEN_REPLACE));
    EXPECT_FALSE(m_s->FillProfileEntry(std::string(32, 'N').c_str(), 0, 0, ""));
    ExpectTrace("LMPROFJXP::FillProfileEntry - profile name too long - " + std::string(32, 'N') + "\n");
    EXPECT_FALSE(m_s->FillProfileEntry("A", 0, 0, std::string(512, 'D').c_str()));
    ExpectTrace("LMPROFJXP::FillProfileEntry - description too long - A\n");
    ASSERT_TRUE(m_s->FillProfileEntry(std::string(31, 'N').c_str(), 0, 0, std::string(511, 'D').c_str()));
    EXPECT_EQ(Field(model.c_str(), 128), Text(Bytes(m_s->m_pProfileEntry.get(), m_s->m_pProfileEntry.get() + 700), 572, 128));

    m_s->WriteRegValueRecord(std::string(260, 'V').c_str(), REG_BINARY, BLOB, 5);
    ExpectTrace("LMPROFJXP::WriteRegValueRecord - value name too long\n");
    m_s->WriteSetupRecord(std::string(259, 'V').c_str(), REG_BINARY, BLOB, 5);
    EXPECT_EQ(273u, JxpSectionLength(m_s->m_pProfileEntry.get(), JXP_SECTION_SETUP));
    // A value section near 4 GB would wrap its length.
    JxpSetSectionLength(m_s->m_pProfileEntry.get(), JXP_SECTION_VALUE, 0xFFFFFF00);
    m_s->WriteRegValueRecord("Blob", REG_BINARY, BLOB, 5);
    ExpectTrace("LMPROFJXP::WriteRegValueRecord - section too long\n");
    EXPECT_EQ(0xFFFFFF00, JxpSectionLength(m_s->m_pProfileEntry.get(), JXP_SECTION_VALUE));
    PutU16(m_s->m_JxpHead.get() + 12, 32767);
    EXPECT_FALSE(m_s->AddProfileCount());
    ExpectTrace("LMPROFJXP::AddProfileCount - no room beyond 32767 profiles\n");
    ASSERT_TRUE(m_s->CloseJxpFile());
    Bytes b = ReadWhole(path);
    ASSERT_EQ(144u + 273u, b.size()) << "only the value that fits reached the file";
    EXPECT_EQ(std::string(127, 'M') + '\0', Text(b, 16, 128));
    EXPECT_EQ(32767, int16_t(GetU16(&b[12])));
}

// Each damaged file is searched for a profile behind the damage: the search must stop at the
// damage with its trace line and never report a profile it cannot read whole.
TEST_F(Container, DamagedFilesEndTheSearchCleanly)
{
    std::string good = Path("good.jxp");
    Bytes whole = WriteTwoProfiles(good);
    ASSERT_EQ(FILE_SIZE, whole.size());
    const std::string past0 = "LMPROFJXP::FindProfileInFile - entry 0 runs past the end of the file\n";
    struct Case {
        const char* pszWhat;
        size_t cbCut;                 // file cut to this length, or 0
        int nCount;                   // header count written, or 0
        int nSection;                 // section length of "A" set to dwLength, or -1
        DWORD dwLength;
        const char* pszSought;
        bool bFound;
        std::string trace;
    } cases[] = {
        {"header", 100, 0, -1, 0, "B", false, "LMPROFJXP::FindProfileInFile - file header cut short\n"},
        {"entry header", 144 + 350, 0, -1, 0, "B", false, "LMPROFJXP::FindProfileInFile - entry 0 of 2 cut short\n"},
        {"DWORD section", A_DATA + 8, 0, -1, 0, "A", false, past0},
        {"buffer section", A_DATA + 20, 0, -1, 0, "A", false, past0},
        {"value section", A_DATA + 300, 0, -1, 0, "A", false, past0},
        {"setup section", B_ENTRY - 1, 0, -1, 0, "A", false, past0},
        {"second entry header", B_ENTRY + 10, 0, -1, 0, "B", false,
         "LMPROFJXP::FindProfileInFile - entry 1 of 2 cut short\n"},
        {"second setup section", FILE_SIZE - 1, 0, -1, 0, "B", false,
         "LMPROFJXP::FindProfileInFile - entry 1 runs past the end of the file\n"},
        {"count above the entries", 0, 5, -1, 0, "C", false, "LMPROFJXP::FindProfileInFile - entry 2 of 5 cut short\n"},
        {"negative count", 0, -1, -1, 0, "A", false, ""},
        {"length past the end", 0, 0, 1, 0xFFFFFFF0, "B", false, past0},
        // A 32-bit sum of the lengths would wrap to 0 and read "B" from inside "A".
        {"lengths whose sum wraps", 0, 0, 0, DWORD(0x100000000ull - (A_BUFFERS + A_VALUES + A_SETUP)), "B", false, past0},
        {"the first profile whole", B_ENTRY + 10, 0, -1, 0, "A", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        Bytes b = c.cbCut ? Bytes(whole.begin(), whole.begin() + c.cbCut) : whole;
        if (c.nCount)
            PutU16(&b[12], uint16_t(c.nCount));
        if (c.nSection >= 0)
            JxpSetSectionLength(&b[144], c.nSection, c.dwLength);
        std::string path = Path("damaged.jxp");
        WriteWhole(path, b);
        TraceCapture::Clear();
        ASSERT_TRUE(Open(path, JXP_OPEN_READ));
        EXPECT_EQ(c.bFound, m_s->FindProfileInFile(c.pszSought, 0));
        if (!c.trace.empty())
            ExpectTrace(c.trace);
        if (c.bFound) {
            // Reading on past the end gives what is there and says so.
            ASSERT_TRUE(m_s->FindProfileInFile("A", 4));
            BYTE entry[700];
            EXPECT_EQ(10u, m_s->ReadJxpData(entry, sizeof(entry)));
            ExpectTrace("LMPROFJXP::ReadJxpData - 10 of 700 bytes read\n");
        }
        EXPECT_TRUE(m_s->CloseJxpFile());
    }
}
