// The removal of an installed package through its lists: what goes, what is refused, and that
// every processed entry leaves its list.
#include <gtest/gtest.h>

#include <string>

#include "core/trace.h"
#include "core/sysenv.h"
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

bool ValueExists(HKEY hRoot, const std::string& key, const std::string& name)
{
    return RegGetValueA(hRoot, key.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void SetString(HKEY hRoot, const std::string& key, const std::string& name, const std::string& data)
{
    ASSERT_EQ(0, RegSetKeyValueA(hRoot, key.c_str(), name.c_str(), REG_SZ, data.c_str(), DWORD(data.size() + 1))) << key;
}

// A package as an installer leaves it: its base key with the four lists, and its folder.
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
    UNINSTINFO Engine(const std::string& folder) const { return UNINSTINFO(m_base.c_str(), folder.c_str(), SYSENV().m_bWin9x); }

    std::string m_name, m_top, m_base;
    WorkFolder m_files;
    std::string m_root, m_folder;
};

}  // namespace

// The exported entry removes the files, folders and values of the package the installer
// recorded under the library's key (and nothing when none is); the installer removes the keys
// and then the package's own key.
TEST_F(RemovalPackage, ListedItemsGoRefusedOnesStayAndEveryEntryLeavesItsList)
{
    enum Kind { NONE, FILE_ITEM, EMPTY_DIR, FULL_DIR, KEY, SYSTEM_KEY, VALUE };
    // The entry (no list: an item no list names), the item it stands for, and whether it goes.
    struct Row { const char* list; std::string name, data; Kind kind; HKEY hRoot; std::string item; bool bGoes; };
    const std::string pkg = m_folder + "\\", beside = m_root + "\\", parent = m_top + "\\Norvane";
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
    };
    auto exists = [](const Row& r) {
        if (r.kind == VALUE)
            return ValueExists(r.hRoot, r.item, r.name);
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

    for (const Row& r : rows) {
        if (r.kind != NONE) {
            EXPECT_EQ(!r.bGoes, exists(r)) << (r.list ? r.list : "unlisted") << " " << r.name << ": " << r.item;
        }
    }
    EXPECT_TRUE(FileExists(m_folder));
    for (const char* list : {"Files", "Folders", "RegValues", "RegKeys"})
        EXPECT_EQ(0u, Listed(list)) << list;
    EXPECT_TRUE(TraceCapture::Contains("UNINSTINFO::UninstallItems - key above the package [" + parent + "]\n"))
        << TraceCapture::Dump();
    EXPECT_TRUE(TraceCapture::Contains("UNINSTINFO::UninstallItems - folder outside the package [" + m_root + "]\n"));
    // The base key goes whole, its parent stays.
    info.UninstallItems(4);
    EXPECT_FALSE(KeyExists(HKLM, m_base));
    EXPECT_TRUE(KeyExists(HKLM, parent));
}

TEST_F(RemovalPackage, WithoutAPackageFolderOrBaseKeyNothingGoes)
{
    WriteBytes(m_folder + "\\a.dll", Bytes(4, 'd'));
    List("Folders", m_folder, "1");
    Engine("").UninstallItems(6);
    EXPECT_TRUE(FileExists(m_folder + "\\a.dll"));
    // A key of fewer than two levels would put the lists, and the base key's removal, at the
    // top of the hive.
    UNINSTINFO noBase("", m_folder.c_str(), SYSENV().m_bWin9x);
    noBase.UninstallItems(4);
    EXPECT_TRUE(TraceCapture::Contains("UNINSTINFO::UninstallItems - no package key\n")) << TraceCapture::Dump();
    EXPECT_TRUE(KeyExists(HKLM, "Software\\Microsoft"));
}

TEST_F(RemovalPackage, UsbDeviceKeysOfTheVendorAndItsOwnKeyGo)
{
    std::string usb = RunsAsWin9x() ? "Enum\\USB\\" : "SYSTEM\\CurrentControlSet\\Enum\\USB\\";
    std::string own = RunsAsWin9x() ? "Enum\\ZOZEZIRI" : "SYSTEM\\CurrentControlSet\\Enum\\ZOZEZIRI";
    for (const std::string& key : {usb + "Vid_5E9A&Pid_0101\\5&1", usb + "VID_1234&PID_5E9A\\1", own + "\\Dev\\1"})
        SetString(HKLM, key, "v", "1");
    Engine(m_folder).UninstallItems(5);
    bool bStates[] = {KeyExists(HKLM, usb + "Vid_5E9A&Pid_0101"), KeyExists(HKLM, usb + "VID_1234&PID_5E9A\\1"),
                      KeyExists(HKLM, own)};
    RegDeleteTreeA(HKLM, (usb + "VID_1234&PID_5E9A").c_str());
    EXPECT_FALSE(bStates[0]);
    EXPECT_TRUE(bStates[1]);
    EXPECT_FALSE(bStates[2]);
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
