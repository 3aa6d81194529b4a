#pragma once
// Files and folders dropped on the window, as queue entries. Windows only.
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ui/queue_rules.h"

namespace ui {

// The paths a drop carries, in its order. Releases the drop.
std::vector<std::wstring> TakeDroppedPaths(HDROP drop);

// Posted to the window when a collection has ended.
inline constexpr UINT WM_DROP_COLLECTED = WM_APP + 2;

// What a drop brings: its queue entries, and the folders that could not be read.
struct DroppedFiles {
    std::vector<std::wstring> entries;
    std::vector<UnreadFolder> unread;
};

// The queue entries a drop brings, collected on a worker thread, since a
// folder tree can take long. Files stay as they are; a folder brings the files
// under it whose names match `pattern`, sorted folder by folder, at any depth
// and path length. Links to folders are not followed.
class DropCollection {
public:
    DropCollection(HWND window, std::vector<std::wstring> paths, std::wstring pattern);
    ~DropCollection();  // cancels, and waits for the worker
    DropCollection(const DropCollection&) = delete;
    DropCollection& operator=(const DropCollection&) = delete;

    void Cancel() { cancelled_ = true; }
    // After WM_DROP_COLLECTED: what it brings, or nothing when cancelled.
    std::optional<DroppedFiles> Take();

private:
    std::atomic<bool> cancelled_{false};
    DroppedFiles found_;
    std::thread worker_;
};

}  // namespace ui
