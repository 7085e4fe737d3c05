// An export writes a profile's DEVMODE as its differences from the session's default DEVMODE:
// without a usable default the profile is not exported at all, and the plug-in blocks, which
// travel whole, need only the profile's own main block.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "api/exchange_state.h"
#include "api/exports.h"
#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "fixture_names.h"
#include "test_support.h"

namespace {

const char PRINTER[] = "LmExport Default";

class ExportDefault : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_printer.Ok());
        char szTemp[MAX_PATH];
        GetTempPathA(MAX_PATH, szTemp);
        m_file = std::string(szTemp) + "lmexport_" + RunVersion() + ".jxp";
        std::wstring wide(PRINTER, PRINTER + sizeof(PRINTER) - 1);
        LMPROFJXP session(nullptr, RunsAsWin9x() ? static_cast<const void*>(PRINTER) : wide.c_str(), nullptr);
        ASSERT_TRUE(session.IsComplete());
        std::vector<BYTE> dm(session.m_pDefaultDevMode.get(),
                             session.m_pDefaultDevMode.get() + session.m_dwDefaultDevModeSize);
        reinterpret_cast<DEVMODEW*>(dm.data())->dmCopies = 4;
        session.SaveProfileRegValue("Office", 1, "Default DevMode", dm.data(), DWORD(dm.size()), REG_BINARY);
        ASSERT_TRUE(session.AddProfileToModel("Office", "", 0, 0, 1));
    }
    void TearDown() override
    {
        CloseJxpApi(nullptr, nullptr);
        DeleteFileA(m_file.c_str());
    }

    // Exports "Office" after `tamper` has worked on the current session; the export's result.
    int Export(const std::function<void(LMPROFJXP&)>& tamper)
    {
        EXPECT_TRUE(InitJxpApi(nullptr, PRINTER));
        tamper(*g_pCurrentSession);
        TraceCapture::Clear();
        int nResult = ExportProfileToJxp("Office", m_file.c_str());
        std::vector<std::string> lines = TraceCapture::Lines();
        m_nListed = GetProfileListFromJxp(m_file.c_str(), nullptr, nullptr, nullptr, 0);
        CloseJxpApi(nullptr, nullptr);
        m_exportLines = lines;
        return nResult;
    }

    ScratchPrinter m_printer{PRINTER, FIXTURE_MODEL_A};
    std::string m_file;
    int m_nListed = -1;                      // profiles the file lists after the export
    std::vector<std::string> m_exportLines;  // what the export traced
};

}  // namespace

TEST_F(ExportDefault, UnusableDefaultFailsTheProfileWithATraceLine)
{
    struct Case {
        const char* pszWhat;
        std::function<void(LMPROFJXP&)> tamper;
    } cases[] = {
        {"never loaded", [](LMPROFJXP& s) { s.m_wDefaultDevModeLoads = 0; }},
        // The spooler's DEVMODE is longer than the size the driver reported.
        {"cut short", [](LMPROFJXP& s) { s.m_dwDefaultDevModeSize -= 16; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        EXPECT_EQ(0, Export(c.tamper));
        bool bTraced = false;
        for (const std::string& line : m_exportLines)
            bTraced |= line.rfind("SaveProfileToJXP - default DEVMODE unusable - Office, ", 0) == 0;
        EXPECT_TRUE(bTraced) << TraceCapture::Dump();
        EXPECT_EQ(0, m_nListed);
    }
    EXPECT_EQ(1, Export([](LMPROFJXP&) {}));
    EXPECT_EQ(1, m_nListed);
}

TEST_F(ExportDefault, PlugInsTravelWhenOnlyTheDefaultLacksAMainBlock)
{
    EXPECT_EQ(1, Export([](LMPROFJXP& s) {
        // The default's private area cleared: no block header is left in it.
        DEVMODEW* pDefault = reinterpret_cast<DEVMODEW*>(s.m_pDefaultDevMode.get());
        memset(s.m_pDefaultDevMode.get() + pDefault->dmSize, 0, pDefault->dmDriverExtra);
    }));
    // Both plug-in blocks, each traced by the sizing pass and the writing pass.
    std::set<std::string> blocks;
    for (const std::string& line : m_exportLines) {
        if (line.rfind("PD Block = ", 0) == 0)
            blocks.insert(line);
    }
    EXPECT_EQ(2u, blocks.size()) << TraceCapture::Dump();
}
