#pragma once
// Files and folders dropped on the window, as queue entries. Windows only.
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace ui {

// The paths a drop carries, in its order. Releases the drop.
std::vector<std::wstring> TakeDroppedPaths(HDROP drop);

// Posted to the window when a collection has ended.
inline constexpr UINT WM_DROP_COLLECTED = WM_APP + 2;

// The queue entries a drop brings, collected on a worker thread, since a
// folder tree can take long. Files stay as they are; a folder brings the files
// under it whose names match `pattern`, sorted folder by folder. Links to
// folders are not followed.
class DropCollection {
public:
    DropCollection(HWND window, std::vector<std::wstring> paths, std::wstring pattern);
    ~DropCollection();  // cancels, and waits for the worker
    DropCollection(const DropCollection&) = delete;
    DropCollection& operator=(const DropCollection&) = delete;

    void Cancel() { cancelled_ = true; }
    // After WM_DROP_COLLECTED: the entries, or nothing when cancelled.
    std::optional<std::vector<std::wstring>> Take();

private:
    std::atomic<bool> cancelled_{false};
    std::vector<std::wstring> entries_;
    std::thread worker_;
};

}  // namespace ui
