// A stored profile exported, found again by the listing calls and imported through a wide path,
// through the DLL's exports (imports into both models: import_as_default_test.cpp). The win98
// copy runs the same cases on the ANSI road.
#include <algorithm>
#include <cstring>
#include <set>

#include "e2e_support.h"

namespace {

class RoundTrip : public OfficeExported {};

}  // namespace

TEST_F(RoundTrip, ExportWritesOnlyAListedProfileUnderANameAndPathThatFit)
{
    std::string name31(31, 'N'), path259 = m_work->Path(std::string(258 - m_work->Dir().size(), 'p'));
    StoreOffice(*m_a, name31.c_str(), 2);
    ASSERT_EQ(259u, path259.size());
    // nEntries: what the file holds afterwards, -1 when there is none.
    const struct {
        const char* pszWhat;
        std::string profile, path;
        int nResult, nEntries;
        const char* pszTrace;
    } cases[] = {
        {"a name the printer does not list", "Nobody", m_work->Path("nobody.jxp"), 0, 0,
         "LMPROFJXP::GetProfileDataModel - ERROR: Can't find profile\n"},
        {"a name that differs in letter case", "office", m_work->Path("cased.jxp"), 0, 0, nullptr},
        {"a file that cannot be created", "Office", m_work->Path("no such folder\\x.jxp"), 0, -1,
         "LMPROFJXP::OpenJxpFile 1 - OpenFileError - 3\n"},
        {"over the header-only file, replaced", "Office", m_work->Path("nobody.jxp"), 1, 1, nullptr},
        {"a name of 31 characters", name31, m_work->Path("n31.jxp"), 1, 1, nullptr},
        {"a name of 32, another one cut", std::string(32, 'N'), m_work->Path("n32.jxp"), 0, -1,
         "ExportProfileToJxp - invalid profile name\n"},
        {"a path of 259 characters", "Office", path259, 1, 1, nullptr},
        {"a path of 260, another file's cut", "Office", path259 + "q", 0, -1, "ExportProfileToJxp - invalid path\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        TraceCapture::Clear();
        EXPECT_EQ(c.nResult, Export(*m_a, c.profile.c_str(), c.path)) << TraceCapture::Dump();
        EXPECT_TRUE(!c.pszTrace || TraceCapture::Contains(c.pszTrace)) << TraceCapture::Dump();
        Bytes file = ReadBytes(c.path);
        EXPECT_EQ(c.nEntries >= 0, FileExists(c.path));
        EXPECT_TRUE(c.nEntries != 0 || file.size() == 144) << "not the header alone: " << file.size();
        if (c.nEntries <= 0)
            continue;
        std::vector<FileEntry> entries = Entries(file);
        ASSERT_EQ(1u, entries.size());
        EXPECT_EQ(file.size(), 144 + entries[0].bytes.size()) << "nothing behind the profile";
        EXPECT_EQ(c.profile, reinterpret_cast<const char*>(entries[0].bytes.data()));
    }
}

// Folder listings count the files whose name holds ".jxp" in any letter case, profile listings
// the profiles of a file whose first three bytes are "JXP"; both fill only the cells given. The
// search pattern "<folder>\*.jxp" fits a path of 260 characters with a folder name of 253.
TEST_F(RoundTrip, ListingsCountEverythingAndFillOnlyTheCellsGiven)
{
    StoreOffice(*m_a, "Home", 2, 1, 5);
    StoreOffice(*m_a, "Draft", 3, 2, 6);
    ASSERT_EQ(1, Export(*m_a, "Home", m_work->Path("home.tmp")));
    ASSERT_EQ(1, Export(*m_a, "Draft", m_work->Path("draft.tmp")));
    Bytes office = ReadBytes(m_file);
    std::vector<FileEntry> entries = Entries(office);
    entries.push_back(Entries(ReadBytes(m_work->Path("home.tmp")))[0]);
    entries.push_back(Entries(ReadBytes(m_work->Path("draft.tmp")))[0]);
    WriteBytes(m_work->Path("THREE.JXP"), JoinEntries(office, entries));
    office[3] = 'X';
    WriteBytes(m_work->Path("marked.jxp"), office);
    WriteBytes(m_work->Path("note.txt"), Bytes(200, 'n'));

    const std::string files[] = {"Office file.jxp", "THREE.JXP", "marked.jxp"};
    const struct {
        std::string folder;
        int nCells, nResult;
        const char* pszTrace;
    } folders[] = {
        {m_work->Dir(), 4, 3, nullptr},
        {m_work->Dir(), 2, 3, nullptr},
        {m_work->Dir(), 0, 3, nullptr},
        {m_work->Path("missing"), 4, 0, nullptr},
        {FolderOfLength(m_work->Dir(), 253), 4, 3, nullptr},
        {FolderOfLength(m_work->Dir(), 254), 4, 0, "LMPROFILE::GetJxpList - folder name too long\n"},
    };
    for (const auto& c : folders) {
        SCOPED_TRACE(c.folder + ", cells " + std::to_string(c.nCells));
        char cells[5][260];
        memset(cells, '#', sizeof(cells));
        TraceCapture::Clear();
        EXPECT_EQ(c.nResult, Dll().GetJxpFileListFromDirectory(c.folder.c_str(), c.nCells ? cells[0] : nullptr,
                                                               c.nCells)) << TraceCapture::Dump();
        int nFilled = std::min(c.nResult, c.nCells);
        std::set<std::string> found(cells, cells + nFilled);
        EXPECT_EQ(size_t(nFilled), found.size()) << "a file twice";
        for (const std::string& name : found)
            EXPECT_NE(std::end(files), std::find(std::begin(files), std::end(files), name)) << name;
        EXPECT_EQ('#', cells[nFilled][0]) << "a cell behind those filled was written";
        EXPECT_TRUE(!c.pszTrace || TraceCapture::Contains(c.pszTrace)) << TraceCapture::Dump();
    }

    const char* names[] = {"Office", "Home", "Draft"};
    const struct {
        const char* pszFile;
        int nCells;
        bool bAll;   // descriptions and models asked for besides the names
        int nResult;
    } profiles[] = {
        {"THREE.JXP", 2, true, 3}, {"THREE.JXP", 3, false, 3}, {"THREE.JXP", 0, false, 3},
        {"marked.jxp", 3, true, 1}, {"note.txt", 3, true, 0},  {"missing.jxp", 3, true, -1},
    };
    ASSERT_TRUE(Dll().InitJxpApi(nullptr, m_a->Name()));
    for (const auto& c : profiles) {
        SCOPED_TRACE(std::string(c.pszFile) + ", cells " + std::to_string(c.nCells));
        char cells[4][32], descriptions[4][512], models[4][128];
        memset(cells, '#', sizeof(cells));
        memset(descriptions, '#', sizeof(descriptions));
        memset(models, '#', sizeof(models));
        EXPECT_EQ(c.nResult, Dll().GetProfileListFromJxp(m_work->Path(c.pszFile).c_str(), c.nCells ? cells[0] : nullptr,
                                                         c.bAll ? descriptions[0] : nullptr,
                                                         c.bAll ? models[0] : nullptr, c.nCells));
        int nFilled = std::max(0, std::min(c.nResult, c.nCells));
        for (int i = 0; i < nFilled; ++i) {
            EXPECT_STREQ(names[i], cells[i]);
            EXPECT_TRUE(!c.bAll || (strcmp(OFFICE_DESCRIPTION, descriptions[i]) == 0 &&
                                    strcmp(FIXTURE_MODEL_A, models[i]) == 0)) << descriptions[i] << ", " << models[i];
        }
        EXPECT_TRUE(cells[nFilled][0] == '#' && descriptions[nFilled][0] == '#' && models[nFilled][0] == '#')
            << "a cell behind those filled was written";
    }
    char model[128];
    memset(model, '#', sizeof(model));
    SetLastError(ERROR_MARKER);
    EXPECT_FALSE(Dll().GetJxpFileDeviceModel(m_work->Path("missing.jxp").c_str(), model));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ('#', model[0]);
}

// A folder whose name code page 1252 cannot hold (a dotless i, which the conversion turns into
// a plain "i"): the wide call imports from it, since the wide road opens files by their wide
// names. A Windows 9x session opens files by ANSI names only and refuses the path, rather than
// import the file of the same name from the look-alike folder "Profiles".
TEST_F(RoundTrip, WideCallImportsFromAPathBeyondTheCodePage)
{
    wchar_t wszWork[MAX_PATH], wszFile[MAX_PATH], wszBack[MAX_PATH];
    char szAnsi[MAX_PATH];
    ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, m_work->Dir().c_str(), -1, wszWork, MAX_PATH), 0);
    ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, m_file.c_str(), -1, wszFile, MAX_PATH), 0);
    std::wstring dir = std::wstring(wszWork) + L"\\Prof\x0131les", path = dir + L"\\Office.jxp";
    WideCharToMultiByte(1252, 0, path.c_str(), -1, szAnsi, MAX_PATH, nullptr, nullptr);
    MultiByteToWideChar(1252, 0, szAnsi, -1, wszBack, MAX_PATH);
    ASSERT_NE(path, wszBack) << "code page 1252 holds the path";
    // The look-alike's file prints 7 copies instead of 3.
    Bytes twin = ReadBytes(m_file);
    for (size_t off = 844; off + 8 <= 844 + Entries(twin)[0].Section(0); off += 8) {
        if (U32(twin, off) == 11)
            PutU32(twin.data() + off + 4, 7);
    }
    WriteBytes(m_work->SubDir("Profiles") + "\\Office.jxp", twin);
    if (!CreateDirectoryW(dir.c_str(), nullptr))
        GTEST_SKIP() << "Wine makes no folder of that name in this locale, error " << GetLastError();
    BOOL bCopied = CopyFileW(wszFile, path.c_str(), FALSE);
    TestPrinter& b = AddPrinter("B", FIXTURE_MODEL_A);
    bool bSession = Dll().InitJxpApi(nullptr, b.Name());
    char cell[32] = "Office";
    TraceCapture::Clear();
    int nImported = bSession && bCopied ? Dll().ImportProfileFromJxpW(path.c_str(), cell, 1, FALSE) : -1;
    Dll().CloseJxpApi(nullptr, b.Name());
    DeleteFileW(path.c_str());
    RemoveDirectoryW(dir.c_str());
    ASSERT_TRUE(bSession && bCopied) << "session " << bSession << ", file copied " << bCopied;

    if (RunsAsWin9x()) {
        EXPECT_EQ(0, nImported);
        EXPECT_TRUE(TraceCapture::Contains("ImportProfileFromJxpW - path conversion error - 1113\n"))
            << TraceCapture::Dump();
        EXPECT_TRUE(b.List().empty());
        // A path the code page holds, letters beyond ASCII in it, is converted and read.
        std::string ansi = m_work->Path("B\xFCro copy.jxp");
        ASSERT_TRUE(CopyFileA(m_file.c_str(), ansi.c_str(), FALSE));
        ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wszBack, MAX_PATH), 0);
        ASSERT_TRUE(Dll().InitJxpApi(nullptr, b.Name()));
        EXPECT_EQ(1, Dll().ImportProfileFromJxpW(wszBack, cell, 1, FALSE)) << TraceCapture::Dump();
        return;
    }
    EXPECT_EQ(1, nImported) << TraceCapture::Dump();
    ASSERT_EQ(2u, b.List().size());
    EXPECT_EQ("", FirstDifference(m_office, b.Values(1)["Default DevMode"], 64, m_office.size()));
}
