#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "conversion/batch.h"

using namespace conversion;
// GCC 12 warns about members left out of designated initializers, which the scenarios rely on.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using Lines = std::vector<std::wstring>;
const std::wstring kConverter = L"C:\\T\\quillon.exe", kDone = L"Conversion complete",
                   kBin = L"Conversion from Binary XML to Text XML started...",
                   kText = L"Conversion from Text XML to Binary XML started...";
std::wstring NotFound(std::wstring n) { return L"Source file or destination folder not found for file '" + n + L"'"; }

// One batch: the converter and every queued file exist unless missing; the
// bin to text output box is D:\Out, the text to bin one D:\Bin\.
struct Scenario {
    const char* what;
    bool textToBin = false;
    bool besideSource = false;
    const wchar_t* extension = L"txt";
    Lines queue, missing, folders = {L"D:\\Out", L"D:\\Bin\\"};
    std::vector<RunResult> results;  // one per run, then exit 0
    bool foldersVanish = false;      // every folder goes when a run ends
    Lines log, probes, calls;        // probes and calls: checked when given
};

// A file system and a window in memory that play one scenario.
struct Host : BatchHost {
    const Scenario s;
    std::set<std::wstring> files, folders;
    std::size_t runs = 0;
    Lines calls, probes, progress, log;  // log: the status log as the user sees it

    explicit Host(const Scenario& scenario)
        : s(scenario), files(s.queue.begin(), s.queue.end()), folders(s.folders.begin(), s.folders.end()) {
        files.insert(kConverter);
        for (const auto& gone : s.missing) files.erase(gone);
        if (s.textToBin) RunTextToBinBatch({s.queue, L"D:\\Bin\\", L"C:\\T"}, *this);
        else RunBinToTextBatch({s.queue, s.besideSource, L"D:\\Out", s.extension, L"C:\\T"}, *this);
    }
    // Every call goes on `calls` in order; probes (with runs) and progress calls also on lists of their own.
    bool Note(Lines* kind, const std::wstring& call, bool answer = true) {
        if (kind) kind->push_back(call);
        return calls.push_back(call), answer;
    }
    bool FileExists(const std::wstring& p) override { return Note(&probes, L"file " + p, files.count(p)); }
    bool FolderExists(const std::wstring& p) override { return Note(&probes, L"folder " + p, folders.count(p)); }
    bool SameFile(const std::wstring& a, const std::wstring& b) override {
        return Note(&probes, L"same " + a + L"|" + b, a == b);
    }
    RunResult Run(const std::wstring& commandLine) override {
        Note(&probes, L"run " + commandLine);
        if (s.foldersVanish) folders.clear();
        return ++runs <= s.results.size() ? s.results[runs - 1] : RunResult{true, 0};
    }
    void AppendLine(const std::wstring& line) override { log.push_back(line), Note(nullptr, L"add " + line); }
    void ReplaceLastLine(const std::wstring& line) override {
        if (Note(nullptr, L"replace " + line, !log.empty())) log.back() = line;
    }
    void SetProgressRange(int maximum) override { Note(&progress, L"range " + std::to_wstring(maximum)); }
    void SetProgressValue(int value) override { Note(&progress, L"value " + std::to_wstring(value)); }
};

TEST(ConversionBatch, CallsLogProbesAndProgress) {
    const std::wstring a = L"D:\\In\\a.xml", b = L"D:\\In\\b.xml", c = L"D:\\In\\c.xml", gone = L"D:\\In\\gone.xml";
    const std::wstring noFolder = L"Output folder does not exists", doneA = L"Processing a.xml... DONE",
                       doneB = L"Processing b.xml... DONE";
    const Scenario scenarios[] = {
        {.what = "the five-line example", .queue = {a, gone, b}, .missing = {gone},
         .log = {kBin, doneA, NotFound(L"gone.xml"), doneB, kDone},
         .calls = {L"range 3", L"add " + kBin, L"file " + kConverter, L"folder D:\\Out", L"value 1", L"file " + a,
                   L"folder D:\\Out", L"same " + a + L"|D:\\Out\\a.txt", L"add Processing a.xml...",
                   LR"(run "C:\T\quillon.exe" --textxml="D:\Out\a.txt" "D:\In\a.xml")", L"replace " + doneA,
                   L"value 2", L"file " + gone, L"folder D:\\Out", L"add " + NotFound(L"gone.xml"), L"value 3",
                   L"file " + b, L"folder D:\\Out", L"same " + b + L"|D:\\Out\\b.txt", L"add Processing b.xml...",
                   LR"(run "C:\T\quillon.exe" --textxml="D:\Out\b.txt" "D:\In\b.xml")", L"replace " + doneB,
                   L"add " + kDone, L"value 0"}},
        {.what = "empty queue", .log = {kBin, kDone}},
        {.what = "no output folder", .queue = {a}, .folders = {}, .log = {kBin, noFolder}},
        {.what = "text to bin, no folder", .textToBin = true, .queue = {a}, .folders = {}, .log = {kText, noFolder}},
        {.what = "converter missing comes first", .extension = L"t?t", .queue = {a}, .missing = {kConverter},
         .folders = {}, .log = {kBin, L"Converter not found: " + kConverter}},
        {.what = "extension checked before the folder", .extension = L"a/b", .queue = {a}, .folders = {},
         .log = {kBin, L"Text XML extension is not valid"}},
        {.what = "output folder vanishes", .queue = {a, b, c}, .foldersVanish = true,
         .log = {kBin, doneA, NotFound(L"b.xml"), NotFound(L"c.xml"), kDone}},
        {.what = "output folder vanishes, text to bin", .textToBin = true, .queue = {a, b}, .foldersVanish = true,
         .log = {kText, doneA, doneB, kDone}},
        {.what = "text to bin: the folder once, then each source alone", .textToBin = true, .queue = {gone, a},
         .missing = {gone}, .log = {kText, NotFound(L"gone.xml"), doneA, kDone},
         .probes = {L"file " + kConverter, L"folder D:\\Bin\\", L"file " + gone, L"file " + a,
                    L"same " + a + L"|D:\\Bin\\a.xml",
                    LR"(run "C:\T\quillon.exe" --quillon="D:\Bin\a.xml" "D:\In\a.xml")"}},
        {.what = "beside sources: each one's folder probed, the output box unused",
         .besideSource = true, .queue = {L"D:\\X\\here.xml", L"C:\\b.xml"}, .folders = {L"C:"},
         .log = {kBin, NotFound(L"here.xml"), doneB, kDone},
         .probes = {L"file " + kConverter, L"file D:\\X\\here.xml", L"folder D:\\X", L"file C:\\b.xml",
                    L"folder C:", L"same C:\\b.xml|C:\\b.txt",
                    LR"(run "C:\T\quillon.exe" --textxml="C:\b.txt" "C:\b.xml")"}},
        {.what = "same file, checked on the folded source", .besideSource = true, .queue = {L"D:\\In\\\\A.XML", b},
         .folders = {L"D:\\In", L"D:\\In\\"},
         .log = {kBin, L"Source and destination are the same file for 'A.XML'", doneB, kDone}},
        {.what = "converter outcomes: decimal up to 65535, then hex", .queue = {a, b, c, a, b},
         .results = {{true, 3}, {true, 65535}, {true, 65536}, {true, 0xC0000005u}, {false, 0}},
         .log = {kBin, L"Processing a.xml... FAILED (exit code 3)", L"Processing b.xml... FAILED (exit code 65535)",
                 L"Processing c.xml... FAILED (exit code 0x00010000)",
                 L"Processing a.xml... FAILED (exit code 0xC0000005)",
                 L"Processing b.xml... FAILED (the converter could not be started)", kDone}},
    };
    for (const auto& s : scenarios) {
        const Host host(s);
        EXPECT_EQ(host.log, s.log) << s.what;
        if (!s.probes.empty()) { EXPECT_EQ(host.probes, s.probes) << s.what; }
        if (!s.calls.empty()) { EXPECT_EQ(host.calls, s.calls) << s.what; }
        // The range is the queue's length; values count 1..n and end at 0 unless the batch stopped early.
        Lines progress = {L"range " + std::to_wstring(s.queue.size())};
        for (std::size_t i = 1; s.log.back() == kDone && i <= s.queue.size() + 1; ++i)
            progress.push_back(L"value " + std::to_wstring(i % (s.queue.size() + 1)));
        EXPECT_EQ(host.progress, progress) << s.what;
    }
}

}  // namespace
