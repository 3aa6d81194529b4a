#pragma once
// A batch as the window shows it. The batch runs on a worker thread; its log
// lines and progress values come back to the window's own thread, which shows
// them in the status log, the progress bar and the taskbar button. Windows only.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "common/file_probes.h"
#include "conversion/batch.h"

namespace ui {

// Posted to the window when the batch has ended; what it reports meanwhile the
// window takes a few times a second.
inline constexpr UINT WM_BATCH_PROGRESS = WM_APP + 1;
// Each look redraws the log, some 10 ms of CPU under Wine: four a second keep it
// live without taking that from the converters on every file.
inline constexpr UINT kBatchShowMilliseconds = 250;

// Whether a file or a folder is there, as a batch and "Open containing folder" ask; replaceable by tests.
struct Probes {
    std::function<bool(const std::wstring&)> folderExists = &common::FolderExists, fileExists = &common::FileExists;
};

// The window a batch is shown in.
struct BatchWindow {
    HWND window, statusLog, progressBar;
    std::wstring workingFolder;  // where the converter runs; empty for this process's current folder
    Probes probes;
    // Called, on the window's thread, for each log line that tells of an entry, once it is shown.
    std::function<void(int line, const conversion::LineFile& file)> fileLine;
    // Called with true when the batch starts and with false when it is over, however it ends.
    std::function<void(bool running)> running;
    // What the batch has done and has to go, as the tooltips say it; called when it changes.
    std::function<void(const std::wstring& text)> progressText;
};

class BatchView {
public:
    BatchView();
    // A batch still running is ended: the converter at once, then the worker.
    ~BatchView();
    BatchView(const BatchView&) = delete;
    BatchView& operator=(const BatchView&) = delete;

    // Runs `batch` on a worker thread, shown in `shown`. Throws std::system_error
    // when no thread can be started; nothing runs then.
    void Start(const BatchWindow& shown, std::function<void(conversion::BatchHost&)> batch);
    bool Running() const;
    // The first stop lets the current file finish and starts no further one;
    // the second ends the converter at once. Returns how many there have been.
    int Stop();
    int Stops() const;
    // On WM_BATCH_PROGRESS, and every kBatchShowMilliseconds: shows what the batch reported. True when it has ended.
    bool ShowProgress();
    // Ends the batch as a second stop does and waits, at most `limit`, for the
    // worker to deal with what the converter left; then its last lines are
    // shown. True when it has ended. For the end of the Windows session.
    bool EndNow(DWORD limit);

private:
    // Both stops at once; StopAndWait is back once the worker has ended.
    void StopNow();
    void StopAndWait();
    struct Batch;  // what the worker thread and the window share while one batch runs
    std::unique_ptr<Batch> run_;
};

}  // namespace ui
