// Profile store tests: a scratch printer and a session on it per test, and the printer's data
// written and locked directly in the registry, where the spooler keeps it.
#pragma once
#include <aclapi.h>

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
class StoreTest : public TracedTest {
protected:
    void SetUp() override
    {
        TracedTest::SetUp();
        ASSERT_TRUE(m_printer.Ok()) << m_name;
        m_session = OpenSession(m_name);
        TraceCapture::Clear();
    }
    Bytes Data(const char* pszValue, DWORD* pdwType = nullptr) const { return PrinterData(m_name, pszValue, pdwType); }

    std::string m_name = std::string("Store ") + testing::UnitTest::GetInstance()->current_test_info()->name();
    ScratchPrinter m_printer{m_name.c_str(), FIXTURE_MODEL_A};
    std::unique_ptr<LMPROFJXP> m_session;   // closed before the printer goes
};

// While alive, this program's printer-data writes (the static library's among them) go through a
// counter that notes each value written, in order. SetPrinterDataA fails with
// ERROR_ACCESS_DENIED once nWrites writes went through (-1: never), as a store cut short midway
// would, and always for the value named pszRefused. One at a time.
class SpoolerCalls {
public:
    explicit SpoolerCalls(long nWrites = -1, const char* pszRefused = "")
    {
        s_pThis = this;
        m_nWritesLeft = nWrites;
        m_refused = pszRefused;
        Patch("SetPrinterDataA", reinterpret_cast<void*>(&Set), reinterpret_cast<void**>(&s_pfnSet));
    }
    ~SpoolerCalls()
    {
        void* pOld = nullptr;
        Patch("SetPrinterDataA", reinterpret_cast<void*>(s_pfnSet), &pOld);
        s_pThis = nullptr;
    }
    SpoolerCalls(const SpoolerCalls&) = delete;
    SpoolerCalls& operator=(const SpoolerCalls&) = delete;

    std::vector<std::string> writes;   // value names of the writes that went through

private:
    typedef DWORD(WINAPI* SetFn)(HANDLE, LPSTR, DWORD, LPBYTE, DWORD);
    static DWORD WINAPI Set(HANDLE h, LPSTR pszName, DWORD dwType, LPBYTE p, DWORD cb)
    {
        if (s_pThis->m_nWritesLeft == 0 || s_pThis->m_refused == pszName)
            return ERROR_ACCESS_DENIED;
        if (s_pThis->m_nWritesLeft > 0)
            --s_pThis->m_nWritesLeft;
        s_pThis->writes.push_back(pszName);
        return s_pfnSet(h, pszName, dwType, p, cb);
    }
    // Points this program's import slot of winspool.drv!pszFunction at pfnNew.
    static void Patch(const char* pszFunction, void* pfnNew, void** ppfnOld)
    {
        BYTE* pBase = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
        auto* pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + reinterpret_cast<IMAGE_DOS_HEADER*>(pBase)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& dir = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* pImport = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + dir.VirtualAddress); pImport->Name;
             ++pImport) {
            if (lstrcmpiA(reinterpret_cast<const char*>(pBase + pImport->Name), "winspool.drv") != 0)
                continue;
            auto* pSlot = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pImport->FirstThunk);
            auto* pName = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pImport->OriginalFirstThunk);
            for (; pName->u1.AddressOfData; ++pName, ++pSlot) {
                if (IMAGE_SNAP_BY_ORDINAL(pName->u1.Ordinal) ||
                    strcmp(reinterpret_cast<const char*>(
                               reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(pBase + pName->u1.AddressOfData)->Name),
                           pszFunction) != 0)
                    continue;
                DWORD dwOld = 0;
                VirtualProtect(&pSlot->u1.Function, sizeof(pSlot->u1.Function), PAGE_READWRITE, &dwOld);
                *ppfnOld = reinterpret_cast<void*>(pSlot->u1.Function);
                pSlot->u1.Function = reinterpret_cast<ULONG_PTR>(pfnNew);
                VirtualProtect(&pSlot->u1.Function, sizeof(pSlot->u1.Function), dwOld, &dwOld);
                return;
            }
        }
        ADD_FAILURE() << "this program does not import " << pszFunction;
    }

    long m_nWritesLeft;
    std::string m_refused;
    static inline SpoolerCalls* s_pThis = nullptr;
    static inline SetFn s_pfnSet = nullptr;
};
