// The calls bound at run time reach the system where it has them, and take the road of the
// older Windows where it lacks them.
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

// A wide call made missing fails as the Windows 9x stub does, and reaches the system again once
// it is back (which says the file is not there).
TEST_F(LateBound, MissingWideCallFailsWithCallNotImplemented)
{
    for (bool bMissing : {true, false}) {
        OverrideLateBoundLookup(bMissing ? "DeleteFileW" : nullptr);
        SetLastError(ERROR_MARKER);
        EXPECT_FALSE(DeleteFileW(L"C:\\no such folder\\wide.tmp"));
        EXPECT_EQ(bMissing ? DWORD(ERROR_CALL_NOT_IMPLEMENTED) : DWORD(ERROR_PATH_NOT_FOUND), GetLastError());
    }
}

// The helpers every mode uses keep working without the system's wide functions.
TEST_F(LateBound, TextHelpersAndTraceWorkWithoutTheSystem)
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
}
