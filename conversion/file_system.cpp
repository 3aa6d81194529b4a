#include "conversion/file_system.h"

#include <windows.h>

#include "common/win_handles.h"

namespace conversion {
namespace {

// Empty on failure.
std::wstring FullPath(const std::wstring& path) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length);  // length includes the terminator here
    }
}

struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool operator==(const FileIdentity&) const = default;
};

// Opens without read or write access, so files and folders held open by
// others still answer.
bool Identity(const std::wstring& path, FileIdentity& identity) {
    win::unique_file file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info)) return false;
    identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

}  // namespace

bool SameFile(const std::wstring& source, const std::wstring& destination) {
    const std::wstring fullSource = FullPath(source);
    const std::wstring fullDestination = FullPath(destination);
    if (!fullSource.empty() &&
        ::CompareStringOrdinal(fullSource.c_str(), static_cast<int>(fullSource.size()), fullDestination.c_str(),
                               static_cast<int>(fullDestination.size()), TRUE) == CSTR_EQUAL) {
        return true;
    }
    // Different spellings of one file: short names, links, other case rules.
    // The destination goes first: when it does not exist yet, one failed open ends it.
    FileIdentity sourceId, destinationId;
    return Identity(destination, destinationId) && Identity(source, sourceId) && sourceId == destinationId;
}

std::wstring PathKey(const std::wstring& path) {
    std::wstring key = FullPath(path);
    if (key.empty()) key = path;
    // The case rules of CompareStringOrdinal, which also decides SameFile.
    ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, key.data(), static_cast<int>(key.size()), key.data(),
                    static_cast<int>(key.size()), nullptr, nullptr, 0);
    return key;
}

}  // namespace conversion
