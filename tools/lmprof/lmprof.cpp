// lmprof: the console tool for administrators and support engineers. It links the library's
// code statically rather than loading LmProfInst.dll: one program that can be copied to any
// machine, whose file commands judge a file with the same decoders the library imports with,
// and whose `printers` reads the profile store, which no export offers. `export` and `import`
// go through the exported calls, so they do exactly what the driver's own dialogs do.
//
// Exit status: 0 success, 1 the operation failed, 2 bad usage. Errors are one line on stderr.
#include <windows.h>

#include <winspool.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "api/exchange_state.h"
#include "api/exports.h"
#include "core/lmprofjxp.h"
#include "jxp_document.h"
#include "report.h"

namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

struct Command {
    const char* pszName;
    const char* pszUsage;
    const char* pszHelp;
    int (*pfn)(const std::vector<std::string>& args, const std::vector<std::string>& options);
    int nMinArgs, nMaxArgs;   // -1: no upper limit
    const char* pszOptions;   // the options it takes, blank separated
};

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

std::string Narrow(const wchar_t* pwsz)
{
    int n = WideCharToMultiByte(CP_ACP, 0, pwsz, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, pwsz, -1, &s[0], n, nullptr, nullptr);
    s.resize(size_t(n - 1));
    return s;
}

// The whole file, or false with the reason.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* pOut, std::string* pWhy)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *pWhy = path + ": cannot open (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    LARGE_INTEGER size;
    bool bOk = GetFileSizeEx(h, &size) != 0 && size.QuadPart < (LONGLONG(1) << 30);
    if (bOk) {
        pOut->resize(size_t(size.QuadPart));
        DWORD cbRead = 0;
        bOk = pOut->empty() || (ReadFile(h, pOut->data(), DWORD(pOut->size()), &cbRead, nullptr) && cbRead == pOut->size());
    }
    DWORD dwError = GetLastError();
    CloseHandle(h);
    if (!bOk)
        *pWhy = path + ": cannot read (error " + std::to_string(dwError) + ")";
    return bOk;
}

bool LoadDocument(const char* pszCommand, const std::string& path, JxpDocument* pDoc, int* pnExit)
{
    std::vector<uint8_t> bytes;
    std::string why;
    if (!ReadWholeFile(path, &bytes, &why)) {
        *pnExit = Fail(pszCommand, why);
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

// A session of the printer through the exported call, as the driver's dialogs start one.
bool OpenSession(const char* pszCommand, const std::string& printer, int* pnExit)
{
    HANDLE hPrinter = nullptr;
    if (!OpenPrinterA(const_cast<char*>(printer.c_str()), &hPrinter, nullptr)) {
        *pnExit = Fail(pszCommand, "printer \"" + printer + "\": not found (error " + std::to_string(GetLastError()) + ")");
        return false;
    }
    ClosePrinter(hPrinter);
    if (!InitJxpApi(nullptr, printer.c_str())) {
        *pnExit = Fail(pszCommand, "printer \"" + printer + "\": no session could be started");
        return false;
    }
    return true;
}

// The profile records the current session's printer lists.
std::vector<ProfileRecord> ListedProfiles()
{
    std::vector<ProfileRecord> records;
    if (!g_pCurrentSession)
        return records;
    int n = g_pCurrentSession->GetProfileDataFromModel(nullptr, nullptr, nullptr);
    const ProfileRecord* p = reinterpret_cast<const ProfileRecord*>(g_pCurrentSession->m_pProfileData.get());
    for (int i = 0; p && i < n; ++i)
        records.push_back(p[i]);
    return records;
}

// ---- commands --------------------------------------------------------------------------

int CmdPrinters(const std::vector<std::string>&, const std::vector<std::string>&)
{
    DWORD cbNeeded = 0, nPrinters = 0;
    const DWORD dwFlags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    EnumPrintersW(dwFlags, nullptr, 2, nullptr, 0, &cbNeeded, &nPrinters);
    std::vector<BYTE> buffer(cbNeeded ? cbNeeded : 1);
    if (!EnumPrintersW(dwFlags, nullptr, 2, buffer.data(), DWORD(buffer.size()), &cbNeeded, &nPrinters))
        return Fail("printers", "the printers cannot be listed (error " + std::to_string(GetLastError()) + ")");
    const PRINTER_INFO_2W* pInfo = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < nPrinters; ++i) {
        printf("%s\n  model: %s\n", Narrow(pInfo[i].pPrinterName).c_str(),
               pInfo[i].pDriverName ? Narrow(pInfo[i].pDriverName).c_str() : "");
        if (!InitJxpApiW(nullptr, pInfo[i].pPrinterName)) {
            printf("  profiles: unreadable (no session)\n");
            continue;
        }
        std::vector<ProfileRecord> records = ListedProfiles();
        printf("  profiles: %zu\n", records.size());
        for (const ProfileRecord& r : records)
            printf("    #%lu \"%s\" - %s (attributes 0x%08lX 0x%08lX)\n", (unsigned long)r.dwRegNum, r.szName,
                   r.szDescription, (unsigned long)r.dwProfileParam1, (unsigned long)r.dwProfileParam2);
        CloseJxpApi(nullptr, nullptr);
    }
    return EXIT_OK;
}

int CmdList(const std::vector<std::string>& args, const std::vector<std::string>&)
{
    const std::string& dir = args[0];
    DWORD dwAttributes = GetFileAttributesA(dir.c_str());
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return Fail("list", dir + ": no such folder");
    int n = GetJxpFileListFromDirectory(dir.c_str(), nullptr, 0);
    std::vector<char> cells(size_t(n > 0 ? n : 1) * FILE_NAME_CELL);
    n = GetJxpFileListFromDirectory(dir.c_str(), cells.data(), n);
    for (int i = 0; i < n; ++i) {
        std::string name = &cells[size_t(i) * FILE_NAME_CELL];
        std::string path = dir + "\\" + name;
        std::vector<uint8_t> bytes;
        std::string why;
        if (!ReadWholeFile(path, &bytes, &why)) {
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
    printf("%d profile file(s)\n", n);
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

const JxpProfile* FindProfile(const JxpDocument& doc, const std::string& name)
{
    for (const JxpProfile& p : doc.profiles) {
        if (p.name == name)
            return &p;
    }
    return nullptr;
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

int CmdExport(const std::vector<std::string>& args, const std::vector<std::string>&)
{
    const std::string &printer = args[0], &profile = args[1], &path = args[2];
    int nExit = EXIT_OK;
    if (!OpenSession("export", printer, &nExit))
        return nExit;
    bool bListed = false;
    for (const ProfileRecord& r : ListedProfiles())
        bListed = bListed || profile == r.szName;
    int nWritten = bListed ? ExportProfileToJxp(profile.c_str(), path.c_str()) : 0;
    CloseJxpApi(nullptr, nullptr);
    if (!bListed)
        return Fail("export", "printer \"" + printer + "\": no profile \"" + profile + "\"");
    if (nWritten != 1)
        return Fail("export", path + ": profile \"" + profile + "\" could not be written");
    printf("exported \"%s\" of \"%s\" to %s\n", profile.c_str(), printer.c_str(), path.c_str());
    return EXIT_OK;
}

int CmdImport(const std::vector<std::string>& args, const std::vector<std::string>& options)
{
    const std::string &printer = args[0], &path = args[1];
    const bool bAsDefault = HasOption(options, "--as-default");
    const bool bApply = HasOption(options, "--apply");

    // The file is judged before the printer is touched: a damaged file imports nothing here.
    JxpDocument doc;
    int nExit = EXIT_OK;
    if (!LoadDocument("import", path, &doc, &nExit))
        return nExit;
    if (doc.bDamaged)
        return Fail("import", DamageLine(path, doc));
    std::vector<std::string> names(args.begin() + 2, args.end());
    if (names.empty()) {
        for (const JxpProfile& p : doc.profiles)
            names.push_back(p.name);
    }
    for (const std::string& name : names) {
        if (!FindProfile(doc, name))
            return Fail("import", path + ": no profile \"" + name + "\"");
    }
    if (names.empty())
        return Fail("import", path + ": the file holds no profile");
    if (bAsDefault && names.size() != 1) {
        fprintf(stderr, "lmprof import: --as-default takes exactly one profile (the file holds %zu)\n", names.size());
        return EXIT_USAGE;
    }

    if (!OpenSession("import", printer, &nExit))
        return nExit;
    int nImported = 0;
    if (bAsDefault || bApply) {
        // The flags of ImportProfileAsDefault: 1 as the printer's defaults, 4 apply afterwards.
        BYTE bFlags = BYTE((bAsDefault ? 1 : 0) | (bApply ? 4 : 0));
        for (const std::string& name : names)
            nImported += ImportProfileAsDefault(path.c_str(), name.c_str(), bFlags);
    } else {
        std::vector<char> cells(names.size() * PROFILE_NAME_CELL, '\0');
        for (size_t i = 0; i < names.size(); ++i)
            lstrcpynA(&cells[i * PROFILE_NAME_CELL], names[i].c_str(), PROFILE_NAME_CELL);
        nImported = ImportProfileFromJxp(path.c_str(), cells.data(), int(names.size()), FALSE);
    }
    CloseJxpApi(nullptr, nullptr);
    if (nImported <= 0)
        return Fail("import", "printer \"" + printer + "\": nothing imported from " + path);
    printf("imported %d profile(s) from %s into \"%s\"%s%s\n", nImported, path.c_str(), printer.c_str(),
           bAsDefault ? " as its defaults" : "", bApply ? ", applied" : "");
    return EXIT_OK;
}

const Command COMMANDS[] = {
    {"printers", "lmprof printers",
     "Lists each printer with its model and the profiles it stores (registry number, name,\n"
     "description, attribute words).",
     CmdPrinters, 0, 0, ""},
    {"list", "lmprof list DIR", "Lists the profile files (*.jxp) of a folder with their models and profiles.", CmdList,
     1, 1, ""},
    {"show", "lmprof show FILE [--json]",
     "Shows a profile file: header, entries, and for each profile its DEVMODE differences with\n"
     "field names, private-block records, and values with types and sizes. --json prints one\n"
     "JSON object. Fails (exit 1) after printing what it could read when the file is damaged.",
     CmdShow, 1, 1, "--json"},
    {"check", "lmprof check FILE",
     "Validates a profile file and names the first damage with its offset.", CmdCheck, 1, 1, ""},
    {"diff", "lmprof diff FILE1 FILE2 [PROFILE]",
     "Prints what differs between the profiles of two files, one line each: the named profile,\n"
     "the only profile of each file, or every profile by name. Exit 0 whether or not they differ.",
     CmdDiff, 2, 3, ""},
    {"export", "lmprof export PRINTER PROFILE FILE",
     "Writes a profile the printer stores into a new profile file (ExportProfileToJxp).", CmdExport, 3, 3, ""},
    {"import", "lmprof import PRINTER FILE [PROFILE...] [--as-default] [--apply]",
     "Imports profiles of a file into the printer's store (all of them when none is named).\n"
     "--as-default makes the one profile named the printer's defaults; --apply also applies the\n"
     "profile's values to the printer (ImportProfileAsDefault).",
     CmdImport, 2, -1, "--as-default --apply"},
};

void PrintUsage(FILE* f)
{
    fprintf(f, "usage: lmprof COMMAND [ARGS]   (lmprof COMMAND --help for one command)\n");
    for (const Command& c : COMMANDS)
        fprintf(f, "  %s\n", c.pszUsage);
}

bool Takes(const Command& c, const std::string& option)
{
    std::string list = std::string(" ") + c.pszOptions + " ";
    return list.find(" " + option + " ") != std::string::npos;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        PrintUsage(stderr);
        return EXIT_USAGE;
    }
    std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintUsage(stdout);
        return EXIT_OK;
    }
    for (const Command& c : COMMANDS) {
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
        if (int(args.size()) < c.nMinArgs || (c.nMaxArgs >= 0 && int(args.size()) > c.nMaxArgs)) {
            fprintf(stderr, "lmprof %s: %zu argument(s) given (usage: %s)\n", c.pszName, args.size(), c.pszUsage);
            return EXIT_USAGE;
        }
        return c.pfn(args, options);
    }
    fprintf(stderr, "lmprof: unknown command \"%s\"\n", name.c_str());
    PrintUsage(stderr);
    return EXIT_USAGE;
}
