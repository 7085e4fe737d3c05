#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include <shellapi.h>

#include "core/sysenv.h"
#include "core/trace.h"
#include "removal/uninstinfo.h"
#include "test_support.h"

namespace {

const char SESSION_MANAGER[] = "System\\CurrentControlSet\\Control\\Session Manager";

std::string WindowsFolder()
{
    char sz[MAX_PATH];
    GetWindowsDirectoryA(sz, sizeof(sz));
    std::string s(sz);
    if (!s.empty() && s.back() != '\\')
        s += '\\';
    return s;
}

std::string Wininit()
{
    return WindowsFolder() + "WININIT.INI";
}

std::string WininitValue(const char* pszKey)
{
    char sz[MAX_PATH] = "";
    GetPrivateProfileStringA("Rename", pszKey, "", sz, sizeof(sz), Wininit().c_str());
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
    explicit HeldFile(const std::string& path)
        : m_h(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    ~HeldFile()
    {
        if (m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
    }
    bool Ok() const { return m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h;
};

// The sources of the system's pending deletions (an empty target means "delete"), in the
// "\??\C:\..." form the system records. Tests leave their entries: every run has a new prefix,
// and the paths carry the test's name.
std::vector<std::wstring> PendingDeletions()
{
    std::vector<std::wstring> out;
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SESSION_MANAGER, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return out;
    DWORD cb = 0;
    if (RegQueryValueExW(h, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &cb) == ERROR_SUCCESS && cb) {
        std::vector<wchar_t> buf(cb / sizeof(wchar_t) + 2, L'\0');
        RegQueryValueExW(h, L"PendingFileRenameOperations", nullptr, nullptr, reinterpret_cast<BYTE*>(buf.data()), &cb);
        const wchar_t* p = buf.data();
        const wchar_t* end = buf.data() + cb / sizeof(wchar_t);
        while (p < end && *p) {
            std::wstring source(p);
            p += source.size() + 1;
            std::wstring target(p < end ? p : L"");
            p += target.size() + 1;
            if (target.empty())
                out.push_back(source);
        }
    }
    RegCloseKey(h);
    return out;
}

bool IsPendingDeletion(const std::string& path)
{
    std::wstring want = L"\\??\\" + std::wstring(path.begin(), path.end());
    for (const std::wstring& s : PendingDeletions()) {
        if (lstrcmpiW(s.c_str(), want.c_str()) == 0)
            return true;
    }
    return false;
}

}  // namespace

// Shared with removal_package_test.cpp.
void MakeFile(const std::string& path, DWORD dwAttributes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << path << " error " << GetLastError();
    DWORD cb = 0;
    ::WriteFile(h, "data", 4, &cb, nullptr);
    CloseHandle(h);
    SetFileAttributesA(path.c_str(), dwAttributes);
}

void DeleteTree(const std::string& folder)
{
    std::string from = folder + std::string(1, '\0');   // the list ends with a second zero
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&op);
}

namespace {

class RemovalDeferred : public testing::Test {
protected:
    void SetUp() override
    {
        char szTemp[MAX_PATH];
        GetTempPathA(sizeof(szTemp), szTemp);
        m_dir = std::string(szTemp) + "lmrm_" + RunVersion() + "_" +
                testing::UnitTest::GetInstance()->current_test_info()->name();
        DeleteTree(m_dir);
        ASSERT_TRUE(CreateDirectoryA(m_dir.c_str(), nullptr)) << m_dir;
        WritePrivateProfileStringA("Rename", nullptr, nullptr, Wininit().c_str());
        InitTraceFlag(TRUE);
        TraceCapture::Clear();
    }
    void TearDown() override
    {
        OverrideWow64Probe(-1);
        InitTraceFlag(FALSE);
        WritePrivateProfileStringA("Rename", nullptr, nullptr, Wininit().c_str());
        DeleteTree(m_dir);
    }

    std::string Path(const char* pszName) const { return m_dir + "\\" + pszName; }

    std::string m_dir;
};

}  // namespace

TEST_F(RemovalDeferred, FileInUseIsScheduledForRestartNotDeleted)
{
    SYSENV env;
    UNINSTINFO info("", "", env.m_bWin9x);
    MakeFile(Path("held.dat"), FILE_ATTRIBUTE_NORMAL);
    HeldFile held(Path("held.dat"));
    ASSERT_TRUE(held.Ok());
    std::string shortPath = ShortPath(Path("held.dat"));

    EXPECT_TRUE(info.DeleteFile(Path("held.dat").c_str()));
    EXPECT_TRUE(FileExists(Path("held.dat")));
    if (RunsAsWin9x()) {
        EXPECT_TRUE(TraceCapture::Contains("WIN9X - file is in use, set the flag to delete it when system reboot\n"))
            << TraceCapture::Dump();
        EXPECT_EQ(shortPath, WininitValue("NUL"));
        EXPECT_FALSE(IsPendingDeletion(Path("held.dat")));
    } else {
        EXPECT_TRUE(TraceCapture::Contains("WINNT - file is in use, set the flag to delete it when system reboot\n"))
            << TraceCapture::Dump();
        EXPECT_TRUE(IsPendingDeletion(Path("held.dat")));
        EXPECT_EQ("", WininitValue("NUL"));
    }
}

TEST_F(RemovalDeferred, WininitKeepsEveryScheduledFileUnderItsOwnKey)
{
    for (const char* name : {"a.dat", "b.dat", "c.dat", "d.dat"})
        MakeFile(Path(name), FILE_ATTRIBUTE_NORMAL);

    DelayDeleteFileWin9x(Path("a.dat").c_str());
    EXPECT_EQ(ShortPath(Path("a.dat")), WininitValue("NUL"));
    EXPECT_EQ("", WininitValue("LMRESVDX0.TMP"));

    DelayDeleteFileWin9x(Path("b.dat").c_str());
    DelayDeleteFileWin9x(Path("c.dat").c_str());
    EXPECT_EQ("LMRESVDX.TMP", WininitValue("NUL"));
    EXPECT_EQ(ShortPath(Path("a.dat")), WininitValue("LMRESVDX0.TMP"));
    EXPECT_EQ(ShortPath(Path("b.dat")), WininitValue("LMRESVDX1.TMP"));
    EXPECT_EQ(ShortPath(Path("c.dat")), WininitValue("LMRESVDX2.TMP"));

    // Another program's setup later rewrote the "NUL" line: its file joins ours, and none of
    // ours is overwritten.
    WritePrivateProfileStringA("Rename", "NUL", "C:\\OTHER\\OLD.DLL", Wininit().c_str());
    DelayDeleteFileWin9x(Path("d.dat").c_str());
    EXPECT_EQ("LMRESVDX.TMP", WininitValue("NUL"));
    EXPECT_EQ(ShortPath(Path("a.dat")), WininitValue("LMRESVDX0.TMP"));
    EXPECT_EQ(ShortPath(Path("c.dat")), WininitValue("LMRESVDX2.TMP"));
    EXPECT_EQ("C:\\OTHER\\OLD.DLL", WininitValue("LMRESVDX3.TMP"));
    EXPECT_EQ(ShortPath(Path("d.dat")), WininitValue("LMRESVDX4.TMP"));
}

TEST_F(RemovalDeferred, TreeWithReadOnlyFilesIsRemovedWhole)
{
    UNINSTINFO info("", "", SYSENV().m_bWin9x);
    std::string root = Path("tree");
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA((root + "\\one").c_str(), nullptr);
    CreateDirectoryA((root + "\\one\\two").c_str(), nullptr);
    MakeFile(root + "\\top.dat", FILE_ATTRIBUTE_READONLY);
    MakeFile(root + "\\one\\mid.dat", FILE_ATTRIBUTE_NORMAL);
    MakeFile(root + "\\one\\two\\deep.dat", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);

    EXPECT_TRUE(info.RemoveDirectoryAll(root.c_str()));
    EXPECT_FALSE(FileExists(root));
    // Deepest first, and each folder removed once: no "not found" from a second removal.
    int nDeep = TraceCapture::Find("UNINSTINFO::DeleteFile - [" + root + "\\one\\two\\deep.dat]\n");
    EXPECT_GE(nDeep, 0) << TraceCapture::Dump();
    EXPECT_FALSE(TraceCapture::Contains("UNINSTINFO::RemoveDirectoryAll - ERROR_FILE_NOT_FOUND\n")) << TraceCapture::Dump();

    TraceCapture::Clear();
    EXPECT_FALSE(info.RemoveDirectoryAll(Path("missing").c_str()));
    EXPECT_TRUE(TraceCapture::Contains("UNINSTINFO::RemoveDirectoryAll - ERROR_FILE_NOT_FOUND\n")) << TraceCapture::Dump();
}

TEST_F(RemovalDeferred, FolderWithFileInUseIsScheduledOnNtAndKeptOn9x)
{
    SYSENV env;
    UNINSTINFO info("", "", env.m_bWin9x);
    std::string root = Path("busy");
    CreateDirectoryA(root.c_str(), nullptr);
    MakeFile(root + "\\free.dat", FILE_ATTRIBUTE_NORMAL);
    MakeFile(root + "\\held.dat", FILE_ATTRIBUTE_NORMAL);
    HeldFile held(root + "\\held.dat");
    ASSERT_TRUE(held.Ok());

    EXPECT_TRUE(info.RemoveDirectoryAll(root.c_str()));
    EXPECT_FALSE(FileExists(root + "\\free.dat"));
    EXPECT_TRUE(FileExists(root + "\\held.dat"));
    if (RunsAsWin9x()) {
        EXPECT_TRUE(TraceCapture::Contains("WIN9X - directory [" + root +
                                           "] is in use, set the flag to delete it when system reboot\n"))
            << TraceCapture::Dump();
        EXPECT_EQ(ShortPath(root + "\\held.dat"), WininitValue("NUL"));
    } else {
        EXPECT_TRUE(IsPendingDeletion(root + "\\held.dat"));
        EXPECT_TRUE(IsPendingDeletion(root));
    }
}

// ---- 64-bit Windows: the deletion program ----------------------------------------------------

namespace {

std::string BuiltDeletionProgram()
{
    return ExeFolder() + "..\\tools\\ZeVaru64.exe";
}

// Runs the deletion program with the arguments given; its exit code, or -1.
DWORD RunDeletionProgram(const std::string& args)
{
    std::string cmd = "\"" + BuiltDeletionProgram() + "\" " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return DWORD(-1);
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD dw = DWORD(-1);
    GetExitCodeProcess(pi.hProcess, &dw);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return dw;
}

}  // namespace

TEST_F(RemovalDeferred, DeletionProgramDeletesDefersAndReportsByExitCode)
{
    if (RunsAsWin9x() || !Runs64BitPrograms())
        GTEST_SKIP() << "this system runs no 64-bit program";
    ASSERT_TRUE(FileExists(BuiltDeletionProgram())) << BuiltDeletionProgram();

    MakeFile(Path("ro.dat"), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(0u, RunDeletionProgram("DeleteFile \"" + Path("ro.dat") + "\""));
    EXPECT_FALSE(FileExists(Path("ro.dat")));

    EXPECT_EQ(2u, RunDeletionProgram("DeleteFile \"" + Path("none.dat") + "\""));
    EXPECT_EQ(1u, RunDeletionProgram(""));
    EXPECT_EQ(1u, RunDeletionProgram("Delete \"" + Path("x.dat") + "\""));
    // A folder is no file: neither deleted nor scheduled.
    CreateDirectoryA(Path("sub").c_str(), nullptr);
    EXPECT_EQ(4u, RunDeletionProgram("DeleteFile \"" + Path("sub") + "\""));
    EXPECT_TRUE(FileExists(Path("sub")));
    EXPECT_FALSE(IsPendingDeletion(Path("sub")));

    MakeFile(Path("held.dat"), FILE_ATTRIBUTE_NORMAL);
    HeldFile held(Path("held.dat"));
    ASSERT_TRUE(held.Ok());
    EXPECT_EQ(3u, RunDeletionProgram("DeleteFile \"" + Path("held.dat") + "\""));
    EXPECT_TRUE(FileExists(Path("held.dat")));
    EXPECT_TRUE(IsPendingDeletion(Path("held.dat")));
}

TEST_F(RemovalDeferred, On64BitWindowsEachFileGoesThroughTheDeletionProgram)
{
    if (RunsAsWin9x() || !Runs64BitPrograms())
        GTEST_SKIP() << "this system runs no 64-bit program";
    Wow64Road road;
    ASSERT_TRUE(road.Available());
    // Where an installer puts it: the Windows folder, which the program search covers for a
    // 32-bit process too.
    std::string installed = WindowsFolder() + "ZeVaru64.exe";
    ASSERT_TRUE(CopyFileA(BuiltDeletionProgram().c_str(), installed.c_str(), FALSE)) << GetLastError();

    UNINSTINFO info("", "", 0);
    MakeFile(Path("plain.dat"), FILE_ATTRIBUTE_READONLY);
    MakeFile(Path("held.dat"), FILE_ATTRIBUTE_NORMAL);
    {
        HeldFile held(Path("held.dat"));
        ASSERT_TRUE(held.Ok());
        EXPECT_TRUE(info.DeleteFile(Path("plain.dat").c_str()));
        EXPECT_TRUE(info.DeleteFile(Path("held.dat").c_str()));
    }
    // The call returned only after the program had ended: the file is gone already.
    EXPECT_FALSE(FileExists(Path("plain.dat")));
    EXPECT_TRUE(FileExists(Path("held.dat")));
    EXPECT_TRUE(IsPendingDeletion(Path("held.dat")));
    EXPECT_TRUE(TraceCapture::Contains("COMMAND = [ZeVaru64.exe DeleteFile \"" + Path("plain.dat") + "\"]\n"))
        << TraceCapture::Dump();
    EXPECT_TRUE(TraceCapture::Contains("UNINSTINFO::DeleteFile - ZeVaru64 exit code 3\n")) << TraceCapture::Dump();
    // The deferral was the program's: this process wrote no "in use" line of its own.
    EXPECT_FALSE(TraceCapture::Contains("WINNT - file is in use, set the flag to delete it when system reboot\n"));

    // Without the program the file stays, and the failed start is traced.
    ASSERT_TRUE(DeleteFileA(installed.c_str()));
    TraceCapture::Clear();
    MakeFile(Path("stays.dat"), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(info.DeleteFile(Path("stays.dat").c_str()));
    EXPECT_TRUE(FileExists(Path("stays.dat")));
    EXPECT_TRUE(TraceCapture::Contains(" - CreateProcess failure - 2\n")) << TraceCapture::Dump();
}
