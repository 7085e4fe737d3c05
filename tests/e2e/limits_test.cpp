// The exchange calls outside their bounds: called without a current session, and given names
// and paths that do not fit their cells. Each refuses with its plain failure result and a trace
// line; nothing is cut, created or imported.
#include <cstring>

#include "e2e_support.h"

namespace {

class Limits : public E2ETest {
protected:
    void SetUp() override
    {
        E2ETest::SetUp();
        m_a = &AddPrinter("A", FIXTURE_MODEL_A);
        StoreOffice(*m_a);
        m_file = m_work->Path("Office file.jxp");
        ASSERT_EQ(1, Export(*m_a, "Office", m_file));
    }

    TestPrinter* m_a = nullptr;
    std::string m_file;
};

}  // namespace

TEST_F(Limits, CallsWithoutACurrentSessionFailWithTheirTraceLine)
{
    // The DLL's trace is switched on by a session; none is left current.
    ASSERT_TRUE(Dll().InitJxpApi(nullptr, m_a->Name()));
    Dll().CloseJxpApi(nullptr, m_a->Name());
    StoreState before = m_a->State();
    TraceCapture::Clear();

    char names[2][32];
    memset(names, '#', sizeof(names));
    EXPECT_EQ(0, Dll().GetProfileListFromJxp(m_file.c_str(), names[0], nullptr, nullptr, 2));
    EXPECT_EQ('#', names[0][0]);
    char model[128] = "#";
    EXPECT_FALSE(Dll().GetJxpFileDeviceModel(m_file.c_str(), model));
    EXPECT_STREQ("#", model);
    std::string created = m_work->Path("created.jxp");
    EXPECT_EQ(0, Dll().ExportProfileToJxp("Office", created.c_str()));
    EXPECT_FALSE(FileExists(created));
    char cell[32] = "Office";
    EXPECT_EQ(0, Dll().ImportProfileFromJxp(m_file.c_str(), cell, 1, TRUE));
    std::wstring wide(m_file.begin(), m_file.end());
    EXPECT_EQ(0, Dll().ImportProfileFromJxpW(wide.c_str(), cell, 1, TRUE));
    EXPECT_EQ(0, Dll().ImportProfileAsDefault(m_file.c_str(), "Office", 7));
    for (const char* pszCall : {"GetProfileListFromJxp", "GetJxpFileDeviceModel", "ExportProfileToJxp",
                                "ImportProfileFromJxp", "ImportProfileFromJxpW", "ImportProfileAsDefault"}) {
        EXPECT_TRUE(TraceCapture::Contains(std::string(pszCall) + " - no current session\n"))
            << pszCall << TraceCapture::Dump();
    }
    EXPECT_TRUE(before == m_a->State());
    // Listing a folder needs no session.
    EXPECT_EQ(1, Dll().GetJxpFileListFromDirectory(m_work->Dir().c_str(), nullptr, 0));
}

TEST_F(Limits, NamesAndPathsThatDoNotFitAreRefusedNeverCut)
{
    // A name of 31 characters fits its cell; one of 32 is another profile's name cut short.
    std::string name31(31, 'N'), name32(32, 'N');
    StoreOffice(*m_a, name31.c_str(), 2);
    std::string longPath = m_work->Path(std::string(258 - m_work->Dir().size(), 'p'));
    ASSERT_EQ(259u, longPath.size());
    std::string tooLong = longPath + "q";
    ASSERT_TRUE(Dll().InitJxpApi(nullptr, m_a->Name()));

    EXPECT_EQ(1, Dll().ExportProfileToJxp(name31.c_str(), m_work->Path("n31.jxp").c_str()));
    TraceCapture::Clear();
    EXPECT_EQ(0, Dll().ExportProfileToJxp(name32.c_str(), m_work->Path("n32.jxp").c_str()));
    EXPECT_TRUE(TraceCapture::Contains("ExportProfileToJxp - invalid profile name\n")) << TraceCapture::Dump();
    EXPECT_FALSE(FileExists(m_work->Path("n32.jxp")));
    // A path of 259 characters fits; of 260 it would be cut into another file's name.
    EXPECT_EQ(1, Dll().ExportProfileToJxp("Office", longPath.c_str())) << TraceCapture::Dump();
    EXPECT_TRUE(FileExists(longPath));
    TraceCapture::Clear();
    EXPECT_EQ(0, Dll().ExportProfileToJxp("Office", tooLong.c_str()));
    EXPECT_TRUE(TraceCapture::Contains("ExportProfileToJxp - invalid path\n"));

    TestPrinter& b = AddPrinter("B", FIXTURE_MODEL_A);
    ASSERT_TRUE(Dll().InitJxpApi(nullptr, b.Name()));
    StoreState before = b.State();
    TraceCapture::Clear();
    EXPECT_EQ(0, Dll().ImportProfileAsDefault(m_file.c_str(), name32.c_str(), 3));
    EXPECT_TRUE(TraceCapture::Contains("ImportProfileAsDefault - invalid profile name\n"));
    EXPECT_EQ(0, Dll().ImportProfileAsDefault(tooLong.c_str(), "Office", 3));
    EXPECT_TRUE(TraceCapture::Contains("ImportProfileAsDefault - invalid path\n"));
    EXPECT_EQ(0, Dll().ImportProfileFromJxp(tooLong.c_str(), nullptr, 0, FALSE));
    EXPECT_TRUE(TraceCapture::Contains("ImportProfileFromJxp - invalid path\n"));
    std::wstring wideTooLong(tooLong.begin(), tooLong.end());
    char cell[32] = "Office";
    EXPECT_EQ(0, Dll().ImportProfileFromJxpW(wideTooLong.c_str(), cell, 1, FALSE));
    EXPECT_TRUE(TraceCapture::Contains("ImportProfileFromJxpW - invalid path\n"));
    char model[128] = "#";
    EXPECT_FALSE(Dll().GetJxpFileDeviceModel(tooLong.c_str(), model));
    EXPECT_STREQ("#", model);
    EXPECT_EQ(0, Dll().GetProfileListFromJxp(tooLong.c_str(), nullptr, nullptr, nullptr, 0));
    EXPECT_TRUE(before == b.State()) << "a refused call changed the printer";

    // A cell without its terminator is skipped; the next cell still counts.
    char cells[2][32];
    memset(cells[0], 'O', 32);
    strcpy(cells[1], "Office");
    TraceCapture::Clear();
    EXPECT_EQ(1, Dll().ImportProfileFromJxp(m_file.c_str(), cells[0], 2, FALSE));
    EXPECT_TRUE(TraceCapture::Contains("LMPROFILE::ImportProfilesFromJXP - profile name too long\n"));
    std::vector<ProfileRecord> list = b.List();
    ASSERT_EQ(2u, list.size());
    EXPECT_STREQ("Office", list[1].szName);

    // A folder whose search pattern does not fit a path.
    TraceCapture::Clear();
    EXPECT_EQ(0, Dll().GetJxpFileListFromDirectory(std::string(m_work->Dir() + std::string(260, 'f')).c_str(), nullptr,
                                                   0));
    EXPECT_TRUE(TraceCapture::Contains("LMPROFILE::GetJxpList - folder name too long\n"));
}

// A printer that lists 25 profiles has no registry number left: the import refuses a 26th,
// listed or as "Factory Default", and the printer keeps what it had (the win98 copy takes the
// ANSI road, the others the wide one).
TEST_F(Limits, AFullProfileListTakesNoTwentySixthProfile)
{
    TestPrinter& b = AddPrinter("B", FIXTURE_MODEL_A);
    {
        auto session = b.Session();
        for (DWORD n = 1; n <= 25; ++n)
            ASSERT_TRUE(session->AddProfileToModel(("P" + std::to_string(n)).c_str(), "", 0, 0, n));
    }
    ASSERT_EQ(26u, b.List().size());
    StoreState before = b.State();
    ASSERT_TRUE(Dll().InitJxpApi(nullptr, b.Name()));
    char cell[32] = "Office";
    TraceCapture::Clear();
    EXPECT_EQ(0, Dll().ImportProfileFromJxp(m_file.c_str(), cell, 1, TRUE));
    EXPECT_TRUE(TraceCapture::Contains("*** nRegNum = 26\n")) << TraceCapture::Dump();
    EXPECT_EQ(0, Dll().ImportProfileAsDefault(m_file.c_str(), "Office", 3));
    EXPECT_TRUE(before == b.State()) << "a refused import changed the printer";
}
