// The file operations of the Windows tool. The folder listing is the library's own
// (GetJxpFileListFromDirectory), so `list` shows what the driver's dialogs offer.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "api/exports.h"
#include "core/holders.h"
#include "core/lmprofjxp.h"
#include "file_access.h"

namespace {

std::string ErrorText(const char* pszWhat, DWORD dwError)
{
    return std::string(pszWhat) + " (error " + std::to_string(dwError) + ")";
}

}  // namespace

void PrepareOutput()
{
    fflush(stdout);
    fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* pOut, std::string* pWhy)
{
    AutoFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        *pWhy = ErrorText("cannot open", GetLastError());
        return false;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) {
        *pWhy = ErrorText("cannot read", GetLastError());
        return false;
    }
    if (uint64_t(size.QuadPart) >= MAX_READ_BYTES) {
        *pWhy = "too large (" + std::to_string(size.QuadPart) + " bytes)";
        return false;
    }
    pOut->resize(size_t(size.QuadPart));
    DWORD cbRead = 0;
    if (!pOut->empty() && (!ReadFile(file.Get(), pOut->data(), DWORD(pOut->size()), &cbRead, nullptr) ||
                           cbRead != pOut->size())) {
        *pWhy = ErrorText("cannot read", GetLastError());
        return false;
    }
    return true;
}

bool IsFolder(const std::string& path)
{
    DWORD dwAttributes = GetFileAttributesA(path.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> ProfileFilesOf(const std::string& folder)
{
    int n = GetJxpFileListFromDirectory(folder.c_str(), nullptr, 0);
    std::vector<char> cells(size_t(n > 0 ? n : 1) * FILE_NAME_CELL);
    n = GetJxpFileListFromDirectory(folder.c_str(), cells.data(), n);
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i)
        names.push_back(&cells[size_t(i) * FILE_NAME_CELL]);
    return names;
}

std::string PathInFolder(const std::string& folder, const std::string& name)
{
    return folder + "\\" + name;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* pWhy)
{
    // The new file lies in the target's folder, so taking the name is a rename on one volume.
    std::string folder = ".";
    size_t nSlash = path.find_last_of("\\/");
    if (nSlash != std::string::npos)
        folder = nSlash == 0 ? path.substr(0, 1) : path.substr(0, nSlash);
    else if (path.size() >= 2 && path[1] == ':')
        folder = path.substr(0, 2);
    // GetTempFileNameA tells a missing folder as ERROR_DIRECTORY; a file's creation as
    // ERROR_PATH_NOT_FOUND, which is what the user meets here.
    if (!IsFolder(folder)) {
        *pWhy = ErrorText("cannot create", ERROR_PATH_NOT_FOUND);
        return false;
    }
    char szTemp[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "lmp", 0, szTemp)) {
        *pWhy = ErrorText("cannot create", GetLastError());
        return false;
    }
    AutoFile file(CreateFileA(szTemp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD cbWritten = 0;
    bool bOk = file.Get() != INVALID_HANDLE_VALUE &&
               (bytes.empty() || (WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &cbWritten, nullptr) &&
                                  cbWritten == bytes.size()));
    DWORD dwError = GetLastError();
    bOk = file.Close() && bOk;
    if (bOk) {
        // Windows 9x has no MoveFileExA: the old file is deleted first there.
        bOk = MoveFileExA(szTemp, path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
        dwError = GetLastError();
        if (!bOk && dwError == ERROR_CALL_NOT_IMPLEMENTED) {
            DeleteFileA(path.c_str());
            bOk = MoveFileA(szTemp, path.c_str()) != FALSE;
            dwError = GetLastError();
        }
    }
    if (!bOk) {
        DeleteFileA(szTemp);
        *pWhy = ErrorText("cannot write", dwError);
    }
    return bOk;
}
