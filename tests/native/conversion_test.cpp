// Paths, names, command lines, the converter's output and its paths, and whole batches, in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>
#include <tuple>

#include "common/message_text.h"
#include "common/paths.h"
#include "conversion/ansi_arguments.h"
#include "conversion/batch.h"
#include "conversion/command_line.h"
#include "conversion/converter_output.h"
#include "conversion/file_identity.h"
#include "conversion/process_end.h"
#include "conversion/start_retries.h"
#include "support/latin1.h"

using namespace conversion;
using namespace common;
using namespace std::string_literals;
using Pair = std::pair<std::wstring, std::wstring>;
using Lines = std::vector<std::wstring>;

namespace {

TEST(ConversionNames, PathsDestinationNamesAndExtensions) {
    // clang-format off
    const struct { const wchar_t* path; Pair folderAndName; } paths[] = {
        {L"C:\\Data\\a.xml", {L"C:\\Data", L"a.xml"}}, {L"C:\\a.xml", {L"C:", L"a.xml"}}, {L"a.xml", {L"", L""}},
        {L"D:\\In\\", {L"D:\\In", L""}}, {L"\\\\server\\share\\a.xml", {L"\\\\server\\share", L"a.xml"}},
    };
    for (const auto& c : paths) EXPECT_EQ(Pair(FolderOfPath(c.path), FileNameOfPath(c.path)), c.folderAndName);
    // Runs of backslashes fold to one, but a leading pair stays.
    // clang-format off
    const Pair folds[] = {{L"C:\\\\\\a\\\\b\\\\", L"C:\\a\\b\\"}, {L"\\", L"\\"}, {L"\\\\\\", L"\\\\"},
        {L"\\\\\\server\\\\share\\\\\\a.xml", L"\\\\server\\share\\a.xml"}, {L"\\\\?\\C:\\\\x\\\\", L"\\\\?\\C:\\x\\"}};
    for (const auto& [path, folded] : folds) EXPECT_EQ(FoldBackslashes(path), folded);
    // Bin to text, then text to bin; ".xml" is matched case-sensitively, and the inserted extension is not searched again.
    const struct { const wchar_t *name, *extension; Pair names; } names[] = {
        {L"a.xml", L"txt", {L"a.txt", L"a.xml"}}, {L"a.xml.xml", L"txt", {L"a.txt.txt", L"a.xml.xml"}},
        {L"data.xmlx", L"txt", {L"data.txtx", L"data.xxml"}}, {L"abc", L"txt", {L"abc", L"xml"}},
        {L"A.XML", L"txt", {L"A.XML", L"A.xml"}}, {L"ab", L"", {L"ab", L"ab.xml"}}, {L"a.xml", L"", {L"a.", L"a.xml"}},
        {L"a.xml", L"b.xml", {L"a.b.xml", L"a.xml"}}};
    for (const auto& c : names)
        EXPECT_EQ(Pair(BinToTextDestinationName(c.name, c.extension), TextToBinDestinationName(c.name)), c.names);
    // A folder and a name join with one backslash; "\" is a drive's root, not the start of a network path.
    const Pair joins[] = {{L"C:\\Tools\\\\", L"C:\\Tools\\quillon.exe"}, {L"C:\\", L"C:\\quillon.exe"},
                          {L"C:", L"C:\\quillon.exe"}, {L"\\", L"\\quillon.exe"}};
    for (const auto& [folder, joined] : joins)
        EXPECT_EQ(Pair(ConverterPath(folder), DestinationPath(folder, L"quillon.exe")), Pair(joined, joined));
    EXPECT_EQ(JoinPath(L"C:\\", L"a.xml"), L"C:\\a.xml");
    // From 260 characters on, the form the file functions take at any length.
    const std::wstring deep = L"\\" + std::wstring(257, L'x'), unc = L"\\\\s\\h" + std::wstring(255, L'y');
    const Pair longPaths[] = {{L"C:" + deep.substr(1), L"C:" + deep.substr(1)}, {L"C:" + deep, L"\\\\?\\C:" + deep},
        {unc, L"\\\\?\\UNC\\s\\h" + std::wstring(255, L'y')}, {L"\\\\?\\C:" + deep, L"\\\\?\\C:" + deep},
        {L"\\\\.\\pipe" + deep, L"\\\\.\\pipe" + deep}, {L"rel" + deep, L"rel" + deep}};  // 259 and relative stay
    for (const auto& [path, form] : longPaths) EXPECT_EQ(ExtendedLengthPath(path), form) << path.size();
    // Only "file not found" and "path not found" show a file absent; access denied or a network gone, nothing.
    const std::vector seen{PresenceAfterError(2), PresenceAfterError(3), PresenceAfterError(5), PresenceAfterError(64)};
    EXPECT_EQ(seen, (std::vector{Presence::Absent, Presence::Absent, Presence::Unsure, Presence::Unsure}));
    // Command lines are checked whole with every batch below. 0xFFFFFFFF is a negative wchar_t where it has 32 bits,
    // and still no control character.
    for (const std::wstring& valid : {L""s, L"t x.t\u0442\u007F"s, std::wstring(1, static_cast<wchar_t>(0xFFFFFFFFu))})
        EXPECT_TRUE(IsValidExtension(valid)) << testing::PrintToString(valid);
    for (const wchar_t bad : L"\\/:*?\"<>|\t\x01\x1F"s + L'\0')
        EXPECT_FALSE(IsValidExtension(L"tx"s + bad + L"t")) << "character code " << static_cast<int>(bad);
}

TEST(ConverterOutput, TheLastNonEmptyLineShapedForTheLog) {
    std::string accents;
    for (int i = 0; i < 700; ++i) accents += "\xC3\xA9";
    const std::pair<std::string, std::wstring> cases[] = {
        {"", L""},
        {"one line\n", L"one line"},
        {"first\nlast line\r\n\n \t \n\x01\x02\n", L"last line"},  // lines of blanks and controls do not count
        {"10%\r100%", L"100%"},                                    // CR ends a line; so does the end
        {"\t padded\x01text\x7f  \n", L"padded text"},             // control characters are blanks
        {"caf\xC3\xA9", L"caf\u00E9"},                             // UTF-8 when it is valid,
        {"caf\xE9", L"caf\u00E9"},                                 // else the OEM code page
        {std::string(300, 'x'), std::wstring(300, L'x')},
        {std::string(400, 'x'), std::wstring(300, L'x') + L"..."},
        {"a" + std::string(2000, ' ') + "b", L"a" + std::wstring(299, L' ') + L"..."},
        {"x" + accents, L"x" + std::wstring(299, L'\u00E9') + L"..."},  // still UTF-8 where the cut splits a character
    };
    const test_support::Latin1 oem;
    for (const auto& [bytes, tail] : cases) {
        OutputTail whole, byteByByte;
        whole.Append(bytes);
        for (const char& byte : bytes) byteByByte.Append(std::string_view(&byte, 1));
        EXPECT_EQ(ShapeOutputLine(whole.LastLine(), whole.LastLineCut(), oem), tail) << testing::PrintToString(bytes);
        EXPECT_EQ(ShapeOutputLine(byteByByte.LastLine(), byteByByte.LastLineCut(), oem), tail);
    }
    // The system's messages, on one line, the converter's path for their first insert and no other.
    EXPECT_EQ(OneLine(L"  The system cannot find the file specified.\r\n"),
              L"The system cannot find the file specified.");
    EXPECT_EQ(OneLine(L"First line.\r\n\tSecond  line.\r\n"), L"First line. Second line.");
    EXPECT_EQ(WithProgram(L"%1 is not valid: 100%% %2 %10 %1!s!.%1", L"C:\\q.exe"),
              L"C:\\q.exe is not valid: 100% %2 %10 C:\\q.exe.C:\\q.exe");
}

TEST(AnsiArguments, SplitAsACRuntimeSplitsAndOnlyANameThatMovesTheSplitIsCaught) {
    test_support::Latin1 latin1, japanese;
    japanese.japanese = true;
    using Args = std::vector<std::string>;
    // clang-format off
    const std::pair<std::string, Args> splits[] = {
        {R"("C:\T\q.exe" --textxml="D:\O" "D:\I\a.xml")", {R"(C:\T\q.exe)", R"(--textxml=D:\O)", R"(D:\I\a.xml)"}},
        {R"(q.exe a\\"b c" d)", {"q.exe", R"(a\b c)", "d"}},  // 2n backslashes: n, and the quote groups
        {R"(q.exe a\"b c)", {"q.exe", R"(a"b)", "c"}},        // 2n + 1: n, and a quote
        {R"(q.exe "a""b" c)", {"q.exe", R"(a"b)", "c"}}, {R"("C:\a"b\q.exe" x)", {R"(C:\a)", R"(b\q.exe x)"}},
    };
    // clang-format on
    for (const auto& [line, arguments] : splits) EXPECT_EQ(SplitAsTheCRuntime(line, latin1), arguments) << line;
    EXPECT_EQ(SplitAsTheCRuntime("q \"\x95\\\"", japanese), (Args{"q", "\x95\\"}));
    EXPECT_EQ(SplitAsTheCRuntime("q \"\x95\\\"", latin1), (Args{"q", "\x95\""}));
    // A quote or a backslash before the closing quote, as best fit reads it, moves the split; a trail byte "\" not.
    // clang-format off
    const std::tuple<const wchar_t*, const CodePage*, bool> names[] = {{L"a.xml", &latin1, true},
        {L"a\uFF3C", &latin1, false}, {L"a\uFF02 --textxml=C:\uFF3CUsers\uFF3Cme\uFF3Creport.docx \uFF02.xml", &latin1, false},
        {L"a\u00A5", &japanese, false}, {L"\u8868", &japanese, true}, {L"", &latin1, false}};
    // clang-format on
    for (const auto& [name, ansi, meant] : names) {
        const ConverterCall call = BinToTextCall(L"C:\\T", L"D:\\Out", name, L"txt", L"D:\\In\\" + std::wstring(name));
        EXPECT_EQ(ReadAsMeant(call.Arguments(), call.CommandLine(), *ansi), meant) << testing::PrintToString(name);
    }
}

TEST(ConverterStart, ARefusedStartIsTriedAgainForTwoSecondsABatchAndOneFileIsOneIdentity) {
    using ms = std::chrono::milliseconds;
    constexpr std::uint32_t kSharingViolation = 32, kAccessDenied = 5;
    const StartRetries::Clock::time_point t0{};
    StartRetries retries;
    EXPECT_TRUE(retries.Refused(kSharingViolation, true, t0) && retries.Refused(kAccessDenied, false, t0 + ms(1999)));
    EXPECT_FALSE(retries.Refused(kSharingViolation, false, t0 + ms(2000)));
    for (const std::uint32_t final : {2, 3, 11, 123, 161, 191, 192, 193, 216, 225, 226, 267, 577, 740, 1260})
        EXPECT_FALSE(StartRetries().Refused(final, true, t0)) << final;
    // A start that waited half a second for the scanner, then two refused side by side: one window in elapsed time.
    StartRetries batch;
    batch.Refused(kSharingViolation, true, t0), batch.Done(t0 + ms(500));
    EXPECT_TRUE(batch.Refused(kSharingViolation, true, t0 + ms(9000)) &&
                batch.Refused(kSharingViolation, true, t0 + ms(10000)) &&
                batch.Refused(kSharingViolation, false, t0 + ms(10499)));
    EXPECT_FALSE(batch.Refused(kSharingViolation, false, t0 + ms(10500)));
    batch.Done(t0 + ms(10500)), batch.Done(t0 + ms(10500));
    EXPECT_FALSE(batch.Refused(kSharingViolation, true, t0 + ms(20000))) << "the rest of the batch gets one try each";

    // One file by identity: only two known identities of one kind on a non-zero ID prove it.
    const auto id = [](bool wide, std::uint64_t volume, std::uint8_t low, std::uint8_t high = 0) {
        FileIdentity identity{wide, volume, {}};
        identity.id[0] = low, identity.id[15] = high;
        return std::optional(identity);
    };
    EXPECT_TRUE(SameIdentity(id(true, 7, 1, 9), id(true, 7, 1, 9)) && SameIdentity(id(false, 7, 1), id(false, 7, 1)));
    // ReFS keeps the low half alone not unique; a server may give 0 for every file; a query refused proves nothing.
    // clang-format off
    for (const auto& [a, b] : {std::pair{id(true, 7, 1, 9), id(true, 7, 1, 8)}, {id(true, 7, 1), id(true, 8, 1)},
             {id(true, 7, 1), id(false, 7, 1)}, {id(true, 7, 0), id(true, 7, 0)}, {id(false, 0, 0), id(false, 0, 0)},
             {std::nullopt, id(true, 7, 1)}})
        EXPECT_FALSE(SameIdentity(a, b) || SameIdentity(b, a));
    // clang-format on
}

// The system ends a job's processes a moment after it is asked: the end is waited for, within a bound.
TEST(ConverterEnd, LastsUntilEveryProcessIsGoneButNoLonger) {
    for (const auto& [goneAtLook, pauses] : {std::pair{1, 0}, {4, 3}, {1000, 5}}) {
        int looks = 0, paused = 0;
        EXPECT_TRUE(EndAndWait([] { return true; }, [&] { return ++looks >= goneAtLook; }, [&] { ++paused; }, 5));
        EXPECT_EQ(paused, pauses) << goneAtLook;
    }
    EXPECT_FALSE(EndAndWait([] { return false; }, [] { return true; }, [] {}, 5)) << "it could not be ended";
}

const std::wstring kConverter = L"C:\\T\\quillon.exe", kDone = L"Conversion complete",
                   kBin = L"Conversion from Binary XML to Text XML started...",
                   kText = L"Conversion from Text XML to Binary XML started...";
std::wstring NotFound(std::wstring n) { return L"Source file or destination folder not found for file '" + n + L"'"; }

// One batch: the converter and the queued files exist unless missing; the output boxes read D:\Out and D:\Bin\.
struct Scenario {
    const char* what;
    bool textToBin = false, besideSource = false;
    const wchar_t* extension = L"txt";
    Lines queue{}, missing{}, folders = {L"D:\\Out", L"D:\\Bin\\"}, existing{};  // existing: destinations already there
    Lines unsure{};  // destinations whose probe fails, as over a network that has gone
    std::map<std::wstring, std::wstring> shortNames{};  // paths and their short forms
    std::wstring temporary = L"C:\\Temp";
    std::vector<RunResult> results{};  // one per run, then exit 0; a converter that ends well makes its file
    // No run makes a file; every folder goes when a run ends; the converter's temporary files cannot be made or moved.
    bool makesNothing = false, foldersVanish = false, copyAndMoveFail = false;
    Lines undeletable{};                              // temporary files that stay when deleted
    bool stopsPlacing = false, reserveFails = false;  // "Stop now" cuts the copy into place short; no name can be had
    int stopAfterRuns = -1, stopAfterPresence = -1;   // Stop is pressed once this many have begun
    int atOnce = 1;
    std::vector<int> endOrder{};  // which entries' converters end first
    Lines log{};
    std::wstring progress{};                  // "0..maximum" and then each value
    Lines probes{}, calls{};                  // checked when given
    std::wstring placed{};                    // how the converted file was put in place, when given
    std::optional<std::wstring> converted{};  // the entries whose lines end in DONE, as the window learns them
    std::optional<Lines> left{};  // the files there at the end, but the converter and the queue's; *: written
};

// A file system and a window in memory that play one scenario.
struct Host : BatchHost {
    const Scenario s;
    std::map<std::wstring, int> files;  // each with the number of the write that made it
    std::set<std::wstring> folders;
    int runs = 0, presences = 0, writes = 0, numbers = 0;
    Lines calls, probes, log;  // log: the status log as the user sees it
    std::wstring progress, converted, placed;

    explicit Host(const Scenario& scenario) : s(scenario), folders(s.folders.begin(), s.folders.end()) {
        for (const auto& file : s.queue) files[file] = 0;
        for (const auto& file : s.existing) files[file] = 0;
        files[kConverter] = 0;
        for (const auto& gone : s.missing) files.erase(gone);
        if (s.textToBin)
            RunTextToBinBatch({s.queue, L"D:\\Bin\\", L"C:\\T", s.atOnce}, *this);
        else
            RunBinToTextBatch({s.queue, s.besideSource, L"D:\\Out", s.extension, L"C:\\T", s.atOnce}, *this);
    }
    // Every call goes on `calls` in order; probes and runs also on `probes`.
    bool Note(Lines* kind, const std::wstring& call, bool answer) {
        if (kind) kind->push_back(call);
        calls.push_back(call);
        return answer;
    }
    // A call that answers nothing; its number is what follows the first blank.
    std::wstring Note(Lines* kind, const std::wstring& call) {
        return Note(kind, call, true), call.substr(call.find(L' ') + 1);
    }
    bool FileExists(const std::wstring& p) override { return Note(&probes, L"file " + p, files.count(p)); }
    bool FolderExists(const std::wstring& p) override { return Note(&probes, L"folder " + p, folders.count(p)); }
    bool SameFile(const std::wstring& a, const std::wstring& b, const FileState&) override {
        return Note(&probes, L"same " + a + L"|" + b, a == b);
    }
    // The full path is the path itself here; only its case is folded.
    std::wstring PathKey(const std::wstring& path) override {
        std::wstring key = path;
        for (wchar_t& c : key) c = static_cast<wchar_t>(std::towupper(c));
        return key;
    }
    FileState DestinationState(const std::wstring& p) override {
        Note(&probes, L"presence " + p), ++presences;
        if (std::count(s.unsure.begin(), s.unsure.end(), p)) return {};
        if (!files.count(p)) return {Presence::Absent};
        return {Presence::There, 1, static_cast<std::uint64_t>(files[p])};
    }
    Reservation Reserve(const std::wstring& p) override {
        if (s.reserveFails) return {Reserved::Failed, L"Access is denied."};
        return files.emplace(p, ++writes).second ? Reservation{Reserved::Made, {}} : Reservation{Reserved::Taken, {}};
    }
    bool RemoveFile(const std::wstring& p) override { return Note(&probes, L"remove " + p, files.erase(p) || true); }
    std::wstring RemoveTemporary(const std::wstring& p) override {
        if (std::count(s.undeletable.begin(), s.undeletable.end(), p)) return L"It is in use.";
        return files.erase(p), L"";
    }
    FileStep CopyForConverter(const std::wstring& from, const std::wstring& to) override {
        if (!s.copyAndMoveFail) files[to] = files.at(from);
        return {s.copyAndMoveFail ? L"There is not enough space on the disk." : L""};
    }
    // Copied to the staging name, which then takes the destination's place; what was there becomes the backup.
    FileStep MoveIntoPlace(const Placement& p) override {
        placed = Note(nullptr, L"place " + p.from + L">" + p.staging + L">" + p.backup + L">" + p.to);
        if (s.copyAndMoveFail || s.stopsPlacing) return {s.stopsPlacing ? L"" : L"Access is denied.", s.stopsPlacing};
        if (!p.backup.empty() && files.count(p.to)) files[p.backup] = files[p.to];
        files[p.to] = files.at(p.from);
        if (p.staging != p.from) files.erase(p.staging);
        return {};
    }
    const CodePage& ConverterCodePage() override { return latin1; }
    std::wstring ShortPath(const std::wstring& p) override { return s.shortNames.count(p) ? s.shortNames.at(p) : L""; }
    std::wstring TemporaryFolder() override { return s.temporary; }
    std::uint32_t TemporaryNumber() override { return static_cast<std::uint32_t>(++numbers); }
    // Started converters end in the order `endOrder` gives their entries (the others after, first started first).
    void StartRun(int entry, const ConverterCall& call) override {
        Note(&probes, L"run " + call.CommandLine());
        if (s.foldersVanish) folders.clear();
        RunResult result = ++runs <= static_cast<int>(s.results.size()) ? s.results[runs - 1] : RunResult{true, 0};
        // It reads its source by the name it is given: a file's, or the short name of one.
        bool readable = files.count(call.source);
        for (const auto& [path, shortPath] : s.shortNames) readable |= shortPath == call.source && files.count(path);
        if (!readable) result = {true, 2, false, L"no source"};
        running.emplace_back(entry, call, result);
        mostRunning = std::max(mostRunning, static_cast<int>(running.size()));
    }
    std::pair<int, RunResult> NextEnded() override {
        const auto rank = [&](auto& run) { return std::find(s.endOrder.begin(), s.endOrder.end(), std::get<0>(run)); };
        const auto first =
            std::min_element(running.begin(), running.end(), [&](auto& a, auto& b) { return rank(a) < rank(b); });
        auto [entry, call, result] = *first;
        running.erase(first);
        result.ended |= endAll;
        // It writes unless it fails first, and leaves what it had written when it is ended.
        if (result.started && !s.makesNothing &&
            (result.ended || result.exitCode == 0 || result.exitCode == 0xC000013A))
            files[JoinPath(FolderOfPath(call.destination), WrittenName(FileNameOfPath(call.destination)))] = ++writes;
        return {entry, result};
    }
    void EndRuns() override { endAll = true; }
    std::vector<std::tuple<int, ConverterCall, RunResult>> running;  // entry, call, how it will end
    int mostRunning = 0;
    bool endAll = false;
    Lines Left() const {  // every file but the converter and the queue's
        Lines out;
        for (const auto& [path, write] : files)
            if (path != kConverter && std::count(s.queue.begin(), s.queue.end(), path) == 0)
                out.push_back(path + (write ? L"*" : L""));
        return out;
    }
    bool StopRequested() override {
        return (s.stopAfterRuns >= 0 && runs >= s.stopAfterRuns) ||
               (s.stopAfterPresence >= 0 && presences >= s.stopAfterPresence);
    }
    const test_support::Latin1 latin1;
    void AppendLine(const std::wstring& line) override { log.push_back(line), Note(nullptr, L"add " + line); }
    // The log leads to the entry's real files.
    void Leads(const std::wstring& line, const LineFile& file) const {
        EXPECT_TRUE(file.source == s.queue.at(file.entry) && file.destination.find(L"~kq") == std::wstring::npos)
            << line;
    }
    void AppendFileLine(const std::wstring& line, const LineFile& file) override {
        Leads(line, file), AppendLine(line);
    }
    void ReplaceLastLine(const std::wstring& line, const LineFile& file) override {
        Leads(line, file);
        if (file.converted) converted += std::to_wstring(file.entry);
        if (Note(nullptr, L"replace " + line, !log.empty())) log.back() = line;
    }
    void SetProgressRange(int most) override { progress += L"0.." + Note(nullptr, L"range " + std::to_wstring(most)); }
    void SetProgressValue(int value) override { progress += L" " + Note(nullptr, L"value " + std::to_wstring(value)); }
};

// Names Windows' ordinary calls read as another file's, or as a device.
TEST(PassedPaths, PathRulesAndExactForms) {
    std::vector<std::wstring> rewritten = {L"C:\\a.xml ",    L"C:\\b.xml.",       L"C:\\x \\a.xml",
                                           L"C:\\x.\\a.xml", L"\\\\?\\C:\\a.xml", L"\\\\s\\h\\aux\\a.xml"};
    for (const wchar_t* device : {L"con", L"PRN", L"aux", L"Nul", L"com0", L"COM9", L"lpt1", L"LPT9", L"com\u00B9",
                                  L"lpt\u00B2", L"COM\u00B3", L"conin$", L"CONOUT$"})
        for (const wchar_t* tail : {L"", L".xml", L".tar.xml", L"  .xml"})
            rewritten.push_back(L"D:\\In\\" + std::wstring(device) + tail);
    for (const std::wstring& path : rewritten) EXPECT_FALSE(KeptByPathRules(path)) << testing::PrintToString(path);
    for (const wchar_t* path :
         {L"C:\\a.xml", L"C:\\.\\x\\..\\a.xml", L"C:\\com10.xml", L"C:\\conx.xml", L"C:\\xcon.xml", L"C:\\a.con",
          L"C:\\com.xml", L"C:\\lpt\u00B4.xml", L"\\\\con\\nul\\a"})
        EXPECT_TRUE(KeptByPathRules(path)) << testing::PrintToString(path);
    EXPECT_EQ((Lines{WrittenName(L"a. . "), WrittenName(L"a.txt"), ExactPath(L"C:\\a"), ExactPath(L"\\\\s\\h\\a"),
                     ExactPath(L"a"), PlainPath(L"\\\\?\\C:\\a"), PlainPath(L"\\\\?\\UNC\\s\\h\\a")}),
              (Lines{L"a", L"a.txt", L"\\\\?\\C:\\a", L"\\\\?\\UNC\\s\\h\\a", L"a", L"C:\\a", L"\\\\s\\h\\a"}));
}

// What the converter is given where the code page (Latin-1 here) lacks a path's characters, or Windows would
// read it as another file's, and what the log shows.
TEST(PassedPaths, ThePathItselfElseAShortNameElseATemporaryFileElseNothing) {
    const std::wstring in = L"D:\\In\\\u65E5.xml", tool = L"C:\\\u65E5", out = L"D:\\\u00D6\u65E5";
    const std::wstring space = L"D:\\In\\a.xml ", con = L"D:\\In\\con.tar.xml";
    // clang-format off
    const struct { Scenario seams; std::wstring tool, out, source, passed, copy{}, temporary{}; } cases[] = {
        {{.what = "short names; a temporary destination in the output folder",
          .shortNames = {{tool + L"\\quillon.exe", L"C:\\65E5~1\\quillon.exe"}, {in, L"D:\\In\\65E5~1.XML"}}},
         tool, L"D:\\Out", in, LR"("C:\65E5~1\quillon.exe" --textxml="D:\Out\~kq00000001.txt" "D:\In\65E5~1.XML")",
         L"", L"D:\\Out\\~kq00000001.txt"},
        {{.what = "a short name the code page lacks: a copy, under names not taken",
          .existing = {L"D:\\Out\\~kq00000001.xml"}, .shortNames = {{in, L"D:\\In\\\u65E5~1.XML"}}},
         L"C:\\T", L"D:\\Out", in, LR"("C:\T\quillon.exe" --textxml="D:\Out\~kq00000003.txt" "D:\Out\~kq00000002.xml")",
         L"D:\\Out\\~kq00000002.xml", L"D:\\Out\\~kq00000003.txt"},
        {{.what = "the output folder by its short name", .extension = L"\u0442", .shortNames = {{out, L"D:\\65E5~1"}}},
         L"C:\\T", out, L"D:\\In\\a.xml", LR"("C:\T\quillon.exe" --textxml="D:\65E5~1\~kq00000001" "D:\In\a.xml")",
         L"", L"D:\\65E5~1\\~kq00000001"},
        {{.what = "else the temporary folder, by its short name", .shortNames = {{L"C:\\\u65E5", L"C:\\65E5~1"}},
          .temporary = L"C:\\\u65E5"},
         L"C:\\T", out, L"D:\\In\\a.xml", LR"("C:\T\quillon.exe" --textxml="C:\65E5~1\~kq00000001.txt" "D:\In\a.xml")",
         L"", L"C:\\65E5~1\\~kq00000001.txt"},
        {{.what = "a converter without a short name: its name alone"}, tool, L"D:\\Out", L"D:\\In\\a.xml",
         LR"("quillon.exe" --textxml="D:\Out\a.txt" "D:\In\a.xml")"},
        {{.what = "a trailing space: by the short name", .shortNames = {{space, L"D:\\In\\A~~~~O4Q.XML"}}},
         L"C:\\T", L"D:\\Out", space, LR"("C:\T\quillon.exe" --textxml="D:\Out\a.txt " "D:\In\A~~~~O4Q.XML")"},
        {{.what = "a device base name, whose short name is itself: a copy", .shortNames = {{con, con}}}, L"C:\\T",
         L"D:\\Out", con, LR"("C:\T\quillon.exe" --textxml="D:\Out\con.tar.txt" "D:\Out\~kq00000001.xml")",
         L"D:\\Out\\~kq00000001.xml"},
        {{.what = "a trailing dot and an output folder named after a device: both temporary"}, L"C:\\T",
         L"D:\\Aux", L"D:\\In\\b.xml.", LR"("C:\T\quillon.exe" --textxml="C:\Temp\~kq00000002" "C:\Temp\~kq00000001")",
         L"C:\\Temp\\~kq00000001", L"C:\\Temp\\~kq00000002"},
        {{.what = "no temporary file can be made", .reserveFails = true}, L"C:\\T", L"D:\\Out", in,
         L"no temporary file could be made for the converter: Access is denied."},
        {{.what = "no folder the code page carries", .temporary = L""}, L"C:\\T", out, L"D:\\In\\a.xml",
         L"the converter cannot be given this file's path in the system's code page"},
    };
    // clang-format on
    for (const auto& c : cases) {
        Host seams(c.seams);
        const ConverterCall real = BinToTextCall(c.tool, c.out, FileNameOfPath(c.source), c.seams.extension, c.source);
        const PassedCall passed = PassCall(real, seams);
        EXPECT_EQ(passed.refusal.empty() ? passed.call.CommandLine() : passed.refusal, c.passed) << c.seams.what;
        // Started by its real path whatever its command line says.
        EXPECT_EQ(passed.call.application.empty() ? passed.call.program : passed.call.application, real.program);
        if (!passed.refusal.empty()) continue;
        EXPECT_EQ(Pair(passed.sourceCopy, passed.temporaryDestination), Pair(c.copy, c.temporary)) << c.seams.what;
        const std::wstring said = L"no " + passed.call.source + L" or " + FileNameOfPath(passed.call.destination);
        EXPECT_EQ(passed.Unaliased(said), L"no " + c.source + L" or " + FileNameOfPath(real.destination));
    }
}

TEST(ConversionBatch, CallsLogProbesAndProgress) {
    const std::wstring a = L"D:\\In\\a.xml", b = L"D:\\In\\b.xml", c = L"D:\\In\\c.xml", d = L"D:\\In\\d.xml",
                       gone = L"D:\\In\\gone.xml";
    const std::wstring noFolder = L"Output folder does not exists", doneA = L"Processing a.xml... DONE",
                       doneB = L"Processing b.xml... DONE";
    // clang-format off
    const Scenario scenarios[] = {
        {.what = "the five-line example, and how many were not converted", .queue = {a, gone, b}, .missing = {gone},
         .log = {kBin, doneA, NotFound(L"gone.xml"), doneB, kDone, L"1 of 3 files were not converted"},
         .progress = L"0..3 1 2 3 0",
         .calls = {L"range 3", L"add " + kBin, L"file " + kConverter, L"folder D:\\Out", L"value 1", L"file " + a,
                   L"folder D:\\Out", L"presence D:\\Out\\a.txt", L"same " + a + L"|D:\\Out\\a.txt",
                   L"add Processing a.xml...", LR"(run "C:\T\quillon.exe" --textxml="D:\Out\a.txt" "D:\In\a.xml")",
                   L"presence D:\\Out\\a.txt", L"replace " + doneA, L"value 2", L"file " + gone, L"folder D:\\Out",
                   L"add " + NotFound(L"gone.xml"), L"value 3", L"file " + b, L"folder D:\\Out",
                   L"presence D:\\Out\\b.txt", L"same " + b + L"|D:\\Out\\b.txt", L"add Processing b.xml...",
                   LR"(run "C:\T\quillon.exe" --textxml="D:\Out\b.txt" "D:\In\b.xml")", L"presence D:\\Out\\b.txt",
                   L"replace " + doneB, L"add " + kDone, L"add 1 of 3 files were not converted", L"value 0"},
         .converted = L"02"},
        {.what = "empty queue", .log = {kBin, kDone}, .progress = L"0..0 0"},
        {.what = "no output folder", .queue = {a}, .folders = {}, .log = {kBin, noFolder}, .progress = L"0..1"},
        {.what = "text to bin, no folder", .textToBin = true, .queue = {a}, .folders = {}, .log = {kText, noFolder},
         .progress = L"0..1"},
        {.what = "converter missing comes first", .extension = L"t?t", .queue = {a}, .missing = {kConverter},
         .folders = {}, .log = {kBin, L"Converter not found: " + kConverter}, .progress = L"0..1"},
        {.what = "extension checked before the folder", .extension = L"a/b", .queue = {a}, .folders = {},
         .log = {kBin, L"Text XML extension is not valid"}, .progress = L"0..1"},
        {.what = "output folder vanishes", .queue = {a, b, c}, .foldersVanish = true,
         .log = {kBin, doneA, NotFound(L"b.xml"), NotFound(L"c.xml"), kDone, L"2 of 3 files were not converted"},
         .progress = L"0..3 1 2 3 0"},
        {.what = "output folder vanishes, text to bin", .textToBin = true, .queue = {a, b}, .foldersVanish = true,
         .log = {kText, doneA, doneB, kDone}, .progress = L"0..2 1 2 0"},
        {.what = "text to bin: the folder once, then each source alone", .textToBin = true, .queue = {gone, a},
         .missing = {gone}, .log = {kText, NotFound(L"gone.xml"), doneA, kDone, L"1 of 2 files were not converted"},
         .progress = L"0..2 1 2 0",
         .probes = {L"file " + kConverter, L"folder D:\\Bin\\", L"file " + gone, L"file " + a,
                    L"presence D:\\Bin\\a.xml", L"same " + a + L"|D:\\Bin\\a.xml",
                    LR"(run "C:\T\quillon.exe" --quillon="D:\Bin\a.xml" "D:\In\a.xml")", L"presence D:\\Bin\\a.xml"}},
        {.what = "beside sources: each one's folder probed, the output box unused", .besideSource = true,
         .queue = {L"D:\\X\\here.xml", L"C:\\b.xml"}, .folders = {L"C:"},
         .log = {kBin, NotFound(L"here.xml"), doneB, kDone, L"1 of 2 files were not converted"},
         .progress = L"0..2 1 2 0",
         .probes = {L"file " + kConverter, L"file D:\\X\\here.xml", L"folder D:\\X", L"file C:\\b.xml",
                    L"folder C:", L"presence C:\\b.txt", L"same C:\\b.xml|C:\\b.txt",
                    LR"(run "C:\T\quillon.exe" --textxml="C:\b.txt" "C:\b.xml")", L"presence C:\\b.txt"}},
        {.what = "same file, checked on the folded source", .besideSource = true, .queue = {L"D:\\In\\\\A.XML", b},
         .folders = {L"D:\\In", L"D:\\In\\"},
         .log = {kBin, L"Source and destination are the same file for 'A.XML'", doneB, kDone,
                 L"1 of 2 files were not converted"}, .progress = L"0..2 1 2 0"},
        {.what = "converter outcomes: decimal up to 65535, then hex, its last output line, the system's words",
         .besideSource = true,
         .queue = {a, b, c, L"D:\\1\\a.xml", L"D:\\2\\b.xml", L"D:\\3\\c.xml", L"D:\\4\\a.xml", L"D:\\5\\b.xml"},
         .folders = {L"D:\\In", L"D:\\1", L"D:\\2", L"D:\\3", L"D:\\4", L"D:\\5"},
         .results = {{true, 1, false, L"bad input"}, {true, 65535}, {true, 65536}, {true, 0xC0000005u},
                     {false, 0, false, L"", L"Access is denied."}, {true, 0, false, L"fine", L"The handle is invalid."},
                     {true, 0, false, L"fine"}, {false, 0}},
         .log = {kBin, L"Processing a.xml... FAILED (exit code 1): bad input",
                 L"Processing b.xml... FAILED (exit code 65535)",
                 L"Processing c.xml... FAILED (exit code 0x00010000)",
                 L"Processing a.xml... FAILED (exit code 0xC0000005)",
                 L"Processing b.xml... FAILED (the converter could not be started: Access is denied.)",
                 L"Processing c.xml... FAILED (the converter could not be waited for: The handle is invalid.)",
                 L"Processing a.xml... DONE", L"Processing b.xml... FAILED (the converter could not be started)",
                 kDone, L"7 of 8 files were not converted"}, .progress = L"0..8 1 2 3 4 5 6 7 8 0", .converted = L"6"},
        {.what = "a destination a converter was started with earlier in the batch, in any case, is not written again",
         .queue = {a, L"D:\\Other\\A.xml", b, L"D:\\Other\\B.xml"}, .results = {{false, 0}, {true, 0}, {true, 1}},
         .log = {kBin, L"Processing a.xml... FAILED (the converter could not be started)", L"Processing A.xml... DONE",
                 L"Processing b.xml... FAILED (exit code 1)", L"Destination already written in this batch for 'B.xml'",
                 kDone, L"3 of 4 files were not converted"}, .progress = L"0..4 1 2 3 4 0"},
        {.what = "Stop while the checks run: no entry starts", .queue = {a, b}, .stopAfterRuns = 0,
         .log = {kBin, L"Conversion stopped", L"2 of 2 files were not converted"}, .progress = L"0..2 0"},
        {.what = "Stop while a converter runs: it finishes, no other starts", .queue = {a, b, c}, .stopAfterRuns = 1,
         .log = {kBin, doneA, L"Conversion stopped", L"2 of 3 files were not converted"}, .progress = L"0..3 1 0"},
        {.what = "Stop now ends the converter, and what it began of a new file goes", .queue = {a, b},
         .results = {{true, 1, true, L"half"}}, .stopAfterRuns = 1,
         .log = {kBin, L"Processing a.xml... STOPPED (the converter was ended)", L"Conversion stopped",
                 L"2 of 2 files were not converted"}, .progress = L"0..2 1 0",
         .probes = {L"file " + kConverter, L"folder D:\\Out", L"file " + a, L"folder D:\\Out",
                    L"presence D:\\Out\\a.txt", L"same " + a + L"|D:\\Out\\a.txt",
                    LR"(run "C:\T\quillon.exe" --textxml="D:\Out\a.txt" "D:\In\a.xml")", L"remove D:\\Out\\a.txt"}},
        {.what = "Stop now leaves a file that was there before, and says so", .textToBin = true, .queue = {a},
         .existing = {L"D:\\Bin\\a.xml"}, .results = {{true, 1, true}},
         .log = {kText, L"Processing a.xml... STOPPED (the converter was ended; a.xml may be incomplete)",
                 L"Conversion stopped", L"1 of 1 files were not converted"},
         .progress = L"0..1 1 0", .left = Lines{L"D:\\Bin\\a.xml*"}},
        {.what = "Stop during the last file: all of them done", .queue = {a}, .stopAfterRuns = 1,
         .log = {kBin, doneA, kDone}, .progress = L"0..1 1 0"},
        {.what = "a Stop after the probes starts no converter", .queue = {a, b}, .stopAfterPresence = 1,
         .log = {kBin, L"Conversion stopped", L"2 of 2 files were not converted"}, .progress = L"0..2 1 0"},
        {.what = "a Stop before the converter ran", .queue = {a}, .results = {{false, 0, true}}, .stopAfterRuns = 1,
         .log = {kBin, L"Processing a.xml... STOPPED (the converter was not started)", L"Conversion stopped",
                 L"1 of 1 files were not converted"}, .progress = L"0..1 1 0"},
        {.what = "exit code 0 is no DONE without a destination or with the one there before untouched; one that "
                 "cannot be looked at is; Stop now keeps it",
         .queue = {a, b, c, d}, .existing = {L"D:\\Out\\c.txt"}, .unsure = {L"D:\\Out\\b.txt", L"D:\\Out\\d.txt"},
         .results = {{true, 0}, {true, 0}, {true, 0}, {true, 1, true}}, .makesNothing = true, .stopAfterRuns = 4,
         .log = {kBin, L"Processing a.xml... FAILED (the converter did not make a.txt)", doneB,
                 L"Processing c.xml... FAILED (the converter did not make c.txt)",
                 L"Processing d.xml... STOPPED (the converter was ended; d.txt may be incomplete)",
                 L"Conversion stopped", L"3 of 4 files were not converted"}, .progress = L"0..4 1 2 3 4 0", .converted = L"1"},
        {.what = "names the code page would change reach the converter by a short name or a copy and write a "
                 "temporary file, which becomes their own destination",
         .queue = {L"D:\\In\\..\uFF3Cdecoy.xml", L"D:\\In\\\u65E5.xml"},
         .shortNames = {{L"D:\\In\\..\uFF3Cdecoy.xml", L"D:\\In\\___D~I40.XML"}},
         .log = {kBin, L"Processing ..\uFF3Cdecoy.xml... DONE", L"Processing \u65E5.xml... DONE", kDone},
         .progress = L"0..2 1 2 0",
         .converted = L"01", .left = Lines{L"D:\\Out\\..\uFF3Cdecoy.txt*", L"D:\\Out\\\u65E5.txt*"}},
        {.what = "a converter whose console the system ended, writing a temporary destination: that goes, the "
                 "file that was there stays whole, and no further entry starts",
         .queue = {L"D:\\In\\\u65E5.xml", a}, .existing = {L"D:\\Out\\\u65E5.txt"},
         .shortNames = {{L"D:\\In\\\u65E5.xml", L"D:\\In\\65E5~1.XML"}}, .results = {{true, 0xC000013Au, false, L"^C"}},
         .log = {kBin, L"Processing \u65E5.xml... STOPPED (the converter was ended)", L"Conversion stopped",
                 L"2 of 2 files were not converted"}, .progress = L"0..2 1 0", .left = Lines{L"D:\\Out\\\u65E5.txt"}},
        {.what = "a converter that fails, or ends well without writing its temporary output: the earlier output stays",
         .queue = {L"D:\\In\\\u65E5.xml", L"D:\\In\\\u672C.xml"}, .existing = {L"D:\\Out\\\u65E5.txt", L"D:\\Out\\\u672C.txt"},
         .shortNames = {{L"D:\\In\\\u65E5.xml", L"D:\\In\\1.XML"}, {L"D:\\In\\\u672C.xml", L"D:\\In\\2.XML"}},
         .results = {{true, 1}}, .makesNothing = true, .log = {kBin, L"Processing \u65E5.xml... FAILED (exit code 1)",
                 L"Processing \u672C.xml... FAILED (the converter did not make \u672C.txt)", kDone,
                 L"2 of 2 files were not converted"}, .progress = L"0..2 1 2 0",
         .left = Lines{L"D:\\Out\\\u65E5.txt", L"D:\\Out\\\u672C.txt"}},
        {.what = "from the temporary folder, copied beside the destination first and put in its place with a backup; "
                 "a temporary file that cannot be deleted is named",
         .besideSource = true, .queue = {L"D:\\\u65E5\\a.xml"}, .folders = {L"D:\\\u65E5"},
         .existing = {L"D:\\\u65E5\\a.txt"}, .undeletable = {L"C:\\Temp\\~kq00000001.xml"},
         .log = {kBin, L"Processing a.xml... DONE",
                 L"Could not delete the temporary file C:\\Temp\\~kq00000001.xml: It is in use.", kDone},
         .progress = L"0..1 1 0", .placed = L"C:\\Temp\\~kq00000002.txt>D:\\\u65E5\\~kq00000003.txt>"
                                          L"D:\\\u65E5\\~kq00000004.txt>D:\\\u65E5\\a.txt",
         .left = Lines{L"C:\\Temp\\~kq00000001.xml", L"D:\\\u65E5\\a.txt*"}},
        {.what = "Stop now while it is put in place: the earlier output stays as it was, nothing else",
         .besideSource = true, .queue = {L"D:\\\u65E5\\a.xml", L"D:\\\u65E5\\b.xml"}, .folders = {L"D:\\\u65E5"},
         .existing = {L"D:\\\u65E5\\a.txt"}, .stopsPlacing = true,
         .log = {kBin, L"Processing a.xml... STOPPED (the converted file was not put in place)", L"Conversion stopped",
                 L"2 of 2 files were not converted"}, .progress = L"0..2 1 0", .left = Lines{L"D:\\\u65E5\\a.txt"}},
        {.what = "a name Windows would rewrite: by its short name into the file Windows writes; a device is refused",
         .besideSource = true, .queue = {L"D:\\In\\a.xml ", L"D:\\In\\con.xml", L"D:\\In\\b.xml"},
         .folders = {L"D:\\In"}, .shortNames = {{L"D:\\In\\a.xml ", L"D:\\In\\A~1.XML"}},
         .log = {kBin, L"Processing a.xml ... DONE", L"Processing con.xml... FAILED (Windows reserves the name con.txt)",
                 doneB, kDone, L"1 of 3 files were not converted"}, .progress = L"0..3 1 2 3 0",
         .left = Lines{L"D:\\In\\a.txt*", L"D:\\In\\b.txt*"}},
        {.what = "a queue that converts the file an entry before it makes", .besideSource = true, .extension = L"x.xml",
         .queue = {L"D:\\In\\a.xml", L"D:\\In\\a.x.xml", L"D:\\In\\a.x.x.xml"},
         .missing = {L"D:\\In\\a.x.xml", L"D:\\In\\a.x.x.xml"}, .folders = {L"D:\\In"},
         .log = {kBin, L"Processing a.xml... DONE", L"Processing a.x.xml... DONE", L"Processing a.x.x.xml... DONE", kDone},
         .progress = L"0..3 1 2 3 0"},
        {.what = "a copy or a move that fails, a path the code page cannot carry in any form, one that would split "
                 "otherwise: each fails, and no temporary file is left",
         .besideSource = true, .queue = {L"D:\\In\\\u65E5.xml", L"D:\\In\\\u672C.xml", L"D:\\\u65E5\\a.xml", L"D:\\In\\b\".xml"},
         .folders = {L"D:\\\u65E5", L"D:\\In"}, .shortNames = {{L"D:\\In\\\u672C.xml", L"D:\\In\\672C~1.XML"}},
         .temporary = L"", .copyAndMoveFail = true,
         .log = {kBin, L"Processing \u65E5.xml... FAILED (\u65E5.xml could not be copied for the converter: There is "
                       L"not enough space on the disk.)",
                 L"Processing \u672C.xml... FAILED (the converted file could not be moved to \u672C.txt: Access is "
                 L"denied.)",
                 L"Processing a.xml... FAILED (the converter cannot be given this file's path in the system's code page)",
                 L"Processing b\".xml... FAILED (the converter would read this file's paths as other arguments)", kDone,
                 L"4 of 4 files were not converted"}, .progress = L"0..4 1 2 3 4 0", .converted = L"", .left = Lines{}},
    };
    // clang-format on
    for (const auto& s : scenarios) {
        const Host host(s);
        EXPECT_EQ(host.log, s.log) << s.what;
        EXPECT_EQ(host.progress, s.progress) << s.what;
        if (!s.probes.empty()) { EXPECT_EQ(host.probes, s.probes) << s.what; }
        if (!s.calls.empty()) { EXPECT_EQ(host.calls, s.calls) << s.what; }
        if (s.converted) { EXPECT_EQ(host.converted, *s.converted) << s.what; }
        if (s.left) { EXPECT_EQ(host.Left(), *s.left) << s.what; }
        if (!s.placed.empty()) { EXPECT_EQ(host.placed, s.placed) << s.what; }
        // Several at a time, ending last first: a batch that runs to its end logs and leaves the same.
        if (std::count(s.log.begin(), s.log.end(), L"Conversion stopped")) continue;
        for (const int atOnce : {2, 4}) {
            Scenario parallel = s;
            parallel.atOnce = atOnce;
            for (int entry = static_cast<int>(s.queue.size()) - 1; entry >= 0; --entry)
                parallel.endOrder.push_back(entry);
            const Host again(parallel);
            EXPECT_EQ(std::tuple(again.log, again.progress, again.converted),
                      std::tuple(s.log, s.progress, host.converted))
                << s.what << " at " << atOnce;
            if (s.placed.empty()) { EXPECT_EQ(again.Left(), host.Left()) << s.what; }
            EXPECT_LE(again.mostRunning, atOnce);
        }
    }
}

// Converters that end in another order than they start, as several at a time do.
TEST(ConversionBatch, SeveralAtATimeStartInQueueOrderAndLogAsOneAtATime) {
    const Lines six = {L"D:\\In\\1.xml", L"D:\\In\\2.xml", L"D:\\In\\3.xml",
                       L"D:\\In\\4.xml", L"D:\\In\\5.xml", L"D:\\In\\6.xml"};
    const auto line = [](int n, const std::wstring& outcome) {
        return L"Processing " + std::to_wstring(n) + L".xml... " + outcome;
    };
    const std::wstring ended = L"STOPPED (the converter was ended)", stopped = L"Conversion stopped";
    // clang-format off
    const Scenario scenarios[] = {
        {.what = "four at once, the fourth ending first", .queue = six, .atOnce = 4, .endOrder = {3, 1},
         .log = {kBin, line(1, L"DONE"), line(2, L"DONE"), line(3, L"DONE"), line(4, L"DONE"), line(5, L"DONE"),
                 line(6, L"DONE"), kDone}, .progress = L"0..6 1 2 3 4 5 6 0", .converted = L"012345"},
        {.what = "Stop with three running: they finish, and no other starts", .queue = six, .stopAfterRuns = 3,
         .atOnce = 4, .endOrder = {2, 0},
         .log = {kBin, line(1, L"DONE"), line(2, L"DONE"), line(3, L"DONE"), stopped, L"3 of 6 files were not converted"},
         .progress = L"0..6 1 2 3 0"},
        {.what = "Stop now with three running: each is ended", .queue = six,
         .results = {{true, 1, true}, {true, 1, true}, {true, 1, true}}, .stopAfterRuns = 3, .atOnce = 4,
         .endOrder = {1, 2},
         .log = {kBin, line(1, ended), line(2, ended), line(3, ended), stopped, L"6 of 6 files were not converted"},
         .progress = L"0..6 1 2 3 0"},
        {.what = "one ended by the system ends the others", .queue = six, .results = {{true, 0}, {true, 0xC000013Au}},
         .atOnce = 3, .endOrder = {1},
         .log = {kBin, line(1, ended), line(2, ended), line(3, ended), stopped, L"6 of 6 files were not converted"},
         .progress = L"0..6 1 2 3 0"},
    };
    // clang-format on
    for (const auto& s : scenarios) {
        const Host host(s);
        EXPECT_EQ(std::tuple(host.log, host.progress), std::tuple(s.log, s.progress)) << s.what;
        if (s.converted) { EXPECT_EQ(host.converted, *s.converted) << s.what; }
        EXPECT_EQ(host.mostRunning, std::min(s.atOnce, s.stopAfterRuns < 0 ? 6 : s.stopAfterRuns)) << s.what;
    }
}

}  // namespace
