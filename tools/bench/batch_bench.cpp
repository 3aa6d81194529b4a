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
    HWND convert = form->Control(ui::ControlId::cmbBinCon);
    const ui::ListBox log(form->Control(ui::ControlId::lstStatus));
    char go[8];
    for (DWORD got = 0; ReadFile(GetStdHandle(STD_INPUT_HANDLE), go, 1, &got, nullptr) && got;) {
        const int first = log.Count();
        double seconds = bench::Time([&] {
            SendMessageW(convert, BM_CLICK, 0, 0);
            bench::PumpUntil([&] { return bench::Text(convert) == L"Convert!"; });
        });
        for (int line = first + 1; line < first + 1 + entries; ++line)
            if (!log.At(line).ends_with(L" DONE")) seconds = 0;
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

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring tool = common::ToolFolder(), data = tool + L"\\batch-bench-data";
    const bool aliased = argc > 3 && std::wstring(argv[3]) == L"aliased";
    if (aliased) stem = L"entry-\u65E5-";
    if (argc > 2 && std::wstring(argv[1]) == L"--tool") return ToolRounds(tool, data, _wtoi(argv[2]));

    const int entries = argc > 1 ? _wtoi(argv[1]) : 100, rounds = argc > 2 ? _wtoi(argv[2]) : 5;
    if (!common::FileExists(conversion::ConverterPath(tool))) {
        std::fprintf(stderr, "quillon.exe must lie beside the benchmark\n");
        return 2;
    }
    bench::FreshFolder(data);
    for (int i = 0; i < entries; ++i)
        win::unique_file(CreateFileW(Source(data, i).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));

    // The tool's side: this program again, without a console, talking through two pipes.
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE toChild = nullptr, childIn = nullptr, fromChild = nullptr, childOut = nullptr;
    CreatePipe(&childIn, &toChild, &inheritable, 0);
    CreatePipe(&fromChild, &childOut, &inheritable, 0);
    const win::unique_handle in(childIn), out(childOut), receive(fromChild);
    win::unique_handle send(toChild);
    SetHandleInformation(send.get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(receive.get(), HANDLE_FLAG_INHERIT, 0);
    std::wstring commandLine = L"\"" + tool + L"\\batch_bench.exe\" --tool " + std::to_wstring(entries) + L" " +
                               (aliased ? L"aliased" : L"plain");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.get();
    startup.hStdOutput = startup.hStdError = out.get();
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr,
                        &startup, &info))
        return 1;
    const win::unique_handle child(info.hProcess), childThread(info.hThread);
    const auto toolRound = [&] {
        DWORD written = 0, got = 0;
        WriteFile(send.get(), "g", 1, &written, nullptr);
        std::string answer;
        for (char c = 0; ReadFile(receive.get(), &c, 1, &got, nullptr) && got && c != '\n';) answer += c;
        return std::atof(answer.c_str());
    };

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
    send.reset();  // the copy ends at the end of its input
    WaitForSingleObject(child.get(), 10000);
    std::printf(
        "%d-bit, %d %s files a batch, %d rounds: tool / bare console start %.3f in the median round "
        "(rounds %.3f to %.3f; goal <= 1.15); per file %.1f ms against %.1f ms\n",
        static_cast<int>(sizeof(void*) * 8), entries, aliased ? "aliased" : "plain", rounds, Median(ratios),
        *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()), Median(batch),
        Median(bare));
    return 0;
}
