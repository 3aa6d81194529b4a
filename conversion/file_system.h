#pragma once
// Probes and process launch on the real Windows file system. Windows only.
#include <string>
#include "conversion/batch.h"

namespace conversion {

// True only for an existing folder; never creates or removes anything.
bool FolderExists(const std::wstring& path);
// True only for an existing file (not a folder).
bool FileExists(const std::wstring& path);
// See BatchHost::SameFile.
bool SameFile(const std::wstring& source, const std::wstring& destination);

// Called while RunAndWait waits whenever messages arrive for this thread. It
// must take every waiting message off the queue, or the wait wakes at once again.
using MessagePump = void (*)();

// Starts the command line hidden (its first quoted token is the program) and
// waits for it to end. With a pump, the wait wakes for messages and calls it.
// Reports whether the process started and, if so, its exit code.
RunResult RunAndWait(const std::wstring& commandLine, MessagePump pump = nullptr);

// Folder of this program's executable, without a trailing backslash.
std::wstring ToolFolder();

}  // namespace conversion
