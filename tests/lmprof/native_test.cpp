// The native lmprof run as a user runs it: a process of its own on the files of tests/lmprof/files,
// its standard output, standard error, exit status and the files it leaves checked. Whether it
// prints exactly what lmprof.exe prints is the Wine bed's test (compare_native.sh).
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string FILES = LMPROF_FILES;

struct ToolRun {
    int nExit = -1;
    std::string out, err;
};

std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& s)
{
    std::ofstream(path, std::ios::binary) << s;
}

std::vector<std::string> FolderNames(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* p = opendir(dir.c_str())) {
        while (const dirent* e = readdir(p)) {
            if (e->d_name[0] != '.')
                names.push_back(e->d_name);
        }
        closedir(p);
    }
    return names;
}

// s with the first occurrence of from replaced; the test fails when from is not there, so a
// case never passes by editing nothing.
std::string Edit(const std::string& s, const std::string& from, const std::string& to)
{
    size_t i = s.find(from);
    EXPECT_NE(std::string::npos, i) << "no \"" << from << "\" to edit";
    return i == std::string::npos ? s : s.substr(0, i) + to + s.substr(i + from.size());
}

class NativeTool : public testing::Test {
protected:
    void SetUp() override
    {
        char szDir[] = "/tmp/lmprof_native.XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(szDir));
        m_dir = szDir;
    }
    void TearDown() override
    {
        for (const std::string& name : FolderNames(m_dir))
            unlink(Path(name).c_str());
        rmdir(m_dir.c_str());
    }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }

    // Runs the tool in the fixture folder, so the paths it prints are the names given.
    ToolRun Lmprof(const std::vector<std::string>& args)
    {
        ToolRun run;
        std::string outPath = Path(".stdout"), errPath = Path(".stderr");
        pid_t pid = fork();
        if (pid == 0) {
            int fdOut = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int fdErr = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fdOut < 0 || fdErr < 0 || dup2(fdOut, 1) < 0 || dup2(fdErr, 2) < 0 || chdir(FILES.c_str()) != 0)
                _exit(127);
            std::vector<char*> argv{const_cast<char*>(LMPROF_TOOL)};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(LMPROF_TOOL, argv.data());
            _exit(127);
        }
        int nStatus = 0;
        EXPECT_EQ(pid, waitpid(pid, &nStatus, 0));
        run.nExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
        run.out = ReadAll(outPath);
        run.err = ReadAll(errPath);
        return run;
    }

    std::string m_dir;
};

const char* const VALID_FILES[] = {"office", "two_profiles", "no_profiles", "leftovers", "western", "japanese"};

TEST_F(NativeTool, EveryValidFileShowsAsItsJsonAndPacksBackToItsBytes)
{
    for (const char* name : VALID_FILES) {
        const std::string jxp = std::string(name) + ".jxp", json = std::string(name) + ".json";
        ToolRun show = Lmprof({"show", jxp, "--json"});
        EXPECT_EQ(0, show.nExit) << name << ": " << show.err;
        EXPECT_EQ(ReadAll(FILES + "/" + json), show.out) << name;

        ToolRun pack = Lmprof({"pack", json, Path(jxp)});
        EXPECT_EQ(0, pack.nExit) << name << ": " << pack.err;
        EXPECT_EQ("", pack.err);
        EXPECT_NE(std::string::npos, pack.out.find("packed ")) << pack.out;
        std::string original = ReadAll(FILES + "/" + jxp);
        ASSERT_FALSE(original.empty()) << name;
        EXPECT_TRUE(original == ReadAll(Path(jxp))) << name << ": the packed file differs from the original";
    }
}

TEST_F(NativeTool, EditedJsonPacksIntoTheFileItDescribes)
{
    // A setting, a value and a text of the Western file, the text written as UTF-8 as an editor
    // saves it.
    std::string json = Edit(ReadAll(FILES + "/western.json"), "\"value\": 1}", "\"value\": 4}");
    json = Edit(json, "\"data\": \"01\"", "\"data\": \"02\"");
    json = Edit(json, "\"B\\u00fcro \\u20ac 5\"", "\"B\xC3\xBCro \xE2\x82\xAC 6\"");
    WriteAll(Path("edited.json"), json);
    ASSERT_EQ(0, Lmprof({"pack", Path("edited.json"), Path("edited.jxp")}).nExit);

    ToolRun diff = Lmprof({"diff", "western.jxp", Path("edited.jxp")});
    EXPECT_EQ(0, diff.nExit) << diff.err;
    // The name's bytes in code page 1252: u-umlaut 0xFC, the euro sign 0x80.
    EXPECT_EQ("B\xfcro \x80 5: name: \"B\xfcro \x80 5\" -> \"B\xfcro \x80 6\"\nB\xfcro \x80 5: PFDM_COPIES: 1 -> 4\n"
              "B\xfcro \x80 5: value \"Sch\xe4" "chte\": REG_BINARY 1 bytes 01 -> REG_BINARY 1 bytes 02\n",
              diff.out);
    EXPECT_EQ(0, Lmprof({"check", Path("edited.jxp")}).nExit);
}

// office.jxp with bytes overwritten from offset at: what check names, and where.
TEST_F(NativeTool, CheckNamesTheFirstDamageAndItsOffset)
{
    const std::string good = ReadAll(FILES + "/office.jxp");
    ASSERT_EQ(2540u, good.size());
    // The file's one profile at 144, its section lengths 556 bytes into it, its first value
    // record at 1124 (office.json); the first section 32 bytes long, here 0x10020.
    const struct {
        size_t at;
        std::string bytes;
        const char* pszWhat;
        size_t offset;
    } cases[] = {
        {0, "X", "no \"JXP\" mark: not a profile file", 0},
        {12, "\x02", "file ends inside the header of profile 2 of 2", 2540},
        {144, std::string(32, 'N'), "name of profile 1 has no terminator", 144},
        {700, std::string("\x20\x00\x01\x00", 4), "sections of profile \"Office\" need", 700},
        {1124, std::string(260, 'V'), "value record name has no terminator", 1124},
        {100, "", "file ends inside its header", 100},   // the file cut short there
    };
    for (const auto& c : cases) {
        std::string bytes = good;
        bytes.replace(c.at, c.bytes.empty() ? std::string::npos : c.bytes.size(), c.bytes);
        WriteAll(Path("damaged.jxp"), bytes);
        ToolRun run = Lmprof({"check", Path("damaged.jxp")});
        EXPECT_EQ(1, run.nExit) << c.pszWhat;
        EXPECT_EQ(0u, run.err.find("lmprof check: " + Path("damaged.jxp") + ": " + c.pszWhat)) << run.err;
        EXPECT_NE(std::string::npos, run.err.find(" at offset " + std::to_string(c.offset) + " ")) << run.err;
        EXPECT_EQ("", run.out) << c.pszWhat;
    }
}

TEST_F(NativeTool, PackRefusesWhatAnImportWouldRejectNamingTheFieldAndWritesNothing)
{
    const std::string office = ReadAll(FILES + "/office.json");
    const std::string japanese = ReadAll(FILES + "/japanese.json");
    const std::string leftovers = ReadAll(FILES + "/leftovers.json");
    const std::string longText(32, 'N');
    struct Case {
        const std::string& json;
        std::string from, to, expected;
    } cases[] = {
        {office, "\"id\": 10,", "\"id\": 999,", "profiles[0].dwords[0].id: unknown DWORD record 999"},
        {office, "\"id\": 66,", "\"id\": 65,", "profiles[0].buffers[1].id: unknown buffer record 65"},
        {office, "\"ed03c7ec163b6085aacff41e\"", "\"ed03c7ec163b6085aacff41e00\"",
         "profiles[0].buffers[1].data: buffer record 66 holds 13 bytes, its field has 12"},
        {office, "\"4c006500670061006c000000\"", "\"4c006500670061006c00\"",
         "profiles[0].buffers[0].data: form name record of 10 bytes is not a terminated name"},
        {office, "\"64506d4c1027000001000000400000", "\"64506d4c1027000001000000410000",
         "profiles[0].buffers[2].data: plug-in block record of 64 bytes has no block header of that size"},
        {office, "\"name\": \"Office\"", "\"name\": \"" + longText + "\"",
         "profiles[0].name: 32 bytes; the field holds at most 31"},
        {office, "\"model\": \"LM Fixture Laser 2100\", \"driver", "\"model\": \"" + std::string(128, 'M') + "\", \"driver",
         "model: 128 bytes; the field holds at most 127"},
        {office, "\"description\": \"Front desk, plain paper\"", "\"description\": \"" + std::string(512, 'D') + "\"",
         "profiles[0].description: 512 bytes; the field holds at most 511"},
        {office, "\"name\": \"Tray\"", "\"name\": \"" + std::string(260, 'V') + "\"",
         "profiles[0].values[0].name: 260 bytes; the field holds at most 259"},
        {office, "\"name\": \"Office\"", "\"name\": \"Office \\u263a\"",
         "profiles[0].name: U+263A is not in code page 1252, the file's (language 9)"},
        {japanese, "\"name\": \"\\u008e\\u0096\\u0096\\u00b1\"", "\"name\": \"\\u4e8b\\u52d9\"",
         "profiles[0].name: U+4E8B cannot be written: this tool carries no table of code page 932"},
        {office, "\"name\": \"Office\"", "\"name\": \"Off\\u0000ice\"", "profiles[0].name: holds U+0000"},
        {leftovers, "\"name_fill\": \"cdcd", "\"name_fill\": \"cdcdcdcdcd",
         "profiles[0].name_fill: 29 bytes; the field has 28 behind its text"},
        {office, "\"name\": \"_Setup\"", "\"name\": \"_Setuq\"", "profiles[0].setup[0].name: the setup record is named"},
        {office, "\"damage\": null", "\"damage\": {\"offset\": 1, \"what\": \"cut\"}", "damage: the JSON shows a damaged file"},
        {office, "\"size\": 2540,", "\"size\": 2540", "line 1, column 37: expected ',' or '}'"},
        {office, "\"param1\"", "\"paramone\"", "profiles[0].paramone: not a key pack knows here"},
        {office, "\"language\": 9,", "", "language: missing"},
        {office, "\"param1\": 17", "\"param1\": -1", "profiles[0].param1: expected a whole number from 0 to 4294967295"},
        {office, "\"value\": -20", "\"value\": -2147483649",
         "profiles[0].dwords[3].value: expected a whole number from -2147483648 to 2147483647"},
        {office, "\"data\": \"02000000\"", "\"data\": \"0200000\"", "profiles[0].values[0].data: an odd number of"},
        {office, "\"param1\": 17", "\"param1\": 17, \"param1\": 18", "line 5, column 26: a key given twice in one object"},
    };
    for (const Case& c : cases) {
        WriteAll(Path("in.json"), Edit(c.json, c.from, c.to));
        WriteAll(Path("out.jxp"), "previous");
        ToolRun run = Lmprof({"pack", Path("in.json"), Path("out.jxp")});
        EXPECT_EQ(1, run.nExit) << c.expected;
        EXPECT_EQ(0u, run.err.find("lmprof pack: " + Path("in.json") + ": " + c.expected)) << run.err;
        EXPECT_NE(std::string::npos, run.err.find("; nothing written\n")) << run.err;
        EXPECT_EQ("", run.out) << c.expected;
        EXPECT_EQ("previous", ReadAll(Path("out.jxp"))) << c.expected;
        EXPECT_EQ(2u, FolderNames(m_dir).size()) << c.expected << ": a file was left behind";
    }
}

TEST_F(NativeTool, EndsWithTheStatusAndTheLinesOfTheWindowsTool)
{
    struct Case {
        std::vector<std::string> args;
        int nExit;
        const char* pszOut;   // expected in stdout
        const char* pszErr;   // stderr starts with it
    } cases[] = {
        {{}, 2, "", "usage: lmprof COMMAND"},
        {{"printers"}, 2, "", "lmprof printers: talks to printers through Windows; only the Windows tool (lmprof.exe) has it\n"},
        {{"export", "Laser", "Office", "x.jxp"}, 2, "", "lmprof export: talks to printers through Windows"},
        {{"import", "Laser", "office.jxp"}, 2, "", "lmprof import: talks to printers through Windows"},
        {{"show"}, 2, "", "lmprof show: 0 argument(s) given"},
        {{"show", "office.jxp", "--yaml"}, 2, "", "lmprof show: unknown option --yaml"},
        {{"pack", "office.json"}, 2, "", "lmprof pack: 1 argument(s) given"},
        {{"pack", "--help"}, 0, "usage: lmprof pack FILE.json OUT.jxp\n", ""},
        {{"check", "office.jxp"}, 0, "office.jxp: ok, 1 profile(s), 2540 bytes\n", ""},
        {{"check", "missing.jxp"}, 1, "", "lmprof check: missing.jxp: cannot open (error 2)\n"},
        {{"check", "nowhere/x.jxp"}, 1, "", "lmprof check: nowhere/x.jxp: cannot open (error 3)\n"},
        {{"check", "damaged_record.jxp"}, 1, "",
         "lmprof check: damaged_record.jxp: unknown DWORD record 999 at offset 844 (0x34C)\n"},
        {{"show", "damaged_trailing.jxp", "--json"}, 1, "\"damage\": {\"offset\": 2540, \"what\": \"3 bytes behind",
         "lmprof show: damaged_trailing.jxp: 3 bytes behind the last of 1 profiles at offset 2540"},
        {{"diff", "office.jxp", "office.jxp"}, 0, "no differences\n", ""},
        {{"diff", "office.jxp", "two_profiles.jxp"}, 0, "Draft: only in two_profiles.jxp\n", ""},
        {{"diff", "office.jxp", "damaged_record.jxp"}, 1, "", "lmprof diff: damaged_record.jxp: unknown DWORD record"},
        {{"list", "."}, 0, "damaged_record.jxp\n  model: LM Fixture Laser 2100\n  profiles:\n  damaged: unknown DWORD", ""},
        {{"list", "nowhere"}, 1, "", "lmprof list: nowhere: no such folder\n"},
        {{"pack", "office.json", "nowhere/out.jxp"}, 1, "",
         "lmprof pack: nowhere/out.jxp: cannot create (error 3); nothing written\n"},
        {{"pack", "missing.json", "out.jxp"}, 1, "", "lmprof pack: missing.json: cannot open (error 2)\n"},
    };
    for (const Case& c : cases) {
        std::string what = c.args.empty() ? "(no arguments)" : c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : "");
        ToolRun run = Lmprof(c.args);
        EXPECT_EQ(c.nExit, run.nExit) << what << "\n" << run.out << run.err;
        EXPECT_NE(std::string::npos, run.out.find(c.pszOut)) << what << ": " << run.out;
        EXPECT_EQ(0u, run.err.find(c.pszErr)) << what << ": " << run.err;
        if (c.nExit == 1) {
            EXPECT_EQ(run.err.size() - 1, run.err.find('\n')) << what << ": an error is one line: " << run.err;
        }
    }
    EXPECT_FALSE(std::ifstream(FILES + "/out.jxp").good()) << "a refused pack wrote into the fixture folder";
}

}  // namespace
