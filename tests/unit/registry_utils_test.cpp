// The registry helpers of the removal (its package tests list, read and remove through them):
// the limits of what they read, the access list the grant replaces, and the native view.
#include "removal/registry_utils.h"
#include "test_support.h"

namespace {

class RegistryUtils : public TracedTest {
protected:
    void SetUp() override
    {
        m_key = std::string("Software\\LmProfTests\\") + testing::UnitTest::GetInstance()->current_test_info()->name();
        RemoveRegKey(HKEY_CURRENT_USER, m_key.c_str(), false);
        TracedTest::SetUp();
    }
    void TearDown() override
    {
        RemoveRegKey(HKEY_CURRENT_USER, m_key.c_str(), false);
        TracedTest::TearDown();
    }
    void Create(const std::string& sub, const char* pszValue = nullptr, const std::string& data = "x",
                DWORD dwType = REG_SZ)
    {
        HKEY h = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, (m_key + sub).c_str(), 0, nullptr, 0,
                                                 RegViewAccess(KEY_ALL_ACCESS), nullptr, &h, nullptr));
        DWORD cb = DWORD(data.size() + (dwType == REG_SZ ? 1 : 0));
        if (pszValue)
            RegSetValueExA(h, pszValue, 0, dwType, reinterpret_cast<const BYTE*>(data.c_str()), cb);
        RegCloseKey(h);
    }
    bool Exists(const std::string& path)
    {
        HKEY h = nullptr;
        LONG lErr = RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, RegViewAccess(KEY_READ), &h);
        RegCloseKey(h);
        return lErr == ERROR_SUCCESS;
    }

    std::string m_key;
};

}  // namespace

TEST_F(RegistryUtils, ValuesFallBackToTheDefaultAndStringsMustFitTheCell)
{
    Create("", "Number", std::string("\x34\x12\0\0", 4), REG_DWORD);
    const std::string nope = m_key + "\\Nope";
    EXPECT_EQ(0x1234u, GetRegValueLong(HKEY_CURRENT_USER, m_key.c_str(), "Number", 7));
    EXPECT_EQ(7u, GetRegValueLong(HKEY_CURRENT_USER, m_key.c_str(), "Missing", 7));
    EXPECT_EQ(5u, GetRegValueLong(HKEY_CURRENT_USER, nope.c_str(), "Number", 5));

    const struct {
        std::string text;
        DWORD cbRead;
    } strings[] = {{"hello", 6}, {std::string(259, 'L'), 260}, {std::string(260, 'M'), 0}};
    for (const auto& s : strings) {
        Create("", "Text", s.text);
        char szOut[260];
        memset(szOut, 'Q', sizeof(szOut));
        EXPECT_EQ(s.cbRead, GetRegValueString(HKEY_CURRENT_USER, m_key.c_str(), "Text", szOut)) << s.text.size();
        EXPECT_EQ(s.cbRead ? s.text : "", szOut);
    }
    char szUntouched[260] = "untouched";   // a missing key leaves the caller's buffer as it was
    EXPECT_EQ(0u, GetRegValueString(HKEY_CURRENT_USER, nope.c_str(), "Text", szUntouched));
    EXPECT_STREQ("untouched", szUntouched);
}

TEST_F(RegistryUtils, GrantReplacesADenyingAccessListSoTheKeyCanBeDeleted)
{
    if (RunsAsWin9x())
        GTEST_SKIP() << "the Windows 9x registry keeps no access lists (Wine ignores them in that mode)";
    Create("\\Locked", "v");
    const std::string locked = m_key + "\\Locked";
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
    // The grant step creates a missing key, and the removal then deletes it again.
    EXPECT_FALSE(RemoveRegKey(HKEY_CURRENT_USER, locked.c_str(), false));
    EXPECT_TRUE(RemoveRegKey(HKEY_CURRENT_USER, locked.c_str(), true));
    EXPECT_FALSE(Exists(locked));
}

// Under WOW64 the helpers open the native (64-bit) view and delete keys through
// RegDeleteKeyExA; a key that only the redirected 32-bit view holds is not theirs to touch.
TEST_F(RegistryUtils, UnderWow64TheyWorkOnTheNativeViewOnly)
{
    Wow64Road road;
    if (!road.Available() || RunsAsWin9x())
        GTEST_SKIP() << "one registry view: 32-bit Windows, or Windows 9x (Wine ignores the view flags there)";
    Create("\\Native", "v");
    EXPECT_TRUE(RemoveRegKey(HKEY_CURRENT_USER, (m_key + "\\Native").c_str(), false));
    EXPECT_FALSE(Exists(m_key + "\\Native"));
    const std::string redirected = "Software\\LmProfTests32Only";
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, redirected.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &h, nullptr));
    RegSetValueExA(h, "Bits", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\x40\0\0\0"), 4);
    RegCloseKey(h);
    EXPECT_EQ(7u, GetRegValueLong(HKEY_LOCAL_MACHINE, redirected.c_str(), "Bits", 7));
    EXPECT_FALSE(RemoveRegKey(HKEY_LOCAL_MACHINE, redirected.c_str(), false));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyExA(HKEY_LOCAL_MACHINE, redirected.c_str(), KEY_WOW64_32KEY, 0))
        << "the 32-bit view's key was removed";
}
