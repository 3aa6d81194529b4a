#pragma once
// Starting the converter and waiting for it to end. Windows only.
#include <windows.h>

#include <functional>
#include <string>

#include "conversion/batch.h"
#include "conversion/start_retries.h"

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

// What a run watches, and where it runs.
struct RunOptions {
    HANDLE stop = nullptr;                   // the first Stop: a converter not yet let run is not started
    HANDLE stopNow = nullptr;                // "Stop now": the converter and every process it started are ended at once
    std::wstring folder{};                   // where it runs; the current folder when empty
    const SharedConsole* console = nullptr;  // shared when ready
    StartRetries* retries = nullptr;         // the batch's; without them, a run's own two seconds
    std::function<void()> created{};         // for tests: once the converter exists, before it runs
    std::wstring application{};              // the program by its real path; else the command line's first token
};

// Starts the command line hidden (its first quoted token is the program) and
// waits for it to end, reading its standard output and error meanwhile
// through one pipe; its standard input is at its end at once. It inherits no
// other handle. A refused start is tried again as the retries allow. A stop
// that comes before the converter runs starts none.
RunResult RunAndWait(const std::wstring& commandLine, const RunOptions& options = {});

}  // namespace conversion
