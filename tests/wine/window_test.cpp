// The real window in this process, its dialogs replaced: controls, colours, keys, queues, drops, folders, batches.
#include "support/support.h"  // first: it brings windows.h
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <deque>
#include <mutex>
#include <utility>

#include "common/file_probes.h"
#include "conversion/file_system.h"

#include "ui/frmMain.h"
#include "ui/status_log.h"

using namespace test_support;
using namespace std::string_literals;
using namespace std::chrono_literals;
using ui::ControlId;
using ui::Kind;
using enum ui::ControlId;
using Names = std::vector<std::wstring>;

namespace {

// Handles what is queued, as the program's own loop would.
void Pump(ui::frmMain* form) {
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
        if (msg.message == WM_QUIT || (form && form->Handle() && form->PreTranslateMessage(msg))) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The window, shown; both dialogs answer from `answers_` in turn ("" once it runs out) and record their calls.
class Window : public testing::Test, public WindowDriver {
protected:
    struct Call {
        HWND owner;
        std::wstring text, initial;  // text: the filter or the title
    };

    void SetUp() override {
        form_ = ui::frmMain::Create(GetModuleHandleW(nullptr), Environment(tool_ + L"\\karvelxml.ini"));
        ASSERT_NE(form_, nullptr);
        main = form_->Handle();
        ShowWindow(main, SW_SHOW);
        SetForegroundWindow(main);
        Pump(form_.get());
    }
    // Handles messages until `done` holds, as the program's own loop would; false after `limit`.
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        return WaitFor([&] { return Pump(form_.get()), done(); }, limit);
    }
    void TearDown() override {
        form_.reset();
        Pump(nullptr);
        SetEnvironmentVariableW(L"QUILLON_STANDIN_SLEEP_MS", nullptr);
    }
    // Settings read from and written to `ini`, and dialogs that answer from `answers_`.
    ui::Environment Environment(const std::wstring& ini, const std::wstring& written = L"") {
        const auto answer = [this](HWND owner, const std::wstring& text, const std::wstring& initial = L"") {
            return Answer({owner, text, initial});
        };
        return {
            tool_,
            {ini, written.empty() ? ini : written},
            ui::Dialogs{answer, answer, [=](HWND owner, const std::wstring& q) { return answer(owner, q) == L"yes"; },
                        answer, [=](HWND owner, const std::wstring& message) { answer(owner, message); },
                        [=](HWND owner, const std::wstring& folder, const std::wstring& file) {
                            answer(owner, folder, file);
                            return true;
                        }},
            {},
            // The folder probe as slow as a network that is gone, when asked.
            ui::Probes{[this](const std::wstring& path) { return Sleep(slowProbe_), common::FolderExists(path); },
                       &common::FileExists},
            ui::Session{[this](bool held) { session_ += held ? L"awake " : L"asleep "; },
                        [this](HWND window, const wchar_t* reason) {
                            session_ += window != main ? L"? " : reason ? L"[" + std::wstring(reason) + L"] " : L"[] ";
                        }},
            [this] { return highContrast_; }};
    }
    // "Open containing folder" asks the shell from a thread of its own.
    std::wstring Answer(Call call) {
        const std::lock_guard lock(callsMutex_);
        calls_.push_back(std::move(call));
        if (duringDialog_) duringDialog_();
        if (answers_.empty()) return L"";
        std::wstring answer = std::move(answers_.front());
        answers_.pop_front();
        return answer;
    }
    LRESULT Send(ControlId id, UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageW(Ctl(id), msg, wp, lp); }
    // a.xml and b.xml in a fresh folder, the stand-in taking `sleep` ms a file, `chosen` queued to convert there.
    std::wstring Queued(const std::wstring& folder, const std::wstring& chosen, const wchar_t* sleep = nullptr) {
        const std::wstring data = ScratchFolder(folder);
        for (const wchar_t* name : {L"\\a.xml", L"\\b.xml"}) WriteBytes(data + name, "x");
        CopyFileW(KARVEL_STANDIN_PATH, (tool_ + L"\\quillon.exe").c_str(), FALSE);
        SetEnvironmentVariableW(L"QUILLON_STANDIN_SLEEP_MS", sleep);
        answers_.push_front(data + L'\0' + chosen);
        Click(cmbBinAdd);
        SetText(txtBinOut, data);
        return data;
    }
    std::wstring Tip() const {
        wchar_t text[256] = {};
        TOOLINFOW tool{TTTOOLINFOW_V2_SIZE, 0, main, reinterpret_cast<UINT_PTR>(Ctl(pb)), {}, {}, text, 0, {}};
        SendMessageW(FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr), TTM_GETTEXTW, 256, LPARAM(&tool));
        return text;
    }
    void Choose(int downs, ControlId list = lstStatus);
    void Click(ControlId id) { Send(id, BM_CLICK); }
    // Input as the system queues it, for the window's own loop to take or drop.
    void Input(ControlId id, UINT msg, WPARAM wp = 0) { PostMessageW(Ctl(id), msg, wp, MAKELPARAM(5, 5)); }
    // What the shell sends when files are dropped at `at` in the client area.
    void Drop(const std::wstring& path, POINT at) {
        HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t));
        auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
        *drop = {sizeof(DROPFILES), at, FALSE, TRUE};
        memcpy(drop + 1, path.c_str(), path.size() * sizeof(wchar_t));
        GlobalUnlock(memory);
        SendMessageW(main, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    }

    const std::wstring tool_ = ScratchFolder(L"tool");  // no converter, no settings
    std::unique_ptr<ui::frmMain> form_;
    std::deque<std::wstring> answers_;
    std::vector<Call> calls_;
    std::recursive_mutex callsMutex_;
    std::function<void()> duringDialog_;  // runs while a dialog is "open"
    std::atomic<DWORD> slowProbe_{0};     // milliseconds
    std::wstring session_;                // what the batches asked of the session
    bool highContrast_ = false;           // Wine cannot switch it on
};

// At 96 DPI, after a move to a monitor at 144 DPI, and back.
TEST_F(Window, ControlsHaveTheirKindTextPlaceSizeStateAndFontAtEachDpiAndOnlyFrameCaptionsAreRed) {
    EXPECT_FALSE(GetWindowLongW(main, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX)) << "a fixed border";
    const wchar_t* classes[] = {L"Button", L"ListBox", L"Static", L"Edit", L"Button", L"Button", L"msctls_progress32"};
    // Each control's place and size in the client area at 96 DPI, in the table's order.
    // clang-format off
    const std::array<LONG, 4> places[] = {
        {4, 4, 537, 213},    {20, 28, 505, 95},   {20, 132, 121, 17},  {120, 128, 29, 25},  {156, 128, 121, 25},
        {280, 128, 121, 25}, {404, 128, 121, 25}, {20, 160, 181, 13},  {20, 176, 353, 25},  {376, 176, 25, 25},
        {404, 176, 121, 25}, {4, 220, 537, 213},  {20, 244, 505, 95},  {156, 344, 121, 25}, {280, 344, 121, 25},
        {404, 344, 121, 25}, {20, 376, 73, 13},   {20, 392, 353, 25},  {376, 392, 25, 25},  {404, 392, 121, 25},
        {4, 436, 537, 101},  {20, 456, 505, 56},  {20, 516, 505, 13},  {44, 540, 461, 13},
    };
    // clang-format on
    for (const int dpi : {96, 144, 96}) {
        SCOPED_TRACE(testing::Message() << dpi << " DPI");
        RECT window, client;
        GetWindowRect(main, &window);
        SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&window));
        const auto scaled = [dpi](LONG pixels) { return dpi == 96 ? pixels : (pixels * 3 + 1) / 2; };
        GetClientRect(main, &client);
        EXPECT_EQ((std::array{client.right, client.bottom}),
                  (std::array<LONG, 2>{dpi == 96 ? 544 : 816, dpi == 96 ? 556 : 834}));
        const std::array<LONG, 4>* place = places;
        for (const auto& desc : ui::Controls()) {
            if (desc.kind == Kind::OpenFileDialog) continue;  // no window of its own
            SCOPED_TRACE(testing::Message() << desc.name);
            HWND control = Ctl(desc.id);
            ASSERT_NE(control, nullptr);
            wchar_t name[64] = {};
            GetClassNameW(control, name, 64);
            EXPECT_EQ(_wcsicmp(name, classes[static_cast<int>(desc.kind)]), 0) << name;
            EXPECT_EQ(Text(desc.id), desc.text);
            RECT r;
            GetWindowRect(control, &r);
            MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
            const auto [x, y, width, height] = *place++;
            EXPECT_EQ((std::array{r.left, r.top, r.right - r.left, r.bottom - r.top}),
                      (std::array{scaled(x), scaled(y), scaled(width), scaled(height)}));
            EXPECT_EQ(IsWindowEnabled(control) != FALSE, desc.enabled);
            LOGFONTW font{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
            EXPECT_EQ(font.lfHeight, dpi == 96 ? -11 : -16) << "the dialog font, 8 points, not the bold System font";
            const HWND below = GetWindow(control, GW_HWNDNEXT);
            EXPECT_TRUE(desc.kind != Kind::Frame || !below ||
                        Description(ControlId(GetDlgCtrlID(below))).kind == Kind::Frame)
                << "a frame draws only a border, beneath every control";
        }
        for (auto [list, rows] : {std::pair{lstBin, 7}, {lstTxt, 7}, {lstStatus, 4}}) {
            GetClientRect(Ctl(list), &client);
            const LRESULT row = Send(list, LB_GETITEMHEIGHT);
            EXPECT_EQ(row, dpi == 96 ? 13 : 19) << "the font's row height";
            EXPECT_TRUE(rows * row <= client.bottom && client.bottom < (rows + 1) * row) << rows << " whole rows";
        }
    }

    // Only a frame's caption is coloured: dark red, but in high contrast (on, with colours of its own, then off
    // again, each time drawn anew) the system's text colour; the greyed box then lies on the face colour.
    HDC dc = GetDC(main);
    const int element = COLOR_BTNTEXT;
    const COLORREF yellow = RGB(255, 255, 0), text = GetSysColor(element);
    for (const bool on : {false, true, false}) {
        highContrast_ = on;
        if (on) SetSysColors(1, &element, &yellow);
        UpdateWindow(main);
        SendMessageW(main, on ? WM_SYSCOLORCHANGE : WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
        EXPECT_TRUE(GetUpdateRect(Ctl(Frame1), nullptr, FALSE)) << on;
        for (const ControlId id : {Frame1, Frame2, Frame3, Label1, lblTxtOut, Label2, txtBinOut}) {
            SendMessageW(main, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Ctl(id)));
            EXPECT_EQ(GetTextColor(dc) == (on ? yellow : RGB(192, 0, 0)), Description(id).kind == Kind::Frame) << on;
        }
        EXPECT_EQ(GetBkColor(dc), GetSysColor(on ? COLOR_BTNFACE : COLOR_WINDOW)) << "the greyed box's, last";
    }
    SetSysColors(1, &element, &text);
    ReleaseDC(main, dc);
}

LRESULT CALLBACK RefuseProgressBar(int code, WPARAM, LPARAM lp) {
    const wchar_t* windowClass = reinterpret_cast<CBT_CREATEWNDW*>(lp)->lpcs->lpszClass;
    return code == HCBT_CREATEWND && !IS_INTRESOURCE(windowClass) && !_wcsicmp(windowClass, PROGRESS_CLASSW);
}

TEST(WindowCreation, FailsWithoutAHalfBuiltWindowWhenAControlCannotBeCreated) {
    const unique_any<HHOOK, UnhookWindowsHookEx> refuseProgressBar(
        SetWindowsHookExW(WH_CBT, RefuseProgressBar, nullptr, GetCurrentThreadId()));
    ASSERT_TRUE(refuseProgressBar);
    EXPECT_EQ(ui::frmMain::Create(GetModuleHandleW(nullptr), {}), nullptr);
    EXPECT_EQ(FindWindowW(ui::WindowClass, nullptr), nullptr);
}

TEST_F(Window, TabWalksTheEnabledControlsInOrderAndTheFolderDialogIsModal) {
    auto walk = [&] {
        SetFocus(Ctl(lstBin));
        Names names;
        do {
            names.push_back(ui::Description(static_cast<ControlId>(GetDlgCtrlID(GetFocus()))).name);
            MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
            IsDialogMessageW(main, &tab);
        } while (GetFocus() != Ctl(lstBin) && names.size() < 30);
        return names;
    };
    EXPECT_EQ(walk(),
              (Names{L"lstBin", L"cmbBinAdd", L"txtBinOut", L"cmbBinOut", L"cmbTxtOut", L"txtTxtOut", L"cmbTxtAdd",
                     L"lstTxt", L"lstStatus", L"chkBinOut", L"txtExt", L"cmbBinCle", L"cmbTxtCle"}));
    // A screen reader names a box after the label before it.
    EXPECT_TRUE(GetWindow(Ctl(txtExt), GW_HWNDPREV) == Ctl(Label1) &&
                GetWindow(Ctl(txtTxtOut), GW_HWNDPREV) == Ctl(lblTxtOut));

    // The folder dialogs, and nothing acts under them: neither a close nor a click, not even a second dialog.
    answers_ = {L"C:\\in\\a.xml", L"", L"E:\\chosen"};
    Click(cmbBinAdd);
    SetText(txtTxtOut, L"D:\\kept");
    bool inside = false;
    duringDialog_ = [&] {
        if (std::exchange(inside, true)) return;  // a second dialog underneath
        SendMessageW(main, WM_CLOSE, 0, 0);
        SendMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        for (ControlId button : {cmbBinCon, cmbTxtAdd, cmbBinOut, chkBinOut}) Click(button);
    };
    Click(cmbTxtOut);
    duringDialog_ = nullptr;
    ASSERT_EQ(calls_.size(), 2u) << "no second dialog opens";
    EXPECT_EQ((Names{calls_[0].text, calls_[1].text}),
              (Names{L"Binary XML Files (*.xml)|*.xml", L"Select output folder"}));
    EXPECT_TRUE(calls_[0].owner == main && calls_[1].owner == main) << "the dialogs are modal to the window";
    EXPECT_EQ(calls_[1].initial, L"D:\\kept");
    EXPECT_EQ(Text(txtTxtOut), L"D:\\kept") << "a cancel keeps the box";
    ASSERT_TRUE(IsWindow(main)) << "the window stays";
    EXPECT_TRUE(Lines(lstStatus).empty()) << "no batch started";
    EXPECT_EQ(Send(chkBinOut, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(On({txtBinOut, cmbBinOut, txtTxtOut, cmbTxtOut}), "0011") << "a flipped check box still greys";
    HDC dc = GetDC(Ctl(txtBinOut));
    EXPECT_EQ(SendMessageW(main, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(Ctl(txtBinOut))),
              LRESULT(GetSysColorBrush(COLOR_INACTIVEBORDER)));
    ReleaseDC(Ctl(txtBinOut), dc);
    Click(chkBinOut);
    EXPECT_EQ(On({txtBinOut, cmbBinOut}), "11");
    Click(cmbBinOut);
    EXPECT_EQ(Text(txtBinOut), L"E:\\chosen");
    SetText(txtExt, L"text");
    Click(cmbTxtAdd);
    EXPECT_EQ(calls_.back().text, L"Text XML Files (*.text)|*.text") << "read anew at every click";
}

TEST_F(Window, DroppedFoldersBringTheirMatchingFilesSortedFolderByFolder) {
    const std::wstring root = ScratchFolder(L"drop");
    for (const wchar_t* sub : {L"\\sub", L"\\Sub2", L"\\sub\\deep"}) CreateDirectoryW((root + sub).c_str(), nullptr);
    for (const wchar_t* file : {L"\\b.xml", L"\\a.xml", L"\\c.txt", L"\\sub\\z.xml", L"\\Sub2\\D.XML",
                                L"\\sub\\deep\\e.xml", L"\\sub\\notes.txt"})
        WriteBytes(root + file, "x");
    // A tree too deep to be read (past the 4,096 bytes of a Linux path), made and taken away by Linux itself.
    const std::wstring tooDeep = root + L"-too-deep", unix = tooDeep.substr(2);
    const auto linux = [&](const std::wstring& then) {
        std::wstring code = L"import os,shutil;shutil.rmtree(r'" + unix + L"',True)" + then;
        std::replace(code.begin(), code.end(), L'\\', L'/');
        ASSERT_TRUE(RunLinux(L"/usr/bin/python3 -c \\\"" + code + L"\\\""));
    };
    linux(L";os.makedirs(r'" + unix + L"/k');open(r'" + unix + L"/k/f.xml','w');os.chdir(r'" + unix +
          L"');[(os.mkdir('d'*200),os.chdir('d'*200)) for i in range(22)];os.chdir('/')");
    // A file is taken as it is.
    const std::wstring loose = L"C:\\" + std::wstring(300, L'x') + L"\u00E9.bin";
    form_->DropPaths(ui::Panel::Bin, {root, loose, tooDeep});
    ASSERT_TRUE(PumpUntil([&] { return !Lines(lstBin).empty(); }));
    linux(L"");
    EXPECT_EQ(Lines(lstBin), (Names{root + L"\\a.xml", root + L"\\b.xml", root + L"\\sub\\deep\\e.xml",
                                    root + L"\\sub\\z.xml", root + L"\\Sub2\\D.XML", loose, tooDeep + L"\\k\\f.xml"}));
    const Names said = Lines(lstStatus);
    ASSERT_EQ(said.size(), 1u) << "one folder not read, said once the drop is collected";
    EXPECT_TRUE(said[0].starts_with(L"Folder not read: " + tooDeep + L"\\" + std::wstring(200, L'd')) &&
                said[0].ends_with(L")") && said[0].find(L" (") != std::wstring::npos)
        << said[0];
    HDC dc = GetDC(Ctl(lstBin));
    SelectObject(dc, reinterpret_cast<HFONT>(Send(lstBin, WM_GETFONT)));
    SIZE widest{};
    GetTextExtentPoint32W(dc, loose.c_str(), static_cast<int>(loose.size()), &widest);
    ReleaseDC(Ctl(lstBin), dc);
    EXPECT_EQ(Send(lstBin, LB_GETHORIZONTALEXTENT), widest.cx + 6) << "a scroll bar reaches the end of the long path";

    // While a collection runs the cursor waits, and Esc cancels it: nothing is added.
    form_->DropPaths(ui::Panel::Txt, {root});
    const auto waiting = [&] {
        SendMessageW(main, WM_SETCURSOR, WPARAM(main), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor() == LoadCursorW(nullptr, IDC_WAIT);
    };
    EXPECT_TRUE(waiting());
    Input(lstBin, WM_KEYDOWN, VK_ESCAPE);
    Pump(form_.get());
    ASSERT_TRUE(PumpUntil([&] { return !waiting(); }));
    // A real WM_DROPFILES over the second panel goes to its queue, with its pattern.
    Drop(root, {100, 300});
    ASSERT_TRUE(PumpUntil([&] { return !Lines(lstTxt).empty(); }));
    EXPECT_EQ(Lines(lstTxt), (Names{root + L"\\c.txt", root + L"\\sub\\notes.txt"}));
    EXPECT_EQ(On({cmbTxtCon}), "1");
}

// A list's menu, from the keyboard: each Down goes to the next command; -1 is one Up, to the last.
void Window::Choose(int downs, ControlId list) {
    for (int i = 0; i < downs; ++i) PostMessageW(main, WM_KEYDOWN, VK_DOWN, 0);
    if (downs < 0) PostMessageW(main, WM_KEYDOWN, VK_UP, 0);
    PostMessageW(main, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(main, WM_CONTEXTMENU, WPARAM(Ctl(list)), MAKELPARAM(-1, -1));
}

std::wstring Clipboard() {
    if (!OpenClipboard(nullptr)) return L"<closed>";
    const HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const auto* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    std::wstring copy = text ? text : L"<empty>";
    if (text) GlobalUnlock(data);
    CloseClipboard();
    return copy;
}

TEST_F(Window, ARunningBatchTakesOnlyItsStopButtonItsKeysAndEscWhichStopAndThenEndTheConverterAndTabReachesTheLog) {
    const std::wstring data = Queued(L"data", L"a.xml\0a.xml\0a.xml"s, L"30000");
    Click(cmbBinCon);
    EXPECT_EQ(Text(cmbBinCon), L"Stop");
    ASSERT_TRUE(PumpUntil([&] { return LastLineIs(L"Processing a.xml...") && ConverterRuns(); }));
    // Awake, and a shutdown waits with the reason, until the batch is over; the tip says how far it is.
    EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, 0), FALSE);
    EXPECT_EQ(session_, L"awake [A conversion is running] ");
    EXPECT_EQ(Tip(), L"1 of 3 files");
    // Tab goes to the log, whose keys move in it and whose menu copies a line; Tab again, to the batch's button.
    for (const WPARAM key : {VK_TAB, VK_END, VK_UP, VK_TAB}) {
        if (GetFocus() == Ctl(lstStatus) && key == VK_TAB) Choose(1);  // the menu, as the menu key asks for it
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 0), PostMessageW(GetFocus(), WM_KEYUP, key, 3u << 30);
        Pump(form_.get());
    }
    EXPECT_TRUE(Clipboard() == L"Conversion from Binary XML to Text XML started..." && GetFocus() == Ctl(cmbBinCon));
    // Space is a Stop, however long it is held. None of the rest acts, now or after the batch: clicks, keys and
    // a drop elsewhere, Esc held down until it repeats, the second press of a double-click on the batch's button.
    Input(cmbBinCon, WM_KEYDOWN, VK_SPACE);
    PostMessageW(Ctl(cmbBinCon), WM_KEYDOWN, VK_SPACE, 1 << 30);
    Input(cmbBinCon, WM_KEYUP, VK_SPACE);
    Input(cmbBinAdd, WM_LBUTTONDOWN, MK_LBUTTON);
    Input(cmbBinAdd, WM_LBUTTONUP);
    Input(lstBin, WM_LBUTTONDOWN, MK_LBUTTON);
    Input(lstBin, WM_LBUTTONUP);
    Input(txtExt, WM_CHAR, 'x');
    Input(lstBin, WM_KEYDOWN, VK_DOWN);
    Drop(data, {100, 100});
    PostMessageW(Ctl(lstStatus), WM_KEYDOWN, VK_ESCAPE, 1 << 30);
    Input(cmbBinCon, WM_LBUTTONDBLCLK, MK_LBUTTON);
    Input(cmbBinCon, WM_LBUTTONUP);
    Pump(form_.get());
    EXPECT_EQ(Text(cmbBinCon), L"Stop now");
    EXPECT_TRUE(LastLineIs(L"Processing a.xml...")) << "one Stop: the converter still runs";
    Input(cmbBinCon, WM_KEYDOWN, VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return Text(cmbBinCon) == L"Convert!"; }));
    EXPECT_EQ(Lines(lstStatus), (Names{L"Conversion from Binary XML to Text XML started...",
                                       L"Processing a.xml... STOPPED (the converter was ended)", L"Conversion stopped",
                                       L"3 of 3 files were not converted"}));
    EXPECT_EQ(Send(pb, PBM_GETPOS), 0);
    EXPECT_EQ(calls_.size(), 1u) << "no dialog but the one that queued the files";
    EXPECT_EQ(Text(txtExt), L"txt");
    EXPECT_EQ(Send(lstBin, LB_GETCURSEL), LB_ERR);
    EXPECT_EQ(Lines(lstBin).size(), 3u);
    EXPECT_TRUE(GetFocus() == Ctl(cmbBinCon) && IsWindowEnabled(GetFocus())) << "where input is taken";
    EXPECT_EQ(session_, L"awake [A conversion is running] asleep [] ");
    EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_TRUE(Tip().starts_with(L"1 of 3 files in ")) << Tip();
}

// A reader who scrolled up keeps the place while lines come, the wheel over the log scrolls it from any focus;
// back at the end, it follows again. After a Stop, "Yes" to the close question is no second one: the window
// closes when the file is done. The system's own hold on sleep is taken and given back.
TEST_F(Window, TheLogKeepsTheReadersPlaceTheWheelScrollsItFromAnywhereAndYesAfterAStopLetsTheFileFinish) {
    answers_ = {L"yes"};
    const std::wstring data = Queued(L"reader", L"a.xml\0b.xml"s, L"1000");
    for (int i = 0; i < 30; ++i) Send(lstStatus, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"an earlier line"));
    Send(lstStatus, LB_SETTOPINDEX, 0);
    Click(cmbBinCon);
    ASSERT_TRUE(PumpUntil([&] { return LastLineIs(L"Processing a.xml...") && ConverterRuns(); }));
    EXPECT_EQ(Send(lstStatus, LB_GETTOPINDEX), 0);
    RECT log;
    const POINT over{(GetWindowRect(Ctl(lstStatus), &log), log.left + log.right) / 2, (log.top + log.bottom) / 2};
    SetFocus(Ctl(lstBin));
    MSG wheel{Ctl(lstBin), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(over.x, over.y), 0, over};
    if (!form_->PreTranslateMessage(wheel)) DispatchMessageW(&wheel);
    EXPECT_GT(Send(lstStatus, LB_GETTOPINDEX), 0) << "the wheel scrolled the log";
    Send(lstStatus, LB_SETTOPINDEX, Lines(lstStatus).size() - 1);
    ASSERT_TRUE(PumpUntil([&] { return LastLineIs(L"Processing b.xml...") && ConverterRuns(); }));
    EXPECT_EQ(Send(lstStatus, LB_GETTOPINDEX), static_cast<LRESULT>(Lines(lstStatus).size()) - 4) << "following";
    Click(cmbBinCon);
    SendMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(LastLineIs(L"Processing b.xml...")) << "the converter still runs";
    ASSERT_TRUE(PumpUntil([&] { return !form_->Handle(); }));
    EXPECT_EQ(ReadBytes(data + L"\\b.txt"), "x");
    EXPECT_NE(ReadBytes(tool_ + L"\\karvelxml.ini"), "<missing>");
    EXPECT_EQ(session_, L"awake [A conversion is running] asleep [] ");

    ui::SystemEnvironment().session.keepAwake(true);
    EXPECT_EQ(SetThreadExecutionState(ES_CONTINUOUS), ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    ui::SystemEnvironment().session.keepAwake(false);
    EXPECT_EQ(SetThreadExecutionState(ES_CONTINUOUS), ES_CONTINUOUS);
}

// The session's end saves the settings first, then waits 3 s at most for a batch caught in a probe that hangs.
TEST_F(Window, TheSessionsEndSavesTheSettingsFirstAndWaitsForTheBatchThreeSecondsAtMost) {
    Queued(L"session", L"a.xml");
    slowProbe_ = 4500;
    Click(cmbBinCon);
    WriteBytes(tool_ + L"\\sent", "");
    const double waited = bench::Time([&] { SendMessageW(main, WM_ENDSESSION, TRUE, 0); });
    EXPECT_TRUE(waited > 2.9 && waited < 4) << waited << " s";
    const auto written = [&](const wchar_t* name) { return conversion::StateOf(tool_ + name).lastWrite; };
    EXPECT_LT(written(L"\\karvelxml.ini") - written(L"\\sent"), 10'000'000u) << "within a second";
}

TEST_F(Window, SettingsAreReadFromOnePlaceAndWrittenToTheOther) {
    const std::wstring read = tool_ + L"\\shipped.ini", written = ScratchFolder(L"user") + L"\\Karvel\\karvelxml.ini";
    WriteBytes(read, " 1 \r\nD:\\a\r\nD:\\b\r\nxml\r\n");
    const auto other = ui::frmMain::Create(GetModuleHandleW(nullptr), Environment(read, written));
    ASSERT_NE(other, nullptr);
    SendMessageW(other->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadBytes(written), " 1 \r\nD:\\a\r\nD:\\b\r\nxml\r\n") << "its folder made when missing";
    EXPECT_EQ(ReadBytes(read), " 1 \r\nD:\\a\r\nD:\\b\r\nxml\r\n");
}

// Failures the system hardly ever has: a notice from the worker that never arrives, and no room for a
// worker at all (every free stretch of address space taken; a 64-bit one takes Wine many minutes to fill,
// so only the 32-bit run tries that).
TEST_F(Window, ABatchEndsInTheWindowsEyesWithoutItsNoticesAndOneWhoseWorkerCannotStartSaysWhy) {
    answers_ = {L"C:\\in\\a.xml"};
    Click(cmbBinAdd);
    Click(cmbBinCon);  // without a converter it ends at once
    for (const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
         std::chrono::steady_clock::now() < until;) {
        MSG lost;
        PeekMessageW(&lost, main, ui::WM_BATCH_PROGRESS, ui::WM_BATCH_PROGRESS, PM_REMOVE);
    }
    ASSERT_TRUE(PumpUntil([&] { return Text(cmbBinCon) == L"Convert!"; }));
    EXPECT_EQ(Lines(lstStatus).size(), 2u);
    EXPECT_EQ(session_, L"awake [A conversion is running] asleep [] ") << "given back however the batch ends";
    if (sizeof(void*) == 8) return;

    std::vector<void*> reserved;
    reserved.reserve(1 << 16);
    const auto release = [&] {
        for (void* stretch : reserved) VirtualFree(stretch, 0, MEM_RELEASE);
        reserved.clear();
    };
    for (SIZE_T size = SIZE_T(1) << 30; size >= 64 * 1024; size /= 2)
        for (void* stretch; reserved.size() < reserved.capacity() &&
                            (stretch = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS));)
            reserved.push_back(stretch);
    duringDialog_ = release;
    Click(cmbBinCon);
    release();
    ASSERT_EQ(calls_.size(), 2u);
    EXPECT_TRUE(calls_[1].text.starts_with(L"The conversion could not be started: ")) << calls_[1].text;
    EXPECT_EQ(Text(cmbBinCon), L"Convert!");
    Pump(form_.get());
    EXPECT_EQ(Lines(lstStatus).size(), 2u) << "no batch ran";
    EXPECT_EQ(session_, L"awake [A conversion is running] asleep [] awake [A conversion is running] asleep [] ");
}

// After a batch: the log keeps its last line in view; its menu copies a line or all, saves them, or shows a line's
// file in its folder, as a double-click or Enter does: the output once DONE, else the source, and a file that is
// gone says so. The queue's menu takes out what was converted; Delete in a queue is "Remove selected".
TEST_F(Window, AfterABatchTheLogAndTheQueueMenusCopySaveShowAndTakeOutTheConverted) {
    const std::wstring data = Queued(L"after", L"a.xml\0gone.xml\0b.xml\0gone2.xml"s);
    Click(cmbBinCon);
    ASSERT_TRUE(PumpUntil([&] { return Text(cmbBinCon) == L"Convert!"; }));
    const Names log = Lines(lstStatus);
    ASSERT_EQ(log.size() == 7 ? log[3] : L"", L"Processing b.xml... DONE");
    RECT last{}, client{};
    Send(lstStatus, LB_GETITEMRECT, log.size() - 1, reinterpret_cast<LPARAM>(&last));
    GetClientRect(Ctl(lstStatus), &client);
    EXPECT_TRUE(last.top >= 0 && last.bottom <= client.bottom) << "the last line is in view";
    std::vector<LRESULT> records;  // one per line of a file, a replaced line's in its place
    for (size_t i = 0; i < log.size(); ++i) records.push_back(Send(lstStatus, LB_GETITEMDATA, i));
    EXPECT_EQ(records, (std::vector<LRESULT>{0, 1, 2, 3, 4, 0, 0}));

    // What the shell (or the message box) was asked, from a thread of its own; a line of no file asks nothing.
    const auto shown = [&](int line, std::function<void()> how, bool asks = true) {
        Send(lstStatus, LB_SETCURSEL, line);
        calls_.clear();
        how();
        PumpUntil([&] { return !calls_.empty(); }, std::chrono::milliseconds(asks ? 10000 : 300));
        const std::lock_guard lock(callsMutex_);
        return calls_.empty() ? L"" : calls_[0].text + L"|" + calls_[0].initial;
    };
    const auto doubleClick = [&] {
        SendMessageW(main, WM_COMMAND, MAKEWPARAM(static_cast<int>(lstStatus), LBN_DBLCLK), LPARAM(Ctl(lstStatus)));
    };
    EXPECT_EQ(shown(1, doubleClick), data + L"|" + data + L"\\a.txt");
    EXPECT_EQ(shown(3, [&] { Input(lstStatus, WM_KEYDOWN, VK_RETURN); }), data + L"|" + data + L"\\b.txt");
    slowProbe_ = 2000;  // as a network drive that has gone answers
    const auto asked = std::chrono::steady_clock::now();
    const auto quickly = [&] {
        Choose(-1);
        EXPECT_LT(std::chrono::steady_clock::now() - asked, 500ms);
    };
    EXPECT_EQ(shown(2, quickly), L"The file " + data + L"\\gone.xml does not exist.|");
    slowProbe_ = 0;
    EXPECT_EQ(shown(0, doubleClick, false), L"") << "the start line tells of no file";
    const auto copy = [&] { Choose(1); };
    EXPECT_EQ(shown(1, copy, false), L"");
    EXPECT_EQ(Clipboard(), log[1]);
    Choose(2);
    EXPECT_EQ(Clipboard(), ui::ClipboardText(log));
    const std::wstring saved = data + L"\\log.txt", refused = tool_ + L"\\no such folder\\log.txt";
    answers_ = {saved, refused};
    Choose(3);
    EXPECT_EQ(ReadBytes(saved), ui::LogFileBytes(log));
    Choose(3);
    EXPECT_EQ(calls_.back().text, L"The log could not be saved to " + refused + L".");
    EXPECT_EQ(calls_.back().owner, main);
    EXPECT_EQ(Lines(lstStatus), log) << "nothing else changes";

    Choose(1, lstBin);  // Remove converted files
    EXPECT_EQ(Lines(lstBin), (Names{data + L"\\gone.xml", data + L"\\gone2.xml"}));
    Input(lstBin, WM_KEYDOWN, VK_DELETE);  // nothing selected: Remove selected is off
    Pump(form_.get());
    EXPECT_EQ(Lines(lstBin).size(), 2u);
    Send(lstBin, LB_SETCURSEL, 1);
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(static_cast<int>(lstBin), LBN_SELCHANGE), LPARAM(Ctl(lstBin)));
    Input(lstBin, WM_KEYDOWN, VK_DELETE);
    Pump(form_.get());
    EXPECT_EQ(Lines(lstBin), Names{data + L"\\gone.xml"});
    EXPECT_EQ(On({cmbBinRem}), "0");
    EXPECT_EQ(shown(-1, [&] { Send(lstBin, LB_SETCURSEL, 0), Choose(-1, lstBin); }),
              L"The file " + data + L"\\gone.xml does not exist.|");
    Click(cmbBinCle);
    EXPECT_EQ(Lines(lstBin), Names{});

    // Of 4,000 entries, the 2,000 converted are taken out at once: one at a time, each costs a redraw.
    std::wstring many = data;
    for (int i = 0; i < 4000; ++i) many += L'\0' + std::to_wstring(i) + L".xml";
    answers_ = {many};
    Click(cmbBinAdd);
    for (int i = 0; i < 4000; i += 2) Send(lstBin, LB_SETITEMDATA, i, 1);
    const auto removing = std::chrono::steady_clock::now();
    Choose(1, lstBin);
    EXPECT_LT(std::chrono::steady_clock::now() - removing, std::chrono::milliseconds(1500));
    EXPECT_EQ(Send(lstBin, LB_GETCOUNT), 2000);
    EXPECT_EQ(ui::ListBox(Ctl(lstBin)).At(1999), data + L"\\3999.xml");

    // A converter held by another program for the whole batch costs its two seconds once, not once a file.
    answers_ = {data + L"\0a.xml\0b.xml"s};
    Click(cmbBinCle), Click(cmbBinAdd);
    const std::wstring converter = tool_ + L"\\quillon.exe";
    const win::unique_file held(CreateFileW(converter.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    const auto started = std::chrono::steady_clock::now();
    Click(cmbBinCon);
    ASSERT_TRUE(
        PumpUntil([&] { return Text(cmbBinCon) == L"Convert!" && LastLineIs(L"2 of 2 files were not converted"); }));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3500ms) << Lines(lstStatus).back();
}

}  // namespace
