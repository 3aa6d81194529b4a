#pragma once
// What the program sets for its process before anything else. Windows only.
#include <windows.h>

namespace common {

// No system box for a critical error (an empty drive), a crash or a missing
// DLL: a batch nobody watches would wait on it. Converters inherit it.
inline constexpr UINT kQuietErrorMode = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;

// DLLs from the system folder only, and the quiet error mode.
void PrepareProcess();

}  // namespace common
