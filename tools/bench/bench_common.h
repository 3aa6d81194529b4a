#pragma once
// Small helpers shared by the benchmarks (and by tests). Windows only.
#include <windows.h>
#include <tlhelp32.h>

#include <chrono>
#include <memory>
#include <string>

#include "common/file_probes.h"
#include "common/win_handles.h"
#include "ui/frmMain.h"

namespace bench {

inline double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

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

}  // namespace bench
