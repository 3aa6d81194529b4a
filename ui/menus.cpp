#include "ui/menus.h"

#include "common/paths.h"

namespace ui {

std::vector<MenuItem> LogMenu(int lines, int selected, bool file) {
    return {{CopyLine, L"Copy", selected >= 0},
            {CopyAllLines, L"Copy all", lines > 0},
            {SaveLines, L"Save log as...", lines > 0},
            {0, nullptr, false},
            {OpenLineFolder, L"Open containing folder", file}};
}

std::vector<MenuItem> QueueMenu(const QueueView& queue, bool removeEnabled, bool clearEnabled) {
    bool converted = false;
    for (int i = 0; i < queue.Count() && !converted; ++i) converted = queue.Converted(i);
    return {{RemoveConvertedEntries, L"Remove converted files", converted},
            {RemoveSelectedEntry, L"Remove selected", removeEnabled},
            {ClearEntries, L"Clear list", clearEnabled},
            {0, nullptr, false},
            {OpenEntryFolder, L"Open containing folder", queue.Selected() >= 0}};
}

std::wstring FileOfLine(const conversion::LineFile& line) { return line.converted ? line.destination : line.source; }

FolderToShow ShowInFolder(const std::wstring& file, const std::function<bool(const std::wstring&)>& folderExists,
                          const std::function<bool(const std::wstring&)>& fileExists) {
    // A queue entry may hold a doubled backslash (a drive's root chosen in the dialog).
    const std::wstring path = common::FoldBackslashes(file), folder = common::FolderOfPath(path);
    if (!folderExists(common::JoinPath(folder, L""))) return {{}, {}, L"The folder " + folder + L" does not exist."};
    if (!fileExists(path)) return {{}, {}, L"The file " + path + L" does not exist."};
    return {folder, path, {}};
}

}  // namespace ui
