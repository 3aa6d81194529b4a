#include "ui/window_layout.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/dll_search.h"
#include "ui/colours.h"
#include "ui/dpi.h"
#include "ui/frmMain.h"
#include "ui/list_box.h"

namespace ui {
namespace {

using enum ControlId;

constexpr COLORREF kFrameCaptionColour = RGB(192, 0, 0);

// Fixed border: no sizing frame and no maximize box.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = WS_EX_ACCEPTFILES;

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

bool RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
    static const ATOM registered = [&] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = procedure;
        wc.hInstance = instance;
        // No class icons: the window gets its own, at its DPI, before it is shown (ApplyDpi).
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = WindowClass;
        return RegisterClassExW(&wc);
    }();
    return registered != 0;
}

HWND CreateMainWindow(HINSTANCE instance, void* self) {
    return CreateWindowExW(kExStyle, WindowClass, Caption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, ClientWidth,
                           ClientHeight, nullptr, nullptr, instance, self);
}

bool LoadCommonControl(DWORD classes) {
    KARVEL_SYSTEM_FUNCTION(L"comctl32.dll", InitCommonControlsEx);
    const INITCOMMONCONTROLSEX wanted{sizeof wanted, classes};
    return InitCommonControlsEx && InitCommonControlsEx(&wanted);
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

LRESULT frmMain::OnCtlColorStatic(HDC dc, HWND control) {
    const auto id = static_cast<ControlId>(GetDlgCtrlID(control));
    TextColours colours{};
    if (id == Frame1 || id == Frame2 || id == Frame3)
        colours = FrameCaptionColours(highContrast_);
    else if (id == txtBinOut)  // disabled: greyed
        colours = GreyedBoxColours(binOutBackground_, highContrast_);
    else
        return DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                              reinterpret_cast<LPARAM>(control));
    SetTextColor(dc, colours.text == DarkRed ? kFrameCaptionColour : GetSysColor(colours.text));
    SetBkColor(dc, GetSysColor(colours.background));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(colours.background));
}

void frmMain::OnColoursChanged(bool systemColours) {
    highContrast_ = env_.highContrast && env_.highContrast();
    // The common controls keep colours of their own; they are told of the system's.
    for (HWND child = GetWindow(hwnd_, GW_CHILD); systemColours && child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

}  // namespace ui
