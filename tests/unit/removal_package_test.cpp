#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "core/sysenv.h"
#include "core/trace.h"
#include "removal/registry_utils.h"
#include "removal/uninstinfo.h"
#include "test_support.h"

extern "C" int WINAPI LmRemovePackage(HWND, HINSTANCE, LPSTR, int);
// removal_deferred_test.cpp
bool FileExists(const std::string& path);
void DeleteTree(const std::string& folder);
void MakeFile(const std::string& path, DWORD dwAttributes);

namespace {

const char LIBRARY_KEY[] = "Software\\Norvane Sello\\ZeVere32";

bool KeyExists(HKEY hRoot, const std::string& path)
{
    HKEY h = nullptr;
    if (RegOpenKeyExA(hRoot, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

void SetString(HKEY hRoot, const std::string& key, const std::string& name, const std::string& data)
{
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(hRoot, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr))
        << key;
    RegSetValueExA(h, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), DWORD(data.size() + 1));
    RegCloseKey(h);
}

bool ValueExists(HKEY hRoot, const std::string& key, const std::string& name)
{
    HKEY h = nullptr;
    if (RegOpenKeyExA(hRoot, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    bool b = RegQueryValueExA(h, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(h);
    return b;
}

DWORD ValueCount(const std::string& key)
{
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return DWORD(-1);
    DWORD n = 0;
    RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(h);
    return n;
}

void DeleteKeyTree(HKEY hRoot, const std::string& key)
{
    RegDeleteTreeA(hRoot, key.c_str());
    RegDeleteKeyA(hRoot, key.c_str());
}




// A package as an installer leaves it: its base key with the four lists, the items they name,
// and beside them things no list names.
class RemovalPackage : public testing::Test {
protected:
    void SetUp() override
    {
        std::string name = RunVersion() + "_" + testing::UnitTest::GetInstance()->current_test_info()->name();
        m_top = "Software\\LmProfTests\\Removal_" + name;
        m_base = m_top + "\\Norvane\\Package";
        DeleteKeyTree(HKEY_LOCAL_MACHINE, m_top);
        DeleteKeyTree(HKEY_CURRENT_USER, m_top);
        char szTemp[MAX_PATH];
        GetTempPathA(sizeof(szTemp), szTemp);
        m_root = std::string(szTemp) + "lmpk_" + name;
        m_folder = m_root + "\\Package";
        DeleteTree(m_root);
        ASSERT_TRUE(CreateDirectoryA(m_root.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(m_folder.c_str(), nullptr));
        for (const char* list : {"Files", "Folders", "RegValues", "RegKeys"}) {
            HKEY h = nullptr;
            ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, (m_base + "\\" + list).c_str(), 0, nullptr, 0,
                                                     KEY_ALL_ACCESS, nullptr, &h, nullptr));
            RegCloseKey(h);
        }
        InitTraceFlag(TRUE);
        TraceCapture::Clear();
    }
    void TearDown() override
    {
        InitTraceFlag(FALSE);
        char szIni[MAX_PATH];
        GetWindowsDirectoryA(szIni, sizeof(szIni));
        WritePrivateProfileStringA("Rename", nullptr, nullptr, (std::string(szIni) + "\\WININIT.INI").c_str());
        DeleteKeyTree(HKEY_LOCAL_MACHINE, m_top);
        DeleteKeyTree(HKEY_CURRENT_USER, m_top);
        DeleteTree(m_root);
    }

    void List(const char* list, const std::string& name, const std::string& data)
    {
        SetString(HKEY_LOCAL_MACHINE, m_base + "\\" + list, name, data);
    }
    bool Listed(const char* list, const std::string& name)
    {
        return ValueExists(HKEY_LOCAL_MACHINE, m_base + "\\" + list, name);
    }
    UNINSTINFO Engine() const { return UNINSTINFO(m_base.c_str(), m_folder.c_str(), SYSENV().m_bWin9x); }

    std::string m_top, m_base, m_root, m_folder;
};

}  // namespace

TEST_F(RemovalPackage, FilesFoldersAndValuesGoAndOnlyTheirEntriesLeaveTheLists)
{
    MakeFile(m_folder + "\\a.dll", FILE_ATTRIBUTE_NORMAL);
    MakeFile(m_root + "\\neighbour.dll", FILE_ATTRIBUTE_NORMAL);
    CreateDirectoryA((m_folder + "\\Empty").c_str(), nullptr);
    CreateDirectoryA((m_folder + "\\Full").c_str(), nullptr);
    MakeFile(m_folder + "\\Full\\kept.txt", FILE_ATTRIBUTE_NORMAL);
    CreateDirectoryA((m_folder + "\\Tree").c_str(), nullptr);
    CreateDirectoryA((m_folder + "\\Tree\\Sub").c_str(), nullptr);
    MakeFile(m_folder + "\\Tree\\Sub\\x.txt", FILE_ATTRIBUTE_NORMAL);
    CreateDirectoryA((m_folder + "\\Two").c_str(), nullptr);
    SetString(HKEY_LOCAL_MACHINE, m_top + "\\Settings", "Version", "1.0");
    SetString(HKEY_LOCAL_MACHINE, m_top + "\\Settings", "Other", "stays");

    List("Files", "F1", m_folder + "\\a.dll");
    List("Files", "F2", m_folder + "\\missing.dll");
    List("Folders", m_folder + "\\Empty", "0");
    List("Folders", m_folder + "\\Full", " 0");
    List("Folders", m_folder + "\\Tree", "1");
    List("Folders", m_folder + "\\Two", "2");
    List("RegValues", "Version", m_top + "\\Settings");
    List("RegKeys", m_top + "\\Settings", "0");

    UNINSTINFO info = Engine();
    EXPECT_EQ(0, info.UninstallItems(1));
    EXPECT_EQ(0, info.UninstallItems(6));
    EXPECT_EQ(0, info.UninstallItems(3));

    EXPECT_FALSE(FileExists(m_folder + "\\a.dll"));
    EXPECT_TRUE(FileExists(m_root + "\\neighbour.dll"));
    EXPECT_FALSE(FileExists(m_folder + "\\Empty"));
    EXPECT_TRUE(FileExists(m_folder + "\\Full\\kept.txt"));
    EXPECT_FALSE(FileExists(m_folder + "\\Tree"));
    EXPECT_TRUE(FileExists(m_folder + "\\Two"));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, m_top + "\\Settings", "Version"));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, m_top + "\\Settings", "Other"));
    EXPECT_TRUE(TraceCapture::Contains("UNINSTINFO::DeleteFile - ERROR_FILE_NOT_FOUND 2\n")) << TraceCapture::Dump();

    // Every entry processed is gone, whether or not its item could be removed; the lists stay.
    EXPECT_EQ(0u, ValueCount(m_base + "\\Files"));
    EXPECT_EQ(0u, ValueCount(m_base + "\\Folders"));
    EXPECT_EQ(0u, ValueCount(m_base + "\\RegValues"));
    // Kinds 2 and 4 were not run.
    EXPECT_TRUE(Listed("RegKeys", m_top + "\\Settings"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, m_top + "\\Settings"));
}

TEST_F(RemovalPackage, RegKeysChooseTheirRootAndBaseKeyGoesWhole)
{
    std::string key = m_top + "\\Owned";
    SetString(HKEY_CURRENT_USER, key + "\\Deep", "v", "1");
    SetString(HKEY_LOCAL_MACHINE, key + "\\Deep", "v", "1");
    SetString(HKEY_LOCAL_MACHINE, m_top + "\\Owned7\\Deep", "v", "1");
    SetString(HKEY_LOCAL_MACHINE, m_top + "\\OwnedEmpty", "v", "1");
    List("RegKeys", key, "3");
    List("RegKeys", m_top + "\\Owned7", "7");
    List("RegKeys", m_top + "\\OwnedEmpty", "");

    UNINSTINFO info = Engine();
    info.UninstallItems(2);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, key + "\\Deep"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, m_top + "\\Owned7"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, m_top + "\\OwnedEmpty"));
    EXPECT_EQ(0u, ValueCount(m_base + "\\RegKeys"));

    info.UninstallItems(4);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, m_base));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, m_top + "\\Norvane"));
}

TEST_F(RemovalPackage, EntriesAboveThePackageAreRefusedAndLeaveTheirLists)
{
    // Keys: the base key's parent, the base key itself, a hive and the root of HKEY_CURRENT_USER.
    std::string parent = m_top + "\\Norvane";
    SetString(HKEY_LOCAL_MACHINE, parent + "\\Sibling", "v", "1");
    List("RegKeys", parent, "0");
    List("RegKeys", m_base, "0");
    List("RegKeys", "software\\", "0");
    List("RegKeys", "Software", "3");
    // Folders: the package folder's parent, a way out through "..", and the drive root.
    MakeFile(m_root + "\\neighbour.dll", FILE_ATTRIBUTE_NORMAL);
    std::string escape = m_folder + "\\..";
    std::string drive = m_root.substr(0, 3);
    List("Folders", m_root, "1");
    List("Folders", escape, "1");
    List("Folders", drive, "0");
    // "Only when empty" harms nothing anywhere: an empty folder beside the package goes, a full
    // one stays.
    std::string emptyBeside = m_root + "\\EmptyBeside", fullBeside = m_root + "\\FullBeside";
    ASSERT_TRUE(CreateDirectoryA(emptyBeside.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(fullBeside.c_str(), nullptr));
    MakeFile(fullBeside + "\\keep.txt", FILE_ATTRIBUTE_NORMAL);
    List("Folders", emptyBeside, "0");
    List("Folders", fullBeside, "0");

    UNINSTINFO info = Engine();
    info.UninstallItems(2);
    info.UninstallItems(6);

    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, parent + "\\Sibling"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, m_base + "\\Files"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Microsoft"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software"));
    EXPECT_TRUE(FileExists(m_root + "\\neighbour.dll"));
    EXPECT_TRUE(FileExists(m_folder));
    EXPECT_FALSE(FileExists(emptyBeside));
    EXPECT_TRUE(FileExists(fullBeside + "\\keep.txt"));
    // Refused entries leave their lists like every processed entry; the trace names them.
    EXPECT_EQ(0u, ValueCount(m_base + "\\RegKeys"));
    EXPECT_EQ(0u, ValueCount(m_base + "\\Folders"));
    EXPECT_TRUE(TraceCapture::Contains("UNINSTINFO::UninstallItems - key above the package [" + parent + "]\n"))
        << TraceCapture::Dump();
    EXPECT_TRUE(TraceCapture::Contains("UNINSTINFO::UninstallItems - folder outside the package [" + m_root + "]\n"))
        << TraceCapture::Dump();

    // Without a package folder no folder entry is honoured; without a base key nothing runs.
    List("Folders", m_folder, "1");
    UNINSTINFO noFolder(m_base.c_str(), "", SYSENV().m_bWin9x);
    noFolder.UninstallItems(6);
    EXPECT_TRUE(FileExists(m_folder));
    UNINSTINFO noBase("", m_folder.c_str(), SYSENV().m_bWin9x);
    TraceCapture::Clear();
    noBase.UninstallItems(4);
    EXPECT_TRUE(TraceCapture::Contains("UNINSTINFO::UninstallItems - no package key\n")) << TraceCapture::Dump();
    EXPECT_FALSE(TraceCapture::Contains("RemoveRegKey - []\n"));
}

namespace {

int g_nFontChanges = 0;

// A copy of a system font under a family name of its own: the system ignores a second font of
// a family it already has, and such a font could not be seen to be unloaded. The family name
// is replaced in place, in the 8-bit and the UTF-16 big-endian names alike.
bool CopyRenamedFont(const char* pszSource, const std::string& dest, const char* pszFamily)
{
    HANDLE h = CreateFileA(pszSource, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD cb = 0;
    bool bRead = ReadFile(h, &bytes[0], DWORD(bytes.size()), &cb, nullptr) && cb == bytes.size();
    CloseHandle(h);
    if (!bRead)
        return false;
    const std::string from = "DejaVu Sans";
    std::string to = std::string(pszFamily) + std::string(from.size() - strlen(pszFamily), ' ');
    std::string from16, to16;
    for (size_t i = 0; i < from.size(); ++i) {
        from16 += std::string(1, '\0') + from[i];
        to16 += std::string(1, '\0') + to[i];
    }
    int nReplaced = 0;
    for (const auto& pair : {std::make_pair(from, to), std::make_pair(from16, to16)}) {
        for (size_t at = bytes.find(pair.first); at != std::string::npos; at = bytes.find(pair.first, at)) {
            bytes.replace(at, pair.first.size(), pair.second);
            ++nReplaced;
        }
    }
    if (nReplaced == 0)
        return false;
    h = CreateFileA(dest.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool bWritten = WriteFile(h, bytes.data(), DWORD(bytes.size()), &cb, nullptr) && cb == bytes.size();
    CloseHandle(h);
    return bWritten;
}

LRESULT CALLBACK CountFontChanges(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_FONTCHANGE)
        ++g_nFontChanges;
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

}  // namespace

TEST_F(RemovalPackage, FontsAreUnloadedBeforeDeletion)
{
    const char* pszSource = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";
    if (!FileExists(pszSource))
        GTEST_SKIP() << "no TrueType font to install at " << pszSource;
    std::string fonts = m_folder + "\\Fonts";
    CreateDirectoryA(fonts.c_str(), nullptr);
    std::string font1 = fonts + "\\MyFont.TTF";
    std::string font2 = fonts + "\\Second.ttf";
    std::string probe = fonts + "\\Probe.ttf";
    ASSERT_TRUE(CopyRenamedFont(pszSource, font1, "LmFontA"));
    ASSERT_TRUE(CopyRenamedFont(pszSource, font2, "LmFontB"));
    ASSERT_TRUE(CopyRenamedFont(pszSource, probe, "LmFontC"));
    // The system answers an unload of a loaded font with TRUE, of an unloaded one with FALSE.
    ASSERT_GT(AddFontResourceA(probe.c_str()), 0);
    ASSERT_TRUE(RemoveFontResourceA(probe.c_str()));
    ASSERT_FALSE(RemoveFontResourceA(probe.c_str()));
    ASSERT_GT(AddFontResourceA(font1.c_str()), 0);
    ASSERT_GT(AddFontResourceA(font2.c_str()), 0);
    // Held open, the second font file outlives the removal (it is deferred), so whether it was
    // unloaded can be asked of the system afterwards.
    HANDLE hHeld = CreateFileA(font2.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);

    List("Files", "Font1", font1);
    List("Files", "Font2", font2);
    Engine().UninstallItems(1);

    EXPECT_FALSE(FileExists(font1));
    EXPECT_TRUE(FileExists(font2));
    EXPECT_EQ(0u, ValueCount(m_base + "\\Files"));
    EXPECT_FALSE(RemoveFontResourceA(font2.c_str()));
    CloseHandle(hHeld);
}

TEST_F(RemovalPackage, FontChangeIsAnnouncedOnceAfterTheList)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CountFontChanges;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "LmRemovalFontProbe";
    RegisterClassA(&wc);
    HWND hWnd = CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);
    if (!hWnd)
        GTEST_SKIP() << "no display: no top-level window can receive the font-change broadcast";

    std::string fonts = m_folder + "\\Fonts";
    CreateDirectoryA(fonts.c_str(), nullptr);
    MakeFile(fonts + "\\One.ttf", FILE_ATTRIBUTE_NORMAL);
    MakeFile(fonts + "\\Two.TTF", FILE_ATTRIBUTE_NORMAL);
    List("Files", "Font1", fonts + "\\One.ttf");
    List("Files", "Font2", fonts + "\\Two.TTF");
    g_nFontChanges = 0;
    Engine().UninstallItems(1);
    EXPECT_EQ(1, g_nFontChanges);
    DestroyWindow(hWnd);
}

TEST_F(RemovalPackage, UsbDeviceKeysOfTheVendorAndItsOwnKeyGo)
{
    std::string usb = RunsAsWin9x() ? "Enum\\USB" : "SYSTEM\\CurrentControlSet\\Enum\\USB";
    std::string own = RunsAsWin9x() ? "Enum\\ZOZEZIRI" : "SYSTEM\\CurrentControlSet\\Enum\\ZOZEZIRI";
    SetString(HKEY_LOCAL_MACHINE, usb + "\\Vid_5E9A&Pid_0101\\5&1", "v", "1");
    SetString(HKEY_LOCAL_MACHINE, usb + "\\VID_1234&PID_5E9A\\1", "v", "1");
    SetString(HKEY_LOCAL_MACHINE, own + "\\Dev\\1", "v", "1");

    Engine().UninstallItems(5);
    bool bGone = !KeyExists(HKEY_LOCAL_MACHINE, usb + "\\Vid_5E9A&Pid_0101");
    bool bOtherKept = KeyExists(HKEY_LOCAL_MACHINE, usb + "\\VID_1234&PID_5E9A\\1");
    bool bOwnGone = !KeyExists(HKEY_LOCAL_MACHINE, own);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, usb + "\\VID_1234&PID_5E9A");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, usb + "\\Vid_5E9A&Pid_0101");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, own);
    EXPECT_TRUE(bGone);
    EXPECT_TRUE(bOtherKept);
    EXPECT_TRUE(bOwnGone);
}

// ---- the exported entry ------------------------------------------------------------------------

namespace {

// The prefix starts without the library's values; each test that sets them takes them away.
class LibraryValues {
public:
    LibraryValues()
    {
        HKEY h = nullptr;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, LIBRARY_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
        DWORD dwDebug = 1;   // LmRemovePackage takes the trace switch from here
        RegSetValueExA(h, "Debug", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwDebug), sizeof(dwDebug));
        RegCloseKey(h);
    }
    ~LibraryValues()
    {
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, LIBRARY_KEY, "UninstallKey");
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, LIBRARY_KEY, "Debug");
    }
};

}  // namespace

TEST_F(RemovalPackage, LmRemovePackageRemovesThePackageTheInstallerRecorded)
{
    LibraryValues values;
    SetString(HKEY_LOCAL_MACHINE, LIBRARY_KEY, "UninstallKey", m_base);
    SetString(HKEY_LOCAL_MACHINE, m_base, "PackageFolder", m_folder);
    MakeFile(m_folder + "\\a.dll", FILE_ATTRIBUTE_NORMAL);
    CreateDirectoryA((m_folder + "\\Data").c_str(), nullptr);
    MakeFile(m_folder + "\\Data\\b.dat", FILE_ATTRIBUTE_NORMAL);
    SetString(HKEY_LOCAL_MACHINE, m_top + "\\Settings", "Version", "1.0");
    SetString(HKEY_LOCAL_MACHINE, m_top + "\\Owned", "v", "1");
    List("Files", "F1", m_folder + "\\a.dll");
    List("Folders", m_folder + "\\Data", "1");
    List("RegValues", "Version", m_top + "\\Settings");
    List("RegKeys", m_top + "\\Owned", "0");

    EXPECT_EQ(1, LmRemovePackage(nullptr, nullptr, nullptr, 0));

    EXPECT_FALSE(FileExists(m_folder + "\\a.dll"));
    EXPECT_FALSE(FileExists(m_folder + "\\Data"));
    EXPECT_TRUE(FileExists(m_folder));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, m_top + "\\Settings", "Version"));
    EXPECT_EQ(0u, ValueCount(m_base + "\\Files"));
    EXPECT_EQ(0u, ValueCount(m_base + "\\Folders"));
    EXPECT_EQ(0u, ValueCount(m_base + "\\RegValues"));
    EXPECT_TRUE(Listed("RegKeys", m_top + "\\Owned"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, m_top + "\\Owned"));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, m_base, "PackageFolder"));
    int nFiles = TraceCapture::Find("UNINSTINFO::UninstallItems - 1\n");
    int nFolders = TraceCapture::Find("UNINSTINFO::UninstallItems - 6\n", nFiles);
    int nValues = TraceCapture::Find("UNINSTINFO::UninstallItems - 3\n", nFolders);
    EXPECT_TRUE(nFiles >= 0 && nFolders > nFiles && nValues > nFolders) << TraceCapture::Dump();
    EXPECT_TRUE(TraceCapture::Contains("LMPROFINST::RemovePackage\n"));
}

TEST_F(RemovalPackage, LmRemovePackageWithoutARecordedPackageTouchesNothing)
{
    LibraryValues values;
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, LIBRARY_KEY, "UninstallKey");
    MakeFile(m_folder + "\\a.dll", FILE_ATTRIBUTE_NORMAL);
    List("Files", "F1", m_folder + "\\a.dll");

    EXPECT_EQ(1, LmRemovePackage(nullptr, nullptr, nullptr, 0));
    EXPECT_TRUE(FileExists(m_folder + "\\a.dll"));
    EXPECT_TRUE(Listed("Files", "F1"));
    EXPECT_TRUE(TraceCapture::Contains("LMPROFINST::RemovePackage - no package key\n")) << TraceCapture::Dump();

    // A recorded key of one level would put the lists at the top of a hive: refused too.
    SetString(HKEY_LOCAL_MACHINE, LIBRARY_KEY, "UninstallKey", "Software");
    TraceCapture::Clear();
    EXPECT_EQ(1, LmRemovePackage(nullptr, nullptr, nullptr, 0));
    EXPECT_TRUE(TraceCapture::Contains("UNINSTINFO::UninstallItems - no package key\n")) << TraceCapture::Dump();
    EXPECT_TRUE(FileExists(m_folder + "\\a.dll"));
}

// In a double-byte code page a path part may end in a character whose trail byte is 0x5C: a
// sibling that merely starts with the package folder's name is not inside it. (Wine cannot
// make such folders without a generated Unix locale, so the paths stay unmade: the decision is
// taken on the names.)
TEST_F(RemovalPackage, DbcsTrailByteIsNoPathSeparator)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the Japanese code page (the locale_ja_JP run), this one is " << GetACP();
    // "Pkg" followed by U+8868, which code page 932 writes as 0x95 0x5C.
    std::string package = m_root + "\\Pkg\x95\x5C";
    std::string sibling = m_root + "\\Pkg\x95\x5COther";
    UNINSTINFO info(m_base.c_str(), package.c_str(), SYSENV().m_bWin9x);
    EXPECT_TRUE(info.IsPackageFolder((package + "\\Sub").c_str()));
    EXPECT_TRUE(info.IsPackageFolder(package.c_str()));
    EXPECT_FALSE(info.IsPackageFolder(sibling.c_str()));

    List("Folders", sibling, "1");
    info.UninstallItems(6);
    EXPECT_TRUE(TraceCapture::Contains("UNINSTINFO::UninstallItems - folder outside the package [" + sibling + "]\n"))
        << TraceCapture::Dump();
}
