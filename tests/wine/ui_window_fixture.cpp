#include "ui_window_fixture.h"

#include "ui/list_box.h"

namespace testing_ui {

void Pump(HWND window) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        if (window && IsWindow(window) && IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void WindowTest::Open(std::wstring toolFolder) {
    if (toolFolder.empty()) {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        toolFolder = ScratchFolder(L"tool-" + std::wstring(name.begin(), name.end()));
    }
    toolFolder_ = toolFolder;
    ui::Dialogs dialogs;
    dialogs.openFiles = [this](HWND owner, const std::wstring& filter) {
        openCalls_.push_back({owner, filter});
        if (duringDialog_) duringDialog_();
        if (openResults_.empty()) return std::wstring();
        std::wstring result = openResults_.front();
        openResults_.erase(openResults_.begin());
        return result;
    };
    dialogs.browseFolder = [this](HWND owner, const std::wstring& title, const std::wstring& initial) {
        browseCalls_.push_back({owner, title, initial});
        if (duringDialog_) duringDialog_();
        if (browseResults_.empty()) return std::wstring();
        std::wstring result = browseResults_.front();
        browseResults_.erase(browseResults_.begin());
        return result;
    };
    form_ = ui::frmMain::Create(GetModuleHandleW(nullptr), ui::Environment{toolFolder_, dialogs});
    ASSERT_NE(form_, nullptr);
    ShowWindow(Main(), SW_SHOW);
    SetForegroundWindow(Main());
    UpdateWindow(Main());
    Pump(Main());
}

void WindowTest::TearDown() {
    if (form_ && IsWindow(form_->Handle())) DestroyWindow(form_->Handle());
    form_ = nullptr;
    Pump(nullptr);
}

std::wstring WindowTest::Text(ui::ControlId id) const {
    wchar_t buffer[1024] = {};
    GetWindowTextW(Ctl(id), buffer, 1024);
    return buffer;
}

std::vector<std::wstring> WindowTest::Lines(ui::ControlId list) const { return ui::ListBox(Ctl(list)).All(); }

}  // namespace testing_ui
