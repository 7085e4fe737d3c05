// ImportProfileAsDefault with its flags, the apply that follows it, and files that carry one
// profile name in several entries.
#include <cstring>

#include "e2e_support.h"

namespace {

class AsDefault : public E2ETest {
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

    // The current user's per-user DEVMODE of the printer, as Windows keeps it.
    static HKEY PerUserKey()
    {
        HKEY h = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Printers\\DevModePerUser", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                        nullptr);
        return h;
    }

    TestPrinter* m_a = nullptr;
    Bytes m_office;
    std::string m_file;
};

}  // namespace

TEST_F(AsDefault, Flags7ReplaceFactoryDefaultWriteSetupAndApplyToThePrinter)
{
    TestPrinter& d = AddPrinter("D", FIXTURE_MODEL_A);
    StoreOffice(d, "Home", 1, 1, 5);
    Bytes oldDefault = d.DefaultDevMode();
    Dm(oldDefault)->dmCopies = 7;
    d.Store("Factory Default", 0, oldDefault, {{"Tray", REG_BINARY, {9, 0, 0, 0}}});
    Bytes listBefore = d.Data("JxProfileData"), countBefore = d.Data("JxProfileCount");
    Pack homeBefore = d.Values(1);
    Bytes before = d.CurrentDevMode();
    ASSERT_FALSE(before.empty());
    std::wstring wname(d.Name(), d.Name() + strlen(d.Name()));
    HKEY hPerUser = PerUserKey();
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(hPerUser, wname.c_str(), 0, REG_BINARY, before.data(), DWORD(before.size())));

    ASSERT_TRUE(Dll().InitJxpApi(nullptr, d.Name()));
    TraceCapture::Clear();
    EXPECT_EQ(1, Dll().ImportProfileAsDefault(m_file.c_str(), "Office", 7)) << TraceCapture::Dump();
    Dll().CloseJxpApi(nullptr, d.Name());

    // "Factory Default" now holds the file's profile; the list and the other profiles are as
    // they were.
    EXPECT_EQ(listBefore, d.Data("JxProfileData"));
    EXPECT_EQ(countBefore, d.Data("JxProfileCount"));
    EXPECT_EQ(homeBefore, d.Values(1));
    Pack factory = d.Values(0);
    EXPECT_EQ("", FirstDifference(m_office, factory["Default DevMode"], 64, m_office.size()));
    EXPECT_EQ(TrayBytes(), factory["Tray"]);
    EXPECT_EQ(NotesBytes(1), factory["Notes"]);
    DWORD dwType = 0;
    EXPECT_EQ(SetupBytes(), d.Data("Setup", &dwType));
    EXPECT_EQ(DWORD(REG_BINARY), dwType);
    // The apply writes the profile's other values into the printer's data.
    EXPECT_EQ(TrayBytes(), d.Data("Tray", &dwType));
    EXPECT_EQ(DWORD(REG_BINARY), dwType);
    EXPECT_EQ(NotesBytes(1), d.Data("Notes"));

    // The printer's DEVMODE carries the profile, the print size and bin as positions in the
    // Laser's lists (papers 9 1 11 5 13: Legal is 3; bins 1 2 3: bin 2 is 1), its names its own.
    Bytes after = d.CurrentDevMode();
    ASSERT_EQ(before.size(), after.size());
    EXPECT_EQ(OFFICE_COPIES, Dm(after)->dmCopies) << TraceCapture::Dump();
    EXPECT_EQ(OFFICE_SCALE, Dm(after)->dmScale);
    EXPECT_EQ(3, U16(after, MainAt(after) + MAIN_PRINT_SIZE));
    EXPECT_EQ(1, U16(after, MainAt(after) + MAIN_OUTPUT_BIN));
    EXPECT_EQ(WORD(OFFICE_BRIGHTNESS), U16(after, MainAt(after) + MAIN_BRIGHTNESS));
    EXPECT_EQ("", FirstDifference(m_office, after, BlockAt(m_office, 20000), BlockAt(m_office, 20000) + 128))
        << "the profile's watermark";
    EXPECT_EQ(0, memcmp(Dm(before)->dmDeviceName, Dm(after)->dmDeviceName, 64));
    EXPECT_EQ(0, memcmp(Dm(before)->dmFormName, Dm(after)->dmFormName, 64));
    EXPECT_TRUE(TraceCapture::Contains("RestorePrintSize before 1005\n"));
    EXPECT_TRUE(TraceCapture::Contains("RestorePrintSize to 3\n"));
    EXPECT_TRUE(TraceCapture::Contains("RestoreOutputBin before 1002\n"));
    EXPECT_TRUE(TraceCapture::Contains("RestoreOutputBin to 1\n"));

    // Set globally and for the user in wide mode (the per-user DEVMODE goes); Windows 9x has
    // neither.
    LONG lPerUser = RegQueryValueExW(hPerUser, wname.c_str(), nullptr, nullptr, nullptr, nullptr);
    RegDeleteValueW(hPerUser, wname.c_str());
    RegCloseKey(hPerUser);
    if (RunsAsWin9x()) {
        EXPECT_TRUE(TraceCapture::Contains("SetDevModeA - success\n"));
        EXPECT_EQ(ERROR_SUCCESS, lPerUser);
    } else {
        EXPECT_TRUE(TraceCapture::Contains("SetDevModeW - success\n"));
        EXPECT_TRUE(TraceCapture::Contains("SetDevModeW - Set Global - success\n"));
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, lPerUser);
    }
}

TEST_F(AsDefault, Flags4ListTheProfileAndApplyItWithoutSetup)
{
    TestPrinter& e = AddPrinter("E", FIXTURE_MODEL_B);
    StoreOffice(e, "Keep", 1, 1, 8);
    Pack keepBefore = e.Values(1);
    Bytes before = e.CurrentDevMode();
    ASSERT_FALSE(before.empty());

    ASSERT_TRUE(Dll().InitJxpApi(nullptr, e.Name()));
    TraceCapture::Clear();
    EXPECT_EQ(1, Dll().ImportProfileAsDefault(m_file.c_str(), "Office", 4)) << TraceCapture::Dump();
    Dll().CloseJxpApi(nullptr, e.Name());

    std::vector<ProfileRecord> list = e.List();
    ASSERT_EQ(3u, list.size());
    EXPECT_STREQ("Keep", list[1].szName);
    EXPECT_STREQ("Office", list[2].szName);
    EXPECT_EQ(2u, list[2].dwRegNum);
    EXPECT_EQ(keepBefore, e.Values(1));
    EXPECT_TRUE(e.Values(0).empty()) << "\"Factory Default\" is not touched";
    EXPECT_FALSE(e.HasData("Setup"));
    Pack office = e.Values(2);
    EXPECT_EQ(before.size(), office["Default DevMode"].size());
    EXPECT_EQ(NotesBytes(1), office["Notes"]);

    // Applied by its name: the Jet's lists (papers 1 5 9 20: Legal is 1; bins 5 1: no bin 2,
    // so the first), its own plug-in blocks kept.
    Bytes after = e.CurrentDevMode();
    ASSERT_EQ(before.size(), after.size());
    EXPECT_EQ(OFFICE_COPIES, Dm(after)->dmCopies) << TraceCapture::Dump();
    EXPECT_EQ(1, U16(after, MainAt(after) + MAIN_PRINT_SIZE));
    EXPECT_EQ(0, U16(after, MainAt(after) + MAIN_OUTPUT_BIN));
    EXPECT_EQ(WORD(OFFICE_BRIGHTNESS), U16(after, MainAt(after) + MAIN_BRIGHTNESS));
    size_t plugIns = MainAt(before) + U32(before, MainAt(before) + 12);
    EXPECT_EQ("", FirstDifference(before, after, plugIns, before.size()));
    EXPECT_TRUE(TraceCapture::Contains("RestorePrintSize to 1\n"));
    EXPECT_TRUE(TraceCapture::Contains("RestoreOutputBin to 0\n"));
    EXPECT_EQ(NotesBytes(1), e.Data("Notes"));

    // A name the file does not hold is neither imported nor applied: the printer does not get
    // "Factory Default" in its place.
    ASSERT_TRUE(Dll().InitJxpApi(nullptr, e.Name()));
    TraceCapture::Clear();
    EXPECT_EQ(0, Dll().ImportProfileAsDefault(m_file.c_str(), "Nowhere", 4));
    Dll().CloseJxpApi(nullptr, e.Name());
    EXPECT_TRUE(TraceCapture::Contains("ImportProfileAsDefault - Nowhere is not listed, nothing applied\n"))
        << TraceCapture::Dump();
    EXPECT_EQ(after, e.CurrentDevMode());
}

// Two entries named "Office" with different settings: each brings its own DEVMODE and values;
// a later profile stored under the number the second one took starts from an empty pack.
TEST_F(AsDefault, RepeatedNameEntriesEachBringTheirOwnSettings)
{
    {
        auto session = m_a->Session();
        Bytes second = OfficeDevMode(m_a->DefaultDevMode(), 5);
        session->SaveProfileRegValue("Office", 1, "Default DevMode", second.data(), DWORD(second.size()), REG_BINARY);
        Bytes notes = NotesBytes(9), extra{1, 2, 3};
        session->SaveProfileRegValue("Office", 1, "Notes", notes.data(), DWORD(notes.size()), REG_BINARY);
        session->SaveProfileRegValue("Office", 1, "Extra", extra.data(), DWORD(extra.size()), REG_BINARY);
    }
    ASSERT_EQ(1, Export(*m_a, "Office", m_work->Path("second.jxp")));
    StoreOffice(*m_a, "Home", 2, 1, 5);
    std::string home = m_work->Path("home.jxp");
    ASSERT_EQ(1, Export(*m_a, "Home", home));
    Bytes first = ReadBytes(m_file);
    std::vector<FileEntry> entries = Entries(first);
    entries.push_back(Entries(ReadBytes(m_work->Path("second.jxp")))[0]);
    std::string twice = m_work->Path("twice.jxp");
    WriteBytes(twice, JoinEntries(first, entries));

    // As default, the later entry is the one that stays.
    TestPrinter& t1 = AddPrinter("T1", FIXTURE_MODEL_A);
    ASSERT_TRUE(Dll().InitJxpApi(nullptr, t1.Name()));
    EXPECT_EQ(1, Dll().ImportProfileAsDefault(twice.c_str(), "Office", 1));
    Pack factory = t1.Values(0);
    EXPECT_EQ(5, Dm(factory["Default DevMode"])->dmCopies) << "the second entry's own DEVMODE";
    EXPECT_EQ(NotesBytes(9), factory["Notes"]);
    EXPECT_EQ(1u, factory.count("Extra"));

    // Listed: the first under number 1; the second under number 2, unlisted, with its own.
    TestPrinter& t2 = AddPrinter("T2", FIXTURE_MODEL_A);
    ASSERT_TRUE(Dll().InitJxpApi(nullptr, t2.Name()));
    char cell[32] = "Office";
    EXPECT_EQ(1, Dll().ImportProfileFromJxp(twice.c_str(), cell, 1, FALSE));
    std::vector<ProfileRecord> list = t2.List();
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ(1u, list[1].dwRegNum);
    Pack listed = t2.Values(1), unlisted = t2.Values(2);
    EXPECT_EQ(OFFICE_COPIES, Dm(listed["Default DevMode"])->dmCopies);
    EXPECT_EQ(NotesBytes(1), listed["Notes"]);
    EXPECT_EQ(0u, listed.count("Extra"));
    EXPECT_EQ(5, Dm(unlisted["Default DevMode"])->dmCopies);
    EXPECT_EQ(NotesBytes(9), unlisted["Notes"]);

    // Number 2 is free for the next profile, which must not inherit what lies there.
    char homeCell[32] = "Home";
    EXPECT_EQ(1, Dll().ImportProfileFromJxp(home.c_str(), homeCell, 1, FALSE));
    Dll().CloseJxpApi(nullptr, t2.Name());
    list = t2.List();
    ASSERT_EQ(3u, list.size());
    EXPECT_STREQ("Home", list[2].szName);
    EXPECT_EQ(2u, list[2].dwRegNum);
    Pack homePack = t2.Values(2);
    EXPECT_EQ(1, Dm(homePack["Default DevMode"])->dmCopies);
    EXPECT_EQ(NotesBytes(5), homePack["Notes"]);
    EXPECT_EQ(0u, homePack.count("Extra")) << "Home took a value of the unlisted entry";
    EXPECT_EQ(3u, homePack.size());
}

// A value stored empty is applied empty: the printer's old value of that name does not survive
// the apply. A value the printer holds that the profile does not list is left alone.
TEST_F(AsDefault, EmptyValueReplacesThePrintersOldOne)
{
    TestPrinter& s = AddPrinter("S", FIXTURE_MODEL_A);
    TestPrinter& e = AddPrinter("E", FIXTURE_MODEL_A);
    std::vector<Value> values = OfficeValues();
    values.push_back({"LmBlank", REG_BINARY, Bytes()});
    s.Store("Blank", 1, OfficeDevMode(s.DefaultDevMode()), values, OFFICE_DESCRIPTION);
    std::string path = m_work->Path("blank.jxp");
    ASSERT_EQ(1, Export(s, "Blank", path));

    // The printer's own earlier values, as the driver keeps them.
    {
        std::unique_ptr<LMPROFJXP> session = e.Session();
        const BYTE old[] = {1, 2, 3}, other[] = {4, 5};
        ASSERT_TRUE(session->SetRegValue("PrinterDriverData", "LmBlank", old, sizeof(old), REG_BINARY));
        ASSERT_TRUE(session->SetRegValue("PrinterDriverData", "LmOther", other, sizeof(other), REG_BINARY));
    }
    ASSERT_EQ(Bytes({1, 2, 3}), e.Data("LmBlank"));

    ASSERT_TRUE(Dll().InitJxpApi(nullptr, e.Name()));
    TraceCapture::Clear();
    EXPECT_EQ(1, Dll().ImportProfileAsDefault(path.c_str(), "Blank", 4)) << TraceCapture::Dump();
    Dll().CloseJxpApi(nullptr, e.Name());
    EXPECT_TRUE(e.HasData("LmBlank"));
    EXPECT_EQ(Bytes(), e.Data("LmBlank")) << TraceCapture::Dump();
    EXPECT_EQ(Bytes({4, 5}), e.Data("LmOther"));
}
