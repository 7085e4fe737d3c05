// lmprof.exe: the console tool for administrators and support engineers. It links the library's
// code statically rather than loading LmProfInst.dll: one program that can be copied to any
// machine, whose file commands judge a file with the same decoders the library imports with
// (commands.cpp, shared with the native tool), and whose `printers` reads the profile store,
// which no export offers. `export` and `import` go through the exported calls, so they do
// exactly what the driver's own dialogs do.
#include <windows.h>

#include <winspool.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "api/exchange_state.h"
#include "api/exports.h"
#include "commands.h"
#include "core/lmprofjxp.h"

namespace {

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

}  // namespace

int main(int argc, char** argv)
{
    PrinterCommands printers;
    printers.pfnPrinters = CmdPrinters;
    printers.pfnExport = CmdExport;
    printers.pfnImport = CmdImport;
    return LmprofMain(argc, argv, printers);
}
