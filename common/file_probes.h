#pragma once
// Asking the file system what is there, and where this program lies. Windows only.
#include <string>

namespace common {

// True only for an existing folder; never creates or removes anything.
bool FolderExists(const std::wstring& path);
// True only for an existing file (not a folder).
bool FileExists(const std::wstring& path);

// Folder of this program's executable, without a trailing backslash.
std::wstring ToolFolder();
// The process's current folder.
std::wstring CurrentFolder();
// The system folder (System32, or SysWOW64 for a 32-bit program on 64-bit
// Windows), without a trailing backslash; empty when the system cannot say.
std::wstring SystemFolder();

}  // namespace common
