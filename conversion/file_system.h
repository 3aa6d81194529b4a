#pragma once
// Probes and process launch on the real Windows file system. Windows only.
#include <windows.h>

#include <string>

#include "conversion/batch.h"

namespace conversion {

// True only for an existing folder; never creates or removes anything.
bool FolderExists(const std::wstring& path);
// True only for an existing file (not a folder).
bool FileExists(const std::wstring& path);
// See BatchHost::SameFile and BatchHost::PathKey.
bool SameFile(const std::wstring& source, const std::wstring& destination);
std::wstring PathKey(const std::wstring& path);

// Starts the command line hidden (its first quoted token is the program) and
// waits for it to end, reading its standard output and error meanwhile through
// one pipe, the only handle it inherits. Once `stopNow` is signalled, the
// process and every process it started are ended at once.
RunResult RunAndWait(const std::wstring& commandLine, HANDLE stopNow = nullptr);

// Folder of this program's executable, without a trailing backslash.
std::wstring ToolFolder();

}  // namespace conversion
