#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/win_handles.h"
#include "conversion/command_line.h"
#include "conversion/file_system.h"
#include "conversion/paths.h"
#include "test_paths.h"

using namespace conversion;

namespace {

const std::wstring kUnicodeName = L"Gr\u00FC\u00DFe-\u65E5\u672C.xml";

std::wstring Widen(const char* text) { return std::wstring(text, text + std::char_traits<char>::length(text)); }

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    win::unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
    ASSERT_TRUE(file) << "cannot create " << testing::PrintToString(path);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

// Empty when the file cannot be read.
std::string ReadBytes(const std::wstring& path) {
    win::unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (::ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    return bytes;
}

std::vector<std::wstring> Utf8Lines(const std::string& bytes) {
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    std::vector<std::wstring> lines;
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// A fresh folder of its own under the scratch folder for every test, removed afterwards.
class ConversionWin : public testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::wstring(KARVEL_TEST_SCRATCH) + L"\\conversion-" + Widen(test->name()) + L"-" +
                  std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
        ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
    }
    void TearDown() override {
        for (const wchar_t* name : {L"QUILLON_STANDIN_LOG", L"QUILLON_STANDIN_SLEEP_MS", L"QUILLON_STANDIN_EXIT"}) {
            ::SetEnvironmentVariableW(name, nullptr);
        }
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
    }

    std::wstring In(const std::wstring& name) const { return folder_ + L"\\" + name; }

    std::vector<std::wstring> Listing() const {
        std::vector<std::wstring> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().wstring());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::wstring folder_;
};

TEST_F(ConversionWin, ProbesTellFilesFromFolders) {
    WriteBytes(In(L"a.xml"), "<a/>");
    WriteBytes(In(kUnicodeName), "<b/>");
    ASSERT_TRUE(::CreateDirectoryW(In(L"sub").c_str(), nullptr));
    struct Case {
        std::wstring path;
        bool folder;
        bool file;
    };
    const Case cases[] = {
        {folder_, true, false},
        {folder_ + L"\\", true, false},
        {In(L"sub"), true, false},
        {In(L"a.xml"), false, true},
        {In(L"A.XML"), false, true},
        {In(kUnicodeName), false, true},
        {In(L"missing"), false, false},
        {In(L"missing\\deeper"), false, false},
        {In(L"a.xml\\x"), false, false},
        {In(L"*.xml"), false, false},
        {In(L"a?xml"), false, false},
        {In(L"a<b"), false, false},
        {In(L"new|folder"), false, false},
        {L"", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.path));
        EXPECT_EQ(FolderExists(c.path), c.folder);
        EXPECT_EQ(FileExists(c.path), c.file);
    }
    // Probing never creates or removes anything.
    EXPECT_EQ(Listing(), (std::vector<std::wstring>{kUnicodeName, L"a.xml", L"sub"}));
}

TEST_F(ConversionWin, SameFileByPathAndByIdentity) {
    WriteBytes(In(L"a.xml"), "<a/>");
    WriteBytes(In(L"b.xml"), "<a/>");
    ASSERT_TRUE(::CreateDirectoryW(In(L"sub").c_str(), nullptr));
    ASSERT_TRUE(::CreateHardLinkW(In(L"link.xml").c_str(), In(L"a.xml").c_str(), nullptr));
    std::wstring forward = In(L"a.xml");
    std::replace(forward.begin(), forward.end(), L'\\', L'/');
    std::wstring upper = In(L"A.XML");
    std::transform(upper.begin(), upper.end(), upper.begin(), [](wchar_t c) { return std::towupper(c); });
    struct Case {
        std::wstring destination;
        bool same;
    };
    const Case cases[] = {
        {In(L"a.xml"), true},
        {upper, true},
        {In(L"sub\\..\\a.xml"), true},
        {In(L"sub\\..\\.\\a.xml"), true},
        {forward, true},
        {In(L"link.xml"), true},
        {In(L"b.xml"), false},
        {In(L"missing.xml"), false},
        {In(L"sub"), false},
        {L"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.destination));
        EXPECT_EQ(SameFile(In(L"a.xml"), c.destination), c.same);
    }
}

// Runs the stand-in converter beside this test, recording its command lines.
class ConversionRun : public ConversionWin {
protected:
    void SetUp() override {
        ConversionWin::SetUp();
        ::SetEnvironmentVariableW(L"QUILLON_STANDIN_LOG", LogPath().c_str());
    }
    std::wstring LogPath() const { return folder_ + L"\\..\\" + FileNameOfPath(folder_) + L".log"; }
    void TearDown() override {
        ::DeleteFileW(LogPath().c_str());
        ConversionWin::TearDown();
    }
    std::vector<std::wstring> RecordedCommandLines() const { return Utf8Lines(ReadBytes(LogPath())); }
    std::wstring CommandFor(const std::wstring& name) const {
        return BinToTextCommandLine(FolderOfPath(KARVEL_STANDIN_PATH), folder_, name, L"txt", In(name));
    }
};

TEST_F(ConversionRun, ConvertsAndReportsExitZero) {
    WriteBytes(In(L"a.xml"), "<a>1</a>");
    const std::wstring command = CommandFor(L"a.xml");
    const RunResult result = RunAndWait(command);
    EXPECT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(ReadBytes(In(L"a.txt")), "<a>1</a>");
    EXPECT_EQ(RecordedCommandLines(), std::vector<std::wstring>{command});
}

TEST_F(ConversionRun, ReportsTheConvertersExitCode) {
    WriteBytes(In(L"a.xml"), "<a/>");
    struct Case {
        const wchar_t* exit;
        std::uint32_t code;
    };
    const Case cases[] = {{L"3", 3u}, {L"70000", 70000u}, {L"crash", 0xC0000005u}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.exit)));
        ::SetEnvironmentVariableW(L"QUILLON_STANDIN_EXIT", c.exit);
        const RunResult result = RunAndWait(CommandFor(L"a.xml"));
        EXPECT_TRUE(result.started);
        EXPECT_EQ(result.exitCode, c.code);
        EXPECT_FALSE(FileExists(In(L"a.txt")));
    }
    EXPECT_EQ(RecordedCommandLines().size(), 3u);
}

TEST_F(ConversionRun, StandInRefusesBadCalls) {
    const std::wstring program = L"\"" + std::wstring(KARVEL_STANDIN_PATH) + L"\"";
    WriteBytes(In(L"a.xml"), "<a/>");
    struct Case {
        std::wstring arguments;
        std::uint32_t code;
    };
    const Case cases[] = {
        {L"", 1u},
        {L"\"" + In(L"a.xml") + L"\"", 1u},
        {L"--other=\"" + In(L"b.txt") + L"\" \"" + In(L"a.xml") + L"\"", 1u},
        {L"--textxml= \"" + In(L"a.xml") + L"\"", 1u},
        {L"--quillon=\"" + In(L"b.txt") + L"\" \"" + In(L"a.xml") + L"\" extra", 1u},
        {L"--quillon=\"" + In(L"b.txt") + L"\" \"" + In(L"gone.xml") + L"\"", 2u},
        {L"--quillon=\"" + In(L"b.txt") + L"\" \"" + folder_ + L"\"", 2u},
        {L"--quillon=\"" + In(L"no\\b.txt") + L"\" \"" + In(L"a.xml") + L"\"", 3u},
        {L"--quillon=\"" + In(L"b.txt") + L"\" \"" + In(L"a.xml") + L"\"", 0u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const RunResult result = RunAndWait(program + L" " + c.arguments);
        EXPECT_TRUE(result.started);
        EXPECT_EQ(result.exitCode, c.code);
    }
    EXPECT_EQ(ReadBytes(In(L"b.txt")), "<a/>");
}

TEST_F(ConversionRun, MissingProgramIsNotStarted) {
    for (const std::wstring& command :
         {L"\"" + In(L"quillon.exe") + L"\" --textxml=\"" + In(L"a.txt") + L"\" \"" + In(L"a.xml") + L"\"",
          L"\"" + In(L"no such folder\\quillon.exe") + L"\"", std::wstring()}) {
        SCOPED_TRACE(testing::PrintToString(command));
        const RunResult result = RunAndWait(command);
        EXPECT_FALSE(result.started);
    }
}

TEST_F(ConversionRun, UnicodeNamesReachTheConverterIntact) {
    WriteBytes(In(kUnicodeName), "<u/>");
    WriteBytes(In(L"plain.xml"), "<p/>");
    const std::wstring first = CommandFor(kUnicodeName);
    const std::wstring second = CommandFor(L"plain.xml");
    EXPECT_EQ(RunAndWait(first).exitCode, 0u);
    EXPECT_EQ(RunAndWait(second).exitCode, 0u);
    EXPECT_EQ(RecordedCommandLines(), (std::vector<std::wstring>{first, second}));
    EXPECT_EQ(ReadBytes(In(L"Gr\u00FC\u00DFe-\u65E5\u672C.txt")), "<u/>");
}

int g_pumped = 0;
void CountingPump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_APP) ++g_pumped;
    }
}

TEST_F(ConversionRun, PumpRunsWhileTheConverterSleeps) {
    WriteBytes(In(L"a.xml"), "<a/>");
    ::SetEnvironmentVariableW(L"QUILLON_STANDIN_SLEEP_MS", L"400");
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // gives this thread its queue

    // One message waiting before the wait starts, one arriving during it.
    g_pumped = 0;
    ASSERT_TRUE(::PostThreadMessageW(::GetCurrentThreadId(), WM_APP, 0, 0));
    const DWORD self = ::GetCurrentThreadId();
    std::thread poster([self] {
        ::Sleep(150);
        ::PostThreadMessageW(self, WM_APP, 1, 0);
    });
    const ULONGLONG start = ::GetTickCount64();
    const RunResult result = RunAndWait(CommandFor(L"a.xml"), CountingPump);
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    poster.join();

    EXPECT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_GE(elapsed, 350u);
    EXPECT_EQ(g_pumped, 2);
    EXPECT_TRUE(FileExists(In(L"a.txt")));
}

TEST_F(ConversionRun, WithoutPumpMessagesWait) {
    WriteBytes(In(L"a.xml"), "<a/>");
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    ASSERT_TRUE(::PostThreadMessageW(::GetCurrentThreadId(), WM_APP, 0, 0));
    ::SetEnvironmentVariableW(L"QUILLON_STANDIN_SLEEP_MS", L"200");
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(RunAndWait(CommandFor(L"a.xml")).exitCode, 0u);
    EXPECT_GE(::GetTickCount64() - start, 150u);
    EXPECT_TRUE(::PeekMessageW(&message, nullptr, WM_APP, WM_APP, PM_REMOVE));
}

// The handle count query is a stub under Wine, so count the handle values
// that answer instead.
int OpenHandleCount() {
    int open = 0;
    for (std::uintptr_t value = 4; value < 0x4000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++open;
    }
    return open;
}

TEST_F(ConversionRun, LeavesNoHandlesOpen) {
    WriteBytes(In(L"a.xml"), "<a/>");
    RunAndWait(CommandFor(L"a.xml"));  // the first run may keep lasting handles of the system's own
    const int before = OpenHandleCount();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 3; ++i) RunAndWait(CommandFor(L"a.xml"));
    RunAndWait(L"\"" + In(L"missing.exe") + L"\"");
    EXPECT_EQ(OpenHandleCount(), before);
}

TEST(ConversionToolFolder, IsTheFolderOfThisProgram) {
    // The tests are built into tests\ beside the scratch folder.
    const std::wstring folder = ToolFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_TRUE(SameFile(folder, FolderOfPath(KARVEL_TEST_SCRATCH) + L"\\tests"))
        << testing::PrintToString(folder);
}

}  // namespace
