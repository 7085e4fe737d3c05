// Proof that the test bed is real: the spooler calls the library makes reach the fixture
// driver and come back with its private bytes intact, in every emulated Windows version.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture_names.h"
#include "test_support.h"

namespace {

constexpr DWORD BLOCK_SIGNATURE = 0x4C6D5064;

class Printer {
public:
    explicit Printer(const char* pszName, DWORD dwAccess = PRINTER_ALL_ACCESS)
    {
        PRINTER_DEFAULTSA defaults = {nullptr, nullptr, dwAccess};
        if (!OpenPrinterA(const_cast<char*>(pszName), &m_h, &defaults))
            m_h = nullptr;
    }
    ~Printer()
    {
        if (m_h)
            ClosePrinter(m_h);
    }
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h = nullptr;
};

std::vector<BYTE> DevModeW(HANDLE h, const wchar_t* pwszName, const DEVMODEW* pIn = nullptr)
{
    LONG cb = DocumentPropertiesW(nullptr, h, const_cast<wchar_t*>(pwszName), nullptr, nullptr, 0);
    if (cb <= 0)
        return {};
    std::vector<BYTE> out(cb);
    DWORD fMode = DM_OUT_BUFFER | (pIn ? DM_IN_BUFFER : 0);
    if (DocumentPropertiesW(nullptr, h, const_cast<wchar_t*>(pwszName), reinterpret_cast<DEVMODEW*>(out.data()),
                            const_cast<DEVMODEW*>(pIn), fMode) != IDOK)
        return {};
    return out;
}

DWORD BlockWord(const std::vector<BYTE>& dm, size_t offset)
{
    DWORD dw = 0;
    memcpy(&dw, dm.data() + offset, sizeof(dw));
    return dw;
}

std::vector<WORD> WordList(const char* pszPrinter, WORD wCap)
{
    int n = DeviceCapabilitiesA(pszPrinter, "NUL:", wCap, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::vector<WORD> list(n);
    DeviceCapabilitiesA(pszPrinter, "NUL:", wCap, reinterpret_cast<char*>(list.data()), nullptr);
    return list;
}

}  // namespace

TEST(TestBed, PrintersOpenWithFullAccessAndUnknownOnesFail)
{
    for (const char* pszName : {FIXTURE_PRINTER_A1, FIXTURE_PRINTER_A2, FIXTURE_PRINTER_B1}) {
        Printer p(pszName);
        EXPECT_NE(nullptr, p.Get()) << pszName << " error " << GetLastError();
    }
    HANDLE h = nullptr;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    EXPECT_TRUE(OpenPrinterW(const_cast<wchar_t*>(FIXTURE_PRINTER_B1_W), &h, &defaults));
    if (h)
        ClosePrinter(h);
    SetLastError(ERROR_MARKER);
    EXPECT_FALSE(OpenPrinterA(const_cast<char*>("No Such Printer"), &h, nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_PRINTER_NAME), GetLastError());
}

TEST(TestBed, DocumentPropertiesCarryThePrivateBlocksBothWays)
{
    Printer p(FIXTURE_PRINTER_A1);
    ASSERT_NE(nullptr, p.Get());
    std::vector<BYTE> dmW = DevModeW(p.Get(), FIXTURE_PRINTER_A1_W);
    ASSERT_GT(dmW.size(), sizeof(DEVMODEW));
    const DEVMODEW* pW = reinterpret_cast<const DEVMODEW*>(dmW.data());
    ASSERT_GT(pW->dmDriverExtra, 16);
    EXPECT_EQ(dmW.size(), size_t(pW->dmSize) + pW->dmDriverExtra);
    EXPECT_EQ(BLOCK_SIGNATURE, BlockWord(dmW, pW->dmSize));
    EXPECT_EQ(1u, BlockWord(dmW, pW->dmSize + 4) & 0xFFFF) << "the main block comes first";

    // The ANSI form: 64 bytes less public part, the same private bytes.
    LONG cbA = DocumentPropertiesA(nullptr, p.Get(), const_cast<char*>(FIXTURE_PRINTER_A1), nullptr, nullptr, 0);
    ASSERT_EQ(LONG(dmW.size()) - 64, cbA);
    std::vector<BYTE> dmA(cbA);
    ASSERT_EQ(IDOK, DocumentPropertiesA(nullptr, p.Get(), const_cast<char*>(FIXTURE_PRINTER_A1),
                                        reinterpret_cast<DEVMODEA*>(dmA.data()), nullptr, DM_OUT_BUFFER));
    const DEVMODEA* pA = reinterpret_cast<const DEVMODEA*>(dmA.data());
    ASSERT_EQ(pW->dmDriverExtra, pA->dmDriverExtra);
    EXPECT_EQ(0, memcmp(dmW.data() + pW->dmSize, dmA.data() + pA->dmSize, pW->dmDriverExtra));

    // An input DEVMODE with a changed public field and changed private bytes comes back merged.
    std::vector<BYTE> in = dmW;
    DEVMODEW* pIn = reinterpret_cast<DEVMODEW*>(in.data());
    pIn->dmOrientation = pW->dmOrientation == DMORIENT_PORTRAIT ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    pIn->dmFields |= DM_ORIENTATION;
    size_t brightness = pIn->dmSize + 486;
    in[brightness] ^= 0x5A;
    in[in.size() - 1] ^= 0xA5;   // last byte of the last plug-in block
    std::vector<BYTE> merged = DevModeW(p.Get(), FIXTURE_PRINTER_A1_W, pIn);
    ASSERT_EQ(in.size(), merged.size());
    EXPECT_EQ(pIn->dmOrientation, reinterpret_cast<const DEVMODEW*>(merged.data())->dmOrientation);
    EXPECT_EQ(0, memcmp(in.data() + pIn->dmSize, merged.data() + pIn->dmSize, pIn->dmDriverExtra));
}

TEST(TestBed, ModelsServeDifferentPaperAndBinLists)
{
    std::vector<WORD> papersA = WordList(FIXTURE_PRINTER_A1, DC_PAPERS);
    std::vector<WORD> papersB = WordList(FIXTURE_PRINTER_B1, DC_PAPERS);
    std::vector<WORD> outBinsA = WordList(FIXTURE_PRINTER_A1, 1001);
    std::vector<WORD> outBinsB = WordList(FIXTURE_PRINTER_B1, 1001);
    ASSERT_FALSE(papersA.empty());
    ASSERT_FALSE(papersB.empty());
    ASSERT_FALSE(outBinsA.empty());
    ASSERT_FALSE(outBinsB.empty());
    EXPECT_NE(papersA, papersB);
    EXPECT_NE(outBinsA, outBinsB);
    EXPECT_FALSE(WordList(FIXTURE_PRINTER_A1, DC_BINS).empty());

    // Paper names: 64 characters an entry, in both forms, one per paper.
    int nNames = DeviceCapabilitiesW(FIXTURE_PRINTER_A1_W, L"NUL:", DC_PAPERNAMES, nullptr, nullptr);
    ASSERT_EQ(int(papersA.size()), nNames);
    std::vector<wchar_t> namesW(64 * nNames);
    DeviceCapabilitiesW(FIXTURE_PRINTER_A1_W, L"NUL:", DC_PAPERNAMES, namesW.data(), nullptr);
    std::vector<char> namesA(64 * nNames);
    DeviceCapabilitiesA(FIXTURE_PRINTER_A1, "NUL:", DC_PAPERNAMES, namesA.data(), nullptr);
    char szFirst[65] = "";
    WideCharToMultiByte(CP_ACP, 0, namesW.data(), 64, szFirst, 64, nullptr, nullptr);
    EXPECT_GT(strlen(szFirst), 0u);
    EXPECT_EQ(std::string(szFirst), std::string(namesA.data(), strnlen(namesA.data(), 64)));
}

TEST(TestBed, DriverReportsItsConfigurationModule)
{
    Printer p(FIXTURE_PRINTER_B1);
    ASSERT_NE(nullptr, p.Get());
    DWORD cb = 0;
    GetPrinterDriverA(p.Get(), nullptr, 2, nullptr, 0, &cb);
    ASSERT_GT(cb, sizeof(DRIVER_INFO_2A));
    std::vector<BYTE> buf(cb);
    ASSERT_TRUE(GetPrinterDriverA(p.Get(), nullptr, 2, buf.data(), cb, &cb)) << GetLastError();
    const DRIVER_INFO_2A* pInfo = reinterpret_cast<const DRIVER_INFO_2A*>(buf.data());
    EXPECT_STREQ(FIXTURE_MODEL_B, pInfo->pName);
    std::string config = pInfo->pConfigFile;
    EXPECT_EQ(FIXTURE_MODULE_B, config.substr(config.find_last_of('\\') + 1));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(pInfo->pConfigFile)) << config;
}

TEST(TestBed, PrinterDataPersistsAcrossProcesses)
{
    Printer p(FIXTURE_PRINTER_A2);
    ASSERT_NE(nullptr, p.Get());
    const DWORD cbBig = 64 * 1024;
    std::vector<BYTE> big(cbBig);
    DWORD dwSeed = GetTickCount() & 0xFF;
    for (DWORD i = 0; i < cbBig; ++i)
        big[i] = PatternByte(i, dwSeed);
    ASSERT_EQ(ERROR_SUCCESS, SetPrinterDataA(p.Get(), const_cast<char*>("LmTestBig"), REG_BINARY, big.data(), cbBig));

    // A size query reports the size with ERROR_MORE_DATA.
    DWORD dwType = 0, cbNeeded = 0;
    EXPECT_EQ(DWORD(ERROR_MORE_DATA), GetPrinterDataA(p.Get(), const_cast<char*>("LmTestBig"), &dwType, nullptr, 0, &cbNeeded));
    EXPECT_EQ(cbBig, cbNeeded);

    std::string args = std::string("--check-printer-data \"") + FIXTURE_PRINTER_A2 + "\" LmTestBig 3 " +
                       std::to_string(cbBig) + " " + std::to_string(dwSeed);
    EXPECT_EQ(0, RunSelf(args));
    EXPECT_NE(0, RunSelf(std::string("--check-printer-data \"") + FIXTURE_PRINTER_A2 + "\" LmTestBig 3 " +
                         std::to_string(cbBig) + " " + std::to_string(dwSeed + 1)))
        << "the child check must see a wrong pattern";
}

TEST(TestBed, SetPrinterLevels289ChangeTheDevModeTheSpoolerReturns)
{
    ScratchPrinter scratch("LmTest SetPrinter", FIXTURE_MODEL_A);
    ASSERT_TRUE(scratch.Ok()) << GetLastError();
    Printer p(scratch.Name());
    ASSERT_NE(nullptr, p.Get());

    auto setAndCheck = [&](DWORD dwLevel, short nCopies) {
        std::vector<BYTE> dm = PrinterDevModeW(scratch.Name());
        ASSERT_FALSE(dm.empty());
        DEVMODEW* pdm = reinterpret_cast<DEVMODEW*>(dm.data());
        pdm->dmCopies = nCopies;
        pdm->dmFields |= DM_COPIES;
        dm[pdm->dmSize + 500] = BYTE(nCopies);   // a byte inside the main block
        BOOL bOk = FALSE;
        if (dwLevel == 2) {
            DWORD cb = 0;
            GetPrinterW(p.Get(), 2, nullptr, 0, &cb);
            std::vector<BYTE> info(cb);
            ASSERT_TRUE(GetPrinterW(p.Get(), 2, info.data(), cb, &cb));
            reinterpret_cast<PRINTER_INFO_2W*>(info.data())->pDevMode = pdm;
            bOk = SetPrinterW(p.Get(), 2, info.data(), 0);
        } else {
            PRINTER_INFO_8W info = {pdm};   // level 9 has the same layout
            bOk = SetPrinterW(p.Get(), dwLevel, reinterpret_cast<BYTE*>(&info), 0);
        }
        ASSERT_TRUE(bOk) << "level " << dwLevel << " error " << GetLastError();
        std::vector<BYTE> after = PrinterDevModeW(scratch.Name());
        ASSERT_EQ(dm.size(), after.size()) << "level " << dwLevel;
        EXPECT_EQ(nCopies, reinterpret_cast<DEVMODEW*>(after.data())->dmCopies) << "level " << dwLevel;
        EXPECT_EQ(0, memcmp(dm.data() + pdm->dmSize, after.data() + pdm->dmSize, pdm->dmDriverExtra))
            << "private bytes after level " << dwLevel;
    };
    setAndCheck(2, 3);
    setAndCheck(8, 5);
    setAndCheck(9, 7);
}
