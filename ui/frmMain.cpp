#include "ui/frmMain.h"

#include <commctrl.h>
#include <windowsx.h>
#include <shellapi.h>

#include <algorithm>
#include <optional>

#include "common/file_bytes.h"
#include "conversion/batch.h"
#include "conversion/file_system.h"
#include "settings/settings_file.h"
#include "ui/batch_view.h"
#include "ui/dialogs.h"
#include "ui/dpi.h"
#include "ui/dropped_files.h"
#include "ui/list_box.h"
#include "ui/output_folder_rules.h"
#include "ui/queue_rules.h"
#include "ui/screen_reader.h"
#include "ui/status_log.h"

namespace ui {
namespace {

using enum ControlId;

constexpr COLORREF kFrameCaptionColour = RGB(192, 0, 0);
constexpr const wchar_t* kFolderDialogTitle = L"Select output folder";

struct PanelControls {
    ControlId list, rem, con, outText;
};
constexpr PanelControls kBinPanel{lstBin, cmbBinRem, cmbBinCon, txtBinOut};
constexpr PanelControls kTxtPanel{lstTxt, cmbTxtRem, cmbTxtCon, txtTxtOut};
const PanelControls& ControlsOf(Panel panel) { return panel == Panel::Bin ? kBinPanel : kTxtPanel; }

class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
};

// A queue as its list box and its panel's two buttons.
class WindowQueue final : public QueueView {
public:
    WindowQueue(const frmMain& form, Panel panel)
        : list_(form.Control(ControlsOf(panel).list)),
          remove_(form.Control(ControlsOf(panel).rem)),
          convert_(form.Control(ControlsOf(panel).con)) {}

    int Count() const override { return list_.Count(); }
    int Selected() const override { return list_.Selected(); }
    void Append(const std::vector<std::wstring>& entries) override { list_.Append(entries); }
    void RemoveAt(int index) override { list_.RemoveAt(index); }
    void Clear() override { list_.Clear(); }
    void SetRemoveEnabled(bool enabled) override { EnableWindow(remove_, enabled); }
    void SetConvertEnabled(bool enabled) override { EnableWindow(convert_, enabled); }

private:
    ListBox list_;
    HWND remove_;
    HWND convert_;
};

struct KindStyle {
    const wchar_t* windowClass;
    DWORD style;
    DWORD exStyle;
};

KindStyle StyleOf(Kind kind) {
    switch (kind) {
        case Kind::Frame: return {L"BUTTON", BS_GROUPBOX | WS_CLIPSIBLINGS, 0};
        case Kind::ListBox:
            return {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
        case Kind::Label: return {L"STATIC", SS_LEFT | SS_NOPREFIX | WS_CLIPSIBLINGS, 0};
        case Kind::TextBox: return {L"EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case Kind::Button: return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
        case Kind::CheckBox: return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
        case Kind::ProgressBar: return {PROGRESS_CLASSW, 0, 0};
        case Kind::OpenFileDialog: break;
    }
    return {nullptr, 0, 0};
}

bool RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
    static const ATOM registered = [&] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = procedure;
        wc.hInstance = instance;
        wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                 GetSystemMetrics(SM_CYICON), 0));
        wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = WindowClass;
        return RegisterClassExW(&wc);
    }();
    return registered != 0;
}

// Fixed border: no sizing frame and no maximize box.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = WS_EX_ACCEPTFILES;

// Where the system's frame differs from what it told AdjustWindowRectEx.
void FitClientArea(HWND hwnd, int width, int height) {
    RECT client;
    GetClientRect(hwnd, &client);
    if (client.right == width && client.bottom == height) return;
    RECT window;
    GetWindowRect(hwnd, &window);
    SetWindowPos(hwnd, nullptr, 0, 0, window.right - window.left + width - client.right,
                 window.bottom - window.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HICON LoadIconForDpi(HINSTANCE instance, int width, int height, int dpi) {
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, MetricForDpi(width, dpi), MetricForDpi(height, dpi), 0));
}

}  // namespace

Environment SystemEnvironment() {
    const auto confirm = [](HWND owner, const std::wstring& question) {
        return MessageBoxW(owner, question.c_str(), Caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
    };
    const auto report = [](HWND owner, const std::wstring& message) {
        MessageBoxW(owner, message.c_str(), Caption, MB_OK | MB_ICONERROR);
    };
    const std::wstring toolFolder = conversion::ToolFolder();
    return {toolFolder, settings::FindLocation(toolFolder),
            Dialogs{&ShowOpenFilesDialog, &BrowseForFolder, confirm, &ShowSaveFileDialog, report}};
}

std::unique_ptr<frmMain> frmMain::Create(HINSTANCE instance, Environment environment) {
    if (!RegisterWindowClass(instance, &frmMain::WndProc)) return nullptr;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);

    std::unique_ptr<frmMain> self(new frmMain(std::move(environment)));
    if (!CreateWindowExW(kExStyle, WindowClass, Caption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, ClientWidth,
                         ClientHeight, nullptr, nullptr, instance, self.get()))
        return nullptr;
    self->ApplyDpi(WindowDpi(self->hwnd_), nullptr);

    self->Form_Load();
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
        case WM_BATCH_PROGRESS: OnBatchProgress(); return 0;
        case WM_DROP_COLLECTED: OnDropCollected(); return 0;
        case WM_ENDSESSION:
            if (wp && !unloaded_) Form_Unload();
            return 0;
        case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wp)); return 0;
        case WM_DPICHANGED: ApplyDpi(HIWORD(wp), reinterpret_cast<const RECT*>(lp)); return 0;
        case WM_CONTEXTMENU: OnContextMenu(reinterpret_cast<HWND>(wp), {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

bool frmMain::CreateControls() {
    std::vector<const ControlDescription*> order;
    for (const auto& desc : Controls())
        if (desc.kind != Kind::OpenFileDialog) order.push_back(&desc);
    // Creation order is the tab order.
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlDescription* a, const ControlDescription* b) { return a->tab < b->tab; });

    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    for (const ControlDescription* desc : order) {
        const KindStyle kind = StyleOf(desc->kind);
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_GROUP | kind.style | (desc->enabled ? 0 : WS_DISABLED);
        // Placed and given their font for the window's DPI once they all exist.
        HWND control = CreateWindowExW(kind.exStyle, kind.windowClass, desc->text, style, 0, 0, 0, 0, hwnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(desc->id)), instance, nullptr);
        if (!control) return false;
        if (const std::wstring_view name = ScreenReaderName(*desc); !name.empty()) NameForScreenReaders(control, name);
    }
    // A frame only draws a border around its children: keep it beneath them all.
    for (const ControlDescription* desc : order)
        if (desc->kind == Kind::Frame)
            SetWindowPos(Control(desc->id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(Control(pb), PBM_SETRANGE32, 0, 100);
    SendMessageW(Control(pb), PBM_SETPOS, 0, 0);
    return true;
}

void frmMain::ApplyDpi(int dpi, const RECT* suggested) {
    // The dialog font at this DPI: the stock font's size in points, which it has at 96 DPI.
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfHeight = DialogFontHeight(FontPoints(font.lfHeight, SystemDpi()), dpi);
    win::unique_gdi newFont(CreateFontIndirectW(&font));
    for (const auto& desc : Controls()) {
        if (desc.kind == Kind::OpenFileDialog) continue;
        HWND control = Control(desc.id);
        // The font first: a list box takes its row height from it.
        if (newFont) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(newFont.get()), FALSE);
        const Rect r = ScaledRect(desc, dpi);
        SetWindowPos(control, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (newFont) font_ = std::move(newFont);
    for (ControlId list : {lstBin, lstTxt, lstStatus}) ListBox(Control(list)).FitWidthToLines();

    RECT outer{0, 0, Scale(ClientWidth, dpi), Scale(ClientHeight, dpi)};
    if (suggested)
        outer = *suggested;
    else
        AdjustWindowRectForDpi(outer, kStyle, kExStyle, dpi);
    SetWindowPos(hwnd_, nullptr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (suggested ? 0 : SWP_NOMOVE));
    FitClientArea(hwnd_, Scale(ClientWidth, dpi), Scale(ClientHeight, dpi));

    // The icons in the sizes this DPI asks for, as the window's own, so the shell and other programs can ask for them.
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    win::unique_icon bigIcon(LoadIconForDpi(instance, SM_CXICON, SM_CYICON, dpi));
    win::unique_icon smallIcon(LoadIconForDpi(instance, SM_CXSMICON, SM_CYSMICON, dpi));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon.get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.get()));
    bigIcon_ = std::move(bigIcon);  // the ones they replace go only now
    smallIcon_ = std::move(smallIcon);
}

void frmMain::OnCommand(int id, int code) {
    const auto control = static_cast<ControlId>(id);
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
    if (busy_ || collection_ || closeAfterBatch_) return;  // a dialog, a collection, or closing already
    if (batch_.Running()) {
        bool yes;
        {
            BusyScope busy(busy_);
            yes = env_.dialogs.confirm(hwnd_, L"A conversion is running. Stop it and close the window?");
        }
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

LRESULT frmMain::OnCtlColorStatic(HDC dc, HWND control) {
    const auto id = static_cast<ControlId>(GetDlgCtrlID(control));
    if (id == Frame1 || id == Frame2 || id == Frame3) {
        SetTextColor(dc, kFrameCaptionColour);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    if (id == txtBinOut) {  // disabled: greyed with its own background
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        SetBkColor(dc, GetSysColor(binOutBackground_));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(binOutBackground_));
    }
    return DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
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
}

void frmMain::Form_Unload() {
    unloaded_ = true;
    const settings::Settings values{OutputToSourceFolder(), Text(txtBinOut), Text(txtTxtOut), Text(txtExt)};
    settings::SaveSettings(env_.settingsFile.write, values);  // never blocks closing
}

// Read anew every time: the text panel's filter follows txtExt.
std::wstring frmMain::FilterFor(Panel panel) const {
    return panel == Panel::Bin ? BinaryFilter() : TextFilter(Text(txtExt));
}

void frmMain::cmbAdd_Click(Panel panel) {
    const std::wstring filter = FilterFor(panel);
    std::wstring result;
    {
        BusyScope busy(busy_);
        result = env_.dialogs.openFiles(hwnd_, filter);
    }
    WindowQueue queue(*this, panel);
    AddFiles(queue, SplitDialogResult(result));
}

void frmMain::cmbRem_Click(Panel panel) {
    WindowQueue queue(*this, panel);
    RemoveSelected(queue);
}

void frmMain::cmbCle_Click(Panel panel) {
    WindowQueue queue(*this, panel);
    ClearList(queue);
}

void frmMain::lst_Click(Panel panel) {
    WindowQueue queue(*this, panel);
    EntrySelected(queue);
}

void frmMain::cmbOut_Click(Panel panel) {
    const ControlId box = ControlsOf(panel).outText;
    std::wstring chosen;
    {
        BusyScope busy(busy_);
        chosen = env_.dialogs.browseFolder(hwnd_, kFolderDialogTitle, Text(box));
    }
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
    const conversion::BinToTextJob job{ListBox(Control(lstBin)).All(), OutputToSourceFolder(), Text(txtBinOut),
                                       Text(txtExt), env_.toolFolder};
    StartBatch(Panel::Bin, [job](conversion::BatchHost& host) { conversion::RunBinToTextBatch(job, host); });
}

void frmMain::cmbTxtCon_Click() {
    const conversion::TextToBinJob job{ListBox(Control(lstTxt)).All(), Text(txtTxtOut), env_.toolFolder};
    StartBatch(Panel::Txt, [job](conversion::BatchHost& host) { conversion::RunTextToBinBatch(job, host); });
}

void frmMain::StartBatch(Panel panel, std::function<void(conversion::BatchHost&)> batch) {
    batchPanel_ = panel;
    SetText(ControlsOf(panel).con, L"Stop");
    batch_.Start(hwnd_, Control(lstStatus), Control(pb), std::move(batch));
}

void frmMain::StopBatch() {
    if (batch_.Stop() == 1) SetText(ControlsOf(batchPanel_).con, L"Stop now");
}

void frmMain::OnBatchProgress() {
    if (!batch_.ShowProgress()) return;
    SetText(ControlsOf(batchPanel_).con, L"Convert!");
    if (!closeAfterBatch_) return;
    Form_Unload();
    DestroyWindow(hwnd_);
}

void frmMain::DropPaths(Panel panel, const std::vector<std::wstring>& paths) {
    dropPanel_ = panel;
    collection_ = std::make_unique<DropCollection>(hwnd_, paths, FilterPattern(FilterFor(panel)));
}

void frmMain::OnDropCollected() {
    if (!collection_) return;
    const std::optional<std::vector<std::wstring>> entries = collection_->Take();
    collection_.reset();
    if (!entries) return;  // cancelled
    WindowQueue queue(*this, dropPanel_);
    AddFiles(queue, *entries);
}

void frmMain::OnDropFiles(HDROP drop) {
    POINT at{};
    DragQueryPoint(drop, &at);
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
    if (control != Control(lstStatus) || busy_ || Working()) return;
    const ListBox log(control);
    if (at.x == -1 && at.y == -1) {  // from the keyboard: at the list's top left
        RECT r;
        GetWindowRect(control, &r);
        at = {r.left, r.top};
    }
    const unique_any<HMENU, DestroyMenu> menu(CreatePopupMenu());
    if (!menu) return;
    for (const LogMenuItem& item : LogMenu(log.Count(), log.Selected()))
        AppendMenuW(menu.get(), MF_STRING | (item.enabled ? 0 : MF_GRAYED), static_cast<UINT_PTR>(item.command),
                    item.text);
    switch (static_cast<LogCommand>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, hwnd_, nullptr))) {
        case LogCommand::Copy: CopyLogLines(false); break;
        case LogCommand::CopyAll: CopyLogLines(true); break;
        case LogCommand::Save: SaveLog(); break;
    }
}

void frmMain::CopyLogLines(bool all) {
    const ListBox log(Control(lstStatus));
    const int selected = log.Selected();
    if (!all && selected < 0) return;
    const std::wstring text = ClipboardText(all ? log.All() : std::vector<std::wstring>{log.At(selected)});
    win::unique_hglobal memory(GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
    if (!memory || !OpenClipboard(hwnd_)) return;
    if (void* target = GlobalLock(memory.get())) {
        memcpy(target, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory.get());
        // Once the clipboard has taken it, the memory is the clipboard's.
        if (EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory.get())) memory.release();
    }
    CloseClipboard();
}

void frmMain::SaveLog() {
    std::wstring path;
    {
        BusyScope busy(busy_);
        path = env_.dialogs.saveFile(hwnd_, LogFileFilter, LogFileName);
    }
    if (path.empty()) return;
    if (common::ReplaceFileBytes(path, LogFileBytes(ListBox(Control(lstStatus)).All()))) return;
    BusyScope busy(busy_);
    env_.dialogs.report(hwnd_, L"The log could not be saved to " + path + L".");
}

bool frmMain::PreTranslateMessage(MSG& msg) {
    if (Working()) {
        const UINT m = msg.message;
        // The title bar, the system menu and the system's keys stay the user's,
        // and Esc, or a click on the batch's own button, stops it. Nothing else
        // that the keyboard or the mouse sends reaches the window now.
        const bool key = m >= WM_KEYFIRST && m <= WM_KEYLAST;
        const bool systemKey = m == WM_SYSKEYDOWN || m == WM_SYSKEYUP || m == WM_SYSCHAR || m == WM_SYSDEADCHAR;
        const bool escape = (m == WM_KEYDOWN || m == WM_KEYUP) && msg.wParam == VK_ESCAPE;
        const bool mouse = (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || m == WM_MOUSEHOVER || m == WM_MOUSELEAVE ||
                           (m >= WM_NCMOUSEMOVE && m <= WM_NCXBUTTONDBLCLK && msg.hwnd != hwnd_);
        const bool onStopButton = batch_.Running() && msg.hwnd == Control(ControlsOf(batchPanel_).con);
        if ((key && !systemKey && !escape) || (mouse && !onStopButton)) return true;
    } else if (msg.message == WM_KEYDOWN && !busy_) {
        // Delete in a queue is its "Remove selected"; Ctrl+C in the log copies the selected line.
        for (const Panel panel : {Panel::Bin, Panel::Txt}) {
            if (msg.wParam != VK_DELETE || msg.hwnd != Control(ControlsOf(panel).list)) continue;
            if (IsWindowEnabled(Control(ControlsOf(panel).rem))) cmbRem_Click(panel);
            return true;
        }
        if (msg.wParam == 'C' && GetKeyState(VK_CONTROL) < 0 && msg.hwnd == Control(lstStatus)) {
            CopyLogLines(false);
            return true;
        }
    }
    return IsDialogMessageW(hwnd_, &msg);
}

int RunMessageLoop(frmMain& form) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (form.PreTranslateMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace ui
