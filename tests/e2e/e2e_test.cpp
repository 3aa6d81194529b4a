// The built program in its own process, with the stand-in converter beside it: what only the real
// program shows (the system's dialogs, a converter run, a restart, the window during a slow run).
#include <gtest/gtest.h>

#include "common/utf8.h"
#include "common/win_handles.h"
#include "support/support.h"
#include "test_paths.h"

using namespace test_support;
using enum ui::ControlId;
using Texts = std::vector<std::wstring>;

namespace {

// The first visible top-level window of the process with that class (and owner, when given).
HWND FindWindowOf(DWORD processId, const wchar_t* className, HWND owner = nullptr) {
    struct Search {
        DWORD processId;
        const wchar_t* className;
        HWND owner, found;
    } search{processId, className, owner, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM param) {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD pid = 0;
            wchar_t name[64] = {};
            GetWindowThreadProcessId(hwnd, &pid);
            GetClassNameW(hwnd, name, 64);
            if (pid != s->processId || !IsWindowVisible(hwnd) || wcscmp(name, s->className) != 0) return TRUE;
            if (s->owner && GetWindow(hwnd, GW_OWNER) != s->owner) return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// karvelxml.exe started from a fresh folder of its own, with the stand-in converter as quillon.exe.
class Tool : public WindowDriver {
public:
    explicit Tool(const std::wstring& name, bool fresh = true)
        : folder(fresh ? ScratchFolder(L"e2e-" + name) : std::wstring(KARVEL_TEST_SCRATCH) + L"\\e2e-" + name) {
        CopyFileW(KARVEL_EXE_PATH, (folder + L"\\karvelxml.exe").c_str(), FALSE);
        CopyFileW(KARVEL_STANDIN_PATH, (folder + L"\\quillon.exe").c_str(), FALSE);
        std::wstring commandLine = L"\"" + folder + L"\\karvelxml.exe\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return;
        const win::unique_handle thread(info.hThread);
        process_.reset(info.hProcess);
        processId_ = info.dwProcessId;
        WaitFor([&] { return (main = FindWindowOf(processId_, ui::WindowClass)) != nullptr; });
    }
    ~Tool() {
        if (process_ && !Exited()) TerminateProcess(process_.get(), 1);
    }

    // Posted, so a click that opens a modal dialog does not block the test.
    void Click(ui::ControlId id) const { PostMessageW(Ctl(id), BM_CLICK, 0, 0); }
    HWND Dialog() const { return FindWindowOf(processId_, L"#32770", main); }
    HWND WaitForDialog() const {
        HWND dialog = nullptr;
        WaitFor([&] { return (dialog = Dialog()) != nullptr; });
        return dialog;
    }
    // Cancels the dialog and waits until the window takes input again.
    bool Cancel(HWND dialog) const {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return WaitFor([&] { return !Dialog() && IsWindowEnabled(main); });
    }
    // Chooses `names` in `folder` in the real open-file dialog; true once the queue has them.
    bool AddFiles(ui::ControlId add, ui::ControlId list, const std::wstring& folder, const Texts& names) const {
        const size_t before = Lines(list).size();
        Click(add);
        HWND dialog = WaitForDialog();
        HWND box = GetDlgItem(dialog, 0x47C);  // the file name's combo box
        if (!box) return false;
        // Sent, not posted: it returns once the dialog has acted on the name.
        auto typeAndConfirm = [&](const std::wstring& text) {
            SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            DWORD_PTR result = 0;
            SendMessageTimeoutW(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)),
                                SMTO_NORMAL, 5000, &result);
        };
        typeAndConfirm(folder);  // quoted names are taken relative to the dialog's folder: go there first
        std::wstring typed = names.size() == 1 ? names[0] : L"";
        for (size_t i = 0; names.size() > 1 && i < names.size(); ++i) typed += L"\"" + names[i] + L"\" ";
        typeAndConfirm(typed);
        return WaitFor([&] { return !Dialog() && Lines(list).size() == before + names.size(); });
    }
    bool Close() const {
        PostMessageW(main, WM_CLOSE, 0, 0);
        return WaitForSingleObject(process_.get(), 10000) == WAIT_OBJECT_0;
    }
    bool Exited() const { return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }
    bool LastLineIs(const std::wstring& line) const {
        const Texts lines = Lines(lstStatus);
        return !lines.empty() && lines.back() == line;
    }

    const std::wstring folder;

private:
    win::unique_handle process_;
    DWORD processId_ = 0;
};

// The mouse as the user's hand moves it: pressed at `from`, released at `to`.
void RealMouse(POINT from, POINT to) {
    const double width = GetSystemMetrics(SM_CXSCREEN) - 1, height = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT inputs[3] = {};
    for (int i = 0; i < 3; ++i) {
        const POINT at = i < 2 ? from : to;
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dx = static_cast<LONG>(at.x * 65535 / width);
        inputs[i].mi.dy = static_cast<LONG>(at.y * 65535 / height);
        inputs[i].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    inputs[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(3, inputs, sizeof(INPUT));
}

void RealClick(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    SetForegroundWindow(GetAncestor(control, GA_ROOT));
    RealMouse({(r.left + r.right) / 2, (r.top + r.bottom) / 2}, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

// For the tool and, through it, for the converter.
struct ScopedEnvironment {
    ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name(name) {
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironment() { SetEnvironmentVariableW(name, nullptr); }
    const wchar_t* name;
};

// Each direction: files chosen in the real open-file dialog, one and then two at once, the batch's log,
// and the exact command lines the converter was given.
TEST(EndToEnd, TheRealOpenFileDialogQueuesFilesAndBothBatchesRunTheConverter) {
    // clang-format off
    const struct {
        const wchar_t* tag;
        ui::ControlId add, queue, outBox, convert;
        Texts names, converted;
        std::wstring option, startLine, outSuffix;
    } directions[] = {
        {L"bin", cmbBinAdd, lstBin, txtBinOut, cmbBinCon, {L"Gr\u00FC\u00DFe-\u65E5\u672C.xml", L"a.xml", L"b.xml"},
         {L"Gr\u00FC\u00DFe-\u65E5\u672C.txt", L"a.txt", L"b.txt"}, L"--textxml=",
         L"Conversion from Binary XML to Text XML started...", L""},
        {L"txt", cmbTxtAdd, lstTxt, txtTxtOut, cmbTxtCon, {L"donn\u00E9es.txt", L"a.txt", L"b.txt"},
         {L"donn\u00E9es.xml", L"a.xml", L"b.xml"}, L"--quillon=", L"Conversion from Text XML to Binary XML started...",
         L"\\"},  // a trailing backslash is folded away
    };
    // clang-format on
    for (const auto& d : directions) {
        SCOPED_TRACE(testing::Message() << d.tag);
        const std::wstring data = ScratchFolder(d.tag + std::wstring(L"-data")), out = data + L"\\out";
        CreateDirectoryW(out.c_str(), nullptr);
        for (const auto& name : d.names) WriteBytes(data + L"\\" + name, common::ToUtf8(name));
        const ScopedEnvironment record(L"QUILLON_STANDIN_LOG", data + L"\\converter.log");
        Tool tool(d.tag);
        ASSERT_TRUE(tool.AddFiles(d.add, d.queue, data, {d.names[0]}));
        ASSERT_TRUE(tool.AddFiles(d.add, d.queue, data, {d.names[1], d.names[2]}));
        tool.Click(d.add);
        HWND dialog = tool.WaitForDialog();
        EXPECT_FALSE(IsWindowEnabled(tool.main)) << "the dialog is modal to the window";
        ASSERT_TRUE(tool.Cancel(dialog));
        EXPECT_EQ(tool.Lines(d.queue).size(), 3u) << "a cancel adds nothing";

        tool.SetText(d.outBox, out + d.outSuffix);
        tool.Click(d.convert);
        ASSERT_TRUE(WaitFor([&] { return tool.LastLineIs(L"Conversion complete"); }));
        Texts log = {d.startLine};
        std::wstring commandLines;
        for (size_t i = 0; i < 3; ++i) {
            log.push_back(L"Processing " + d.names[i] + L"... DONE");
            commandLines += L"\"" + tool.folder + L"\\quillon.exe\" " + d.option + L"\"" + out + L"\\" +
                            d.converted[i] + L"\" \"" + data + L"\\" + d.names[i] + L"\"\n";
            EXPECT_EQ(ReadBytes(out + L"\\" + d.converted[i]), common::ToUtf8(d.names[i]));
        }
        log.push_back(L"Conversion complete");
        EXPECT_EQ(tool.Lines(lstStatus), log);
        EXPECT_EQ(ReadBytes(data + L"\\converter.log"), common::ToUtf8(commandLines));
        EXPECT_EQ(SendMessageW(tool.Ctl(pb), PBM_GETPOS, 0, 0), 0);
        EXPECT_TRUE(tool.Close());
    }
}

TEST(EndToEnd, FourSettingsSurviveARestartAndTheRealFolderDialogKeepsTheFolderOnCancel) {
    {
        Tool tool(L"settings");
        tool.SetText(txtBinOut, L"D:\\Work\\Decoded");
        tool.SetText(txtTxtOut, L"D:\\Work\\Encoded");
        tool.SetText(txtExt, L"xml");
        tool.Click(cmbTxtOut);
        HWND dialog = tool.WaitForDialog();
        EXPECT_NE(FindWindowExW(dialog, nullptr, L"Static", L"Select output folder"), nullptr);
        EXPECT_FALSE(IsWindowEnabled(tool.main)) << "the folder dialog is modal to the window";
        PostMessageW(tool.main, WM_CLOSE, 0, 0);  // must not close the window under the dialog
        ASSERT_TRUE(tool.Cancel(dialog));
        EXPECT_FALSE(tool.Exited());
        EXPECT_EQ(tool.Text(txtTxtOut), L"D:\\Work\\Encoded");
        SendMessageW(tool.Ctl(chkBinOut), BM_CLICK, 0, 0);
        ASSERT_TRUE(tool.Close());
        EXPECT_EQ(ReadBytes(tool.folder + L"\\karvelxml.ini"),
                  " 1 \r\nD:\\Work\\Decoded\r\nD:\\Work\\Encoded\r\nxml\r\n");
    }
    Tool tool(L"settings", false);
    EXPECT_EQ(SendMessageW(tool.Ctl(chkBinOut), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ((Texts{tool.Text(txtBinOut), tool.Text(txtTxtOut), tool.Text(txtExt)}),
              (Texts{L"D:\\Work\\Decoded", L"D:\\Work\\Encoded", L"xml"}));
    EXPECT_EQ(tool.On({txtBinOut, cmbBinOut, txtTxtOut}), "001");
    EXPECT_TRUE(tool.Close());
}

TEST(EndToEnd, TheWindowAnswersButTakesNoInputDuringALongConversion) {
    const std::wstring data = ScratchFolder(L"slow-data");
    WriteBytes(data + L"\\slow.xml", "<binary/>");
    const ScopedEnvironment slow(L"QUILLON_STANDIN_SLEEP_MS", L"10000");
    Tool tool(L"slow");
    ASSERT_TRUE(tool.AddFiles(cmbBinAdd, lstBin, data, {L"slow.xml"}));
    SendMessageW(tool.Ctl(chkBinOut), BM_CLICK, 0, 0);  // output beside the source
    tool.Click(cmbBinCon);
    ASSERT_TRUE(WaitFor([&] { return tool.LastLineIs(L"Processing slow.xml..."); }));

    // Clicks that arrive now must not act, now or later; the window itself can be moved.
    tool.Click(cmbBinAdd);
    tool.Click(cmbBinCle);
    RECT before, client, after;
    GetWindowRect(tool.main, &before);
    GetClientRect(tool.main, &client);
    MapWindowPoints(tool.main, nullptr, reinterpret_cast<POINT*>(&client), 2);
    SetForegroundWindow(tool.main);
    RealMouse({client.left + 100, (before.top + client.top) / 2},
              {client.left + 140, (before.top + client.top) / 2 + 30});
    ASSERT_TRUE(WaitFor([&] { return GetWindowRect(tool.main, &after) && after.left == before.left + 40; }))
        << "the title bar moves the window";
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    int answers = 0;
    for (; std::chrono::steady_clock::now() < until; Sleep(250), ++answers) {
        DWORD_PTR result = 0;
        ASSERT_NE(SendMessageTimeoutW(tool.main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &result), 0)
            << "the window answers within a second while the converter runs";
    }
    EXPECT_GT(answers, 20);
    ASSERT_TRUE(WaitFor([&] { return tool.LastLineIs(L"Conversion complete"); }, std::chrono::seconds(15)));
    EXPECT_FALSE(WaitFor([&] { return tool.Dialog() != nullptr; }, std::chrono::milliseconds(500)))
        << "the click was not replayed";
    EXPECT_EQ(tool.Lines(lstBin).size(), 1u);
    EXPECT_EQ(tool.Lines(lstStatus)[1], L"Processing slow.xml... DONE");
    EXPECT_TRUE(tool.Close());
}

TEST(EndToEnd, TheRealStopButtonStopsAfterTheCurrentFileAndClosingAsksFirst) {
    const std::wstring data = ScratchFolder(L"stop-data");
    for (const wchar_t* name : {L"\\a.xml", L"\\b.xml", L"\\c.xml"}) WriteBytes(data + name, "x");
    const ScopedEnvironment slow(L"QUILLON_STANDIN_SLEEP_MS", L"1500");
    Tool tool(L"stop");
    ASSERT_TRUE(tool.AddFiles(cmbBinAdd, lstBin, data, {L"a.xml", L"b.xml", L"c.xml"}));
    SendMessageW(tool.Ctl(chkBinOut), BM_CLICK, 0, 0);  // output beside the sources
    tool.Click(cmbBinCon);
    ASSERT_TRUE(WaitFor([&] { return tool.LastLineIs(L"Processing a.xml..."); }));
    EXPECT_EQ(tool.Text(cmbBinCon), L"Stop");
    RealClick(tool.Ctl(cmbBinAdd));  // takes no click
    RealClick(tool.Ctl(cmbBinCon));
    ASSERT_TRUE(WaitFor([&] { return tool.Text(cmbBinCon) == L"Stop now"; }));
    ASSERT_TRUE(WaitFor([&] { return tool.Text(cmbBinCon) == L"Convert!"; }));
    EXPECT_EQ(tool.Lines(lstStatus),
              (Texts{L"Conversion from Binary XML to Text XML started...", L"Processing a.xml... DONE",
                     L"Conversion stopped", L"2 of 3 files were not converted"}));
    EXPECT_EQ(tool.Dialog(), nullptr) << "the click on Add files... was not taken";

    tool.Click(cmbBinCon);
    for (const int answer : {IDNO, IDYES}) {
        PostMessageW(tool.main, WM_CLOSE, 0, 0);
        HWND question = tool.WaitForDialog();
        wchar_t caption[64] = {};
        GetWindowTextW(question, caption, 64);
        EXPECT_STREQ(caption, L"Karvel Quillon Front-end");
        EXPECT_NE(
            FindWindowExW(question, nullptr, L"Static", L"A conversion is running. Stop it and close the window?"),
            nullptr);
        PostMessageW(question, WM_COMMAND, answer, 0);
        if (answer == IDNO) {
            ASSERT_TRUE(WaitFor([&] { return tool.LastLineIs(L"Processing b.xml..."); }));
        }
    }
    EXPECT_FALSE(WaitFor([&] { return tool.Exited(); }, std::chrono::milliseconds(500))) << "b.xml is still converted";
    ASSERT_TRUE(WaitFor([&] { return tool.Exited(); }));
    EXPECT_NE(ReadBytes(data + L"\\b.txt"), "<missing>");
    EXPECT_EQ(ReadBytes(data + L"\\c.txt"), "<missing>");
    EXPECT_NE(ReadBytes(tool.folder + L"\\karvelxml.ini"), "<missing>") << "closed as ever: the settings are saved";
}

}  // namespace
