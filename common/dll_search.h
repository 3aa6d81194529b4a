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

// A function of a DLL in the system folder, which is loaded when first asked:
// what the window's first paint does not need is not imported, so the program
// starts without loading it. Null when it is not there.
template <typename Function>
Function SystemFunction(const wchar_t* dll, const char* name) {
    const HMODULE module = LoadSystemLibrary(dll);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace common

// Within a function: `name` stands for the system function of that name in
// `dll`, found at the first call.
#define KARVEL_SYSTEM_FUNCTION(dll, name) static const auto name = common::SystemFunction<decltype(&::name)>(dll, #name)
