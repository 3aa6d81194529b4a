#pragma once
// Small helpers shared by the benchmarks (and by tests). Windows only.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/file_probes.h"
#include "common/win_handles.h"
#include "ui/frmMain.h"
#include "ui/list_box.h"

namespace bench {

inline double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The middle of the values, or the mean of the middle two.
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A median and the values it lies between.
struct Spread {
    double median, low, high;
};
inline Spread Of(const std::vector<double>& values) {
    return {Median(values), *std::min_element(values.begin(), values.end()),
            *std::max_element(values.begin(), values.end())};
}

template <typename F>
double Time(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return Seconds(std::chrono::steady_clock::now() - start);
}

inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Handles messages until `done` holds; the batch and the drop report through them.
// It sleeps until a message comes, as the tool's own loop does: polling would
// take the time of the very work it waits for.
template <typename F>
void PumpUntil(F&& done) {
    while (!done()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        Pump();
    }
}

// The tool's window in this process, shown, with the open-file dialog's `selection` queued for binary to text
// into `output`; null when it cannot be made. It reads `settingsFile`, and runs its batches through `batches`.
inline std::unique_ptr<ui::frmMain> QueuedWindow(const std::wstring& tool, const std::wstring& selection,
                                                 const std::wstring& output,
                                                 const settings::Location& settingsFile = {},
                                                 const ui::Batches& batches = {}) {
    ui::Dialogs dialogs;
    dialogs.openFiles = [selection](HWND, const std::wstring&) { return selection; };
    auto form =
        ui::frmMain::Create(GetModuleHandleW(nullptr), {tool, settingsFile, dialogs, {}, {}, {}, {}, 1, batches});
    if (!form) return form;
    ShowWindow(form->Handle(), SW_SHOW);
    SendMessageW(form->Control(ui::ControlId::cmbBinAdd), BM_CLICK, 0, 0);
    SetWindowTextW(form->Control(ui::ControlId::txtBinOut), output.c_str());
    Pump();
    return form;
}

// A program started as the user starts it, and its main window once that is shown.
struct StartedProgram {
    win::unique_handle process;
    HWND window = nullptr;  // null when none was shown within 10 s
};

// `folder` is the one it starts in; empty for this process's own.
inline StartedProgram Start(const std::wstring& program, const wchar_t* windowClass, const std::wstring& folder = {}) {
    StartedProgram started;
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return started;
    const win::unique_handle thread(info.hThread);
    started.process.reset(info.hProcess);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!started.window && std::chrono::steady_clock::now() < until) {
        const HWND window = FindWindowW(windowClass, nullptr);
        if (window && IsWindowVisible(window)) started.window = window;  // shown once its settings are loaded
        Sleep(1);
    }
    return started;
}

// Deletes a folder and all it holds, at any path length, and nothing outside it: the shell's own delete,
// given a path past 260 characters under Wine, went on to the folders above it.
inline void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    const win::unique_find find(FindFirstFileW(common::SystemPath(folder + L"\\*").c_str(), &data));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileW(find.get(), &data)) {
        const std::wstring name = data.cFileName, path = common::SystemPath(folder + L"\\" + name);
        if (name == L"." || name == L"..") continue;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            RemoveTree(folder + L"\\" + name);
        else if (SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL), !DeleteFileW(path.c_str()))
            RemoveDirectoryW(path.c_str());  // a link to a folder
    }
    RemoveDirectoryW(common::SystemPath(folder).c_str());
}

// A folder made anew, empty, for the data a benchmark makes; false when it cannot be.
inline bool FreshFolder(const std::wstring& folder) {
    RemoveTree(folder);
    return CreateDirectoryW(folder.c_str(), nullptr) != 0;
}

// How many processes run that program.
inline int Running(const wchar_t* program) {
    const win::unique_file snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (bool more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        count += _wcsicmp(entry.szExeFile, program) == 0;
    return count;
}

inline std::wstring Text(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// One batch of the whole queue in the window: seconds, or 0 when a line of its log is not a converted file's.
inline double TimedBatch(const ui::frmMain& form, int entries) {
    HWND convert = form.Control(ui::ControlId::cmbBinCon);
    const ui::ListBox log(form.Control(ui::ControlId::lstStatus));
    const int first = log.Count();
    double seconds = Time([&] {
        SendMessageW(convert, BM_CLICK, 0, 0);
        PumpUntil([&] { return Text(convert) == L"Convert!"; });
    });
    for (int line = first + 1; line < first + 1 + entries; ++line)
        if (!log.At(line).ends_with(L" DONE")) seconds = 0;
    return seconds;
}

// With the converter beside the benchmark, `entries` empty sources made afresh in `data`; false, and said, without it.
template <typename Source>
bool FreshSources(const std::wstring& tool, const std::wstring& data, int entries, Source source) {
    if (!common::FileExists(tool + L"\\quillon.exe")) {
        std::fprintf(stderr, "quillon.exe must lie beside the benchmark\n");
        return false;
    }
    FreshFolder(data);
    for (int i = 0; i < entries; ++i)
        win::unique_file(CreateFileW(source(i).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return true;
}

// The tool's side of a benchmark: a second copy of it, started without a console as the tool is, that answers
// each request on its standard input with a number on a line of its standard output.
class ToolSide {
public:
    explicit ToolSide(std::wstring commandLine) {
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        HANDLE toChild = nullptr, childIn = nullptr, fromChild = nullptr, childOut = nullptr;
        CreatePipe(&childIn, &toChild, &inheritable, 0);
        CreatePipe(&fromChild, &childOut, &inheritable, 0);
        const win::unique_handle in(childIn), out(childOut);
        send_.reset(toChild), receive_.reset(fromChild);
        SetHandleInformation(send_.get(), HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(receive_.get(), HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = in.get();
        startup.hStdOutput = startup.hStdError = out.get();
        PROCESS_INFORMATION info{};
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr,
                           &startup, &info))
            child_.reset(info.hProcess), thread_.reset(info.hThread);
    }
    bool Started() const { return static_cast<bool>(child_); }
    // The copy ends at the end of its input.
    void End() {
        send_.reset();
        WaitForSingleObject(child_.get(), 10000);
    }
    double Ask(const std::string& request) {
        DWORD written = 0, got = 0;
        WriteFile(send_.get(), request.data(), static_cast<DWORD>(request.size()), &written, nullptr);
        std::string answer;
        for (char c = 0; ReadFile(receive_.get(), &c, 1, &got, nullptr) && got && c != '\n';) answer += c;
        return std::atof(answer.c_str());
    }

private:
    win::unique_handle send_, receive_, child_, thread_;
};

}  // namespace bench
