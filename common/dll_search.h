#pragma once
// Where the DLLs that the system loads for this program may come from. Windows only.

#include <windows.h>

namespace common {

// From the system folder alone, never from the program's folder or the current
// one, where any file may lie (a Downloads folder). Called before anything
// else; where Windows lacks the call (Windows 7 without its 2011 update) only
// the current folder is taken off the search.
void LoadDllsFromTheSystemFolderOnly();

// A DLL loaded by its full path in the system folder, and kept loaded; null
// when it is not there (an older Windows). For DLLs that are not known DLLs,
// which the program does not import for that reason.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace common
