#include "ui/batch_view.h"

#include <commctrl.h>
#include <shobjidl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "common/file_probes.h"
#include "common/system_code_page.h"
#include "common/win_handles.h"
#include "conversion/batch.h"
#include "conversion/file_system.h"
#include "conversion/run_and_wait.h"
#include "ui/list_box.h"
#include "ui/progress_text.h"

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
    void Tooltip(const std::wstring& text) {
        if (list_) list_.get()->SetThumbnailTooltip(window_, text.c_str());
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
    explicit Batch(const BatchWindow& window)
        : shown(window),
          status(window.statusLog),
          taskbar(window.window),
          stop(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          stopNow(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        // Without them a batch could neither be stopped nor be seen to end: it is not started.
        if (!stop || !stopNow || !done)
            throw std::system_error(static_cast<int>(GetLastError()), std::system_category());
        if (shown.running) shown.running(true);
    }
    ~Batch() override {
        if (shown.running) shown.running(false);
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    // On the worker: the file system directly, the window through reports.
    bool FileExists(const std::wstring& path) override { return shown.probes.fileExists(path); }
    bool FolderExists(const std::wstring& path) override { return shown.probes.folderExists(path); }
    conversion::FileState DestinationState(const std::wstring& path) override { return conversion::StateOf(path); }
    Reservation Reserve(const std::wstring& path) override { return conversion::Reserve(path); }
    bool RemoveFile(const std::wstring& path) override { return common::RemoveFile(path); }
    std::wstring RemoveTemporary(const std::wstring& path) override { return conversion::RemoveTemporary(path); }
    // "Stop now" and the end of the session cut a copy short; the first Stop lets it finish.
    conversion::FileStep CopyForConverter(const std::wstring& source, const std::wstring& copy) override {
        return conversion::CopyForConverter(source, copy, stopNow.get());
    }
    conversion::FileStep MoveIntoPlace(const conversion::Placement& placement) override {
        return conversion::MoveIntoPlace(placement, stopNow.get());
    }
    bool SameFile(const std::wstring& source, const std::wstring& destination,
                  const conversion::FileState& destinationState) override {
        return conversion::SameFile(source, destination, destinationState);
    }
    std::wstring PathKey(const std::wstring& path) override { return conversion::PathKey(path); }
    const common::CodePage& ConverterCodePage() override { return common::AnsiCodePage(); }
    std::wstring ShortPath(const std::wstring& path) override { return common::ShortPath(path); }
    std::wstring TemporaryFolder() override { return common::TemporaryFolder(); }
    std::uint32_t TemporaryNumber() override { return temporaryNumbers(); }
    // Each converter is waited for on a thread of its own: a wait takes at most 64 handles, and one flooding
    // converter's output is read without holding up the others. A thread whose converter has ended takes the
    // next one: under Wine a new thread costs about 1.5 ms of CPU, a good part of what the tool spends on a file.
    void StartRun(int entry, const conversion::ConverterCall& call) override {
        // Made at the first run, so that a batch that starts no converter makes none.
        if (!console) console.emplace();
        ++runningNow;
        const std::lock_guard lock(startMutex);
        if (idleRunners > 0)
            --idleRunners;  // one of them takes it
        else
            runners.emplace_back([this] { TakeRuns(); });
        starts.emplace_back(entry, call);
        startsChanged.notify_one();
    }
    void TakeRuns() {
        std::unique_lock lock(startMutex);
        for (;;) {
            startsChanged.wait(lock, [&] { return !starts.empty() || runnersEnd; });
            if (starts.empty()) return;
            const auto [entry, call] = std::move(starts.front());
            starts.pop_front();
            lock.unlock();
            conversion::RunResult result;
            try {
                result = conversion::RunAndWait(
                    call.CommandLine(),
                    {stop.get(), stopNow.get(), shown.workingFolder, &*console, &retries, {}, call.application});
            } catch (...) { result.failure = L"out of memory"; }
            lock.lock();
            ++idleRunners;  // before the batch hears of the end: the start that follows finds this thread
            lock.unlock();
            {
                const std::lock_guard ended(endedMutex);
                finishedRuns.emplace_back(entry, std::move(result));
                --runningNow;
                endedChanged.notify_one();
            }
            lock.lock();
        }
    }
    std::pair<int, conversion::RunResult> NextEnded() override {
        std::unique_lock lock(endedMutex);
        endedChanged.wait(lock, [&] { return !finishedRuns.empty(); });
        auto next = std::move(finishedRuns.front());
        finishedRuns.erase(finishedRuns.begin());
        return next;
    }
    void EndRuns() override {
        SetEvent(stop.get());
        SetEvent(stopNow.get());
    }
    // Every converter started has ended once this returns.
    void JoinRuns() {
        {
            const std::lock_guard lock(startMutex);
            runnersEnd = true;
        }
        startsChanged.notify_all();
        for (std::thread& runner : runners) runner.join();
        runners.clear();
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
        SetEvent(done.get());
        PostMessageW(shown.window, WM_BATCH_PROGRESS, 0, 0);
    }

    // On the window's thread.
    bool Show() {
        std::vector<Report> taken;
        bool ended;
        {
            const std::lock_guard lock(mutex);
            taken.swap(reports);
            ended = WaitForSingleObject(done.get(), 0) == WAIT_OBJECT_0;
        }
        if (!taken.empty()) Apply(taken);  // nothing new: nothing drawn
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        std::wstring text =
            ended ? FinishedText(reached, maximum, elapsed) : RunningText(current, maximum, elapsed, runningNow);
        if (text != shownText) {
            shownText = std::move(text);
            taskbar.Tooltip(shownText);
            if (shown.progressText) shown.progressText(shownText);
        }
        return ended;
    }

    void Apply(const std::vector<Report>& taken) {
        int value = -1;
        {
            // Drawn once for all the reports: a visible list draws its scroll bars anew at every line.
            const LogUpdate update(status);
            for (const Report& report : taken) {
                switch (report.kind) {
                    case Report::Append: status.AppendLine(report.line); break;
                    case Report::AppendFile:
                        status.AppendLine(report.line);
                        if (shown.fileLine) shown.fileLine(status.Count() - 1, report.file);
                        break;
                    case Report::Replace:
                        status.ReplaceLast(report.line);
                        if (shown.fileLine) shown.fileLine(status.Count() - 1, report.file);
                        break;
                    case Report::Range:
                        maximum = report.number;
                        SendMessageW(shown.progressBar, PBM_SETRANGE32, 0, maximum);
                        break;
                    case Report::Value: value = report.number; break;
                }
            }
        }
        if (value < 0) return;  // only the last value is seen
        if (value > 0) current = value, reached = std::max(reached, value);
        SendMessageW(shown.progressBar, PBM_SETPOS, value, 0);
        taskbar.Show(value, maximum);
        UpdateWindow(shown.progressBar);
    }

    const BatchWindow shown;
    ListBox status;
    std::optional<conversion::SharedConsole> console;  // on the worker: made and ended there
    std::vector<std::thread> runners;                  // on the worker: as many as have run at once
    std::mutex startMutex;
    std::condition_variable startsChanged;
    std::deque<std::pair<int, conversion::ConverterCall>> starts;  // converters to be started, first first
    int idleRunners = 0;      // runners waiting for a start that none of the starts is meant for
    bool runnersEnd = false;  // the batch is over: a runner with nothing to start ends
    std::atomic<int> runningNow{0};
    std::mutex endedMutex;
    std::condition_variable endedChanged;
    std::vector<std::pair<int, conversion::RunResult>> finishedRuns;  // converters that have ended, first first
    conversion::StartRetries retries;                                 // on the worker: one window for the batch
    std::mt19937 temporaryNumbers{std::random_device{}()};            // on the worker
    TaskbarProgress taskbar;
    const std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    int maximum = 0, current = 0, reached = 0;  // the entry being converted, and the last one reached
    std::wstring shownText;
    std::atomic<int> stops{0};
    win::unique_handle stop, stopNow;  // set by the first stop, and by the second
    std::mutex mutex;
    std::vector<Report> reports;
    // Set when the worker has finished, under the mutex: reports taken with it seen set are all there are.
    win::unique_handle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::thread thread;
};

BatchView::BatchView() = default;

// Nothing is shown: the window may be gone already.
BatchView::~BatchView() { StopAndWait(); }

void BatchView::StopNow() {
    run_->stops = 2;
    SetEvent(run_->stop.get());
    SetEvent(run_->stopNow.get());
}

void BatchView::StopAndWait() {
    if (!run_) return;
    StopNow();
    run_->thread.join();
}

bool BatchView::EndNow(DWORD limit) {
    if (!run_) return true;
    StopNow();
    run_->Show();  // what is ready is in the log before the wait
    // Without the notice the worker is still busy; the session may end this process meanwhile.
    if (WaitForSingleObject(run_->done.get(), limit) != WAIT_OBJECT_0) return false;
    return ShowProgress();
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
        run.JoinRuns();
        run.console.reset();
        run.Finish();
    });
    run_ = std::move(run);
}

bool BatchView::Running() const { return run_ != nullptr; }

int BatchView::Stop() {
    if (!run_) return 0;
    const int stops = ++run_->stops;
    SetEvent(run_->stop.get());
    if (stops >= 2) SetEvent(run_->stopNow.get());
    return stops;
}

int BatchView::Stops() const { return run_ ? run_->stops.load() : 0; }

bool BatchView::ShowProgress() {
    if (!run_ || !run_->Show()) return false;
    if (run_->thread.joinable()) run_->thread.join();
    // Someone working in another window learns that the batch is over.
    if (GetForegroundWindow() != run_->shown.window) {
        FLASHWINFO flash{sizeof flash, run_->shown.window, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
        FlashWindowEx(&flash);
    }
    run_.reset();
    return true;
}

}  // namespace ui
