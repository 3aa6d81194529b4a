// The built program in its own process, with the stand-in converter beside it: what only the real program
// shows (the system's dialogs, a converter, a restart, real input from the X server as the user's hands give
// it). One program runs at a time, so its window and dialogs are the only ones of their classes.

#include "support/support.h"  // first: it brings windows.h
#include <commctrl.h>

#include "common/utf8.h"

using namespace test_support;
using enum ui::ControlId;
using Texts = std::vector<std::wstring>;

namespace {

// karvelxml.exe started from a fresh folder of its own, with the stand-in converter as quillon.exe;
// `startIn` is the folder it is started in (its own when empty).
class Tool : public WindowDriver {
public:
    explicit Tool(const std::wstring& name, bool fresh = true, const std::wstring& startIn = {})
        : folder(fresh ? ScratchFolder(L"e2e-" + name) : std::wstring(KARVEL_TEST_SCRATCH) + L"\\e2e-" + name) {
        CopyFileW(KARVEL_EXE_PATH, (folder + L"\\karvelxml.exe").c_str(), FALSE);
        CopyFileW(KARVEL_STANDIN_PATH, (folder + L"\\quillon.exe").c_str(), FALSE);
        bench::StartedProgram started =
            bench::Start(folder + L"\\karvelxml.exe", ui::WindowClass, startIn.empty() ? folder : startIn);
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
        // Several files can be chosen in its list.
        HWND files =
            FindWindowExW(FindWindowExW(dialog, nullptr, L"SHELLDLL_DefView", nullptr), nullptr, WC_LISTVIEWW, nullptr);
        if (!box || !files || (GetWindowLongW(files, GWL_STYLE) & LVS_SINGLESEL)) return false;
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
    bool Exited(std::chrono::milliseconds within = {}) const {
        return WaitForSingleObject(process_.get(), static_cast<DWORD>(within.count())) == WAIT_OBJECT_0;
    }
    bool Close() const {
        PostMessageW(main, WM_CLOSE, 0, 0);
        return Exited(std::chrono::seconds(10));
    }

    const std::wstring folder;

private:
    win::unique_handle process_;
};

// Real input through the X server, from xdotool; true once it is sent.
bool Xdo(const std::wstring& arguments) { return RunLinux(L"/usr/bin/xdotool " + arguments); }

// "mousemove X Y" to the middle of a control: Wine's screen coordinates are the X screen's.
std::wstring MoveTo(HWND control, int dx = 0, int dy = 0) {
    RECT r;
    GetWindowRect(control, &r);
    return L"mousemove " + std::to_wstring((r.left + r.right) / 2 + dx) + L" " +
           std::to_wstring((r.top + r.bottom) / 2 + dy) + L" ";
}

BOOL CALLBACK AddVisible(HWND window, LPARAM windows) {
    if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleWindows() {
    std::vector<HWND> windows;
    EnumWindows(AddVisible, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// For the tool and, through it, for the converter.
struct ScopedEnvironment {
    ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name(name) {
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironment() { SetEnvironmentVariableW(name, nullptr); }
    const wchar_t* name;
};

// Files chosen in the real open-file dialog, one and then five at once, converted by an ANSI converter in the
// folder the tool was started in, each into its own destination: names with look-alikes of "\" and "/", one
// the code page lacks, one it holds and a plain one. Then the real folder dialog, and the settings after a restart.
TEST(EndToEnd, TheRealDialogsAnAnsiConverterGivenEveryNameAsMeantAndTheSettingsAcrossARestart) {
    const std::wstring data = ScratchFolder(L"bin-data"), in = data + L"\\in", out = data + L"\\out",
                       start = ScratchFolder(L"bin-start");
    // Where a look-alike read as "\" or "/" would send a converter: data\decoy.xml, in\sub\x.xml.
    for (const std::wstring& folder : {in, out, in + L"\\sub", out + L"\\sub"})
        CreateDirectoryW(folder.c_str(), nullptr);
    WriteBytes(data + L"\\decoy.xml", "decoy"), WriteBytes(in + L"\\sub\\x.xml", "x");
    // clang-format off
    const Texts names = {L"Gr\u00FC\u00DFe-\u65E5\u672C.xml", L"..\uFF3Cdecoy.xml", L"sub\u2215x.xml", L"a\uFF0Fb.xml",
                         L"Gr\u00FC\u00DFe.xml", L"a.xml"};
    // clang-format on
    for (const auto& name : names) WriteBytes(in + L"\\" + name, common::ToUtf8(name));
    const ScopedEnvironment where(L"QUILLON_STANDIN_FOLDER", data + L"\\folders.log");
    {
        Tool tool(L"bin", true, start);
        CopyFileW(KARVEL_STANDIN_ANSI_PATH, (tool.folder + L"\\quillon.exe").c_str(), FALSE);  // an ANSI converter
        ASSERT_TRUE(tool.AddFiles(cmbBinAdd, lstBin, in, {names[0]}));
        ASSERT_TRUE(tool.AddFiles(cmbBinAdd, lstBin, in, Texts(names.begin() + 1, names.end())));
        // The dialog left the folder it showed: nothing holds it open.
        EXPECT_TRUE(MoveFileW(in.c_str(), (in + L"-moved").c_str()) && MoveFileW((in + L"-moved").c_str(), in.c_str()));
        tool.SetText(txtBinOut, out);
        tool.Click(cmbBinCon);
        ASSERT_TRUE(WaitFor([&] { return tool.LastLineIs(L"Conversion complete"); })) << tool.Lines(lstStatus).back();
        std::wstring folders;  // where each converter ran
        for (const auto& name : names) {
            EXPECT_EQ(ReadBytes(out + L"\\" + name.substr(0, name.size() - 3) + L"txt"), common::ToUtf8(name));
            folders += start + L"\n";
        }
        EXPECT_EQ(NamesIn(out).size(), names.size() + 1) << "sub, and no other file: no temporary one is left";
        EXPECT_TRUE(NamesIn(out + L"\\sub").empty() && ReadBytes(data + L"\\decoy.txt") == "<missing>");
        EXPECT_EQ(ReadBytes(data + L"\\folders.log"), common::ToUtf8(folders));

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

// A slow text-to-binary batch: the window moves, takes no click but Stop's, which lets the
// current file finish; closing then asks, Yes stops the batch, and a second close ends the converter at
// once and closes, without the half-written destination.
constexpr wchar_t kCloseQuestion[] = L"A conversion is running. Stop it and close the window?";

TEST(EndToEnd, TheWindowStaysTheUsersDuringALongConversionAndStopsFromTheRealButtonOrAsksBeforeClosing) {
    const std::wstring data = ScratchFolder(L"txt-data"), out = ScratchFolder(L"txt-out");
    for (const wchar_t* name : {L"\\donn\u00E9es.txt", L"\\b.txt", L"\\c.txt"}) WriteBytes(data + name, "xx");
    const ScopedEnvironment slow(L"QUILLON_STANDIN_SLEEP_MS", L"6000");
    const ScopedEnvironment partial(L"QUILLON_STANDIN_PARTIAL", L"1");
    Tool tool(L"txt");
    ASSERT_TRUE(tool.AddFiles(cmbTxtAdd, lstTxt, data, {L"donn\u00E9es.txt", L"b.txt", L"c.txt"}));
    tool.SetText(txtTxtOut, out + L"\\");  // the trailing backslash is folded away
    tool.Click(cmbTxtCon);
    ASSERT_TRUE(WaitFor([&] { return tool.LastLineIs(L"Processing donn\u00E9es.txt...") && ConverterRuns(); }));
    EXPECT_EQ(tool.Text(cmbTxtCon), L"Stop");
    tool.Click(cmbTxtCle);  // neither a click nor a real one acts, now or later
    Xdo(MoveTo(tool.Ctl(cmbTxtAdd)) + L"click 1");
    // The frame still takes the mouse: a real click on the close box, found where the window says, asks first.
    RECT frame;
    GetWindowRect(tool.main, &frame);
    const int y = frame.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    int x = frame.right;
    while (x > frame.left && SendMessageW(tool.main, WM_NCHITTEST, 0, MAKELPARAM(x, y)) != HTCLOSE) --x;
    Xdo(L"mousemove " + std::to_wstring(x - 4) + L" " + std::to_wstring(y) + L" click 1");
    HWND question = tool.WaitForDialog();
    ASSERT_NE(FindWindowExW(question, nullptr, L"Static", kCloseQuestion), nullptr) << "the close box is taken";
    PostMessageW(question, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(WaitFor([&] { return !tool.Dialog(); }));
    Xdo(MoveTo(tool.Ctl(cmbTxtCon)) + L"click 1");
    ASSERT_TRUE(WaitFor([&] { return tool.Text(cmbTxtCon) == L"Stop now"; }));
    ASSERT_TRUE(WaitFor([&] { return tool.Text(cmbTxtCon) == L"Convert!"; }));
    EXPECT_EQ(tool.Lines(lstStatus),
              (Texts{L"Conversion from Text XML to Binary XML started...", L"Processing donn\u00E9es.txt... DONE",
                     L"Conversion stopped", L"2 of 3 files were not converted"}));
    EXPECT_EQ(ReadBytes(out + L"\\donn\u00E9es.xml"), "xx") << "the trailing backslash folded away";
    EXPECT_EQ(tool.Dialog(), nullptr) << "the click on Add files... was not taken";

    tool.Click(cmbTxtCon);
    ASSERT_TRUE(WaitFor([&] { return ReadBytes(out + L"\\b.xml") == "x"; })) << "half of b.xml is written";
    for (const int answer : {IDNO, IDYES}) {
        PostMessageW(tool.main, WM_CLOSE, 0, 0);
        HWND question = tool.WaitForDialog();
        EXPECT_EQ(bench::Text(question), L"Karvel Quillon Front-end");
        EXPECT_NE(FindWindowExW(question, nullptr, L"Static", kCloseQuestion), nullptr);
        PostMessageW(question, WM_COMMAND, answer, 0);
        ASSERT_TRUE(WaitFor([&] { return !tool.Dialog(); }));
    }
    EXPECT_EQ(tool.Text(cmbTxtCon), L"Stop now");
    EXPECT_FALSE(tool.Exited(std::chrono::seconds(1))) << "the file is still being converted";
    PostMessageW(tool.main, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box, Alt+F4 or the taskbar, again
    EXPECT_TRUE(tool.Exited(std::chrono::milliseconds(1500))) << "the second request ends the converter at once";
    EXPECT_EQ(ReadBytes(out + L"\\b.xml"), "<missing>") << "what it had written of a new file is gone";
    EXPECT_NE(ReadBytes(tool.folder + L"\\karvelxml.ini"), "<missing>") << "closed as ever: the settings are saved";
}

// A double-click, a held Esc, Space or press, as the X server delivers them, is one action. Then Windows
// ends its session in the middle of a file: asked, the window says no while a batch runs; told, it ends the
// converter, deletes what it had begun of a new file and saves the settings before it answers.
TEST(EndToEnd, ADoubleClickAHeldEscAndAPressHeldPastTheBatchAreEachOneActionAndTheSessionsEndLeavesNoHalfFile) {
    const std::wstring data = ScratchFolder(L"hands-data");
    for (const wchar_t* name : {L"\\a.xml", L"\\b.xml"}) WriteBytes(data + name, "xx");
    const ScopedEnvironment slow(L"QUILLON_STANDIN_SLEEP_MS", L"1500"), partial(L"QUILLON_STANDIN_PARTIAL", L"1");
    Tool tool(L"hands");
    ASSERT_TRUE(tool.AddFiles(cmbBinAdd, lstBin, data, {L"a.xml", L"b.xml"}));
    tool.SetText(txtBinOut, data);
    HWND convert = tool.Ctl(cmbBinCon);
    const std::wstring start = L"Conversion from Binary XML to Text XML started...", a = L"Processing a.xml... DONE";
    const Texts stopped = {start, a, L"Conversion stopped", L"1 of 2 files were not converted"},
                whole = {start, a, L"Processing b.xml... DONE", L"Conversion complete"},
                missing = {start, L"Output folder does not exists"};
    const struct {
        const char* what;
        std::wstring startThenAct;  // after the batch has begun its first file (empty: the action starts it)
        Texts log;
        std::wstring output{};  // the output folder, when it is not the data's
    } actions[] = {
        {"a double-click on Convert! only starts", {}, whole},
        {"a double-click on Convert! whose batch ends within it starts it once", {}, missing, data + L"\\gone"},
        {"a double-click on Stop is one Stop", MoveTo(convert) + L"click --repeat 2 --delay 80 1", stopped},
        {"Esc held until it repeats is one Stop",
         MoveTo(tool.Ctl(lstStatus)) + L"click 1 keydown Escape sleep 1.5 keyup Escape", stopped},
        {"Space held on the focused Stop past the end is one Stop", L"keydown space sleep 2.5 keyup space", stopped},
        {"a press on Stop let go after the batch starts nothing", MoveTo(convert) + L"mousedown 1", whole},
    };
    for (const auto& action : actions) {
        SCOPED_TRACE(action.what);
        tool.SetText(txtBinOut, action.output.empty() ? data : action.output);
        const size_t first = tool.Lines(lstStatus).size();
        if (action.startThenAct.empty()) {
            Xdo(MoveTo(convert) + L"click --repeat 2 --delay 80 1");
        } else {
            Xdo(MoveTo(convert) + L"click 1");
            ASSERT_TRUE(WaitFor([&] { return tool.LastLineIs(L"Processing a.xml...") && ConverterRuns(); }));
            Sleep(GetDoubleClickTime() + 100);  // so the action's first press is no double-click with the start
            Xdo(action.startThenAct);
        }
        ASSERT_TRUE(WaitFor([&] {
            return tool.Lines(lstStatus).size() >= first + action.log.size() && tool.Text(cmbBinCon) == L"Convert!";
        }));
        Xdo(L"mouseup 1");
        Sleep(GetDoubleClickTime() + 200);  // time for a batch that should not start, and no double-click with the next
        const Texts log = tool.Lines(lstStatus);
        EXPECT_EQ(Texts(log.begin() + static_cast<std::ptrdiff_t>(first), log.end()), action.log);
        EXPECT_EQ(tool.Text(cmbBinCon), L"Convert!");
    }
    DeleteFileW((data + L"\\a.txt").c_str());
    tool.Click(cmbBinCon);
    ASSERT_TRUE(WaitFor([&] { return ReadBytes(data + L"\\a.txt") == "x"; })) << "half of a.txt is written";
    EXPECT_EQ(SendMessageW(tool.main, WM_QUERYENDSESSION, 0, 0), FALSE);
    SendMessageW(tool.main, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(ReadBytes(data + L"\\a.txt"), "<missing>");
    EXPECT_FALSE(ConverterRuns());
    EXPECT_EQ(tool.Lines(lstStatus).back(), L"2 of 2 files were not converted") << "the batch's end shown";
    EXPECT_EQ(tool.Text(cmbBinCon), L"Convert!");
    EXPECT_EQ(ReadBytes(tool.folder + L"\\karvelxml.ini"), " 0 \r\n" + common::ToUtf8(data) + "\r\n\r\ntxt\r\n");
}

// Two of four fail; "Remove converted files", from a real right click on the queue, leaves those two in
// their order, and the next batch converts exactly them. Meanwhile the converter, and a console program it
// starts, run without a window of their own; it finds its input at its end at once, and what it writes is heard.
TEST(EndToEnd, RemoveConvertedFilesLeavesTheFailuresForTheNextBatchAndNoConsoleWindowAppears) {
    const std::wstring data = ScratchFolder(L"again-data");
    // The last name is not in the code page: the Unicode converter gets it by its short name, and a temporary one.
    for (const wchar_t* name : {L"\\a.xml", L"\\b.xml", L"\\c.xml", L"\\\u65E5.xml"}) WriteBytes(data + name, "x");
    const ScopedEnvironment record(L"QUILLON_STANDIN_LOG", data + L"\\converter.log"),
        input(L"QUILLON_STANDIN_STDIN", L"1"), child(L"QUILLON_STANDIN_CHILD", L"1");
    Tool tool(L"again");
    ASSERT_TRUE(tool.AddFiles(cmbBinAdd, lstBin, data, {L"a.xml", L"b.xml", L"c.xml", L"\u65E5.xml"}));
    tool.SetText(txtBinOut, data);
    {
        // Held without sharing, b.xml and \u65E5.xml cannot be read.
        const auto hold = [&](const wchar_t* name) {
            return win::unique_file(
                CreateFileW((data + name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        };
        const win::unique_file b = hold(L"\\b.xml"), d = hold(L"\\\u65E5.xml");
        const std::vector<HWND> before = VisibleWindows();
        bool appeared = false;  // looked at all along: a console window would come and go with its program
        tool.Click(cmbBinCon);
        ASSERT_TRUE(WaitFor([&] {
            appeared |= VisibleWindows() != before;
            return tool.LastLineIs(L"2 of 4 files were not converted");
        }));
        EXPECT_FALSE(appeared);
        EXPECT_EQ(tool.Lines(lstStatus)[2], L"Processing b.xml... FAILED (exit code 3): read 0 bytes");
    }
    Xdo(MoveTo(tool.Ctl(lstBin)) + L"click 3 sleep 0.5 key Down Return");
    ASSERT_TRUE(WaitFor([&] { return tool.Lines(lstBin) == Texts{data + L"\\b.xml", data + L"\\\u65E5.xml"}; }));
    DeleteFileW((data + L"\\converter.log").c_str());
    tool.Click(cmbBinCon);
    ASSERT_TRUE(WaitFor([&] { return tool.LastLineIs(L"Conversion complete"); }));
    const Texts log = tool.Lines(lstStatus);
    EXPECT_EQ(Texts(log.end() - 3, log.end()),
              (Texts{L"Processing b.xml... DONE", L"Processing \u65E5.xml... DONE", L"Conversion complete"}));
    const std::string converted = ReadBytes(data + L"\\converter.log");
    EXPECT_EQ(std::count(converted.begin(), converted.end(), '\n'), 2) << converted;
}

}  // namespace
