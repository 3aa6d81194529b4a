// How long the program takes from its start to a window that is shown and
// answers, the first thing a user waits for.
// Usage: startup_bench.exe [runs]   (karvelxml.exe lies one folder up)
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "bench_common.h"
#include "common/file_probes.h"
#include "common/paths.h"
#include "ui/controls.h"

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? _wtoi(argv[1]) : 20;
    const std::wstring program = common::FolderOfPath(common::ToolFolder()) + L"\\karvelxml.exe";
    std::vector<double> milliseconds;
    for (int run = 0; run < runs; ++run) {
        bench::StartedProgram started;
        DWORD_PTR answer = 0;
        const double took = bench::Time([&] {
            started = bench::Start(program, ui::WindowClass);
            SendMessageTimeoutW(started.window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
        });
        if (!started.window) {
            std::fprintf(stderr, "no window from %ls\n", program.c_str());
            return 1;
        }
        milliseconds.push_back(1000 * took);
        PostMessageW(started.window, WM_CLOSE, 0, 0);
        WaitForSingleObject(started.process.get(), 10000);
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("start to a shown, answering window, %d runs: median %.0f ms, slowest %.0f ms\n", runs,
                milliseconds[milliseconds.size() / 2], milliseconds.back());
    return 0;
}
