// The console tool run as a user runs it: lmprof.exe started as a process of its own, its
// standard output, standard error and exit code checked on what only the Windows tool does
// (printers, export, import) and on a file the library exported just now. Its file commands on
// the files of tests/lmprof/files are the native tool's tests, and compare_native.sh holds
// lmprof.exe to the same output.
#include <algorithm>
#include <cstring>

#include "e2e_support.h"

namespace {

struct ToolRun {
    int nExit = -1;
    std::string out, err;
};

// The tool writes text mode: lines end with CR LF, compared here as LF.
std::string ReadText(const std::string& path)
{
    Bytes b = ReadBytes(path);
    std::string s(b.begin(), b.end());
    s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
    return s;
}

int LineCount(const std::string& s)
{
    int n = 0;
    for (char c : s)
        n += c == '\n';
    return n;
}

class LmprofTool : public E2ETest {
protected:
    void SetUp() override
    {
        E2ETest::SetUp();
        m_file = m_work->Path("office.jxp");
    }

    // Runs lmprof.exe (beside the DLL, one folder up from the tests) with the arguments.
    ToolRun Lmprof(const std::string& args)
    {
        ToolRun run;
        std::string outPath = m_work->Path("stdout.txt"), errPath = m_work->Path("stderr.txt");
        SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
        HANDLE hOut = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
        HANDLE hErr = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
        std::string cmd = "\"" + ExeFolder() + "..\\lmprof.exe\" " + args;
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = hOut;
        si.hStdError = hErr;
        PROCESS_INFORMATION pi;
        if (CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
            WaitForSingleObject(pi.hProcess, 120000);
            DWORD dwCode = DWORD(-1);
            GetExitCodeProcess(pi.hProcess, &dwCode);
            run.nExit = int(dwCode);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        } else {
            ADD_FAILURE() << "cannot start " << cmd << ", error " << GetLastError();
        }
        CloseHandle(hOut);
        CloseHandle(hErr);
        run.out = ReadText(outPath);
        run.err = ReadText(errPath);
        return run;
    }

    // A failure: exit 1, nothing on stdout unless asked, one line on stderr holding every part.
    static void ExpectFailure(const ToolRun& run, const std::vector<std::string>& parts)
    {
        EXPECT_EQ(1, run.nExit) << run.out << run.err;
        EXPECT_EQ(1, LineCount(run.err)) << run.err;
        for (const std::string& part : parts)
            EXPECT_NE(std::string::npos, run.err.find(part)) << "expected \"" << part << "\" in: " << run.err;
    }

    // "Office" of a Laser printer exported by the tool into m_file.
    TestPrinter& ExportOffice()
    {
        TestPrinter& laser = AddPrinter("Laser", FIXTURE_MODEL_A);
        StoreOffice(laser);
        ToolRun run = Lmprof("export " + Quoted(laser.Name()) + " Office " + Quoted(m_file));
        EXPECT_EQ(0, run.nExit) << run.out << run.err;
        EXPECT_TRUE(FileExists(m_file));
        return laser;
    }

    std::string m_file;
};

// The file commands' usage is checked on the native tool, whose table is the same; these three
// reach their argument count only here.
TEST_F(LmprofTool, PrinterCommandsRefuseAWrongArgumentCount)
{
    for (const char* args : {"export p q", "import p", "printers extra"}) {
        ToolRun run = Lmprof(args);
        EXPECT_EQ(2, run.nExit) << args;
        std::string command(args, strcspn(args, " "));
        EXPECT_NE(std::string::npos, run.err.find(" argument(s) given (usage: lmprof " + command)) << run.err;
        EXPECT_EQ(1, LineCount(run.err)) << args << ": " << run.err;
        EXPECT_EQ("", run.out) << args;
    }
}

TEST_F(LmprofTool, ExportsListsShowsAndImportsAProfile)
{
    TestPrinter& laser = ExportOffice();

    ToolRun printers = Lmprof("printers");
    EXPECT_EQ(0, printers.nExit) << printers.err;
    std::string block = std::string(laser.Name()) + "\n  model: " + FIXTURE_MODEL_A + "\n  profiles: 2\n    #0 \"Factory Default\" -  (attributes 0x00000000 0x00000000)\n    #1 \"Office\" - " +
                        OFFICE_DESCRIPTION + " (attributes 0x00000011 0x00002200)\n";
    EXPECT_NE(std::string::npos, printers.out.find(block)) << printers.out;

    ExpectFailure(Lmprof("export " + Quoted(laser.Name()) + " Nowhere " + Quoted(m_work->Path("x.jxp"))),
                  {"lmprof export:", laser.Name(), "no profile \"Nowhere\""});
    ExpectFailure(Lmprof("export " + Quoted("No Such Printer") + " Office " + Quoted(m_work->Path("x.jxp"))),
                  {"No Such Printer", "not found"});
    EXPECT_FALSE(FileExists(m_work->Path("x.jxp")));

    // The settings the user chose, by their record names; values with types and sizes.
    ToolRun show = Lmprof("show " + Quoted(m_file));
    EXPECT_EQ(0, show.nExit) << show.err;
    for (const char* line : {"model: " FIXTURE_MODEL_A "\n", "profile 1: \"Office\" at offset 144\n",
                             "    PFDM_COPIES (11, public) = 3\n", "    PFDM_SCALE (10, public) = 80\n",
                             "    PFPD_BRIGHTNESS (89, main block) = -20\n",
                             "    value \"Tray\" REG_DWORD, 4 bytes: 2\n",
                             "    setup \"_Setup\" REG_BINARY, 40 bytes: "}) {
        EXPECT_NE(std::string::npos, show.out.find(line)) << "missing " << line << " in\n" << show.out;
    }
    EXPECT_NE(std::string::npos, show.out.find("value \"Notes\" REG_BINARY, 300 bytes")) << show.out;

    // Imported into a Jet, listed or as its defaults and applied.
    TestPrinter& jet = AddPrinter("Jet", FIXTURE_MODEL_B);
    ExpectFailure(Lmprof("import " + Quoted(jet.Name()) + " " + Quoted(m_file) + " Nowhere"),
                  {"no profile \"Nowhere\""});
    EXPECT_TRUE(jet.List().empty());
    EXPECT_EQ(2, Lmprof("import " + Quoted(jet.Name()) + " " + Quoted(m_file) + " Office Office --as-default").nExit);

    ToolRun run = Lmprof("import " + Quoted(jet.Name()) + " " + Quoted(m_file));
    EXPECT_EQ(0, run.nExit) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("imported 1 profile(s)")) << run.out;
    // The store lists "Factory Default" before the profile imported.
    std::vector<ProfileRecord> list = jet.List();
    ASSERT_EQ(2u, list.size());
    EXPECT_STREQ("Office", list[1].szName);
    EXPECT_EQ(NotesBytes(1), jet.Values(int(list[1].dwRegNum))["Notes"]);

    run = Lmprof("import " + Quoted(jet.Name()) + " " + Quoted(m_file) + " Office --as-default --apply");
    EXPECT_EQ(0, run.nExit) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("as its defaults, applied")) << run.out;
    EXPECT_EQ(NotesBytes(1), jet.Values(0)["Notes"]);
    EXPECT_EQ(OFFICE_COPIES, Copies(jet.CurrentDevMode()));
}

}  // namespace
