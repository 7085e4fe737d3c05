// ZeVaru64.exe: deletes one file for the 32-bit LmProfInst.dll on 64-bit Windows, where the
// library's own process would see SysWOW64 in place of System32.
//
//   ZeVaru64.exe DeleteFile "<full path>"
//
// A file in use is scheduled for deletion at the next restart. Exit codes: 0 deleted,
// 1 bad command line, 2 no such file, 3 in use and scheduled for the restart, 4 neither.
#include <windows.h>

#include <shellapi.h>

namespace {

enum ExitCode : int {
    EXIT_DELETED = 0,
    EXIT_USAGE = 1,
    EXIT_NOT_FOUND = 2,
    EXIT_SCHEDULED = 3,
    EXIT_FAILED = 4,
};

int DeleteNamedFile(const wchar_t* pwszPath)
{
    // The library resets the attributes too, but a read-only file named by anyone else must
    // go as well.
    SetFileAttributesW(pwszPath, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileW(pwszPath))
        return EXIT_DELETED;
    DWORD dwErr = GetLastError();
    if (dwErr == ERROR_FILE_NOT_FOUND || dwErr == ERROR_PATH_NOT_FOUND)
        return EXIT_NOT_FOUND;
    // Only a file, never a folder: a folder named here is no file to delete.
    DWORD dwAttr = GetFileAttributesW(pwszPath);
    if (dwAttr != INVALID_FILE_ATTRIBUTES && (dwAttr & FILE_ATTRIBUTE_DIRECTORY))
        return EXIT_FAILED;
    if (MoveFileExW(pwszPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        return EXIT_SCHEDULED;
    return EXIT_FAILED;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    int nArgs = 0;
    LPWSTR* ppArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    if (!ppArgs)
        return EXIT_USAGE;
    int nResult = EXIT_USAGE;
    if (nArgs == 3 && lstrcmpiW(ppArgs[1], L"DeleteFile") == 0 && ppArgs[2][0])
        nResult = DeleteNamedFile(ppArgs[2]);
    LocalFree(ppArgs);
    return nResult;
}
