// The calls bound at run time reach the system where it has them, and take the road of the
// older Windows where it lacks them.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "core/late_bound.h"
#include "test_support.h"

namespace {

class LateBound : public ::testing::Test {
protected:
    void SetUp() override { TraceCapture::Clear(); }
    void TearDown() override { OverrideLateBoundLookup(nullptr); }
};

std::wstring TempFileW(const wchar_t* pwszName)
{
    wchar_t wsz[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, wsz);
    return std::wstring(wsz) + pwszName;
}

}  // namespace

// A misspelt name or a wrong DLL would make a call fail on every Windows, not only the old ones.
TEST_F(LateBound, EveryFunctionIsFoundOnThisSystem)
{
    EXPECT_GE(LateBoundCount(), 30);
    EXPECT_EQ("", LateBoundMissing());
}

// The calls of this process go through the slots too: a function made missing fails as the
// Windows 9x stub does, and works again once it is back.
TEST_F(LateBound, MissingWideCallFailsWithCallNotImplemented)
{
    std::wstring path = TempFileW(L"lmprof late bound.tmp");
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << GetLastError();
    CloseHandle(h);

    OverrideLateBoundLookup("DeleteFileW");
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DeleteFileW(path.c_str()));
    EXPECT_EQ(DWORD(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));

    OverrideLateBoundLookup(nullptr);
    EXPECT_TRUE(DeleteFileW(path.c_str())) << GetLastError();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
}

// The helpers every mode uses keep working without the system's wide functions.
TEST_F(LateBound, TextHelpersAndTraceWorkWithoutTheSystem)
{
    OverrideLateBoundLookup("lstrcmpiW");
    EXPECT_EQ(0, lstrcmpiW(L"Factory Default", L"FACTORY default"));
    EXPECT_LT(lstrcmpiW(L"abc", L"ABD"), 0);
    EXPECT_GT(lstrcmpiW(L"b", L"A"), 0);

    OverrideLateBoundLookup("lstrcpyW");
    wchar_t wsz[16];
    EXPECT_EQ(wsz, lstrcpyW(wsz, L"Office"));
    EXPECT_STREQ(L"Office", wsz);

    // A wide trace line reaches the debugger in the ANSI code page.
    OverrideLateBoundLookup("OutputDebugStringW");
    OutputDebugStringW(L"late bound wide line\n");
    std::vector<std::string> raw = TraceCapture::RawLines();
    EXPECT_NE(raw.end(), std::find(raw.begin(), raw.end(), "late bound wide line\n")) << TraceCapture::Dump();

    // The C++ runtime's unnamed semaphores still come from the ANSI call; a named one cannot.
    OverrideLateBoundLookup("CreateSemaphoreW");
    HANDLE h = CreateSemaphoreW(nullptr, 0, 1, nullptr);
    EXPECT_NE(nullptr, h);
    if (h) {
        EXPECT_TRUE(ReleaseSemaphore(h, 1, nullptr));
        CloseHandle(h);
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ(nullptr, CreateSemaphoreW(nullptr, 0, 1, L"LmProfLateBound"));
    EXPECT_EQ(DWORD(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
}

// Common controls older than 4.70 (NT 4.0 as shipped) have no InitCommonControlsEx; the list
// view the wizard page needs is registered all the same.
TEST_F(LateBound, OldCommonControlsStillRegisterTheListView)
{
    OverrideLateBoundLookup("InitCommonControlsEx");
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
    EXPECT_TRUE(InitCommonControlsEx(&icc));
    WNDCLASSA wc = {};
    EXPECT_TRUE(GetClassInfoA(nullptr, "SysListView32", &wc));
}
