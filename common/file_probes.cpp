#include "common/file_probes.h"

#include <windows.h>

#include "common/paths.h"

namespace common {
namespace {

// A path the system writes into a buffer it is given, grown as often as it asks for more.
template <typename Query>
std::wstring AskedPath(Query query) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = query(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length);  // the size needed, terminator included
    }
}

bool Attributes(const std::wstring& path, DWORD& attributes) {
    attributes = ::GetFileAttributesW(SystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES;
}

// A full path that the ordinary calls would read as another file's.
bool Rewritten(const std::wstring& path) { return !KeptByPathRules(path) && ExactPath(path) != path; }

}  // namespace

std::wstring FullPath(const std::wstring& path) {
    // The system's own would resolve it to the other file (or a device).
    if (Rewritten(path)) return FoldBackslashes(path);
    return AskedPath(
        [&](wchar_t* buffer, DWORD size) { return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr); });
}

std::wstring SystemPath(const std::wstring& path) {
    const std::wstring full = FullPath(path);
    if (Rewritten(path)) return ExactPath(full);
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
    return AskedPath([](wchar_t* buffer, DWORD size) { return ::GetCurrentDirectoryW(size, buffer); });
}

std::wstring TemporaryFolder() {
    const std::wstring folder = AskedPath([](wchar_t* buffer, DWORD size) { return ::GetTempPathW(size, buffer); });
    return folder.size() > 3 && folder.back() == L'\\' ? folder.substr(0, folder.size() - 1) : folder;
}

std::wstring ShortPath(const std::wstring& path) {
    const std::wstring exact = SystemPath(path);
    const std::wstring shortPath =
        AskedPath([&](wchar_t* buffer, DWORD size) { return ::GetShortPathNameW(exact.c_str(), buffer, size); });
    // In the form it was asked in: the converter is never given a \\?\ path.
    return exact == path ? shortPath : PlainPath(shortPath);
}

}  // namespace common
