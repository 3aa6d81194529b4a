// Stand-in for the converter quillon.exe, for tests and for trying the tool
// without the real one. It copies the source to the destination.
//
//   quillon.exe --textxml=DEST SRC   or   quillon.exe --quillon=DEST SRC
//
// Built with KARVEL_STANDIN_ANSI it is an ANSI program, as many command-line
// tools are: it reads its arguments through main(int, char**), in the system's
// code page with its look-alikes, and opens the files those name.
//
// Environment, in the order it acts on it:
//   QUILLON_STANDIN_LOG       append the raw command line to this file (UTF-8, one line each)
//   QUILLON_STANDIN_FOLDER    append the folder it runs in to this file (UTF-8, one line each)
//   QUILLON_STANDIN_STDIN     read standard input to its end, and write how much it read to standard output
//   QUILLON_STANDIN_HANDLE    a handle value: exit with 4 if it is an event this process inherited, set
//   QUILLON_STANDIN_CHILD     start a copy of itself (which sleeps as this one does) before anything else
//   QUILLON_STANDIN_HOLD      keep this file open without sharing until it ends; the copy holds it, when there is one
//   QUILLON_STANDIN_OUTPUT    copy this file's bytes to standard output
//   QUILLON_STANDIN_ERROR     write this text (UTF-8) to standard error
//   QUILLON_STANDIN_FLOOD     write lines to standard output without pause, from two threads, for ever
//   QUILLON_STANDIN_PARTIAL   write the first half of the destination (needs the arguments)
//   QUILLON_STANDIN_SLEEP_MS  sleep this long
//   QUILLON_STANDIN_EXIT      end at once with this code without writing; "crash" for an access violation
//
// Exit codes: 0 written, 1 bad arguments, 2 source missing, 3 destination not written, 4 handle inherited.
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_bytes.h"
#include "common/file_probes.h"
#include "common/system_code_page.h"
#include "common/utf8.h"
#include "common/win_handles.h"

namespace {

std::wstring Environment(const wchar_t* name) {
    std::wstring value(256, L'\0');
    for (;;) {
        const DWORD length = ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) return {};
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);
    }
}

// True when the text is a whole unsigned number (decimal, or hex after 0x).
bool ParseNumber(const std::wstring& text, unsigned long& number) {
    if (text.empty()) return false;
    wchar_t* end = nullptr;
    number = std::wcstoul(text.c_str(), &end, 0);
    return end && *end == L'\0';
}

void AppendLine(const std::wstring& logPath, const std::wstring& line) {
    const std::string utf8 = common::ToUtf8(line) + '\n';
    // Append access alone makes each write land at the end, even when
    // another process has the file open too.
    win::unique_file log(::CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log) return;
    DWORD written = 0;
    ::WriteFile(log.get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

// Without this the system may offer a debugger and the caller would wait
// for a process that never ends.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

[[noreturn]] void Crash() {
    // Both volatile: otherwise the compiler may drop the store or turn it into a trap.
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
    ::ExitProcess(99);
}

// False once the stream takes no more.
bool Write(DWORD stream, std::string_view bytes) {
    DWORD written = 0;
    while (!bytes.empty()) {
        if (!::WriteFile(::GetStdHandle(stream), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

DWORD WINAPI Flood(void*) {
    for (const std::string block = std::string(1 << 20, '.') + "\n"; Write(STD_OUTPUT_HANDLE, block);) continue;
    return 0;
}

void StartSleepingCopy() {
    ::SetEnvironmentVariableW(L"QUILLON_STANDIN_CHILD", nullptr);
    ::SetEnvironmentVariableW(L"QUILLON_STANDIN_LOG", nullptr);
    std::wstring commandLine = ::GetCommandLineW();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // It inherits this one's output, and so keeps the pipe open after this one ends.
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        return;
    const win::unique_handle process(info.hProcess), thread(info.hThread);
}

// The destination of --textxml=DEST or --quillon=DEST; empty for anything else.
std::wstring_view Destination(std::wstring_view option) {
    for (const std::wstring_view prefix : {L"--textxml=", L"--quillon="})
        if (option.substr(0, prefix.size()) == prefix) return option.substr(prefix.size());
    return {};
}

}  // namespace

int Convert(const std::vector<std::wstring>& argv) {
    const std::size_t argc = argv.size();
    ::SetErrorMode(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
    ::SetUnhandledExceptionFilter(EndOnCrash);

    if (const std::wstring log = Environment(L"QUILLON_STANDIN_LOG"); !log.empty())
        AppendLine(log, ::GetCommandLineW());
    if (const std::wstring log = Environment(L"QUILLON_STANDIN_FOLDER"); !log.empty())
        AppendLine(log, common::CurrentFolder());
    if (!Environment(L"QUILLON_STANDIN_STDIN").empty()) {
        std::string input;
        char chunk[4096];
        DWORD got = 0;
        BOOL read;
        while ((read = ::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), chunk, sizeof chunk, &got, nullptr)) && got)
            input.append(chunk, got);
        Write(STD_OUTPUT_HANDLE, read ? "read " + std::to_string(input.size()) + " bytes\n" : "no input\n");
    }
    unsigned long number = 0;
    if (ParseNumber(Environment(L"QUILLON_STANDIN_HANDLE"), number) &&
        ::WaitForSingleObject(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(number)), 0) == WAIT_OBJECT_0)
        return 4;
    const bool startsCopy = !Environment(L"QUILLON_STANDIN_CHILD").empty();
    if (startsCopy) StartSleepingCopy();
    win::unique_file held;
    if (const std::wstring hold = Environment(L"QUILLON_STANDIN_HOLD"); !hold.empty() && !startsCopy)
        held.reset(::CreateFileW(hold.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (const std::wstring output = Environment(L"QUILLON_STANDIN_OUTPUT"); !output.empty())
        Write(STD_OUTPUT_HANDLE, common::ReadFileBytes(output, 1 << 30).value_or(""));
    Write(STD_ERROR_HANDLE, common::ToUtf8(Environment(L"QUILLON_STANDIN_ERROR")));
    if (!Environment(L"QUILLON_STANDIN_FLOOD").empty()) {
        // Two writers, so that one of them always has output waiting to be read.
        ::CreateThread(nullptr, 0, Flood, nullptr, 0, nullptr);
        Flood(nullptr);
    }
    const std::wstring_view destination = argc == 3 ? Destination(argv[1]) : std::wstring_view();
    if (!Environment(L"QUILLON_STANDIN_PARTIAL").empty() && !destination.empty()) {
        const std::string source = common::ReadFileBytes(argv[2], 1 << 30).value_or("");
        common::ReplaceFileBytes(std::wstring(destination), source.substr(0, source.size() / 2));
    }

    if (const std::wstring sleep = Environment(L"QUILLON_STANDIN_SLEEP_MS"); !sleep.empty()) {
        unsigned long milliseconds = 0;
        if (ParseNumber(sleep, milliseconds)) ::Sleep(milliseconds);
    }

    if (const std::wstring exit = Environment(L"QUILLON_STANDIN_EXIT"); !exit.empty()) {
        if (exit == L"crash") Crash();
        // Right after its last write, as a converter that ends quickly: what it wrote must still be read.
        unsigned long code = 0;
        ::TerminateProcess(::GetCurrentProcess(), ParseNumber(exit, code) ? code : 1);
    }

    if (argc != 3) return 1;
    const std::wstring& source = argv[2];
    if (destination.empty() || source.empty()) return 1;

    const DWORD attributes = ::GetFileAttributesW(source.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 2;
    if (!::CopyFileW(source.c_str(), std::wstring(destination).c_str(), FALSE)) return 3;
    return 0;
}

#ifdef KARVEL_STANDIN_ANSI
// The names the code page gave, back as the file functions of an ANSI program take them.
int main(int argc, char** argv) {
    std::vector<std::wstring> arguments;
    for (int i = 0; i < argc; ++i) arguments.push_back(common::AnsiCodePage().Decode(argv[i]));
    return Convert(arguments);
}
#else
int wmain(int argc, wchar_t** argv) { return Convert(std::vector<std::wstring>(argv, argv + argc)); }
#endif
