#pragma once
// Files and folders dropped on the window, as queue entries. Windows only.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace ui {

// The paths a drop carries, in its order. Releases the drop.
std::vector<std::wstring> TakeDroppedPaths(HDROP drop);

// Files stay as they are; a folder brings the files under it whose names match
// `pattern`, sorted folder by folder. Links to folders are not followed.
std::vector<std::wstring> DroppedEntries(const std::vector<std::wstring>& paths, const std::wstring& pattern);

}  // namespace ui
