#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "core/trace.h"
#include "removal/registry_utils.h"
#include "test_support.h"

namespace {

const char TRACE_KEY[] = "Software\\Norvane Sello\\ZeVere32";

void SetDebugValue(const DWORD* pdwValue)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, TRACE_KEY, 0, nullptr, 0,
                                             RegViewAccess(KEY_ALL_ACCESS), nullptr, &hKey, nullptr));
    if (pdwValue)
        RegSetValueExA(hKey, "Debug", 0, REG_DWORD, reinterpret_cast<const BYTE*>(pdwValue), sizeof(DWORD));
    else
        RegDeleteValueA(hKey, "Debug");
    RegCloseKey(hKey);
}

class TraceSwitch : public testing::Test {
protected:
    void SetUp() override { TraceCapture::Clear(); }
    void TearDown() override
    {
        SetDebugValue(nullptr);
        InitTraceFlag(FALSE);
    }
};

}  // namespace

TEST_F(TraceSwitch, StaysSilentWithoutDebugValueOrForce)
{
    SetDebugValue(nullptr);
    EXPECT_EQ(0u, InitTraceFlag(FALSE));
    TraceLog("should not appear %d\n", 1);
    TraceLogW(L"should not appear %d\n", 2);
    EXPECT_TRUE(TraceCapture::RawLines().empty()) << TraceCapture::Dump();
}

TEST_F(TraceSwitch, ForcingItOnWritesNoLineAboutAMissingDebugKey)
{
    SetDebugValue(nullptr);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, TRACE_KEY);
    EXPECT_EQ(0u, InitTraceFlag(TRUE));
    EXPECT_TRUE(TraceCapture::RawLines().empty()) << TraceCapture::Dump();
}

TEST_F(TraceSwitch, DebugValueTurnsItOnAndZeroNeverClearsAForcedSwitch)
{
    DWORD dwOne = 1;
    SetDebugValue(&dwOne);
    EXPECT_EQ(1u, InitTraceFlag(FALSE));
    TraceLog("on by registry\n");
    EXPECT_TRUE(TraceCapture::Contains("on by registry\n")) << TraceCapture::Dump();

    DWORD dwZero = 0;
    SetDebugValue(&dwZero);
    EXPECT_EQ(0u, InitTraceFlag(TRUE));
    TraceLog("on by force\n");
    EXPECT_TRUE(TraceCapture::Contains("on by force\n"));

    // An entry point that passes false and finds 0 turns it off again.
    EXPECT_EQ(0u, InitTraceFlag(FALSE));
    TraceCapture::Clear();
    TraceLog("off again\n");
    EXPECT_TRUE(TraceCapture::RawLines().empty());
}

TEST_F(TraceSwitch, LinesCarryTheLocalTimePrefix)
{
    InitTraceFlag(TRUE);
    TraceLog("value %d, text %s\n", 42, "abc");
    TraceLogW(L"wide %d, text %s\n", 7, L"xyz");
    auto lines = TraceCapture::RawLines();
    ASSERT_EQ(2u, lines.size());
    std::regex prefix(R"(^\d{2}/\d{2}/\d{4} \d{2}:\d{2}:\d{2}:\d{3} )");
    EXPECT_TRUE(std::regex_search(lines[0], prefix)) << lines[0];
    EXPECT_TRUE(std::regex_search(lines[1], prefix)) << lines[1];
    EXPECT_EQ("value 42, text abc\n", lines[0].substr(TRACE_PREFIX_CHARS));
    EXPECT_EQ("wide 7, text xyz\n", lines[1].substr(TRACE_PREFIX_CHARS));

    SYSTEMTIME st;
    GetLocalTime(&st);
    EXPECT_EQ(std::to_string(st.wYear), lines[0].substr(6, 4));
}

TEST_F(TraceSwitch, LongMessagesKeepTheirWholeTextInAnsiAndAreCutAt1023InWide)
{
    InitTraceFlag(TRUE);
    std::string message(1022, 'm');
    message += '\n';   // 1023 characters
    TraceLog("%s", message.c_str());
    std::wstring wmessage(1100, L'w');
    TraceLogW(L"%s", wmessage.c_str());

    auto lines = TraceCapture::RawLines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(TRACE_PREFIX_CHARS + 1023, lines[0].size());
    EXPECT_EQ(message, lines[0].substr(TRACE_PREFIX_CHARS));
    // The wide line holds prefix and message in 1024 characters, terminator included.
    EXPECT_EQ(1023u, lines[1].size());
    EXPECT_EQ(std::string(1023 - TRACE_PREFIX_CHARS, 'w'), lines[1].substr(TRACE_PREFIX_CHARS));
}

// The version each copy of the tests is registered for must be the one Wine reports, and the
// probes must read it the same way.
TEST(Probes, ReportTheEmulatedWindowsVersion)
{
    std::string version = RunVersion();
    if (version.empty())
        GTEST_SKIP() << "this copy carries no version in its name";
    struct Expected {
        const char* pszName;
        DWORD dwPlatform, dwMajor, dwMinor;
        bool bNt5;
    } table[] = {
        {"win98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, false},
        {"nt40", VER_PLATFORM_WIN32_NT, 4, 0, false},
        {"win2k", VER_PLATFORM_WIN32_NT, 5, 0, true},
        {"winxp", VER_PLATFORM_WIN32_NT, 5, 1, true},
        {"win7", VER_PLATFORM_WIN32_NT, 6, 1, true},
        {"win10", VER_PLATFORM_WIN32_NT, 6, 2, true},   // without a manifest Windows 10 says 6.2
    };
    for (const auto& e : table) {
        if (version != e.pszName)
            continue;
        OSVERSIONINFOA vi = {};
        vi.dwOSVersionInfoSize = sizeof(vi);
        ASSERT_TRUE(GetVersionExA(&vi));
        EXPECT_EQ(e.dwPlatform, vi.dwPlatformId);
        EXPECT_EQ(e.dwMajor, vi.dwMajorVersion);
        EXPECT_EQ(e.dwMinor, vi.dwMinorVersion);
        EXPECT_EQ(e.bNt5, IsNt5OrLater());
        EXPECT_EQ(RunsUnderWow64(), IsWow64());
        return;
    }
    FAIL() << "unknown version " << version;
}
