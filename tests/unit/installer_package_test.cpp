// The installer package object against real installation files and the fixture printers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "api/exports.h"
#include "core/lmprofjxp.h"
#include "core/sysenv.h"
#include "core/trace.h"
#include "fixture_names.h"
#include "installer/lmprofinst.h"
#include "test_support.h"

extern "C" int WINAPI LmCheckCondition(SETUPDATA* pSetup);
extern "C" int WINAPI LmRunModuleCount(DWORD);
extern "C" int WINAPI LmRunGetModuleStrings(DWORD, DWORD);

namespace {


class InstallerPackage : public testing::Test {
protected:
    void SetUp() override
    {
        InitTraceFlag(TRUE);
        char szTemp[MAX_PATH];
        GetTempPathA(MAX_PATH, szTemp);
        m_folder = std::string(szTemp) + "LmPackage " + testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(m_folder.c_str(), nullptr);
        m_hDll = LoadLibraryA((ExeFolder() + "..\\LmProfInst.dll").c_str());
        ASSERT_NE(nullptr, m_hDll);
        TraceCapture::Clear();
    }
    void TearDown() override
    {
        for (auto it = m_wideFolders.rbegin(); it != m_wideFolders.rend(); ++it) {
            DeleteFileW((*it + L"\\LmProfInst.ini").c_str());
            RemoveDirectoryW(it->c_str());
        }
        DeleteFileA((m_folder + "\\LmProfInst.ini").c_str());
        DeleteFileA((m_folder + "\\common.jxp").c_str());
        RemoveDirectoryA(m_folder.c_str());
        if (m_hDll)
            FreeLibrary(m_hDll);
        InitTraceFlag(FALSE);
    }
    void WriteIni(const std::string& text)
    {
        HANDLE h = CreateFileA((m_folder + "\\LmProfInst.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                               nullptr);
        DWORD dw = 0;
        WriteFile(h, text.data(), DWORD(text.size()), &dw, nullptr);
        CloseHandle(h);
    }
    std::string m_folder;
    std::vector<std::wstring> m_wideFolders;   // made below m_folder, removed last to first
    HMODULE m_hDll = nullptr;
};

// A session on a printer, built the way the running system takes its name.
std::unique_ptr<LMPROFJXP> SessionOn(const char* pszPrinter)
{
    std::wstring wide(pszPrinter, pszPrinter + strlen(pszPrinter));
    return std::unique_ptr<LMPROFJXP>(new LMPROFJXP(
        nullptr, RunsAsWin9x() ? static_cast<const void*>(pszPrinter) : static_cast<const void*>(wide.c_str()),
        nullptr));
}

}  // namespace

TEST_F(InstallerPackage, OffersTheSlotsOfThePrintersModelInSlotOrder)
{
    WriteIni("[LmProfInst]\r\nProfCount=4\r\nProfJxpName=common.jxp\r\n"
             "Prof1=Office\r\nProfName1=Office work\r\nProfDesc1=Duplex, two copies\r\n"
             "ProfModel2=Other Model,Another\r\nProf2=Photo\r\nProfName2=Photo\r\n"
             "ProfModel3=\r\nProfNotModel3=Nobody\r\nProf3=Draft\r\nProfName3=Draft\r\nProfJxpName3=draft.jxp\r\n"
             "ProfModel4=" FIXTURE_MODEL_A "\r\nProfNotModel4=X," FIXTURE_MODEL_A "\r\nProf4=Never\r\n");
    bool bAnsi = RunsAsWin9x();
    SetupBlock setup(FIXTURE_PRINTER_A1, FIXTURE_MODEL_A, m_folder, bAnsi, 0x0409);
    LMPROFINST package(nullptr, m_hDll, setup.Get());
    ASSERT_EQ(2, package.m_nEntries) << TraceCapture::Dump();
    EXPECT_STREQ("Office", package.m_pEntries[0].szProfileName);
    EXPECT_STREQ("Office work", package.m_pEntries[0].szDisplayName);
    EXPECT_STREQ("Duplex, two copies", package.m_pEntries[0].szDescription);
    EXPECT_STREQ("Draft", package.m_pEntries[1].szProfileName);
    std::string common = m_folder + "\\common.jxp", draft = m_folder + "\\draft.jxp";
    if (bAnsi) {
        EXPECT_EQ(common, package.m_pEntries[0].szProfileFile);
        EXPECT_EQ(draft, package.m_pEntries[1].szProfileFile);
    } else {
        EXPECT_EQ(std::wstring(common.begin(), common.end()), package.m_pEntries[0].wszProfileFile);
        EXPECT_EQ(std::wstring(draft.begin(), draft.end()), package.m_pEntries[1].wszProfileFile);
    }
    EXPECT_TRUE(TraceCapture::Contains("1, ProfName = Draft\n"));
    EXPECT_EQ(bAnsi, package.m_bAnsi);
    ASSERT_NE(nullptr, package.m_pSession);
    EXPECT_TRUE(package.m_pSession->IsComplete());
}

TEST_F(InstallerPackage, ModelListsCompareWholeItemsExactly)
{
    EXPECT_TRUE(LMPROFINST::IsModelInList("A", "A,B", 1252));
    EXPECT_TRUE(LMPROFINST::IsModelInList("B", "A,B", 1252));
    EXPECT_FALSE(LMPROFINST::IsModelInList("B", "A, B", 1252));
    EXPECT_TRUE(LMPROFINST::IsModelInList(" B", "A, B", 1252));
    EXPECT_FALSE(LMPROFINST::IsModelInList("a", "A,B", 1252));
    EXPECT_FALSE(LMPROFINST::IsModelInList("AB", "A,B", 1252));
    EXPECT_FALSE(LMPROFINST::IsModelInList("A", "", 1252));
    // Commas with nothing between them are no item: a printer without a model is in no list.
    EXPECT_TRUE(LMPROFINST::IsModelInList("B", ",A,,B,", 1252));
    EXPECT_FALSE(LMPROFINST::IsModelInList("", "A,", 1252));
    EXPECT_FALSE(LMPROFINST::IsModelInList("", ",A", 1252));
    EXPECT_FALSE(LMPROFINST::IsModelInList("", "A,,B", 1252));
    // A double-byte model name: the lead byte 0x83 takes its trail byte along.
    EXPECT_TRUE(LMPROFINST::IsModelInList("\x83\x76\x83\x8a", "X,\x83\x76\x83\x8a", 932));
    EXPECT_FALSE(LMPROFINST::IsModelInList("\x83\x76", "\x83\x76\x83\x8a", 932));
}

// A block in UTF-16 gives the source folder in UTF-16, and that is the form every path is
// built from: a folder whose 8-bit form would not fit a path is read all the same.
TEST_F(InstallerPackage, WideBlockReadsAFolderTooLongInEightBitText)
{
    // Three levels of 40 ideographs: well under MAX_PATH in UTF-16, over it in code page 932.
    std::wstring folder(m_folder.begin(), m_folder.end());
    for (int i = 0; i < 3; ++i) {
        folder += L"\\" + std::wstring(40, L'\x65E5');
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
        m_wideFolders.push_back(folder);
    }
    ASSERT_GT(WideCharToMultiByte(932, 0, folder.c_str(), -1, nullptr, 0, nullptr, nullptr), MAX_PATH);
    HANDLE h = CreateFileW((folder + L"\\LmProfInst.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                           nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    const char ini[] = "[LmProfInst]\r\nProfCount=1\r\nProf1=Office\r\nProfJxpName1=office.jxp\r\n";
    DWORD dw = 0;
    WriteFile(h, ini, sizeof(ini) - 1, &dw, nullptr);
    CloseHandle(h);

    SetupBlock setup(FIXTURE_PRINTER_A1, FIXTURE_MODEL_A, m_folder, false, 0x0411);
    setup.PutWideFolder(folder);
    setup.Put(setupdata::OFF_CODE_PAGE, 932);
    LMPROFINST package(nullptr, m_hDll, setup.Get());
    ASSERT_EQ(1, package.m_nEntries) << TraceCapture::Dump();
    EXPECT_EQ(folder + L"\\office.jxp", package.m_pEntries[0].wszProfileFile);
}

TEST_F(InstallerPackage, LanguagesChooseTheirStringTable)
{
    EXPECT_EQ(130, LMPROFINST::LanguageTable(0x0816));
    EXPECT_EQ(116, LMPROFINST::LanguageTable(0x0416));
    EXPECT_EQ(119, LMPROFINST::LanguageTable(0x0409));
    EXPECT_EQ(119, LMPROFINST::LanguageTable(0x0436));
    EXPECT_EQ(114, LMPROFINST::LanguageTable(0x0411));
    EXPECT_EQ(110, LMPROFINST::LanguageTable(0x04C1));
    EXPECT_EQ(117, LMPROFINST::LanguageTable(0x08C0));
}

TEST_F(InstallerPackage, WithoutASetupBlockNothingIsReadAndNothingOffered)
{
    LMPROFINST package(nullptr, m_hDll, nullptr);
    EXPECT_EQ(0, package.m_nEntries);
    EXPECT_EQ(nullptr, package.m_pSession);
    EXPECT_STREQ("", package.m_szPrinterName);
    EXPECT_EQ(0, package.CountSelected());
    EXPECT_EQ(0, package.CheckCondition());
}

TEST_F(InstallerPackage, ConditionHoldsForConfigurationModulesFrom21On)
{
    SetupBlock laser(FIXTURE_PRINTER_A1, FIXTURE_MODEL_A, m_folder, RunsAsWin9x(), 0x0409);
    SetupBlock jet(FIXTURE_PRINTER_B1, FIXTURE_MODEL_B, m_folder, RunsAsWin9x(), 0x0409);
    SetupBlock none("No Such Printer", "Nothing", m_folder, RunsAsWin9x(), 0x0409);
    if (RunsAsWin9x()) {
        // Windows 9x examines the 32-bit companion of the driver's module, which the fixture
        // driver does not ship: no version, no package.
        EXPECT_EQ(0, LmCheckCondition(laser.Get()));
        EXPECT_NE(std::string::npos, TraceCapture::Dump().find("LmFixr32er.exe")) << TraceCapture::Dump();
    } else {
        EXPECT_EQ(1, LmCheckCondition(laser.Get()));
        EXPECT_TRUE(TraceCapture::Contains("Version of Profile = 2.1.0.0\n")) << TraceCapture::Dump();
        EXPECT_EQ(0, LmCheckCondition(jet.Get()));
        EXPECT_TRUE(TraceCapture::Contains("Version of Profile = 2.0.5.0\n"));
    }
    TraceCapture::Clear();
    WaitRecorder waits;   // the package's session tries five times for the missing printer
    EXPECT_EQ(0, LmCheckCondition(none.Get()));
    EXPECT_TRUE(TraceCapture::Contains("LMPROFINST::CheckCondition - [No Such Printer]\n"));
    EXPECT_TRUE(TraceCapture::Contains("LMPROFINST::CheckCondition returns - 0\n"));
    EXPECT_FALSE(TraceCapture::Dump().find("tszProfFile") != std::string::npos);

    // On 64-bit Windows the driver of the x64 environment is examined.
    Wow64Road road;
    if (!RunsAsWin9x() && road.Available()) {
        TraceCapture::Clear();
        EXPECT_EQ(1, LmCheckCondition(laser.Get()));
        EXPECT_NE(std::string::npos, TraceCapture::Dump().find("\\x64\\3\\" FIXTURE_MODULE_A)) << TraceCapture::Dump();
    }
}

// A ticked slot is imported into the printer; the module calls count the ticks. The block's
// mode is its installer's, not necessarily the system's: a Windows 9x installer's block on NT
// (and an NT installer's on Windows 9x) imports the same.
TEST_F(InstallerPackage, TickedSlotsAreImportedAndCounted)
{
    ScratchPrinter source("LmPkg Source", FIXTURE_MODEL_A);
    ASSERT_TRUE(source.Ok());
    std::string file = m_folder + "\\common.jxp";
    {
        auto session = SessionOn(source.Name());
        std::vector<BYTE> dm(session->m_pDefaultDevMode.get(),
                             session->m_pDefaultDevMode.get() + session->m_dwDefaultDevModeSize);
        reinterpret_cast<DEVMODEW*>(dm.data())->dmCopies = 4;
        session->SaveProfileRegValue("Office", 1, "Default DevMode", dm.data(), DWORD(dm.size()), REG_BINARY);
        ASSERT_TRUE(session->AddProfileToModel("Office", "", 0, 0, 1));
        ASSERT_TRUE(InitJxpApi(nullptr, "LmPkg Source"));
        ASSERT_EQ(1, ExportProfileToJxp("Office", file.c_str()));
        CloseJxpApi(nullptr, nullptr);
    }
    WriteIni("[LmProfInst]\r\nProfCount=3\r\nProfJxpName=common.jxp\r\nProf1=Office\r\nProf2=Office\r\nProf3=Missing\r\n");
    for (bool bAnsiBlock : {RunsAsWin9x(), !RunsAsWin9x()}) {
        SCOPED_TRACE(bAnsiBlock ? "block of a Windows 9x installer" : "block of an NT installer");
        ScratchPrinter target(bAnsiBlock ? "LmPkg Target 9x" : "LmPkg Target NT", FIXTURE_MODEL_A);
        ASSERT_TRUE(target.Ok());
        SetupBlock setup(target.Name(), FIXTURE_MODEL_A, m_folder, bAnsiBlock, 0x0409);
        std::unique_ptr<LMPROFINST> package(new LMPROFINST(nullptr, m_hDll, setup.Get()));
        ASSERT_EQ(3, package->m_nEntries);
        EXPECT_EQ(0, LmRunModuleCount(0));
        package->m_pEntries[0].dwSelected = 1;
        package->m_pEntries[2].dwSelected = 1;
        g_pWizardPackage = package.get();
        EXPECT_EQ(2, LmRunModuleCount(0));
        DWORD dwArgs[2] = {0xAAAAAAAA, 0xBBBBBBBB};
        EXPECT_EQ(2, LmRunGetModuleStrings(dwArgs[0], dwArgs[1]));
        g_pWizardPackage = nullptr;

        TraceCapture::Clear();
        package->ImportSelected();
        auto printer = SessionOn(target.Name());
        EXPECT_EQ(1u, printer->GetProfRegNum("Office")) << TraceCapture::Dump();
        EXPECT_EQ(0u, printer->GetProfRegNum("Missing"));
        DWORD cbDevMode = 0;
        auto dm = printer->GetProfileDevModeFromReg("Office", &cbDevMode);
        ASSERT_NE(nullptr, dm);
        EXPECT_EQ(4, reinterpret_cast<DEVMODEW*>(dm.get())->dmCopies);
    }
}
