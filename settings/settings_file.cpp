#include "settings/settings_file.h"

#include <algorithm>
#include <climits>

#include "common/win_handles.h"
#include "conversion/paths.h"

namespace settings {
namespace {

// The file is four short lines; anything past this is not ours to read.
constexpr size_t kMaxFileBytes = 1 << 20;

class SystemAnsi final : public AnsiCodec {
public:
    std::optional<std::string> Encode(std::wstring_view text) const override {
        if (text.empty()) return std::string();
        if (text.size() > INT_MAX / 4) return std::nullopt;
        // A UTF-8 system code page takes neither the best-fit flag nor the
        // default-char report; invalid input is refused there instead.
        const bool utf8 = ::GetACP() == CP_UTF8;
        const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
        BOOL usedDefault = FALSE;
        BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
        const int length = static_cast<int>(text.size());

        int size = ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr,
                                         usedDefaultOut);
        if (size <= 0 || usedDefault) return std::nullopt;
        std::string bytes(static_cast<size_t>(size), '\0');
        size = ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, bytes.data(), size, nullptr,
                                     usedDefaultOut);
        if (size <= 0 || usedDefault) return std::nullopt;
        bytes.resize(static_cast<size_t>(size));
        // Some code pages map several characters to one byte sequence without
        // admitting a default char; only an exact round trip is good enough.
        if (Decode(bytes) != text) return std::nullopt;
        return bytes;
    }

    std::wstring Decode(std::string_view bytes) const override {
        if (bytes.empty() || bytes.size() > INT_MAX) return {};
        const int length = static_cast<int>(bytes.size());
        int size = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
        if (size <= 0) return {};
        std::wstring text(static_cast<size_t>(size), L'\0');
        size = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), size);
        text.resize(static_cast<size_t>(std::max(size, 0)));
        return text;
    }
};

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
        win::unique_file file(::CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return file;
        if (::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    tempPath.clear();
    return {};
}

// Whether an existing file may be replaced. Windows' own move already refuses
// a read-only or locked file, but Wine's replaces both, so the check is made
// here first.
bool MayReplace(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    win::unique_file probe(::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(probe);
}

}  // namespace

const AnsiCodec& SystemAnsiCodec() {
    static const SystemAnsi codec;
    return codec;
}

std::wstring SettingsPath(const std::wstring& toolFolder) { return conversion::JoinPath(toolFolder, L"karvelxml.ini"); }

std::optional<Settings> LoadSettings(const std::wstring& path, const Settings& initial) {
    try {
        win::unique_file file(::CreateFileW(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return std::nullopt;
        std::string bytes;
        char chunk[4096];
        while (bytes.size() < kMaxFileBytes) {
            const DWORD want = static_cast<DWORD>(std::min(sizeof chunk, kMaxFileBytes - bytes.size()));
            DWORD got = 0;
            if (!::ReadFile(file.get(), chunk, want, &got, nullptr)) return std::nullopt;
            if (got == 0) break;
            bytes.append(chunk, got);
        }
        return ReadSettings(bytes, SystemAnsiCodec(), initial);
    } catch (...) {
        return std::nullopt;
    }
}

bool SaveSettings(const std::wstring& path, const Settings& values) {
    try {
        const std::string bytes = WriteSettings(values, SystemAnsiCodec());
        if (!MayReplace(path)) return false;
        std::wstring tempPath;
        win::unique_file file = CreateTempBeside(path, tempPath);
        if (!file) return false;
        TempFileGuard guard(std::move(tempPath));

        if (!WriteAll(file.get(), bytes) || !::FlushFileBuffers(file.get())) return false;
        file.reset();  // an open handle would block the move
        if (!::MoveFileExW(guard.path().c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return false;
        }
        guard.Release();
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace settings
