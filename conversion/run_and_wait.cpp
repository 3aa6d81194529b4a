#include "conversion/run_and_wait.h"

#include <atomic>
#include <chrono>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <vector>

#include "common/file_probes.h"
#include "common/system_code_page.h"
#include "common/system_message.h"
#include "common/win_handles.h"
#include "conversion/converter_output.h"
#include "conversion/process_end.h"

namespace conversion {
namespace {

using Clock = std::chrono::steady_clock;

// The portable list of starts another try cannot mend, in Windows' own names
// where the headers have them.
static_assert(IsFinalStartError(ERROR_FILE_NOT_FOUND) && IsFinalStartError(ERROR_PATH_NOT_FOUND) &&
              IsFinalStartError(ERROR_BAD_FORMAT) && IsFinalStartError(ERROR_INVALID_NAME) &&
              IsFinalStartError(ERROR_BAD_PATHNAME) && IsFinalStartError(ERROR_INVALID_EXE_SIGNATURE) &&
              IsFinalStartError(ERROR_EXE_MARKED_INVALID) && IsFinalStartError(ERROR_BAD_EXE_FORMAT) &&
              IsFinalStartError(ERROR_EXE_MACHINE_TYPE_MISMATCH) && IsFinalStartError(ERROR_DIRECTORY) &&
              IsFinalStartError(ERROR_ACCESS_DISABLED_BY_POLICY) && !IsFinalStartError(ERROR_SHARING_VIOLATION));

// How long the shared console's maker is given to make it.
constexpr auto kConsoleLimit = std::chrono::seconds(2);
constexpr DWORD kStartRetryPause = 50;
// How long the processes of an ended job are given to be gone, and how often they are looked for.
constexpr DWORD kJobEndLimit = 2000, kJobEndPause = 10;
// Reads that take in more than the pipe can hold.
constexpr int kPipePieces = 4;

// Converters are made one at a time, however many run: under Wine each creation
// forks this process, and side by side they fight over its memory map (at 8 at
// once, measured, a third more CPU a file than the same made in turn).
std::mutex creating;

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

// The handles a new process may inherit, and no others; null handles are left out.
class HandleInheritance {
public:
    explicit HandleInheritance(std::initializer_list<HANDLE> handles) {
        for (HANDLE handle : handles)
            if (handle && handle != INVALID_HANDLE_VALUE) handles_.push_back(handle);
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (handles_.empty() || !::InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        if (::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                        handles_.size() * sizeof(HANDLE), nullptr, nullptr))
            list_ = list;
        else
            ::DeleteProcThreadAttributeList(list);
    }
    ~HandleInheritance() {
        if (list_) ::DeleteProcThreadAttributeList(list_);
    }
    HandleInheritance(const HandleInheritance&) = delete;
    HandleInheritance& operator=(const HandleInheritance&) = delete;
    // Null when there is nothing to inherit, or the system cannot say which.
    LPPROC_THREAD_ATTRIBUTE_LIST List() const { return list_; }

private:
    std::vector<HANDLE> handles_;
    std::vector<char> buffer_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// The NUL device, inheritable: as standard input a reader gets its end at once; as output it takes everything.
win::unique_file Nul(DWORD access) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    return win::unique_file(
        ::CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0, nullptr));
}

// A console host gives a console program its console; its control events are no concern of this program.
BOOL WINAPI IgnoreConsoleEvent(DWORD) { return TRUE; }

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

    // Takes at most `pieces` reads that have arrived and leaves one read
    // waiting for more. False once the pipe is closed (or cannot be read).
    bool Read(OutputTail& tail, int pieces) {
        if (!event_) return false;
        for (int taken = 0;; ++taken) {
            if (!pending_) {
                ::ResetEvent(event_.get());
                if (!::ReadFile(pipe_, buffer_, sizeof buffer_, nullptr, &overlapped_) &&
                    ::GetLastError() != ERROR_IO_PENDING)
                    return false;
                pending_ = true;
            }
            if (taken == pieces) return true;
            DWORD got = 0;
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

// The program of a command line: its first token, quoted or not.
std::wstring ProgramOf(const std::wstring& commandLine) {
    if (commandLine.starts_with(L'"')) return commandLine.substr(1, commandLine.find(L'"', 1) - 1);
    return commandLine.substr(0, commandLine.find(L' '));
}

// Ends the process and whatever it started, and gives them time to be gone,
// so that the files they wrote are closed. False when it could not be ended.
bool EndAll(HANDLE job, HANDLE process) {
    const auto gone = [&] {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
        return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0 &&
               (!job ||
                !::QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr) ||
                info.ActiveProcesses == 0);
    };
    return EndAndWait([&] { return (job ? ::TerminateJobObject(job, 1) : ::TerminateProcess(process, 1)) != FALSE; },
                      gone, [] { ::Sleep(kJobEndPause); }, kJobEndLimit / kJobEndPause);
}

bool Signalled(HANDLE event) { return event && ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

// No converter runs: the start failed for `failure`, or a stop came first.
RunResult NotStarted(bool stopped, const std::wstring& failure = {}) {
    RunResult result;
    result.ended = stopped;
    result.failure = failure;
    return result;
}

}  // namespace

SharedConsole::SharedConsole() {
    if (::GetConsoleCP() != 0) {  // a console program: its own is there to share
        ready_ = true;
        return;
    }
    // A program started from a console program may carry a console handle that is none.
    ::FreeConsole();
    // Windows' own command interpreter, waiting on a pipe that is never written,
    // makes the console; once this process is attached to it, it is not needed.
    const std::wstring system = common::SystemFolder();
    if (system.empty()) return;
    std::wstring commandLine = L"\"" + system + L"\\cmd.exe\" /d /q /k";
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!::CreatePipe(&read, &write, &inheritable, 0)) return;
    const win::unique_handle input(read), held(write);
    const win::unique_file output = Nul(GENERIC_WRITE);
    HandleInheritance inherited({input.get(), output.get()});
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = input.get();
    startup.StartupInfo.hStdOutput = startup.StartupInfo.hStdError = output.get();
    startup.lpAttributeList = inherited.List();
    PROCESS_INFORMATION info{};
    if (!inherited.List() || !::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                               CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr, system.c_str(),
                                               &startup.StartupInfo, &info))
        return;
    const win::unique_handle process(info.hProcess), thread(info.hThread);
    // It can be attached to once it has made its console.
    for (const auto giveUp = Clock::now() + kConsoleLimit; !attached_ && Clock::now() < giveUp; ::Sleep(1))
        attached_ = ::AttachConsole(info.dwProcessId);
    ::TerminateProcess(process.get(), 0);
    ready_ = attached_ && ::SetConsoleCtrlHandler(IgnoreConsoleEvent, TRUE);
}

SharedConsole::~SharedConsole() {
    if (!attached_) return;
    ::SetConsoleCtrlHandler(IgnoreConsoleEvent, FALSE);
    ::FreeConsole();
}

RunResult RunAndWait(const std::wstring& commandLine, const RunOptions& options) {
    OutputPipe pipe;
    const bool capture = pipe.Create();
    const win::unique_file input = Nul(GENERIC_READ);
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdInput = input.get();
    startup.StartupInfo.hStdOutput = startup.StartupInfo.hStdError = pipe.write.get();
    HandleInheritance inherited({capture ? pipe.write.get() : nullptr, input.get()});
    startup.lpAttributeList = inherited.List();

    std::vector<HANDLE> stops;
    for (HANDLE stop : {options.stop, options.stopNow})
        if (stop) stops.push_back(stop);
    const auto stopped = [&] { return Signalled(options.stop) || Signalled(options.stopNow); };
    StartRetries ownRetries;
    StartRetries& retries = options.retries ? *options.retries : ownRetries;
    // Only the time after a refusal is spent of the batch's retries, not that of a start that went well.
    bool refused = false;
    const auto doneTrying = [&] {
        if (refused) retries.Done(StartRetries::Clock::now());
    };
    // By its real path, which need not pass through the code page: its command line names it in a form that does.
    const std::wstring program = options.application.empty() ? ProgramOf(commandLine) : options.application;
    const std::wstring application = common::SystemPath(program);
    PROCESS_INFORMATION info{};
    // Without a console to share it gets one of its own, without a window.
    const DWORD flags = NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT |
                        (options.console && options.console->Ready() ? 0 : CREATE_NO_WINDOW);
    for (;;) {
        if (stopped()) {
            doneTrying();
            return NotStarted(true);
        }
        std::wstring mutableLine = commandLine;  // CreateProcessW may write into it
        bool created = false;
        DWORD error = 0;
        {
            const std::lock_guard oneAtATime(creating);
            created = ::CreateProcessW(options.application.empty() ? nullptr : application.c_str(), mutableLine.data(),
                                       nullptr, nullptr, inherited.List() != nullptr, flags, nullptr,
                                       options.folder.empty() ? nullptr : options.folder.c_str(), &startup.StartupInfo,
                                       &info);
            if (!created) error = ::GetLastError();
        }
        if (created) break;
        const bool again = retries.Refused(error, !refused, StartRetries::Clock::now());
        refused = true;
        if (!again) {
            doneTrying();
            return NotStarted(false, common::SystemMessage(error, program));
        }
        // A pause that a stop cuts short.
        if (stops.empty())
            ::Sleep(kStartRetryPause);
        else
            ::WaitForMultipleObjects(static_cast<DWORD>(stops.size()), stops.data(), FALSE, kStartRetryPause);
    }
    doneTrying();
    const win::unique_handle process(info.hProcess), thread(info.hThread);
    if (options.created) options.created();
    // A stop that came while it was made: it never runs.
    if (stopped()) {
        ::TerminateProcess(process.get(), 1);
        ::WaitForSingleObject(process.get(), kJobEndLimit);
        return NotStarted(true);
    }
    // In a job of its own, whatever it starts can be ended with it. Where the
    // system refuses (a job inside a job on older Windows) it is ended alone.
    win::unique_handle job(::CreateJobObjectW(nullptr, nullptr));
    if (job && !::AssignProcessToJobObject(job.get(), process.get())) job.reset();
    ::ResumeThread(thread.get());
    pipe.write.reset();  // from now on only the converter holds it open

    OutputTail tail;
    PipeReader reader(pipe.read.get());
    bool reading = capture && reader.Read(tail, 0);
    RunResult result;
    result.started = true;
    for (;;) {
        // Stop first: of several signalled handles the wait names the first, and
        // a converter that writes without pause always has output ready.
        HANDLE waits[3];
        DWORD count = 0;
        const DWORD stopIndex = options.stopNow ? count : MAXDWORD;
        if (options.stopNow) waits[count++] = options.stopNow;
        waits[count++] = process.get();
        const DWORD readIndex = reading ? count : MAXDWORD;
        if (reading) waits[count++] = reader.Event();
        const DWORD woken = ::WaitForMultipleObjects(count, waits, FALSE, INFINITE);
        if (woken == WAIT_FAILED) {
            // Unwatched it could run on unseen: end it, and count the entry as failed.
            result.failure = common::SystemMessage(::GetLastError(), program);
            EndAll(job.get(), process.get());
            break;
        }
        if (woken - WAIT_OBJECT_0 == readIndex) {
            reading = reader.Read(tail, 1);
            continue;
        }
        if (woken - WAIT_OBJECT_0 == stopIndex) result.ended = EndAll(job.get(), process.get());
        break;  // it has ended
    }
    // What it wrote just before it ended, as far as the pipe holds it; a
    // process it started may hold the pipe open for longer, and is not waited for.
    if (reading) reader.Read(tail, kPipePieces);

    DWORD exitCode = 0;
    // An outcome that cannot be read is no success: report it as a failure code.
    result.exitCode = ::GetExitCodeProcess(process.get(), &exitCode) ? exitCode : 0xFFFFFFFF;
    result.output = ShapeOutputLine(tail.LastLine(), tail.LastLineCut(), common::OemCodePage());
    return result;
}

}  // namespace conversion
