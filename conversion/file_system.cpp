#include "conversion/file_system.h"

#include <windows.h>

#include <cstring>
#include <optional>

#include "common/file_probes.h"
#include "common/system_message.h"
#include "common/win_handles.h"

namespace conversion {
namespace {

// FILE_ID_INFO and its class, which the headers give only from Windows 8 on.
struct FileIdInfo {
    ULONGLONG VolumeSerialNumber;
    BYTE FileId[16];
};
constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);

// Opens without read or write access, so files and folders held open by
// others still answer.
win::unique_file OpenToLook(const std::wstring& path) {
    return win::unique_file(::CreateFileW(common::SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Nothing when the file system cannot say.
std::optional<FileIdentity> IdentityOf(HANDLE file) {
    FileIdentity identity;
    FileIdInfo wide{};
    if (::GetFileInformationByHandleEx(file, kFileIdInfo, &wide, sizeof wide)) {
        identity.wide = true;
        identity.volume = wide.VolumeSerialNumber;
        std::memcpy(identity.id.data(), wide.FileId, sizeof wide.FileId);
        return identity;
    }
    // Windows 7, or a file system that keeps no 128-bit IDs.
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) return std::nullopt;
    const ULONGLONG index = (ULONGLONG{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    identity.volume = info.dwVolumeSerialNumber;
    std::memcpy(identity.id.data(), &index, sizeof index);
    return identity;
}

std::optional<FileIdentity> Identity(const std::wstring& path) {
    const win::unique_file file = OpenToLook(path);
    return file ? IdentityOf(file.get()) : std::nullopt;
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

FileState StateOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(common::SystemPath(path).c_str(), GetFileExInfoStandard, &data))
        return {common::PresenceAfterError(::GetLastError())};
    FileState state{common::Presence::There, (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
                    (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime};
    // The change time and the identity too: a copy over a file keeps the file and takes the source's last-write time.
    if (const win::unique_file file = OpenToLook(path)) {
        FILE_BASIC_INFO basic{};
        if (::GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic))
            state.lastChange = basic.ChangeTime.QuadPart;
        state.identity = IdentityOf(file.get());
    }
    return state;
}

std::wstring CopyForConverter(const std::wstring& source, const std::wstring& copy) {
    // Fails where anything is already: a name the converter is given is never one in use.
    if (::CopyFileW(common::SystemPath(source).c_str(), common::SystemPath(copy).c_str(), TRUE)) return {};
    const DWORD error = ::GetLastError();
    // What it began goes; a file that took the name meanwhile is someone else's.
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) ::DeleteFileW(common::SystemPath(copy).c_str());
    return common::SystemMessage(error);
}

std::wstring MoveIntoPlace(const std::wstring& from, const std::wstring& to) {
    // From the temporary folder it is a copy to another volume; flushed before it counts as done.
    if (::MoveFileExW(common::SystemPath(from).c_str(), common::SystemPath(to).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
        return {};
    return common::SystemMessage(::GetLastError());
}

}  // namespace conversion
