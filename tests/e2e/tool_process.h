#pragma once
// Drives the built karvelxml.exe from outside, as a user (or a screen reader) would.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <commctrl.h>

#include "common/win_handles.h"
#include "support/files.h"
#include "ui/controls.h"

namespace e2e {

using test_support::ReadBytes;
using test_support::ScratchFolder;
using test_support::Utf8;
using test_support::WriteBytes;

// A fresh folder holding karvelxml.exe and the stand-in converter as quillon.exe.
std::wstring MakeInstall(const std::wstring& name, bool withConverter = true);

// Polls until `done` holds or the time is up.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10));

class Tool {
public:
    // Starts <install>\karvelxml.exe and waits for its window.
    explicit Tool(const std::wstring& install);
    ~Tool();
    Tool(const Tool&) = delete;
    Tool& operator=(const Tool&) = delete;

    HWND Main() const { return main_; }
    HWND Ctl(ui::ControlId id) const { return GetDlgItem(main_, static_cast<int>(id)); }
    std::wstring Text(ui::ControlId id) const;
    void SetText(ui::ControlId id, const std::wstring& text) const;
    std::vector<std::wstring> Lines(ui::ControlId list) const;
    bool Enabled(ui::ControlId id) const { return IsWindowEnabled(Ctl(id)) != FALSE; }
    // Posted, so a click that opens a modal dialog does not block the test.
    void Click(ui::ControlId id) const { PostMessageW(Ctl(id), BM_CLICK, 0, 0); }

    // The dialog the tool shows now (owned by its window), or null.
    HWND Dialog() const;
    HWND WaitForDialog() const;
    bool WaitForDialogGone() const;

    // Adds files through the real open-file dialog: navigates to `folder`, then
    // chooses `names`. True once the queue of `list` has grown by that many.
    bool AddFiles(ui::ControlId add, ui::ControlId list, const std::wstring& folder,
                  const std::vector<std::wstring>& names) const;

    // Closes the window and waits for the process to end; false if it stays.
    bool Close(std::chrono::milliseconds limit = std::chrono::seconds(10));
    bool Exited() const { return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }

private:
    win::unique_handle process_;
    DWORD processId_ = 0;
    HWND main_ = nullptr;
};

}  // namespace e2e
