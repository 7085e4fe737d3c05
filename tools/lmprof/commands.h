// The commands of lmprof and their dispatch, shared by the Windows tool (lmprof.exe, which adds
// the printer commands) and the native one (native/, file commands only). The file commands
// print the same bytes and end with the same exit status on both.
//
// Exit status: 0 success, 1 the operation failed, 2 bad usage (or a command this system's tool
// does not have). Errors are one line on stderr.
#pragma once
#include <string>
#include <vector>

#include "jxp_document.h"

constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

using CommandFn = int (*)(const std::vector<std::string>& args, const std::vector<std::string>& options);

// The commands that talk to printers through the spooler and the library's exported calls; null
// where there is no spooler.
struct PrinterCommands {
    CommandFn pfnPrinters = nullptr;
    CommandFn pfnExport = nullptr;
    CommandFn pfnImport = nullptr;
};

int LmprofMain(int argc, char** argv, const PrinterCommands& printers);

// "lmprof COMMAND: WHAT" on stderr; EXIT_FAILED.
int Fail(const char* pszCommand, const std::string& what);
bool HasOption(const std::vector<std::string>& options, const char* pszOption);
// Reads and decodes the file; false with the failure reported.
bool LoadDocument(const char* pszCommand, const std::string& path, JxpDocument* pDoc, int* pnExit);
std::string DamageLine(const std::string& path, const JxpDocument& doc);
const JxpProfile* FindProfile(const JxpDocument& doc, const std::string& name);
