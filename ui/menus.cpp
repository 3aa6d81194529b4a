#include "ui/menus.h"

#include <algorithm>

#include "common/paths.h"
#include "settings/settings_format.h"

namespace ui {

std::vector<MenuItem> LogMenu(int lines, int selected, bool file) {
    return {{CopyLine, L"Copy", selected >= 0, false},
            {CopyAllLines, L"Copy all", lines > 0, false},
            {SaveLines, L"Save log as...", lines > 0, false},
            {0, L"", false, false},
            {OpenLineFolder, L"Open containing folder", file, false}};
}

std::vector<MenuItem> QueueMenu(const QueueView& queue, bool removeEnabled, bool clearEnabled, int processors,
                                int filesAtOnce) {
    bool converted = false;
    for (int i = 0; i < queue.Count() && !converted; ++i) converted = queue.Converted(i);
    std::vector<MenuItem> items{{RemoveConvertedEntries, L"Remove converted files", converted, false},
                                {RemoveSelectedEntry, L"Remove selected", removeEnabled, false},
                                {ClearEntries, L"Clear list", clearEnabled, false},
                                {0, L"", false, false},
                                {OpenEntryFolder, L"Open containing folder", queue.Selected() >= 0, false},
                                {0, L"", false, false}};
    for (MenuItem& item : FilesAtOnceItems(processors, filesAtOnce)) items.push_back(std::move(item));
    return items;
}

std::vector<MenuItem> FilesAtOnceItems(int processors, int current) {
    const auto files = [](int n) { return std::clamp(n, 1, settings::kMostFilesAtOnce); };
    std::vector<int> choices{1, 2, 4, 8, files(processors), files(current)};
    std::sort(choices.begin(), choices.end());
    choices.erase(std::unique(choices.begin(), choices.end()), choices.end());
    std::vector<MenuItem> items;
    for (const int n : choices)
        items.push_back({FilesAtOnceCommand + n,
                         n == 1 ? L"One file at a time" : std::to_wstring(n) + L" files at a time", true,
                         n == files(current)});
    return items;
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
