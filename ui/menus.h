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
    const wchar_t* text;
    bool enabled;
};

enum LogCommand { CopyLine = 1, CopyAllLines, SaveLines, OpenLineFolder };
// `file`: the selected line tells of a file.
std::vector<MenuItem> LogMenu(int lines, int selected, bool file);

enum QueueCommand { RemoveConvertedEntries = 1, RemoveSelectedEntry, ClearEntries, OpenEntryFolder };
// The two buttons' states are given, as the queue's own buttons have them.
std::vector<MenuItem> QueueMenu(const QueueView& queue, bool removeEnabled, bool clearEnabled);

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
