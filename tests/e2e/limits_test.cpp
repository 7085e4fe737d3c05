// The exchange calls outside their bounds: called without a current session, given names and
// paths that do not fit their cells, and importing into a full profile list. Each refuses with
// its plain failure result and a trace line; nothing is cut, created or imported.
#include <cstring>
#include <functional>

#include "e2e_support.h"

namespace {

class Limits : public OfficeExported {};

}  // namespace

// A path of 260 characters would be another file's name cut short, a profile name of 32
// another profile's; 259 and 31 fit.
TEST_F(Limits, CallsRefuseWithoutASessionAndWhatDoesNotFit)
{
    std::string path259 = m_work->Path(std::string(258 - m_work->Dir().size(), 'p')), tooLong = path259 + "q";
    ASSERT_EQ(259u, path259.size());
    ASSERT_TRUE(CopyFileA(m_file.c_str(), path259.c_str(), FALSE));
    TestPrinter& b = AddPrinter("B", FIXTURE_MODEL_A);
    char cells[2][32], model[128], cell[32] = "Office";
    const struct {
        const char* pszCall;
        std::function<int(const std::string& path)> call;
    } calls[] = {
        {"GetProfileListFromJxp", [&](const std::string& path) {
             return Dll().GetProfileListFromJxp(path.c_str(), cells[0], nullptr, nullptr, 2);
         }},
        {"GetJxpFileDeviceModel",
         [&](const std::string& path) { return int(Dll().GetJxpFileDeviceModel(path.c_str(), model)); }},
        {"ExportProfileToJxp",
         [&](const std::string& path) { return Dll().ExportProfileToJxp("Office", (path + "x").c_str()); }},
        {"ImportProfileFromJxp",
         [&](const std::string& path) { return Dll().ImportProfileFromJxp(path.c_str(), cell, 1, TRUE); }},
        {"ImportProfileFromJxpW", [&](const std::string& path) {
             std::wstring wide(path.begin(), path.end());
             return Dll().ImportProfileFromJxpW(wide.c_str(), cell, 1, TRUE);
         }},
        {"ImportProfileAsDefault",
         [&](const std::string& path) { return Dll().ImportProfileAsDefault(path.c_str(), "Office", 7); }},
    };
    // First without a current session (the DLL's trace is switched on by one), then with one
    // and the path one character too long.
    ASSERT_TRUE(Dll().InitJxpApi(nullptr, b.Name()));
    Dll().CloseJxpApi(nullptr, b.Name());
    for (bool bSession : {false, true}) {
        ASSERT_TRUE(!bSession || Dll().InitJxpApi(nullptr, b.Name()));
        StoreState before = b.State();
        for (const auto& c : calls) {
            memset(cells, '#', sizeof(cells));
            memset(model, '#', sizeof(model));
            TraceCapture::Clear();
            EXPECT_EQ(0, c.call(bSession ? tooLong : m_file)) << c.pszCall;
            std::string line = std::string(c.pszCall) + (bSession ? " - invalid path\n" : " - no current session\n");
            EXPECT_TRUE(TraceCapture::Contains(line)) << line << TraceCapture::Dump();
            EXPECT_TRUE(cells[0][0] == '#' && model[0] == '#') << c.pszCall << " wrote a cell";
        }
        EXPECT_TRUE(before == b.State()) << "a refused call changed the printer";
        EXPECT_FALSE(FileExists(m_file + "x"));
    }
    TraceCapture::Clear();
    EXPECT_EQ(0, Dll().ImportProfileAsDefault(m_file.c_str(), std::string(32, 'N').c_str(), 3));
    EXPECT_TRUE(TraceCapture::Contains("ImportProfileAsDefault - invalid profile name\n")) << TraceCapture::Dump();

    // A cell without its terminator is skipped, the next one still counts; a path of 259
    // characters is read.
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
// listed or as "Factory Default", and the printer keeps what it had.
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
    TraceCapture::Clear();
    EXPECT_EQ(0, Import(b, m_file, "Office", TRUE));
    EXPECT_TRUE(TraceCapture::Contains("*** nRegNum = 26\n")) << TraceCapture::Dump();
    ASSERT_TRUE(Dll().InitJxpApi(nullptr, b.Name()));
    EXPECT_EQ(0, Dll().ImportProfileAsDefault(m_file.c_str(), "Office", 3));
    EXPECT_TRUE(before == b.State()) << "a refused import changed the printer";
}
