// The installer package object against real installation files and the fixture printers.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "api/exports.h"
#include "core/trace.h"
#include "fixture_names.h"
#include "installer/lmprofinst.h"
#include "test_support.h"

extern "C" int WINAPI LmCheckCondition(SETUPDATA* pSetup);

namespace {

class InstallerPackage : public testing::Test {
protected:
    InstallerPackage() : m_files(testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    void SetUp() override
    {
        std::string why;
        ASSERT_NE(nullptr, m_hDll = BuiltDll(&why)) << why;
        InitTraceFlag(TRUE);
        TraceCapture::Clear();
    }
    void TearDown() override { InitTraceFlag(FALSE); }

    WorkFolder m_files;
    HMODULE m_hDll = nullptr;
};

std::string DriverFolder(const char* pszEnvironment)
{
    char sz[MAX_PATH] = "";
    DWORD cb = 0;
    GetPrinterDriverDirectoryA(nullptr, const_cast<char*>(pszEnvironment), 1, reinterpret_cast<BYTE*>(sz), sizeof(sz), &cb);
    return sz;
}

// A model whose Windows 9x driver has a configuration module of the name given (a copy of the
// fixture's), on a printer of its own; removed at the end. The printer needs the model in the
// system's own environment too.
struct Win9xModel {
    std::string model, why;
    std::unique_ptr<ScratchPrinter> printer;

    Win9xModel(const std::string& name, const std::string& module) : model(name)
    {
        for (const char* pszEnvironment : {static_cast<const char*>(nullptr), "Windows 4.0"}) {
            std::string folder = DriverFolder(pszEnvironment) + "\\";
            std::string config = folder + (pszEnvironment ? module : "LmCond.dll");
            CopyFileA((folder + FIXTURE_MODULE_A).c_str(), config.c_str(), FALSE);
            DRIVER_INFO_3A di = {};
            di.cVersion = pszEnvironment ? 0 : 3;
            di.pName = &model[0];
            di.pEnvironment = const_cast<char*>(pszEnvironment);
            di.pDriverPath = di.pDataFile = di.pConfigFile = &config[0];
            if (!AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&di)))
                why += "AddPrinterDriverA error " + std::to_string(GetLastError()) + "; ";
        }
        printer.reset(new ScratchPrinter((model + " printer").c_str(), model.c_str()));
        why += printer->Ok() ? "" : "no printer";
    }
    ~Win9xModel()
    {
        printer.reset();
        DeletePrinterDriverA(nullptr, const_cast<char*>("Windows 4.0"), &model[0]);
        DeletePrinterDriverA(nullptr, nullptr, &model[0]);
    }
};

}  // namespace

TEST_F(InstallerPackage, ModelListsCompareWholeItemsExactly)
{
    struct { const char* model; const char* list; UINT uCodePage; bool bIn; } cases[] = {
        {"A", "A,B", 1252, true},   {"B", "A,B", 1252, true},   {"B", "A, B", 1252, false},
        {" B", "A, B", 1252, true}, {"a", "A,B", 1252, false},  {"AB", "A,B", 1252, false},
        {"A", "", 1252, false},     {"B", ",A,,B,", 1252, true},
        // Commas with nothing between them are no item: a printer without a model is in no list.
        {"", "A,", 1252, false},    {"", ",A", 1252, false},    {"", "A,,B", 1252, false},
        // A double-byte model name: the lead byte 0x83 takes its trail byte along.
        {"\x83\x76\x83\x8a", "X,\x83\x76\x83\x8a", 932, true}, {"\x83\x76", "\x83\x76\x83\x8a", 932, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.bIn, LMPROFINST::IsModelInList(c.model, c.list, c.uCodePage)) << "[" << c.model << "] in [" << c.list << "]";
}

// A block in UTF-16 gives the source folder in UTF-16, and that is the form every path is
// built from: a folder whose 8-bit form would not fit a path is read all the same.
TEST_F(InstallerPackage, WideBlockReadsAFolderTooLongInEightBitText)
{
    // Three levels of 40 ideographs: well under MAX_PATH in UTF-16, over it in code page 932.
    std::wstring folder(m_files.Dir().begin(), m_files.Dir().end());
    for (int i = 0; i < 3; ++i)
        CreateDirectoryW((folder += L"\\" + std::wstring(40, L'\x65E5')).c_str(), nullptr);
    ASSERT_GT(WideCharToMultiByte(932, 0, folder.c_str(), -1, nullptr, 0, nullptr, nullptr), MAX_PATH);
    HANDLE h = CreateFileW((folder + L"\\LmProfInst.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const char ini[] = "[LmProfInst]\r\nProfCount=1\r\nProf1=Office\r\nProfName1=Office\r\n";
    DWORD dw = 0;
    ASSERT_TRUE(WriteFile(h, ini, sizeof(ini) - 1, &dw, nullptr)) << GetLastError();
    CloseHandle(h);

    SetupBlock setup(FIXTURE_PRINTER_A1, FIXTURE_MODEL_A, m_files.Dir(), false, 0x0411);
    setup.PutWideFolder(folder);
    setup.Put(setupdata::OFF_CODE_PAGE, 932);
    { LMPROFINST package(nullptr, m_hDll, setup.Get()); }
    EXPECT_TRUE(TraceCapture::Contains("0, ProfName = Office\n")) << TraceCapture::Dump();
    // Removed here: the work folder's own clean-up reads 8-bit names.
    DeleteFileW((folder + L"\\LmProfInst.ini").c_str());
    for (int i = 0; i < 3; ++i, folder.resize(folder.rfind(L'\\')))
        RemoveDirectoryW(folder.c_str());
}

// The package applies when the printer's configuration module is of version 2.1 or later (the
// caller's test puts the fixture's 2.1 and 2.0 drivers through the DLL); a printer that cannot
// be opened has none, and on 64-bit Windows the module of the x64 driver counts.
TEST_F(InstallerPackage, ConditionHoldsForConfigurationModulesFrom21On)
{
    SetupBlock laser(FIXTURE_PRINTER_A1, FIXTURE_MODEL_A, m_files.Dir(), false, 0x0409);
    SetupBlock none("No Such Printer", "Nothing", m_files.Dir(), false, 0x0409);
    WaitRecorder waits;   // the package's session tries five times for the missing printer
    EXPECT_EQ(0, LmCheckCondition(none.Get()));
    Wow64Road road;
    if (road.Available()) {
        EXPECT_EQ(1, LmCheckCondition(laser.Get()));
        EXPECT_NE(std::string::npos, TraceCapture::Dump().find("\\x64\\3\\" FIXTURE_MODULE_A)) << TraceCapture::Dump();
    }
}

// Windows 9x examines the 32-bit companion of the driver's configuration module: "xx16yyyy.dll"
// becomes "xx32yyyy.exe", any other name of eight characters or more has its sixth to eighth
// replaced by "r32", and the extension is ".exe".
TEST_F(InstallerPackage, Win9xConditionExaminesTheModulesCompanion)
{
    struct { const char* module; const char* companion; } cases[] = {
        {"Lm16Cond.dll", "Lm32Cond.exe"}, {"Lm15Cond.dll", "Lm15Cr32.exe"}, {"Lm17Cond.dll", "Lm17Cr32.exe"},
        {"Lm06Cond.dll", "Lm06Cr32.exe"}, {"L16mCond.dll", "L16mCr32.exe"}, {"Lm16.dll", "Lm32.exe"},
        {"Lm16", "Lm32"},                 {"Lmabc.dl", "Lmabcr32"},         {"Lmab.dl", "Lmab.exe"},
    };
    // The spooler keeps a Windows 9x driver's files in the folder of version 0.
    const std::string folder = DriverFolder("Windows 4.0") + "\\0\\";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.module);
        bool bFirst = &c == cases;
        Win9xModel model("LmCond " + std::to_string(&c - cases) + " " + RunVersion(), c.module);
        ASSERT_EQ("", model.why);
        // The companion, where there is one, answers for the driver.
        if (bFirst) {
            ASSERT_TRUE(CopyFileA((folder + c.module).c_str(), (folder + c.companion).c_str(), FALSE)) << GetLastError();
        }
        SetupBlock setup(model.printer->Name(), "", m_files.Dir(), true, 0x0409);
        TraceCapture::Clear();
        EXPECT_EQ(bFirst ? 1 : 0, LmCheckCondition(setup.Get()));
        EXPECT_TRUE(TraceCapture::Contains("tszProfFile = " + folder + c.companion + "\n")) << TraceCapture::Dump();
        DeleteFileA((folder + c.companion).c_str());
    }
}

// A ticked slot is imported into the printer from its own file or the common one. The block's
// mode is its installer's, not necessarily the system's: a Windows 9x installer's block on NT
// (and an NT installer's on Windows 9x) imports the same.
TEST_F(InstallerPackage, TickedSlotsAreImportedAndCounted)
{
    ScratchPrinter source("LmPkg Source", FIXTURE_MODEL_A);
    ASSERT_TRUE(source.Ok());
    {
        auto session = OpenSession(source.Name());
        Bytes dm(session->m_pDefaultDevMode.get(), session->m_pDefaultDevMode.get() + session->m_dwDefaultDevModeSize);
        reinterpret_cast<DEVMODEW*>(dm.data())->dmCopies = 4;
        session->SaveProfileRegValue("Office", 1, "Default DevMode", dm.data(), DWORD(dm.size()), REG_BINARY);
        ASSERT_TRUE(session->AddProfileToModel("Office", "", 0, 0, 1));
        ASSERT_TRUE(InitJxpApi(nullptr, "LmPkg Source"));
        ASSERT_EQ(1, ExportProfileToJxp("Office", m_files.Path("office.jxp").c_str()));
        CloseJxpApi(nullptr, nullptr);
    }
    const char ini[] = "[LmProfInst]\r\nProfCount=3\r\nProfJxpName=missing.jxp\r\nProf1=Office\r\nProfJxpName1=office.jxp\r\n"
                       "Prof2=Office\r\nProf3=Missing\r\n";
    WriteBytes(m_files.Path("LmProfInst.ini"), Bytes(ini, ini + sizeof(ini) - 1));
    for (bool bAnsiBlock : {RunsAsWin9x(), !RunsAsWin9x()}) {
        SCOPED_TRACE(bAnsiBlock ? "block of a Windows 9x installer" : "block of an NT installer");
        ScratchPrinter target(bAnsiBlock ? "LmPkg Target 9x" : "LmPkg Target NT", FIXTURE_MODEL_A);
        ASSERT_TRUE(target.Ok());
        SetupBlock setup(target.Name(), FIXTURE_MODEL_A, m_files.Dir(), bAnsiBlock, 0x0409);
        std::unique_ptr<LMPROFINST> package(new LMPROFINST(nullptr, m_hDll, setup.Get()));
        ASSERT_EQ(3, package->m_nEntries);
        package->m_pEntries[0].dwSelected = 1;   // as the page ticks them
        package->m_pEntries[2].dwSelected = 1;
        package->ImportSelected();
        auto printer = OpenSession(target.Name());
        EXPECT_EQ(1u, printer->GetProfRegNum("Office")) << TraceCapture::Dump();
        EXPECT_EQ(0u, printer->GetProfRegNum("Missing"));
        DWORD cbDevMode = 0;
        auto dm = printer->GetProfileDevModeFromReg("Office", &cbDevMode);
        ASSERT_NE(nullptr, dm);
        EXPECT_EQ(4, reinterpret_cast<DEVMODEW*>(dm.get())->dmCopies);
    }
}
