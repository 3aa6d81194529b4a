// The built program in its own process, with the stand-in converter beside it: what only the real
// program shows (the system's dialogs, a converter run, a restart, the window during a slow run).
// One program runs at a time, so its window and dialogs are the only ones of their classes.
#include <gtest/gtest.h>

#include "common/utf8.h"
#include "common/win_handles.h"
#include "support/support.h"
#include "test_paths.h"

using namespace test_support;
using enum ui::ControlId;
using Texts = std::vector<std::wstring>;

namespace {

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
        // Shown only once it has loaded its settings.
        WaitFor([&] { return (main = FindWindowW(ui::WindowClass, nullptr)) && IsWindowVisible(main); });
    }
    ~Tool() {
        if (process_ && !Exited()) TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 5000);  // so the next one finds its own window
    }

    // Posted, so a click that opens a modal dialog does not block the test.
    void Click(ui::ControlId id) const { PostMessageW(Ctl(id), BM_CLICK, 0, 0); }
    HWND Dialog() const {
        for (HWND dialog = nullptr; (dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr));)
            if (IsWindowVisible(dialog) && GetWindow(dialog, GW_OWNER) == main) return dialog;
        return nullptr;
    }
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

// A slow converter: the window answers and moves, takes no click but Stop's, which lets the current
// file finish; closing then asks, and Yes closes it as ever once the current file is done.
TEST(EndToEnd, TheWindowStaysTheUsersDuringALongConversionAndStopsFromTheRealButtonOrAsksBeforeClosing) {
    const std::wstring data = ScratchFolder(L"slow-data");
    for (const wchar_t* name : {L"\\a.xml", L"\\b.xml", L"\\c.xml"}) WriteBytes(data + name, "x");
    const ScopedEnvironment slow(L"QUILLON_STANDIN_SLEEP_MS", L"6000");
    Tool tool(L"slow");
    ASSERT_TRUE(tool.AddFiles(cmbBinAdd, lstBin, data, {L"a.xml", L"b.xml", L"c.xml"}));
    SendMessageW(tool.Ctl(chkBinOut), BM_CLICK, 0, 0);  // output beside the sources
    tool.Click(cmbBinCon);
    ASSERT_TRUE(WaitFor([&] { return tool.LastLineIs(L"Processing a.xml..."); }));
    EXPECT_EQ(tool.Text(cmbBinCon), L"Stop");
    tool.Click(cmbBinCle);  // neither a click nor a real one acts, now or later
    RealClick(tool.Ctl(cmbBinAdd));
    RECT before, client, after;
    GetWindowRect(tool.main, &before);
    GetClientRect(tool.main, &client);
    MapWindowPoints(tool.main, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const LONG title = (before.top + client.top) / 2;
    RealMouse({client.left + 100, title}, {client.left + 140, title + 30});
    ASSERT_TRUE(WaitFor([&] { return GetWindowRect(tool.main, &after) && after.left == before.left + 40; }))
        << "the title bar moves the window";
    // Past the five seconds after which Windows calls a window not responding.
    for (const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(5500);
         std::chrono::steady_clock::now() < until; Sleep(250)) {
        DWORD_PTR result = 0;
        ASSERT_NE(SendMessageTimeoutW(tool.main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &result), 0);
    }
    RealClick(tool.Ctl(cmbBinCon));
    ASSERT_TRUE(WaitFor([&] { return tool.Text(cmbBinCon) == L"Stop now"; }));
    ASSERT_TRUE(WaitFor([&] { return tool.Text(cmbBinCon) == L"Convert!"; }));
    EXPECT_EQ(tool.Lines(lstStatus),
              (Texts{L"Conversion from Binary XML to Text XML started...", L"Processing a.xml... DONE",
                     L"Conversion stopped", L"2 of 3 files were not converted"}));
    EXPECT_EQ(tool.Dialog(), nullptr) << "the click on Add files... was not taken";
    EXPECT_EQ(tool.Lines(lstBin).size(), 3u);

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
        ASSERT_TRUE(WaitFor([&] { return !tool.Dialog(); }));
    }
    EXPECT_FALSE(WaitFor([&] { return tool.Exited(); }, std::chrono::seconds(2))) << "a.xml is still converted";
    ASSERT_TRUE(WaitFor([&] { return tool.Exited(); }));
    EXPECT_NE(ReadBytes(data + L"\\a.txt"), "<missing>");
    EXPECT_EQ(ReadBytes(data + L"\\b.txt"), "<missing>");
    EXPECT_NE(ReadBytes(tool.folder + L"\\karvelxml.ini"), "<missing>") << "closed as ever: the settings are saved";
}

}  // namespace
