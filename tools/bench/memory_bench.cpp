// The tool's private bytes over a long session: one window, five batches of
// 5,000 files each. The stand-in converter beside it copies empty files, so the
// figure is the window's and the batch's alone.
#include "bench_common.h"  // first: it brings windows.h

#include <psapi.h>

#include <cstdio>
#include <string>

#include "common/file_probes.h"
#include "ui/frmMain.h"

namespace {

// The memory committed to this process alone: its private bytes (Wine leaves PrivateUsage at 0;
// Windows gives both alike).
double PrivateMegabytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage / 1048576.0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int entries = argc > 1 ? _wtoi(argv[1]) : 5000, batches = argc > 2 ? _wtoi(argv[2]) : 5;
    const std::wstring tool = common::ToolFolder(), data = tool + L"\\memory-bench-data";
    bench::FreshFolder(data);
    std::wstring selection = data;
    for (int i = 0; i < entries; ++i) {
        const std::wstring name = L"entry-" + std::to_wstring(i);
        selection += L'\0' + name + L".xml";
        win::unique_file(
            CreateFileW((data + L"\\" + name + L".xml").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }

    const auto form = bench::QueuedWindow(tool, selection, data);
    if (!form) return 1;
    HWND convert = form->Control(ui::ControlId::cmbBinCon), log = form->Control(ui::ControlId::lstStatus);
    std::printf("before any batch: %.1f MB private\n", PrivateMegabytes());
    for (int batch = 1; batch <= batches; ++batch) {
        const double seconds = bench::Time([&] {
            SendMessageW(convert, BM_CLICK, 0, 0);
            bench::PumpUntil([&] { return bench::Text(convert) == L"Convert!"; });
        });
        std::printf("after batch %d (%.0f s): %.1f MB private, %lld log lines\n", batch, seconds, PrivateMegabytes(),
                    static_cast<long long>(SendMessageW(log, LB_GETCOUNT, 0, 0)));
        std::fflush(stdout);
    }
    return 0;
}
