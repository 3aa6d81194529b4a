// Probes and process runs on the real file system, with the stand-in converter.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>

#include "conversion/command_line.h"
#include "conversion/file_system.h"
#include "conversion/paths.h"
#include "support/files.h"
#include "test_paths.h"

using namespace conversion;
using namespace test_support;

namespace {

const std::wstring kUnicode = L"Gr\u00FC\u00DFe-\u65E5\u672C";

// The handle count query is a stub under Wine, so count the handle values that answer instead.
int OpenHandles() {
    int open = 0;
    DWORD flags;
    for (std::uintptr_t h = 4; h < 0x4000; h += 4) open += ::GetHandleInformation(HANDLE(h), &flags) != 0;
    return open;
}

// A fresh scratch folder per test; the stand-in logs its command lines to run.log in it.
class ConversionWin : public testing::Test {
protected:
    void SetUp() override { ::SetEnvironmentVariableW(L"QUILLON_STANDIN_LOG", In(L"run.log").c_str()); }
    void TearDown() override {
        for (const wchar_t* name : {L"QUILLON_STANDIN_LOG", L"QUILLON_STANDIN_SLEEP_MS", L"QUILLON_STANDIN_EXIT"})
            ::SetEnvironmentVariableW(name, nullptr);
    }
    std::wstring In(const std::wstring& name) const { return folder_ + L"\\" + name; }
    std::wstring Command(const std::wstring& name) const {
        return BinToTextCommandLine(FolderOfPath(KARVEL_STANDIN_PATH), folder_, name, L"txt", In(name));
    }
    const std::wstring folder_ = ScratchFolder(L"conversion");
};

TEST_F(ConversionWin, ProbesAndSameFileOnRealFilesCreateNothing) {
    WriteBytes(In(L"a.xml"), "<a/>");
    WriteBytes(In(kUnicode + L".xml"), "<u/>");
    ASSERT_TRUE(::CreateHardLinkW(In(L"link.xml").c_str(), In(L"a.xml").c_str(), nullptr));
    const struct { std::wstring path; bool folder, file; } probes[] = {
        {folder_, true, false},         {folder_ + L"\\", true, false},           {In(L"a.xml"), false, true},
        {In(L"A.XML"), false, true},    {In(kUnicode + L".xml"), false, true},   {In(L"missing"), false, false},
        {In(L"a.xml\\x"), false, false}, {In(L"missing\\deeper"), false, false}, {In(L"*.xml"), false, false},
        {L"", false, false},
    };
    for (const auto& c : probes) {
        SCOPED_TRACE(testing::PrintToString(c.path));
        EXPECT_EQ(FolderExists(c.path), c.folder);
        EXPECT_EQ(FileExists(c.path), c.file);
    }
    std::wstring upper = In(L"a.xml");
    ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    const struct { std::wstring destination; bool same; } sameFiles[] = {
        {In(L"a.xml"), true}, {upper, true}, {In(L"missing\\..\\a.xml"), true}, {folder_ + L"/a.xml", true},
        {In(L"link.xml"), true}, {In(kUnicode + L".xml"), false}, {In(L"missing.xml"), false}, {folder_, false},
        {L"", false},
    };
    for (const auto& c : sameFiles)
        EXPECT_EQ(SameFile(In(L"a.xml"), c.destination), c.same) << testing::PrintToString(c.destination);
    EXPECT_EQ(NamesIn(folder_).size(), 3u);
}

TEST_F(ConversionWin, RunAndWaitReportsStartAndExitCodeAndLeaksNoHandle) {
    const std::wstring source = kUnicode + L".xml", command = Command(source);
    WriteBytes(In(source), "<u/>");
    RunAndWait(command);  // the first run may keep lasting handles of the system's own
    std::wstring recorded = command + L"\n";
    const int handles = OpenHandles();
    ASSERT_GT(handles, 0);
    const struct { const wchar_t* exit; std::wstring command; bool started; std::uint32_t code; } cases[] = {
        {L"3", command, true, 3u},
        {L"crash", command, true, 0xC0000005u},
        {nullptr, L"\"" + In(L"quillon.exe") + L"\" --textxml=\"" + In(L"a.txt") + L"\"", false, 0u},
        {nullptr, command, true, 0u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.command));
        ::SetEnvironmentVariableW(L"QUILLON_STANDIN_EXIT", c.exit);
        const RunResult result = RunAndWait(c.command);
        EXPECT_EQ(result.started, c.started);
        EXPECT_EQ(result.exitCode, c.code);
        if (c.started) recorded += c.command + L"\n";
    }
    // The converter got every command line intact, Unicode name included, and the last run converted.
    EXPECT_EQ(ReadBytes(In(L"run.log")), Utf8(recorded));
    EXPECT_EQ(ReadBytes(In(kUnicode + L".txt")), "<u/>");
    EXPECT_EQ(OpenHandles(), handles);
}

TEST_F(ConversionWin, OnlyAPumpTakesMessagesWhileTheConverterRuns) {
    WriteBytes(In(L"a.xml"), "<a/>");
    ::SetEnvironmentVariableW(L"QUILLON_STANDIN_SLEEP_MS", L"400");
    static int pumped;
    const MessagePump countingPump = [] {
        for (MSG message; ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) pumped += message.message == WM_APP;
    };
    countingPump();  // gives this thread its message queue
    const DWORD self = ::GetCurrentThreadId();
    for (const MessagePump pump : {MessagePump{}, countingPump}) {
        SCOPED_TRACE(pump ? "with a pump" : "without");
        // One message waiting before the wait starts, one arriving during it.
        pumped = 0;
        ASSERT_TRUE(::PostThreadMessageW(self, WM_APP, 0, 0));
        std::thread poster([self] { ::Sleep(150), ::PostThreadMessageW(self, WM_APP, 0, 0); });
        EXPECT_EQ(RunAndWait(Command(L"a.xml"), pump).exitCode, 0u);
        poster.join();
        EXPECT_EQ(pumped, pump ? 2 : 0);
        countingPump();  // without a pump, both are still queued
        EXPECT_EQ(pumped, 2);
    }
}

}  // namespace
