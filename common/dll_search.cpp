#include "common/dll_search.h"

#include <windows.h>

#include <string>

#include "common/file_probes.h"

namespace common {

void LoadDllsFromTheSystemFolderOnly() {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories) setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    const std::wstring system = SystemFolder();
    return system.empty() ? nullptr : LoadLibraryW((system + L"\\" + name).c_str());
}

}  // namespace common
