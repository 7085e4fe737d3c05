// An import cut short at any of its writes leaves no index that lists a value whose data is
// missing, and lists the profile only over its own pack.
#include <algorithm>

#include "codec/store_records.h"
#include "store_test_support.h"

namespace {

class ImportCalls : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        // "Office", stored on a printer of its own and exported from there.
        std::string source = m_name + " source";
        m_source.reset(new ScratchPrinter(source.c_str(), FIXTURE_MODEL_A));
        ASSERT_TRUE(m_source->Ok());
        std::unique_ptr<LMPROFJXP> session = OpenSession(source);
        std::vector<BYTE> dm(session->m_pDefaultDevMode.get(),
                             session->m_pDefaultDevMode.get() + session->m_dwDefaultDevModeSize);
        reinterpret_cast<DEVMODEW*>(dm.data())->dmCopies = 2;
        DWORD dwTray = 2;
        std::vector<BYTE> notes(300, 0x4E), setup(40, 0x53);
        ASSERT_TRUE(session->AddProfileToModel("Office", "Duplex", 0, 0, 1));
        session->SaveProfileRegValue("Office", 1, "Default DevMode", dm.data(), DWORD(dm.size()), REG_BINARY);
        session->SaveProfileRegValue("Office", 1, "Tray", reinterpret_cast<BYTE*>(&dwTray), 4, REG_DWORD);
        session->SaveProfileRegValue("Office", 1, "Notes", notes.data(), DWORD(notes.size()), REG_BINARY);
        session->SaveProfileRegValue("Office", 1, "_Setup", setup.data(), DWORD(setup.size()), REG_BINARY);

        char cells[1][PROFILE_NAME_CELL] = {"Office"};
        ASSERT_EQ(2, session->GetProfileDataFromModel(nullptr, nullptr, nullptr));
        ASSERT_TRUE(session->OpenJxpFile(Path(), JXP_OPEN_WRITE | JXP_OPEN_REPLACE));
        ASSERT_EQ(1u, session->ExportProfilesToJXP("Office", cells, 1));
        ASSERT_TRUE(session->CloseJxpFile());
    }
    void TearDown() override
    {
        ClearData();
        m_source.reset();
        StoreTest::TearDown();
    }
    const void* Path() const
    {
        return RunsAsWin9x() ? static_cast<const void*>(m_file.c_str()) : m_wideFile.c_str();
    }
    DWORD Import()
    {
        m_session->m_bImportSetup = true;
        char cells[1][PROFILE_NAME_CELL] = {"Office"};
        DWORD n = m_session->ImportProfilesFromJXP(Path(), cells, 1, FALSE);
        m_session->m_bImportSetup = false;
        return n;
    }
    // Every printer-data value of the importing printer, and its data files on Windows 9x.
    void ClearData()
    {
        HKEY h = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DriverDataKey(m_name).c_str(), 0, KEY_ALL_ACCESS, &h) == ERROR_SUCCESS) {
            char szName[300];
            DWORD cchName = sizeof(szName);
            while (RegEnumValueA(h, 0, szName, &cchName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                   RegDeleteValueA(h, szName) == ERROR_SUCCESS)
                cchName = sizeof(szName);
            RegCloseKey(h);
        }
        std::string dir = std::string(m_session->m_szDriverDir) + "\\";
        WIN32_FIND_DATAA fd;
        HANDLE hFind = FindFirstFileA((dir + m_name + "_JXP_*").c_str(), &fd);
        for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore; bMore = FindNextFileA(hFind, &fd))
            DeleteFileA((dir + fd.cFileName).c_str());
        if (hFind != INVALID_HANDLE_VALUE)
            FindClose(hFind);
    }
    // Number 1 holds an unlisted pack: its index lists "Old", whose data is there.
    void WriteOldPack()
    {
        std::vector<BYTE> old(50, 0x01);
        m_session->SaveProfileRegValue("", 1, "Old", old.data(), DWORD(old.size()), REG_BINARY);
    }
    // The names the index of number 1 lists, each checked to have its data.
    std::vector<std::string> Listed()
    {
        std::vector<BYTE> index = Data("JXP_0001");
        std::vector<std::string> names;
        for (size_t off = 0; off + 268 <= index.size(); off += 268) {
            names.push_back(reinterpret_cast<const char*>(index.data() + off));
            EXPECT_TRUE(m_session->ProfileRegValueExists("", 1, names.back().c_str()))
                << names.back() << " is listed, its data is missing";
        }
        return names;
    }
    bool OfficeListed()
    {
        std::vector<BYTE> list = Data("JxProfileData");
        return FindProfileRecord(list.data(), list.size(), "Office") >= 0;
    }

    std::unique_ptr<ScratchPrinter> m_source;
    WorkFolder m_work{"import"};
    std::string m_file = m_work.Path("office.jxp");
    std::wstring m_wideFile{m_file.begin(), m_file.end()};
};

}  // namespace

TEST_F(ImportCalls, CutShortAtAnyWriteListsNoValueWhoseDataIsMissing)
{
    // Whole, the import replaces the unlisted pack under its number with the profile's own.
    WriteOldPack();
    size_t nWrites = 0;
    {
        SpoolerCalls calls;
        ASSERT_EQ(1u, Import());
        nWrites = calls.writes.size();
    }
    EXPECT_EQ((std::vector<std::string>{"Default DevMode", "Tray", "Notes"}), Listed());
    EXPECT_TRUE(OfficeListed());
    for (long nAllowed = 0; nAllowed < long(nWrites); ++nAllowed) {
        SCOPED_TRACE(nAllowed);
        ClearData();
        WriteOldPack();
        {
            SpoolerCalls calls(nAllowed);
            Import();
        }
        // The old index is kept whole or replaced whole, and the profile is listed only over its
        // own pack.
        std::vector<std::string> listed = Listed();
        bool bOld = std::find(listed.begin(), listed.end(), "Old") != listed.end();
        EXPECT_TRUE(!bOld || listed == std::vector<std::string>{"Old"});
        if (OfficeListed()) {
            EXPECT_EQ((std::vector<std::string>{"Default DevMode", "Tray", "Notes"}), listed);
        }
    }
    // Every index write refused: the old index stays whole, and the profile is not listed on it.
    ClearData();
    WriteOldPack();
    {
        SpoolerCalls calls(-1, "JXP_0001");
        EXPECT_EQ(0u, Import());
    }
    EXPECT_EQ(std::vector<std::string>{"Old"}, Listed());
    EXPECT_FALSE(OfficeListed());
}
