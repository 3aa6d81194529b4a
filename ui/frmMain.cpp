#include "ui/frmMain.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <algorithm>

#include "common/win_handles.h"
#include "conversion/batch.h"
#include "conversion/file_system.h"
#include "settings/settings_file.h"
#include "ui/dialogs.h"
#include "ui/list_box.h"
#include "ui/output_folder_rules.h"
#include "ui/queue_rules.h"

namespace ui {
namespace {

using enum ControlId;

constexpr wchar_t kClassName[] = L"KarvelQuillonFrontEnd";
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

bool IsInputMessage(UINT msg) {
    return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
           (msg >= WM_NCMOUSEMOVE && msg <= WM_NCXBUTTONDBLCLK) || msg == WM_NCMOUSEHOVER ||
           msg == WM_NCMOUSELEAVE || msg == WM_MOUSEHOVER || msg == WM_MOUSELEAVE;
}

// While the converter runs: paint and answer the system, but let no input through.
void PumpDuringBatch() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!IsInputMessage(msg.message)) DispatchMessageW(&msg);
    }
}

// Input that reached the queue during a batch is dropped, not replayed.
void DiscardPendingInput() {
    MSG msg;
    const UINT ranges[][2] = {{WM_KEYFIRST, WM_KEYLAST}, {WM_MOUSEFIRST, WM_MOUSELAST},
                              {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK}};
    for (const auto& range : ranges)
        while (PeekMessageW(&msg, nullptr, range[0], range[1], PM_REMOVE)) {
        }
}

// The taskbar button mirrors the progress bar where the system offers it.
class TaskbarProgress {
public:
    explicit TaskbarProgress(HWND window) : window_(window) {
        if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                    reinterpret_cast<void**>(&list_))))
            list_ = nullptr;
        if (list_ && FAILED(list_->HrInit())) Release();
    }
    ~TaskbarProgress() {
        if (list_) list_->SetProgressState(window_, TBPF_NOPROGRESS);
        Release();
    }
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;

    void Show(int value, int maximum) {
        if (list_ && maximum > 0) list_->SetProgressValue(window_, value, maximum);
    }

private:
    void Release() {
        if (list_) list_->Release();
        list_ = nullptr;
    }
    HWND window_;
    ITaskbarList3* list_ = nullptr;
};

// A batch shown in the status log and the progress bar.
class WindowBatch final : public conversion::BatchHost {
public:
    explicit WindowBatch(const frmMain& form)
        : status_(form.Control(lstStatus)), progress_(form.Control(pb)), taskbar_(form.Handle()) {}

    bool FileExists(const std::wstring& path) override { return conversion::FileExists(path); }
    bool FolderExists(const std::wstring& path) override { return conversion::FolderExists(path); }
    bool SameFile(const std::wstring& source, const std::wstring& destination) override {
        return conversion::SameFile(source, destination);
    }
    conversion::RunResult Run(const std::wstring& commandLine) override {
        return conversion::RunAndWait(commandLine, &PumpDuringBatch);
    }
    void AppendLine(const std::wstring& line) override {
        status_.AppendLine(line);
        status_.ShowLastNow();
    }
    void ReplaceLastLine(const std::wstring& line) override {
        status_.ReplaceLast(line);
        status_.ShowLastNow();
    }
    void SetProgressRange(int maximum) override {
        maximum_ = maximum;
        SendMessageW(progress_, PBM_SETRANGE32, 0, maximum);
    }
    void SetProgressValue(int value) override {
        SendMessageW(progress_, PBM_SETPOS, value, 0);
        UpdateWindow(progress_);
        taskbar_.Show(value, maximum_);
    }

private:
    ListBox status_;
    HWND progress_;
    TaskbarProgress taskbar_;
    int maximum_ = 0;
};

// Files under `folder` whose names match `pattern`, subfolders included.
void CollectMatching(const std::wstring& folder, const std::wstring& pattern, std::vector<std::wstring>& out) {
    WIN32_FIND_DATAW data;
    win::unique_find find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // Links could lead back up the tree.
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) CollectMatching(path, pattern, out);
        } else if (PathMatchSpecW(name.c_str(), pattern.c_str())) {
            out.push_back(path);
        }
    } while (FindNextFileW(find.get(), &data));
}

// Folder by folder, ignoring case, so sub\z.xml comes before sub2\a.xml.
bool PathLess(const std::wstring& a, const std::wstring& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const size_t endA = std::min(a.find(L'\\', i), a.size());
        const size_t endB = std::min(b.find(L'\\', j), b.size());
        const int order = CompareStringOrdinal(a.c_str() + i, static_cast<int>(endA - i), b.c_str() + j,
                                               static_cast<int>(endB - j), TRUE);
        if (order != CSTR_EQUAL) return order == CSTR_LESS_THAN;
        i = endA + 1;
        j = endB + 1;
    }
    return a.size() - std::min(i, a.size()) < b.size() - std::min(j, b.size());
}

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

}  // namespace

Environment SystemEnvironment() {
    return {conversion::ToolFolder(), Dialogs{&ShowOpenFilesDialog, &BrowseForFolder}};
}

frmMain* frmMain::Create(HINSTANCE instance, Environment environment) {
    static const ATOM registered = [instance] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &frmMain::WndProc;
        wc.hInstance = instance;
        wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
        wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc);
    }();
    if (!registered) return nullptr;

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);

    // Fixed border: no sizing frame and no maximize box.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    const DWORD exStyle = WS_EX_ACCEPTFILES;
    RECT outer{0, 0, ClientWidth, ClientHeight};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);

    auto* self = new frmMain(std::move(environment));
    HWND hwnd = CreateWindowExW(exStyle, kClassName, Caption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance,
                                self);
    if (!hwnd) {
        // Once the window existed, its destruction has freed the object already.
        if (!self->hwnd_) delete self;
        return nullptr;
    }

    // Where the system's frame differs from what it told AdjustWindowRectEx.
    RECT client;
    GetClientRect(hwnd, &client);
    if (client.right != ClientWidth || client.bottom != ClientHeight) {
        RECT window;
        GetWindowRect(hwnd, &window);
        SetWindowPos(hwnd, nullptr, 0, 0, window.right - window.left + ClientWidth - client.right,
                     window.bottom - window.top + ClientHeight - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // The class icons, also as the window's own so the shell and other programs can ask for them.
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, GetClassLongPtrW(hwnd, GCLP_HICON));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, GetClassLongPtrW(hwnd, GCLP_HICONSM));

    self->Form_Load();
    return self;
}

LRESULT CALLBACK frmMain::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    frmMain* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<frmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);

    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete self;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    try {
        return self->Handle(msg, wp, lp);
    } catch (...) {
        // Nothing may unwind through the system's code; the event is dropped.
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

LRESULT frmMain::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE: CreateControls(); return 0;
        case WM_COMMAND:
            // A posted click can still flip the check box under a dialog or a batch;
            // its handler only keeps the folder controls in line with it.
            if (!busy_ || LOWORD(wp) == static_cast<WORD>(chkBinOut)) OnCommand(LOWORD(wp), HIWORD(wp));
            return 0;
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
        case WM_CLOSE: OnClose(); return 0;
        case WM_ENDSESSION:
            if (wp && !unloaded_) Form_Unload();
            return 0;
        case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wp)); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void frmMain::CreateControls() {
    std::vector<const ControlDescription*> order;
    for (const auto& desc : Controls())
        if (desc.kind != Kind::OpenFileDialog) order.push_back(&desc);
    // Creation order is the tab order.
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlDescription* a, const ControlDescription* b) { return a->tab < b->tab; });

    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    for (const ControlDescription* desc : order) {
        const KindStyle kind = StyleOf(desc->kind);
        const Point at = ClientPosition(*desc);
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_GROUP | kind.style | (desc->enabled ? 0 : WS_DISABLED);
        HWND control = CreateWindowExW(kind.exStyle, kind.windowClass, desc->text, style, at.x, at.y, desc->width,
                                       desc->height, hwnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(desc->id)), instance, nullptr);
        SendMessageW(control, WM_SETFONT, font, FALSE);
    }
    // A frame only draws a border around its children: keep it beneath them all.
    for (const ControlDescription* desc : order)
        if (desc->kind == Kind::Frame)
            SetWindowPos(Control(desc->id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(Control(pb), PBM_SETRANGE32, 0, 100);
    SendMessageW(Control(pb), PBM_SETPOS, 0, 0);
}

void frmMain::OnCommand(int id, int code) {
    const auto control = static_cast<ControlId>(id);
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
    if (busy_) return;  // a batch or a dialog is running
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

int frmMain::SourceFolderSwitch() const {
    switch (SendMessageW(Control(chkBinOut), BM_GETCHECK, 0, 0)) {
        case BST_CHECKED: return 1;
        case BST_INDETERMINATE: return 2;
        default: return 0;
    }
}

void frmMain::SetSourceFolderSwitch(int value) {
    const int old = SourceFolderSwitch();
    const WPARAM state = value == 1 ? BST_CHECKED : value == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
    SendMessageW(Control(chkBinOut), BM_SETCHECK, state, 0);
    if (SourceFolderSwitch() != old) chkBinOut_Click();
}

// ---- Handlers ----

void frmMain::Form_Load() {
    const auto loaded = settings::LoadSettings(settings::SettingsPath(env_.toolFolder));
    if (!loaded) return;
    SetSourceFolderSwitch(loaded->sourceFolderSwitch);
    SetText(txtBinOut, loaded->binOutputFolder);
    SetText(txtTxtOut, loaded->txtOutputFolder);
    SetText(txtExt, loaded->extension);
}

void frmMain::Form_Unload() {
    unloaded_ = true;
    const settings::Settings values{SourceFolderSwitch(), Text(txtBinOut), Text(txtTxtOut), Text(txtExt)};
    settings::SaveSettings(settings::SettingsPath(env_.toolFolder), values);  // never blocks closing
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
    const FolderControlsState state = ForSourceFolderSwitch(SourceFolderSwitch());
    EnableWindow(Control(txtBinOut), state.enabled);
    binOutBackground_ = state.background;
    InvalidateRect(Control(txtBinOut), nullptr, TRUE);
    EnableWindow(Control(cmbBinOut), state.enabled);
}

// Both batches: busy from the first entry to the last, shown in the log and
// the progress bar, and no input left over afterwards.
void frmMain::RunShownBatch(const std::function<void(conversion::BatchHost&)>& batch) {
    BusyScope busy(busy_);
    WindowBatch host(*this);
    batch(host);
    DiscardPendingInput();
}

void frmMain::cmbBinCon_Click() {
    const conversion::BinToTextJob job{ListBox(Control(lstBin)).All(), SourceFolderSwitch(), Text(txtBinOut),
                                       Text(txtExt), env_.toolFolder};
    RunShownBatch([&](conversion::BatchHost& host) { conversion::RunBinToTextBatch(job, host); });
}

void frmMain::cmbTxtCon_Click() {
    const conversion::TextToBinJob job{ListBox(Control(lstTxt)).All(), Text(txtTxtOut), env_.toolFolder};
    RunShownBatch([&](conversion::BatchHost& host) { conversion::RunTextToBinBatch(job, host); });
}

void frmMain::DropPaths(Panel panel, const std::vector<std::wstring>& paths) {
    const std::wstring pattern = FilterPattern(FilterFor(panel));
    std::vector<std::wstring> entries;
    for (const auto& path : paths) {
        if (!conversion::FolderExists(path)) {
            entries.push_back(path);
            continue;
        }
        std::vector<std::wstring> found;
        CollectMatching(path, pattern, found);
        std::sort(found.begin(), found.end(), PathLess);
        entries.insert(entries.end(), found.begin(), found.end());
    }
    WindowQueue queue(*this, panel);
    AddFiles(queue, entries);
}

void frmMain::OnDropFiles(HDROP drop) {
    POINT at{};
    DragQueryPoint(drop, &at);
    std::vector<std::wstring> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        paths.push_back(std::move(path));
    }
    DragFinish(drop);
    if (busy_) return;

    // A drop anywhere on a queue's panel goes to that queue.
    for (const auto& [frame, panel] : {std::pair{Frame1, Panel::Bin}, std::pair{Frame2, Panel::Txt}}) {
        RECT rect;
        GetWindowRect(Control(frame), &rect);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&rect), 2);
        if (PtInRect(&rect, at)) return DropPaths(panel, paths);
    }
}

int RunMessageLoop(HWND window) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace ui
