// The calls bound at run time reach the system where it has them, and take the road of the
// older Windows where it lacks them.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "core/late_bound.h"
#include "test_support.h"

namespace {

class LateBound : public testing::Test {
protected:
    void TearDown() override { OverrideLateBoundLookup(nullptr); }
};

}  // namespace

// A misspelt name or a wrong DLL would make a call fail on every Windows, not only the old ones.
TEST_F(LateBound, EveryFunctionIsFoundOnThisSystem)
{
    EXPECT_GE(LateBoundCount(), 30);
    EXPECT_EQ("", LateBoundMissing());
}

// A wide call made missing fails as the Windows 9x stub does, and works again once it is back.
TEST_F(LateBound, MissingWideCallFailsWithCallNotImplemented)
{
    WorkFolder work("late bound");
    std::wstring path = std::wstring(work.Dir().begin(), work.Dir().end()) + L"\\wide.tmp";
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << GetLastError();
    CloseHandle(h);
    OverrideLateBoundLookup("DeleteFileW");
    SetLastError(ERROR_MARKER);
    EXPECT_FALSE(DeleteFileW(path.c_str()));
    EXPECT_EQ(DWORD(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    OverrideLateBoundLookup(nullptr);
    EXPECT_TRUE(DeleteFileW(path.c_str())) << GetLastError();
}

// The helpers every mode uses keep working without the system's wide functions.
TEST_F(LateBound, TextHelpersTraceAndControlsWorkWithoutTheSystem)
{
    OverrideLateBoundLookup("lstrcmpiW");
    EXPECT_EQ(0, lstrcmpiW(L"Factory Default", L"FACTORY default"));
    EXPECT_LT(lstrcmpiW(L"abc", L"ABD"), 0);

    // A wide trace line reaches the debugger in the ANSI code page.
    OverrideLateBoundLookup("OutputDebugStringW");
    TraceCapture::Clear();
    OutputDebugStringW(L"00/00/0000 00:00:00:000 late bound wide line\n");
    EXPECT_TRUE(TraceCapture::Contains("late bound wide line\n")) << TraceCapture::Dump();

    // The C++ runtime's unnamed semaphores still come from the ANSI call; a named one cannot.
    OverrideLateBoundLookup("CreateSemaphoreW");
    HANDLE h = CreateSemaphoreW(nullptr, 0, 1, nullptr);
    EXPECT_TRUE(h && ReleaseSemaphore(h, 1, nullptr));
    CloseHandle(h);
    SetLastError(ERROR_MARKER);
    EXPECT_EQ(nullptr, CreateSemaphoreW(nullptr, 0, 1, L"LmProfLateBound"));
    EXPECT_EQ(DWORD(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());

    // Common controls older than 4.70 (NT 4.0 as shipped) have no InitCommonControlsEx; the list
    // view the wizard page needs is registered all the same.
    OverrideLateBoundLookup("InitCommonControlsEx");
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
    EXPECT_TRUE(InitCommonControlsEx(&icc));
    WNDCLASSA wc = {};
    EXPECT_TRUE(GetClassInfoA(nullptr, "SysListView32", &wc));
}
