// A stored profile exported from one printer, found again by the listing calls, and imported
// into a printer of the same model and into one of another model, through the DLL's exports.
// The win98 copy runs the same cases on the ANSI road.
#include <cstring>
#include <set>

#include "codec/byte_cursor.h"
#include "e2e_support.h"

namespace {

// The value records of a section: name -> (type, data).
std::map<std::string, std::pair<DWORD, Bytes>> ValueRecords(const Bytes& section)
{
    std::map<std::string, std::pair<DWORD, Bytes>> records;
    for (size_t off = 0; off + 268 <= section.size();) {
        std::string name(reinterpret_cast<const char*>(section.data() + off), strnlen(reinterpret_cast<const char*>(
                                                                                            section.data() + off),
                                                                                        260));
        DWORD cb = U32(section, off + 264);
        if (off + 268 + cb > section.size())
            break;
        records[name] = {U32(section, off + 260), Bytes(section.begin() + long(off + 268), section.begin() + long(off + 268 + cb))};
        off += 268 + cb;
    }
    return records;
}

class RoundTrip : public E2ETest {
protected:
    void SetUp() override
    {
        E2ETest::SetUp();
        m_a = &AddPrinter("A", FIXTURE_MODEL_A);
        StoreOffice(*m_a);
        m_office = OfficeDevMode(m_a->DefaultDevMode());
        m_file = m_work->Path("Office file.jxp");
        ASSERT_EQ(1, Export(*m_a, "Office", m_file)) << TraceCapture::Dump();
    }

    TestPrinter* m_a = nullptr;
    Bytes m_office;
    std::string m_file;
};

}  // namespace

TEST_F(RoundTrip, ExportWritesTheStoredProfileAndCountsWhatItWrote)
{
    Bytes file = ReadBytes(m_file);
    ASSERT_GE(file.size(), 844u);
    EXPECT_EQ(0, memcmp(file.data(), "JXP", 4));
    EXPECT_EQ(Dm(m_office)->dmDriverVersion, U16(file, 8));
    char szLocale[10];
    EXPECT_EQ(ReadUserLanguage(szLocale).dwLanguage, U16(file, 10)) << "the exporting user's language";
    EXPECT_EQ(1, int16_t(U16(file, 12)));
    EXPECT_STREQ(FIXTURE_MODEL_A, reinterpret_cast<const char*>(&file[16]));

    std::vector<FileEntry> entries = Entries(file);
    ASSERT_EQ(1u, entries.size());
    const Bytes& entry = entries[0].bytes;
    EXPECT_EQ(file.size(), 144 + entry.size()) << "nothing behind the profile";
    EXPECT_STREQ("Office", reinterpret_cast<const char*>(&entry[0]));
    EXPECT_EQ(OFFICE_PARAM1, U32(entry, 32));
    EXPECT_EQ(OFFICE_PARAM2, U32(entry, 36));
    EXPECT_STREQ(OFFICE_DESCRIPTION, reinterpret_cast<const char*>(&entry[40]));
    EXPECT_STREQ(FIXTURE_MODEL_A, reinterpret_cast<const char*>(&entry[572]));

    // Only the settings that differ from the printer's default travel as DWORD records.
    size_t off = 700;
    std::map<DWORD, DWORD> dwords;
    for (size_t end = off + entries[0].Section(0); off + 8 <= end; off += 8)
        dwords[U32(entry, off)] = U32(entry, off + 4);
    std::map<DWORD, DWORD> expected = {{10, DWORD(OFFICE_SCALE)},
                                       {11, DWORD(OFFICE_COPIES)},
                                       {70, OFFICE_OUTPUT_BIN},
                                       {89, DWORD(int32_t(OFFICE_BRIGHTNESS))}};
    EXPECT_EQ(expected, dwords);

    // The form name, the changed span of the main block, and every plug-in block whole.
    off = 700 + entries[0].Section(0);
    std::vector<std::pair<DWORD, Bytes>> buffers;
    for (size_t end = off + entries[0].Section(1); off + 8 <= end;) {
        DWORD cb = U32(entry, off + 4);
        buffers.push_back({U32(entry, off), Bytes(entry.begin() + long(off + 8), entry.begin() + long(off + 8 + cb))});
        off += 8 + cb;
    }
    ASSERT_EQ(4u, buffers.size());
    EXPECT_EQ(19u, buffers[0].first);
    EXPECT_EQ(Bytes(reinterpret_cast<const BYTE*>(L"Legal"), reinterpret_cast<const BYTE*>(L"Legal") + 12),
              buffers[0].second);
    size_t main = MainAt(m_office);
    EXPECT_EQ(66u, buffers[1].first);
    EXPECT_EQ(Bytes(m_office.begin() + long(main + MAIN_PRINT_SIZE), m_office.begin() + long(main + MAIN_PRINT_SIZE + 12)),
              buffers[1].second);
    EXPECT_EQ(201u, buffers[2].first);
    EXPECT_EQ(Bytes(m_office.begin() + long(BlockAt(m_office, 10000)), m_office.begin() + long(BlockAt(m_office, 10000) + 64)),
              buffers[2].second);
    EXPECT_EQ(201u, buffers[3].first);
    EXPECT_EQ(Bytes(m_office.begin() + long(BlockAt(m_office, 20000)), m_office.begin() + long(BlockAt(m_office, 20000) + 128)),
              buffers[3].second);

    // The values besides the DEVMODE, with the type they are stored with (Windows 9x keeps
    // them in files, which carry none), then "_Setup" in its own section.
    size_t values = 700 + entries[0].Section(0) + entries[0].Section(1);
    auto records = ValueRecords(Bytes(entry.begin() + long(values), entry.begin() + long(values + entries[0].Section(2))));
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(DWORD(RunsAsWin9x() ? REG_BINARY : REG_DWORD), records["Tray"].first);
    EXPECT_EQ(TrayBytes(), records["Tray"].second);
    EXPECT_EQ(DWORD(REG_BINARY), records["Notes"].first);
    EXPECT_EQ(NotesBytes(1), records["Notes"].second);
    EXPECT_EQ(268u + 40, entries[0].Section(3));
    auto setup = ValueRecords(Bytes(entry.end() - long(entries[0].Section(3)), entry.end()));
    ASSERT_EQ(1u, setup.count("_Setup"));
    EXPECT_EQ(DWORD(REG_BINARY), setup["_Setup"].first);
    EXPECT_EQ(SetupBytes(), setup["_Setup"].second);

    // A name the printer does not list leaves a file with the header only and says so.
    std::string nobody = m_work->Path("nobody.jxp");
    TraceCapture::Clear();
    EXPECT_EQ(0, Export(*m_a, "Nobody", nobody));
    EXPECT_TRUE(TraceCapture::Contains("LMPROFJXP::GetProfileDataModel - ERROR: Can't find profile\n"))
        << TraceCapture::Dump();
    Bytes empty = ReadBytes(nobody);
    ASSERT_EQ(144u, empty.size());
    EXPECT_EQ(0, int16_t(U16(empty, 12)));
    // A name that differs only in letter case is another name.
    EXPECT_EQ(0, Export(*m_a, "office", nobody));
    // A file that cannot be created.
    TraceCapture::Clear();
    EXPECT_EQ(0, Export(*m_a, "Office", m_work->Path("no such folder\\x.jxp")));
    EXPECT_TRUE(TraceCapture::Contains("LMPROFJXP::OpenJxpFile 1 - OpenFileError - 3\n")) << TraceCapture::Dump();
    // Exporting over an existing profile file replaces it.
    EXPECT_EQ(1, Export(*m_a, "Office", nobody));
    EXPECT_EQ(file, ReadBytes(nobody));
}

TEST_F(RoundTrip, ListingShowsTheFolderTheProfilesAndTheModel)
{
    // A second and a third profile of the printer, joined with the first into one file.
    StoreOffice(*m_a, "Home", 2, 1, 5);
    StoreOffice(*m_a, "Draft", 3, 2, 6);
    ASSERT_EQ(1, Export(*m_a, "Home", m_work->Path("home.tmp")));
    ASSERT_EQ(1, Export(*m_a, "Draft", m_work->Path("draft.tmp")));
    Bytes office = ReadBytes(m_file);
    std::vector<FileEntry> entries = Entries(office);
    entries.push_back(Entries(ReadBytes(m_work->Path("home.tmp")))[0]);
    entries.push_back(Entries(ReadBytes(m_work->Path("draft.tmp")))[0]);
    std::string three = m_work->Path("B.JXP");
    WriteBytes(three, JoinEntries(office, entries));
    WriteBytes(m_work->Path("c.txt"), office);

    char files[4][260];
    memset(files, '#', sizeof(files));
    EXPECT_EQ(2, Dll().GetJxpFileListFromDirectory(m_work->Dir().c_str(), files[0], 4));
    EXPECT_EQ((std::set<std::string>{"Office file.jxp", "B.JXP"}), (std::set<std::string>{files[0], files[1]}));
    EXPECT_EQ('#', files[2][0]);
    // Fewer cells than files: all are counted, only the cells given are filled.
    memset(files, '#', sizeof(files));
    EXPECT_EQ(2, Dll().GetJxpFileListFromDirectory(m_work->Dir().c_str(), files[0], 1));
    EXPECT_TRUE(strcmp(files[0], "B.JXP") == 0 || strcmp(files[0], "Office file.jxp") == 0) << files[0];
    EXPECT_EQ('#', files[1][0]);
    EXPECT_EQ(2, Dll().GetJxpFileListFromDirectory(m_work->Dir().c_str(), nullptr, 0));
    EXPECT_EQ(0, Dll().GetJxpFileListFromDirectory(m_work->Path("missing").c_str(), files[0], 4));

    ASSERT_TRUE(Dll().InitJxpApi(nullptr, m_a->Name()));
    char names[3][32], descriptions[3][512], models[3][128];
    memset(names, '#', sizeof(names));
    memset(descriptions, '#', sizeof(descriptions));
    memset(models, '#', sizeof(models));
    EXPECT_EQ(3, Dll().GetProfileListFromJxp(three.c_str(), names[0], descriptions[0], models[0], 2));
    EXPECT_STREQ("Office", names[0]);
    EXPECT_STREQ("Home", names[1]);
    EXPECT_EQ('#', names[2][0]);
    EXPECT_STREQ(OFFICE_DESCRIPTION, descriptions[1]);
    EXPECT_EQ('#', descriptions[2][0]);
    EXPECT_STREQ(FIXTURE_MODEL_A, models[0]);
    EXPECT_STREQ(FIXTURE_MODEL_A, models[1]);
    EXPECT_EQ('#', models[2][0]);
    EXPECT_EQ(3, Dll().GetProfileListFromJxp(three.c_str(), nullptr, nullptr, nullptr, 0));
    memset(names, '#', sizeof(names));
    EXPECT_EQ(3, Dll().GetProfileListFromJxp(three.c_str(), names[0], nullptr, nullptr, 3));
    EXPECT_STREQ("Draft", names[2]);

    // A fourth byte other than 0 in the magic is still a profile file; a text file is none; a
    // missing file cannot be opened.
    Bytes marked = office;
    marked[3] = 'X';
    WriteBytes(m_work->Path("marked.jxp"), marked);
    EXPECT_EQ(1, Dll().GetProfileListFromJxp(m_work->Path("marked.jxp").c_str(), names[0], nullptr, nullptr, 3));
    WriteBytes(m_work->Path("note.txt"), Bytes(200, 'n'));
    memset(names, '#', sizeof(names));
    EXPECT_EQ(0, Dll().GetProfileListFromJxp(m_work->Path("note.txt").c_str(), names[0], nullptr, nullptr, 3));
    EXPECT_EQ('#', names[0][0]);
    EXPECT_EQ(-1, Dll().GetProfileListFromJxp(m_work->Path("missing.jxp").c_str(), names[0], nullptr, nullptr, 3));
    EXPECT_EQ('#', names[0][0]);

    char model[128];
    memset(model, '#', sizeof(model));
    EXPECT_TRUE(Dll().GetJxpFileDeviceModel(m_file.c_str(), model));
    EXPECT_STREQ(FIXTURE_MODEL_A, model);
    memset(model, '#', sizeof(model));
    SetLastError(ERROR_MARKER);
    EXPECT_FALSE(Dll().GetJxpFileDeviceModel(m_work->Path("missing.jxp").c_str(), model));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ('#', model[0]);
}

TEST_F(RoundTrip, ImportOnTheSameModelRebuildsTheStoredProfile)
{
    TestPrinter& b = AddPrinter("B", FIXTURE_MODEL_A);
    Bytes bDefault = b.DefaultDevMode();
    ASSERT_TRUE(Dll().InitJxpApi(nullptr, b.Name()));
    char cells[2][32] = {"Office", "Missing"};
    TraceCapture::Clear();
    EXPECT_EQ(1, Dll().ImportProfileFromJxp(m_file.c_str(), cells[0], 2, FALSE)) << TraceCapture::Dump();
    EXPECT_TRUE(TraceCapture::Contains("*** nRegNum = 1\n"));
    Dll().CloseJxpApi(nullptr, b.Name());

    std::vector<ProfileRecord> list = b.List();
    ASSERT_EQ(2u, list.size());
    EXPECT_STREQ("Factory Default", list[0].szName);
    EXPECT_STREQ("Office", list[1].szName);
    EXPECT_STREQ(OFFICE_DESCRIPTION, list[1].szDescription);
    EXPECT_EQ(OFFICE_PARAM1, list[1].dwProfileParam1);
    EXPECT_EQ(OFFICE_PARAM2, list[1].dwProfileParam2);
    EXPECT_EQ(1u, list[1].dwRegNum);

    // Same driver, same default: the rebuilt DEVMODE is the one stored on A in every byte but
    // the device name, which is B's own. The marked print size and bin stay marked until the
    // profile is applied.
    Pack values = b.Values(1);
    Bytes dm = values["Default DevMode"];
    ASSERT_EQ(bDefault.size(), dm.size());
    EXPECT_EQ(0, memcmp(Dm(bDefault)->dmDeviceName, Dm(dm)->dmDeviceName, 64));
    EXPECT_EQ("", FirstDifference(m_office, dm, 64, m_office.size()));
    EXPECT_EQ(OFFICE_PRINT_SIZE, U16(dm, MainAt(dm) + MAIN_PRINT_SIZE));

    // The values come back as REG_BINARY, a REG_DWORD among them; "_Setup" is no value of the
    // profile, and without the setup flag the printer's "Setup" stays untouched.
    EXPECT_EQ(TrayBytes(), values["Tray"]);
    EXPECT_EQ(NotesBytes(1), values["Notes"]);
    EXPECT_EQ(3u, values.size()) << "Default DevMode, Tray and Notes only";
    std::map<std::string, DWORD> types = b.IndexTypes(1);
    EXPECT_EQ(DWORD(REG_BINARY), types["Tray"]);
    if (!RunsAsWin9x()) {
        DWORD dwType = 0;
        EXPECT_EQ(TrayBytes(), b.Data("JXP_0001_Tray", &dwType));
        EXPECT_EQ(DWORD(REG_BINARY), dwType);
    }
    EXPECT_FALSE(b.HasData("Setup"));
}

TEST_F(RoundTrip, ImportOnAnotherModelKeepsItsOwnLayoutAndPlugIns)
{
    TestPrinter& c = AddPrinter("C", FIXTURE_MODEL_B);
    Bytes cDefault = c.DefaultDevMode();
    ASSERT_GT(cDefault.size(), sizeof(DEVMODEW));
    // The path crosses the code-page conversion: the wide call with the same name.
    std::string ansi = m_work->Path("B\xFCro copy.jxp");
    ASSERT_TRUE(CopyFileA(m_file.c_str(), ansi.c_str(), FALSE));
    wchar_t wszPath[MAX_PATH];
    ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wszPath, MAX_PATH), 0);

    ASSERT_TRUE(Dll().InitJxpApi(nullptr, c.Name()));
    char cell[32] = "Office";
    EXPECT_EQ(1, Dll().ImportProfileFromJxpW(wszPath, cell, 1, TRUE)) << TraceCapture::Dump();
    Dll().CloseJxpApi(nullptr, c.Name());

    Pack values = c.Values(1);
    Bytes dm = values["Default DevMode"];
    ASSERT_EQ(cDefault.size(), dm.size()) << "the Jet's own record size";
    const DEVMODEW* pDm = Dm(dm);
    const DEVMODEW* pDef = Dm(cDefault);
    // Public part: what the profile changed, the rest the Jet's default.
    EXPECT_EQ(pDef->dmSize, pDm->dmSize);
    EXPECT_EQ(pDef->dmDriverExtra, pDm->dmDriverExtra);
    EXPECT_EQ(pDef->dmDriverVersion, pDm->dmDriverVersion);
    EXPECT_EQ(pDef->dmSpecVersion, pDm->dmSpecVersion);
    EXPECT_EQ(pDef->dmFields, pDm->dmFields);
    EXPECT_EQ(0, memcmp(pDef->dmDeviceName, pDm->dmDeviceName, 64));
    EXPECT_EQ(OFFICE_COPIES, pDm->dmCopies);
    EXPECT_EQ(OFFICE_SCALE, pDm->dmScale);
    EXPECT_STREQ(L"Legal", pDm->dmFormName);
    EXPECT_EQ(pDef->dmPrintQuality, pDm->dmPrintQuality) << "not changed on A: the Jet's own";
    EXPECT_EQ(pDef->dmColor, pDm->dmColor);
    EXPECT_EQ(pDef->dmOrientation, pDm->dmOrientation);
    EXPECT_EQ(pDef->dmCollate, pDm->dmCollate);

    // Main block: the Jet's, with the profile's print-size span, output bin and brightness.
    size_t main = MainAt(dm), officeMain = MainAt(m_office);
    ASSERT_EQ(MainAt(cDefault), main);
    Bytes expected = cDefault;
    memcpy(&expected[main + MAIN_PRINT_SIZE], &m_office[officeMain + MAIN_PRINT_SIZE], 12);
    PutU16At(expected, main + MAIN_OUTPUT_BIN, OFFICE_OUTPUT_BIN);
    PutU16At(expected, main + MAIN_BRIGHTNESS, WORD(OFFICE_BRIGHTNESS));
    size_t plugIns = main + U32(cDefault, main + 12);
    EXPECT_EQ("", FirstDifference(expected, dm, main, plugIns)) << "main block";
    // Plug-ins: the Laser's do not exist on the Jet; the Jet keeps its own, sizes and all.
    ASSERT_NE(0u, BlockAt(dm, 30000));
    ASSERT_NE(0u, BlockAt(dm, 40000));
    EXPECT_EQ(0u, BlockAt(dm, 20000));
    EXPECT_EQ("", FirstDifference(cDefault, dm, plugIns, cDefault.size())) << "plug-in blocks";

    EXPECT_EQ(TrayBytes(), values["Tray"]);
    EXPECT_EQ(NotesBytes(1), values["Notes"]);
    DWORD dwType = 0;
    EXPECT_EQ(SetupBytes(), c.Data("Setup", &dwType)) << "the setup record was asked for";
    EXPECT_EQ(DWORD(REG_BINARY), dwType);
    std::vector<ProfileRecord> list = c.List();
    ASSERT_EQ(2u, list.size());
    EXPECT_STREQ("Office", list[1].szName);
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
        return;
    }
    EXPECT_EQ(1, nImported) << TraceCapture::Dump();
    std::vector<ProfileRecord> list = b.List();
    ASSERT_EQ(2u, list.size());
    EXPECT_STREQ("Office", list[1].szName);
    EXPECT_EQ("", FirstDifference(m_office, b.Values(1)["Default DevMode"], 64, m_office.size()));
}
