// The built program in its own process, with the stand-in converter beside it: what only the real
// program shows (the system's dialogs, a converter run, a restart, the window during a slow run).
// One program runs at a time, so its window and dialogs are the only ones of their classes.

#include "common/utf8.h"
#include "support/support.h"
#include "tools/bench/bench_common.h"

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
        bench::StartedProgram started = bench::Start(folder + L"\\karvelxml.exe", ui::WindowClass);
        process_ = std::move(started.process);
        main = started.window;
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

// Files chosen in the real open-file dialog, one and then two at once, converted with the exact command
// lines; the real folder dialog; and the four settings after a restart.
TEST(EndToEnd, TheRealDialogsABinaryToTextBatchAndTheSettingsAcrossARestart) {
    const std::wstring data = ScratchFolder(L"bin-data"), out = data + L"\\out";
    CreateDirectoryW(out.c_str(), nullptr);
    const Texts names = {L"Gr\u00FC\u00DFe-\u65E5\u672C", L"a", L"b"};
    for (const auto& name : names) WriteBytes(data + L"\\" + name + L".xml", common::ToUtf8(name));
    const ScopedEnvironment record(L"QUILLON_STANDIN_LOG", data + L"\\converter.log");
    {
        Tool tool(L"bin");
        ASSERT_TRUE(tool.AddFiles(cmbBinAdd, lstBin, data, {names[0] + L".xml"}));
        ASSERT_TRUE(tool.AddFiles(cmbBinAdd, lstBin, data, {names[1] + L".xml", names[2] + L".xml"}));
        tool.SetText(txtBinOut, out);
        tool.Click(cmbBinCon);
        ASSERT_TRUE(WaitFor([&] { return tool.LastLineIs(L"Conversion complete"); }));
        std::wstring commandLines;
        for (const auto& name : names) {
            commandLines += L"\"" + tool.folder + L"\\quillon.exe\" --textxml=\"" + out + L"\\" + name + L".txt\" \"" +
                            data + L"\\" + name + L".xml\"\n";
            EXPECT_EQ(ReadBytes(out + L"\\" + name + L".txt"), common::ToUtf8(name));
        }
        EXPECT_EQ(ReadBytes(data + L"\\converter.log"), common::ToUtf8(commandLines));

        tool.SetText(txtTxtOut, L"D:\\Work\\Encoded");
        tool.SetText(txtExt, L"xml");
        tool.Click(cmbTxtOut);
        HWND dialog = tool.WaitForDialog();
        EXPECT_NE(FindWindowExW(dialog, nullptr, L"Static", L"Select output folder"), nullptr);
        EXPECT_FALSE(IsWindowEnabled(tool.main)) << "the folder dialog is modal to the window";
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        ASSERT_TRUE(WaitFor([&] { return !tool.Dialog() && IsWindowEnabled(tool.main); }));
        EXPECT_EQ(tool.Text(txtTxtOut), L"D:\\Work\\Encoded") << "a cancel keeps the folder";
        SendMessageW(tool.Ctl(chkBinOut), BM_CLICK, 0, 0);
        ASSERT_TRUE(tool.Close());
        EXPECT_EQ(ReadBytes(tool.folder + L"\\karvelxml.ini"),
                  " 1 \r\n" + common::ToUtf8(out) + "\r\nD:\\Work\\Encoded\r\nxml\r\n");
    }
    Tool tool(L"bin", false);
    EXPECT_EQ(SendMessageW(tool.Ctl(chkBinOut), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ((Texts{tool.Text(txtBinOut), tool.Text(txtTxtOut), tool.Text(txtExt)}),
              (Texts{out, L"D:\\Work\\Encoded", L"xml"}));
    EXPECT_EQ(tool.On({txtBinOut, cmbBinOut, txtTxtOut}), "001");
    EXPECT_TRUE(tool.Close());
}

// A slow text-to-binary batch: the window answers and moves, takes no click but Stop's, which lets the
// current file finish; closing then asks, and Yes closes it as ever once the current file is done.
TEST(EndToEnd, TheWindowStaysTheUsersDuringALongConversionAndStopsFromTheRealButtonOrAsksBeforeClosing) {
    const std::wstring data = ScratchFolder(L"txt-data"), out = ScratchFolder(L"txt-out");
    for (const wchar_t* name : {L"\\donn\u00E9es.txt", L"\\b.txt", L"\\c.txt"}) WriteBytes(data + name, "x");
    const ScopedEnvironment slow(L"QUILLON_STANDIN_SLEEP_MS", L"6000");
    Tool tool(L"txt");
    ASSERT_TRUE(tool.AddFiles(cmbTxtAdd, lstTxt, data, {L"donn\u00E9es.txt", L"b.txt", L"c.txt"}));
    tool.SetText(txtTxtOut, out + L"\\");  // the trailing backslash is folded away
    tool.Click(cmbTxtCon);
    ASSERT_TRUE(WaitFor([&] { return tool.LastLineIs(L"Processing donn\u00E9es.txt..."); }));
    EXPECT_EQ(tool.Text(cmbTxtCon), L"Stop");
    tool.Click(cmbTxtCle);  // neither a click nor a real one acts, now or later
    RealClick(tool.Ctl(cmbTxtAdd));
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
    RealClick(tool.Ctl(cmbTxtCon));
    ASSERT_TRUE(WaitFor([&] { return tool.Text(cmbTxtCon) == L"Stop now"; }));
    ASSERT_TRUE(WaitFor([&] { return tool.Text(cmbTxtCon) == L"Convert!"; }));
    EXPECT_EQ(tool.Lines(lstStatus),
              (Texts{L"Conversion from Text XML to Binary XML started...", L"Processing donn\u00E9es.txt... DONE",
                     L"Conversion stopped", L"2 of 3 files were not converted"}));
    EXPECT_NE(ReadBytes(out + L"\\donn\u00E9es.xml"), "<missing>") << "the trailing backslash folded away";
    EXPECT_EQ(tool.Dialog(), nullptr) << "the click on Add files... was not taken";

    tool.Click(cmbTxtCon);
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
    EXPECT_FALSE(WaitFor([&] { return tool.Exited(); }, std::chrono::seconds(2)))
        << "the first file is still converted";
    ASSERT_TRUE(WaitFor([&] { return tool.Exited(); }));
    EXPECT_EQ(ReadBytes(out + L"\\b.xml"), "<missing>") << "and no other";
    EXPECT_NE(ReadBytes(tool.folder + L"\\karvelxml.ini"), "<missing>") << "closed as ever: the settings are saved";
}

}  // namespace
