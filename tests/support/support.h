#pragma once
// What the Windows tests share: scratch files, waiting, and reading the window
// through its controls (which works from another process too).
#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "common/file_bytes.h"
#include "common/win_handles.h"
#include "test_paths.h"
#include "tools/bench/bench_common.h"
#include "ui/controls.h"
#include "ui/list_box.h"

namespace test_support {

// A fresh, empty folder under the build's scratch folder.
inline std::wstring ScratchFolder(const std::wstring& name) {
    const std::wstring folder = std::wstring(KARVEL_TEST_SCRATCH) + L"\\" + name;
    if (!bench::FreshFolder(folder)) ADD_FAILURE() << "cannot make a fresh scratch folder";
    return folder;
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    if (!common::ReplaceFileBytes(path, bytes)) ADD_FAILURE() << "cannot write a scratch file";
}

inline std::string ReadBytes(const std::wstring& path) {
    return common::ReadFileBytes(path, 1 << 26).value_or("<missing>");
}

// Names of what a folder holds, without "." and "..".
inline std::vector<std::wstring> NamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    const win::unique_find find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileW(find.get(), &data))
        if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0) names.push_back(data.cFileName);
    return names;
}

// Polls until `done` holds or the time is up.
inline bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    for (const auto until = std::chrono::steady_clock::now() + limit; !done();) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Runs a Linux program to its end, so two never overlap: Wine cannot wait for one, the shell leaves a mark.
inline bool RunLinux(const std::wstring& commandLine) {
    static int runs = 0;
    const std::wstring done = L"/tmp/kq-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++runs);
    std::wstring line = L"/bin/sh -c \"" + commandLine + L" && : > " + done + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const BOOL ran =
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
    const win::unique_handle process(info.hProcess), thread(info.hThread);
    return ran && WaitFor([&] { return DeleteFileW((L"Z:" + done).c_str()) != FALSE; });
}

// A converter runs: a stop now lets it finish, where one a moment before it started would have started none.
inline bool ConverterRuns() { return bench::Running(L"quillon.exe") > 0; }

struct WindowDriver {
    HWND main = nullptr;

    HWND Ctl(ui::ControlId id) const { return GetDlgItem(main, static_cast<int>(id)); }
    std::wstring Text(ui::ControlId id) const {
        wchar_t text[2048] = {};
        SendMessageW(Ctl(id), WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text));
        return text;
    }
    void SetText(ui::ControlId id, const std::wstring& text) const {
        SendMessageW(Ctl(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    std::vector<std::wstring> Lines(ui::ControlId list) const { return ui::ListBox(Ctl(list)).All(); }
    bool LastLineIs(const std::wstring& line) const {
        const std::vector<std::wstring> lines = Lines(ui::ControlId::lstStatus);
        return !lines.empty() && lines.back() == line;
    }
    // "1" for each enabled control, "0" for each disabled one.
    std::string On(std::initializer_list<ui::ControlId> ids) const {
        std::string states;
        for (const ui::ControlId id : ids) states += IsWindowEnabled(Ctl(id)) ? '1' : '0';
        return states;
    }
};

}  // namespace test_support
