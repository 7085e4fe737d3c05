// The console tool run as a user runs it: lmprof.exe started as a process of its own, its
// standard output, standard error and exit code checked against profile files this test makes
// from scratch printers (a valid export, damaged copies of it, two files that differ).
#include <cctype>
#include <cstdio>
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
    std::string s;
    for (BYTE c : b) {
        if (c != '\r')
            s += char(c);
    }
    return s;
}

void PutU32At(Bytes& v, size_t off, DWORD dw)
{
    PutU16At(v, off, WORD(dw));
    PutU16At(v, off + 2, WORD(dw >> 16));
}

int LineCount(const std::string& s)
{
    int n = 0;
    for (char c : s)
        n += c == '\n';
    return n;
}

// A JSON reader that only answers whether the text is one well-formed value.
class JsonCheck {
public:
    explicit JsonCheck(const std::string& s) : m_s(s) {}
    bool Whole()
    {
        return Value() && (Blank(), m_i == m_s.size());
    }

private:
    void Blank()
    {
        while (m_i < m_s.size() && isspace(static_cast<unsigned char>(m_s[m_i])))
            ++m_i;
    }
    bool Eat(char c)
    {
        Blank();
        if (m_i < m_s.size() && m_s[m_i] == c) {
            ++m_i;
            return true;
        }
        return false;
    }
    bool String()
    {
        if (!Eat('"'))
            return false;
        while (m_i < m_s.size() && m_s[m_i] != '"') {
            unsigned char c = static_cast<unsigned char>(m_s[m_i]);
            if (c < 0x20)
                return false;
            if (c == '\\') {
                ++m_i;
                if (m_i >= m_s.size() || !strchr("\"\\/bfnrtu", m_s[m_i]))
                    return false;
                if (m_s[m_i] == 'u') {
                    for (int k = 0; k < 4; ++k)
                        if (++m_i >= m_s.size() || !isxdigit(static_cast<unsigned char>(m_s[m_i])))
                            return false;
                }
            }
            ++m_i;
        }
        return Eat('"');
    }
    bool Value()
    {
        Blank();
        if (m_i >= m_s.size())
            return false;
        char c = m_s[m_i];
        if (c == '"')
            return String();
        if (c == '{' || c == '[') {
            char close = c == '{' ? '}' : ']';
            ++m_i;
            if (Eat(close))
                return true;
            do {
                if (c == '{' && !(String() && Eat(':')))
                    return false;
                if (!Value())
                    return false;
            } while (Eat(','));
            return Eat(close);
        }
        for (const char* word : {"true", "false", "null"}) {
            if (m_s.compare(m_i, strlen(word), word) == 0) {
                m_i += strlen(word);
                return true;
            }
        }
        size_t start = m_i;
        if (m_s[m_i] == '-')
            ++m_i;
        while (m_i < m_s.size() && isdigit(static_cast<unsigned char>(m_s[m_i])))
            ++m_i;
        return m_i > start && isdigit(static_cast<unsigned char>(m_s[m_i - 1]));
    }
    const std::string& m_s;
    size_t m_i = 0;
};

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
        STARTUPINFOA si;
        ZeroMemory(&si, sizeof(si));
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

    static std::string Q(const std::string& s) { return "\"" + s + "\""; }

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
        ToolRun run = Lmprof("export " + Q(laser.Name()) + " Office " + Q(m_file));
        EXPECT_EQ(0, run.nExit) << run.out << run.err;
        EXPECT_TRUE(FileExists(m_file));
        return laser;
    }

    std::string m_file;
};

TEST_F(LmprofTool, RefusesBadUsageWithExitTwoAndHelpsEachCommand)
{
    ToolRun none = Lmprof("");
    EXPECT_EQ(2, none.nExit);
    EXPECT_NE(std::string::npos, none.err.find("usage: lmprof COMMAND"));
    ToolRun unknown = Lmprof("frobnicate");
    EXPECT_EQ(2, unknown.nExit);
    EXPECT_EQ(0u, unknown.err.find("lmprof: unknown command \"frobnicate\"\n")) << unknown.err;
    for (const char* args : {"show", "check a b", "diff a", "export p q", "import p",
                             "show x.jxp --yaml", "check x.jxp --json", "printers extra"}) {
        ToolRun run = Lmprof(args);
        EXPECT_EQ(2, run.nExit) << args;
        EXPECT_EQ(1, LineCount(run.err)) << args << ": " << run.err;
        EXPECT_EQ("", run.out) << args;
    }
    for (const char* cmd : {"printers", "list", "show", "check", "diff", "export", "import"}) {
        ToolRun run = Lmprof(std::string(cmd) + " --help");
        EXPECT_EQ(0, run.nExit) << cmd;
        EXPECT_EQ(0u, run.out.find(std::string("usage: lmprof ") + cmd)) << run.out;
        EXPECT_EQ("", run.err);
    }
}

TEST_F(LmprofTool, ExportsListsShowsAndChecksAProfile)
{
    TestPrinter& laser = ExportOffice();

    ToolRun printers = Lmprof("printers");
    EXPECT_EQ(0, printers.nExit) << printers.err;
    std::string block = std::string(laser.Name()) + "\n  model: " + FIXTURE_MODEL_A + "\n  profiles: 2\n    #0 \"Factory Default\" -  (attributes 0x00000000 0x00000000)\n    #1 \"Office\" - " +
                        OFFICE_DESCRIPTION + " (attributes 0x00000011 0x00002200)\n";
    EXPECT_NE(std::string::npos, printers.out.find(block)) << printers.out;

    ExpectFailure(Lmprof("export " + Q(laser.Name()) + " Nowhere " + Q(m_work->Path("x.jxp"))),
                  {"lmprof export:", laser.Name(), "no profile \"Nowhere\""});
    ExpectFailure(Lmprof("export " + Q("No Such Printer") + " Office " + Q(m_work->Path("x.jxp"))),
                  {"No Such Printer", "not found"});
    EXPECT_FALSE(FileExists(m_work->Path("x.jxp")));

    ToolRun check = Lmprof("check " + Q(m_file));
    EXPECT_EQ(0, check.nExit) << check.err;
    EXPECT_NE(std::string::npos, check.out.find(": ok, 1 profile(s)")) << check.out;

    // The settings the user chose, by their record names; values with types and sizes.
    ToolRun show = Lmprof("show " + Q(m_file));
    EXPECT_EQ(0, show.nExit) << show.err;
    for (const char* line : {"model: " FIXTURE_MODEL_A "\n", "profile 1: \"Office\" at offset 144\n",
                             "    PFDM_COPIES (11, public) = 3\n", "    PFDM_SCALE (10, public) = 80\n",
                             "    PFPD_BRIGHTNESS (89, main block) = -20\n",
                             "    value \"Tray\" REG_DWORD, 4 bytes: 2\n",
                             "    setup \"_Setup\" REG_BINARY, 40 bytes: "}) {
        EXPECT_NE(std::string::npos, show.out.find(line)) << "missing " << line << " in\n" << show.out;
    }
    EXPECT_NE(std::string::npos, show.out.find("value \"Notes\" REG_BINARY, 300 bytes")) << show.out;

    ToolRun json = Lmprof("show " + Q(m_file) + " --json");
    EXPECT_EQ(0, json.nExit) << json.err;
    EXPECT_TRUE(JsonCheck(json.out).Whole()) << json.out;
    EXPECT_NE(std::string::npos, json.out.find("{\"id\": 11, \"name\": \"PFDM_COPIES\", \"private\": false, \"value\": 3}"));
    EXPECT_NE(std::string::npos, json.out.find("\"damage\": null}"));

    ToolRun list = Lmprof("list " + Q(m_work->Dir()));
    EXPECT_EQ(0, list.nExit) << list.err;
    EXPECT_NE(std::string::npos, list.out.find("office.jxp\n  model: " FIXTURE_MODEL_A "\n  profiles: \"Office\"\n"))
        << list.out;
    ExpectFailure(Lmprof("list " + Q(m_work->Path("none"))), {"lmprof list:", "none", "no such folder"});
}

TEST_F(LmprofTool, CheckNamesTheFirstDamageAndItsOffset)
{
    ExportOffice();
    const Bytes good = ReadBytes(m_file);
    ASSERT_GT(good.size(), 144u + 700u);
    std::vector<FileEntry> entries = Entries(good);
    ASSERT_EQ(1u, entries.size());
    const size_t dataAt = 144 + 700, valuesAt = dataAt + entries[0].Section(0) + entries[0].Section(1);
    ASSERT_GT(entries[0].Section(0), 0u);
    ASSERT_GT(entries[0].Section(2), 0u);

    struct Case {
        const char* pszName;
        Bytes bytes;
        std::string what;
        size_t offset;
    };
    std::vector<Case> cases;
    cases.push_back({"cut_header", Bytes(good.begin(), good.begin() + 100), "file ends inside its header", 100});
    Bytes b = good;
    b[0] = 'X';
    cases.push_back({"no_mark", b, "no \"JXP\" mark: not a profile file", 0});
    b = good;
    b[12] = 2;
    cases.push_back({"count_too_large", b, "file ends inside the header of profile 2 of 2", good.size()});
    b = good;
    memset(&b[144], 'N', 32);
    cases.push_back({"name_unterminated", b, "name of profile 1 has no terminator", 144});
    b = good;
    PutU32At(b, 144 + 556, entries[0].Section(0) + 0x10000);
    cases.push_back({"sections_past_end", b, "sections of profile \"Office\" need", 144 + 556});
    b = good;
    PutU32At(b, dataAt, 999);
    cases.push_back({"unknown_dword", b, "unknown DWORD record 999", dataAt});
    b = good;
    memset(&b[valuesAt], 'V', 260);
    cases.push_back({"value_name_unterminated", b, "value record name has no terminator", valuesAt});
    b = good;
    b.insert(b.end(), {1, 2, 3});
    cases.push_back({"trailing_bytes", b, "3 bytes behind the last of 1 profiles", good.size()});

    for (const Case& c : cases) {
        std::string path = m_work->Path(std::string(c.pszName) + ".jxp");
        WriteBytes(path, c.bytes);
        ToolRun run = Lmprof("check " + Q(path));
        ExpectFailure(run, {"lmprof check: " + path + ": " + c.what, " at offset " + std::to_string(c.offset) + " "});
        EXPECT_EQ("", run.out) << c.pszName;
    }
    // show prints what it could read before the damage, and fails.
    ToolRun show = Lmprof("show " + Q(m_work->Path("trailing_bytes.jxp")) + " --json");
    EXPECT_EQ(1, show.nExit);
    EXPECT_TRUE(JsonCheck(show.out).Whole()) << show.out;
    EXPECT_NE(std::string::npos, show.out.find("\"damage\": {\"offset\": " + std::to_string(good.size())));
    ExpectFailure(Lmprof("check " + Q(m_work->Path("missing.jxp"))), {"missing.jxp", "cannot open"});
}

TEST_F(LmprofTool, DiffNamesEverySettingThatDiffers)
{
    ExportOffice();
    TestPrinter& other = AddPrinter("Other", FIXTURE_MODEL_A);
    StoreOffice(other, "Office", 1, 5, 2);
    std::string second = m_work->Path("other.jxp");
    ASSERT_EQ(0, Lmprof("export " + Q(other.Name()) + " Office " + Q(second)).nExit);

    ToolRun diff = Lmprof("diff " + Q(m_file) + " " + Q(second) + " Office");
    EXPECT_EQ(0, diff.nExit) << diff.err;
    EXPECT_NE(std::string::npos, diff.out.find("Office: PFDM_COPIES: 3 -> 5\n")) << diff.out;
    EXPECT_NE(std::string::npos, diff.out.find("Office: value \"Notes\": REG_BINARY 300 bytes")) << diff.out;
    EXPECT_EQ(std::string::npos, diff.out.find("PFDM_SCALE")) << diff.out;
    EXPECT_EQ(std::string::npos, diff.out.find("\"Tray\"")) << diff.out;

    ToolRun same = Lmprof("diff " + Q(m_file) + " " + Q(m_file));
    EXPECT_EQ(0, same.nExit);
    EXPECT_EQ("no differences\n", same.out);
    ExpectFailure(Lmprof("diff " + Q(m_file) + " " + Q(second) + " Home"), {"lmprof diff:", "no profile \"Home\""});
    Bytes cut = ReadBytes(second);
    cut.resize(cut.size() - 1);
    WriteBytes(second, cut);
    ExpectFailure(Lmprof("diff " + Q(m_file) + " " + Q(second)), {"lmprof diff: " + second, "at offset"});
}

TEST_F(LmprofTool, ImportsIntoTheStoreOrAsTheDefaults)
{
    ExportOffice();
    TestPrinter& jet = AddPrinter("Jet", FIXTURE_MODEL_B);

    ExpectFailure(Lmprof("import " + Q(jet.Name()) + " " + Q(m_file) + " Nowhere"), {"no profile \"Nowhere\""});
    EXPECT_TRUE(jet.List().empty());
    ExpectFailure(Lmprof("import " + Q("No Such Printer") + " " + Q(m_file)), {"No Such Printer", "not found"});
    EXPECT_EQ(2, Lmprof("import " + Q(jet.Name()) + " " + Q(m_file) + " Office Office --as-default").nExit);

    ToolRun run = Lmprof("import " + Q(jet.Name()) + " " + Q(m_file));
    EXPECT_EQ(0, run.nExit) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("imported 1 profile(s)")) << run.out;
    std::vector<ProfileRecord> list = jet.List();
    // The store lists "Factory Default" beside the profile imported.
    const ProfileRecord* pOffice = nullptr;
    for (const ProfileRecord& r : list)
        pOffice = strcmp(r.szName, "Office") == 0 ? &r : pOffice;
    ASSERT_TRUE(pOffice != nullptr);
    EXPECT_EQ(NotesBytes(1), jet.Values(int(pOffice->dwRegNum))["Notes"]);

    run = Lmprof("import " + Q(jet.Name()) + " " + Q(m_file) + " Office --as-default --apply");
    EXPECT_EQ(0, run.nExit) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("as its defaults, applied")) << run.out;
    EXPECT_EQ(NotesBytes(1), jet.Values(0)["Notes"]);
    EXPECT_EQ(TrayBytes(), jet.Data("Tray"));
    Bytes current = jet.CurrentDevMode();
    ASSERT_FALSE(current.empty());
    EXPECT_EQ(OFFICE_COPIES, Dm(current)->dmCopies);
}

}  // namespace
