#include "common/file_probes.h"

#include <windows.h>

#include "common/paths.h"

namespace common {
namespace {

bool Attributes(const std::wstring& path, DWORD& attributes) {
    attributes = ::GetFileAttributesW(SystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

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

std::wstring SystemPath(const std::wstring& path) {
    const std::wstring full = FullPath(path);
    // Only a path that reaches the limit changes: every shorter one keeps the plain form's meaning.
    return full.size() < kLongPath ? path : ExtendedLengthPath(full);
}

bool FolderExists(const std::wstring& path) {
    DWORD attributes = 0;
    return Attributes(path, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = 0;
    return Attributes(path, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

Presence PathPresence(const std::wstring& path) {
    DWORD attributes = 0;
    return Attributes(path, attributes) ? Presence::There : PresenceAfterError(::GetLastError());
}

bool RemoveFile(const std::wstring& path) {
    return ::DeleteFileW(SystemPath(path).c_str()) || PresenceAfterError(::GetLastError()) == Presence::Absent;
}

std::wstring ToolFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return FolderOfPath(buffer);
        }
        buffer.resize(buffer.size() * 2);  // truncated
    }
}

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(folder, length);
}

std::wstring CurrentFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length);  // the size needed, terminator included
    }
}

}  // namespace common
