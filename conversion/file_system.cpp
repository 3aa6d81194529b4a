#include "conversion/file_system.h"

#include <atomic>
#include <vector>

#include "common/system_code_page.h"
#include "common/win_handles.h"
#include "conversion/converter_output.h"
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
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info)) return false;
    identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

// A pipe whose read end is ours, overlapped, and whose write end the converter
// inherits as its standard output and error.
struct OutputPipe {
    win::unique_file read, write;

    bool Create() {
        static std::atomic<unsigned> serial{0};
        const std::wstring name =
            L"\\\\.\\pipe\\karvelxml-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
        read.reset(
            ::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                               PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, 64 * 1024, 0, nullptr));
        if (!read) return false;
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        write.reset(
            ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(write);
    }
};

// The one handle a new process may inherit (none when null).
class HandleInheritance {
public:
    explicit HandleInheritance(HANDLE handle) : handle_(handle) {
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (!handle_ || !::InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        if (::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &handle_, sizeof handle_, nullptr,
                                        nullptr))
            list_ = list;
        else
            ::DeleteProcThreadAttributeList(list);
    }
    ~HandleInheritance() {
        if (list_) ::DeleteProcThreadAttributeList(list_);
    }
    HandleInheritance(const HandleInheritance&) = delete;
    HandleInheritance& operator=(const HandleInheritance&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST List() const { return list_; }

private:
    HANDLE handle_;
    std::vector<char> buffer_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// Overlapped reads from the pipe, so the wait can watch the converter and its output at once.
class PipeReader {
public:
    explicit PipeReader(HANDLE pipe) : pipe_(pipe), event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        overlapped_.hEvent = event_.get();
    }
    ~PipeReader() {
        if (!pending_) return;
        DWORD got = 0;
        ::CancelIoEx(pipe_, &overlapped_);
        ::GetOverlappedResult(pipe_, &overlapped_, &got, TRUE);  // the buffer must outlive the read
    }
    PipeReader(const PipeReader&) = delete;
    PipeReader& operator=(const PipeReader&) = delete;
    HANDLE Event() const { return event_.get(); }

    // Takes what has arrived and leaves one read waiting for more. False once
    // the pipe is closed (or cannot be read).
    bool ReadAvailable(OutputTail& tail) {
        if (!event_) return false;
        for (;;) {
            DWORD got = 0;
            if (!pending_) {
                ::ResetEvent(event_.get());
                if (!::ReadFile(pipe_, buffer_, sizeof buffer_, nullptr, &overlapped_) &&
                    ::GetLastError() != ERROR_IO_PENDING)
                    return false;
                pending_ = true;
            }
            if (!::GetOverlappedResult(pipe_, &overlapped_, &got, FALSE)) {
                if (::GetLastError() == ERROR_IO_INCOMPLETE) return true;
                pending_ = false;
                return false;  // closed
            }
            pending_ = false;
            tail.Append(std::string_view(buffer_, got));
        }
    }

private:
    HANDLE pipe_;
    win::unique_handle event_;
    OVERLAPPED overlapped_{};
    bool pending_ = false;
    char buffer_[64 * 1024];
};

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

std::wstring PathKey(const std::wstring& path) {
    std::wstring key = FullPath(path);
    if (key.empty()) key = path;
    // The case rules of CompareStringOrdinal, which also decides SameFile.
    ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, key.data(), static_cast<int>(key.size()), key.data(),
                    static_cast<int>(key.size()), nullptr, nullptr, 0);
    return key;
}

RunResult RunAndWait(const std::wstring& commandLine, HANDLE stopNow) {
    OutputPipe pipe;
    const bool capture = pipe.Create();
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdOutput = startup.StartupInfo.hStdError = pipe.write.get();
    HandleInheritance inherited(capture ? pipe.write.get() : nullptr);
    startup.lpAttributeList = inherited.List();

    std::wstring mutableLine = commandLine;  // CreateProcessW may write into it
    PROCESS_INFORMATION info{};
    const DWORD flags = NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT;
    if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, capture, flags, nullptr, nullptr,
                          &startup.StartupInfo, &info)) {
        return {};
    }
    const win::unique_handle process(info.hProcess), thread(info.hThread);
    // In a job of its own, whatever it starts can be ended with it. Where the
    // system refuses (a job inside a job on older Windows) it is ended alone.
    win::unique_handle job(::CreateJobObjectW(nullptr, nullptr));
    if (job && !::AssignProcessToJobObject(job.get(), process.get())) job.reset();
    ::ResumeThread(thread.get());
    pipe.write.reset();  // from now on only the converter holds it open

    OutputTail tail;
    PipeReader reader(pipe.read.get());
    bool reading = capture && reader.ReadAvailable(tail);
    RunResult result;
    result.started = true;
    for (;;) {
        HANDLE waits[3] = {process.get()};
        DWORD count = 1;
        const DWORD readIndex = reading ? count++ : MAXDWORD, stopIndex = stopNow ? count++ : MAXDWORD;
        if (reading) waits[readIndex] = reader.Event();
        if (stopNow) waits[stopIndex] = stopNow;
        const DWORD woken = ::WaitForMultipleObjects(count, waits, FALSE, INFINITE) - WAIT_OBJECT_0;
        if (woken == readIndex) {
            reading = reader.ReadAvailable(tail);
            continue;
        }
        if (woken == stopIndex) {
            result.ended = job ? ::TerminateJobObject(job.get(), 1) : ::TerminateProcess(process.get(), 1);
        }
        ::WaitForSingleObject(process.get(), INFINITE);  // also when the wait itself failed
        break;
    }
    // What it wrote just before it ended; a process it started may hold the
    // pipe open for longer, and is not waited for.
    if (reading) reader.ReadAvailable(tail);

    DWORD exitCode = 0;
    // An outcome that cannot be read is no success: report it as a failure code.
    result.exitCode = ::GetExitCodeProcess(process.get(), &exitCode) ? exitCode : 0xFFFFFFFF;
    result.output = ShapeOutputLine(tail.LastLine(), tail.LastLineCut(), common::OemCodePage());
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
