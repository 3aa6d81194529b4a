// Probes, process runs and the settings file on the real file system, with the stand-in converter.

#include <atomic>
#include <cstdint>
#include <tuple>

#include "common/file_probes.h"
#include "common/paths.h"
#include "common/process_setup.h"
#include "common/system_code_page.h"
#include "common/system_message.h"
#include "common/utf8.h"
#include "conversion/ansi_arguments.h"
#include "conversion/command_line.h"
#include "conversion/file_system.h"
#include "conversion/run_and_wait.h"
#include "settings/settings_file.h"
#include "support/support.h"

using namespace common;
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
        for (const wchar_t* name :
             {L"LOG", L"SLEEP_MS", L"EXIT", L"OUTPUT", L"ERROR", L"CHILD", L"HANDLE", L"STDIN", L"HOLD"})
            ::SetEnvironmentVariableW((L"QUILLON_STANDIN_" + std::wstring(name)).c_str(), nullptr);
    }
    std::wstring In(const std::wstring& name) const { return folder_ + L"\\" + name; }
    std::wstring Command(const std::wstring& name) const {
        return BinToTextCommandLine(common::FolderOfPath(KARVEL_STANDIN_PATH), folder_, name, L"txt", In(name));
    }
    const std::wstring folder_ = ScratchFolder(L"conversion");
};

TEST_F(ConversionWin, ProbesAndSameFileOnRealFilesCreateNothing) {
    WriteBytes(In(L"a.xml"), "<a/>");
    WriteBytes(In(kUnicode + L".xml"), "<u/>");
    ASSERT_TRUE(::CreateHardLinkW(In(L"link.xml").c_str(), In(L"a.xml").c_str(), nullptr));
    // clang-format off
    const struct { std::wstring path; bool folder, file; } probes[] = {
        {folder_, true, false},         {folder_ + L"\\", true, false},           {In(L"a.xml"), false, true},
        {In(L"A.XML"), false, true},    {In(kUnicode + L".xml"), false, true},   {In(L"missing"), false, false},
        {In(L"a.xml\\x"), false, false}, {In(L"missing\\deeper"), false, false}, {In(L"*.xml"), false, false},
        {L"", false, false}};
    for (const auto& c : probes)
        EXPECT_EQ(std::pair(FolderExists(c.path), FileExists(c.path)), std::pair(c.folder, c.file)) << c.path;
    const struct { std::wstring destination; bool same; } sameFiles[] = {
        {In(L"a.xml"), true}, {In(L"A.XML"), true}, {In(L"missing\\..\\a.xml"), true}, {folder_ + L"/a.xml", true},
        {In(L"link.xml"), true}, {In(kUnicode + L".xml"), false}, {In(L"missing.xml"), false}, {folder_, false},
        {L"", false}};
    // clang-format on
    // With the destination's state as the batch has it, and with none, which looks for itself.
    for (const auto& c : sameFiles)
        EXPECT_EQ(std::pair(SameFile(In(L"a.xml"), c.destination, StateOf(c.destination)),
                            SameFile(In(L"a.xml"), c.destination, {})),
                  std::pair(c.same, c.same))
            << testing::PrintToString(c.destination);
    EXPECT_EQ(NamesIn(folder_).size(), 3u);
    // Absent only where the system says "not found"; a name it refuses proves nothing, and is never deleted.
    EXPECT_EQ((std::vector{PathPresence(In(L"a.xml")), PathPresence(In(L"missing")), PathPresence(In(L"no\\b.xml")),
                           PathPresence(In(L"a<b>"))}),
              (std::vector{Presence::There, Presence::Absent, Presence::Absent, Presence::Unsure}));
    EXPECT_TRUE(RemoveFile(In(L"missing")) && !RemoveFile(folder_)) << "a folder is not gone";
    // 300 characters and more, in the \\?\ form, and the converter's arguments as the system's code page reads them.
    const std::wstring deep = In(std::wstring(150, L'd')) + L"\\" + std::wstring(150, L'e');
    EXPECT_EQ(SystemPath(deep), L"\\\\?\\" + deep);
    const ConverterCall smuggled = BinToTextCall(folder_, folder_, L"a\uFF02 \uFF02", L"", In(L"a\uFF02 \uFF02"));
    EXPECT_FALSE(ReadAsMeant(smuggled.Arguments(), smuggled.CommandLine(), AnsiCodePage()));
    // Wine's short names, which the code page carries; none for what is not there.
    const std::wstring decoy = In(L"..\uFF3Cdecoy.xml"), shortName = (WriteBytes(decoy, "<d/>"), ShortPath(decoy));
    EXPECT_TRUE(AnsiCodePage().Encode(shortName) && SameFile(shortName, decoy, StateOf(decoy)))
        << testing::PrintToString(shortName);
    EXPECT_TRUE(ShortPath(In(L"missing.xml")).empty() && FolderExists(TemporaryFolder()));
    // A move over the destination counts as written; a reserved name is taken once.
    const FileState before = StateOf(In(L"a.xml"));
    EXPECT_FALSE(Written(before, StateOf(In(L"a.xml"))));
    for (const auto& [name, result] : {std::pair{L"copy.xml", PathSeams::Reserved::Made},
                                       {L"copy.xml", PathSeams::Reserved::Taken},
                                       {L"a.xml", PathSeams::Reserved::Taken}})
        EXPECT_EQ(Reserve(In(name)).result, result) << testing::PrintToString(std::wstring(name));
    EXPECT_TRUE(CopyForConverter(decoy, In(L"copy.xml"), nullptr).failure.empty() &&
                MoveIntoPlace({In(L"copy.xml"), In(L"copy.xml"), {}, In(L"a.xml")}, nullptr).failure.empty());
    EXPECT_TRUE(ReadBytes(In(L"a.xml")) == "<d/>" && StateOf(In(L"copy.xml")).presence == Presence::Absent &&
                Written(before, StateOf(In(L"a.xml"))) && ReadBytes(In(L"link.xml")) == "<a/>");
    // Copied over again, as a converter may write it: the file, its size and its last write stay; its change does not.
    const FileState once = (CopyFileW(decoy.c_str(), In(L"a.xml").c_str(), FALSE), Sleep(20), StateOf(In(L"a.xml")));
    EXPECT_TRUE(CopyFileW(decoy.c_str(), In(L"a.xml").c_str(), FALSE) && Written(once, StateOf(In(L"a.xml"))));
}

// The real file system behind a converter's paths, as a batch has it.
struct RealSeams : PathSeams {
    const CodePage& ConverterCodePage() override { return AnsiCodePage(); }
    std::wstring ShortPath(const std::wstring& path) override { return common::ShortPath(path); }
    std::wstring TemporaryFolder() override { return common::TemporaryFolder(); }
    std::uint32_t TemporaryNumber() override { return ::GetTickCount() * 7919u + ++number; }
    Reservation Reserve(const std::wstring& path) override { return conversion::Reserve(path); }
    std::uint32_t number = 0;
};

// "a.xml " beside "a.xml", and a read-only "con.xml", each converted from its own bytes by the Unicode and the
// ANSI converter, through a path that names it alone; no copy is left.
TEST_F(ConversionWin, NamesWindowsRewritesReachTheirOwnFileAndNoTemporaryFileStays) {
    const std::pair<std::wstring, std::string> sources[] = {{In(L"a.xml "), "<spaced/>"},
                                                            {In(L"con.xml"), "<device/>"}};
    WriteBytes(In(L"a.xml"), "<plain/>");
    for (const auto& [source, bytes] : sources) WriteBytes(ExactPath(source), bytes);
    ASSERT_TRUE(::SetFileAttributesW(ExactPath(sources[1].first).c_str(), FILE_ATTRIBUTE_READONLY));
    RealSeams seams;
    for (const wchar_t* standin : {KARVEL_STANDIN_PATH, KARVEL_STANDIN_ANSI_PATH}) {
        for (const auto& [source, bytes] : sources) {
            const PassedCall passed = PassCall({standin, L"--textxml=", In(L"out.txt"), source, {}}, seams);
            ASSERT_TRUE(passed.refusal.empty()) << passed.refusal;
            if (!passed.sourceCopy.empty()) {
                EXPECT_TRUE(CopyForConverter(source, passed.sourceCopy, nullptr).failure.empty());
                EXPECT_FALSE(::GetFileAttributesW(passed.sourceCopy.c_str()) & FILE_ATTRIBUTE_READONLY);
            }
            EXPECT_EQ(RunAndWait(passed.call.CommandLine()).exitCode, 0u);
            EXPECT_EQ(ReadBytes(In(L"out.txt")), bytes) << testing::PrintToString(passed.call.CommandLine());
            EXPECT_TRUE(passed.sourceCopy.empty() || RemoveTemporary(passed.sourceCopy).empty());
        }
    }
    EXPECT_EQ(NamesIn(folder_).size(), 5u) << "no copy is left";  // with run.log
    // Started by its real path, a converter named on its command line by its file name alone.
    const std::wstring line = L"\"quillon.exe\" --textxml=\"" + In(L"b.txt") + L"\" \"" + In(L"a.xml") + L"\"";
    EXPECT_EQ(RunAndWait(line, {.application = KARVEL_STANDIN_PATH}).exitCode, 0u);
    // A file held open is tried again for a moment, then its removal says why it failed.
    win::unique_file held(::CreateFileW(In(L"b.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(held && !RemoveTemporary(In(L"b.txt")).empty());
    held.reset();
    EXPECT_TRUE(::SetFileAttributesW(In(L"b.txt").c_str(), FILE_ATTRIBUTE_READONLY) &&
                RemoveTemporary(In(L"b.txt")).empty() && !FileExists(In(L"b.txt")))
        << "a read-only one too";
}

// A converted file written in the temporary folder replaces the destination only whole, from its own folder.
TEST_F(ConversionWin, AnOutputFromAnotherFolderReplacesTheEarlierOneOnlyWhole) {
    const std::wstring from = common::TemporaryFolder() + L"\\~kq-test.txt", to = In(L"a.txt");
    const win::unique_handle stopNow(::CreateEventW(nullptr, TRUE, TRUE, nullptr));
    for (const HANDLE stop : {stopNow.get(), HANDLE{}}) {
        WriteBytes(to, "old");
        WriteBytes(from, std::string(1 << 20, 'n'));
        RealSeams seams;
        const Placement placement{from, ReserveTemporary(seams, folder_, L".txt").path,
                                  ReserveTemporary(seams, folder_, L".txt").path, to};
        const FileStep step = MoveIntoPlace(placement, stop);
        EXPECT_TRUE(step.stopped == (stop != nullptr) && step.failure.empty()) << step.failure;
        EXPECT_EQ(ReadBytes(to).size(), stop ? 3u : size_t{1} << 20);
        EXPECT_TRUE(RemoveTemporary(placement.staging).empty() && RemoveTemporary(placement.backup).empty() &&
                    RemoveTemporary(from).empty() && NamesIn(folder_) == std::vector<std::wstring>{L"a.txt"});
    }
}

TEST_F(ConversionWin, RunAndWaitReportsTheOutcomeAndTheLastOutputLineAndLeaksNoHandle) {
    ASSERT_EQ(GetOEMCP(), 437u) << "the bytes below are code page 437";
    PrepareProcess();  // no system box for a crash: Windows passes that on to the converters, Wine does not
    EXPECT_EQ(GetErrorMode(), kQuietErrorMode);
    // Nor a DLL from beside the program or from the current folder, where any file may lie.
    const std::wstring probe = ToolFolder() + L"\\karvel_probe.dll";
    EXPECT_TRUE(CopyFileW(probe.c_str(), In(L"here.dll").c_str(), FALSE) && SetCurrentDirectoryW(folder_.c_str()));
    EXPECT_FALSE(LoadLibraryW(L"karvel_probe.dll") || LoadLibraryW(L"here.dll"));
    EXPECT_TRUE(SetCurrentDirectoryW(ToolFolder().c_str()) && LoadLibraryW(probe.c_str())) << "the probe is there";
    const std::wstring source = kUnicode + L".xml", command = Command(source);
    WriteBytes(In(source), "<u/>");
    WriteBytes(In(L"lines"), "first\nsecond\r\n\n");
    WriteBytes(In(L"ten-mb"), std::string(10 << 20, '.') + "\nthe end\n");
    WriteBytes(In(L"oem"), "caf\x82\n");
    ::SetEnvironmentVariableW(L"QUILLON_STANDIN_STDIN", L"1");
    const SharedConsole console;
    RunAndWait(command, {.console = &console});  // the first run may keep lasting handles of the system's own
    std::wstring recorded = command + L"\n";
    const int handles = OpenHandles();
    ASSERT_GT(handles, 0);
    // Set, so the converter can tell when it has inherited it.
    const win::unique_handle inheritable(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    SetHandleInformation(inheritable.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    ::SetEnvironmentVariableW(L"QUILLON_STANDIN_HANDLE", std::to_wstring(std::uintptr_t(inheritable.get())).c_str());
    // The converter's exit, output and error, the command line, the result.
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, std::wstring, RunResult> cases[] = {
        {L"3", nullptr, nullptr, command, {true, 3, false, L"read 0 bytes"}},  // its input ended at once
        {L"1", L"lines", nullptr, command, {true, 1, false, L"second"}},
        {L"1", L"ten-mb", nullptr, command, {true, 1, false, L"the end"}},
        {L"1", L"oem", nullptr, command, {true, 1, false, L"caf\u00E9"}},  // not UTF-8: the OEM code page
        {L"2", L"lines", L"\u65E5 on standard error", command, {true, 2, false, L"\u65E5 on standard error"}},
        {L"crash", nullptr, nullptr, command, {true, 0xC0000005u, false, L"read 0 bytes"}},
        {nullptr, nullptr, nullptr, L"\"" + In(L"quillon.exe") + L"\" --textxml=\"" + In(L"a.txt") + L"\"", {}},
        {nullptr, nullptr, nullptr, command, {true, 0, false, L"read 0 bytes"}},
    };
    for (int round = 0; round < 3; ++round)  // one that ends right after its last write leaves it to be read, often
        for (const auto& [exit, output, error, line, expected] : cases) {
            SCOPED_TRACE(testing::PrintToString(line));
            ::SetEnvironmentVariableW(L"QUILLON_STANDIN_EXIT", exit);
            ::SetEnvironmentVariableW(L"QUILLON_STANDIN_OUTPUT", output ? In(output).c_str() : nullptr);
            ::SetEnvironmentVariableW(L"QUILLON_STANDIN_ERROR", error);
            const RunResult result = RunAndWait(line, {.console = &console});
            EXPECT_EQ(std::tuple(result.started, result.exitCode, result.ended, result.output),
                      std::tuple(expected.started, expected.exitCode, false, expected.output));
            if (expected.started) recorded += line + L"\n";
        }
    // The converter got every command line intact, Unicode name included, and the last run converted.
    EXPECT_EQ(ReadBytes(In(L"run.log")), common::ToUtf8(recorded));
    EXPECT_EQ(ReadBytes(In(kUnicode + L".txt")), "<u/>");
    EXPECT_EQ(OpenHandles(), handles + 1);
}

// Against a converter that sleeps after starting a process of its own, and one that writes without pause.
TEST_F(ConversionWin, StopNowEndsTheConverterAndWhatItStartedAtOnce) {
    WriteBytes(In(L"a.xml"), "<a/>");
    // A stop before the converter is made starts none, and one while it is made does not let it run.
    const win::unique_handle stop(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    const RunResult before = RunAndWait(L"\"" + In(L"missing.exe") + L"\"", {.stop = stop.get()});  // not even tried
    ResetEvent(stop.get());
    const RunResult made =
        RunAndWait(Command(L"a.xml"), {.stop = stop.get(), .created = [&] { SetEvent(stop.get()); }});
    EXPECT_TRUE(!before.started && before.ended && !made.started && made.ended);
    EXPECT_EQ(ReadBytes(In(L"run.log")), "<missing>") << "no converter ran";
    // It, or the copy it started, holds a file: once Stop now has ended them, the file is free.
    ::SetEnvironmentVariableW(L"QUILLON_STANDIN_HOLD", In(L"held").c_str());
    for (const wchar_t* variable : {L"QUILLON_STANDIN_CHILD", L"QUILLON_STANDIN_FLOOD"}) {
        ::SetEnvironmentVariableW(L"QUILLON_STANDIN_SLEEP_MS", L"60000");
        ::SetEnvironmentVariableW(variable, L"1");
        const win::unique_handle stopNow(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        std::thread stopper([&] {
            EXPECT_TRUE(WaitFor([&] { return FileExists(In(L"held")); }));
            SetEvent(stopNow.get());
        });
        const auto started = std::chrono::steady_clock::now();
        const RunResult result = RunAndWait(Command(L"a.xml"), {.stopNow = stopNow.get()});
        stopper.join();
        EXPECT_TRUE(result.started && result.ended) << testing::PrintToString(variable);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1500));
        EXPECT_TRUE(DeleteFileW(In(L"held").c_str()) && bench::Running(L"quillon.exe") == 0)
            << "everything it started is gone, at once";
        ::SetEnvironmentVariableW(variable, nullptr);
    }

    // A wait that fails cannot watch the converter: it is ended, and the entry fails.
    const RunResult lost =
        RunAndWait(Command(L"a.xml"), {.stopNow = reinterpret_cast<HANDLE>(std::uintptr_t{0x7FFFFFF0})});
    EXPECT_TRUE(lost.started && !lost.failure.empty());
    EXPECT_TRUE(WaitFor([] { return bench::Running(L"quillon.exe") == 0; }, std::chrono::seconds(1)));
}

// Held without sharing for half a second, as a virus scanner holds a new file, the converter starts once it is free;
// held for good, it costs the rest of the batch's two seconds once. No program, or none there, is not tried again.
TEST_F(ConversionWin, AStartIsTriedAgainWhileTheConverterIsHeldButNotWhenItIsNoProgram) {
    WriteBytes(In(L"a.xml"), "<a/>");
    const std::wstring converter = In(L"quillon.exe"),
                       command = BinToTextCommandLine(folder_, folder_, L"a.xml", L"txt", In(L"a.xml"));
    CopyFileW(KARVEL_STANDIN_PATH, converter.c_str(), FALSE);
    StartRetries retries;
    const auto tried = [&](bool started) {
        const auto first = std::chrono::steady_clock::now();
        EXPECT_EQ(RunAndWait(command, {.retries = &retries}).started, started);
        return std::chrono::steady_clock::now() - first;
    };
    win::unique_file held(CreateFileW(converter.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    std::thread release([&] { Sleep(500), held.reset(); });
    EXPECT_GT(tried(true), std::chrono::milliseconds(400));  // held for half a second, as a scanner holds it
    release.join();
    held.reset(CreateFileW(converter.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_GT(tried(false), std::chrono::milliseconds(1300));  // then for good
    EXPECT_LT(tried(false), std::chrono::milliseconds(300));
    held.reset();
    // The system's words whole, the converter in place of their first insert, the second left as it is.
    const std::wstring words = SystemMessage(ERROR_MR_MID_NOT_FOUND, L"C:\\q.exe");
    EXPECT_TRUE(words.find(L"C:\\q.exe") != words.npos && words.find(L"%2") != words.npos) << words;

    WriteBytes(converter, "not a program");
    for (const std::wstring& line : {command, L"\"" + In(L"missing.exe") + L"\""}) {
        const auto started = std::chrono::steady_clock::now();
        const RunResult refused = RunAndWait(line);
        EXPECT_FALSE(refused.started);
        EXPECT_NE(refused.failure, L"") << "the system's words";
        EXPECT_EQ(refused.failure.find_first_of(L"\r\n"), std::wstring::npos) << "on one line";
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500)) << "no second try";
    }
}

// Windows takes no flag but one and no default-char report for UTF-8, where Wine takes any.
int WINAPI AsWindows(UINT page, DWORD flags, LPCWCH text, int length, LPSTR bytes, int size, LPCCH, LPBOOL used) {
    if (page == CP_UTF8 && ((flags & ~WC_ERR_INVALID_CHARS) || used)) return SetLastError(ERROR_INVALID_FLAGS), 0;
    return WideCharToMultiByte(page, flags, text, length, bytes, size, nullptr, used);
}
// A code page that gives one character's byte for another's, and says nothing of it.
int WINAPI Silent(UINT page, DWORD, LPCWCH text, int length, LPSTR bytes, int size, LPCCH, LPBOOL) {
    return WideCharToMultiByte(page, 0, text, length, bytes, size, nullptr, nullptr);
}

TEST(SystemCodePage, AUtf8OneAndOneThatSaysNothingOfWhatItLacksEncodeExactlyOrNotAtAll) {
    const auto utf8 = NumberedCodePage(CP_UTF8, AsWindows), silent = NumberedCodePage(1252, Silent);
    EXPECT_EQ(utf8->Encode(L"Gr\u00FC\u00DF \u65E5"), "Gr\xC3\xBC\xC3\x9F \xE6\x97\xA5");
    EXPECT_EQ(utf8->Encode(L"a\xD800z"), std::nullopt) << "an unpaired surrogate";
    EXPECT_EQ(silent->Encode(L"Caf\u00E9"), "Caf\xE9");
    EXPECT_EQ(silent->Encode(L"\u0101"), std::nullopt) << "best fit makes it a, which is not what it was";
}

TEST(SettingsFile, SavedInTheCodePageOrUtf8AndNeverOverAFileThatCannotBeReplaced) {
    ASSERT_EQ(GetACP(), 1252u) << "the bytes below are code page 1252";
    const std::wstring folder = ScratchFolder(L"settings"), ini = folder + L"\\karvelxml.ini";
    const std::pair<settings::Settings, std::string> saves[] = {
        {{true, L"D:\\Caf\u00E9 \u20AC", L"", L"txt"}, " 1 \r\nD:\\Caf\xE9 \x80\r\n\r\ntxt\r\n"},
        {{false, L"\u0436", L"\u65E5", L"\u00E9"}, "\xEF\xBB\xBF 0 \r\n\xD0\xB6\r\n\xE6\x97\xA5\r\n\xC3\xA9\r\n"},
    };
    for (const auto& [values, bytes] : saves) {
        EXPECT_TRUE(settings::SaveSettings(ini, values));
        EXPECT_EQ(ReadBytes(ini), bytes);
        const auto loaded = settings::LoadSettings(ini);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->binOutputFolder, values.binOutputFolder);
    }
    // Read-only, held open without sharing, or held open by a reader that shares it (the move over it fails
    // once the temporary file is written): the old bytes stay, and no temporary file is left.
    const std::string old = ReadBytes(ini);
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(settings::SaveSettings(ini, {}));
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    win::unique_file lock(::CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(settings::SaveSettings(ini, {}));
    EXPECT_FALSE(settings::LoadSettings(ini)) << "a locked file gives nothing to load";
    lock.reset();
    lock.reset(::CreateFileW(ini.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(settings::SaveSettings(ini, {}));
    lock.reset();
    EXPECT_EQ(ReadBytes(ini), old);
    EXPECT_EQ(NamesIn(folder), std::vector<std::wstring>{L"karvelxml.ini"});
    EXPECT_FALSE(settings::LoadSettings(folder)) << "a folder";
}

// Copies of the program started at the same moment each find the program's folder writable.
TEST(SettingsFile, ManyStartingAtOnceEachFindTheProgramsFolderWritable) {
    const std::wstring folder = ScratchFolder(L"location");
    std::atomic<int> beside{0};
    std::vector<std::thread> starts;
    for (int i = 0; i < 8; ++i)
        starts.emplace_back([&] {
            for (int j = 0; j < 25; ++j) beside += settings::FindLocation(folder).write == folder + L"\\karvelxml.ini";
        });
    for (auto& start : starts) start.join();
    EXPECT_EQ(beside, 200);
    EXPECT_TRUE(NamesIn(folder).empty()) << "no probe is left behind";
    // A read-only file there, as one copied from a CD: the user's folder instead, the file left as it is.
    WriteBytes(folder + L"\\karvelxml.ini", " 1 \r\n");
    SetFileAttributesW((folder + L"\\karvelxml.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    const settings::Location location = settings::FindLocation(folder);
    SetFileAttributesW((folder + L"\\karvelxml.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(location.write.ends_with(L"\\Karvel\\karvelxml.ini") && !location.write.starts_with(folder))
        << location.write;
}

}  // namespace
