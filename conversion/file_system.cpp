#include "conversion/file_system.h"

#include "common/win_handles.h"
#include "conversion/paths.h"

namespace conversion {
namespace {

bool Attributes(const std::wstring& path, DWORD& attributes) {
    attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES;
}

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
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info)) return false;
    identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

}  // namespace

bool FolderExists(const std::wstring& path) {
    DWORD attributes = 0;
    return Attributes(path, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = 0;
    return Attributes(path, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

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

RunResult RunAndWait(const std::wstring& commandLine, MessagePump pump) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoW(&startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;

    std::wstring mutableLine = commandLine;  // CreateProcessW may write into it
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                          nullptr, &startup, &info)) {
        return {};
    }
    win::unique_handle process(info.hProcess);
    win::unique_handle thread(info.hThread);

    HANDLE waitFor = process.get();
    if (pump) {
        for (;;) {
            const DWORD woken =
                ::MsgWaitForMultipleObjectsEx(1, &waitFor, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            if (woken == WAIT_OBJECT_0 + 1) {
                pump();
                continue;
            }
            if (woken != WAIT_OBJECT_0) ::WaitForSingleObject(waitFor, INFINITE);  // the message wait failed
            break;
        }
    } else {
        ::WaitForSingleObject(waitFor, INFINITE);
    }

    RunResult result;
    result.started = true;
    DWORD exitCode = 0;
    // An outcome that cannot be read is no success: report it as a failure code.
    result.exitCode = ::GetExitCodeProcess(process.get(), &exitCode) ? exitCode : 0xFFFFFFFF;
    return result;
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

}  // namespace conversion
