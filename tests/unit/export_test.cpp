// An export writes a profile's DEVMODE as its differences from the session's default DEVMODE:
// without a usable default the profile is not exported at all, and the plug-in blocks, which
// travel whole, need only the profile's own main block.
#include <functional>

#include "api/exchange_state.h"
#include "api/exports.h"
#include "fixture_names.h"
#include "test_support.h"

namespace {

const char PRINTER[] = "LmExport Default";

class ExportDefault : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_printer.Ok());
        auto session = OpenSession(PRINTER);
        Bytes dm(session->GetDefaultDevModeSizeRetry());
        session->GetDefaultDevMode(dm.data());
        reinterpret_cast<DEVMODEW*>(dm.data())->dmCopies = 4;
        session->SaveProfileRegValue("Office", 1, "Default DevMode", dm.data(), DWORD(dm.size()), REG_BINARY);
        ASSERT_TRUE(session->AddProfileToModel("Office", "", 0, 0, 1));
    }
    void TearDown() override { CloseJxpApi(nullptr, nullptr); }

    ScratchPrinter m_printer{PRINTER, FIXTURE_MODEL_A};
    WorkFolder m_work{"export default"};
};

}  // namespace

// The default is loaded when the session opens and holds exactly the record its own sizes
// describe. Never loaded, or one byte short of that record (the spooler's DEVMODE grew past the
// size the driver reports), it is unusable. Without a main block of its own it still serves: the
// plug-in blocks travel whole, each traced by the sizing pass and the writing pass.
TEST_F(ExportDefault, UnusableDefaultFailsTheProfileWithATraceLine)
{
    const struct {
        const char* pszWhat;
        std::function<void(LMPROFJXP&)> tamper;
        int nExported;
    } cases[] = {
        {"as loaded", [](LMPROFJXP&) {}, 1},
        {"never loaded", [](LMPROFJXP& s) { s.m_wDefaultDevModeLoads = 0; }, 0},
        {"one byte short", [](LMPROFJXP& s) { s.m_dwDefaultDevModeSize -= 1; }, 0},
        {"without a main block", [](LMPROFJXP& s) {
             DEVMODEW* pDefault = reinterpret_cast<DEVMODEW*>(s.m_pDefaultDevMode.get());
             memset(s.m_pDefaultDevMode.get() + pDefault->dmSize, 0, pDefault->dmDriverExtra);
         }, 1},
    };
    const std::string file = m_work.Path("office.jxp");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        ASSERT_TRUE(InitJxpApi(nullptr, PRINTER));
        c.tamper(*g_pCurrentSession);
        TraceCapture::Clear();
        EXPECT_EQ(c.nExported, ExportProfileToJxp("Office", file.c_str()));
        EXPECT_EQ(c.nExported, GetProfileListFromJxp(file.c_str(), nullptr, nullptr, nullptr, 0));
        EXPECT_EQ(1 - c.nExported, TraceCapture::Count("SaveProfileToJXP - default DEVMODE unusable - Office, "))
            << TraceCapture::Dump();
        EXPECT_EQ(2 * c.nExported, TraceCapture::Count("PD Block = 4c6d5064 40 10000 "));
        EXPECT_EQ(2 * c.nExported, TraceCapture::Count("PD Block = 4c6d5064 80 20000 "));
    }
}
