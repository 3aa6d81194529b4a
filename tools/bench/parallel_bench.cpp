// Several converters at once: what a file costs in the tool's batch at k at a
// time, against the console converter started bare with k at once by a program
// that shares its console with them, for k = 1, 2, 4, 8. Two converters: the
// stand-in copying an empty file, and the same taking 100 ms a file.
// Usage: parallel_bench.exe [entries] [rounds]   (default 60 and 3; quillon.exe lies beside it)
// Run it in a console. The tool's batches run in a second copy of it, started
// without a console, as the tool is, with one window; the two take turns at each k, round by round.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "bench_common.h"
#include "common/file_probes.h"
#include "common/utf8.h"
#include "common/win_handles.h"
#include "conversion/batch.h"
#include "conversion/command_line.h"
#include "settings/settings_location.h"
#include "ui/frmMain.h"
#include "ui/list_box.h"

namespace {

constexpr int kAtOnce[] = {1, 2, 4, 8};
constexpr int kAtOnceCount = sizeof kAtOnce / sizeof *kAtOnce;
struct Converter {
    const char* name;
    const wchar_t* sleep;  // QUILLON_STANDIN_SLEEP_MS; null for none
    double goalAt4;        // batch at 4 / batch at 1
};
// The stand-in sleeps before it copies, so the slow one still writes its destination.
constexpr Converter kConverters[] = {{"copies an empty file", nullptr, 0.50}, {"100 ms a file", L"100", 0.36}};
constexpr double kGoalAgainstBare = 1.2;

std::wstring Name(int i) { return L"entry-" + std::to_wstring(i); }
std::wstring Source(const std::wstring& data, int i) { return data + L"\\" + Name(i) + L".xml"; }

void SetSleep(const wchar_t* milliseconds) { SetEnvironmentVariableW(L"QUILLON_STANDIN_SLEEP_MS", milliseconds); }

// The settings file of a user who chose `atOnce` files at a time: its fifth line.
settings::Location SettingsAt(const std::wstring& data, int atOnce) {
    const std::wstring path = data + L"\\karvelxml-" + std::to_wstring(atOnce) + L".ini";
    const std::string folder = common::ToUtf8(data);  // an ASCII path: the same bytes in the ANSI code page
    const std::string text = " 0 \r\n" + folder + "\r\n" + folder + "\r\ntxt\r\n " + std::to_string(atOnce) + " \r\n";
    const win::unique_file file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return {path, data + L"\\karvelxml-saved.ini"};
}

// The copy without a console: for each line "k sleep" on its input, one batch with that converter in a window
// whose settings say k files at a time; it answers with the batch's seconds, or -1 when the job it ran said otherwise.
int ToolRounds(const std::wstring& tool, const std::wstring& data, int entries) {
    std::wstring selection = data;
    for (int i = 0; i < entries; ++i) selection += L'\0' + Name(i) + L".xml";
    int jobAtOnce = 0;
    ui::Batches batches;
    batches.binToText = [&jobAtOnce](const conversion::BinToTextJob& job, conversion::BatchHost& host) {
        jobAtOnce = job.atOnce;
        conversion::RunBinToTextBatch(job, host);
    };
    // One window at a time, made for each k from its settings: the tool has one, and under Wine a
    // process that starts converters pays for its size at every start (each is a fork of it).
    std::unique_ptr<ui::frmMain> form;
    int formAtOnce = 0;
    std::string line;
    char c;
    for (DWORD got = 0; ReadFile(GetStdHandle(STD_INPUT_HANDLE), &c, 1, &got, nullptr) && got;) {
        if (c != '\n') {
            line += c;
            continue;
        }
        int atOnce = 1, sleep = 0;
        std::sscanf(line.c_str(), "%d %d", &atOnce, &sleep);
        line.clear();
        SetSleep(sleep ? std::to_wstring(sleep).c_str() : nullptr);
        if (atOnce != formAtOnce) {
            form.reset();
            form = bench::QueuedWindow(tool, selection, data, SettingsAt(data, atOnce), batches);
            formAtOnce = atOnce;
        }
        bench::Pump();
        jobAtOnce = 0;
        double seconds = form ? bench::TimedBatch(*form, entries) : 0;
        if (jobAtOnce != atOnce) seconds = -1;
        const std::string answer = std::to_string(seconds) + "\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr);
    }
    return 0;
}

// A bare start: the converter shares this program's console. A refused start is tried
// again for a while, as the tool does (Wine refuses one now and then).
win::unique_handle BareStart(std::wstring commandLine) {
    for (int attempt = 0; attempt < 40; ++attempt, Sleep(50)) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        std::wstring line = commandLine;
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            continue;
        const win::unique_handle thread(info.hThread);
        return win::unique_handle(info.hProcess);
    }
    return win::unique_handle();
}

// Keeps `atOnce` bare starts running until every entry has had one: seconds, or 0
// when one could not be started or did not succeed.
double BareStarts(const std::wstring& tool, const std::wstring& data, int entries, int atOnce) {
    bool failed = false;
    const double seconds = bench::Time([&] {
        std::vector<win::unique_handle> running;
        for (int next = 0; next < entries || !running.empty();) {
            while (next < entries && static_cast<int>(running.size()) < atOnce) {
                win::unique_handle started = BareStart(
                    conversion::BinToTextCommandLine(tool, data, Name(next) + L".xml", L"txt", Source(data, next)));
                ++next;
                if (started)
                    running.push_back(std::move(started));
                else
                    failed = true;
            }
            if (running.empty()) continue;
            std::vector<HANDLE> handles;
            for (const auto& process : running) handles.push_back(process.get());
            const DWORD woken =
                WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, INFINITE);
            const size_t ended = woken - WAIT_OBJECT_0;
            if (ended >= running.size()) {
                failed = true;
                return;
            }
            DWORD code = 1;
            GetExitCodeProcess(running[ended].get(), &code);
            failed |= code != 0;
            running.erase(running.begin() + static_cast<std::ptrdiff_t>(ended));
        }
    });
    return failed ? 0 : seconds;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring tool = common::ToolFolder(), data = tool + L"\\parallel-bench-data";
    // Only the sleep acts on the stand-in here, on both sides.
    for (const wchar_t* name :
         {L"QUILLON_STANDIN_LOG", L"QUILLON_STANDIN_FOLDER", L"QUILLON_STANDIN_STDIN", L"QUILLON_STANDIN_HANDLE",
          L"QUILLON_STANDIN_CHILD", L"QUILLON_STANDIN_OUTPUT", L"QUILLON_STANDIN_ERROR", L"QUILLON_STANDIN_FLOOD",
          L"QUILLON_STANDIN_PARTIAL", L"QUILLON_STANDIN_SLEEP_MS", L"QUILLON_STANDIN_EXIT"})
        SetEnvironmentVariableW(name, nullptr);
    if (argc > 2 && std::wstring(argv[1]) == L"--tool") return ToolRounds(tool, data, _wtoi(argv[2]));

    const int entries = argc > 1 ? _wtoi(argv[1]) : 60, rounds = argc > 2 ? _wtoi(argv[2]) : 3;
    if (entries < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: parallel_bench.exe [entries] [rounds]\n");
        return 2;
    }
    if (!bench::FreshSources(tool, data, entries, [&](int i) { return Source(data, i); })) return 2;

    // The tool's side: this program again, without a console, talking through two pipes.
    std::wstring commandLine = L"\"" + tool + L"\\parallel_bench.exe\" --tool " + std::to_wstring(entries);
    bench::ToolSide side(commandLine);
    if (!side.Started()) return 1;
    const auto toolBatch = [&](int atOnce, const wchar_t* sleep) {
        return side.Ask(std::to_string(atOnce) + " " + (sleep ? std::to_string(_wtoi(sleep)) : "0") + "\n");
    };

    // Per file ms, by converter, k and round; [0] bare, [1] the tool's batch.
    std::vector<double> perFile[2][2][kAtOnceCount];
    for (int round = 0; round < rounds; ++round) {
        for (int c = 0; c < 2; ++c) {
            std::printf("round %d, %s, per file ms bare / batch:", round + 1, kConverters[c].name);
            for (int k = 0; k < kAtOnceCount; ++k) {
                double seconds[2] = {};
                // Turn about, so that a drift in the machine's speed falls on both alike.
                for (int turn = 0; turn < 2; ++turn) {
                    const int side = (turn + round + k) % 2;
                    if (side == 0) {
                        SetSleep(kConverters[c].sleep);
                        seconds[0] = BareStarts(tool, data, entries, kAtOnce[k]);
                        SetSleep(nullptr);
                    } else {
                        seconds[1] = toolBatch(kAtOnce[k], kConverters[c].sleep);
                    }
                    if (seconds[side] < 0) {
                        std::fprintf(stderr, "\nthe window's job did not take %d at a time from its settings\n",
                                     kAtOnce[k]);
                        return 1;
                    }
                    if (seconds[side] == 0) {
                        std::fprintf(stderr, "\n%s at %d at once: a file was not converted\n",
                                     side ? "the tool's batch" : "the bare starts", kAtOnce[k]);
                        return 1;
                    }
                }
                for (int side = 0; side < 2; ++side) perFile[c][side][k].push_back(1000 * seconds[side] / entries);
                std::printf("  %d: %.1f / %.1f", kAtOnce[k], perFile[c][0][k].back(), perFile[c][1][k].back());
                std::fflush(stdout);
            }
            std::printf("\n");
        }
    }
    side.End();

    std::printf("\n%d-bit, %d files a batch, %d rounds; medians of rounds, the spread of rounds in brackets\n",
                static_cast<int>(sizeof(void*) * 8), entries, rounds);
    for (int c = 0; c < 2; ++c) {
        std::printf("\nconverter that %s:\n   k   bare ms   batch ms   batch/bare (goal <= %.2f)\n",
                    kConverters[c].name, kGoalAgainstBare);
        for (int k = 0; k < kAtOnceCount; ++k) {
            std::vector<double> ratios;
            for (int r = 0; r < rounds; ++r) ratios.push_back(perFile[c][1][k][r] / perFile[c][0][k][r]);
            const bench::Spread ratio = bench::Of(ratios);
            std::printf("  %2d  %8.1f  %9.1f   %.3f (%.3f to %.3f)%s\n", kAtOnce[k], bench::Median(perFile[c][0][k]),
                        bench::Median(perFile[c][1][k]), ratio.median, ratio.low, ratio.high,
                        ratio.median <= kGoalAgainstBare ? "" : "  missed");
        }
        std::vector<double> batch41, bare41;
        for (int r = 0; r < rounds; ++r) {
            batch41.push_back(perFile[c][1][2][r] / perFile[c][1][0][r]);
            bare41.push_back(perFile[c][0][2][r] / perFile[c][0][0][r]);
        }
        const bench::Spread batch = bench::Of(batch41), bare = bench::Of(bare41);
        std::printf("  batch at 4 / batch at 1: %.3f (%.3f to %.3f; goal <= %.2f)%s; bare at 4 / bare at 1: %.3f\n",
                    batch.median, batch.low, batch.high, kConverters[c].goalAt4,
                    batch.median <= kConverters[c].goalAt4 ? "" : "  missed", bare.median);
    }
    return 0;
}
