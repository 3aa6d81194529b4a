#include "conversion/file_system.h"

#include <windows.h>

#include <cstring>
#include <optional>

#include "common/file_probes.h"
#include "common/win_handles.h"
#include "conversion/file_identity.h"

namespace conversion {
namespace {

// FILE_ID_INFO and its class, which the headers give only from Windows 8 on.
struct FileIdInfo {
    ULONGLONG VolumeSerialNumber;
    BYTE FileId[16];
};
constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);

// Opens without read or write access, so files and folders held open by
// others still answer. Nothing when the file system cannot say.
std::optional<FileIdentity> Identity(const std::wstring& path) {
    win::unique_file file(::CreateFileW(common::SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return std::nullopt;
    FileIdentity identity;
    FileIdInfo wide{};
    if (::GetFileInformationByHandleEx(file.get(), kFileIdInfo, &wide, sizeof wide)) {
        identity.wide = true;
        identity.volume = wide.VolumeSerialNumber;
        std::memcpy(identity.id.data(), wide.FileId, sizeof wide.FileId);
        return identity;
    }
    // Windows 7, or a file system that keeps no 128-bit IDs.
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    const ULONGLONG index = (ULONGLONG{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    identity.volume = info.dwVolumeSerialNumber;
    std::memcpy(identity.id.data(), &index, sizeof index);
    return identity;
}

}  // namespace

bool SameFile(const std::wstring& source, const std::wstring& destination) {
    const std::wstring fullSource = common::FullPath(source);
    const std::wstring fullDestination = common::FullPath(destination);
    if (!fullSource.empty() &&
        ::CompareStringOrdinal(fullSource.c_str(), static_cast<int>(fullSource.size()), fullDestination.c_str(),
                               static_cast<int>(fullDestination.size()), TRUE) == CSTR_EQUAL) {
        return true;
    }
    // Different spellings of one file: short names, links, other case rules.
    // The destination goes first: when it does not exist yet, one failed open ends it.
    const std::optional<FileIdentity> destinationId = Identity(destination);
    return destinationId && SameIdentity(Identity(source), destinationId);
}

std::wstring PathKey(const std::wstring& path) {
    std::wstring key = common::FullPath(path);
    if (key.empty()) key = path;
    // The case rules of CompareStringOrdinal, which also decides SameFile.
    ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, key.data(), static_cast<int>(key.size()), key.data(),
                    static_cast<int>(key.size()), nullptr, nullptr, 0);
    return key;
}

}  // namespace conversion
