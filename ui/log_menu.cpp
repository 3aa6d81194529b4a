// The status log's menu and what it does: copy a line or all of them, save them.
#include <cstring>

#include "common/file_bytes.h"
#include "ui/frmMain.h"
#include "ui/list_box.h"
#include "ui/status_log.h"

namespace ui {

using enum ControlId;

void frmMain::OnLogMenu(POINT at) {
    HWND control = Control(lstStatus);
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
    const auto chosen = Modal([&] {
        return TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, hwnd_,
                              nullptr);
    });
    switch (static_cast<LogCommand>(chosen)) {
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
    const std::wstring path = Modal([&] { return env_.dialogs.saveFile(hwnd_, LogFileFilter, LogFileName); });
    if (path.empty()) return;
    if (common::ReplaceFileBytes(path, LogFileBytes(ListBox(Control(lstStatus)).All()))) return;
    Modal([&] { env_.dialogs.report(hwnd_, L"The log could not be saved to " + path + L"."); });
}

}  // namespace ui
