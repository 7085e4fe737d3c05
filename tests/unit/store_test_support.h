// Profile store tests: a scratch printer and a session on it per test, and the printer's data
// read and damaged directly in the registry, where the spooler keeps it.
#pragma once
#include <gtest/gtest.h>

#include <aclapi.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

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
inline std::vector<BYTE> ListRecord(const char* pszName, DWORD dwRegNum, const char* pszDescription = "")
{
    std::vector<BYTE> rec(556, 0);
    memcpy(rec.data(), pszName, strlen(pszName));
    memcpy(rec.data() + 32, pszDescription, strlen(pszDescription));
    memcpy(rec.data() + 552, &dwRegNum, 4);
    return rec;
}

inline DWORD U32At(const std::vector<BYTE>& bytes, size_t offset)
{
    DWORD v = 0;
    if (offset + 4 <= bytes.size())
        memcpy(&v, bytes.data() + offset, 4);
    return v;
}

// The trace without the lines of the printer-data calls underneath.
inline std::vector<std::string> StoreLines()
{
    std::vector<std::string> kept;
    for (const auto& line : TraceCapture::Lines())
        if (line.rfind("LMPROFJXP::GetRegValue", 0) != 0 && line.rfind("LMPROFJXP::SetRegValue", 0) != 0)
            kept.push_back(line);
    return kept;
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
        EXPECT_EQ(DWORD(ERROR_SUCCESS),
                  SetSecurityInfo(h, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, pAcl, nullptr));
        LocalFree(pAcl);
        RegCloseKey(h);
    }
    std::string m_key;
};

// A scratch printer named after the test and a session on it in this copy's mode (ANSI name on
// Windows 9x, wide elsewhere), with the trace on.
class StoreTest : public testing::Test {
protected:
    void SetUp() override
    {
        InitTraceFlag(TRUE);
        m_name = std::string("Store ") + testing::UnitTest::GetInstance()->current_test_info()->name();
        m_printer.reset(new ScratchPrinter(m_name.c_str(), FIXTURE_MODEL_A));
        ASSERT_TRUE(m_printer->Ok()) << m_name;
        m_session = NewSession();
        TraceCapture::Clear();
    }
    void TearDown() override
    {
        m_session.reset();
        m_printer.reset();
        InitTraceFlag(FALSE);
    }
    std::unique_ptr<LMPROFJXP> NewSession() const { return OpenSession(m_name); }
    std::vector<BYTE> Data(const char* pszValue, DWORD* pdwType = nullptr) const
    {
        return PrinterData(m_name, pszValue, pdwType);
    }

    std::string m_name;
    std::unique_ptr<ScratchPrinter> m_printer;
    std::unique_ptr<LMPROFJXP> m_session;
};
