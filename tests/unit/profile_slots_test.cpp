// The printer's profile list: "Factory Default" first, the user's profiles on registry numbers 1
// to 25, and a damaged list whose whole records are all kept.
#include "store_test_support.h"

namespace {

class ProfileSlots : public StoreTest {
protected:
    void WriteList(const std::vector<Bytes>& records, DWORD dwCount, size_t cbStray = 0)
    {
        Bytes list;
        for (const auto& rec : records)
            list.insert(list.end(), rec.begin(), rec.end());
        list.insert(list.end(), cbStray, 0xAB);
        WriteData(m_name, "JxProfileData", REG_BINARY, list.data(), list.size());
        WriteData(m_name, "JxProfileCount", REG_DWORD, &dwCount, 4);
    }
    Bytes Record(size_t i) const
    {
        Bytes list = Data("JxProfileData");
        return list.size() < (i + 1) * 556 ? Bytes() : Bytes(&list[i * 556], &list[i * 556] + 556);
    }
    DWORD Count() const { return U32At(Data("JxProfileCount"), 0); }
};

}  // namespace

TEST_F(ProfileSlots, FirstAddCreatesFactoryDefaultAndNamesMustBeNewAndFit)
{
    ASSERT_TRUE(m_session->AddProfileToModel("Office", "Duplex", 0x11223344, 0x55667788, 1));
    Bytes office = ListRecord("Office", 1, "Duplex");
    memcpy(&office[544], "\x44\x33\x22\x11\x88\x77\x66\x55", 8);
    EXPECT_EQ(ListRecord("Factory Default", 0), Record(0));
    EXPECT_EQ(office, Record(1));
    EXPECT_EQ(2u, Count());

    const std::string name31(31, 'n'), desc511(511, 'd');
    const std::pair<std::string, std::string> refused[] = {
        {"Office", ""}, {"Factory Default", ""}, {name31 + "x", ""}, {"Short", desc511 + "x"}};
    for (const auto& r : refused)
        EXPECT_FALSE(m_session->AddProfileToModel(r.first.c_str(), r.second.c_str(), 0, 0, 2)) << r.first;
    EXPECT_EQ(2u, Count());
    EXPECT_TRUE(m_session->AddProfileToModel("office", "", 0, 0, 2)) << "letter case makes another name";
    EXPECT_TRUE(m_session->AddProfileToModel(name31.c_str(), desc511.c_str(), 0, 0, 3));
    EXPECT_EQ(ListRecord(name31.c_str(), 3, desc511.c_str()), Record(3));
    EXPECT_EQ(2u, m_session->GetProfRegNum("office"));
    EXPECT_EQ(0u, m_session->GetProfRegNum("Offic"));
}

TEST_F(ProfileSlots, RegistryNumbersFillGapsAreNeverSharedAndStopAt25)
{
    WriteList({ListRecord("Factory Default", 0), ListRecord("A", 1), ListRecord("B", 2), ListRecord("D", 4)}, 4);
    EXPECT_EQ(3u, m_session->GetAvailableRegNum());
    // A second record on a number would share that profile's values.
    EXPECT_FALSE(m_session->AddProfileToModel("Other", "", 0, 0, 4));
    EXPECT_FALSE(m_session->AddProfileToModel("Other", "", 0, 0, 0));
    // (A full list of 25 leaves no number: Limits.AFullProfileListTakesNoTwentySixthProfile.)
    EXPECT_FALSE(m_session->AddProfileToModel("Other", "", 0, 0, 26));
    ASSERT_TRUE(m_session->AddProfileToModel("C", "", 0, 0, 3));
    EXPECT_EQ(5u, m_session->GetAvailableRegNum());
    EXPECT_EQ(5u, Count());
}

// Count and size disagree, a record is cut at the end, or the list cannot be read or written:
// nothing is read past the list, adding a profile keeps every whole record, and a refused list
// is not followed by its count.
TEST_F(ProfileSlots, DamagedListKeepsEveryWholeRecord)
{
    const std::vector<Bytes> records = {ListRecord("Factory Default", 0), ListRecord("A", 1, "first"),
                                        ListRecord("B", 2, "second")};
    const std::pair<DWORD, size_t> cases[] = {{9, 0}, {1, 0}, {3, 300}};   // count, stray bytes
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        WriteList(records, c.first, c.second);
        char names[3][PROFILE_NAME_CELL];
        EXPECT_EQ(3, OpenSession(m_name)->GetProfileDataFromModel(names, nullptr, nullptr));
        EXPECT_STREQ("B", names[2]);
        EXPECT_EQ(3u, m_session->GetAvailableRegNum());
        ASSERT_TRUE(m_session->AddProfileToModel("C", "", 0, 0, 3));
        EXPECT_EQ(4u * 556, Data("JxProfileData").size());
        EXPECT_EQ(4u, Count());
        for (size_t i = 0; i < records.size(); ++i)
            EXPECT_EQ(records[i], Record(i)) << i;
    }

    const Bytes before = Data("JxProfileData");
    {
        PrinterDataAccess writeOnly(m_name, KEY_SET_VALUE);
        EXPECT_FALSE(m_session->AddProfileToModel("D", "", 0, 0, 4));
        EXPECT_LT(25u, m_session->GetAvailableRegNum()) << "an import must not take a number that may be in use";
    }
    {
        PrinterDataAccess readOnly(m_name, KEY_READ);
        TraceCapture::Clear();
        EXPECT_FALSE(m_session->AddProfileToModel("D", "", 0, 0, 4));
        EXPECT_EQ(0, TraceCapture::Count("LMPROFJXP::SetRegValue - PrinterDriverData, JxProfileCount"));
    }
    EXPECT_EQ(before, Data("JxProfileData"));
    EXPECT_EQ(4u, Count());
}
