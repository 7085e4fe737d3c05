// A profile's pack of values: an index ("JXP_nnnn") listing each value's name, type and size,
// and the data beside it, in the printer data (on Windows 9x in files beside the driver, except
// for "Factory Default", number 0).
#include <algorithm>

#include "store/profile_store.h"
#include "store_test_support.h"

namespace {

class ValuePacks : public StoreTest {
protected:
    std::string EntryName(const Bytes& index, size_t i) const
    {
        return index.size() < (i + 1) * 268 ? "" : reinterpret_cast<const char*>(&index[i * 268]);
    }
};

// The pack of "Factory Default", kept in the printer data on every system: a value's data
// before its entry, the index whole after each value.
class PackStore : public ValuePacks {
protected:
    void SetUp() override
    {
        ValuePacks::SetUp();
        for (size_t n = 0; n < 4; ++n) {
            m_data[n].resize(NAMES[n][0] == 'B' ? 0 : 40 + strlen(NAMES[n]) * 7);
            for (size_t i = 0; i < m_data[n].size(); ++i)
                m_data[n][i] = PatternByte(DWORD(i), DWORD(NAMES[n][0]));
            m_pack.push_back({NAMES[n], m_data[n].data(), DWORD(m_data[n].size()), REG_BINARY});
        }
    }
    // An index of its own under number 0: "Old", whose data is there, and "A" with other data.
    void WriteOldPack()
    {
        HKEY h = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DriverDataKey(m_name).c_str(), 0, KEY_ALL_ACCESS, &h) == ERROR_SUCCESS) {
            for (const char* pszName : NAMES)
                RegDeleteValueA(h, (std::string("JXP_0000_") + pszName).c_str());
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

    static constexpr const char* NAMES[4] = {"Default DevMode", "A", "B", "C"};
    Bytes m_data[4];
    std::vector<PROFILEVALUE> m_pack;
};

}  // namespace

// Saved again, a value keeps its entry and the type it was first saved with; its size and data
// are replaced. A buffer one byte short is refused, not overrun.
TEST_F(ValuePacks, ValueSavedAgainIsReplacedInItsEntry)
{
    ASSERT_TRUE(m_session->AddProfileToModel("Office", "", 0, 0, 1));
    Bytes first(1200, 0x11), second(1300, 0x22), buffer(1300), shortBuffer(1299, 0xEE);
    m_session->SaveProfileRegValue("Office", REG_NUM_BY_NAME, "Default DevMode", first.data(), 1200, REG_BINARY);
    m_session->SaveProfileRegValue("Office", 1, "Default DevMode", second.data(), 1300, REG_DWORD);
    Bytes index = Data("JXP_0001");
    ASSERT_EQ(268u, index.size());
    EXPECT_EQ("Default DevMode", EntryName(index, 0));
    EXPECT_EQ(DWORD(REG_BINARY), U32At(index, 260));
    EXPECT_EQ(1300u, U32At(index, 264));
    EXPECT_EQ(1300u, m_session->GetProfileRegValueSize("Office", "Default DevMode"));
    DWORD cbOut = 0, dwType = 0;
    EXPECT_EQ(1300u, m_session->GetProfileRegValue("Office", "Default DevMode", buffer.data(), 1300, &cbOut, &dwType));
    EXPECT_EQ(second, buffer);
    EXPECT_EQ(0u,
              m_session->GetProfileRegValue("Office", "Default DevMode", shortBuffer.data(), 1299, &cbOut, nullptr));
    EXPECT_EQ(Bytes(1299, 0xEE), shortBuffer);
}

// A value name travels whole, up to what "JXP_%04d_%s" fits in 260 bytes, or is refused; so is
// one holding "JXP_", which would collide with the pack's own names. Large values round-trip.
TEST_F(ValuePacks, NamesTravelWholeOrAreRefusedAndLargeValuesRoundTrip)
{
    Bytes big(65536);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = PatternByte(DWORD(i), 3);
    const std::string name250(250, 'w');
    for (const std::string& name : {std::string(251, 'x'), std::string("JXP_0002_Foo"), std::string("MyJXP_Value"),
                                    std::string("Big"), name250})
        m_session->SaveProfileRegValue("P", 0, name.c_str(), big.data(), DWORD(big.size()), REG_BINARY);
    char names[3][PRINTER_NAME_CHARS];
    memset(names, '#', sizeof(names));
    ASSERT_EQ(2u, m_session->EnumProfileRegValue("P", 0, names, nullptr, 3));
    EXPECT_STREQ("Big", names[0]);
    EXPECT_EQ(name250, names[1]);
    EXPECT_EQ('#', names[2][0]);
    Bytes back(big.size());
    DWORD cbOut = 0, dwType = 0;
    EXPECT_EQ(big.size(), m_session->LoadProfileRegValue("P", 0, name250.c_str(), back.data(), DWORD(back.size()),
                                                         &cbOut, &dwType));
    EXPECT_EQ(big, back);
    // Fewer cells than entries (the index grew after counting): only the cells given are filled.
    EXPECT_EQ(1u, m_session->EnumProfileRegValue("P", 0, names + 2, nullptr, 1));
    EXPECT_STREQ("Big", names[2]);
}

TEST_F(ValuePacks, DamagedIndexIsNeverReadPastNorWrittenOver)
{
    Bytes index(268 * 2 + 100, 'Z');   // the second entry's name has no terminator
    memset(index.data(), 0, 268);
    strcpy(reinterpret_cast<char*>(index.data()), "Good");
    WriteData(m_name, "JXP_0003", REG_BINARY, index.data(), index.size());
    BYTE data[2] = {1, 2};
    m_session->SaveProfileRegValue("P", 3, "New", data, 2, REG_BINARY);
    Bytes after = Data("JXP_0003");
    ASSERT_EQ(268u * 3, after.size()) << "the cut entry is dropped, the whole ones kept";
    EXPECT_TRUE(std::equal(index.begin(), index.begin() + 536, after.begin()));
    EXPECT_EQ("New", EntryName(after, 2));
    {
        PrinterDataAccess writeOnly(m_name, KEY_SET_VALUE);
        m_session->SaveProfileRegValue("P", 3, "Other", data, 2, REG_BINARY);
    }
    EXPECT_EQ(after, Data("JXP_0003")) << "an index that cannot be read is not taken for none";
}

// The file is named after the printer and the value, with what a file name cannot hold
// replaced, so no name leads out of the driver's folder; the longest path is 259 characters.
TEST_F(ValuePacks, Win9xDataFilesStayInTheDriverFolder)
{
    if (!RunsAsWin9x())
        GTEST_SKIP() << "data files are the Windows 9x road";
    const std::string dir = m_session->m_szDriverDir, plain = m_name;
    ScratchPrinter quoted((m_name + "\"|").c_str(), FIXTURE_MODEL_A);
    ASSERT_TRUE(quoted.Ok());
    m_name += "\"|";
    m_session = OpenSession(m_name);
    BYTE data[5] = {1, 2, 3, 4, 5}, back[5] = {};
    m_session->SaveProfileRegValue("P", 1, "..\\..\\..\\Escape", data, 5, REG_BINARY);
    EXPECT_TRUE(FileExists(dir + "\\" + plain + "___JXP_0001_.._.._.._Escape"));
    EXPECT_FALSE(FileExists(dir + "\\..\\Escape"));
    DWORD cbOut = 0, dwType = 0;
    EXPECT_EQ(5u, m_session->LoadProfileRegValue("P", 1, "..\\..\\..\\Escape", back, 5, &cbOut, &dwType));
    EXPECT_EQ(0, memcmp(back, data, 5));

    size_t nRoom = MAX_PATH - 1 - (dir.size() + 1 + m_name.size() + 1 + strlen("JXP_0001_"));
    m_session->SaveProfileRegValue("P", 1, std::string(nRoom, 'p').c_str(), data, 5, REG_BINARY);
    m_session->SaveProfileRegValue("P", 1, std::string(nRoom + 1, 'q').c_str(), data, 5, REG_BINARY);
    EXPECT_TRUE(FileExists(dir + "\\" + plain + "___JXP_0001_" + std::string(nRoom, 'p')));
    EXPECT_EQ(2u, m_session->EnumProfileRegValue("P", 1, nullptr, nullptr, 0)) << "a path too long was listed";
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
    if (RunsAsWin9x()) {   // number 3 keeps its data in files there
        std::string file = std::string(m_session->m_szDriverDir) + "\\" + m_name + "_JXP_0003_LmGone";
        ASSERT_TRUE(DeleteFileA(file.c_str())) << GetLastError();
    } else {
        HKEY h = nullptr;
        std::string key = DriverDataKey(m_name);
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE, &h));
        EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(h, "JXP_0003_LmGone"));
        RegCloseKey(h);
    }
    m_session->ApplyRegistryValues("P", 3);
    DWORD dwType = 0;
    EXPECT_TRUE(Data("LmEmpty", &dwType).empty());
    EXPECT_EQ(DWORD(REG_BINARY), dwType) << "the value is gone instead of empty";
    EXPECT_EQ(Bytes(old, old + 3), Data("LmGone"));
}

// Cut short at any write, a new pack's index lists exactly the values stored so far; until the
// first is listed the old index stays whole.
TEST_F(PackStore, NewPackCutShortAtAnyWriteListsOnlyValuesWhoseDataIsThere)
{
    for (long nWrites = 0; nWrites <= 8; ++nWrites) {
        SCOPED_TRACE(nWrites);
        WriteOldPack();
        DWORD nStored;
        {
            SpoolerCalls calls(nWrites);
            nStored = m_session->SaveProfileRegValues("P", 0, m_pack.data(), DWORD(m_pack.size()), true);
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

// Into an existing pack, a value whose data is refused leaves the index as it was, whether its
// entry would have been new or an old one given a new size.
TEST_F(PackStore, ARefusedValueLeavesItsEntryAsItWas)
{
    for (const char* pszRefused : {"", "JXP_0000_A", "JXP_0000_B"}) {
        SCOPED_TRACE(pszRefused);
        WriteOldPack();
        SpoolerCalls calls(-1, pszRefused);
        EXPECT_EQ(*pszRefused ? 3u : 4u, m_session->SaveProfileRegValues("P", 0, m_pack.data(), DWORD(m_pack.size())));
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
