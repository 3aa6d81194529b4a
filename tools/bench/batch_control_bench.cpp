// How quickly the user's control over a long batch takes effect, and whether
// the window keeps answering: Stop, Stop now, a converter that prints 10 MB,
// a converter that cannot be started, and a dropped tree of 20,000 files in
// 1,000 folders.
// Usage: batch_control_bench.exe   (quillon.exe, the stand-in, must lie beside it)
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "bench_common.h"
#include "common/file_bytes.h"
#include "common/win_handles.h"
#include "common/file_probes.h"
#include "ui/frmMain.h"
#include "ui/list_box.h"

namespace {

using Clock = std::chrono::steady_clock;
using ui::ControlId;

std::wstring LastLine(const ui::frmMain& form) {
    const ui::ListBox log(form.Control(ControlId::lstStatus));
    return log.Count() ? log.At(log.Count() - 1) : L"";
}

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Sends the window a message every 10 ms from another thread and keeps the slowest answer.
class Watcher {
public:
    explicit Watcher(HWND window)
        : thread_([this, window] {
              while (!done_) {
                  const auto sent = Clock::now();
                  DWORD_PTR result = 0;
                  if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &result)) ++missed_;
                  slowest_ = std::max(slowest_.load(), Milliseconds(Clock::now() - sent));
                  Sleep(10);
              }
          }) {}
    ~Watcher() {
        done_ = true;
        thread_.join();
    }
    double Slowest() const { return slowest_; }
    int Missed() const { return missed_; }

private:
    std::atomic<bool> done_{false};
    std::atomic<double> slowest_{0};
    std::atomic<int> missed_{0};
    std::thread thread_;
};

}  // namespace

int wmain() {
    const std::wstring tool = common::ToolFolder(), data = tool + L"\\batch-control-bench";
    bench::FreshFolder(data);
    for (const wchar_t* name : {L"\\a.xml", L"\\b.xml", L"\\c.xml"}) common::ReplaceFileBytes(data + name, "<x/>");
    std::wstring selection = data + L'\0' + L"a.xml" + L'\0' + L"b.xml" + L'\0' + L"c.xml";
    ui::Dialogs dialogs;
    dialogs.openFiles = [&](HWND, const std::wstring&) { return selection; };
    dialogs.confirm = [](HWND, const std::wstring&) { return false; };
    const auto form = ui::frmMain::Create(GetModuleHandleW(nullptr), {tool, {}, dialogs, {}, {}, {}, {}, 1, {}});
    if (!form) return 1;
    ShowWindow(form->Handle(), SW_SHOW);
    HWND convert = form->Control(ControlId::cmbBinCon);
    SendMessageW(form->Control(ControlId::cmbBinAdd), BM_CLICK, 0, 0);
    SetWindowTextW(form->Control(ControlId::txtBinOut), data.c_str());
    auto startAndWaitForFirstFile = [&] {
        DeleteFileW((data + L"\\a.txt").c_str());
        SendMessageW(convert, BM_CLICK, 0, 0);
        bench::PumpUntil([&] { return LastLine(*form) == L"Processing a.xml..."; });
    };

    // Stop: the file being converted ends (the stand-in writes a.txt last), then the batch.
    SetEnvironmentVariableW(L"QUILLON_STANDIN_SLEEP_MS", L"2000");
    startAndWaitForFirstFile();
    Sleep(500);
    SendMessageW(convert, BM_CLICK, 0, 0);
    Clock::time_point converted{};
    bench::PumpUntil([&] {
        if (converted == Clock::time_point{} &&
            GetFileAttributesW((data + L"\\a.txt").c_str()) != INVALID_FILE_ATTRIBUTES)
            converted = Clock::now();
        return LastLine(*form) == L"2 of 3 files were not converted";
    });
    std::printf("Stop: the current file's end to \"Conversion stopped\":  %.0f ms (goal <= 100)\n",
                Milliseconds(Clock::now() - converted));

    // Stop now, against a converter that would sleep a minute and has started a process of its own.
    SetEnvironmentVariableW(L"QUILLON_STANDIN_SLEEP_MS", L"60000");
    SetEnvironmentVariableW(L"QUILLON_STANDIN_CHILD", L"1");
    startAndWaitForFirstFile();
    SendMessageW(convert, BM_CLICK, 0, 0);
    const auto stopNow = Clock::now();
    SendMessageW(convert, BM_CLICK, 0, 0);
    bench::PumpUntil([&] { return bench::Text(convert) == L"Convert!"; });
    std::printf("Stop now: the click to the STOPPED line:              %.0f ms (goal <= 1000)\n",
                Milliseconds(Clock::now() - stopNow));
    Sleep(200);
    std::printf("Stop now: converter processes left:                   %d (goal 0)\n", bench::Running(L"quillon.exe"));
    SetEnvironmentVariableW(L"QUILLON_STANDIN_SLEEP_MS", nullptr);
    SetEnvironmentVariableW(L"QUILLON_STANDIN_CHILD", nullptr);

    // A converter that prints 10 MB and fails: one file, so the batch time is that converter's.
    std::string output(10 << 20, '.');
    output += "\nthe last line\n";
    common::ReplaceFileBytes(data + L"\\output", output);
    SetEnvironmentVariableW(L"QUILLON_STANDIN_OUTPUT", (data + L"\\output").c_str());
    SetEnvironmentVariableW(L"QUILLON_STANDIN_EXIT", L"1");
    selection = data + L"\\a.xml";
    SendMessageW(form->Control(ControlId::cmbBinCle), BM_CLICK, 0, 0);
    SendMessageW(form->Control(ControlId::cmbBinAdd), BM_CLICK, 0, 0);
    const double printing = bench::Time([&] {
        SendMessageW(convert, BM_CLICK, 0, 0);
        bench::PumpUntil([&] { return bench::Text(convert) == L"Convert!"; });
    });
    const ui::ListBox log(form->Control(ControlId::lstStatus));
    std::printf("10 MB of output: the batch took %.2f s; its line: %ls\n", printing, log.At(log.Count() - 3).c_str());

    // 1,000 files and a converter held by another program for the whole batch: one retry window in all,
    // then each entry tried once.
    SetEnvironmentVariableW(L"QUILLON_STANDIN_OUTPUT", nullptr);
    SetEnvironmentVariableW(L"QUILLON_STANDIN_EXIT", nullptr);
    const std::wstring many = data + L"\\many";
    CreateDirectoryW(many.c_str(), nullptr);
    selection = many;
    for (int i = 0; i < 1000; ++i) {
        const std::wstring name = L"entry-" + std::to_wstring(i) + L".xml";
        common::ReplaceFileBytes(many + L"\\" + name, "<x/>");
        selection += L'\0' + name;
    }
    SendMessageW(form->Control(ControlId::cmbBinCle), BM_CLICK, 0, 0);
    SendMessageW(form->Control(ControlId::cmbBinAdd), BM_CLICK, 0, 0);
    SetWindowTextW(form->Control(ControlId::txtBinOut), many.c_str());
    double refused = 0;
    {
        const win::unique_file held(
            CreateFileW((tool + L"\\quillon.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        refused = bench::Time([&] {
            SendMessageW(convert, BM_CLICK, 0, 0);
            bench::PumpUntil([&] { return bench::Text(convert) == L"Convert!"; });
        });
    }
    std::printf("A converter that cannot be started, 1,000 files: %.1f s (before: 2 s a file); the last: %ls\n",
                refused, log.At(log.Count() - 3).c_str());

    // A dropped tree of 20,000 files in 1,000 folders.
    const std::wstring tree = data + L"\\tree";
    CreateDirectoryW(tree.c_str(), nullptr);
    for (int folder = 0; folder < 1000; ++folder) {
        const std::wstring path = tree + L"\\folder-" + std::to_wstring(folder);
        CreateDirectoryW(path.c_str(), nullptr);
        for (int file = 0; file < 20; ++file)
            win::unique_file(CreateFileW((path + L"\\file-" + std::to_wstring(file) + L".xml").c_str(), GENERIC_WRITE,
                                         0, nullptr, CREATE_NEW, 0, nullptr));
    }
    SendMessageW(form->Control(ControlId::cmbBinCle), BM_CLICK, 0, 0);
    const ui::ListBox queue(form->Control(ControlId::lstBin));
    double slowest = 0;
    int missed = 0;
    const double dropping = bench::Time([&] {
        const Watcher watcher(form->Handle());
        form->DropPaths(ui::Panel::Bin, {tree});
        bench::PumpUntil([&] { return queue.Count() == 20000; });
        slowest = watcher.Slowest();
        missed = watcher.Missed();
    });
    std::printf(
        "Drop of 20,000 files in 1,000 folders: queued in %.2f s; slowest answer %.0f ms, %d missed (goal "
        "<= 200 ms, none)\n",
        dropping, slowest, missed);
    return 0;
}
