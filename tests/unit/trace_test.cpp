// The trace: switched on by the caller or by the registry, each line with the local time in
// front, a line at its full length kept whole and a longer one cut.
#include <regex>

#include "removal/registry_utils.h"
#include "test_support.h"

namespace {

// Sets the Debug value of the trace switch; a negative value removes it, key and all.
void SetDebugValue(int nValue)
{
    const char szKey[] = "Software\\Norvane Sello\\ZeVere32";
    HKEY hKey = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, szKey, 0, nullptr, 0, RegViewAccess(KEY_ALL_ACCESS), nullptr, &hKey, nullptr);
    RegSetValueExA(hKey, "Debug", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&nValue), sizeof(DWORD));
    RegCloseKey(hKey);
    if (nValue < 0)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, szKey);
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

// Each line opens with the local time. An ANSI message keeps 1023 characters behind it, a wide
// line holds time and message in 1023 characters: a line at its full length stays whole, one
// character more is cut.
TEST(TraceLines, CarryTheLocalTimeAndAreCutOnlyPastTheirFullLength)
{
    InitTraceFlag(TRUE);
    SYSTEMTIME st;
    GetLocalTime(&st);
    const std::regex prefix("\\d{2}/\\d{2}/" + std::to_string(st.wYear) + " \\d{2}:\\d{2}:\\d{2}:\\d{3} ");
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
        std::string line = TraceCapture::RawLines()[0];
        EXPECT_TRUE(std::regex_match(line.substr(0, TRACE_PREFIX_CHARS), prefix)) << line.substr(0, TRACE_PREFIX_CHARS);
        EXPECT_EQ(std::string(c.nKept, c.bWide ? 'w' : 'm'), line.substr(TRACE_PREFIX_CHARS));
    }
    InitTraceFlag(FALSE);
}
