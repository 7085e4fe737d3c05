#include <algorithm>

#include "store/profile_store.h"
#include "store_test_support.h"

namespace {

class ValuePacks : public StoreTest {
protected:
    void TearDown() override
    {
        // No store operation deletes a data file; the test does.
        WIN32_FIND_DATAA fd;
        std::string dir = std::string(m_session->m_szDriverDir) + "\\";
        HANDLE h = FindFirstFileA((dir + "Store *_JXP_*").c_str(), &fd);
        for (BOOL bMore = h != INVALID_HANDLE_VALUE; bMore; bMore = FindNextFileA(h, &fd))
            DeleteFileA((dir + fd.cFileName).c_str());
        if (h != INVALID_HANDLE_VALUE)
            FindClose(h);
        StoreTest::TearDown();
    }
    bool InFile(int nRegNum) const { return RunsAsWin9x() && nRegNum != 0; }
    std::string FilePath(const std::string& dataName) const
    {
        return std::string(m_session->m_szDriverDir) + "\\" + m_name + "_" + dataName;
    }
    std::string EntryName(const std::vector<BYTE>& index, size_t i) const
    {
        return index.size() < (i + 1) * 268 ? "" : reinterpret_cast<const char*>(index.data() + i * 268);
    }
};

}  // namespace

TEST_F(ValuePacks, SavedValuesAreListedMeasuredLoadedAndReplaced)
{
    ASSERT_TRUE(m_session->AddProfileToModel("Office", "", 0, 0, 1));
    std::vector<BYTE> first(1200, 0x11), second(1300, 0x22);
    TraceCapture::Clear();
    m_session->SaveProfileRegValue("Office", REG_NUM_BY_NAME, "Default DevMode", first.data(), 1200, REG_BINARY);
    std::vector<BYTE> index = Data("JXP_0001");
    ASSERT_EQ(268u, index.size());
    EXPECT_EQ("Default DevMode", EntryName(index, 0));
    EXPECT_EQ(DWORD(REG_BINARY), U32At(index, 260));
    EXPECT_EQ(1200u, U32At(index, 264));
    std::string dataLine = InFile(1) ? "LMPROFJXP::SaveProfileRegValue\nFile - " +
                                           FilePath("JXP_0001_Default DevMode") + ", 1200 bytes written\n"
                                     : "Success JXP_0001_Default DevMode, 1200\n";
    EXPECT_TRUE(TraceCapture::Contains(dataLine)) << dataLine << TraceCapture::Dump();

    // Saved again: the same entry with the new size and the first type; the data is replaced.
    m_session->SaveProfileRegValue("Office", 1, "Default DevMode", second.data(), 1300, REG_DWORD);
    m_session->SaveProfileRegValue("Office", 1, "Tray", second.data(), 4, REG_DWORD);
    index = Data("JXP_0001");
    ASSERT_EQ(536u, index.size());
    EXPECT_EQ(DWORD(REG_BINARY), U32At(index, 260));
    EXPECT_EQ(1300u, U32At(index, 264));
    EXPECT_EQ("Tray", EntryName(index, 1));

    EXPECT_EQ(1300u, m_session->GetProfileRegValueSize("Office", "Default DevMode"));
    ASSERT_EQ(2u, m_session->EnumProfileRegValue("Office", REG_NUM_BY_NAME, nullptr, nullptr, 0));
    char names[2][PRINTER_NAME_CHARS];
    DWORD sizes[2] = {};
    EXPECT_EQ(2u, m_session->EnumProfileRegValue("Office", REG_NUM_BY_NAME, names, sizes, 2));
    EXPECT_STREQ("Tray", names[1]);
    EXPECT_EQ(1300u, sizes[0]);
    EXPECT_EQ(4u, sizes[1]);

    std::vector<BYTE> buffer(1300);
    DWORD cbOut = 0, dwType = 0;
    EXPECT_EQ(1300u, m_session->GetProfileRegValue("Office", "Default DevMode", buffer.data(), 1300, &cbOut, &dwType));
    EXPECT_EQ(second, buffer);
    EXPECT_EQ(DWORD(InFile(1) ? REG_BINARY : REG_DWORD), dwType);
    // A buffer one byte short is refused, not overrun.
    std::vector<BYTE> shortBuffer(1299, 0xEE);
    EXPECT_EQ(0u,
              m_session->GetProfileRegValue("Office", "Default DevMode", shortBuffer.data(), 1299, &cbOut, &dwType));
    EXPECT_EQ(std::vector<BYTE>(1299, 0xEE), shortBuffer);
}

// "Factory Default" keeps its data in the printer data on every system.
TEST_F(ValuePacks, LargeAndDwordValuesRoundTrip)
{
    std::vector<BYTE> big(65536);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = PatternByte(DWORD(i), 3);
    DWORD dwWord = 0x01020304, dwBack = 0, cbOut = 0, dwType = 0;
    for (int n : {0, 2}) {
        SCOPED_TRACE(n);
        m_session->SaveProfileRegValue("P", n, "Big", big.data(), DWORD(big.size()), REG_BINARY);
        m_session->SaveProfileRegValue("P", n, "Word", reinterpret_cast<BYTE*>(&dwWord), 4, REG_DWORD);
        EXPECT_EQ(!InFile(n), Data(n ? "JXP_0002_Big" : "JXP_0000_Big").size() == big.size());
        std::vector<BYTE> back(big.size());
        EXPECT_EQ(big.size(),
                  m_session->LoadProfileRegValue("P", n, "Big", back.data(), DWORD(back.size()), &cbOut, &dwType));
        EXPECT_EQ(big, back);
        EXPECT_EQ(4u,
                  m_session->LoadProfileRegValue("P", n, "Word", reinterpret_cast<BYTE*>(&dwBack), 4, &cbOut, &dwType));
        EXPECT_EQ(dwWord, dwBack);
        EXPECT_EQ(DWORD(InFile(n) ? REG_BINARY : REG_DWORD), dwType);
    }
    EXPECT_EQ(0u, m_session->LoadProfileRegValue("P", 0, "Missing", nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(0u, m_session->EnumProfileRegValue("P", 7, nullptr, nullptr, 0));

    for (const char* pszName : {"JXP_0002_Foo", "MyJXP_Value"}) {
        TraceCapture::Clear();
        m_session->SaveProfileRegValue("P", 5, pszName, big.data(), 4, REG_BINARY);
        EXPECT_EQ((std::vector<std::string>{"LMPROFJXP::SaveProfileRegValue\n", "*** tszProfKeyName = JXP_0005\n",
                                            std::string("*** tszValueName = ") + pszName + "\n"}),
                  TraceCapture::Lines());
    }
    EXPECT_TRUE(Data("JXP_0005").empty());
}

// A value name travels whole, up to what "JXP_%04d_%s" fits in 260 bytes, or is refused. Number
// 0 keeps the data in the printer data on every system, where such names fit.
TEST_F(ValuePacks, LongValueNamesTravelWholeOrAreRefused)
{
    std::string name100(100, 'v'), name250(250, 'w'), name251(251, 'x');
    BYTE data[3] = {7, 8, 9}, back[3] = {};
    m_session->SaveProfileRegValue("P", 0, name100.c_str(), data, 3, REG_BINARY);
    m_session->SaveProfileRegValue("P", 0, name250.c_str(), data, 3, REG_BINARY);
    TraceCapture::Clear();
    m_session->SaveProfileRegValue("P", 0, name251.c_str(), data, 3, REG_BINARY);
    EXPECT_TRUE(TraceCapture::Contains("LMPROFJXP::SaveProfileRegValue - value name too long - " + name251 + "\n"));
    EXPECT_EQ(536u, Data("JXP_0000").size());

    char names[4][PRINTER_NAME_CHARS];
    memset(names, '#', sizeof(names));
    EXPECT_EQ(2u, m_session->EnumProfileRegValue("P", 0, names, nullptr, 4));
    EXPECT_EQ(name100, names[0]);
    EXPECT_EQ(name250, names[1]);
    DWORD cbOut = 0, dwType = 0;
    EXPECT_EQ(3u, m_session->LoadProfileRegValue("P", 0, names[1], back, 3, &cbOut, &dwType));
    // Fewer cells than entries (the index grew after counting): only the cells given are filled.
    EXPECT_EQ(1u, m_session->EnumProfileRegValue("P", 0, names + 2, nullptr, 1));
    EXPECT_EQ('#', names[3][0]);
}

TEST_F(ValuePacks, DamagedIndexIsNeverReadPastNorWrittenOver)
{
    std::vector<BYTE> index(268 * 2 + 100, 'Z');   // the second entry's name has no terminator
    memset(index.data(), 0, 268);
    strcpy(reinterpret_cast<char*>(index.data()), "Good");
    WriteData(m_name, "JXP_0003", REG_BINARY, index.data(), index.size());
    TraceCapture::Clear();
    char names[2][PRINTER_NAME_CHARS];
    EXPECT_EQ(1u, m_session->EnumProfileRegValue("P", 3, names, nullptr, 2));
    EXPECT_STREQ("Good", names[0]);
    EXPECT_TRUE(TraceCapture::Contains("LMPROFJXP::EnumProfileRegValue - entry at 268 has no name\n"));

    BYTE data[2] = {1, 2};
    m_session->SaveProfileRegValue("P", 3, "New", data, 2, REG_BINARY);
    std::vector<BYTE> after = Data("JXP_0003");
    ASSERT_EQ(268u * 3, after.size()) << "the cut entry is dropped, the whole ones kept";
    EXPECT_TRUE(std::equal(index.begin(), index.begin() + 536, after.begin()));
    EXPECT_EQ("New", EntryName(after, 2));

    {
        PrinterDataAccess writeOnly(m_name, KEY_SET_VALUE);
        m_session->SaveProfileRegValue("P", 3, "Other", data, 2, REG_BINARY);
    }
    EXPECT_EQ(after, Data("JXP_0003")) << "an index that cannot be read is not taken for none";
}

TEST_F(ValuePacks, Win9xDataFilesStayInTheDriverDirectory)
{
    if (!RunsAsWin9x())
        GTEST_SKIP() << "data files are the Windows 9x road";
    std::string plain = m_name, dir = m_session->m_szDriverDir;
    ScratchPrinter quoted((m_name + "\"|").c_str(), FIXTURE_MODEL_A);
    ASSERT_TRUE(quoted.Ok());
    m_name += "\"|";
    m_session = NewSession();
    DeleteFileA((dir + "\\..\\Escape").c_str());
    BYTE data[5] = {1, 2, 3, 4, 5}, back[5] = {};
    m_session->SaveProfileRegValue("P", 1, "a/b", data, 5, REG_BINARY);
    m_session->SaveProfileRegValue("P", 1, "..\\..\\..\\Escape", data, 5, REG_BINARY);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dir + "\\" + plain + "___JXP_0001_a_b").c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES,
              GetFileAttributesA((dir + "\\" + plain + "___JXP_0001_.._.._.._Escape").c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dir + "\\..\\Escape").c_str()));
    DWORD cbOut = 0, dwType = 0;
    EXPECT_EQ(5u, m_session->LoadProfileRegValue("P", 1, "..\\..\\..\\Escape", back, 5, &cbOut, &dwType));
    EXPECT_EQ(0, memcmp(back, data, 5));

    // A path past the system's limit is refused before the index lists the value.
    std::string name200(200, 'p');
    TraceCapture::Clear();
    m_session->SaveProfileRegValue("P", 1, name200.c_str(), data, 5, REG_BINARY);
    EXPECT_TRUE(TraceCapture::Contains("LMPROFJXP::SaveProfileRegValue - no file path for JXP_0001_" + name200 + "\n"));
    EXPECT_EQ(2u, m_session->EnumProfileRegValue("P", 1, nullptr, nullptr, 0));
}

TEST_F(ValuePacks, WideRemoverDeletesAndTracesFailures)
{
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\LmProfTests\\Store", &h));
    RegSetValueExW(h, L"Per User", 0, REG_BINARY, reinterpret_cast<const BYTE*>("x"), 1);
    RegCloseKey(h);
    EXPECT_TRUE(m_session->RemoveRegValue(HKEY_CURRENT_USER, L"Software\\LmProfTests\\Store", L"Per User"));
    TraceCapture::Clear();
    EXPECT_FALSE(m_session->RemoveRegValue(HKEY_CURRENT_USER, L"Software\\LmProfTests\\Store", L"Per User"));
    EXPECT_FALSE(m_session->RemoveRegValue(HKEY_CURRENT_USER, L"Software\\LmProfTests\\Missing", L"Per User"));
    EXPECT_EQ(
        (std::vector<std::string>{"RemoveRegValue - remove value error - 2 for Per User\n",
                                  "RemoveRegValue - open registry error - 2 for Software\\LmProfTests\\Missing\n"}),
        TraceCapture::Lines());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\LmProfTests\\Store");
}

// The apply writes a value stored empty, so the printer's old one does not survive it, and
// skips a listed value whose data is missing, so the printer's old one is kept.
TEST_F(ValuePacks, ApplyWritesEmptyValuesAndSkipsMissingOnes)
{
    const BYTE old[] = {7, 7, 7}, two[] = {1, 2};
    WriteData(m_name, "LmEmpty", REG_BINARY, old, sizeof(old));
    WriteData(m_name, "LmGone", REG_BINARY, old, sizeof(old));
    m_session->SaveProfileRegValue("P", 3, "LmEmpty", two, 0, REG_BINARY);
    m_session->SaveProfileRegValue("P", 3, "LmGone", two, sizeof(two), REG_BINARY);
    if (InFile(3)) {
        ASSERT_TRUE(DeleteFileA(FilePath("JXP_0003_LmGone").c_str())) << GetLastError();
    } else {
        HKEY h = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, DriverDataKey(m_name).c_str(), 0, KEY_ALL_ACCESS, &h));
        EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(h, "JXP_0003_LmGone"));
        RegCloseKey(h);
    }
    m_session->ApplyRegistryValues("P", 3);
    DWORD dwType = 0;
    EXPECT_TRUE(Data("LmEmpty", &dwType).empty());
    EXPECT_EQ(DWORD(REG_BINARY), dwType) << "the value is gone instead of empty";
    EXPECT_EQ(std::vector<BYTE>(old, old + 3), Data("LmGone"));
}

namespace {

struct PackValue {
    std::string name;
    std::vector<BYTE> data;
};

// The pack of "Factory Default", kept in the printer data on every system: a value's data
// before its entry, the index whole after each value.
class PackStore : public ValuePacks {
protected:
    void SetUp() override
    {
        ValuePacks::SetUp();
        for (const char* pszName : {"Default DevMode", "A", "B", "C"}) {
            std::vector<BYTE> data(pszName[0] == 'B' ? 0 : 40 + strlen(pszName) * 7);
            for (size_t i = 0; i < data.size(); ++i)
                data[i] = PatternByte(DWORD(i), DWORD(pszName[0]));
            m_values.push_back({pszName, data});
        }
        for (const PackValue& value : m_values)
            m_pack.push_back({value.name.c_str(), value.data.data(), DWORD(value.data.size()), REG_BINARY});
    }
    // An index of its own under number 0: "Old", whose data is there, and "A" with other data.
    void WriteOldPack()
    {
        HKEY h = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DriverDataKey(m_name).c_str(), 0, KEY_ALL_ACCESS, &h) == ERROR_SUCCESS) {
            for (const PackValue& value : m_values)
                RegDeleteValueA(h, ("JXP_0000_" + value.name).c_str());
            RegCloseKey(h);
        }
        std::vector<BYTE> old(50, 0x01), index(2 * 268, 0);
        strcpy(reinterpret_cast<char*>(index.data()), "Old");
        strcpy(reinterpret_cast<char*>(index.data() + 268), "A");
        for (size_t off : {size_t(0), size_t(268)}) {
            index[off + 260] = REG_BINARY;
            index[off + 264] = 50;
        }
        WriteData(m_name, "JXP_0000", REG_BINARY, index.data(), index.size());
        WriteData(m_name, "JXP_0000_Old", REG_BINARY, old.data(), old.size());
        WriteData(m_name, "JXP_0000_A", REG_BINARY, old.data(), old.size());
    }
    // The names the index lists, each checked against its data: there, of the listed size.
    std::vector<std::string> Listed()
    {
        std::vector<BYTE> index = Data("JXP_0000");
        std::vector<std::string> names;
        for (size_t i = 0; i < index.size() / 268; ++i) {
            std::string name = EntryName(index, i);
            DWORD dwType = 0;
            std::vector<BYTE> data = Data(("JXP_0000_" + name).c_str(), &dwType);
            EXPECT_NE(0u, dwType) << name << " is listed, its data is missing";
            EXPECT_EQ(U32At(index, i * 268 + 264), data.size()) << name;
            names.push_back(name);
        }
        return names;
    }

    std::vector<PackValue> m_values;
    std::vector<PROFILEVALUE> m_pack;
};

}  // namespace

// Cut short at any write, a new pack's index lists exactly the values stored so far; until the
// first is listed the old index stays whole. No index is read for a new pack.
TEST_F(PackStore, NewPackCutShortAtAnyWriteListsOnlyValuesWhoseDataIsThere)
{
    for (long nWrites = 0; nWrites <= 8; ++nWrites) {
        SCOPED_TRACE(nWrites);
        WriteOldPack();
        DWORD nStored;
        {
            SpoolerCalls calls(nWrites);
            nStored = m_session->SaveProfileRegValues("P", 0, m_pack.data(), DWORD(m_pack.size()), true);
            EXPECT_EQ(std::vector<std::string>(), calls.reads);
        }
        EXPECT_EQ(DWORD(nWrites / 2), nStored);
        std::vector<std::string> expected = {"Old", "A"};
        if (nStored > 0) {
            expected = {"Default DevMode", "A", "B", "C"};
            expected.resize(nStored);
        }
        EXPECT_EQ(expected, Listed());
    }
}

// An existing pack's index is read once; a value whose data is refused leaves the index as it
// was, whether its entry would have been new or an old one given a new size.
TEST_F(PackStore, IndexIsReadOnceAndARefusedValueLeavesItsEntryAsItWas)
{
    for (const char* pszRefused : {"", "JXP_0000_A", "JXP_0000_B"}) {
        SCOPED_TRACE(pszRefused);
        WriteOldPack();
        SpoolerCalls calls(-1, pszRefused);
        EXPECT_EQ(*pszRefused ? 3u : 4u, m_session->SaveProfileRegValues("P", 0, m_pack.data(), DWORD(m_pack.size())));
        EXPECT_EQ(std::vector<std::string>{"JXP_0000"}, calls.reads);
        std::vector<std::string> expected = {"JXP_0000_Default DevMode", "JXP_0000", "JXP_0000_A", "JXP_0000",
                                             "JXP_0000_B",               "JXP_0000", "JXP_0000_C", "JXP_0000"};
        auto refused = std::find(expected.begin(), expected.end(), pszRefused);
        if (refused != expected.end())
            expected.erase(refused, refused + 2);
        EXPECT_EQ(expected, calls.writes);
        std::vector<std::string> listed = {"Old", "A", "Default DevMode", "B", "C"};
        if (std::string(pszRefused) == "JXP_0000_B")
            listed.erase(listed.begin() + 3);
        if (std::string(pszRefused) == "JXP_0000_A") {
            // "A" keeps its old entry, which still describes its old data.
            EXPECT_EQ(50u, U32At(Data("JXP_0000"), 268 + 264));
        }
        EXPECT_EQ(listed, Listed());
    }
}
