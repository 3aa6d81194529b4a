// How long the program takes from its start to a window that is shown, painted
// and answering, the first thing a user waits for, against the least window of
// its size built the same way (least_window.cpp); the two start in turn.
// Usage: startup_bench.exe [runs]   (karvelxml.exe lies one folder up, least_window.exe beside it)
#include <cstdio>
#include <cwchar>
#include <vector>

#include "bench_common.h"
#include "common/file_probes.h"
#include "common/paths.h"
#include "ui/controls.h"

namespace {

// Milliseconds from the start to the answer; negative when no window came.
double StartToAnswer(const std::wstring& program, const wchar_t* windowClass) {
    bench::StartedProgram started;
    DWORD_PTR answer = 0;
    const double took = bench::Time([&] {
        started = bench::Start(program, windowClass);
        SendMessageTimeoutW(started.window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    });
    if (!started.window) return -1;
    PostMessageW(started.window, WM_CLOSE, 0, 0);
    WaitForSingleObject(started.process.get(), 10000);
    return 1000 * took;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? _wtoi(argv[1]) : 20;
    const std::wstring tools = common::ToolFolder(), program = common::FolderOfPath(tools) + L"\\karvelxml.exe",
                       least = tools + L"\\least_window.exe";
    std::vector<double> tool, baseline, ratios;
    for (int run = 0; run < runs; ++run) {
        // Turn about, so that a drift in the machine's speed falls on both alike.
        const double first = StartToAnswer(run % 2 ? program : least, run % 2 ? ui::WindowClass : L"KarvelLeastWindow");
        const double second =
            StartToAnswer(run % 2 ? least : program, run % 2 ? L"KarvelLeastWindow" : ui::WindowClass);
        if (first < 0 || second < 0) {
            std::fprintf(stderr, "no window from %ls or %ls\n", program.c_str(), least.c_str());
            return 1;
        }
        tool.push_back(run % 2 ? first : second);
        baseline.push_back(run % 2 ? second : first);
        ratios.push_back(tool.back() / baseline.back());
    }
    const bench::Spread pairs = bench::Of(ratios);
    std::printf(
        "%d-bit, %d starts each: start to a shown, painted, answering window: tool %.0f ms, least window "
        "%.0f ms (medians): %.2f (pairs %.2f to %.2f; goal <= 1.2)\n",
        static_cast<int>(sizeof(void*) * 8), runs, bench::Median(tool), bench::Median(baseline),
        bench::Median(tool) / bench::Median(baseline), pairs.low, pairs.high);
    return 0;
}
