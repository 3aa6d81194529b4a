#pragma once
// The real main window, created in this process with its dialogs replaced.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/files.h"
#include "ui/controls.h"
#include "ui/frmMain.h"

namespace testing_ui {

using test_support::ReadBytes;
using test_support::ScratchFolder;
using test_support::WriteBytes;

// Handles what is queued, as the program's own loop would.
void Pump(HWND window);

class WindowTest : public ::testing::Test {
protected:
    struct OpenCall {
        HWND owner;
        std::wstring filter;
    };
    struct BrowseCall {
        HWND owner;
        std::wstring title, initial;
    };

    // Creates the window; settings come from `toolFolder` (a fresh scratch folder by default).
    void Open(std::wstring toolFolder = {});
    void TearDown() override;

    HWND Main() const { return form_->Handle(); }
    HWND Ctl(ui::ControlId id) const { return form_->Control(id); }
    std::wstring Text(ui::ControlId id) const;
    std::vector<std::wstring> Lines(ui::ControlId list) const;
    bool Enabled(ui::ControlId id) const { return IsWindowEnabled(Ctl(id)) != FALSE; }
    void Click(ui::ControlId id) { SendMessageW(Ctl(id), BM_CLICK, 0, 0); }

    ui::frmMain* form_ = nullptr;
    std::wstring toolFolder_;
    std::vector<std::wstring> openResults_;  // answers of the open-file dialog, in turn
    std::vector<OpenCall> openCalls_;
    std::vector<std::wstring> browseResults_;
    std::vector<BrowseCall> browseCalls_;
    std::function<void()> duringDialog_;  // runs while a dialog is "open"
};

}  // namespace testing_ui
