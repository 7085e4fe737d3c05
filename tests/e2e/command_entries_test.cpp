// LmProfInst and LmPatch as an installer script starts them: "rundll32.exe <dll>,LmProfInst
// <arguments>". The cases call the entries in the test's process, where the trace is seen.
#include <cstring>

#include "e2e_support.h"

namespace {

class CommandEntries : public OfficeExported {};

}  // namespace

// The named profile (LmPatch: "Default" of the file named after the model) is installed as
// the printer's defaults with its setup record, applied, and not listed; only for the model
// the file was written for, and only when every argument and the path fit.
TEST_F(CommandEntries, InstallOnlyForTheFilesModelAndWhatFits)
{
    StoreOffice(*m_a, "Default", 2, 4, 3);
    std::string patch = m_work->SubDir("patch folder"), jet = m_work->Path("Jet file.jxp");
    ASSERT_EQ(1, Export(*m_a, "Default", patch + "\\" FIXTURE_MODEL_A ".jxp"));
    // A file of another name in the folder is not looked at.
    ASSERT_TRUE(CopyFileA(m_file.c_str(), (patch + "\\Office file.jxp").c_str(), FALSE));
    // The same file written for the Jet, and for the Laser in other letter case.
    Bytes bytes = ReadBytes(m_file);
    strcpy(reinterpret_cast<char*>(&bytes[16]), FIXTURE_MODEL_B);
    WriteBytes(jet, bytes);
    strcpy(reinterpret_cast<char*>(&bytes[16]), "lm fixture LASER 2100");
    WriteBytes(m_work->Path("cased.jxp"), bytes);
    // LmPatch's path "<folder>\<model>.jxp" fits 259 characters with a folder of 233.
    std::string fits = FolderOfLength(patch, 259 - strlen("\\" FIXTURE_MODEL_A ".jxp")), many = "x";
    for (int i = 0; i < 29; ++i)
        many += " x";

    // "%P" stands for the printer of the case; nCopies 0: the printer stays as it was.
    const struct {
        const char* pszWhat;
        bool bPatch;
        std::string line, trace;   // trace: a line the case writes, if any
        short nCopies;
    } cases[] = {
        {"the file's model", false, "\"%P\" " + Quoted(m_file) + " Office",
         "Device Name from JXP - [" FIXTURE_MODEL_A "]\n", OFFICE_COPIES},
        {"the model in other letter case", false, "\"%P\" " + Quoted(m_work->Path("cased.jxp")) + " Office",
         "Device Name from JXP - [lm fixture LASER 2100]\n", OFFICE_COPIES},
        {"another model's file", false, "\"%P\" " + Quoted(jet) + " Office",
         "Device Name from JXP - [" FIXTURE_MODEL_B "]\n", 0},
        {"33 arguments", false, "\"%P\" " + Quoted(m_file) + " Office " + many, "Arguments - too many or too long\n",
         0},
        {"an empty line", false, "", "Arguments - 0\n", 0},
        {"LmPatch: the model's file", true, "\"%P\" unused " + Quoted(patch), "  2, [" + patch + "]\n", 4},
        {"LmPatch: a folder without it", true, "\"%P\" unused " + Quoted(m_work->Dir()), "Device Name from JXP - []\n",
         0},
        {"LmPatch: a path that just fits", true, "\"%P\" unused " + Quoted(fits), "", 4},
        {"LmPatch: one character more", true, "\"%P\" unused " + Quoted(fits + "\\"), "File path too long\n", 0},
        {"LmPatch: no such printer", true, "'No such printer' x 'C:\\'",
         "LmPatch Error - Can not open printer - No such printer\n", 0},
    };
    // The registry switch is what turns the entries' first lines on.
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Norvane Sello\\ZeVere32", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
    DWORD dwOn = 1;
    RegSetValueExA(hKey, "Debug", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dwOn), sizeof(dwOn));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        TestPrinter& p = AddPrinter(std::to_string(&c - cases).c_str(), FIXTURE_MODEL_A);
        std::string line = c.line;
        if (line.find("%P") != std::string::npos)
            line.replace(line.find("%P"), 2, p.Name());
        StoreState before = p.State();
        Bytes devMode = p.CurrentDevMode();
        TraceCapture::Clear();
        (c.bPatch ? Dll().LmPatch : Dll().LmProfInst)(nullptr, nullptr, &line[0], SW_SHOWNORMAL);
        std::string entry = c.bPatch ? "LmPatch" : "LmProfInst";
        EXPECT_TRUE(TraceCapture::Contains(entry + " - [" + line + "]\n")) << TraceCapture::Dump();
        EXPECT_TRUE(c.trace.empty() || TraceCapture::Contains(c.trace)) << TraceCapture::Dump();
        if (!c.nCopies) {
            EXPECT_TRUE(before == p.State()) << "printer data changed";
            EXPECT_EQ(devMode, p.CurrentDevMode()) << "DEVMODE changed";
            continue;
        }
        EXPECT_EQ(c.nCopies, Copies(p.CurrentDevMode()));
        Pack factory = p.Values(0);
        EXPECT_EQ(c.nCopies, Copies(factory["Default DevMode"]));
        EXPECT_EQ(NotesBytes(c.nCopies == 4 ? 3 : 1), factory["Notes"]);
        EXPECT_EQ(SetupBytes(), p.Data("Setup"));
        EXPECT_TRUE(p.List().empty()) << "listed";
    }
    RegDeleteValueA(hKey, "Debug");
    RegCloseKey(hKey);
}
