// Deleting files and folder trees now, or at the next restart when they are in use: WININIT.INI
// on Windows 9x, the system's pending renames on NT, the 64-bit deletion program on 64-bit
// Windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/trace.h"
#include "core/sysenv.h"
#include "removal/uninstinfo.h"
#include "test_support.h"

namespace {

std::string WindowsFolder()
{
    char sz[MAX_PATH] = "";
    GetWindowsDirectoryA(sz, sizeof(sz));
    return std::string(sz) + "\\";
}

std::string WininitValue(const std::string& key)
{
    char sz[MAX_PATH] = "";
    GetPrivateProfileStringA("Rename", key.c_str(), "", sz, sizeof(sz), (WindowsFolder() + "WININIT.INI").c_str());
    return sz;
}

std::string ShortPath(const std::string& path)
{
    char sz[MAX_PATH] = "";
    GetShortPathNameA(path.c_str(), sz, sizeof(sz));
    return sz;
}

// Opened without any sharing: nobody can delete the file while the holder lives.
class HeldFile {
public:
    explicit HeldFile(const std::string& path) : m_h(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldFile() { CloseHandle(m_h); }
    bool Ok() const { return m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h;
};

// Whether the system's pending renames delete the path (an empty target), in the "\??\C:\..."
// form the system records. Tests leave their entries: every run has a new prefix, and the
// paths carry the test's name and version.
bool IsPendingDeletion(const std::string& path)
{
    std::wstring want = L"\\??\\" + std::wstring(path.begin(), path.end());
    std::vector<wchar_t> buf(32768, L'\0');
    DWORD cb = DWORD((buf.size() - 2) * sizeof(wchar_t));
    RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                 L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, buf.data(), &cb);
    for (const wchar_t* p = buf.data(); *p;) {
        std::wstring source(p);
        p += source.size() + 1;
        bool bDelete = !*p;
        p += wcslen(p) + 1;
        if (bDelete && lstrcmpiW(source.c_str(), want.c_str()) == 0)
            return true;
    }
    return false;
}

class RemovalDeferred : public testing::Test {
protected:
    RemovalDeferred() : m_dir(RunVersion() + " " + testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    void SetUp() override
    {
        WritePrivateProfileStringA("Rename", nullptr, nullptr, (WindowsFolder() + "WININIT.INI").c_str());
        InitTraceFlag(TRUE);
        TraceCapture::Clear();
    }
    void TearDown() override { InitTraceFlag(FALSE); }
    std::string Make(const std::string& name, DWORD dwAttributes = FILE_ATTRIBUTE_NORMAL)
    {
        WriteBytes(m_dir.Path(name), Bytes(4, 'd'));
        SetFileAttributesA(m_dir.Path(name).c_str(), dwAttributes);
        return m_dir.Path(name);
    }

    WorkFolder m_dir;
};

}  // namespace

// A tree goes whole, read-only files and all; a file in use stays, alone or in a folder being
// removed, and is scheduled for the restart. Windows 9x can schedule files only, so such a
// folder stays.
TEST_F(RemovalDeferred, TreesGoWholeAndFilesInUseAreScheduledForRestart)
{
    UNINSTINFO info("", "", SYSENV().m_bWin9x);
    std::string root = m_dir.SubDir("busy"), alone = Make("held.dat"), inFolder = Make("busy\\held.dat");
    m_dir.SubDir("busy\\one\\two");
    for (const char* name : {"busy\\top.dat", "busy\\one\\mid.dat", "busy\\one\\two\\deep.dat"})
        Make(name, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);
    {
        HeldFile held(alone), heldInFolder(inFolder);
        ASSERT_TRUE(held.Ok() && heldInFolder.Ok());
        EXPECT_TRUE(info.DeleteFile(alone.c_str()));
        EXPECT_TRUE(info.RemoveDirectoryAll(root.c_str()));
    }
    EXPECT_TRUE(FileExists(alone) && FileExists(inFolder));
    EXPECT_FALSE(FileExists(root + "\\top.dat") || FileExists(root + "\\one"));
    // Each folder removed once: no "not found" from a second removal.
    EXPECT_FALSE(TraceCapture::Contains("UNINSTINFO::RemoveDirectoryAll - ERROR_FILE_NOT_FOUND\n")) << TraceCapture::Dump();
    EXPECT_FALSE(info.RemoveDirectoryAll(m_dir.Path("missing").c_str()));
    if (RunsAsWin9x()) {
        EXPECT_EQ(ShortPath(alone), WininitValue("LMRESVDX0.TMP"));
        EXPECT_EQ(ShortPath(inFolder), WininitValue("LMRESVDX1.TMP"));
        EXPECT_FALSE(IsPendingDeletion(alone));
    } else {
        EXPECT_TRUE(IsPendingDeletion(alone) && IsPendingDeletion(inFolder) && IsPendingDeletion(root));
        EXPECT_EQ("", WininitValue("NUL"));
    }
}

TEST_F(RemovalDeferred, WininitKeepsEveryScheduledFileUnderItsOwnKey)
{
    DelayDeleteFileWin9x(Make("a.dat").c_str());
    EXPECT_EQ(ShortPath(m_dir.Path("a.dat")), WininitValue("NUL"));
    // Another program's setup later rewrote the "NUL" line: its file joins ours, and none of
    // ours is overwritten.
    DelayDeleteFileWin9x(Make("b.dat").c_str());
    WritePrivateProfileStringA("Rename", "NUL", "C:\\OTHER\\OLD.DLL", (WindowsFolder() + "WININIT.INI").c_str());
    DelayDeleteFileWin9x(Make("c.dat").c_str());
    const std::string expected[][2] = {
        {"NUL", "LMRESVDX.TMP"}, {"LMRESVDX0.TMP", ShortPath(m_dir.Path("a.dat"))},
        {"LMRESVDX1.TMP", ShortPath(m_dir.Path("b.dat"))}, {"LMRESVDX2.TMP", "C:\\OTHER\\OLD.DLL"},
        {"LMRESVDX3.TMP", ShortPath(m_dir.Path("c.dat"))}, {"LMRESVDX4.TMP", ""},
    };
    for (const auto& e : expected)
        EXPECT_EQ(e[1], WininitValue(e[0])) << e[0];
}

// On 64-bit Windows a 64-bit program deletes each file (the file system redirector would turn
// a 32-bit process's System32 into SysWOW64) and answers by its exit code.
TEST_F(RemovalDeferred, On64BitWindowsEachFileGoesThroughTheDeletionProgram)
{
    Wow64Road road;
    if (RunsAsWin9x() || !road.Available())
        GTEST_SKIP() << "this system runs no 64-bit program";
    // Where an installer puts it: the Windows folder, which the program search covers.
    std::string installed = WindowsFolder() + "ZeVaru64.exe";
    ASSERT_TRUE(CopyFileA((ExeFolder() + "..\\tools\\ZeVaru64.exe").c_str(), installed.c_str(), FALSE)) << GetLastError();
    UNINSTINFO info("", "", 0);
    m_dir.SubDir("sub");
    // A folder is no file: neither deleted nor scheduled.
    struct { std::string name; DWORD dwAttributes; DWORD dwExit; bool bLeft, bPending; } cases[] = {
        {"plain.dat", FILE_ATTRIBUTE_READONLY, 0, false, false},
        {"held.dat", FILE_ATTRIBUTE_NORMAL, 3, true, true},
        {"none.dat", 0, 2, false, false},
        {"sub", 0, 4, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = c.dwAttributes ? Make(c.name, c.dwAttributes) : m_dir.Path(c.name);
        HeldFile held(c.bPending ? path : m_dir.Path("unheld"));
        TraceCapture::Clear();
        EXPECT_TRUE(info.DeleteFile(path.c_str()));
        EXPECT_TRUE(TraceCapture::Contains("COMMAND = [ZeVaru64.exe DeleteFile \"" + path + "\"]\n")) << TraceCapture::Dump();
        EXPECT_EQ(c.dwExit != 0, TraceCapture::Contains("UNINSTINFO::DeleteFile - ZeVaru64 exit code " +
                                                        std::to_string(c.dwExit) + "\n"));   // 0 is not told
        // The call returned only after the program had ended.
        EXPECT_EQ(c.bLeft, FileExists(path));
        EXPECT_EQ(c.bPending, IsPendingDeletion(path));
        // A deferral is the program's: this process writes no "in use" line of its own.
        EXPECT_FALSE(TraceCapture::Contains("WINNT - file is in use, set the flag to delete it when system reboot\n"));
    }
    DeleteFileA(installed.c_str());
}
