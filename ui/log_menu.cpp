// The status log's menu and what it does: copy a line or all of them, save
// them, show a line's file in its folder; and the menus' common road.
#include <objbase.h>

#include <cstring>
#include <memory>
#include <thread>

#include "common/file_bytes.h"
#include "common/file_probes.h"
#include "ui/frmMain.h"
#include "ui/list_box.h"
#include "ui/status_log.h"

namespace ui {

using enum ControlId;

int frmMain::ShowMenu(const std::vector<MenuItem>& items, HWND list, POINT at) {
    if (at.x == -1 && at.y == -1) at = ListBox(list).MenuPoint();  // from the keyboard
    const unique_any<HMENU, DestroyMenu> menu(CreatePopupMenu());
    if (!menu) return 0;
    for (const MenuItem& item : items) {
        AppendMenuW(menu.get(), item.command ? MF_STRING | (item.enabled ? 0 : MF_GRAYED) : MF_SEPARATOR,
                    static_cast<UINT_PTR>(item.command), item.text.c_str());
        // A group of one, so that the mark is the round one of a choice.
        if (item.checked) CheckMenuRadioItem(menu.get(), item.command, item.command, item.command, MF_BYCOMMAND);
    }
    return Modal([&] {
        return TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, hwnd_,
                              nullptr);
    });
}

void frmMain::OnLogMenu(POINT at) {
    const ListBox log(Control(lstStatus));
    const bool file = log.Selected() >= 0 && log.Data(log.Selected()) != 0;
    switch (ShowMenu(LogMenu(log.Count(), log.Selected(), file), Control(lstStatus), at)) {
        case CopyLine: CopyLogLines(false); break;
        case CopyAllLines: CopyLogLines(true); break;
        case SaveLines: SaveLog(); break;
        case OpenLineFolder: OpenLogLine(); break;
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

void frmMain::OpenLogLine() {
    const ListBox log(Control(lstStatus));
    const int selected = log.Selected();
    const auto file = selected >= 0 ? static_cast<size_t>(log.Data(selected)) : 0;
    if (file == 0 || file > lineFiles_.size()) return;
    ShowFileInFolder(lineFiles_[file - 1]);
}

void frmMain::ShowFileInFolder(const std::wstring& file) {
    // The thread takes copies of all it uses: it may outlive the window, which never waits for it.
    std::thread([window = hwnd_, file, probes = env_.probes, show = env_.dialogs.showInFolder] {
        try {
            const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
            const FolderToShow shown = ShowInFolder(file, probes.folderExists, probes.fileExists);
            auto report = std::make_unique<std::wstring>(shown.missing);
            if (report->empty() && !show(window, shown.folder, shown.file))
                *report = L"The folder " + shown.folder + L" could not be shown.";
            if (SUCCEEDED(com)) CoUninitialize();
            if (!report->empty() && PostMessageW(window, WM_FOLDER_REPORT, 0, reinterpret_cast<LPARAM>(report.get())))
                report.release();
        } catch (...) {
            // Out of memory: nothing is shown.
        }
    }).detach();
}

void frmMain::OnFolderReport(std::wstring* message) {
    const std::unique_ptr<std::wstring> owned(message);
    Modal([&] { env_.dialogs.report(hwnd_, *owned); });
}

}  // namespace ui
