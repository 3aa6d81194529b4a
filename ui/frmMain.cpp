#include "ui/frmMain.h"

#include <windowsx.h>
#include <commctrl.h>

#include <optional>
#include <system_error>

#include "common/dll_search.h"
#include "common/file_probes.h"
#include "common/utf8.h"
#include "conversion/batch.h"
#include "settings/settings_file.h"
#include "ui/dialogs.h"
#include "ui/dpi.h"
#include "ui/list_box.h"
#include "ui/output_folder_rules.h"
#include "ui/screen_reader.h"
#include "ui/queue_rules.h"
#include "ui/window_layout.h"
#include "ui/window_queue.h"

namespace ui {
namespace {

using enum ControlId;

constexpr const wchar_t* kFolderDialogTitle = L"Select output folder";
constexpr const wchar_t* kShutdownReason = L"A conversion is running";
// How long the end of the session waits for a batch to end: Windows ends a process that takes much longer.
constexpr DWORD kEndSessionWait = 3000;
constexpr UINT WM_AFTER_FIRST_PAINT = WM_APP + 3;
// While a batch runs the window looks for its reports on a timer, which also
// sees its end when the system has lost the notice of it.
constexpr UINT_PTR kBatchTimer = 1;

}  // namespace

bool HighContrastOn(const HIGHCONTRASTW& answer) { return (answer.dwFlags & HCF_HIGHCONTRASTON) != 0; }

Environment SystemEnvironment() {
    const auto confirm = [](HWND owner, const std::wstring& question) {
        return MessageBoxW(owner, question.c_str(), Caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
    };
    const auto report = [](HWND owner, const std::wstring& message) {
        MessageBoxW(owner, message.c_str(), Caption, MB_OK | MB_ICONERROR);
    };
    const auto keepAwake = [](bool held) {
        SetThreadExecutionState(held ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS);
    };
    const auto blockShutdown = [](HWND window, const wchar_t* reason) {
        if (reason)
            ShutdownBlockReasonCreate(window, reason);
        else
            ShutdownBlockReasonDestroy(window);
    };
    const auto highContrast = [] {
        HIGHCONTRASTW contrast{sizeof contrast, 0, nullptr};
        return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) && HighContrastOn(contrast);
    };
    const std::wstring toolFolder = common::ToolFolder();
    return {toolFolder,
            settings::FindLocation(toolFolder),
            Dialogs{&ShowOpenFilesDialog, &BrowseForFolder, confirm, &ShowSaveFileDialog, report, &ShowInExplorer},
            common::CurrentFolder(),
            Probes{},
            Session{keepAwake, blockShutdown},
            highContrast,
            static_cast<int>(GetActiveProcessorCount(ALL_PROCESSOR_GROUPS)),
            Batches{}};
}

std::unique_ptr<frmMain> frmMain::Create(HINSTANCE instance, Environment environment) {
    if (!RegisterWindowClass(instance, &frmMain::WndProc) || !LoadCommonControl(ICC_PROGRESS_CLASS)) return nullptr;
    std::unique_ptr<frmMain> self(new frmMain(std::move(environment)));
    if (!CreateMainWindow(instance, self.get())) return nullptr;
    self->OnColoursChanged(false);
    self->ApplyDpi(WindowDpi(self->hwnd_), nullptr);
    self->Form_Load();
    // What the first paint does not need waits until the window has been drawn.
    PostMessageW(self->hwnd_, WM_AFTER_FIRST_PAINT, 0, 0);
    return self;
}

frmMain::~frmMain() {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK frmMain::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<frmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        // The object belongs to whoever created it; it only forgets its window.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    try {
        return self->OnMessage(msg, wp, lp);
    } catch (...) {
        // Nothing may unwind through the system's code. The message counts as
        // handled, so a close that failed half-way leaves the window open.
        return msg == WM_CREATE ? -1 : 0;
    }
}

LRESULT frmMain::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE: return CreateControls() ? 0 : -1;
        case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp)); return 0;
        case WM_CTLCOLORSTATIC: return OnCtlColorStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) {
                focusBeforeDeactivate_ = GetFocus();
            } else {
                HWND focus = focusBeforeDeactivate_;
                if (!focus || !IsChild(hwnd_, focus) || !IsWindowEnabled(focus)) focus = Control(lstBin);
                SetFocus(focus);
            }
            return 0;
        case WM_SYSCOMMAND:
            if (busy_ && (wp & 0xFFF0) == SC_CLOSE) return 0;
            break;
        case WM_SETCURSOR:
            if (!collection_ || LOWORD(lp) != HTCLIENT) break;
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        case WM_CLOSE: OnClose(); return 0;
        case WM_TIMER:
            if (wp == kBatchTimer) OnBatchProgress();
            return 0;
        case WM_BATCH_PROGRESS: OnBatchProgress(); return 0;
        case WM_DROP_COLLECTED: OnDropCollected(); return 0;
        case WM_AFTER_FIRST_PAINT: NameForScreenReaders(hwnd_); return 0;
        case WM_QUERYENDSESSION:
            if (batch_.Running()) return FALSE;  // the reason says why; Windows asks the user
            break;
        case WM_ENDSESSION:
            if (wp) OnEndSession();
            return 0;
        case WM_FOLDER_REPORT: OnFolderReport(reinterpret_cast<std::wstring*>(lp)); return 0;
        case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wp)); return 0;
        case WM_DPICHANGED: ApplyDpi(HIWORD(wp), reinterpret_cast<const RECT*>(lp)); return 0;
        case WM_SYSCOLORCHANGE: OnColoursChanged(true); return 0;
        case WM_SETTINGCHANGE:
            if (wp == SPI_SETHIGHCONTRAST) OnColoursChanged(false);
            break;
        case WM_CONTEXTMENU: OnContextMenu(reinterpret_cast<HWND>(wp), {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void frmMain::OnCommand(int id, int code) {
    const auto control = static_cast<ControlId>(id);
    // The log stays readable during a batch.
    if (control == lstStatus && code == LBN_DBLCLK && !busy_) return OpenLogLine();
    // Esc, or the batch's own button, is all a running batch or collection takes.
    if (busy_ || Working()) {
        const bool stopButton = batch_.Running() && control == ControlsOf(batchPanel_).con && code == BN_CLICKED;
        if (!busy_ && (id == IDCANCEL || stopButton)) {
            if (collection_) collection_->Cancel();
            if (batch_.Running()) StopBatch();
        }
        // A posted click can still flip the check box; its handler only keeps
        // the folder controls in line with it.
        if (control == chkBinOut && code == BN_CLICKED) chkBinOut_Click();
        return;
    }
    if (code == LBN_SELCHANGE && (control == lstBin || control == lstTxt)) {
        lst_Click(control == lstBin ? Panel::Bin : Panel::Txt);
        return;
    }
    if (code != BN_CLICKED) return;
    switch (control) {
        case cmbBinAdd: cmbAdd_Click(Panel::Bin); break;
        case cmbTxtAdd: cmbAdd_Click(Panel::Txt); break;
        case cmbBinRem: cmbRem_Click(Panel::Bin); break;
        case cmbTxtRem: cmbRem_Click(Panel::Txt); break;
        case cmbBinCle: cmbCle_Click(Panel::Bin); break;
        case cmbTxtCle: cmbCle_Click(Panel::Txt); break;
        case cmbBinOut: cmbOut_Click(Panel::Bin); break;
        case cmbTxtOut: cmbOut_Click(Panel::Txt); break;
        case chkBinOut: chkBinOut_Click(); break;
        case cmbBinCon: cmbBinCon_Click(); break;
        case cmbTxtCon: cmbTxtCon_Click(); break;
        default: break;  // Enter and Esc arrive as IDOK and IDCANCEL: they mean nothing here
    }
}

void frmMain::OnClose() {
    if (busy_ || collection_) return;  // a dialog or a menu is open, or a drop is being collected
    if (closeAfterBatch_) {
        // Asked twice: the user will not wait for the current file.
        StopBatch();
        return;
    }
    if (batch_.Running()) {
        const bool yes = Modal(
            [&] { return env_.dialogs.confirm(hwnd_, L"A conversion is running. Stop it and close the window?"); });
        if (!yes) return;
        if (batch_.Running()) {  // it may have ended while the question was open
            closeAfterBatch_ = true;
            if (batch_.Stops() == 0) StopBatch();
            return;
        }
    }
    Form_Unload();
    DestroyWindow(hwnd_);
}

std::wstring frmMain::Text(ControlId id) const {
    HWND control = Control(id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void frmMain::SetText(ControlId id, const std::wstring& text) { SetWindowTextW(Control(id), text.c_str()); }

bool frmMain::OutputToSourceFolder() const {
    return SendMessageW(Control(chkBinOut), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void frmMain::SetOutputToSourceFolder(bool on) {
    if (on == OutputToSourceFolder()) return;
    SendMessageW(Control(chkBinOut), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    chkBinOut_Click();
}

// ---- Handlers ----

void frmMain::Form_Load() {
    const auto loaded = settings::LoadSettings(env_.settingsFile.read);
    if (!loaded) return;
    SetOutputToSourceFolder(loaded->outputToSourceFolder);
    SetText(txtBinOut, loaded->binOutputFolder);
    SetText(txtTxtOut, loaded->txtOutputFolder);
    SetText(txtExt, loaded->extension);
    filesAtOnce_ = loaded->filesAtOnce;
}

void frmMain::Form_Unload() {
    unloaded_ = true;
    const settings::Settings values{OutputToSourceFolder(), Text(txtBinOut), Text(txtTxtOut), Text(txtExt),
                                    filesAtOnce_};
    settings::SaveSettings(env_.settingsFile.write, values);  // never blocks closing
}

// Read anew every time: the text panel's filter follows txtExt.
std::wstring frmMain::FilterFor(Panel panel) const {
    return panel == Panel::Bin ? BinaryFilter() : TextFilter(Text(txtExt));
}

void frmMain::cmbAdd_Click(Panel panel) {
    const std::wstring filter = FilterFor(panel);
    const std::wstring result = Modal([&] { return env_.dialogs.openFiles(hwnd_, filter); });
    WindowQueue queue(hwnd_, panel);
    AddFiles(queue, SplitDialogResult(result));
}

void frmMain::cmbRem_Click(Panel panel) {
    WindowQueue queue(hwnd_, panel);
    RemoveSelected(queue);
}

void frmMain::cmbCle_Click(Panel panel) {
    WindowQueue queue(hwnd_, panel);
    ClearList(queue);
}

void frmMain::lst_Click(Panel panel) {
    WindowQueue queue(hwnd_, panel);
    EntrySelected(queue);
}

void frmMain::cmbOut_Click(Panel panel) {
    const ControlId box = ControlsOf(panel).outText;
    const std::wstring chosen = Modal([&] { return env_.dialogs.browseFolder(hwnd_, kFolderDialogTitle, Text(box)); });
    if (!chosen.empty()) SetText(box, chosen);  // a cancel keeps what the box held
}

void frmMain::chkBinOut_Click() {
    const FolderControlsState state = ForSourceFolderSwitch(OutputToSourceFolder());
    EnableWindow(Control(txtBinOut), state.enabled);
    binOutBackground_ = state.background;
    InvalidateRect(Control(txtBinOut), nullptr, TRUE);
    EnableWindow(Control(cmbBinOut), state.enabled);
}

void frmMain::cmbBinCon_Click() {
    const conversion::BinToTextJob job{ListBox(Control(lstBin)).All(),
                                       OutputToSourceFolder(),
                                       Text(txtBinOut),
                                       Text(txtExt),
                                       env_.toolFolder,
                                       filesAtOnce_};
    StartBatch(Panel::Bin, [job, run = env_.batches.binToText](conversion::BatchHost& host) { run(job, host); });
}

void frmMain::cmbTxtCon_Click() {
    const conversion::TextToBinJob job{ListBox(Control(lstTxt)).All(), Text(txtTxtOut), env_.toolFolder, filesAtOnce_};
    StartBatch(Panel::Txt, [job, run = env_.batches.textToBin](conversion::BatchHost& host) { run(job, host); });
}

void frmMain::StartBatch(Panel panel, std::function<void(conversion::BatchHost&)> batch) {
    const auto fileLine = [this](int line, const conversion::LineFile& file) { OnFileLine(line, file); };
    const auto running = [this](bool on) { OnBatchRunning(on); };
    const auto progressText = [this](const std::wstring& text) { SetProgressTip(text); };
    try {
        batch_.Start(
            {hwnd_, Control(lstStatus), Control(pb), env_.startFolder, env_.probes, fileLine, running, progressText},
            std::move(batch));
    } catch (const std::system_error& error) {
        Modal([&] {
            env_.dialogs.report(hwnd_, L"The conversion could not be started: " + common::FromUtf8(error.what()));
        });
        return;
    }
    batchPanel_ = panel;
    // Before any of the batch's reports is shown: they are shown on this thread.
    WindowQueue queue(hwnd_, panel);
    BatchStarted(queue);
    SetText(ControlsOf(panel).con, L"Stop");
    SetTimer(hwnd_, kBatchTimer, kBatchShowMilliseconds, nullptr);
}

void frmMain::StopBatch() {
    if (batch_.Stop() == 1) SetText(ControlsOf(batchPanel_).con, L"Stop now");
}

void frmMain::OnBatchProgress() {
    if (batch_.ShowProgress()) OnBatchEnded();
}

void frmMain::OnBatchEnded() {
    KillTimer(hwnd_, kBatchTimer);
    HWND button = Control(ControlsOf(batchPanel_).con);
    // A press that began on "Stop" ends here, so letting go does not start the queue again.
    if (GetCapture() == button) ReleaseCapture();
    SetText(ControlsOf(batchPanel_).con, L"Convert!");
    if (!closeAfterBatch_) return;
    Form_Unload();
    DestroyWindow(hwnd_);
}

void frmMain::OnBatchRunning(bool running) {
    if (env_.session.keepAwake) env_.session.keepAwake(running);
    if (env_.session.blockShutdown) env_.session.blockShutdown(hwnd_, running ? kShutdownReason : nullptr);
}

void frmMain::SetProgressTip(const std::wstring& text) {
    // The progress bar as a tool; the classic controls know no larger record than version 2's.
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(Control(pb));
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    if (!progressTip_ && LoadCommonControl(ICC_BAR_CLASSES)) {
        progressTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                       0, 0, 0, 0, hwnd_, nullptr, nullptr, nullptr);
        if (progressTip_) SendMessageW(progressTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    if (progressTip_) SendMessageW(progressTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void frmMain::OnEndSession() {
    // From here on the session may end the process at any moment: the settings
    // are saved first, then what the converter had begun goes, as far as time allows.
    closeAfterBatch_ = false;
    if (!unloaded_) Form_Unload();
    if (batch_.Running() && batch_.EndNow(kEndSessionWait)) OnBatchEnded();
}

void frmMain::DropPaths(Panel panel, const std::vector<std::wstring>& paths) {
    dropPanel_ = panel;
    collection_ = std::make_unique<DropCollection>(hwnd_, paths, FilterPattern(FilterFor(panel)));
}

void frmMain::OnDropCollected() {
    if (!collection_) return;
    const std::optional<DroppedFiles> dropped = collection_->Take();
    collection_.reset();
    if (!dropped) return;  // cancelled
    WindowQueue queue(hwnd_, dropPanel_);
    AddFiles(queue, dropped->entries);
    const std::vector<std::wstring> lines = UnreadFolderLines(dropped->unread);
    if (lines.empty()) return;
    ListBox log(Control(lstStatus));
    const LogUpdate update(log);
    for (const std::wstring& line : lines) log.AppendLine(line);
}

void frmMain::OnDropFiles(HDROP drop) {
    KARVEL_SYSTEM_FUNCTION(L"shell32.dll", DragQueryPoint);
    POINT at{};
    if (DragQueryPoint) DragQueryPoint(drop, &at);
    const std::vector<std::wstring> paths = TakeDroppedPaths(drop);
    if (busy_ || Working()) return;

    // A drop anywhere on a queue's panel goes to that queue.
    for (const auto& [frame, panel] : {std::pair{Frame1, Panel::Bin}, std::pair{Frame2, Panel::Txt}}) {
        RECT rect;
        GetWindowRect(Control(frame), &rect);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&rect), 2);
        if (PtInRect(&rect, at)) return DropPaths(panel, paths);
    }
}

void frmMain::OnContextMenu(HWND control, POINT at) {
    // The log stays readable while a batch runs; once the window is to close, nothing opens.
    if (busy_ || closeAfterBatch_) return;
    if (control == Control(lstStatus)) return OnLogMenu(at);
    for (const Panel panel : {Panel::Bin, Panel::Txt})
        if (control == Control(ControlsOf(panel).list) && !Working()) OnQueueMenu(panel, at);
}

}  // namespace ui
