#pragma once
// Starting the converter and waiting for it to end. Windows only.
#include <windows.h>

#include <string>

#include "conversion/batch.h"

namespace conversion {

// Starts the command line hidden (its first quoted token is the program) in
// `folder` (the current one when empty) and waits for it to end, reading its
// standard output and error meanwhile through one pipe, the only handle it
// inherits. A start that fails is tried again for up to 2 s, unless the
// program is missing or is no program. Once `stopNow` is signalled, the
// process and every process it started are ended at once.
RunResult RunAndWait(const std::wstring& commandLine, HANDLE stopNow = nullptr, const std::wstring& folder = {});

}  // namespace conversion
