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

const std::wstring kConverter = L"C:\\T\\quillon.exe";
const std::wstring kBin = L"Conversion from Binary XML to Text XML started...";
const std::wstring kText = L"Conversion from Text XML to Binary XML started...";
const std::wstring kDone = L"Conversion complete";
const std::wstring kNoFolder = L"Output folder does not exists";
std::wstring NotFound(const std::wstring& name) {
    return L"Source file or destination folder not found for file '" + name + L"'";
}

// One batch: the converter and every queued file exist unless missing; the
// bin to text output box is D:\Out, the text to bin one D:\Bin\.
struct Scenario {
    const char* what;
    bool textToBin = false;
    int besideSource = 0;
    const wchar_t* extension = L"txt";
    Lines queue, missing, folders = {L"D:\\Out", L"D:\\Bin\\"};
    Lines same;                      // "source|destination"
    std::vector<RunResult> results;  // one per run, then exit 0
    bool foldersVanish = false;      // every folder goes when a run ends
    Lines expected;
};

// A file system and a window in memory that play one scenario and write down
// every call in order; probes (with runs) and progress calls also on lists of their own.
struct Host : BatchHost {
    const Scenario s;
    std::set<std::wstring> files, folders, same;
    std::size_t runs = 0;
    Lines calls, probes, progress, log;  // log: the status log as the user sees it

    explicit Host(const Scenario& scenario)
        : s(scenario), files(s.queue.begin(), s.queue.end()), folders(s.folders.begin(), s.folders.end()),
          same(s.same.begin(), s.same.end()) {
        files.insert(kConverter);
        for (const auto& gone : s.missing) files.erase(gone);
        if (s.textToBin) RunTextToBinBatch({s.queue, L"D:\\Bin\\", L"C:\\T"}, *this);
        else RunBinToTextBatch({s.queue, s.besideSource, L"D:\\Out", s.extension, L"C:\\T"}, *this);
    }
    bool Note(Lines* kind, const std::wstring& call, bool answer = true) {
        calls.push_back(call);
        if (kind) kind->push_back(call);
        return answer;
    }
    bool FileExists(const std::wstring& p) override { return Note(&probes, L"FileExists " + p, files.count(p)); }
    bool FolderExists(const std::wstring& p) override { return Note(&probes, L"FolderExists " + p, folders.count(p)); }
    bool SameFile(const std::wstring& a, const std::wstring& b) override {
        return Note(&probes, L"SameFile " + a + L"|" + b, same.count(a + L"|" + b));
    }
    RunResult Run(const std::wstring& commandLine) override {
        Note(&probes, L"Run " + commandLine);
        if (s.foldersVanish) folders.clear();
        return ++runs <= s.results.size() ? s.results[runs - 1] : RunResult{true, 0};
    }
    void AppendLine(const std::wstring& line) override { log.push_back(line), Note(nullptr, L"Append " + line); }
    void ReplaceLastLine(const std::wstring& line) override {
        if (Note(nullptr, L"Replace " + line, !log.empty())) log.back() = line;
    }
    void SetProgressRange(int maximum) override { Note(&progress, L"Range " + std::to_wstring(maximum)); }
    void SetProgressValue(int value) override { Note(&progress, L"Value " + std::to_wstring(value)); }
};

TEST(ConversionBatch, FiveLineExampleCallByCall) {
    const Host host({.what = "", .queue = {L"D:\\In\\a.xml", L"D:\\In\\gone.xml", L"D:\\In\\b.xml"},
                     .missing = {L"D:\\In\\gone.xml"}});
    EXPECT_EQ(host.calls, (Lines{
        L"Range 3", L"Append " + kBin, L"FileExists " + kConverter, L"FolderExists D:\\Out",
        L"Value 1", L"FileExists D:\\In\\a.xml", L"FolderExists D:\\Out", L"SameFile D:\\In\\a.xml|D:\\Out\\a.txt",
        L"Append Processing a.xml...", LR"(Run "C:\T\quillon.exe" --textxml="D:\Out\a.txt" "D:\In\a.xml")",
        L"Replace Processing a.xml... DONE",
        L"Value 2", L"FileExists D:\\In\\gone.xml", L"FolderExists D:\\Out", L"Append " + NotFound(L"gone.xml"),
        L"Value 3", L"FileExists D:\\In\\b.xml", L"FolderExists D:\\Out", L"SameFile D:\\In\\b.xml|D:\\Out\\b.txt",
        L"Append Processing b.xml...", LR"(Run "C:\T\quillon.exe" --textxml="D:\Out\b.txt" "D:\In\b.xml")",
        L"Replace Processing b.xml... DONE", L"Append " + kDone, L"Value 0"}));
}

TEST(ConversionBatch, ProbesSameFileChecksAndRuns) {
    const Scenario scenarios[] = {
        {.what = "text to bin: the folder once, then each source alone", .textToBin = true,
         .queue = {L"D:\\In\\gone.txt", L"D:\\In\\a.txt"}, .missing = {L"D:\\In\\gone.txt"},
         .expected = {L"FileExists " + kConverter, L"FolderExists D:\\Bin\\", L"FileExists D:\\In\\gone.txt",
                      L"FileExists D:\\In\\a.txt", L"SameFile D:\\In\\a.txt|D:\\Bin\\a.xml",
                      LR"(Run "C:\T\quillon.exe" --quillon="D:\Bin\a.xml" "D:\In\a.txt")"}},
        {.what = "beside sources (any switch but 0): both probes always, the output box unused",
         .besideSource = 2, .queue = {L"D:\\A\\gone.xml", L"D:\\NoFolder\\here.xml", L"C:\\b.xml"},
         .missing = {L"D:\\A\\gone.xml"}, .folders = {L"D:\\A", L"C:"},
         .expected = {L"FileExists " + kConverter, L"FileExists D:\\A\\gone.xml", L"FolderExists D:\\A",
                      L"FileExists D:\\NoFolder\\here.xml", L"FolderExists D:\\NoFolder", L"FileExists C:\\b.xml",
                      L"FolderExists C:", L"SameFile C:\\b.xml|C:\\b.txt",
                      LR"(Run "C:\T\quillon.exe" --textxml="C:\b.txt" "C:\b.xml")"}},
    };
    for (const auto& s : scenarios) {
        SCOPED_TRACE(s.what);
        const Host host(s);
        EXPECT_EQ(host.probes, s.expected);
    }
}

TEST(ConversionBatch, LogLinesAndProgress) {
    const std::wstring a = L"D:\\In\\a.xml", b = L"D:\\In\\b.xml", c = L"D:\\In\\c.xml";
    const std::wstring noConverter = L"Converter not found: " + kConverter;
    const Scenario scenarios[] = {
        {.what = "empty queue", .expected = {kBin, kDone}},
        {.what = "empty queue, text to bin", .textToBin = true, .expected = {kText, kDone}},
        {.what = "no output folder", .queue = {a}, .folders = {}, .expected = {kBin, kNoFolder}},
        {.what = "no output folder, text to bin", .textToBin = true, .queue = {a}, .folders = {},
         .expected = {kText, kNoFolder}},
        {.what = "converter missing comes first", .extension = L"t?t", .queue = {a}, .missing = {kConverter},
         .folders = {}, .expected = {kBin, noConverter}},
        {.what = "converter missing, text to bin", .textToBin = true, .queue = {a}, .missing = {kConverter},
         .expected = {kText, noConverter}},
        {.what = "extension checked before the folder", .extension = L"a/b", .queue = {a}, .folders = {},
         .expected = {kBin, L"Text XML extension is not valid"}},
        {.what = "every entry missing", .queue = {a, L"y.xml", L"D:\\In\\"}, .missing = {a, L"y.xml", L"D:\\In\\"},
         .expected = {kBin, NotFound(L"a.xml"), NotFound(L""), NotFound(L""), kDone}},
        {.what = "output folder vanishes", .queue = {a, b, c}, .foldersVanish = true,
         .expected = {kBin, L"Processing a.xml... DONE", NotFound(L"b.xml"), NotFound(L"c.xml"), kDone}},
        {.what = "output folder vanishes, text to bin", .textToBin = true, .queue = {a, b}, .foldersVanish = true,
         .expected = {kText, L"Processing a.xml... DONE", L"Processing b.xml... DONE", kDone}},
        {.what = "same file, checked on the folded source", .besideSource = 1, .queue = {L"D:\\In\\\\A.XML", b},
         .folders = {L"D:\\In", L"D:\\In\\"}, .same = {L"D:\\In\\A.XML|D:\\In\\A.XML"},
         .expected = {kBin, L"Source and destination are the same file for 'A.XML'", L"Processing b.xml... DONE",
                      kDone}},
        {.what = "same file, text to bin", .textToBin = true, .queue = {L"D:\\Bin\\a.xml"},
         .same = {L"D:\\Bin\\a.xml|D:\\Bin\\a.xml"},
         .expected = {kText, L"Source and destination are the same file for 'a.xml'", kDone}},
        {.what = "converter outcomes: decimal up to 65535, then hex", .queue = {a, b, c, a, b},
         .results = {{true, 3}, {true, 65535}, {true, 65536}, {true, 0xC0000005u}, {false, 0}},
         .expected = {kBin, L"Processing a.xml... FAILED (exit code 3)",
                      L"Processing b.xml... FAILED (exit code 65535)",
                      L"Processing c.xml... FAILED (exit code 0x00010000)",
                      L"Processing a.xml... FAILED (exit code 0xC0000005)",
                      L"Processing b.xml... FAILED (the converter could not be started)", kDone}},
    };
    for (const auto& s : scenarios) {
        SCOPED_TRACE(s.what);
        const Host host(s);
        EXPECT_EQ(host.log, s.expected);
        // Every run has its line, and the converter runs for nothing else.
        std::size_t processed = 0;
        for (const auto& line : host.log) processed += line.rfind(L"Processing ", 0) == 0;
        EXPECT_EQ(host.runs, processed);
        // The range is the queue's length; values count 1..n and end at 0 unless the batch stopped early.
        Lines progress = {L"Range " + std::to_wstring(s.queue.size())};
        for (std::size_t i = 1; s.expected.back() == kDone && i <= s.queue.size(); ++i)
            progress.push_back(L"Value " + std::to_wstring(i));
        if (s.expected.back() == kDone) progress.push_back(L"Value 0");
        EXPECT_EQ(host.progress, progress);
    }
}

}  // namespace
