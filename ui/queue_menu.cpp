// The queues' menu, with the choice of files at once that both share, and the
// marks the last batch left on their entries.
#include "ui/frmMain.h"
#include "ui/window_queue.h"

namespace ui {

using enum ControlId;

void frmMain::OnQueueMenu(Panel panel, POINT at) {
    WindowQueue queue(hwnd_, panel);
    const bool clear = IsWindowEnabled(Control(ControlsOf(panel).cle));
    const std::vector<MenuItem> items = QueueMenu(queue, queue.RemoveEnabled(), clear, env_.processors, filesAtOnce_);
    const int command = ShowMenu(items, Control(ControlsOf(panel).list), at);
    switch (command) {
        case RemoveConvertedEntries: RemoveConverted(queue); break;
        case RemoveSelectedEntry: cmbRem_Click(panel); break;
        case ClearEntries: cmbCle_Click(panel); break;
        case OpenEntryFolder: ShowFileInFolder(queue.At(queue.Selected())); break;
    }
    // The next batch takes it; the queues take no menu while one runs.
    if (command > FilesAtOnceCommand) filesAtOnce_ = command - FilesAtOnceCommand;
}

void frmMain::OnFileLine(int line, const conversion::LineFile& file) {
    ListBox log(Control(lstStatus));
    // A replaced line keeps its place here, so a long session keeps one path per line.
    if (const auto kept = static_cast<size_t>(log.Data(line)); kept != 0 && kept <= lineFiles_.size()) {
        lineFiles_[kept - 1] = FileOfLine(file);
    } else {
        lineFiles_.push_back(FileOfLine(file));
        log.SetData(line, static_cast<LPARAM>(lineFiles_.size()));
    }
    if (!file.converted) return;
    WindowQueue queue(hwnd_, batchPanel_);
    queue.SetConverted(file.entry, true);
}

}  // namespace ui
