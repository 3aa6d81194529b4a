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

}  // namespace

// Each direction over a queue with a non-ASCII name and a file that vanished:
// the exact log, and the exact command line the converter was given.
TEST(BatchEndToEnd, BothDirectionsReportEveryFileAndRunTheExactCommandLine) {
    struct Direction {
        const wchar_t* tag;
        ControlId add, queue, outBox, convert;
        std::wstring name, sourceExt, destExt, option, startLine, outSuffix;
    };
    const Direction directions[] = {
        {L"bin", ControlId::cmbBinAdd, ControlId::lstBin, ControlId::txtBinOut, ControlId::cmbBinCon,
         L"Gr\u00FC\u00DFe-\u65E5\u672C", L".xml", L".txt", L"--textxml=",
         L"Conversion from Binary XML to Text XML started...", L""},
        {L"txt", ControlId::cmbTxtAdd, ControlId::lstTxt, ControlId::txtTxtOut, ControlId::cmbTxtCon,
         L"donn\u00E9es-\u00E9t\u00E9", L".txt", L".xml", L"--quillon=",
         L"Conversion from Text XML to Binary XML started...", L"\\"},  // a trailing backslash is folded away
    };
    for (const auto& d : directions) {
        SCOPED_TRACE(testing::Message() << d.tag);
        const std::wstring install = MakeInstall(d.tag + std::wstring(L"-batch"));
        const std::wstring data = ScratchFolder(d.tag + std::wstring(L"-batch-data"));
        const std::wstring out = ScratchFolder(d.tag + std::wstring(L"-batch-out"));
        const std::wstring source = data + L"\\" + d.name + d.sourceExt, gone = L"gone" + d.sourceExt;
        WriteBytes(source, "<x/>");
        WriteBytes(data + L"\\" + gone, "<x/>");
        ScopedEnvironment record(L"QUILLON_STANDIN_LOG", data + L"\\converter.log");

        Tool tool(install);
        ASSERT_NE(tool.Main(), nullptr);
        ASSERT_TRUE(tool.AddFiles(d.add, d.queue, data, {d.name + d.sourceExt, gone}));
        DeleteFileW((data + L"\\" + gone).c_str());
        tool.SetText(d.outBox, out + d.outSuffix);
        tool.Click(d.convert);
        ASSERT_TRUE(WaitFor([&] { return LastLineIs(tool, L"Conversion complete"); }));

        EXPECT_EQ(tool.Lines(ControlId::lstStatus),
                  (std::vector<std::wstring>{d.startLine, L"Processing " + d.name + d.sourceExt + L"... DONE",
                                             L"Source file or destination folder not found for file '" + gone + L"'",
                                             L"Conversion complete"}));
        const std::wstring destination = out + L"\\" + d.name + d.destExt;
        EXPECT_EQ(ReadBytes(data + L"\\converter.log"),
                  Utf8(L"\"" + install + L"\\quillon.exe\" " + d.option + L"\"" + destination + L"\" \"" + source +
                       L"\"\n"));
        EXPECT_EQ(ReadBytes(destination), "<x/>");
        EXPECT_EQ(SendMessageW(tool.Ctl(ControlId::pb), PBM_GETPOS, 0, 0), 0);
        EXPECT_EQ(tool.Lines(d.queue).size(), 2u) << "the queue stays as it was";
        EXPECT_TRUE(tool.Close());
    }
}

TEST(BatchEndToEnd, StaysResponsiveButTakesNoInputDuringALongConversion) {
    const std::wstring install = MakeInstall(L"slow-batch");
    const std::wstring data = ScratchFolder(L"slow-batch-data");
    WriteBytes(data + L"\\slow.xml", "<binary/>");
    ScopedEnvironment slow(L"QUILLON_STANDIN_SLEEP_MS", L"10000");

    Tool tool(install);
    ASSERT_NE(tool.Main(), nullptr);
    ASSERT_TRUE(tool.AddFiles(ControlId::cmbBinAdd, ControlId::lstBin, data, {L"slow.xml"}));
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
