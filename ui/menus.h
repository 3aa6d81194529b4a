#pragma once
// The context menus of the queues and of the status log, and what their
// "Open containing folder" shows, decided without a window. Portable.
#include <functional>
#include <string>
#include <vector>

#include "conversion/batch.h"
#include "ui/queue_rules.h"

namespace ui {

// One line of a menu; command 0 is a separator.
struct MenuItem {
    int command;
    std::wstring text;
    bool enabled;
    bool checked;  // with a radio mark: the current one of a choice
};

enum LogCommand { CopyLine = 1, CopyAllLines, SaveLines, OpenLineFolder };
// `file`: the selected line tells of a file.
std::vector<MenuItem> LogMenu(int lines, int selected, bool file);

enum QueueCommand { RemoveConvertedEntries = 1, RemoveSelectedEntry, ClearEntries, OpenEntryFolder };
// FilesAtOnceCommand + n: convert n files at a time.
inline constexpr int FilesAtOnceCommand = 100;
// The two buttons' states are given, as the queue's own buttons have them; below
// its commands, how many files a batch converts at once.
std::vector<MenuItem> QueueMenu(const QueueView& queue, bool removeEnabled, bool clearEnabled, int processors,
                                int filesAtOnce);
// "One file at a time", "2 files at a time", 4 and 8, the logical processors (at most
// 32) and the current number, each once and in order; the current one checked.
std::vector<MenuItem> FilesAtOnceItems(int processors, int current);

// The file a log line leads to: what the converter made once the line ends in DONE, else the source.
std::wstring FileOfLine(const conversion::LineFile& line);

// "Open containing folder" for `file`: its folder, to be shown with it selected,
// or, when either is gone, the message that says which.
struct FolderToShow {
    std::wstring folder, file, missing;
};
FolderToShow ShowInFolder(const std::wstring& file, const std::function<bool(const std::wstring&)>& folderExists,
                          const std::function<bool(const std::wstring&)>& fileExists);

}  // namespace ui
