// What the window does with input before it is dispatched: only what the
// rules let through, while it works and while it does not; then its own keys
// and the dialog keys.
#include <optional>

#include "ui/frmMain.h"

namespace ui {
namespace {

using enum ControlId;

// Bit 30 is the key's state before this message: down already means a repeat.
bool Repeat(const MSG& msg) { return msg.message == WM_KEYDOWN && (msg.lParam & (1 << 30)); }

std::optional<Input> Classify(const MSG& msg) {
    const UINT m = msg.message;
    if (m == WM_KEYDOWN || m == WM_KEYUP) {
        const bool repeat = Repeat(msg);
        if (msg.wParam == VK_ESCAPE) return repeat ? Input::EscapeRepeat : Input::Escape;
        if ((msg.wParam == VK_SPACE || msg.wParam == VK_RETURN) && m == WM_KEYDOWN)
            return repeat ? Input::PressRepeat : Input::Press;
        return msg.wParam == VK_TAB ? Input::Tab : Input::Key;
    }
    if (m == WM_SYSKEYDOWN || m == WM_SYSKEYUP || m == WM_SYSCHAR || m == WM_SYSDEADCHAR) return Input::SystemKey;
    if (m >= WM_KEYFIRST && m <= WM_KEYLAST) return Input::Key;
    if (m == WM_LBUTTONDBLCLK || m == WM_RBUTTONDBLCLK || m == WM_MBUTTONDBLCLK || m == WM_XBUTTONDBLCLK)
        return Input::DoubleClick;
    if (m == WM_MOUSEWHEEL || m == WM_MOUSEHWHEEL) return Input::Wheel;
    if (m == WM_MOUSEMOVE || m == WM_MOUSEHOVER || m == WM_MOUSELEAVE) return Input::Hover;
    if (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) return Input::Mouse;
    if (m >= WM_NCMOUSEMOVE && m <= WM_NCXBUTTONDBLCLK) return Input::Frame;
    return std::nullopt;
}

}  // namespace

bool frmMain::PreTranslateMessage(MSG& msg) {
    if (!Taken(msg)) return true;
    if (msg.message == WM_KEYDOWN && !busy_ && OnKey(msg)) return true;
    return IsDialogMessageW(hwnd_, &msg);
}

Target frmMain::TargetWhileWorking(HWND to) const {
    return to == Control(lstStatus)                                         ? Target::StatusLog
           : batch_.Running() && to == Control(ControlsOf(batchPanel_).con) ? Target::BatchButton
           : to == Control(pb)                                              ? Target::ProgressBar
           : to == hwnd_                                                    ? Target::Window
                                                                            : Target::Other;
}

bool frmMain::Taken(MSG& msg) {
    const std::optional<Input> input = Classify(msg);
    if (!input) return true;
    if (!Working()) {
        const bool convert = msg.hwnd == Control(cmbBinCon) || msg.hwnd == Control(cmbTxtCon);
        return TakenWhenIdle(*input, convert ? Target::ConvertButton : Target::Other);
    }
    HWND log = Control(lstStatus);
    // The wheel goes to the focus; the log takes it whenever the mouse is over it.
    const Target target = TargetWhileWorking(*input == Input::Wheel ? WindowFromPoint(msg.pt) : msg.hwnd);
    if (!ui::TakenWhileWorking(*input, target)) return false;
    if (*input == Input::Wheel && msg.hwnd != log) {
        SendMessageW(log, msg.message, msg.wParam, msg.lParam);
        return false;  // taken here, not by the focus
    }
    return true;
}

bool frmMain::OnKey(const MSG& msg) {
    // While it works, the batch's button and the log are all that take the focus, and the button
    // answers Space and Enter at once: its press is a Stop.
    if (Working() && msg.wParam == VK_TAB) {
        const bool toLog = FocusAfterTab(TargetWhileWorking(msg.hwnd), batch_.Running()) == Target::StatusLog;
        SetFocus(Control(toLog ? lstStatus : ControlsOf(batchPanel_).con));
        return true;
    }
    if (TargetWhileWorking(msg.hwnd) == Target::BatchButton && (msg.wParam == VK_SPACE || msg.wParam == VK_RETURN)) {
        StopBatch();
        return true;
    }
    // Delete in a queue is its "Remove selected"; Ctrl+C in the log copies the selected line, Enter shows its file.
    for (const Panel panel : {Panel::Bin, Panel::Txt}) {
        if (msg.wParam != VK_DELETE || msg.hwnd != Control(ControlsOf(panel).list)) continue;
        if (IsWindowEnabled(Control(ControlsOf(panel).rem))) cmbRem_Click(panel);
        return true;
    }
    if (msg.hwnd != Control(lstStatus)) return false;
    if (msg.wParam == 'C' && GetKeyState(VK_CONTROL) < 0) {
        CopyLogLines(false);
        return true;
    }
    if (msg.wParam != VK_RETURN) return false;
    // Held down, Enter opens one Explorer window, not one a repeat.
    if (Repeat(msg)) return true;
    OpenLogLine();  // what a double-click on the line does
    return true;
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
