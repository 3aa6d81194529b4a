#pragma once
// Small helpers shared by the benchmarks (and by tests). Windows only.
#include <windows.h>
#include <tlhelp32.h>

#include <chrono>
#include <string>

#include "common/win_handles.h"

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
