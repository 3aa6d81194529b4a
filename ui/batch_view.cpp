#include "ui/batch_view.h"

#include <commctrl.h>
#include <shobjidl.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/win_handles.h"
#include "conversion/batch.h"
#include "common/file_probes.h"
#include "conversion/file_system.h"
#include "conversion/run_and_wait.h"
#include "ui/list_box.h"

namespace ui {
namespace {

// The taskbar button mirrors the progress bar where the system offers it.
class TaskbarProgress {
public:
    explicit TaskbarProgress(HWND window) : window_(window) {
        ITaskbarList3* created = nullptr;
        if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                       reinterpret_cast<void**>(&created))))
            list_.reset(created);
        if (list_ && FAILED(list_.get()->HrInit())) list_.reset();
    }
    ~TaskbarProgress() {
        if (list_) list_.get()->SetProgressState(window_, TBPF_NOPROGRESS);
    }
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;

    void Show(int value, int maximum) {
        if (list_ && maximum > 0) list_.get()->SetProgressValue(window_, value, maximum);
    }

private:
    HWND window_;
    win::unique_com<ITaskbarList3> list_;
};

// One thing the batch reported, in the order it reported it.
struct Report {
    enum Kind { Append, AppendFile, Replace, Range, Value } kind;
    std::wstring line;
    int number = 0;
    conversion::LineFile file;
};

}  // namespace

// What the worker and the window share while one batch runs.
struct BatchView::Batch final : conversion::BatchHost {
    explicit Batch(const BatchWindow& shown)
        : window(shown.window),
          status(shown.statusLog),
          progress(shown.progressBar),
          folder(shown.workingFolder),
          fileLine(shown.fileLine),
          taskbar(shown.window),
          stopNow(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

    // On the worker: the file system directly, the window through reports.
    bool FileExists(const std::wstring& path) override { return common::FileExists(path); }
    bool FolderExists(const std::wstring& path) override { return common::FolderExists(path); }
    bool RemoveFile(const std::wstring& path) override {
        return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    bool SameFile(const std::wstring& source, const std::wstring& destination) override {
        return conversion::SameFile(source, destination);
    }
    std::wstring PathKey(const std::wstring& path) override { return conversion::PathKey(path); }
    conversion::RunResult Run(const std::wstring& commandLine) override {
        // Made at the first run, so that a batch that starts no converter makes none.
        if (!console) console.emplace();
        return conversion::RunAndWait(commandLine, stopNow.get(), folder, &*console);
    }
    bool StopRequested() override { return stops > 0; }
    void AppendLine(const std::wstring& line) override { Post({Report::Append, line, 0, {}}); }
    void AppendFileLine(const std::wstring& line, const conversion::LineFile& file) override {
        Post({Report::AppendFile, line, 0, file});
    }
    void ReplaceLastLine(const std::wstring& line, const conversion::LineFile& file) override {
        Post({Report::Replace, line, 0, file});
    }
    void SetProgressRange(int maximum) override { Post({Report::Range, {}, maximum, {}}); }
    void SetProgressValue(int value) override { Post({Report::Value, {}, value, {}}); }

    // The window takes what waits on its timer: shown the moment they come, the
    // lines of a batch of quick files would cost the machine as much as the files.
    void Post(Report report) {
        const std::lock_guard lock(mutex);
        reports.push_back(std::move(report));
    }
    void Finish() {
        const std::lock_guard lock(mutex);
        finished = true;
        PostMessageW(window, WM_BATCH_PROGRESS, 0, 0);
    }

    // On the window's thread.
    bool Show() {
        std::vector<Report> taken;
        bool ended;
        int value = -1;
        {
            const std::lock_guard lock(mutex);
            taken.swap(reports);
            ended = finished;
        }
        if (taken.empty()) return ended;  // nothing new: nothing drawn
        // Drawn once for all the reports: a visible list draws its scroll bars anew at every line.
        status.HoldDrawing();
        for (const Report& report : taken) {
            switch (report.kind) {
                case Report::Append: status.AppendLine(report.line); break;
                case Report::AppendFile:
                    status.AppendLine(report.line);
                    if (fileLine) fileLine(status.Count() - 1, report.file);
                    break;
                case Report::Replace:
                    status.ReplaceLast(report.line);
                    if (fileLine) fileLine(status.Count() - 1, report.file);
                    break;
                case Report::Range:
                    maximum = report.number;
                    SendMessageW(progress, PBM_SETRANGE32, 0, maximum);
                    break;
                case Report::Value: value = report.number; break;
            }
        }
        status.ShowLastNow();
        if (value >= 0) {  // only the last value is seen
            SendMessageW(progress, PBM_SETPOS, value, 0);
            taskbar.Show(value, maximum);
            UpdateWindow(progress);
        }
        return ended;
    }

    HWND window;
    ListBox status;
    HWND progress;
    std::wstring folder;
    std::optional<conversion::SharedConsole> console;  // on the worker: made and ended there
    std::function<void(int, const conversion::LineFile&)> fileLine;
    TaskbarProgress taskbar;
    int maximum = 0;
    std::atomic<int> stops{0};
    win::unique_handle stopNow;  // set by the second stop
    std::mutex mutex;
    std::vector<Report> reports;
    bool finished = false;
    std::thread thread;
};

BatchView::BatchView() = default;

BatchView::~BatchView() {
    if (!run_) return;
    run_->stops = 2;
    SetEvent(run_->stopNow.get());
    run_->thread.join();
}

void BatchView::Start(const BatchWindow& shown, std::function<void(conversion::BatchHost&)> batch) {
    auto run = std::make_unique<Batch>(shown);
    run->thread = std::thread([&run = *run, batch = std::move(batch)] {
        try {
            batch(run);
        } catch (...) {
            // Only memory can run out here; the batch ends, and says so.
            run.Post({Report::Append, L"Conversion failed: out of memory", 0, {}});
        }
        run.console.reset();
        run.Finish();
    });
    run_ = std::move(run);
}

bool BatchView::Running() const { return run_ != nullptr; }

int BatchView::Stop() {
    if (!run_) return 0;
    const int stops = ++run_->stops;
    if (stops >= 2) SetEvent(run_->stopNow.get());
    return stops;
}

int BatchView::Stops() const { return run_ ? run_->stops.load() : 0; }

bool BatchView::ShowProgress() {
    if (!run_ || !run_->Show()) return false;
    run_->thread.join();
    // Someone working in another window learns that the batch is over.
    if (GetForegroundWindow() != run_->window) {
        FLASHWINFO flash{sizeof flash, run_->window, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
        FlashWindowEx(&flash);
    }
    run_.reset();
    return true;
}

}  // namespace ui
