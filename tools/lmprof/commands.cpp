#include "commands.h"

#include <cstdio>

#include "file_access.h"
#include "jxp_pack.h"
#include "report.h"

namespace {

struct Command {
    const char* pszName;
    const char* pszUsage;
    const char* pszHelp;
    CommandFn pfn;            // null: a command of the Windows tool only
    int nMinArgs, nMaxArgs;   // -1: no upper limit
    const char* pszOptions;   // the options it takes, blank separated
};

int CmdList(const std::vector<std::string>& args, const std::vector<std::string>&)
{
    const std::string& dir = args[0];
    if (!IsFolder(dir))
        return Fail("list", dir + ": no such folder");
    std::vector<std::string> names = ProfileFilesOf(dir);
    for (const std::string& name : names) {
        std::vector<uint8_t> bytes;
        std::string why;
        // The reason without the path: the folder's separator is the only thing that would
        // differ between systems.
        if (!ReadWholeFile(PathInFolder(dir, name), &bytes, &why)) {
            printf("%s\n  unreadable: %s\n", name.c_str(), why.c_str());
            continue;
        }
        JxpDocument doc = DecodeJxp(bytes.data(), bytes.size());
        printf("%s\n  model: %s\n  profiles:", name.c_str(), doc.model.c_str());
        for (const JxpProfile& p : doc.profiles)
            printf(" \"%s\"", p.name.c_str());
        printf("\n");
        if (doc.bDamaged)
            printf("  damaged: %s at offset %llu\n", doc.damage.c_str(), (unsigned long long)doc.qwDamageOffset);
    }
    printf("%zu profile file(s)\n", names.size());
    return EXIT_OK;
}

int CmdShow(const std::vector<std::string>& args, const std::vector<std::string>& options)
{
    JxpDocument doc;
    int nExit = EXIT_OK;
    if (!LoadDocument("show", args[0], &doc, &nExit))
        return nExit;
    if (HasOption(options, "--json"))
        PrintDocumentJson(stdout, args[0], doc);
    else
        PrintDocumentText(stdout, args[0], doc);
    // What could be read is shown; the damage still makes the command fail.
    return doc.bDamaged ? Fail("show", DamageLine(args[0], doc)) : EXIT_OK;
}

int CmdCheck(const std::vector<std::string>& args, const std::vector<std::string>&)
{
    JxpDocument doc;
    int nExit = EXIT_OK;
    if (!LoadDocument("check", args[0], &doc, &nExit))
        return nExit;
    if (doc.bDamaged)
        return Fail("check", DamageLine(args[0], doc));
    printf("%s: ok, %d profile(s), %llu bytes\n", args[0].c_str(), doc.nCount, (unsigned long long)doc.qwSize);
    return EXIT_OK;
}

int CmdDiff(const std::vector<std::string>& args, const std::vector<std::string>&)
{
    JxpDocument docs[2];
    for (int i = 0; i < 2; ++i) {
        int nExit = EXIT_OK;
        if (!LoadDocument("diff", args[size_t(i)], &docs[i], &nExit))
            return nExit;
        if (docs[i].bDamaged)
            return Fail("diff", DamageLine(args[size_t(i)], docs[i]));
    }
    int nLines = 0;
    if (args.size() == 3) {
        const JxpProfile* pa = FindProfile(docs[0], args[2]);
        const JxpProfile* pb = FindProfile(docs[1], args[2]);
        if (!pa || !pb)
            return Fail("diff", args[pa ? 1 : 0] + ": no profile \"" + args[2] + "\"");
        nLines = PrintProfileDiff(stdout, *pa, *pb);
    } else if (docs[0].profiles.size() == 1 && docs[1].profiles.size() == 1) {
        // One profile each: compared whatever their names.
        const JxpProfile& a = docs[0].profiles[0];
        const JxpProfile& b = docs[1].profiles[0];
        if (a.name != b.name) {
            printf("%s: name: \"%s\" -> \"%s\"\n", a.name.c_str(), a.name.c_str(), b.name.c_str());
            ++nLines;
        }
        nLines += PrintProfileDiff(stdout, a, b);
    } else {
        for (const JxpProfile& a : docs[0].profiles) {
            if (const JxpProfile* pb = FindProfile(docs[1], a.name)) {
                nLines += PrintProfileDiff(stdout, a, *pb);
            } else {
                printf("%s: only in %s\n", a.name.c_str(), args[0].c_str());
                ++nLines;
            }
        }
        for (const JxpProfile& b : docs[1].profiles) {
            if (!FindProfile(docs[0], b.name)) {
                printf("%s: only in %s\n", b.name.c_str(), args[1].c_str());
                ++nLines;
            }
        }
    }
    if (nLines == 0)
        printf("no differences\n");
    return EXIT_OK;
}

int CmdPack(const std::vector<std::string>& args, const std::vector<std::string>&)
{
    const std::string &in = args[0], &out = args[1];
    std::vector<uint8_t> text;
    std::string why;
    if (!ReadWholeFile(in, &text, &why))
        return Fail("pack", in + ": " + why);
    // Editors on Windows often save UTF-8 with a byte order mark in front.
    size_t nSkip = text.size() >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF ? 3 : 0;
    std::vector<uint8_t> bytes;
    if (!PackJxpJson(reinterpret_cast<const char*>(text.data()) + nSkip, text.size() - nSkip, &bytes, &why))
        return Fail("pack", in + ": " + why + "; nothing written");
    // The file is judged as `check` judges it before it may reach the disk.
    JxpDocument doc = DecodeJxp(bytes.data(), bytes.size());
    if (doc.bDamaged)
        return Fail("pack", in + ": the file would be damaged: " + DamageLine(out, doc) + "; nothing written");
    if (!WriteWholeFile(out, bytes, &why))
        return Fail("pack", out + ": " + why + "; nothing written");
    printf("packed %d profile(s) from %s into %s, %zu bytes\n", doc.nCount, in.c_str(), out.c_str(), bytes.size());
    return EXIT_OK;
}

std::vector<Command> Commands(const PrinterCommands& printers)
{
    return {
        {"printers", "lmprof printers",
         "Lists each printer with its model and the profiles it stores (registry number, name,\n"
         "description, attribute words). Windows only.",
         printers.pfnPrinters, 0, 0, ""},
        {"list", "lmprof list DIR", "Lists the profile files (*.jxp) of a folder with their models and profiles.",
         CmdList, 1, 1, ""},
        {"show", "lmprof show FILE [--json]",
         "Shows a profile file: header, entries, and for each profile its DEVMODE differences with\n"
         "field names, private-block records, and values with types and sizes. --json prints one\n"
         "JSON object holding every byte of the file (pack turns it back into the file). Fails\n"
         "(exit 1) after printing what it could read when the file is damaged.",
         CmdShow, 1, 1, "--json"},
        {"check", "lmprof check FILE", "Validates a profile file and names the first damage with its offset.",
         CmdCheck, 1, 1, ""},
        {"diff", "lmprof diff FILE1 FILE2 [PROFILE]",
         "Prints what differs between the profiles of two files, one line each: the named profile,\n"
         "the only profile of each file, or every profile by name. Exit 0 whether or not they differ.",
         CmdDiff, 2, 3, ""},
        {"pack", "lmprof pack FILE.json OUT.jxp",
         "Writes a profile file from the JSON that show --json prints. Refuses JSON that would make\n"
         "a file an import rejects, naming the field, and then writes nothing.",
         CmdPack, 2, 2, ""},
        {"export", "lmprof export PRINTER PROFILE FILE",
         "Writes a profile the printer stores into a new profile file (ExportProfileToJxp). Windows only.",
         printers.pfnExport, 3, 3, ""},
        {"import", "lmprof import PRINTER FILE [PROFILE...] [--as-default] [--apply]",
         "Imports profiles of a file into the printer's store (all of them when none is named).\n"
         "--as-default makes the one profile named the printer's defaults; --apply also applies the\n"
         "profile's values to the printer (ImportProfileAsDefault). Windows only.",
         printers.pfnImport, 2, -1, "--as-default --apply"},
    };
}

void PrintUsage(FILE* f, const std::vector<Command>& commands)
{
    fprintf(f, "usage: lmprof COMMAND [ARGS]   (lmprof COMMAND --help for one command)\n");
    for (const Command& c : commands)
        fprintf(f, "  %s\n", c.pszUsage);
}

bool Takes(const Command& c, const std::string& option)
{
    std::string list = std::string(" ") + c.pszOptions + " ";
    return list.find(" " + option + " ") != std::string::npos;
}

}  // namespace

int Fail(const char* pszCommand, const std::string& what)
{
    fprintf(stderr, "lmprof %s: %s\n", pszCommand, what.c_str());
    return EXIT_FAILED;
}

bool HasOption(const std::vector<std::string>& options, const char* pszOption)
{
    for (const std::string& o : options) {
        if (o == pszOption)
            return true;
    }
    return false;
}

bool LoadDocument(const char* pszCommand, const std::string& path, JxpDocument* pDoc, int* pnExit)
{
    std::vector<uint8_t> bytes;
    std::string why;
    if (!ReadWholeFile(path, &bytes, &why)) {
        *pnExit = Fail(pszCommand, path + ": " + why);
        return false;
    }
    *pDoc = DecodeJxp(bytes.data(), bytes.size());
    return true;
}

std::string DamageLine(const std::string& path, const JxpDocument& doc)
{
    char sz[64];
    snprintf(sz, sizeof(sz), " at offset %llu (0x%llX)", (unsigned long long)doc.qwDamageOffset,
             (unsigned long long)doc.qwDamageOffset);
    return path + ": " + doc.damage + sz;
}

const JxpProfile* FindProfile(const JxpDocument& doc, const std::string& name)
{
    for (const JxpProfile& p : doc.profiles) {
        if (p.name == name)
            return &p;
    }
    return nullptr;
}

int LmprofMain(int argc, char** argv, const PrinterCommands& printers)
{
    PrepareOutput();
    const std::vector<Command> commands = Commands(printers);
    if (argc < 2) {
        PrintUsage(stderr, commands);
        return EXIT_USAGE;
    }
    std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintUsage(stdout, commands);
        return EXIT_OK;
    }
    for (const Command& c : commands) {
        if (name != c.pszName)
            continue;
        std::vector<std::string> args, options;
        for (int i = 2; i < argc; ++i) {
            std::string a = argv[i];
            if (a == "--help" || a == "-h") {
                printf("usage: %s\n%s\n", c.pszUsage, c.pszHelp);
                return EXIT_OK;
            }
            if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
                if (!Takes(c, a)) {
                    fprintf(stderr, "lmprof %s: unknown option %s (usage: %s)\n", c.pszName, a.c_str(), c.pszUsage);
                    return EXIT_USAGE;
                }
                options.push_back(a);
            } else {
                args.push_back(a);
            }
        }
        if (!c.pfn) {
            fprintf(stderr, "lmprof %s: talks to printers through Windows; only the Windows tool (lmprof.exe) has it\n",
                    c.pszName);
            return EXIT_USAGE;
        }
        if (int(args.size()) < c.nMinArgs || (c.nMaxArgs >= 0 && int(args.size()) > c.nMaxArgs)) {
            fprintf(stderr, "lmprof %s: %zu argument(s) given (usage: %s)\n", c.pszName, args.size(), c.pszUsage);
            return EXIT_USAGE;
        }
        return c.pfn(args, options);
    }
    fprintf(stderr, "lmprof: unknown command \"%s\"\n", name.c_str());
    PrintUsage(stderr, commands);
    return EXIT_USAGE;
}
