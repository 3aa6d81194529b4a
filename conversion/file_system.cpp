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

constexpr int kRemoveTries = 20;
constexpr DWORD kRemovePause = 50;

DWORD CALLBACK CancelOnStop(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE,
                            LPVOID stopNow) {
    return ::WaitForSingleObject(stopNow, 0) == WAIT_OBJECT_0 ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

// Copies over a reserved file of this program's; what a failed or cancelled copy began goes with it.
FileStep CopyOver(const std::wstring& from, const std::wstring& to, void* stopNow) {
    if (stopNow && ::WaitForSingleObject(stopNow, 0) == WAIT_OBJECT_0) return {{}, true};
    if (::CopyFileExW(common::SystemPath(from).c_str(), common::SystemPath(to).c_str(),
                      stopNow ? CancelOnStop : nullptr, stopNow, nullptr, 0))
        return {};
    const DWORD error = ::GetLastError();
    if (error == ERROR_REQUEST_ABORTED) return {{}, true};
    return {common::SystemMessage(error)};
}

}  // namespace

bool SameFile(const std::wstring& source, const std::wstring& destination, const FileState& destinationState) {
    const std::wstring fullSource = common::FullPath(source);
    const std::wstring fullDestination = common::FullPath(destination);
    if (!fullSource.empty() &&
        ::CompareStringOrdinal(fullSource.c_str(), static_cast<int>(fullSource.size()), fullDestination.c_str(),
                               static_cast<int>(fullDestination.size()), TRUE) == CSTR_EQUAL) {
        return true;
    }
    // Different spellings of one file: short names, links, other case rules.
    // The destination goes first: when it does not exist yet, that ends it. Each identity
    // is a trip to another process under Wine, so one already known is not asked again.
    if (destinationState.presence == common::Presence::Absent) return false;
    const std::optional<FileIdentity> destinationId =
        destinationState.identity ? destinationState.identity : Identity(destination);
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

PathSeams::Reservation Reserve(const std::wstring& path) {
    const win::unique_file made(::CreateFileW(common::SystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (made) return {PathSeams::Reserved::Made, {}};
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return {PathSeams::Reserved::Taken, {}};
    return {PathSeams::Reserved::Failed, common::SystemMessage(error)};
}

std::wstring RemoveTemporary(const std::wstring& path) {
    const std::wstring exact = common::SystemPath(path);
    // A scanner, or a process the converter started, may hold it for a moment.
    DWORD error = 0;
    for (int tries = 0; tries < kRemoveTries; ++tries) {
        if (tries > 0) ::Sleep(kRemovePause);
        if (::DeleteFileW(exact.c_str())) return {};
        error = ::GetLastError();
        if (common::PresenceAfterError(error) == common::Presence::Absent) return {};
        // A converter may have made it read-only.
        if (error == ERROR_ACCESS_DENIED && ::SetFileAttributesW(exact.c_str(), FILE_ATTRIBUTE_NORMAL) &&
            ::DeleteFileW(exact.c_str()))
            return {};
    }
    return common::SystemMessage(error);
}

FileStep CopyForConverter(const std::wstring& source, const std::wstring& copy, void* stopNow) {
    FileStep step = CopyOver(source, copy, stopNow);
    // It takes the source's attributes: read-only, it could not be deleted after.
    if (step.failure.empty() && !step.stopped)
        ::SetFileAttributesW(common::SystemPath(copy).c_str(), FILE_ATTRIBUTE_NORMAL);
    return step;
}

FileStep MoveIntoPlace(const Placement& placement, void* stopNow) {
    const std::wstring staging = common::SystemPath(placement.staging), to = common::SystemPath(placement.to);
    if (placement.staging != placement.from) {
        // From another folder, maybe another volume: a copy, whole and on the disk before it replaces anything.
        if (FileStep step = CopyOver(placement.from, placement.staging, stopNow); step.stopped || !step.failure.empty())
            return step;
        ::SetFileAttributesW(staging.c_str(), FILE_ATTRIBUTE_NORMAL);
        const win::unique_file written(
            ::CreateFileW(staging.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!written || !::FlushFileBuffers(written.get())) return {common::SystemMessage(::GetLastError())};
    }
    if (placement.backup.empty()) {
        if (::MoveFileExW(staging.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return {};
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return {common::SystemMessage(error)};
    } else {
        // The destination keeps its attributes and permissions.
        const std::wstring backup = common::SystemPath(placement.backup);
        if (::ReplaceFileW(to.c_str(), staging.c_str(), backup.c_str(),
                           REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr))
            return {};
        // The earlier file went to the backup and the new one did not follow: it comes back first.
        if (::GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
            ::MoveFileExW(backup.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    // Where ReplaceFileW cannot serve, a rename within the folder, which never leaves a part of a file.
    if (::MoveFileExW(staging.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return {};
    return {common::SystemMessage(::GetLastError())};
}

}  // namespace conversion
