#include <gtest/gtest.h>

#include <aclapi.h>

#include <string>

#include "core/trace.h"
#include "removal/registry_utils.h"
#include "test_support.h"

namespace {

const char BASE[] = "Software\\LmProfTests";

class RegistryUtils : public testing::Test {
protected:
    void SetUp() override
    {
        m_key = std::string(BASE) + "\\" + testing::UnitTest::GetInstance()->current_test_info()->name();
        DeleteTree(m_key);
        InitTraceFlag(TRUE);
        TraceCapture::Clear();
    }
    void TearDown() override
    {
        DeleteTree(m_key);
        InitTraceFlag(FALSE);
    }

    static void DeleteTree(const std::string& key)
    {
        HKEY h = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, RegViewAccess(KEY_ALL_ACCESS), &h) == ERROR_SUCCESS) {
            char szName[260];
            while (RegEnumKeyA(h, 0, szName, sizeof(szName)) == ERROR_SUCCESS)
                DeleteTree(key + "\\" + szName);
            RegCloseKey(h);
        }
        RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    }

    void Create(const std::string& sub, const char* pszValue = nullptr, const std::string& data = "x")
    {
        HKEY h = nullptr;
        std::string path = sub.empty() ? m_key : m_key + "\\" + sub;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                                 RegViewAccess(KEY_ALL_ACCESS), nullptr, &h, nullptr));
        if (pszValue)
            RegSetValueExA(h, pszValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), DWORD(data.size() + 1));
        RegCloseKey(h);
    }

    bool Exists(const std::string& path)
    {
        HKEY h = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, RegViewAccess(KEY_READ), &h) != ERROR_SUCCESS)
            return false;
        RegCloseKey(h);
        return true;
    }

    std::string m_key;
};

}  // namespace

TEST_F(RegistryUtils, LongValueFallsBackToDefaultAndTracesOnlyForeignNames)
{
    Create("", "Number", "");
    HKEY h = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, m_key.c_str(), 0, RegViewAccess(KEY_ALL_ACCESS), &h);
    DWORD dw = 0x1234;
    RegSetValueExA(h, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), sizeof(dw));
    RegCloseKey(h);

    EXPECT_EQ(0x1234u, GetRegValueLong(HKEY_CURRENT_USER, m_key.c_str(), "Number", 7));
    EXPECT_EQ(7u, GetRegValueLong(HKEY_CURRENT_USER, m_key.c_str(), "Missing", 7));
    EXPECT_TRUE(TraceCapture::Contains("GetRegValueLong??? - Get value error - 2 for Missing\n")) << TraceCapture::Dump();

    TraceCapture::Clear();
    EXPECT_EQ(9u, GetRegValueLong(HKEY_CURRENT_USER, m_key.c_str(), "Debug", 9));
    EXPECT_EQ(9u, GetRegValueLong(HKEY_CURRENT_USER, m_key.c_str(), "Dbg2Log", 9));
    EXPECT_TRUE(TraceCapture::Lines().empty()) << TraceCapture::Dump();

    EXPECT_EQ(5u, GetRegValueLong(HKEY_CURRENT_USER, (m_key + "\\Nope").c_str(), "Number", 5));
    EXPECT_TRUE(TraceCapture::Contains("GetRegValueLong - Open registry error - 2 for " + m_key + "\\Nope\n"));
}

TEST_F(RegistryUtils, StringsLongerThanTheCellAreUnreadable)
{
    Create("", "Short", "hello");
    Create("", "Long", std::string(299, 'L'));
    char szOut[260];
    memset(szOut, 'Q', sizeof(szOut));
    EXPECT_EQ(6u, GetRegValueString(HKEY_CURRENT_USER, m_key.c_str(), "Short", szOut));
    EXPECT_STREQ("hello", szOut);

    EXPECT_EQ(0u, GetRegValueString(HKEY_CURRENT_USER, m_key.c_str(), "Long", szOut));
    EXPECT_STREQ("", szOut);
    EXPECT_TRUE(TraceCapture::Contains("GetRegValueString - Get value error - 234 for Long\n")) << TraceCapture::Dump();

    // A missing key leaves the caller's buffer as it was.
    strcpy(szOut, "untouched");
    EXPECT_EQ(0u, GetRegValueString(HKEY_CURRENT_USER, (m_key + "\\Nope").c_str(), "Short", szOut));
    EXPECT_STREQ("untouched", szOut);
}

TEST_F(RegistryUtils, CountsAndListsValuesAndSubkeys)
{
    Create("", "One");
    Create("", "Two");
    Create("KeyA");
    Create("KeyB");
    Create("KeyC");
    DWORD nValues = GetEnumRegValueCount(HKEY_CURRENT_USER, m_key.c_str());
    DWORD nKeys = GetEnumRegSubkeyCount(HKEY_CURRENT_USER, m_key.c_str());
    ASSERT_EQ(2u, nValues);
    ASSERT_EQ(3u, nKeys);

    RegNameCell values[2], keys[3];
    ASSERT_EQ(2u, GetEnumRegValues(HKEY_CURRENT_USER, m_key.c_str(), values, nValues));
    EXPECT_EQ(std::string("One") + "Two", std::string(values[0]) + values[1]);
    ASSERT_EQ(3u, GetEnumRegSubkeys(HKEY_CURRENT_USER, m_key.c_str(), keys, nKeys));
    EXPECT_STREQ("KeyA", keys[0]);
    EXPECT_STREQ("KeyC", keys[2]);

    EXPECT_EQ(0u, GetEnumRegValueCount(HKEY_CURRENT_USER, (m_key + "\\Nope").c_str()));
    EXPECT_TRUE(TraceCapture::Contains("GetEnumRegValueCount - Open registry error - 2 for " + m_key + "\\Nope\n"));
}

TEST_F(RegistryUtils, RemovesValuesAndWholeTrees)
{
    Create("", "Gone");
    EXPECT_TRUE(RemoveRegValue(HKEY_CURRENT_USER, m_key.c_str(), "Gone"));
    EXPECT_FALSE(RemoveRegValue(HKEY_CURRENT_USER, m_key.c_str(), "Gone"));
    EXPECT_TRUE(TraceCapture::Contains("RemoveRegValue - remove registry error - 2 for Gone\n"));

    Create("Level1\\Level2a", "v1");
    Create("Level1\\Level2b\\Level3", "v2");
    Create("Level1", "v0");
    Create("Sibling");
    std::string tree = m_key + "\\Level1";
    EXPECT_TRUE(RemoveRegKey(HKEY_CURRENT_USER, tree.c_str(), false));
    EXPECT_FALSE(Exists(tree));
    EXPECT_TRUE(Exists(m_key + "\\Sibling")) << "a key beside the tree was removed";
    // Deepest keys go first: the subkey's trace line follows the parent's.
    int nParent = TraceCapture::Find("RemoveRegKey - [" + tree + "]\n");
    EXPECT_GE(nParent, 0);
    EXPECT_GT(TraceCapture::Find("RemoveRegKey - [Level3]\n"), nParent) << TraceCapture::Dump();
}

TEST_F(RegistryUtils, MissingKeyIsNotRemovedUnlessTheGrantCreatesIt)
{
    std::string missing = m_key + "\\Missing";
    EXPECT_FALSE(RemoveRegKey(HKEY_CURRENT_USER, missing.c_str(), false));
    EXPECT_TRUE(TraceCapture::Contains("RemoveRegKey - Open registry error - 2 for " + missing + "\n"));

    // The grant step creates the key, and the removal then deletes it again.
    EXPECT_TRUE(RemoveRegKey(HKEY_CURRENT_USER, missing.c_str(), true));
    EXPECT_FALSE(Exists(missing));
}

TEST_F(RegistryUtils, GrantReplacesADenyingAccessListSoTheKeyCanBeDeleted)
{
    if (RunsAsWin9x())
        GTEST_SKIP() << "the Windows 9x registry keeps no access lists (Wine ignores them in that mode)";
    Create("Locked", "v");
    std::string locked = m_key + "\\Locked";
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, locked.c_str(), 0, RegViewAccess(WRITE_DAC), &h));
    ACL emptyAcl;
    ASSERT_TRUE(InitializeAcl(&emptyAcl, sizeof(emptyAcl), ACL_REVISION));
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, &emptyAcl, FALSE);
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, &sd));
    RegCloseKey(h);

    EXPECT_FALSE(RemoveRegKey(HKEY_CURRENT_USER, locked.c_str(), false));
    EXPECT_TRUE(TraceCapture::Contains("RemoveRegKey - Open registry error - 5 for " + locked + "\n"))
        << TraceCapture::Dump();
    EXPECT_TRUE(RemoveRegKey(HKEY_CURRENT_USER, locked.c_str(), true));
    EXPECT_FALSE(Exists(locked));
}

// Under WOW64 the utilities open the native (64-bit) view and delete keys through
// RegDeleteKeyExA; a key that only the redirected 32-bit view holds is not theirs to touch.
TEST_F(RegistryUtils, UnderWow64TheyWorkOnTheNativeViewOnly)
{
    if (RunsAsWin9x())
        GTEST_SKIP() << "Windows 9x has one registry view and no WOW64 (Wine ignores the view flags there)";
    struct ProbeOverride {
        ProbeOverride() { OverrideWow64Probe(1); }
        ~ProbeOverride() { OverrideWow64Probe(-1); }
    } probe;
    std::string native = m_key + "\\Native";
    Create("Native", "v");
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, native.c_str(), 0, KEY_ALL_ACCESS, &h));
    DWORD dw = 64;
    RegSetValueExA(h, "Bits", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), sizeof(dw));
    RegCloseKey(h);
    EXPECT_EQ(64u, GetRegValueLong(HKEY_CURRENT_USER, native.c_str(), "Bits", 0));
    EXPECT_EQ(2u, GetEnumRegValueCount(HKEY_CURRENT_USER, native.c_str()));
    EXPECT_TRUE(RemoveRegKey(HKEY_CURRENT_USER, native.c_str(), false));
    EXPECT_FALSE(Exists(native));

    if (sizeof(void*) == 8) {
        // HKLM\Software is split into two views for a 64-bit process as well.
        std::string redirected = "Software\\LmProfTests32Only";
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, redirected.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &h, nullptr));
        RegSetValueExA(h, "Bits", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), sizeof(dw));
        RegCloseKey(h);
        EXPECT_EQ(7u, GetRegValueLong(HKEY_LOCAL_MACHINE, redirected.c_str(), "Bits", 7));
        EXPECT_FALSE(RemoveRegKey(HKEY_LOCAL_MACHINE, redirected.c_str(), false));
        h = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, redirected.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &h))
            << "the 32-bit view's key was removed";
        if (h)
            RegCloseKey(h);
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, redirected.c_str(), KEY_WOW64_32KEY, 0);
    }
}
