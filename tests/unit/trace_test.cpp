// The trace: switched on by the caller or by the registry, each line with the local time in
// front, a line at its full length kept whole and a longer one cut.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>

#include "core/trace.h"
#include "removal/registry_utils.h"
#include "test_support.h"

namespace {

const char TRACE_KEY[] = "Software\\Norvane Sello\\ZeVere32";

// -1: no Debug value at all (nor its key).
void SetDebugValue(int nValue)
{
    HKEY hKey = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, TRACE_KEY, 0, nullptr, 0, RegViewAccess(KEY_ALL_ACCESS), nullptr, &hKey, nullptr);
    RegSetValueExA(hKey, "Debug", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&nValue), sizeof(DWORD));
    if (nValue < 0)
        RegDeleteValueA(hKey, "Debug");
    RegCloseKey(hKey);
    if (nValue < 0)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, TRACE_KEY);
}

}  // namespace

// An entry point forces the trace on or leaves it to the registry; a Debug value of 0 never
// turns off what was forced on. Turning it on for a missing key writes no line about the key.
TEST(TraceSwitch, DebugValueOrForceTurnsItOn)
{
    const struct {
        int nDebug;
        BYTE bForce;
        bool bOn;
    } cases[] = {{-1, FALSE, false}, {-1, TRUE, true}, {0, FALSE, false}, {0, TRUE, true}, {1, FALSE, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.nDebug) + (c.bForce ? " forced" : ""));
        SetDebugValue(c.nDebug);
        TraceCapture::Clear();
        EXPECT_EQ(DWORD(c.nDebug < 0 ? 0 : c.nDebug), InitTraceFlag(c.bForce));
        TraceLog("ansi %d\n", 1);
        TraceLogW(L"wide %d\n", 2);
        const std::vector<std::string> on = {"ansi 1\n", "wide 2\n"};
        EXPECT_EQ(c.bOn ? on : std::vector<std::string>(), TraceCapture::Lines());
    }
    SetDebugValue(-1);
    InitTraceFlag(FALSE);
}

TEST(TraceLines, CarryTheLocalTimeAndAreCutOnlyPastTheirFullLength)
{
    InitTraceFlag(TRUE);
    TraceCapture::Clear();
    TraceLog("value %d, text %s\n", 42, "abc");
    TraceLogW(L"wide %d, text %s\n", 7, L"xyz");
    auto lines = TraceCapture::RawLines();
    ASSERT_EQ(2u, lines.size());
    std::regex prefix(R"(^\d{2}/\d{2}/\d{4} \d{2}:\d{2}:\d{2}:\d{3} )");
    for (const std::string& line : lines)
        EXPECT_TRUE(std::regex_search(line, prefix)) << line;
    EXPECT_EQ("value 42, text abc\n", lines[0].substr(TRACE_PREFIX_CHARS));
    EXPECT_EQ("wide 7, text xyz\n", lines[1].substr(TRACE_PREFIX_CHARS));
    SYSTEMTIME st;
    GetLocalTime(&st);
    EXPECT_EQ(std::to_string(st.wYear), lines[0].substr(6, 4));

    // An ANSI message keeps 1023 characters behind the prefix; a wide line holds prefix and
    // message in 1023 characters.
    const struct {
        bool bWide;
        size_t nMessage, nKept;
    } cases[] = {{false, 1023, 1023}, {false, 1024, 1023}, {true, 999, 999}, {true, 1000, 999}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.nMessage) + (c.bWide ? " wide" : " ANSI"));
        TraceCapture::Clear();
        if (c.bWide)
            TraceLogW(L"%s", std::wstring(c.nMessage, L'w').c_str());
        else
            TraceLog("%s", std::string(c.nMessage, 'm').c_str());
        ASSERT_EQ(1u, TraceCapture::RawLines().size());
        EXPECT_EQ(std::string(c.nKept, c.bWide ? 'w' : 'm'), TraceCapture::Lines()[0]);
    }
    InitTraceFlag(FALSE);
}

// The version each copy of the tests is registered for must be the one Wine reports, and the
// probes must read it the same way.
TEST(Probes, ReportTheEmulatedWindowsVersion)
{
    // Platform, major and minor version; without a manifest Windows 10 says 6.2.
    const std::map<std::string, DWORD> versions = {{"win98", 0x1040A}, {"nt40", 0x20400}, {"win2k", 0x20500},
                                                   {"winxp", 0x20501}, {"win7", 0x20601},  {"win10", 0x20602}};
    auto it = versions.find(RunVersion());
    if (it == versions.end())
        GTEST_SKIP() << "this copy carries no known version in its name: " << RunVersion();
    OSVERSIONINFOA vi = {};
    vi.dwOSVersionInfoSize = sizeof(vi);
    ASSERT_TRUE(GetVersionExA(&vi));
    EXPECT_EQ(it->second, vi.dwPlatformId << 16 | vi.dwMajorVersion << 8 | vi.dwMinorVersion);
    EXPECT_EQ(it->second >= 0x20500, IsNt5OrLater());
    EXPECT_EQ(RunsUnderWow64(), IsWow64());
}
