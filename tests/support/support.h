#pragma once
// What the Windows tests share: scratch files, waiting, and reading the window
// through its controls (which works from another process too).
#include <windows.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "ui/controls.h"

namespace test_support {

// A fresh, empty folder under the build's scratch folder.
std::wstring ScratchFolder(const std::wstring& name);
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);  // "<missing>" when it cannot be read
// Names of what a folder holds, without "." and "..".
std::vector<std::wstring> NamesIn(const std::wstring& folder);

// Polls until `done` holds or the time is up.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10));

struct WindowDriver {
    HWND main = nullptr;

    HWND Ctl(ui::ControlId id) const { return GetDlgItem(main, static_cast<int>(id)); }
    std::wstring Text(ui::ControlId id) const;
    void SetText(ui::ControlId id, const std::wstring& text) const;
    std::vector<std::wstring> Lines(ui::ControlId list) const;
    // "1" for each enabled control, "0" for each disabled one.
    std::string On(std::initializer_list<ui::ControlId> ids) const;
};

}  // namespace test_support
