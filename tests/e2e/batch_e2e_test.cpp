// Both batches through the built program with the stand-in converter beside it.
#include <gtest/gtest.h>

#include <chrono>

#include "tool_process.h"

using namespace e2e;
using namespace std::chrono_literals;
using ui::ControlId;

namespace {

// Environment variables for the tool and, through it, for the converter.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironment() { SetEnvironmentVariableW(name_, nullptr); }

private:
    const wchar_t* name_;
};

bool LastLineIs(const Tool& tool, const std::wstring& line) {
    const auto lines = tool.Lines(ControlId::lstStatus);
    return !lines.empty() && lines.back() == line;
}

void Queue(const Tool& tool, ControlId add, const std::wstring& folder, const std::vector<std::wstring>& names) {
    tool.Click(add);
    HWND dialog = tool.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    ChooseFiles(tool, dialog, folder, names);
}

const std::wstring kUnicodeName = L"Gr\u00FC\u00DFe-\u65E5\u672C";

}  // namespace

TEST(BatchEndToEnd, BinaryToTextReportsEveryFileAndRunsTheExactCommandLine) {
    const std::wstring install = MakeInstall(L"bin-batch");
    const std::wstring data = ScratchFolder(L"bin-batch-data");
    const std::wstring out = ScratchFolder(L"bin-batch-out");
    const std::wstring log = data + L"\\converter.log";
    WriteBytes(data + L"\\" + kUnicodeName + L".xml", "<binary/>");
    WriteBytes(data + L"\\gone.xml", "<binary/>");
    ScopedEnvironment record(L"QUILLON_STANDIN_LOG", log);

    Tool tool(install);
    ASSERT_NE(tool.Main(), nullptr);
    Queue(tool, ControlId::cmbBinAdd, data, {kUnicodeName + L".xml", L"gone.xml"});
    ASSERT_TRUE(WaitFor([&] { return tool.Lines(ControlId::lstBin).size() == 2; }));
    DeleteFileW((data + L"\\gone.xml").c_str());
    tool.SetText(ControlId::txtBinOut, out);

    tool.Click(ControlId::cmbBinCon);
    ASSERT_TRUE(WaitFor([&] { return LastLineIs(tool, L"Conversion complete"); }));
    EXPECT_EQ(tool.Lines(ControlId::lstStatus),
              (std::vector<std::wstring>{L"Conversion from Binary XML to Text XML started...",
                                         L"Processing " + kUnicodeName + L".xml... DONE",
                                         L"Source file or destination folder not found for file 'gone.xml'",
                                         L"Conversion complete"}));
    EXPECT_EQ(ReadBytes(log), Utf8(L"\"" + install + L"\\quillon.exe\" --textxml=\"" + out + L"\\" + kUnicodeName +
                                   L".txt\" \"" + data + L"\\" + kUnicodeName + L".xml\"\n"))
        << "one converter run, with the name intact";
    EXPECT_EQ(ReadBytes(out + L"\\" + kUnicodeName + L".txt"), "<binary/>");
    EXPECT_EQ(SendMessageW(tool.Ctl(ControlId::pb), PBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(tool.Lines(ControlId::lstBin).size(), 2u) << "the queue stays as it was";
    EXPECT_TRUE(tool.Close());
}

TEST(BatchEndToEnd, TextToBinaryReportsEveryFileAndRunsTheExactCommandLine) {
    const std::wstring install = MakeInstall(L"txt-batch");
    const std::wstring data = ScratchFolder(L"txt-batch-data");
    const std::wstring out = ScratchFolder(L"txt-batch-out");
    const std::wstring log = data + L"\\converter.log";
    const std::wstring name = L"donn\u00E9es-\u00E9t\u00E9";
    WriteBytes(data + L"\\" + name + L".txt", "<text/>");
    WriteBytes(data + L"\\missing.txt", "<text/>");
    ScopedEnvironment record(L"QUILLON_STANDIN_LOG", log);

    Tool tool(install);
    ASSERT_NE(tool.Main(), nullptr);
    Queue(tool, ControlId::cmbTxtAdd, data, {L"missing.txt", name + L".txt"});
    ASSERT_TRUE(WaitFor([&] { return tool.Lines(ControlId::lstTxt).size() == 2; }));
    DeleteFileW((data + L"\\missing.txt").c_str());
    tool.SetText(ControlId::txtTxtOut, out + L"\\");

    tool.Click(ControlId::cmbTxtCon);
    ASSERT_TRUE(WaitFor([&] { return LastLineIs(tool, L"Conversion complete"); }));
    EXPECT_EQ(tool.Lines(ControlId::lstStatus),
              (std::vector<std::wstring>{L"Conversion from Text XML to Binary XML started...",
                                         L"Source file or destination folder not found for file 'missing.txt'",
                                         L"Processing " + name + L".txt... DONE", L"Conversion complete"}));
    EXPECT_EQ(ReadBytes(log), Utf8(L"\"" + install + L"\\quillon.exe\" --quillon=\"" + out + L"\\" + name +
                                   L".xml\" \"" + data + L"\\" + name + L".txt\"\n"))
        << "the trailing backslash of the output folder is folded away";
    EXPECT_EQ(ReadBytes(out + L"\\" + name + L".xml"), "<text/>");
    EXPECT_TRUE(tool.Close());
}

TEST(BatchEndToEnd, StaysResponsiveButTakesNoInputDuringALongConversion) {
    const std::wstring install = MakeInstall(L"slow-batch");
    const std::wstring data = ScratchFolder(L"slow-batch-data");
    WriteBytes(data + L"\\slow.xml", "<binary/>");
    ScopedEnvironment slow(L"QUILLON_STANDIN_SLEEP_MS", L"10000");

    Tool tool(install);
    ASSERT_NE(tool.Main(), nullptr);
    Queue(tool, ControlId::cmbBinAdd, data, {L"slow.xml"});
    ASSERT_TRUE(WaitFor([&] { return tool.Lines(ControlId::lstBin).size() == 1; }));
    SendMessageW(tool.Ctl(ControlId::chkBinOut), BM_CLICK, 0, 0);  // output beside the source

    tool.Click(ControlId::cmbBinCon);
    ASSERT_TRUE(WaitFor([&] { return LastLineIs(tool, L"Processing slow.xml..."); }));
    const auto started = std::chrono::steady_clock::now();

    // Requests that arrive now must not act, now or later.
    PostMessageW(tool.Main(), WM_CLOSE, 0, 0);
    tool.Click(ControlId::cmbBinAdd);
    tool.Click(ControlId::cmbBinCle);

    int answers = 0;
    std::chrono::milliseconds slowest{0};
    while (std::chrono::steady_clock::now() - started < 8s) {
        DWORD_PTR result = 0;
        const auto sent = std::chrono::steady_clock::now();
        const LRESULT ok =
            SendMessageTimeoutW(tool.Main(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &result);
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent);
        EXPECT_NE(ok, 0) << "the window must answer within a second while the converter runs";
        slowest = std::max(slowest, took);
        ++answers;
        Sleep(250);
    }
    EXPECT_GT(answers, 20);
    EXPECT_LT(slowest, 1000ms);
    EXPECT_TRUE(IsHungAppWindow(tool.Main()) == FALSE);

    ASSERT_TRUE(WaitFor([&] { return LastLineIs(tool, L"Conversion complete"); }, 15s));
    Sleep(500);
    EXPECT_TRUE(IsWindow(tool.Main())) << "the close request during the batch was ignored";
    EXPECT_FALSE(tool.Exited());
    EXPECT_EQ(tool.Dialog(), nullptr) << "the click during the batch was not replayed";
    EXPECT_EQ(tool.Lines(ControlId::lstBin).size(), 1u);
    EXPECT_EQ(tool.Lines(ControlId::lstStatus).back(), L"Conversion complete");
    EXPECT_EQ(tool.Lines(ControlId::lstStatus)[1], L"Processing slow.xml... DONE");
    EXPECT_TRUE(tool.Close());
}
