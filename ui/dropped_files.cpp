#include "ui/dropped_files.h"

#include <shlwapi.h>

#include <algorithm>

#include "common/dll_search.h"
#include "common/file_probes.h"
#include "common/paths.h"
#include "common/system_message.h"
#include "common/win_handles.h"

namespace ui {
namespace {

// Files under `root` whose names match `pattern`, subfolders included, and the
// folders that could not be read. Folder by folder from a list, not by
// recursion: a tree of thousands of levels would overflow the stack.
void CollectMatching(const std::wstring& root, const std::wstring& pattern, DroppedFiles& out,
                     const std::atomic<bool>& cancelled) {
    KARVEL_SYSTEM_FUNCTION(L"shlwapi.dll", PathMatchSpecW);
    std::vector<std::wstring> folders{root};
    while (!folders.empty() && !cancelled) {
        const std::wstring folder = std::move(folders.back());
        folders.pop_back();
        WIN32_FIND_DATAW data;
        win::unique_find find(FindFirstFileExW(common::SystemPath(common::JoinPath(folder, L"*")).c_str(),
                                               FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                               FIND_FIRST_EX_LARGE_FETCH));
        DWORD error = find ? ERROR_SUCCESS : GetLastError();
        for (bool more = static_cast<bool>(find); more && !cancelled;) {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                // Not part of what the folder holds.
            } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                // For a reparse point, dwReserved0 holds its tag.
                if (WalkInto(data.dwFileAttributes, data.dwReserved0))
                    folders.push_back(common::JoinPath(folder, name));
            } else if (PathMatchSpecW && PathMatchSpecW(name.c_str(), pattern.c_str())) {
                out.entries.push_back(common::JoinPath(folder, name));
            }
            more = FindNextFileW(find.get(), &data);
            if (!more) error = GetLastError();
        }
        // An empty drive holds nothing at all; any other failure leaves the folder unread, or read in part.
        if (error != ERROR_SUCCESS && error != ERROR_NO_MORE_FILES && error != ERROR_FILE_NOT_FOUND && !cancelled)
            out.unread.push_back({folder, common::SystemMessage(error)});
    }
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
                      found_.entries.push_back(path);
                      continue;
                  }
                  DroppedFiles found;
                  CollectMatching(path, pattern, found, cancelled_);
                  std::sort(found.entries.begin(), found.entries.end(), PathLess);
                  std::sort(found.unread.begin(), found.unread.end(),
                            [](const UnreadFolder& a, const UnreadFolder& b) { return PathLess(a.path, b.path); });
                  found_.entries.insert(found_.entries.end(), found.entries.begin(), found.entries.end());
                  found_.unread.insert(found_.unread.end(), found.unread.begin(), found.unread.end());
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

std::optional<DroppedFiles> DropCollection::Take() {
    if (worker_.joinable()) worker_.join();
    if (cancelled_) return std::nullopt;
    return std::move(found_);
}

}  // namespace ui
