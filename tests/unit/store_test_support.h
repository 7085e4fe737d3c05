// Profile store tests: a scratch printer and a session on it per test, and the printer's data
// written and locked directly in the registry, where the spooler keeps it.
#pragma once
#include <gtest/gtest.h>

#include <aclapi.h>

#include "core/lmprofjxp.h"
#include "core/trace.h"
#include "fixture_names.h"
#include "test_support.h"

inline void WriteData(const std::string& printer, const char* pszValue, DWORD dwType, const void* pData, size_t cb)
{
    HKEY h = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, DriverDataKey(printer).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                    nullptr);
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(h, pszValue, 0, dwType, static_cast<const BYTE*>(pData), DWORD(cb)));
    RegCloseKey(h);
}

// A profile list record laid out by hand, as another program could have written it.
inline Bytes ListRecord(const char* pszName, DWORD dwRegNum, const char* pszDescription = "")
{
    Bytes rec(556, 0);
    memcpy(&rec[0], pszName, strlen(pszName));
    memcpy(&rec[32], pszDescription, strlen(pszDescription));
    PutU32(&rec[552], dwRegNum);
    return rec;
}

inline DWORD U32At(const Bytes& bytes, size_t offset)
{
    return offset + 4 <= bytes.size() ? GetU32(&bytes[offset]) : 0;
}

// While alive, the printer's data key grants Everyone only dwAccess: with KEY_READ the spooler
// refuses writes (error 5), with KEY_SET_VALUE reads.
class PrinterDataAccess {
public:
    PrinterDataAccess(const std::string& printer, DWORD dwAccess) : m_key(DriverDataKey(printer)) { Set(dwAccess); }
    ~PrinterDataAccess() { Set(KEY_ALL_ACCESS); }

private:
    void Set(DWORD dwAccess)
    {
        HKEY h = nullptr;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, m_key.c_str(), 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, &h,
                        nullptr);
        EXPLICIT_ACCESSA ea = {dwAccess, SET_ACCESS, NO_INHERITANCE, {}};
        ea.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
        ea.Trustee.ptstrName = const_cast<char*>("EVERYONE");
        PACL pAcl = nullptr;
        SetEntriesInAclA(1, &ea, nullptr, &pAcl);
        SECURITY_INFORMATION si = DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION;
        EXPECT_EQ(DWORD(ERROR_SUCCESS), SetSecurityInfo(h, SE_REGISTRY_KEY, si, nullptr, nullptr, pAcl, nullptr));
        LocalFree(pAcl);
        RegCloseKey(h);
    }
    std::string m_key;
};

// A scratch printer named after the test and a session on it in this copy's mode, trace on.
class StoreTest : public testing::Test {
protected:
    void SetUp() override
    {
        InitTraceFlag(TRUE);
        ASSERT_TRUE(m_printer.Ok()) << m_name;
        m_session = OpenSession(m_name);
        TraceCapture::Clear();
    }
    void TearDown() override { InitTraceFlag(FALSE); }
    Bytes Data(const char* pszValue, DWORD* pdwType = nullptr) const { return PrinterData(m_name, pszValue, pdwType); }

    std::string m_name = std::string("Store ") + testing::UnitTest::GetInstance()->current_test_info()->name();
    ScratchPrinter m_printer{m_name.c_str(), FIXTURE_MODEL_A};
    std::unique_ptr<LMPROFJXP> m_session;   // closed before the printer goes
};
