// ImportProfileAsDefault with its flags and the apply that follows it.
#include <cstring>

#include "e2e_support.h"

namespace {

class AsDefault : public OfficeExported {};

// "Office" rebuilt in a target's own record (its size, layout and device name): its default
// with what the profile changed, the print size and bin still marked until the profile is
// applied; a Laser's plug-in blocks travel to a Laser, a Jet keeps its own, sizes and all.
Bytes Rebuilt(Bytes target, const Bytes& office, bool bSameModel)
{
    Dm(target)->dmCopies = OFFICE_COPIES;
    Dm(target)->dmScale = OFFICE_SCALE;
    wcscpy(Dm(target)->dmFormName, L"Legal");
    size_t main = MainAt(target), plugIns = main + U32(target, main + 12);
    memcpy(&target[main + MAIN_PRINT_SIZE], &office[MainAt(office) + MAIN_PRINT_SIZE], 12);
    PutU16At(target, main + MAIN_OUTPUT_BIN, OFFICE_OUTPUT_BIN);
    PutU16At(target, main + MAIN_BRIGHTNESS, WORD(OFFICE_BRIGHTNESS));
    if (bSameModel)
        memcpy(&target[plugIns], &office[plugIns], target.size() - plugIns);
    return target;
}

}  // namespace

// The profile is stored rebuilt for the printer, with its values; flag 1 stores it as "Factory
// Default" instead of listing it, 2 writes its setup record to "Setup", 4 applies it: its
// DEVMODE to the printer, its other values to the printer's data (a value stored empty replaces
// the printer's own), globally and (not on Windows 9x) for the user, whose own DEVMODE goes.
TEST_F(AsDefault, EachFlagDoesItsPartAndOnlyThat)
{
    const struct {
        const char* pszModel;
        const char* pszProfile;
        BYTE bFlags;
        int nResult;
        WORD wPrintSize, wOutputBin;   // positions in the model's lists once applied
    } cases[] = {
        // The Laser's papers 9 1 11 5 13 (Legal is 3) and bins 1 2 3 (bin 2 is 1); the Jet's
        // papers 1 5 9 20 (Legal is 1) and bins 5 1 (no bin 2: the first).
        {FIXTURE_MODEL_A, "Office", 7, 1, 3, 1},
        {FIXTURE_MODEL_B, "Office", 4, 1, 1, 0},
        {FIXTURE_MODEL_B, "Office", 1, 1, 0, 0},
        {FIXTURE_MODEL_A, "Office", 2, 1, 0, 0},
        // Not "Factory Default" in its place: an unlisted name applies nothing.
        {FIXTURE_MODEL_A, "Nowhere", 4, 0, 0, 0},
    };
    HKEY hPerUser = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Printers\\DevModePerUser", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &hPerUser, nullptr));
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pszProfile) + " with flags " + std::to_string(c.bFlags) + " on " + c.pszModel);
        TestPrinter& p = AddPrinter(std::to_string(&c - cases).c_str(), c.pszModel);
        StoreOffice(p, "Home", 1, 1, 5);
        Bytes factory = p.DefaultDevMode();
        Dm(factory)->dmCopies = 7;
        p.Store("Factory Default", 0, factory, {{"Tray", REG_BINARY, {9, 0, 0, 0}}});
        {
            auto session = p.Session();
            const BYTE old[] = {1, 2, 3}, other[] = {4, 5};
            ASSERT_TRUE(session->SetRegValue("PrinterDriverData", "LmBlank", old, sizeof(old), REG_BINARY));
            ASSERT_TRUE(session->SetRegValue("PrinterDriverData", "LmOther", other, sizeof(other), REG_BINARY));
        }
        Bytes list = p.Data("JxProfileData"), before = p.CurrentDevMode(), target = p.DefaultDevMode();
        Pack home = p.Values(1), factoryPack = p.Values(0);
        std::wstring wname(p.Name(), p.Name() + strlen(p.Name()));
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(hPerUser, wname.c_str(), 0, REG_BINARY, before.data(), DWORD(before.size())));

        ASSERT_TRUE(Dll().InitJxpApi(nullptr, p.Name()));
        TraceCapture::Clear();
        EXPECT_EQ(c.nResult, Dll().ImportProfileAsDefault(m_file.c_str(), c.pszProfile, c.bFlags)) << TraceCapture::Dump();
        Dll().CloseJxpApi(nullptr, p.Name());
        bool bDefault = c.nResult && (c.bFlags & 1), bListed = c.nResult && !bDefault;
        bool bApplied = c.nResult && (c.bFlags & 4);

        EXPECT_EQ(home, p.Values(1));
        std::vector<ProfileRecord> records = p.List();
        ASSERT_EQ(bListed ? 3u : 2u, records.size());
        EXPECT_TRUE(bListed ? strcmp(records[2].szName, "Office") == 0 && records[2].dwRegNum == 2 &&
                                  strcmp(records[2].szDescription, OFFICE_DESCRIPTION) == 0 &&
                                  records[2].dwProfileParam2 == OFFICE_PARAM2
                            : list == p.Data("JxProfileData"));
        EXPECT_TRUE(bDefault || p.Values(0) == factoryPack) << "Factory Default changed";
        Pack stored = p.Values(bDefault ? 0 : 2);
        if (c.nResult) {
            Bytes expected = Rebuilt(target, m_office, strcmp(c.pszModel, FIXTURE_MODEL_A) == 0);
            EXPECT_EQ("", FirstDifference(expected, stored["Default DevMode"], 0, expected.size()));
            EXPECT_EQ((Pack{{"Default DevMode", stored["Default DevMode"]}, {"Tray", TrayBytes()},
                            {"Notes", NotesBytes(1)}, {"LmBlank", {}}}),
                      stored);
        }
        EXPECT_EQ(c.nResult && (c.bFlags & 2) ? SetupBytes() : Bytes(), p.Data("Setup"));
        DWORD dwType = 0, dwBlankType = 0;
        EXPECT_EQ(bApplied ? TrayBytes() : Bytes(), p.Data("Tray", &dwType));
        EXPECT_EQ(bApplied ? NotesBytes(1) : Bytes(), p.Data("Notes"));
        EXPECT_EQ(bApplied ? Bytes() : Bytes({1, 2, 3}), p.Data("LmBlank", &dwBlankType)) << TraceCapture::Dump();
        EXPECT_EQ(DWORD(REG_BINARY), dwBlankType) << "LmBlank is gone";
        EXPECT_EQ(Bytes({4, 5}), p.Data("LmOther"));
        LONG lPerUser = RegQueryValueExW(hPerUser, wname.c_str(), nullptr, nullptr, nullptr, nullptr);
        RegDeleteValueW(hPerUser, wname.c_str());
        EXPECT_EQ(bApplied && !RunsAsWin9x() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS, lPerUser);

        Bytes after = p.CurrentDevMode();
        ASSERT_EQ(before.size(), after.size());
        if (!bApplied) {
            EXPECT_EQ(before, after) << "applied";
            continue;
        }
        EXPECT_EQ(DWORD(REG_BINARY), dwType);
        // The profile's settings under the printer's own names; on the Laser the profile's
        // plug-in blocks, the Jet keeps its own.
        EXPECT_EQ(OFFICE_COPIES, Copies(after));
        EXPECT_EQ(OFFICE_SCALE, Dm(after)->dmScale);
        EXPECT_EQ(c.wPrintSize, U16(after, MainAt(after) + MAIN_PRINT_SIZE));
        EXPECT_EQ(c.wOutputBin, U16(after, MainAt(after) + MAIN_OUTPUT_BIN));
        EXPECT_EQ(WORD(OFFICE_BRIGHTNESS), U16(after, MainAt(after) + MAIN_BRIGHTNESS));
        EXPECT_EQ(0, memcmp(Dm(before)->dmDeviceName, Dm(after)->dmDeviceName, 64));
        EXPECT_EQ(0, memcmp(Dm(before)->dmFormName, Dm(after)->dmFormName, 64));
        size_t plugIns = MainAt(before) + U32(before, MainAt(before) + 12);
        bool bJet = strcmp(c.pszModel, FIXTURE_MODEL_B) == 0;
        EXPECT_EQ("", FirstDifference(bJet ? before : m_office, after, plugIns, before.size()));
    }
    RegCloseKey(hPerUser);
}
