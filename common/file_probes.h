#pragma once
// Asking the file system what is there, and where this program lies. Windows only.
#include <string>

#include "common/presence.h"

namespace common {

// The full path (relative to the current folder, with . and .. resolved); empty on failure.
std::wstring FullPath(const std::wstring& path);
// The path as the file functions take it at any length: a full path in the
// \\?\ form from 260 characters on (the program is long-path aware, but
// Windows honours that only where a policy allows it); a shorter one as it is.
std::wstring SystemPath(const std::wstring& path);

// True only for an existing folder; never creates or removes anything.
bool FolderExists(const std::wstring& path);
// True only for an existing file (not a folder).
bool FileExists(const std::wstring& path);
// Whether anything is there: absent only on the system's "not found".
Presence PathPresence(const std::wstring& path);
// Deletes a file; true once it is gone, also when it was never there.
bool RemoveFile(const std::wstring& path);
// An existing path with the short (8.3) names of what it passes through, where
// the volume keeps them; empty when the system gives none.
std::wstring ShortPath(const std::wstring& path);

// Folder of this program's executable, without a trailing backslash.
std::wstring ToolFolder();
// The process's current folder.
std::wstring CurrentFolder();
// The user's folder for temporary files, without a trailing backslash; empty when the system cannot say.
std::wstring TemporaryFolder();
// The system folder (System32, or SysWOW64 for a 32-bit program on 64-bit
// Windows), without a trailing backslash; empty when the system cannot say.
std::wstring SystemFolder();

}  // namespace common
