// The removal of an installed package: its lists (what goes, what is refused, and that every
// processed entry leaves its list), and deleting files and folder trees now or at the next
// restart when they are in use: WININIT.INI on Windows 9x, the system's pending renames on NT,
// the 64-bit deletion program on 64-bit Windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/holders.h"
#include "core/sysenv.h"
#include "core/trace.h"
#include "removal/uninstinfo.h"
#include "test_support.h"

extern "C" int WINAPI LmRemovePackage(HWND, HINSTANCE, LPSTR, int);

namespace {

const HKEY HKLM = HKEY_LOCAL_MACHINE;

bool KeyExists(HKEY hRoot, const std::string& path)
{
    HKEY h = nullptr;
    LONG lr = RegOpenKeyExA(hRoot, path.c_str(), 0, KEY_READ, &h);
    RegCloseKey(h);
    return lr == ERROR_SUCCESS;
}

void SetString(HKEY hRoot, const std::string& key, const std::string& name, const std::string& data)
{
    ASSERT_EQ(0, RegSetKeyValueA(hRoot, key.c_str(), name.c_str(), REG_SZ, data.c_str(), DWORD(data.size() + 1))) << key;
}

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

// Opened without any sharing: nobody can delete the file while its holder lives.
HANDLE OpenUnshared(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Whether the system's pending renames delete the path: an entry of its "\??\C:\..." form and
// an empty target. Tests leave their entries: every run has a new prefix, and the paths carry
// the test's name and version.
bool IsPendingDeletion(const std::string& path)
{
    std::vector<wchar_t> buf(32768, L'\0');   // entries start after a terminator: the first too
    DWORD cb = DWORD((buf.size() - 3) * sizeof(wchar_t));
    RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                 L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, &buf[1], &cb);
    std::wstring entry = std::wstring(1, L'\0') + L"\\??\\" + std::wstring(path.begin(), path.end()) + L'\0' + L'\0';
    return std::search(buf.begin(), buf.end(), entry.begin(), entry.end()) != buf.end();
}

// A package as an installer leaves it: its base key with the four lists, and its folder; no
// file waiting in WININIT.INI.
class RemovalPackage : public testing::Test {
protected:
    RemovalPackage()
        : m_name(RunVersion() + " " + testing::UnitTest::GetInstance()->current_test_info()->name()),
          m_top("Software\\LmProfTests\\" + m_name), m_base(m_top + "\\Norvane\\Package"), m_files(m_name),
          m_root(m_files.Dir()), m_folder(m_files.SubDir("Package"))
    {
    }
    void SetUp() override
    {
        WritePrivateProfileStringA("Rename", nullptr, nullptr, (WindowsFolder() + "WININIT.INI").c_str());
        for (const char* list : {"Files", "Folders", "RegValues", "RegKeys"}) {
            HKEY h = nullptr;
            ASSERT_EQ(0, RegCreateKeyExA(HKLM, (m_base + "\\" + list).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr));
            RegCloseKey(h);
        }
        InitTraceFlag(TRUE);
        TraceCapture::Clear();
    }
    void TearDown() override
    {
        InitTraceFlag(FALSE);
        RegDeleteTreeA(HKLM, m_top.c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, m_top.c_str());
    }
    void List(const char* list, const std::string& name, const std::string& data)
    {
        SetString(HKLM, m_base + "\\" + list, name, data);
    }
    // Entries of a list; -1 when the list is gone.
    DWORD Listed(const char* list) const
    {
        HKEY h = nullptr;
        DWORD n = DWORD(-1);
        if (RegOpenKeyExA(HKLM, (m_base + "\\" + list).c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS)
            RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr, nullptr);
        RegCloseKey(h);
        return n;
    }
    // A file of the work folder with the attributes given.
    std::string Make(const std::string& name, DWORD dwAttributes = FILE_ATTRIBUTE_NORMAL)
    {
        WriteBytes(m_files.Path(name), Bytes(4, 'd'));
        SetFileAttributesA(m_files.Path(name).c_str(), dwAttributes);
        return m_files.Path(name);
    }
    UNINSTINFO Engine(const std::string& folder) const { return UNINSTINFO(m_base.c_str(), folder.c_str(), SYSENV().m_bWin9x); }

    std::string m_name, m_top, m_base;
    WorkFolder m_files;
    std::string m_root, m_folder;
};

}  // namespace

// A tree goes whole, read-only files and all; a file in use stays, alone or in a folder being
// removed, and is scheduled for the restart. Windows 9x can schedule files only, so such a
// folder stays.
TEST_F(RemovalPackage, TreesGoWholeAndFilesInUseAreScheduledForRestart)
{
    UNINSTINFO info("", "", SYSENV().m_bWin9x);
    std::string root = m_files.SubDir("busy"), alone = Make("held.dat"), inFolder = Make("busy\\held.dat");
    m_files.SubDir("busy\\one\\two");
    for (const char* name : {"busy\\top.dat", "busy\\one\\mid.dat", "busy\\one\\two\\deep.dat"})
        Make(name, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);
    {
        AutoFile held(OpenUnshared(alone)), heldInFolder(OpenUnshared(inFolder));
        ASSERT_TRUE(held && heldInFolder);
        EXPECT_TRUE(info.DeleteFile(alone.c_str()));
        EXPECT_TRUE(info.RemoveDirectoryAll(root.c_str()));
    }
    EXPECT_TRUE(FileExists(alone) && FileExists(inFolder));
    EXPECT_FALSE(FileExists(root + "\\top.dat") || FileExists(root + "\\one"));
    // Each folder removed once: no "not found" from a second removal.
    EXPECT_FALSE(TraceCapture::Contains("UNINSTINFO::RemoveDirectoryAll - ERROR_FILE_NOT_FOUND\n")) << TraceCapture::Dump();
    EXPECT_FALSE(info.RemoveDirectoryAll(m_files.Path("missing").c_str()));
    if (RunsAsWin9x()) {
        EXPECT_FALSE(IsPendingDeletion(alone));
        // Another program's setup later rewrote the "NUL" line: its file joins ours under a key
        // of its own, and none of ours is overwritten.
        WritePrivateProfileStringA("Rename", "NUL", "C:\\OTHER\\OLD.DLL", (WindowsFolder() + "WININIT.INI").c_str());
        DelayDeleteFileWin9x(Make("later.dat").c_str());
        EXPECT_EQ("LMRESVDX.TMP", WininitValue("NUL"));
        EXPECT_EQ(ShortPath(alone), WininitValue("LMRESVDX0.TMP"));
        EXPECT_EQ(ShortPath(inFolder), WininitValue("LMRESVDX1.TMP"));
        EXPECT_EQ("C:\\OTHER\\OLD.DLL", WininitValue("LMRESVDX2.TMP"));
        EXPECT_EQ(ShortPath(m_files.Path("later.dat")), WininitValue("LMRESVDX3.TMP"));
    } else {
        EXPECT_TRUE(IsPendingDeletion(alone) && IsPendingDeletion(inFolder) && IsPendingDeletion(root));
        EXPECT_EQ("", WininitValue("NUL"));
    }
}

// On 64-bit Windows a 64-bit program deletes each file (the file system redirector would turn
// a 32-bit process's System32 into SysWOW64); the call returns once the program has ended, and
// a file in use is the program's to schedule.
TEST_F(RemovalPackage, On64BitWindowsEachFileGoesThroughTheDeletionProgram)
{
    Wow64Road road;
    if (RunsAsWin9x() || !road.Available())
        GTEST_SKIP() << "this system runs no 64-bit program";
    // Where an installer puts it: the Windows folder, which the program search covers.
    std::string installed = WindowsFolder() + "ZeVaru64.exe";
    ASSERT_TRUE(CopyFileA((ExeFolder() + "..\\tools\\ZeVaru64.exe").c_str(), installed.c_str(), FALSE)) << GetLastError();
    UNINSTINFO info("", "", 0);
    std::string plain = Make("plain.dat", FILE_ATTRIBUTE_READONLY), held = Make("held.dat");
    {
        AutoFile holder(OpenUnshared(held));
        EXPECT_TRUE(info.DeleteFile(plain.c_str()));
        EXPECT_FALSE(FileExists(plain));
        EXPECT_TRUE(info.DeleteFile(held.c_str()));
    }
    EXPECT_TRUE(TraceCapture::Contains("COMMAND = [ZeVaru64.exe DeleteFile \"" + held + "\"]\n")) << TraceCapture::Dump();
    EXPECT_TRUE(TraceCapture::Contains("UNINSTINFO::DeleteFile - ZeVaru64 exit code 3\n"));
    EXPECT_TRUE(FileExists(held) && IsPendingDeletion(held));
    // A deferral is the program's: this process writes no "in use" line of its own.
    EXPECT_FALSE(TraceCapture::Contains("WINNT - file is in use, set the flag to delete it when system reboot\n"));
    DeleteFileA(installed.c_str());
}

// The exported entry removes the files, folders and values of the package the installer
// recorded under the library's key (and nothing when none is); the installer removes the keys,
// the USB device keys of the vendor's products and its own device key, and then the package's
// own key.
TEST_F(RemovalPackage, ListedItemsGoRefusedOnesStayAndEveryEntryLeavesItsList)
{
    enum Kind { NONE, FILE_ITEM, EMPTY_DIR, FULL_DIR, KEY, SYSTEM_KEY, VALUE };
    // The entry (no list: an item no list names), the item it stands for, and whether it goes.
    struct Row { const char* list; std::string name, data; Kind kind; HKEY hRoot; std::string item; bool bGoes; };
    const std::string pkg = m_folder + "\\", beside = m_root + "\\", parent = m_top + "\\Norvane";
    const std::string enumKey = RunsAsWin9x() ? "Enum\\" : "SYSTEM\\CurrentControlSet\\Enum\\";
    const Row rows[] = {
        {"Files", "F1", pkg + "a.dll", FILE_ITEM, nullptr, pkg + "a.dll", true},
        {"Files", "F2", pkg + "missing.dll", NONE, nullptr, "", false},
        {nullptr, "", "", FILE_ITEM, nullptr, beside + "neighbour.dll", false},
        // Folders: 0 only when empty, wherever it stands; 1 with everything in it, only inside
        // the package's own folder; other modes nothing.
        {"Folders", pkg + "Empty", "0", EMPTY_DIR, nullptr, pkg + "Empty", true},
        {"Folders", pkg + "Full", " 0", FULL_DIR, nullptr, pkg + "Full", false},
        {"Folders", pkg + "Tree", "1", FULL_DIR, nullptr, pkg + "Tree", true},
        {"Folders", pkg + "Two", "2", EMPTY_DIR, nullptr, pkg + "Two", false},
        {"Folders", beside + "EmptyBeside", "0", EMPTY_DIR, nullptr, beside + "EmptyBeside", true},
        {"Folders", beside + "FullBeside", "0", FULL_DIR, nullptr, beside + "FullBeside", false},
        {"Folders", m_root, "1", NONE, nullptr, "", false},
        {"Folders", pkg + "..", "1", NONE, nullptr, "", false},
        {"Folders", m_root.substr(0, 3), "0", NONE, nullptr, "", false},
        {"RegValues", "Version", m_top + "\\Settings", VALUE, HKLM, m_top + "\\Settings", true},
        {nullptr, "Other", "", VALUE, HKLM, m_top + "\\Settings", false},
        // Keys: the data picks the root (3 the user's, anything but 1 to 3 the machine's).
        {"RegKeys", m_top + "\\Owned", "3", KEY, HKEY_CURRENT_USER, m_top + "\\Owned", true},
        {nullptr, "", "", KEY, HKLM, m_top + "\\Owned", false},
        {"RegKeys", m_top + "\\Owned7", "7", KEY, HKLM, m_top + "\\Owned7", true},
        {"RegKeys", m_top + "\\OwnedEmpty", "", KEY, HKLM, m_top + "\\OwnedEmpty", true},
        // Refused: the base key's parent and the base key itself, a hive, the root of a hive.
        {"RegKeys", parent, "0", KEY, HKLM, parent + "\\Sibling", false},
        {"RegKeys", m_base, "0", NONE, nullptr, "", false},
        {"RegKeys", "software\\", "0", SYSTEM_KEY, HKLM, "Software\\Microsoft", false},
        {"RegKeys", "Software", "3", SYSTEM_KEY, HKEY_CURRENT_USER, "Software", false},
        // Device keys: by the vendor's number, not the product's.
        {nullptr, "", "", KEY, HKLM, enumKey + "USB\\Vid_5E9A&Pid_0101", true},
        {nullptr, "", "", KEY, HKLM, enumKey + "USB\\VID_1234&PID_5E9A", false},
        {nullptr, "", "", KEY, HKLM, enumKey + "ZOZEZIRI", true},
    };
    auto exists = [](const Row& r) {
        if (r.kind == VALUE)
            return RegGetValueA(r.hRoot, r.item.c_str(), r.name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) == 0;
        return r.hRoot ? KeyExists(r.hRoot, r.item) : FileExists(r.kind == FULL_DIR ? r.item + "\\kept.txt" : r.item);
    };
    for (const Row& r : rows) {
        if (r.kind == EMPTY_DIR || r.kind == FULL_DIR)
            CreateDirectoryA(r.item.c_str(), nullptr);
        if (r.kind == FILE_ITEM || r.kind == FULL_DIR)
            WriteBytes(r.kind == FULL_DIR ? r.item + "\\kept.txt" : r.item, Bytes(4, 'd'));
        if (r.kind == KEY || r.kind == VALUE)
            SetString(r.hRoot, r.kind == KEY ? r.item + "\\Deep" : r.item, r.kind == KEY ? "v" : r.name, "1");
        if (r.list)
            List(r.list, r.name, r.data);
    }

    const char LIBRARY_KEY[] = "Software\\Norvane Sello\\ZeVere32";
    DWORD dwDebug = 1;   // the entry takes its trace switch from there
    RegSetKeyValueA(HKLM, LIBRARY_KEY, "Debug", REG_DWORD, &dwDebug, sizeof(dwDebug));
    EXPECT_EQ(1, LmRemovePackage(nullptr, nullptr, nullptr, 0));
    EXPECT_TRUE(TraceCapture::Contains("LMPROFINST::RemovePackage - no package key\n")) << TraceCapture::Dump();
    EXPECT_EQ(2u, Listed("Files"));
    SetString(HKLM, LIBRARY_KEY, "UninstallKey", m_base);
    SetString(HKLM, m_base, "PackageFolder", m_folder);
    EXPECT_EQ(1, LmRemovePackage(nullptr, nullptr, nullptr, 0));
    RegDeleteKeyValueA(HKLM, LIBRARY_KEY, "UninstallKey");
    RegDeleteKeyValueA(HKLM, LIBRARY_KEY, "Debug");
    EXPECT_EQ(7u, Listed("RegKeys"));   // the keys are the installer's to remove
    UNINSTINFO info = Engine(m_folder);
    EXPECT_EQ(0, info.UninstallItems(2));
    info.UninstallItems(5);

    for (const Row& r : rows) {
        if (r.kind != NONE) {
            EXPECT_EQ(!r.bGoes, exists(r)) << (r.list ? r.list : "unlisted") << " " << r.name << ": " << r.item;
        }
    }
    RegDeleteTreeA(HKLM, (enumKey + "USB\\VID_1234&PID_5E9A").c_str());
    EXPECT_TRUE(FileExists(m_folder));
    for (const char* list : {"Files", "Folders", "RegValues", "RegKeys"})
        EXPECT_EQ(0u, Listed(list)) << list;
    EXPECT_TRUE(TraceCapture::Contains("UNINSTINFO::UninstallItems - key above the package [" + parent + "]\n"))
        << TraceCapture::Dump();
    EXPECT_TRUE(TraceCapture::Contains("UNINSTINFO::UninstallItems - folder outside the package [" + m_root + "]\n"));
    // Without a package folder nothing is inside it; without a base key, a key of fewer than two
    // levels would put the lists, and the base key's removal, at the top of the hive.
    List("Folders", m_folder, "1");
    Engine("").UninstallItems(6);
    EXPECT_TRUE(FileExists(pkg + "Full\\kept.txt"));
    UNINSTINFO("", m_folder.c_str(), SYSENV().m_bWin9x).UninstallItems(4);
    EXPECT_TRUE(TraceCapture::Contains("UNINSTINFO::UninstallItems - no package key\n"));
    EXPECT_TRUE(KeyExists(HKLM, "Software\\Microsoft"));
    // The base key goes whole, its parent stays.
    info.UninstallItems(4);
    EXPECT_FALSE(KeyExists(HKLM, m_base));
    EXPECT_TRUE(KeyExists(HKLM, parent));
}

// In a double-byte code page a path part may end in a character whose trail byte is 0x5C: a
// sibling that merely starts with the package folder's name is not inside it. (Wine cannot
// make such folders without a generated Unix locale, so the decision is taken on the names.)
TEST_F(RemovalPackage, DbcsTrailByteIsNoPathSeparator)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the Japanese code page (the locale_ja_JP run), this one is " << GetACP();
    // "Pkg" followed by U+8868, which code page 932 writes as 0x95 0x5C.
    std::string package = m_root + "\\Pkg\x95\x5C", sibling = m_root + "\\Pkg\x95\x5COther";
    UNINSTINFO info = Engine(package);
    EXPECT_TRUE(info.IsPackageFolder((package + "\\Sub").c_str()));
    EXPECT_TRUE(info.IsPackageFolder(package.c_str()));
    EXPECT_FALSE(info.IsPackageFolder(sibling.c_str()));
    List("Folders", sibling, "1");
    info.UninstallItems(6);
    EXPECT_TRUE(TraceCapture::Contains("UNINSTINFO::UninstallItems - folder outside the package [" + sibling + "]\n"))
        << TraceCapture::Dump();
}
