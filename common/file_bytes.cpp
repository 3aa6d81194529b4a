#include "common/file_bytes.h"

#include <algorithm>

#include "common/win_handles.h"

namespace common {
namespace {

// Deletes the temporary file unless it has been moved into place.
class TempFileGuard {
public:
    explicit TempFileGuard(std::wstring path) : path_(std::move(path)) {}
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    ~TempFileGuard() {
        if (!path_.empty()) ::DeleteFileW(path_.c_str());
    }
    const std::wstring& path() const { return path_; }
    void Release() { path_.clear(); }

private:
    std::wstring path_;
};

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// A new file beside `path`, so the final move stays on one volume.
win::unique_file CreateTempBeside(const std::wstring& path, std::wstring& tempPath) {
    const std::wstring stem = path + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = stem + std::to_wstring(attempt) + L".tmp";
        win::unique_file file(
            ::CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return file;
        if (::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    tempPath.clear();
    return {};
}

}  // namespace

// Windows' own move already refuses a read-only or locked file, but Wine's
// replaces both, so the check is made here first.
bool CanReplace(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    win::unique_file probe(::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(probe);
}

std::optional<std::string> ReadFileBytes(const std::wstring& path, size_t maxBytes) {
    win::unique_file file(::CreateFileW(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char chunk[4096];
    while (bytes.size() < maxBytes) {
        const DWORD want = static_cast<DWORD>(std::min(sizeof chunk, maxBytes - bytes.size()));
        DWORD got = 0;
        if (!::ReadFile(file.get(), chunk, want, &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        bytes.append(chunk, got);
    }
    return bytes;
}

bool ReplaceFileBytes(const std::wstring& path, std::string_view bytes) {
    if (!CanReplace(path)) return false;
    std::wstring tempPath;
    win::unique_file file = CreateTempBeside(path, tempPath);
    if (!file) return false;
    TempFileGuard guard(std::move(tempPath));

    if (!WriteAll(file.get(), bytes) || !::FlushFileBuffers(file.get())) return false;
    file.reset();  // an open handle would block the move
    if (!::MoveFileExW(guard.path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    guard.Release();
    return true;
}

}  // namespace common
