// Installation files for the INI tests, written at run time from exact bytes (8-bit text in a
// given code page, UTF-16 little- or big-endian) into a folder of their own.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class IniScratch {
public:
    IniScratch()
    {
        static int s_nCounter = 0;
        char szTemp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, szTemp);
        m_folder = std::string(szTemp) + "lmini_" + std::to_string(GetCurrentProcessId()) + "_" +
                   std::to_string(++s_nCounter);
        CreateDirectoryA(m_folder.c_str(), nullptr);
        m_folders.push_back(m_folder);
    }
    ~IniScratch()
    {
        for (auto it = m_files.rbegin(); it != m_files.rend(); ++it)
            DeleteFileA(it->c_str());
        for (auto it = m_folders.rbegin(); it != m_folders.rend(); ++it)
            RemoveDirectoryA(it->c_str());
    }
    IniScratch(const IniScratch&) = delete;
    IniScratch& operator=(const IniScratch&) = delete;

    const std::string& Folder() const { return m_folder; }
    std::string Path(const std::string& rel) const { return m_folder + "\\" + rel; }

    // Writes the bytes to the folder-relative path (sub-folders are created) and answers the
    // full path.
    std::string Write(const std::string& rel, const std::string& bytes)
    {
        std::string path = Path(rel);
        // Names may hold double-byte characters of the user's code page, whose trail byte
        // can be "\\".
        for (size_t i = m_folder.size() + 1; i < path.size(); ++i) {
            if (IsDBCSLeadByte(BYTE(path[i])) && i + 1 < path.size()) {
                ++i;
                continue;
            }
            if (path[i] == '\\' && CreateDirectoryA(path.substr(0, i).c_str(), nullptr))
                m_folders.push_back(path.substr(0, i));
        }
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD cb = 0;
            WriteFile(h, bytes.data(), DWORD(bytes.size()), &cb, nullptr);
            CloseHandle(h);
            m_files.push_back(path);
        }
        return path;
    }

private:
    std::string m_folder;
    std::vector<std::string> m_files;
    std::vector<std::string> m_folders;
};

// UTF-16 bytes of a text, little-endian with the mark FF FE unless told otherwise.
inline std::string Utf16Bytes(const std::wstring& text, bool bBigEndian = false, bool bMark = true)
{
    std::string bytes;
    std::wstring all = bMark ? L"\xFEFF" + text : text;
    for (wchar_t c : all) {
        char lo = char(c & 0xFF), hi = char((c >> 8) & 0xFF);
        bytes += bBigEndian ? hi : lo;
        bytes += bBigEndian ? lo : hi;
    }
    return bytes;
}

inline std::wstring Widen(const std::string& text, UINT uCodePage = CP_ACP)
{
    std::wstring out(text.size() + 1, L'\0');
    int n = MultiByteToWideChar(uCodePage, 0, text.data(), int(text.size()), &out[0], int(out.size()));
    out.resize(n > 0 ? size_t(n) : 0);
    return out;
}

// Writes a text in a byte array whose every byte outside [0, cch) is a marker, so a test sees
// any write beyond the room it gave.
template <class T>
struct GuardedBuffer {
    static constexpr size_t GUARD = 64;
    std::vector<T> cells;
    size_t cch;
    explicit GuardedBuffer(size_t n) : cells(n + GUARD, T(0x5A)), cch(n) {}
    T* Get() { return cells.data(); }
    bool GuardIntact() const
    {
        for (size_t i = cch; i < cells.size(); ++i) {
            if (cells[i] != T(0x5A))
                return false;
        }
        return true;
    }
};
