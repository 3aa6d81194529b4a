#pragma once
// The main window. Windows only: a thin layer that shows what the portable
// rules decide and hands batches to the conversion code.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/controls.h"

namespace conversion {
class BatchHost;
}

namespace ui {

// The dialogs, replaceable by tests.
struct Dialogs {
    // The open-file dialog's raw result ("" when cancelled): NUL-separated parts.
    std::function<std::wstring(HWND owner, const std::wstring& filter)> openFiles;
    // The chosen folder, or "" when cancelled.
    std::function<std::wstring(HWND owner, const std::wstring& title, const std::wstring& initial)>
        browseFolder;
};

struct Environment {
    std::wstring toolFolder;  // where the converter and the settings file lie
    Dialogs dialogs;
};

// The real dialogs and this program's folder.
Environment SystemEnvironment();

enum class Panel { Bin, Txt };

class frmMain {
public:
    // Creates the window and its controls and runs Form_Load; not yet shown.
    static frmMain* Create(HINSTANCE instance, Environment environment);

    HWND Handle() const { return hwnd_; }
    HWND Control(ControlId id) const { return GetDlgItem(hwnd_, static_cast<int>(id)); }
    bool Busy() const { return busy_; }

    // Handlers, named after their control and event.
    void Form_Load();
    void Form_Unload();
    void cmbAdd_Click(Panel panel);
    void cmbRem_Click(Panel panel);
    void cmbCle_Click(Panel panel);
    void lst_Click(Panel panel);
    void cmbOut_Click(Panel panel);
    void chkBinOut_Click();
    void cmbBinCon_Click();
    void cmbTxtCon_Click();

    // The check box's value; a change runs its Click handler.
    void SetSourceFolderSwitch(int value);
    int SourceFolderSwitch() const;

    // Appends paths as "Add files..." would; folders bring their matching files.
    void DropPaths(Panel panel, const std::vector<std::wstring>& paths);

private:
    explicit frmMain(Environment environment) : env_(std::move(environment)) {}
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);

    void CreateControls();
    void OnCommand(int id, int code);
    void OnClose();
    void OnDropFiles(HDROP drop);
    LRESULT OnCtlColorStatic(HDC dc, HWND control);
    std::wstring FilterFor(Panel panel) const;
    void RunShownBatch(const std::function<void(conversion::BatchHost&)>& batch);

    std::wstring Text(ControlId id) const;
    void SetText(ControlId id, const std::wstring& text);

    HWND hwnd_ = nullptr;
    Environment env_;
    bool busy_ = false;  // a dialog or a batch is running: no input, no closing
    bool unloaded_ = false;
    int binOutBackground_ = COLOR_WINDOW;
    HWND focusBeforeDeactivate_ = nullptr;
};

// Runs the message loop until the window is gone; Tab walks the controls.
int RunMessageLoop(HWND window);

}  // namespace ui
