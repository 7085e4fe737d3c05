// The exchange calls outside their bounds: called without a current session, given names and
// paths that do not fit their cells, and importing into a full profile list. Each refuses with
// its plain failure result and a trace line; nothing is cut, created or imported.
#include <cstring>
#include <functional>

#include "e2e_support.h"

namespace {

class Limits : public OfficeExported {};

}  // namespace

TEST_F(Limits, CallsWithoutACurrentSessionFailWithTheirTraceLine)
{
    // The DLL's trace is switched on by a session; none is left current.
    ASSERT_TRUE(Dll().InitJxpApi(nullptr, m_a->Name()));
    Dll().CloseJxpApi(nullptr, m_a->Name());
    StoreState before = m_a->State();
    std::string created = m_work->Path("created.jxp");
    std::wstring wide(m_file.begin(), m_file.end());
    char names[2][32], model[128] = "#", cell[32] = "Office";
    memset(names, '#', sizeof(names));
    const struct {
        const char* pszCall;
        std::function<int()> call;
    } calls[] = {
        {"GetProfileListFromJxp", [&] { return Dll().GetProfileListFromJxp(m_file.c_str(), names[0], 0, 0, 2); }},
        {"GetJxpFileDeviceModel", [&] { return int(Dll().GetJxpFileDeviceModel(m_file.c_str(), model)); }},
        {"ExportProfileToJxp", [&] { return Dll().ExportProfileToJxp("Office", created.c_str()); }},
        {"ImportProfileFromJxp", [&] { return Dll().ImportProfileFromJxp(m_file.c_str(), cell, 1, TRUE); }},
        {"ImportProfileFromJxpW", [&] { return Dll().ImportProfileFromJxpW(wide.c_str(), cell, 1, TRUE); }},
        {"ImportProfileAsDefault", [&] { return Dll().ImportProfileAsDefault(m_file.c_str(), "Office", 7); }},
    };
    for (const auto& c : calls) {
        TraceCapture::Clear();
        EXPECT_EQ(0, c.call()) << c.pszCall;
        EXPECT_TRUE(TraceCapture::Contains(std::string(c.pszCall) + " - no current session\n"))
            << c.pszCall << TraceCapture::Dump();
    }
    EXPECT_EQ('#', names[0][0]);
    EXPECT_STREQ("#", model);
    EXPECT_FALSE(FileExists(created));
    EXPECT_TRUE(before == m_a->State());
    // Listing a folder needs no session.
    EXPECT_EQ(1, Dll().GetJxpFileListFromDirectory(m_work->Dir().c_str(), nullptr, 0));
}

// A name of 32 characters would be another profile's name cut short, a path of 260 another
// file's: the reading calls refuse them and leave the printer as it was. 31 and 259 fit.
TEST_F(Limits, ReadingCallsRefuseNamesAndPathsThatDoNotFitNeverCut)
{
    std::string path259 = m_work->Path(std::string(258 - m_work->Dir().size(), 'p')), tooLong = path259 + "q";
    ASSERT_EQ(259u, path259.size());
    ASSERT_TRUE(CopyFileA(m_file.c_str(), path259.c_str(), FALSE));
    std::wstring wideTooLong(tooLong.begin(), tooLong.end());
    std::string name32(32, 'N');
    TestPrinter& b = AddPrinter("B", FIXTURE_MODEL_A);
    ASSERT_TRUE(Dll().InitJxpApi(nullptr, b.Name()));
    StoreState before = b.State();
    char cell[32] = "Office", model[128] = "#";
    const struct {
        const char* pszTrace;
        std::function<int()> call;
    } cases[] = {
        {"ImportProfileAsDefault - invalid profile name\n",
         [&] { return Dll().ImportProfileAsDefault(m_file.c_str(), name32.c_str(), 3); }},
        {"ImportProfileAsDefault - invalid path\n",
         [&] { return Dll().ImportProfileAsDefault(tooLong.c_str(), "Office", 3); }},
        {"ImportProfileFromJxp - invalid path\n", [&] { return Dll().ImportProfileFromJxp(tooLong.c_str(), cell, 1, 0); }},
        {"ImportProfileFromJxpW - invalid path\n",
         [&] { return Dll().ImportProfileFromJxpW(wideTooLong.c_str(), cell, 1, FALSE); }},
        {"GetJxpFileDeviceModel - invalid path\n", [&] { return int(Dll().GetJxpFileDeviceModel(tooLong.c_str(), model)); }},
        {"GetProfileListFromJxp - invalid path\n",
         [&] { return Dll().GetProfileListFromJxp(tooLong.c_str(), nullptr, nullptr, nullptr, 0); }},
    };
    for (const auto& c : cases) {
        TraceCapture::Clear();
        EXPECT_EQ(0, c.call()) << c.pszTrace;
        EXPECT_TRUE(TraceCapture::Contains(c.pszTrace)) << TraceCapture::Dump();
    }
    EXPECT_STREQ("#", model);
    EXPECT_TRUE(before == b.State()) << "a refused call changed the printer";

    // A cell without its terminator is skipped; the next cell still counts, and a path of 259
    // characters is read.
    char cells[2][32];
    memset(cells[0], 'O', 32);
    strcpy(cells[1], "Office");
    TraceCapture::Clear();
    EXPECT_EQ(1, Dll().ImportProfileFromJxp(path259.c_str(), cells[0], 2, FALSE));
    EXPECT_TRUE(TraceCapture::Contains("LMPROFILE::ImportProfilesFromJXP - profile name too long\n"));
    std::vector<ProfileRecord> list = b.List();
    ASSERT_EQ(2u, list.size());
    EXPECT_STREQ("Office", list[1].szName);
    EXPECT_TRUE(Dll().GetJxpFileDeviceModel(path259.c_str(), model));
    EXPECT_STREQ(FIXTURE_MODEL_A, model);
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
