#include "ui/dropped_files.h"

#include <shlwapi.h>

#include <algorithm>

#include "common/dll_search.h"
#include "common/win_handles.h"
#include "common/file_probes.h"
#include "common/paths.h"
#include "ui/queue_rules.h"

namespace ui {
namespace {

// Files under `folder` whose names match `pattern`, subfolders included.
void CollectMatching(const std::wstring& folder, const std::wstring& pattern, std::vector<std::wstring>& out,
                     const std::atomic<bool>& cancelled) {
    KARVEL_SYSTEM_FUNCTION(L"shlwapi.dll", PathMatchSpecW);
    WIN32_FIND_DATAW data;
    win::unique_find find(FindFirstFileExW(common::JoinPath(folder, L"*").c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return;
    do {
        if (cancelled) return;
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = common::JoinPath(folder, name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // For a reparse point, dwReserved0 holds its tag.
            if (WalkInto(data.dwFileAttributes, data.dwReserved0)) CollectMatching(path, pattern, out, cancelled);
        } else if (PathMatchSpecW && PathMatchSpecW(name.c_str(), pattern.c_str())) {
            out.push_back(path);
        }
    } while (FindNextFileW(find.get(), &data));
}

// Folder by folder, ignoring case, so sub\z.xml comes before sub2\a.xml.
bool PathLess(const std::wstring& a, const std::wstring& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const size_t endA = std::min(a.find(L'\\', i), a.size());
        const size_t endB = std::min(b.find(L'\\', j), b.size());
        const int order = CompareStringOrdinal(a.c_str() + i, static_cast<int>(endA - i), b.c_str() + j,
                                               static_cast<int>(endB - j), TRUE);
        if (order != CSTR_EQUAL) return order == CSTR_LESS_THAN;
        i = endA + 1;
        j = endB + 1;
    }
    return a.size() - std::min(i, a.size()) < b.size() - std::min(j, b.size());
}

}  // namespace

std::vector<std::wstring> TakeDroppedPaths(HDROP drop) {
    KARVEL_SYSTEM_FUNCTION(L"shell32.dll", DragQueryFileW);
    KARVEL_SYSTEM_FUNCTION(L"shell32.dll", DragFinish);
    std::vector<std::wstring> paths;
    if (!DragQueryFileW || !DragFinish) return paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        paths.push_back(std::move(path));
    }
    DragFinish(drop);
    return paths;
}

DropCollection::DropCollection(HWND window, std::vector<std::wstring> paths, std::wstring pattern)
    : worker_([this, window, paths = std::move(paths), pattern = std::move(pattern)] {
          try {
              for (const auto& path : paths) {
                  if (!common::FolderExists(path)) {
                      entries_.push_back(path);
                      continue;
                  }
                  std::vector<std::wstring> found;
                  CollectMatching(path, pattern, found, cancelled_);
                  std::sort(found.begin(), found.end(), PathLess);
                  entries_.insert(entries_.end(), found.begin(), found.end());
              }
          } catch (...) {
              cancelled_ = true;  // out of memory: nothing is added, as after Esc
          }
          PostMessageW(window, WM_DROP_COLLECTED, 0, 0);
      }) {}

DropCollection::~DropCollection() {
    Cancel();
    if (worker_.joinable()) worker_.join();
}

std::optional<std::vector<std::wstring>> DropCollection::Take() {
    if (worker_.joinable()) worker_.join();
    if (cancelled_) return std::nullopt;
    return std::move(entries_);
}

}  // namespace ui
