#pragma once
// Where the DLLs that the system loads for this program may come from. Windows only.

namespace common {

// From the system folder alone, never from the program's folder or the current
// one, where any file may lie (a Downloads folder). Called before anything
// else; where Windows lacks the call (Windows 7 without its 2011 update) only
// the current folder is taken off the search.
void LoadDllsFromTheSystemFolderOnly();

}  // namespace common
