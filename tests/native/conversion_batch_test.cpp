#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "conversion/batch.h"

using namespace conversion;

namespace {

using Lines = std::vector<std::wstring>;

// A file system and a window in memory that write down every call, in order.
class FakeHost : public BatchHost {
public:
    std::set<std::wstring> files{L"C:\\Tools\\quillon.exe"};
    std::set<std::wstring> folders;
    std::set<std::pair<std::wstring, std::wstring>> sameFiles;
    std::deque<RunResult> results;        // taken one per run; a started exit 0 when empty
    std::function<void()> afterRun;       // to change the file system mid-batch
    Lines calls;
    Lines log;                            // the status log as the user sees it
    Lines lastLineWhileRunning;
    int range = -1;
    int value = -1;

    bool FileExists(const std::wstring& path) override {
        calls.push_back(L"FileExists " + path);
        return files.count(path) != 0;
    }
    bool FolderExists(const std::wstring& path) override {
        calls.push_back(L"FolderExists " + path);
        return folders.count(path) != 0;
    }
    bool SameFile(const std::wstring& source, const std::wstring& destination) override {
        calls.push_back(L"SameFile " + source + L" | " + destination);
        return sameFiles.count({source, destination}) != 0;
    }
    RunResult Run(const std::wstring& commandLine) override {
        calls.push_back(L"Run " + commandLine);
        lastLineWhileRunning.push_back(log.empty() ? L"<empty log>" : log.back());
        RunResult result{true, 0};
        if (!results.empty()) {
            result = results.front();
            results.pop_front();
        }
        if (afterRun) afterRun();
        return result;
    }
    void AppendLine(const std::wstring& line) override {
        calls.push_back(L"Append " + line);
        log.push_back(line);
    }
    void ReplaceLastLine(const std::wstring& line) override {
        calls.push_back(L"Replace " + line);
        if (log.empty()) {
            ADD_FAILURE() << "replacing a line of an empty log";
            return;
        }
        log.back() = line;
    }
    void SetProgressRange(int maximum) override {
        calls.push_back(L"Range " + std::to_wstring(maximum));
        range = maximum;
    }
    void SetProgressValue(int v) override {
        calls.push_back(L"Value " + std::to_wstring(v));
        value = v;
    }

    // Only the calls that begin with one of the given words.
    Lines CallsOf(std::initializer_list<std::wstring> words) const {
        Lines picked;
        for (const auto& call : calls) {
            for (const auto& word : words) {
                if (call.compare(0, word.size() + 1, word + L" ") == 0) picked.push_back(call);
            }
        }
        return picked;
    }
};

constexpr wchar_t kBinStart[] = L"Conversion from Binary XML to Text XML started...";
constexpr wchar_t kTextStart[] = L"Conversion from Text XML to Binary XML started...";
constexpr wchar_t kComplete[] = L"Conversion complete";
constexpr wchar_t kNoOutputFolder[] = L"Output folder does not exists";

std::wstring NotFound(const std::wstring& name) {
    return L"Source file or destination folder not found for file '" + name + L"'";
}

BinToTextJob BinJob(Lines queue) {
    BinToTextJob job;
    job.queue = std::move(queue);
    job.outputFolder = L"D:\\Out";
    job.extension = L"txt";
    job.toolFolder = L"C:\\Tools";
    return job;
}

TextToBinJob TextJob(Lines queue) {
    TextToBinJob job;
    job.queue = std::move(queue);
    job.outputFolder = L"D:\\Bin\\";
    job.toolFolder = L"C:\\Tools";
    return job;
}

TEST(ConversionBatch, BinToTextFiveLineExampleCallByCall) {
    FakeHost host;
    host.files.insert({L"D:\\In\\a.xml", L"D:\\In\\b.xml"});
    host.folders.insert(L"D:\\Out");
    RunBinToTextBatch(BinJob({L"D:\\In\\a.xml", L"D:\\In\\gone.xml", L"D:\\In\\b.xml"}), host);

    const Lines expected = {
        L"Range 3",
        L"Append Conversion from Binary XML to Text XML started...",
        L"FileExists C:\\Tools\\quillon.exe",
        L"FolderExists D:\\Out",
        L"Value 1",
        L"FileExists D:\\In\\a.xml",
        L"FolderExists D:\\Out",
        L"SameFile D:\\In\\a.xml | D:\\Out\\a.txt",
        L"Append Processing a.xml...",
        LR"(Run "C:\Tools\quillon.exe" --textxml="D:\Out\a.txt" "D:\In\a.xml")",
        L"Replace Processing a.xml... DONE",
        L"Value 2",
        L"FileExists D:\\In\\gone.xml",
        L"FolderExists D:\\Out",
        L"Append Source file or destination folder not found for file 'gone.xml'",
        L"Value 3",
        L"FileExists D:\\In\\b.xml",
        L"FolderExists D:\\Out",
        L"SameFile D:\\In\\b.xml | D:\\Out\\b.txt",
        L"Append Processing b.xml...",
        LR"(Run "C:\Tools\quillon.exe" --textxml="D:\Out\b.txt" "D:\In\b.xml")",
        L"Replace Processing b.xml... DONE",
        L"Append Conversion complete",
        L"Value 0",
    };
    EXPECT_EQ(host.calls, expected);
    EXPECT_EQ(host.log, (Lines{kBinStart, L"Processing a.xml... DONE", NotFound(L"gone.xml"),
                               L"Processing b.xml... DONE", kComplete}));
    // While the converter runs, its entry's line is the last one.
    EXPECT_EQ(host.lastLineWhileRunning, (Lines{L"Processing a.xml...", L"Processing b.xml..."}));
}

TEST(ConversionBatch, TextToBinSameQueueCallByCall) {
    FakeHost host;
    host.files.insert({L"D:\\In\\a.txt", L"D:\\In\\b.txt"});
    host.folders.insert(L"D:\\Bin\\");
    RunTextToBinBatch(TextJob({L"D:\\In\\a.txt", L"D:\\In\\gone.txt", L"D:\\In\\b.txt"}), host);

    // One folder probe before the first entry, none per entry.
    EXPECT_EQ(host.CallsOf({L"FileExists", L"FolderExists", L"SameFile", L"Run", L"Value"}),
              (Lines{L"FileExists C:\\Tools\\quillon.exe", L"FolderExists D:\\Bin\\", L"Value 1",
                     L"FileExists D:\\In\\a.txt", L"SameFile D:\\In\\a.txt | D:\\Bin\\a.xml",
                     LR"(Run "C:\Tools\quillon.exe" --quillon="D:\Bin\a.xml" "D:\In\a.txt")", L"Value 2",
                     L"FileExists D:\\In\\gone.txt", L"Value 3", L"FileExists D:\\In\\b.txt",
                     L"SameFile D:\\In\\b.txt | D:\\Bin\\b.xml",
                     LR"(Run "C:\Tools\quillon.exe" --quillon="D:\Bin\b.xml" "D:\In\b.txt")", L"Value 0"}));
    EXPECT_EQ(host.log, (Lines{kTextStart, L"Processing a.txt... DONE", NotFound(L"gone.txt"),
                               L"Processing b.txt... DONE", kComplete}));
}

TEST(ConversionBatch, EmptyQueue) {
    struct Case {
        const char* what;
        bool binToText;
        int sourceFolderSwitch;
        bool outputFolderExists;
        Lines calls;
    };
    const Case cases[] = {
        {"bin to text", true, 0, true,
         {L"Range 0", L"Append " + std::wstring(kBinStart), L"FileExists C:\\Tools\\quillon.exe",
          L"FolderExists D:\\Out", L"Append Conversion complete", L"Value 0"}},
        {"bin to text, no output folder", true, 0, false,
         {L"Range 0", L"Append " + std::wstring(kBinStart), L"FileExists C:\\Tools\\quillon.exe",
          L"FolderExists D:\\Out", L"Append Output folder does not exists"}},
        {"bin to text beside sources, no output folder", true, 1, false,
         {L"Range 0", L"Append " + std::wstring(kBinStart), L"FileExists C:\\Tools\\quillon.exe",
          L"Append Conversion complete", L"Value 0"}},
        {"text to bin", false, 0, true,
         {L"Range 0", L"Append " + std::wstring(kTextStart), L"FileExists C:\\Tools\\quillon.exe",
          L"FolderExists D:\\Bin\\", L"Append Conversion complete", L"Value 0"}},
        {"text to bin, no output folder", false, 0, false,
         {L"Range 0", L"Append " + std::wstring(kTextStart), L"FileExists C:\\Tools\\quillon.exe",
          L"FolderExists D:\\Bin\\", L"Append Output folder does not exists"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeHost host;
        if (c.outputFolderExists) host.folders.insert({L"D:\\Out", L"D:\\Bin\\"});
        if (c.binToText) {
            BinToTextJob job = BinJob({});
            job.sourceFolderSwitch = c.sourceFolderSwitch;
            RunBinToTextBatch(job, host);
        } else {
            RunTextToBinBatch(TextJob({}), host);
        }
        EXPECT_EQ(host.calls, c.calls);
    }
}

TEST(ConversionBatch, EarlyStopsLeaveTheProgressValueAlone) {
    struct Case {
        const char* what;
        bool converterPresent;
        const wchar_t* extension;
        bool outputFolderExists;
        Lines binLog;   // bin to text, D:\Out
        Lines textLog;  // text to bin, D:\Bin\ (no extension)
    };
    const std::wstring noConverter = L"Converter not found: C:\\Tools\\quillon.exe";
    const Case cases[] = {
        {"converter missing", false, L"txt", true, {kBinStart, noConverter}, {kTextStart, noConverter}},
        {"converter missing comes first", false, L"t?t", false, {kBinStart, noConverter}, {kTextStart, noConverter}},
        {"extension invalid", true, L"t?t", true, {kBinStart, L"Text XML extension is not valid"},
         {kTextStart, L"Processing a.txt... DONE", kComplete}},
        {"extension before folder", true, L"a/b", false, {kBinStart, L"Text XML extension is not valid"},
         {kTextStart, kNoOutputFolder}},
        {"output folder missing", true, L"txt", false, {kBinStart, kNoOutputFolder}, {kTextStart, kNoOutputFolder}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        {
            FakeHost host;
            host.value = 42;
            if (!c.converterPresent) host.files.clear();
            host.files.insert(L"D:\\In\\a.xml");
            if (c.outputFolderExists) host.folders.insert(L"D:\\Out");
            BinToTextJob job = BinJob({L"D:\\In\\a.xml"});
            job.extension = c.extension;
            RunBinToTextBatch(job, host);
            EXPECT_EQ(host.log, c.binLog);
            EXPECT_EQ(host.range, 1);
            EXPECT_EQ(host.value, 42);
            EXPECT_TRUE(host.CallsOf({L"Run"}).empty());
        }
        {
            FakeHost host;
            if (!c.converterPresent) host.files.clear();
            host.files.insert(L"D:\\In\\a.txt");
            if (c.outputFolderExists) host.folders.insert(L"D:\\Bin\\");
            RunTextToBinBatch(TextJob({L"D:\\In\\a.txt"}), host);
            EXPECT_EQ(host.log, c.textLog);
        }
    }
}

TEST(ConversionBatch, EveryEntryMissing) {
    FakeHost host;
    host.folders.insert(L"D:\\Out");
    RunBinToTextBatch(BinJob({L"D:\\In\\x.xml", L"y.xml", L"D:\\In\\"}), host);
    EXPECT_EQ(host.log, (Lines{kBinStart, NotFound(L"x.xml"), NotFound(L""), NotFound(L""), kComplete}));
    EXPECT_TRUE(host.CallsOf({L"Run"}).empty());
    EXPECT_TRUE(host.CallsOf({L"SameFile"}).empty());
    EXPECT_EQ(host.value, 0);
}

TEST(ConversionBatch, BinToTextRunsBothProbesWhateverTheFirstAnswers) {
    FakeHost host;
    host.files.insert({L"D:\\A\\here.xml", L"D:\\NoFolder\\here.xml"});
    host.folders.insert(L"D:\\A");
    BinToTextJob job = BinJob({L"D:\\A\\gone.xml", L"D:\\NoFolder\\here.xml", L"D:\\A\\here.xml"});
    job.sourceFolderSwitch = 1;
    RunBinToTextBatch(job, host);
    EXPECT_EQ(host.CallsOf({L"FileExists", L"FolderExists", L"Value"}),
              (Lines{L"FileExists C:\\Tools\\quillon.exe", L"Value 1", L"FileExists D:\\A\\gone.xml",
                     L"FolderExists D:\\A", L"Value 2", L"FileExists D:\\NoFolder\\here.xml",
                     L"FolderExists D:\\NoFolder", L"Value 3", L"FileExists D:\\A\\here.xml",
                     L"FolderExists D:\\A", L"Value 0"}));
    EXPECT_EQ(host.log, (Lines{kBinStart, NotFound(L"gone.xml"), NotFound(L"here.xml"),
                               L"Processing here.xml... DONE", kComplete}));
}

TEST(ConversionBatch, BesideSourcesEveryNonZeroSwitchIgnoresTheOutputBox) {
    for (const int sourceFolderSwitch : {1, 2}) {
        SCOPED_TRACE(sourceFolderSwitch);
        FakeHost host;
        host.files.insert({L"D:\\In\\a.xml", L"C:\\b.xml"});
        host.folders.insert({L"D:\\In", L"C:"});
        BinToTextJob job = BinJob({L"D:\\In\\a.xml", L"C:\\b.xml"});
        job.outputFolder = L"Q:\\does not exist";
        job.sourceFolderSwitch = sourceFolderSwitch;
        RunBinToTextBatch(job, host);
        EXPECT_EQ(host.CallsOf({L"FolderExists", L"Run"}),
                  (Lines{L"FolderExists D:\\In",
                         LR"(Run "C:\Tools\quillon.exe" --textxml="D:\In\a.txt" "D:\In\a.xml")",
                         L"FolderExists C:", LR"(Run "C:\Tools\quillon.exe" --textxml="C:\b.txt" "C:\b.xml")"}));
        EXPECT_EQ(host.log.back(), kComplete);
    }
}

TEST(ConversionBatch, OutputFolderVanishingMidBatch) {
    const Lines queue = {L"D:\\In\\a.xml", L"D:\\In\\b.xml", L"D:\\In\\c.xml"};

    FakeHost bin;
    bin.files.insert(queue.begin(), queue.end());
    bin.folders.insert(L"D:\\Out");
    bin.afterRun = [&bin] { bin.folders.clear(); };
    RunBinToTextBatch(BinJob(queue), bin);
    EXPECT_EQ(bin.log, (Lines{kBinStart, L"Processing a.xml... DONE", NotFound(L"b.xml"), NotFound(L"c.xml"),
                              kComplete}));

    // Text to binary looks at its folder once and leaves the rest to the converter.
    FakeHost text;
    text.files.insert(queue.begin(), queue.end());
    text.folders.insert(L"D:\\Bin\\");
    text.afterRun = [&text] { text.folders.clear(); };
    RunTextToBinBatch(TextJob(queue), text);
    EXPECT_EQ(text.CallsOf({L"Run"}).size(), 3u);
    EXPECT_EQ(text.CallsOf({L"FolderExists"}), (Lines{L"FolderExists D:\\Bin\\"}));
    EXPECT_EQ(text.log.back(), kComplete);
}

TEST(ConversionBatch, SameFileIsNotHandedToTheConverter) {
    FakeHost bin;
    bin.files.insert({L"D:\\In\\\\A.XML", L"D:\\In\\b.xml"});
    bin.folders.insert(L"D:\\In");
    // The probes see the entry as queued; the same-file check sees it folded.
    bin.sameFiles.insert({L"D:\\In\\A.XML", L"D:\\In\\A.XML"});
    BinToTextJob job = BinJob({L"D:\\In\\\\A.XML", L"D:\\In\\b.xml"});
    job.outputFolder = L"D:\\In";
    RunBinToTextBatch(job, bin);
    EXPECT_EQ(bin.log, (Lines{kBinStart, L"Source and destination are the same file for 'A.XML'",
                              L"Processing b.xml... DONE", kComplete}));
    EXPECT_EQ(bin.CallsOf({L"Run"}).size(), 1u);

    FakeHost text;
    text.files.insert(L"D:\\Bin\\a.xml");
    text.folders.insert(L"D:\\Bin\\");
    text.sameFiles.insert({L"D:\\Bin\\a.xml", L"D:\\Bin\\a.xml"});
    RunTextToBinBatch(TextJob({L"D:\\Bin\\a.xml"}), text);
    EXPECT_EQ(text.log, (Lines{kTextStart, L"Source and destination are the same file for 'a.xml'", kComplete}));
    EXPECT_TRUE(text.CallsOf({L"Run"}).empty());
}

TEST(ConversionBatch, ConverterOutcomesEndTheirLines) {
    const Lines queue = {L"D:\\In\\a.xml", L"D:\\In\\b.xml", L"D:\\In\\c.xml", L"D:\\In\\d.xml"};
    const std::deque<RunResult> results = {{true, 3}, {true, 0xC0000005u}, {false, 0}, {true, 0}};
    const Lines entryLines = {L"Processing a.xml... FAILED (exit code 3)",
                              L"Processing b.xml... FAILED (exit code 0xC0000005)",
                              L"Processing c.xml... FAILED (the converter could not be started)",
                              L"Processing d.xml... DONE"};

    FakeHost bin;
    bin.files.insert(queue.begin(), queue.end());
    bin.folders.insert(L"D:\\Out");
    bin.results = results;
    RunBinToTextBatch(BinJob(queue), bin);
    Lines expected = {kBinStart};
    expected.insert(expected.end(), entryLines.begin(), entryLines.end());
    expected.push_back(kComplete);
    EXPECT_EQ(bin.log, expected);

    FakeHost text;
    text.files.insert(queue.begin(), queue.end());
    text.folders.insert(L"D:\\Bin\\");
    text.results = results;
    RunTextToBinBatch(TextJob(queue), text);
    expected.front() = kTextStart;
    EXPECT_EQ(text.log, expected);
}

TEST(ConversionBatch, ProgressRunsOneToNThenZero) {
    FakeHost host;
    host.folders.insert(L"D:\\Bin\\");
    host.files.insert({L"D:\\In\\a.txt", L"D:\\In\\c.txt"});
    RunTextToBinBatch(TextJob({L"D:\\In\\a.txt", L"D:\\In\\b.txt", L"D:\\In\\c.txt", L"D:\\In\\d.txt"}), host);
    EXPECT_EQ(host.CallsOf({L"Range", L"Value"}),
              (Lines{L"Range 4", L"Value 1", L"Value 2", L"Value 3", L"Value 4", L"Value 0"}));
}

struct OutcomeCase {
    RunResult result;
    const wchar_t* text;
};

const OutcomeCase kOutcomeCases[] = {
    {{true, 65535}, L"FAILED (exit code 65535)"},
    {{true, 65536}, L"FAILED (exit code 0x00010000)"},
    {{true, 0xFFFFFFFFu}, L"FAILED (exit code 0xFFFFFFFF)"},
    {{false, 7}, L"FAILED (the converter could not be started)"},
};

TEST(ConversionBatch, OutcomeTextDecimalUpTo65535ThenHex) {
    for (const auto& c : kOutcomeCases) {
        SCOPED_TRACE(testing::Message() << "case index " << (&c - kOutcomeCases));
        EXPECT_EQ(OutcomeText(c.result), c.text);
    }
}

}  // namespace
