// What the tool adds to the converter's own cost: a batch of N entries with a
// stand-in converter that does no work, against a reference loop that does only
// what every entry needs (two log line updates, the progress value, their
// repaints, one process start and wait) and against a bare process loop.
// Usage: batch_bench.exe [entries]   (quillon.exe must lie beside it)
// It is a program without a console, like the tool; under Wine its figures reach
// the terminal, on Windows redirect them: batch_bench.exe 500 > figures.txt
#include <windows.h>
#include <commctrl.h>

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

void RunOne(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &info))
        return;
    const win::unique_handle process(info.hProcess), thread(info.hThread);
    WaitForSingleObject(process.get(), INFINITE);
}

// A window of the tool's size with a status list and a progress bar, nothing else.
struct ReferenceWindow {
    HWND window, list, progress;
    ReferenceWindow() {
        RECT outer{0, 0, ui::ClientWidth, ui::ClientHeight};
        AdjustWindowRectEx(&outer, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, FALSE, 0);
        window = CreateWindowExW(0, L"STATIC", L"reference", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                                 CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                                 nullptr, nullptr, nullptr, nullptr);
        list = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 20, 456, 505, 56, window,
                               nullptr, nullptr, nullptr);
        progress = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 20, 516, 505, 13, window, nullptr,
                                   nullptr, nullptr);
        SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        UpdateWindow(window);
    }
    ~ReferenceWindow() { DestroyWindow(window); }
    void Line(const std::wstring& text, bool replace) {
        const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        if (replace) SendMessageW(list, LB_DELETESTRING, count - 1, 0);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(list, LB_SETTOPINDEX, SendMessageW(list, LB_GETCOUNT, 0, 0) - 1, 0);
        UpdateWindow(list);
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int entries = argc > 1 ? _wtoi(argv[1]) : 500;
    const std::wstring tool = common::ToolFolder();
    if (!common::FileExists(conversion::ConverterPath(tool))) {
        std::fprintf(stderr, "quillon.exe must lie beside the benchmark\n");
        return 2;
    }
    const std::wstring data = tool + L"\\batch-bench-data";
    CreateDirectoryW(data.c_str(), nullptr);
    std::vector<std::wstring> sources;
    for (int i = 0; i < entries; ++i) {
        const std::wstring name = L"entry-" + std::to_wstring(i) + L".xml";
        sources.push_back(data + L"\\" + name);
        win::unique_file(CreateFileW(sources.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    SetEnvironmentVariableW(L"QUILLON_STANDIN_EXIT", L"0");  // start, do nothing, end

    auto commandLine = [&](int i) {
        return conversion::BinToTextCommandLine(tool, data, L"entry-" + std::to_wstring(i) + L".xml", L"txt",
                                                sources[i]);
    };

    // Rounds of each kind take turns, so a drift in the machine's speed hits all three alike.
    constexpr int kRound = 100;
    const int rounds = std::max(1, entries / kRound);
    std::wstring roundSelection = data;
    for (int i = 0; i < kRound; ++i) roundSelection += L'\0' + (L"entry-" + std::to_wstring(i) + L".xml");

    ReferenceWindow ref;
    SendMessageW(ref.progress, PBM_SETRANGE32, 0, kRound);
    ui::Dialogs dialogs;
    dialogs.openFiles = [&](HWND, const std::wstring&) { return roundSelection; };
    dialogs.browseFolder = [](HWND, const std::wstring&, const std::wstring&) { return std::wstring(); };
    const auto form = ui::frmMain::Create(GetModuleHandleW(nullptr), {tool, {}, dialogs, {}});
    if (!form) return 1;
    ShowWindow(form->Handle(), SW_SHOW);
    UpdateWindow(form->Handle());
    SendMessageW(form->Control(ui::ControlId::cmbBinAdd), BM_CLICK, 0, 0);
    SetWindowTextW(form->Control(ui::ControlId::txtBinOut), data.c_str());
    bench::Pump();

    double bare = 0, reference = 0, batch = 0;
    std::vector<double> roundRatios;  // batch / reference, round by round
    for (int round = 0; round < rounds; ++round) {
        bare += bench::Time([&] {
            for (int i = 0; i < kRound; ++i) RunOne(commandLine(i));
        });
        const double referenceRound = bench::Time([&] {
            SendMessageW(ref.progress, PBM_SETRANGE32, 0, kRound);
            for (int i = 0; i < kRound; ++i) {
                SendMessageW(ref.progress, PBM_SETPOS, i + 1, 0);
                UpdateWindow(ref.progress);
                const std::wstring line = L"Processing entry-" + std::to_wstring(i) + L".xml...";
                ref.Line(line, false);
                RunOne(commandLine(i));
                ref.Line(line + L" DONE", true);
            }
        });
        HWND convert = form->Control(ui::ControlId::cmbBinCon);
        const double batchRound = bench::Time([&] {
            SendMessageW(convert, BM_CLICK, 0, 0);
            bench::PumpUntil([&] { return bench::Text(convert) == L"Convert!"; });
        });
        reference += referenceRound;
        batch += batchRound;
        roundRatios.push_back(batchRound / referenceRound);
    }
    // Wine's process start wanders by a tenth from round to round; the middle round says more than the sum.
    std::sort(roundRatios.begin(), roundRatios.end());
    const double medianRatio =
        roundRatios.size() % 2 ? roundRatios[roundRatios.size() / 2]
                               : (roundRatios[roundRatios.size() / 2 - 1] + roundRatios[roundRatios.size() / 2]) / 2;
    const std::vector<std::wstring> log = ui::ListBox(form->Control(ui::ControlId::lstStatus)).All();
    const auto lines = static_cast<long long>(log.size());
    // Every file should be DONE; any other line is a fault the figures must not hide.
    for (size_t i = 0; i < log.size(); ++i) {
        const std::wstring& line = log[i];
        if (!line.ends_with(L" DONE") && !line.ends_with(L"started...") && line != L"Conversion complete")
            std::printf("unexpected line %zu: %ls\n", i, line.c_str());
    }
    DestroyWindow(form->Handle());
    bench::Pump();
    const int done = rounds * kRound;

    std::printf("entries:                  %d (in rounds of %d)\n", done, kRound);
    std::printf("bare process loop:        %.2f s (%.1f ms per entry)\n", bare, 1000 * bare / done);
    std::printf("reference loop:           %.2f s (%.1f ms per entry)\n", reference, 1000 * reference / done);
    std::printf("tool's batch:             %.2f s (%.1f ms per entry), %lld log lines\n", batch, 1000 * batch / done,
                lines);
    std::printf("batch / reference:        %.3f over all rounds, %.3f in the median round (goal <= 1.05)\n",
                batch / reference, medianRatio);
    std::printf("batch / bare processes:   %.3f\n", batch / bare);
    return lines == rounds * (kRound + 2) ? 0 : 1;
}
