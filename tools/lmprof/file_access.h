// The few file operations the file commands need, one implementation per system
// (file_access_win32.cpp, native/file_access_posix.cpp). Their messages are the same on both:
// an error is reported with the Windows error number (2 no such file, 3 no such folder, 5 access
// denied), so the Windows and the native tool print the same lines for the same files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Files are read whole; a profile file is a few kilobytes, and none comes near this.
constexpr uint64_t MAX_READ_BYTES = uint64_t(1) << 30;

// Standard output and error carry exactly the bytes printed: on Windows they are switched out
// of text mode, so both tools print lines ending in LF and `show --json` gives the same file.
void PrepareOutput();

// The whole file, or false with "PATH: cannot open (error N)" and the like.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* pOut, std::string* pWhy);

bool IsFolder(const std::string& path);

// The names of a folder's profile files in the order Windows lists them (by name, letters
// compared without their case).
std::vector<std::string> ProfileFilesOf(const std::string& folder);
std::string PathInFolder(const std::string& folder, const std::string& name);

// Writes the file whole or not at all: the bytes go to a new file beside it, which then takes the
// name. False with the reason, and nothing of the new bytes left behind.
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* pWhy);
