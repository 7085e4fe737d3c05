// The file operations of the native tool. Errors are told with the numbers Windows gives for the
// same situation, and folders are listed in the order the Windows tool lists them, so the two
// tools print the same lines.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file_access.h"

namespace {

// Windows' number for an errno, as CreateFile would have failed: 2 no such file, 3 a folder of
// the path missing, 5 access denied (a folder opened as a file among them).
std::string ErrorText(const char* pszWhat, int nErrno, const std::string& path)
{
    int nWindows;
    switch (nErrno) {
    case ENOENT: {
        size_t nSlash = path.find_last_of('/');
        std::string folder = nSlash == std::string::npos ? "." : nSlash == 0 ? "/" : path.substr(0, nSlash);
        struct stat st;
        nWindows = stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? 2 : 3;
        break;
    }
    case ENOTDIR: nWindows = 3; break;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: nWindows = 5; break;
    case ENAMETOOLONG: nWindows = 206; break;
    case ENOSPC: nWindows = 112; break;
    default:
        return std::string(pszWhat) + " (" + strerror(nErrno) + ")";
    }
    return std::string(pszWhat) + " (error " + std::to_string(nWindows) + ")";
}

// Closes the descriptor when the holder goes out of scope.
class AutoFd {
public:
    explicit AutoFd(int fd) : m_fd(fd) {}
    ~AutoFd()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    AutoFd(const AutoFd&) = delete;
    AutoFd& operator=(const AutoFd&) = delete;
    int Get() const { return m_fd; }
    bool Close()
    {
        int n = close(m_fd);
        m_fd = -1;
        return n == 0;
    }

private:
    int m_fd;
};

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Wine lists a folder by name compared without case, then with case; Windows' NTFS does the same
// for the names people give profile files.
bool ListedBefore(const std::string& a, const std::string& b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = UpperAscii(a[i]), cb = UpperAscii(b[i]);
        if (ca != cb)
            return ca < cb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

bool EndsWithJxp(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail)
        c = UpperAscii(c);
    return tail == ".JXP";
}

}  // namespace

void PrepareOutput()
{
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* pOut, std::string* pWhy)
{
    AutoFd fd(open(path.c_str(), O_RDONLY));
    if (fd.Get() < 0) {
        *pWhy = ErrorText("cannot open", errno, path);
        return false;
    }
    struct stat st;
    if (fstat(fd.Get(), &st) != 0) {
        *pWhy = ErrorText("cannot read", errno, path);
        return false;
    }
    // Windows refuses to open a folder as a file.
    if (S_ISDIR(st.st_mode)) {
        *pWhy = ErrorText("cannot open", EISDIR, path);
        return false;
    }
    if (uint64_t(st.st_size) >= MAX_READ_BYTES) {
        *pWhy = "too large (" + std::to_string(st.st_size) + " bytes)";
        return false;
    }
    pOut->resize(size_t(st.st_size));
    size_t nDone = 0;
    while (nDone < pOut->size()) {
        ssize_t n = read(fd.Get(), pOut->data() + nDone, pOut->size() - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *pWhy = ErrorText("cannot read", n < 0 ? errno : EIO, path);
            return false;
        }
        nDone += size_t(n);
    }
    return true;
}

bool IsFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> ProfileFilesOf(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* pDir = opendir(folder.c_str());
    if (!pDir)
        return names;
    while (const dirent* pEntry = readdir(pDir)) {
        std::string name = pEntry->d_name;
        if (EndsWithJxp(name))
            names.push_back(name);
    }
    closedir(pDir);
    std::sort(names.begin(), names.end(), ListedBefore);
    return names;
}

std::string PathInFolder(const std::string& folder, const std::string& name)
{
    return folder + "/" + name;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* pWhy)
{
    // The new file lies in the target's folder, so taking the name is a rename on one file system.
    std::string temp = path + ".XXXXXX";
    AutoFd fd(mkstemp(&temp[0]));
    if (fd.Get() < 0) {
        *pWhy = ErrorText("cannot create", errno, path);
        return false;
    }
    // mkstemp makes the file private; the profile file gets the permissions any new file gets.
    mode_t mask = umask(0);
    umask(mask);
    bool bOk = fchmod(fd.Get(), 0666 & ~mask) == 0;
    size_t nDone = 0;
    while (bOk && nDone < bytes.size()) {
        ssize_t n = write(fd.Get(), bytes.data() + nDone, bytes.size() - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        bOk = n > 0;
        if (bOk)
            nDone += size_t(n);
    }
    int nError = errno;
    bOk = fd.Close() && bOk;
    if (bOk) {
        bOk = rename(temp.c_str(), path.c_str()) == 0;
        nError = errno;
    }
    if (!bOk) {
        unlink(temp.c_str());
        *pWhy = ErrorText("cannot write", nError ? nError : EIO, path);
    }
    return bOk;
}
