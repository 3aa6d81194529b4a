#pragma once
// Starting the converter and waiting for it to end. Windows only.
#include <windows.h>

#include <string>

#include "conversion/batch.h"

namespace conversion {

// One console without a window, shared by the converters of a batch: each
// would otherwise get one of its own, a console host process per file. While
// it lives, this process is attached to it (a console program keeps its own).
class SharedConsole {
public:
    SharedConsole();
    ~SharedConsole();
    SharedConsole(const SharedConsole&) = delete;
    SharedConsole& operator=(const SharedConsole&) = delete;
    // False when none could be had: each converter then gets a console of its own, without a window.
    bool Ready() const { return ready_; }

private:
    bool ready_ = false, attached_ = false;
};

// Starts the command line hidden (its first quoted token is the program) in
// `folder` (the current one when empty) and waits for it to end, reading its
// standard output and error meanwhile through one pipe; its standard input is
// at its end at once. It inherits no other handle. It shares `console` when
// that is ready. A start that fails is tried again for up to 2 s, unless the
// program is missing or is no program. Once `stopNow` is signalled, the
// process and every process it started are ended at once.
RunResult RunAndWait(const std::wstring& commandLine, HANDLE stopNow = nullptr, const std::wstring& folder = {},
                     const SharedConsole* console = nullptr);

}  // namespace conversion
