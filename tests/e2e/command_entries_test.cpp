// LmProfInst and LmPatch as an installer script starts them: "rundll32.exe <dll>,LmProfInst
// <arguments>". The win98 copy calls the entries in its own process, which is the Windows 9x
// one (rundll32 would run as an NT program).
#include <cstring>

#include "e2e_support.h"

namespace {

class CommandEntries : public E2ETest {
protected:
    void SetUp() override
    {
        E2ETest::SetUp();
        m_a = &AddPrinter("A", FIXTURE_MODEL_A);
        StoreOffice(*m_a);
        StoreOffice(*m_a, "Default", 2, 4, 3);
        m_office = OfficeDevMode(m_a->DefaultDevMode());
        m_dir = m_work->SubDir("path with blanks");
        m_file = m_dir + "\\Office file.jxp";
        ASSERT_EQ(1, Export(*m_a, "Office", m_file)) << TraceCapture::Dump();
    }

    static std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

    // Everything the command entries could change on a printer.
    struct Snapshot {
        StoreState store;
        Bytes devMode;
    };
    static Snapshot Take(const TestPrinter& p) { return Snapshot{p.State(), p.CurrentDevMode()}; }
    static void ExpectUnchanged(const Snapshot& before, const TestPrinter& p)
    {
        EXPECT_TRUE(before.store == p.State()) << p.Name() << ": printer data changed";
        EXPECT_EQ(before.devMode, p.CurrentDevMode()) << p.Name() << ": DEVMODE changed";
    }

    TestPrinter* m_a = nullptr;
    Bytes m_office;
    std::string m_dir;
    std::string m_file;
};

}  // namespace

TEST_F(CommandEntries, LmProfInstInstallsTheNamedProfileOnlyForItsModel)
{
    TestPrinter& f = AddPrinter("F", FIXTURE_MODEL_A);
    // A file written for the Jet model: the models differ, nothing happens.
    TestPrinter& jet = AddPrinter("Jet", FIXTURE_MODEL_B);
    StoreOffice(jet);
    std::string jetFile = m_dir + "\\Jet file.jxp";
    ASSERT_EQ(1, Export(jet, "Office", jetFile));
    Snapshot before = Take(f);
    RunEntry("LmProfInst", Quoted(f.Name()) + " " + Quoted(jetFile) + " Office");
    ExpectUnchanged(before, f);
    // Neither does a printer that does not exist.
    RunEntry("LmProfInst", Quoted(std::string(f.Name()) + " gone") + " " + Quoted(m_file) + " Office");
    ExpectUnchanged(before, f);

    RunEntry("LmProfInst", Quoted(f.Name()) + " " + Quoted(m_file) + " Office");
    Pack factory = f.Values(0);
    EXPECT_EQ("", FirstDifference(m_office, factory["Default DevMode"], 64, m_office.size()));
    EXPECT_EQ(NotesBytes(1), factory["Notes"]);
    EXPECT_EQ(SetupBytes(), f.Data("Setup"));
    EXPECT_EQ(before.store.count("reg:JxProfileData"), f.State().count("reg:JxProfileData")) << "nothing listed";
    Bytes after = f.CurrentDevMode();
    EXPECT_EQ(OFFICE_COPIES, Dm(after)->dmCopies);
    EXPECT_EQ(3, U16(after, MainAt(after) + MAIN_PRINT_SIZE));
    EXPECT_EQ(1, U16(after, MainAt(after) + MAIN_OUTPUT_BIN));

    // The file's model in other letter case is the same model.
    TestPrinter& g = AddPrinter("G", FIXTURE_MODEL_A);
    Bytes cased = ReadBytes(m_file);
    const char lower[] = "lm fixture LASER 2100";
    ASSERT_EQ(sizeof(lower), strlen(FIXTURE_MODEL_A) + 1);
    memcpy(&cased[16], lower, sizeof(lower));
    std::string casedFile = m_dir + "\\Cased file.jxp";
    WriteBytes(casedFile, cased);
    RunEntry("LmProfInst", Quoted(g.Name()) + " " + Quoted(casedFile) + " Office");
    EXPECT_EQ(OFFICE_COPIES, Dm(g.CurrentDevMode())->dmCopies);
    EXPECT_EQ(SetupBytes(), g.Data("Setup"));
}

TEST_F(CommandEntries, LmPatchTakesTheFileNamedAfterTheModel)
{
    TestPrinter& p = AddPrinter("P", FIXTURE_MODEL_A);
    std::string folder = m_work->SubDir("patch folder");
    ASSERT_EQ(1, Export(*m_a, "Default", folder + "\\" FIXTURE_MODEL_A ".jxp"));
    // A file of another name in the folder is not looked at.
    ASSERT_TRUE(CopyFileA(m_file.c_str(), (folder + "\\Office file.jxp").c_str(), FALSE));

    RunEntry("LmPatch", Quoted(p.Name()) + " unused " + Quoted(folder));
    Pack factory = p.Values(0);
    ASSERT_FALSE(factory.empty());
    EXPECT_EQ(4, Dm(factory["Default DevMode"])->dmCopies) << "the profile \"Default\"";
    EXPECT_EQ(NotesBytes(3), factory["Notes"]);
    EXPECT_EQ(4, Dm(p.CurrentDevMode())->dmCopies);

    // A folder without the model's file changes nothing.
    TestPrinter& q = AddPrinter("Q", FIXTURE_MODEL_A);
    Snapshot before = Take(q);
    RunEntry("LmPatch", Quoted(q.Name()) + " unused " + Quoted(m_dir));
    ExpectUnchanged(before, q);
}

// The trace tells what each call did; command lines that do not fit the argument list, and
// paths that do not fit a path, are refused rather than cut.
TEST_F(CommandEntries, TraceTellsWhatWasDoneAndLinesThatDoNotFitAreRefused)
{
    TestPrinter& h = AddPrinter("H", FIXTURE_MODEL_A);
    TestPrinter& jet = AddPrinter("Jet", FIXTURE_MODEL_B);
    StoreOffice(jet);
    std::string jetFile = m_dir + "\\Jet file.jxp";
    ASSERT_EQ(1, Export(jet, "Office", jetFile));
    Snapshot before = Take(h);

    // The registry switch is what turns the entries' first lines on.
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Norvane Sello\\ZeVere32", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
    DWORD dwOn = 1;
    RegSetValueExA(hKey, "Debug", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dwOn), sizeof(dwOn));

    auto run = [&](bool bPatch, std::string line) {
        TraceCapture::Clear();
        (bPatch ? Dll().LmPatch : Dll().LmProfInst)(nullptr, nullptr, &line[0], SW_SHOWNORMAL);
    };

    std::string line = Quoted(h.Name()) + " " + Quoted(jetFile) + " Office";
    run(false, line);
    EXPECT_TRUE(TraceCapture::Contains("LmProfInst - [" + line + "]\n")) << TraceCapture::Dump();
    EXPECT_TRUE(TraceCapture::Contains("Arguments - 3\n"));
    EXPECT_TRUE(TraceCapture::Contains("  0, [" + std::string(h.Name()) + "]\n"));
    EXPECT_TRUE(TraceCapture::Contains("  1, [" + jetFile + "]\n"));
    EXPECT_TRUE(TraceCapture::Contains("  2, [Office]\n"));
    EXPECT_TRUE(TraceCapture::Contains("Device Name from JXP - [" FIXTURE_MODEL_B "]\n"));
    EXPECT_FALSE(TraceCapture::Contains("ImportProfileAsDefault\n"));
    EXPECT_TRUE(TraceCapture::Contains("LmProfInst Ended. C-ya!\n"));

    run(true, "'No such printer' x 'C:\\'");
    EXPECT_TRUE(TraceCapture::Contains("LmPatch Error - Can not open printer - No such printer\n"))
        << TraceCapture::Dump();
    EXPECT_FALSE(TraceCapture::Contains("InitJxpApi\n"));
    EXPECT_TRUE(TraceCapture::Contains("LmPatch Ended. C-ya!\n"));

    // An empty line: the count 0 and nothing else.
    run(false, "");
    EXPECT_EQ((std::vector<std::string>{"LmProfInst - []\n", "Arguments - 0\n", "LmProfInst Ended. C-ya!\n"}),
              TraceCapture::Lines());

    // 33 arguments, one argument of 260 characters, and a folder that makes the file's path
    // 260 characters or more: nothing is opened or imported.
    std::string many = Quoted(h.Name()) + " " + Quoted(m_file) + " Office";
    for (int i = 0; i < 30; ++i)
        many += " x";
    run(false, many);
    EXPECT_TRUE(TraceCapture::Contains("Arguments - too many or too long\n")) << TraceCapture::Dump();
    EXPECT_FALSE(TraceCapture::Contains("InitJxpApi\n"));
    run(false, Quoted(h.Name()) + " " + Quoted(m_file + std::string(260, 'x')) + " Office");
    EXPECT_TRUE(TraceCapture::Contains("Arguments - too many or too long\n"));
    EXPECT_FALSE(TraceCapture::Contains("InitJxpApi\n"));
    run(true, Quoted(h.Name()) + " x " + Quoted(m_dir + "\\" + std::string(250 - m_dir.size(), 'd')));
    EXPECT_TRUE(TraceCapture::Contains("File path too long\n")) << TraceCapture::Dump();
    EXPECT_FALSE(TraceCapture::Contains("InitJxpApi\n"));
    ExpectUnchanged(before, h);

    // The profile installed, traced through to the end of the session.
    line = Quoted(h.Name()) + " " + Quoted(m_file) + " Office";
    run(false, line);
    RegDeleteValueA(hKey, "Debug");
    RegCloseKey(hKey);
    EXPECT_TRUE(TraceCapture::Contains("Device Name from JXP - [" FIXTURE_MODEL_A "]\n")) << TraceCapture::Dump();
    int nImport = TraceCapture::Find("ImportProfileAsDefault\n");
    int nClose = TraceCapture::Find("CloseJxpApi\n");
    EXPECT_GE(nImport, 0);
    EXPECT_GT(nClose, nImport);
    EXPECT_EQ(OFFICE_COPIES, Dm(h.CurrentDevMode())->dmCopies);
}
