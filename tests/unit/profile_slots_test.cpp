#include "store_test_support.h"

namespace {

class ProfileSlots : public StoreTest {
protected:
    void WriteList(const std::vector<std::vector<BYTE>>& records, DWORD dwCount, size_t cbStray = 0)
    {
        std::vector<BYTE> list;
        for (const auto& rec : records)
            list.insert(list.end(), rec.begin(), rec.end());
        list.insert(list.end(), cbStray, 0xAB);
        WriteData(m_name, "JxProfileData", REG_BINARY, list.data(), list.size());
        WriteData(m_name, "JxProfileCount", REG_DWORD, &dwCount, 4);
    }
    std::vector<BYTE> Record(size_t i) const
    {
        std::vector<BYTE> list = Data("JxProfileData");
        return list.size() < (i + 1) * 556 ? std::vector<BYTE>()
                                           : std::vector<BYTE>(list.begin() + i * 556, list.begin() + (i + 1) * 556);
    }
    DWORD Count() const { return U32At(Data("JxProfileCount"), 0); }
};

}  // namespace

TEST_F(ProfileSlots, FirstAddCreatesFactoryDefaultAndNamesMustBeNewAndFit)
{
    EXPECT_EQ(1u, m_session->GetAvailableRegNum());
    ASSERT_TRUE(m_session->AddProfileToModel("Office", "Duplex", 0x11223344, 0x55667788, 1));
    EXPECT_EQ(2u, Count());
    std::vector<BYTE> office = ListRecord("Office", 1, "Duplex");
    memcpy(office.data() + 544, "\x44\x33\x22\x11\x88\x77\x66\x55", 8);
    EXPECT_EQ(ListRecord("Factory Default", 0), Record(0));
    EXPECT_EQ(office, Record(1));

    std::string name31(31, 'n'), desc511(511, 'd');
    TraceCapture::Clear();
    EXPECT_FALSE(m_session->AddProfileToModel("Office", "", 0, 0, 2));
    EXPECT_FALSE(m_session->AddProfileToModel("Factory Default", "", 0, 0, 2));
    EXPECT_FALSE(m_session->AddProfileToModel((name31 + "x").c_str(), "", 0, 0, 2));
    EXPECT_FALSE(m_session->AddProfileToModel("Short", (desc511 + "x").c_str(), 0, 0, 2));
    EXPECT_EQ((std::vector<std::string>{"profile Office is already exist.\n",
                                        "profile Factory Default is already exist.\n",
                                        "LMPROFJXP::AddProfileToModel - name does not fit - " + name31 + "x\n",
                                        "LMPROFJXP::AddProfileToModel - description does not fit - Short\n"}),
              StoreLines());
    EXPECT_EQ(2u, Count());

    EXPECT_TRUE(m_session->AddProfileToModel("office", "", 0, 0, 2));
    EXPECT_TRUE(m_session->AddProfileToModel(name31.c_str(), desc511.c_str(), 0, 0, 3));
    EXPECT_EQ(ListRecord(name31.c_str(), 3, desc511.c_str()), Record(3));
    EXPECT_EQ(2u, m_session->GetProfRegNum("office"));
    EXPECT_EQ(0u, m_session->GetProfRegNum("Factory Default"));
    EXPECT_EQ(0u, m_session->GetProfRegNum("Offic"));
}

TEST_F(ProfileSlots, RegistryNumbersFillGapsAreNeverSharedAndStopAt25)
{
    WriteList({ListRecord("Factory Default", 0), ListRecord("A", 1), ListRecord("B", 2), ListRecord("D", 4)}, 4);
    TraceCapture::Clear();
    EXPECT_EQ(3u, m_session->GetAvailableRegNum());
    EXPECT_EQ((std::vector<std::string>{"LMPROFJXP::GetRegValue - PrinterDriverData, JxProfileData\n",
                                        "GetAvailableRegNum - 3\n"}),
              TraceCapture::Lines());
    // A second record on a number would share that profile's values.
    EXPECT_FALSE(m_session->AddProfileToModel("Other", "", 0, 0, 4));
    EXPECT_FALSE(m_session->AddProfileToModel("Other", "", 0, 0, 0));

    for (DWORD n = m_session->GetAvailableRegNum(); n <= 25; n = m_session->GetAvailableRegNum())
        ASSERT_TRUE(m_session->AddProfileToModel(("P" + std::to_string(n)).c_str(), "", 0, 0, n));
    EXPECT_EQ(26u, m_session->GetAvailableRegNum());
    TraceCapture::Clear();
    EXPECT_FALSE(m_session->AddProfileToModel("P26", "", 0, 0, 26));
    EXPECT_EQ(std::vector<std::string>{"LMPROFJXP::AddProfileToModel - registry number 26 out of range\n"},
              TraceCapture::Lines());
    EXPECT_EQ(26u, Count());
}

TEST_F(ProfileSlots, RefusedListWriteStopsBeforeTheCount)
{
    ASSERT_TRUE(m_session->AddProfileToModel("Kept", "", 0, 0, 1));
    std::vector<BYTE> before = Data("JxProfileData");
    {
        PrinterDataAccess readOnly(m_name, KEY_READ);
        TraceCapture::Clear();
        EXPECT_FALSE(m_session->AddProfileToModel("Refused", "", 0, 0, 2));
        EXPECT_TRUE(TraceCapture::Contains("LMPROFJXP::SetRegValue - Error 5\n")) << TraceCapture::Dump();
        EXPECT_FALSE(TraceCapture::Contains("LMPROFJXP::SetRegValue - PrinterDriverData, JxProfileCount\n"));
    }
    EXPECT_EQ(before, Data("JxProfileData"));
    EXPECT_EQ(2u, Count());
}

// Count and size disagree, a record is cut at the end, or the list cannot be read: nothing is
// read past the list, and adding a profile keeps every whole record.
TEST_F(ProfileSlots, DamagedListKeepsEveryWholeRecord)
{
    std::vector<std::vector<BYTE>> records = {ListRecord("Factory Default", 0), ListRecord("A", 1, "first"),
                                              ListRecord("B", 2, "second")};
    struct {
        DWORD dwCount;
        size_t cbStray;
    } cases[] = {{9, 0}, {1, 0}, {3, 300}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dwCount);
        WriteList(records, c.dwCount, c.cbStray);
        std::unique_ptr<LMPROFJXP> fresh = NewSession();
        char names[3][PROFILE_NAME_CELL];
        EXPECT_EQ(3, fresh->GetProfileDataFromModel(names, nullptr, nullptr));
        EXPECT_STREQ("B", names[2]);
        EXPECT_EQ(3u, m_session->GetAvailableRegNum());

        ASSERT_TRUE(m_session->AddProfileToModel("C", "", 0, 0, 3));
        EXPECT_EQ(4u * 556, Data("JxProfileData").size());
        EXPECT_EQ(4u, Count());
        for (size_t i = 0; i < records.size(); ++i)
            EXPECT_EQ(records[i], Record(i)) << i;
    }

    std::vector<BYTE> before = Data("JxProfileData");
    {
        PrinterDataAccess writeOnly(m_name, KEY_SET_VALUE);
        TraceCapture::Clear();
        EXPECT_FALSE(m_session->AddProfileToModel("D", "", 0, 0, 4));
        EXPECT_TRUE(TraceCapture::Contains("LMPROFJXP::AddProfileToModel - profile list unreadable - 5\n"))
            << TraceCapture::Dump();
        EXPECT_LT(25u, m_session->GetAvailableRegNum()) << "an import must not take a number that may be in use";
    }
    EXPECT_EQ(before, Data("JxProfileData"));
}

TEST_F(ProfileSlots, CacheIsFilledOnceAndOnlyWithSoundRecords)
{
    WriteData(m_name, "JxProfileCount", REG_DWORD, "\0\0\0\0", 4);
    EXPECT_EQ(0, m_session->GetProfileDataFromModel(nullptr, nullptr, nullptr));
    EXPECT_EQ(nullptr, m_session->m_pProfileData);

    // A name without its terminator stays out of the cache instead of being read past its field.
    std::vector<BYTE> unterminated(556, 'X');
    WriteList({ListRecord("Factory Default", 0), ListRecord("A", 1, "first"), unterminated}, 3);
    TraceCapture::Clear();
    char names[2][PROFILE_NAME_CELL], descriptions[2][DESCRIPTION_CELL];
    EXPECT_EQ(2, m_session->GetProfileDataFromModel(names, descriptions, nullptr));
    EXPECT_EQ("LMPROFILE::GetProfileDataFromModel - " + m_name + "\n", TraceCapture::Lines().at(0));
    EXPECT_STREQ("A", names[1]);
    EXPECT_STREQ("first", descriptions[1]);
    EXPECT_STREQ("", descriptions[0]);

    ASSERT_TRUE(m_session->AddProfileToModel("Later", "", 0, 0, 3));
    EXPECT_EQ(2, m_session->GetProfileDataFromModel(nullptr, nullptr, nullptr)) << "the cache is not read again";
}

// An import reads the list once for both the free number and the addition: the addition writes
// what AddProfileToModel writes, the list and the count, and reads nothing.
TEST_F(ProfileSlots, ListReadOnceGivesTheNumberAndTakesTheNewRecord)
{
    std::vector<BYTE> list;
    {
        SpoolerCalls calls;
        ASSERT_TRUE(m_session->ReadProfileList(&list));
        EXPECT_TRUE(list.empty());
        EXPECT_EQ(1u, m_session->AvailableRegNumOf(list, true));
        // No list yet: the one written starts with "Factory Default", also when the name is taken
        // by it.
        EXPECT_FALSE(m_session->AddProfileToList(list, "Factory Default", "", 0, 0, 1));
        EXPECT_EQ((std::vector<std::string>{"JxProfileData"}), calls.reads);
        EXPECT_EQ((std::vector<std::string>{"JxProfileData", "JxProfileCount"}), calls.writes);
    }
    EXPECT_EQ(556u, Data("JxProfileData").size());
    EXPECT_EQ(1u, Count());

    list.clear();
    {
        SpoolerCalls calls;
        ASSERT_TRUE(m_session->AddProfileToList(list, "Office", "Duplex", 7, 8, 1));
        EXPECT_EQ(std::vector<std::string>(), calls.reads);
        EXPECT_EQ((std::vector<std::string>{"JxProfileData", "JxProfileCount"}), calls.writes);
    }
    std::vector<BYTE> office = ListRecord("Office", 1, "Duplex");
    office[544] = 7;
    office[548] = 8;
    EXPECT_EQ(ListRecord("Factory Default", 0), Record(0));
    EXPECT_EQ(office, Record(1));
    EXPECT_EQ(2u, Count());

    // The list as read, whole records kept and a cut one dropped, as AddProfileToModel does.
    WriteList({ListRecord("Factory Default", 0), ListRecord("A", 1), ListRecord("B", 3)}, 3, 100);
    ASSERT_TRUE(m_session->ReadProfileList(&list));
    EXPECT_EQ(3u * 556 + 100, list.size());
    EXPECT_EQ(2u, m_session->AvailableRegNumOf(list, true));
    EXPECT_FALSE(m_session->AddProfileToList(list, "B", "", 0, 0, 2));
    EXPECT_FALSE(m_session->AddProfileToList(list, "C", "", 0, 0, 3));
    ASSERT_TRUE(m_session->AddProfileToList(list, "C", "", 0, 0, 2));
    EXPECT_EQ(ListRecord("C", 2), Record(3));
    EXPECT_EQ(4u * 556, Data("JxProfileData").size());
    EXPECT_EQ(4u, Count());

    PrinterDataAccess writeOnly(m_name, KEY_SET_VALUE);
    SetLastError(ERROR_MARKER);
    EXPECT_FALSE(m_session->ReadProfileList(&list));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_LT(25u, m_session->AvailableRegNumOf(list, false));
}
