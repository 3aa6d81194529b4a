// What a file costs in the tool's batch against what its converter costs: a bare
// start of the same console converter (the stand-in, copying an empty file) by a
// program that shares its console with it, as a console program does.
// Usage: batch_bench.exe [entries] [rounds] [aliased]   (default 100 and 5; quillon.exe lies beside it)
// With "aliased" the names hold a character outside the code page, so the tool
// passes each source by its short name and moves a temporary destination into place.
// Run it in a console. The tool's batch runs in a second copy of it, started
// without a console, as the tool is; the two take turns round by round.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench_common.h"
#include "common/file_probes.h"
#include "common/win_handles.h"
#include "conversion/command_line.h"
#include "ui/frmMain.h"
#include "ui/list_box.h"

namespace {

// The files' names: entry-N, or entry-<U+65E5>-N where they need an alias.
std::wstring stem = L"entry-";
std::wstring Name(int i) { return stem + std::to_wstring(i); }
std::wstring Source(const std::wstring& data, int i) { return data + L"\\" + Name(i) + L".xml"; }

// The copy without a console: one batch of the whole queue for each line on its
// input; it answers with the batch's seconds, or with 0 when a line of the log
// is not a converted file's.
int ToolRounds(const std::wstring& tool, const std::wstring& data, int entries) {
    std::wstring selection = data;
    for (int i = 0; i < entries; ++i) selection += L'\0' + Name(i) + L".xml";
    const auto form = bench::QueuedWindow(tool, selection, data);
    if (!form) return 1;
    char go[8];
    for (DWORD got = 0; ReadFile(GetStdHandle(STD_INPUT_HANDLE), go, 1, &got, nullptr) && got;) {
        const double seconds = bench::TimedBatch(*form, entries);
        const std::string answer = std::to_string(seconds) + "\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr);
    }
    return 0;
}

// The converter started with nothing of the tool's: it shares this program's console.
void BareStart(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return;
    const win::unique_handle process(info.hProcess), thread(info.hThread);
    WaitForSingleObject(process.get(), INFINITE);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring tool = common::ToolFolder(), data = tool + L"\\batch-bench-data";
    const bool aliased = argc > 3 && std::wstring(argv[3]) == L"aliased";
    if (aliased) stem = L"entry-\u65E5-";
    if (argc > 2 && std::wstring(argv[1]) == L"--tool") return ToolRounds(tool, data, _wtoi(argv[2]));

    const int entries = argc > 1 ? _wtoi(argv[1]) : 100, rounds = argc > 2 ? _wtoi(argv[2]) : 5;
    if (!bench::FreshSources(tool, data, entries, [&](int i) { return Source(data, i); })) return 2;

    // The tool's side: this program again, without a console, talking through two pipes.
    std::wstring commandLine = L"\"" + tool + L"\\batch_bench.exe\" --tool " + std::to_wstring(entries) + L" " +
                               (aliased ? L"aliased" : L"plain");
    bench::ToolSide side(commandLine);
    if (!side.Started()) return 1;
    const auto toolRound = [&] { return side.Ask("g"); };

    std::vector<double> bare, batch, ratios;
    for (int round = 0; round < rounds; ++round) {
        double bareRound = 0, batchRound = 0;
        // Turn about, so that a drift in the machine's speed falls on both alike.
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn + round) % 2 == 0) {
                bareRound = bench::Time([&] {
                    for (int i = 0; i < entries; ++i)
                        BareStart(
                            conversion::BinToTextCommandLine(tool, data, Name(i) + L".xml", L"txt", Source(data, i)));
                });
            } else if ((batchRound = toolRound()) == 0) {
                std::fprintf(stderr, "a file of the tool's batch was not converted\n");
                return 1;
            }
        }
        bare.push_back(1000 * bareRound / entries);
        batch.push_back(1000 * batchRound / entries);
        ratios.push_back(batchRound / bareRound);
        std::printf("round %d: bare start %.1f ms, tool %.1f ms per file: %.3f\n", round + 1, bare.back(), batch.back(),
                    ratios.back());
    }
    side.End();
    const bench::Spread ratio = bench::Of(ratios);
    std::printf(
        "%d-bit, %d %s files a batch, %d rounds: tool / bare console start %.3f in the median round "
        "(rounds %.3f to %.3f; goal <= 1.15); per file %.1f ms against %.1f ms\n",
        static_cast<int>(sizeof(void*) * 8), entries, aliased ? "aliased" : "plain", rounds, ratio.median, ratio.low,
        ratio.high, bench::Median(batch), bench::Median(bare));
    return 0;
}
