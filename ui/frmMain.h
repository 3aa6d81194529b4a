#pragma once
// The main window. Windows only: a thin layer that shows what the portable
// rules decide and hands batches to the conversion code. Its members live in
// files named for what they do: the layout (window_layout.cpp), the input it
// takes while it works and its keys (input_filter.cpp), the status log's menu
// (log_menu.cpp) and the queues' (queue_menu.cpp).
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/win_handles.h"
#include "conversion/batch.h"
#include "settings/settings_location.h"
#include "ui/batch_view.h"
#include "ui/controls.h"
#include "ui/dropped_files.h"
#include "ui/input_rules.h"
#include "ui/menus.h"

namespace ui {

// Posted when "Open containing folder" has something to say; lParam: a std::wstring* the window takes.
inline constexpr UINT WM_FOLDER_REPORT = WM_APP + 4;

// The dialogs, replaceable by tests.
struct Dialogs {
    // The open-file dialog's raw result ("" when cancelled): NUL-separated parts.
    std::function<std::wstring(HWND owner, const std::wstring& filter)> openFiles;
    // The chosen folder, or "" when cancelled.
    std::function<std::wstring(HWND owner, const std::wstring& title, const std::wstring& initial)> browseFolder;
    // A question with Yes and No, titled with the window's caption: true for Yes.
    std::function<bool(HWND owner, const std::wstring& question)> confirm;
    // The path to save to ("description|pattern" filter, proposed name), or "" when cancelled.
    std::function<std::wstring(HWND owner, const std::wstring& filter, const std::wstring& name)> saveFile;
    // A failure the user must hear of, titled with the window's caption.
    std::function<void(HWND owner, const std::wstring& message)> report;
    // Explorer showing `folder` with `file` in it selected; false when it cannot.
    std::function<bool(HWND owner, const std::wstring& folder, const std::wstring& file)> showInFolder;
};

// What a batch asks of the Windows session while it runs, replaceable by tests.
struct Session {
    // Held: the machine does not go to sleep (the display may still go dark).
    std::function<void(bool held)> keepAwake;
    // The reason Windows shows for a shutdown that waits; null when there is none any longer.
    std::function<void(HWND window, const wchar_t* reason)> blockShutdown;
};

// The batches as the window runs them, replaceable by tests that look at the jobs.
struct Batches {
    std::function<void(const conversion::BinToTextJob&, conversion::BatchHost&)> binToText =
        &conversion::RunBinToTextBatch;
    std::function<void(const conversion::TextToBinJob&, conversion::BatchHost&)> textToBin =
        &conversion::RunTextToBinBatch;
};

struct Environment {
    std::wstring toolFolder;  // where the converter lies
    settings::Location settingsFile;
    Dialogs dialogs;
    std::wstring startFolder;  // where the converter runs: the folder the program was started in
    Probes probes;
    Session session;
    std::function<bool()> highContrast{};  // whether the user has high contrast on
    int processors = 1;                    // logical ones: the queues' menus offer as many files at once
    Batches batches{};
};

// The real dialogs, this program's folder and the folder it was started in.
Environment SystemEnvironment();
// Whether the system's answer to SPI_GETHIGHCONTRAST has high contrast on.
bool HighContrastOn(const HIGHCONTRASTW& answer);

class frmMain {
public:
    // Creates the window and its controls and runs Form_Load; not yet shown.
    // Null when the window or one of its controls cannot be created.
    static std::unique_ptr<frmMain> Create(HINSTANCE instance, Environment environment);
    // Destroys the window if it is still there; its settings are saved only by closing it.
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    HWND Handle() const { return hwnd_; }
    HWND Control(ControlId id) const { return GetDlgItem(hwnd_, static_cast<int>(id)); }

    // For the message loop, before a message is dispatched: true when it has
    // been dealt with, as a key of the window's own or as input it takes no longer.
    bool PreTranslateMessage(MSG& msg);

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

    // Appends paths as "Add files..." would, once collected; folders bring their matching files.
    void DropPaths(Panel panel, const std::vector<std::wstring>& paths);

private:
    explicit frmMain(Environment environment) : env_(std::move(environment)) {}
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);

    // window_layout.cpp
    bool CreateControls();
    // Places, sizes, font and icons for `dpi`; the window takes `suggested`, when given.
    void ApplyDpi(int dpi, const RECT* suggested);
    LRESULT OnCtlColorStatic(HDC dc, HWND control);
    // The system's colours, or high contrast, changed: the window is drawn anew in them.
    void OnColoursChanged(bool systemColours);

    // input_filter.cpp
    // Whether the input goes on to its control (input_rules.h).
    bool Taken(MSG& msg);
    bool OnKey(const MSG& msg);
    // What the input rules call a control while the window works.
    Target TargetWhileWorking(HWND to) const;

    // log_menu.cpp
    void OnLogMenu(POINT at);
    void CopyLogLines(bool all);
    void SaveLog();
    // The selected log line's file in its folder; nothing for a line that tells of no file.
    void OpenLogLine();
    // Looked for and shown off the window's thread: a folder on the network may take its time to answer.
    // The command chosen from `items`, opened at `at` or, from the keyboard, beside the list's selection.
    int ShowMenu(const std::vector<MenuItem>& items, HWND list, POINT at);
    void ShowFileInFolder(const std::wstring& file);
    // What that could not show, told on the window's thread.
    void OnFolderReport(std::wstring* message);

    // queue_menu.cpp
    void OnQueueMenu(Panel panel, POINT at);
    // A log line that tells of an entry: kept for "Open containing folder", and a DONE marks the entry.
    void OnFileLine(int line, const conversion::LineFile& file);

    void OnCommand(int id, int code);
    void OnClose();
    void OnDropFiles(HDROP drop);
    void OnDropCollected();
    void OnBatchProgress();
    // The window's own again: its button reads "Convert!", and a window that was asked to close closes.
    void OnBatchEnded();
    // While a batch runs, the machine stays awake and a shutdown is told why it waits.
    void OnBatchRunning(bool running);
    // The progress bar's tooltip, made when a batch first needs it.
    void SetProgressTip(const std::wstring& text);
    // The Windows session ends: the settings are saved, and a running batch is ended as "Stop now" ends it.
    void OnEndSession();
    void OnContextMenu(HWND control, POINT at);
    std::wstring FilterFor(Panel panel) const;
    void StartBatch(Panel panel, std::function<void(conversion::BatchHost&)> batch);
    void StopBatch();
    // A batch or a collection is running: the window takes only what stops it, and the log.
    bool Working() const { return batch_.Running() || collection_; }
    // Runs `dialog` with the window's input and closing held off meanwhile.
    template <typename Dialog>
    auto Modal(Dialog&& dialog) {
        const bool outer = busy_;
        busy_ = true;
        struct Restore {
            bool& flag;
            bool value;
            ~Restore() { flag = value; }
        } restore{busy_, outer};
        return dialog();
    }

    // The check box "Output to the source folder"; a change runs its Click handler.
    bool OutputToSourceFolder() const;
    void SetOutputToSourceFolder(bool on);

    std::wstring Text(ControlId id) const;
    void SetText(ControlId id, const std::wstring& text);

    HWND hwnd_ = nullptr;
    Environment env_;
    bool busy_ = false;  // a dialog or a menu is open: no other input, no closing
    bool unloaded_ = false;
    int filesAtOnce_ = 1;  // how many files the next batch converts at once
    BatchView batch_;
    Panel batchPanel_ = Panel::Bin;  // whose "Convert!" reads "Stop" while the batch runs
    // The file each log line of a file leads to (FileOfLine); a line's data is its place here, plus one.
    std::vector<std::wstring> lineFiles_;
    bool closeAfterBatch_ = false;
    std::unique_ptr<DropCollection> collection_;
    Panel dropPanel_ = Panel::Bin;  // where the collected files go
    int binOutBackground_ = COLOR_WINDOW;
    bool highContrast_ = false;
    win::unique_gdi font_;
    win::unique_icon bigIcon_, smallIcon_;
    HWND focusBeforeDeactivate_ = nullptr;
    HWND progressTip_ = nullptr;  // owned by the window, which destroys it with itself
};

// Runs the message loop until the window is gone; Tab walks the controls.
int RunMessageLoop(frmMain& form);

}  // namespace ui
