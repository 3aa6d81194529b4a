#include "ui/batch_view.h"

#include <commctrl.h>
#include <shobjidl.h>

#include <optional>
#include <utility>

#include "conversion/batch.h"
#include "conversion/file_system.h"
#include "ui/list_box.h"

namespace ui {
namespace {

bool IsInputMessage(UINT msg) {
    return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
           (msg >= WM_NCMOUSEMOVE && msg <= WM_NCXBUTTONDBLCLK) || msg == WM_NCMOUSEHOVER ||
           msg == WM_NCMOUSELEAVE || msg == WM_MOUSEHOVER || msg == WM_MOUSELEAVE;
}

// A quit request taken off the queue during a batch, handed back when it ends:
// posted back at once, it would wake the wait again and again.
std::optional<int> pendingQuit;

// While the converter runs: paint and answer the system, but let no input through.
void PumpDuringBatch() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            pendingQuit = static_cast<int>(msg.wParam);
        } else if (!IsInputMessage(msg.message)) {
            DispatchMessageW(&msg);
        }
    }
}

// Input that reached the queue during a batch is dropped, not replayed.
void DiscardPendingInput() {
    MSG msg;
    const UINT ranges[][2] = {{WM_KEYFIRST, WM_KEYLAST}, {WM_MOUSEFIRST, WM_MOUSELAST},
                              {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK}};
    for (const auto& range : ranges)
        while (PeekMessageW(&msg, nullptr, range[0], range[1], PM_REMOVE)) {
        }
}

// The taskbar button mirrors the progress bar where the system offers it.
class TaskbarProgress {
public:
    explicit TaskbarProgress(HWND window) : window_(window) {
        if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                    reinterpret_cast<void**>(&list_))))
            list_ = nullptr;
        if (list_ && FAILED(list_->HrInit())) Release();
    }
    ~TaskbarProgress() {
        if (list_) list_->SetProgressState(window_, TBPF_NOPROGRESS);
        Release();
    }
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;

    void Show(int value, int maximum) {
        if (list_ && maximum > 0) list_->SetProgressValue(window_, value, maximum);
    }

private:
    void Release() {
        if (list_) list_->Release();
        list_ = nullptr;
    }
    HWND window_;
    ITaskbarList3* list_ = nullptr;
};

class WindowBatch final : public conversion::BatchHost {
public:
    WindowBatch(HWND window, HWND statusLog, HWND progressBar)
        : status_(statusLog), progress_(progressBar), taskbar_(window) {}

    bool FileExists(const std::wstring& path) override { return conversion::FileExists(path); }
    bool FolderExists(const std::wstring& path) override { return conversion::FolderExists(path); }
    bool SameFile(const std::wstring& source, const std::wstring& destination) override {
        return conversion::SameFile(source, destination);
    }
    conversion::RunResult Run(const std::wstring& commandLine) override {
        return conversion::RunAndWait(commandLine, &PumpDuringBatch);
    }
    void AppendLine(const std::wstring& line) override {
        status_.AppendLine(line);
        status_.ShowLastNow();
    }
    void ReplaceLastLine(const std::wstring& line) override {
        status_.ReplaceLast(line);
        status_.ShowLastNow();
    }
    void SetProgressRange(int maximum) override {
        maximum_ = maximum;
        SendMessageW(progress_, PBM_SETRANGE32, 0, maximum);
    }
    void SetProgressValue(int value) override {
        SendMessageW(progress_, PBM_SETPOS, value, 0);
        UpdateWindow(progress_);
        taskbar_.Show(value, maximum_);
    }

private:
    ListBox status_;
    HWND progress_;
    TaskbarProgress taskbar_;
    int maximum_ = 0;
};

}  // namespace

void RunShownBatch(HWND window, HWND statusLog, HWND progressBar,
                   const std::function<void(conversion::BatchHost&)>& batch) {
    {
        WindowBatch host(window, statusLog, progressBar);
        batch(host);
    }
    DiscardPendingInput();
    if (pendingQuit) PostQuitMessage(*std::exchange(pendingQuit, std::nullopt));
}

}  // namespace ui
