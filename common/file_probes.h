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

}  // namespace common
