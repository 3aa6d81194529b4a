// The real main window in this process, its dialogs replaced: controls, keyboard, colours, queues, settings.
// What only the built program can show (the real dialogs, batches, a restart) is an end-to-end test.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <functional>
#include <utility>

#include "common/win_handles.h"
#include "support/files.h"
#include "ui/frmMain.h"
#include "ui/list_box.h"

using namespace test_support;
using namespace std::string_literals;
using ui::ControlId;
using ui::Kind;
using enum ui::ControlId;
using Names = std::vector<std::wstring>;

namespace {

// Handles what is queued, as the program's own loop would.
void Pump(HWND window) {
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
        if (msg.message == WM_QUIT || (window && IsWindow(window) && IsDialogMessageW(window, &msg))) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class Window : public testing::Test {
protected:
    struct Call { HWND owner; std::wstring text, initial; };  // text: the filter or the title

    // The settings file lives in tool_, a fresh folder per test.
    void SetUp() override {
        const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        tool_ = ScratchFolder(L"tool-" + std::wstring(name.begin(), name.end()));
        ini_ = tool_ + L"\\karvelxml.ini";
    }
    void TearDown() override {
        form_.reset();
        Pump(nullptr);
    }
    void Open() {
        ui::Dialogs dialogs{
            [this](HWND owner, const std::wstring& filter) { return Answer(opens_, {owner, filter, L""}); },
            [this](HWND owner, const std::wstring& title, const std::wstring& initial) {
                return Answer(folders_, {owner, title, initial});
            }};
        form_ = ui::frmMain::Create(GetModuleHandleW(nullptr), ui::Environment{tool_, dialogs});
        ASSERT_NE(form_, nullptr);
        main_ = form_->Handle();
        ShowWindow(main_, SW_SHOW);
        SetForegroundWindow(main_);
        Pump(main_);
    }
    std::wstring Answer(std::deque<std::wstring>& results, Call call) {
        calls_.push_back(std::move(call));
        if (duringDialog_) duringDialog_();
        if (results.empty()) return L"";
        std::wstring result = std::move(results.front());
        results.pop_front();
        return result;
    }
    void Close() {
        SendMessageW(main_, WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(main_)) << "closing is refused only while busy";
    }

    HWND Ctl(ControlId id) const { return GetDlgItem(main_, static_cast<int>(id)); }
    LRESULT Send(ControlId id, UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageW(Ctl(id), msg, wp, lp); }
    void Click(ControlId id) { Send(id, BM_CLICK); }
    void SetText(ControlId id, const std::wstring& text) { SetWindowTextW(Ctl(id), text.c_str()); }
    std::wstring Text(ControlId id) const {
        std::wstring text(1024, L'\0');
        return text.substr(0, GetWindowTextW(Ctl(id), text.data(), 1024));
    }
    Names Lines(ControlId list) const { return ui::ListBox(Ctl(list)).All(); }
    // "1" for each enabled control, "0" for each disabled one.
    std::string On(std::initializer_list<ControlId> ids) const {
        std::string states;
        for (ControlId id : ids) states += IsWindowEnabled(Ctl(id)) ? '1' : '0';
        return states;
    }

    std::wstring tool_, ini_;
    std::unique_ptr<ui::frmMain> form_;
    HWND main_ = nullptr;
    std::deque<std::wstring> opens_, folders_;  // what the open-file and folder dialogs answer, in turn
    std::vector<Call> calls_;                   // both dialogs, in order
    std::function<void()> duringDialog_;        // runs while a dialog is "open"
};

TEST_F(Window, EveryControlHasItsKindTextPlaceSizeStateAndFontInAFixedWindow) {
    Open();
    RECT client;
    GetClientRect(main_, &client);
    EXPECT_EQ((std::array{client.right, client.bottom}), (std::array<LONG, 2>{ui::ClientWidth, ui::ClientHeight}));
    EXPECT_FALSE(GetWindowLongW(main_, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX)) << "a fixed border";
    for (WPARAM size : {ICON_BIG, ICON_SMALL}) EXPECT_NE(SendMessageW(main_, WM_GETICON, size, 0), 0) << "its icon";

    const auto font = reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT));
    const wchar_t* classes[] = {L"Button", L"ListBox", L"Static", L"Edit", L"Button", L"Button", L"msctls_progress32"};
    for (const auto& desc : ui::Controls()) {
        SCOPED_TRACE(testing::Message() << desc.name);
        HWND control = Ctl(desc.id);
        if (desc.kind == Kind::OpenFileDialog) continue;  // no window of its own
        ASSERT_NE(control, nullptr);
        wchar_t name[64] = {};
        GetClassNameW(control, name, 64);
        EXPECT_EQ(_wcsicmp(name, classes[static_cast<int>(desc.kind)]), 0) << name;
        EXPECT_EQ(Text(desc.id), desc.text);
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, main_, reinterpret_cast<POINT*>(&r), 2);
        const ui::Point at = ui::ClientPosition(desc);
        EXPECT_EQ((std::array{r.left, r.top, r.right - r.left, r.bottom - r.top}),
                  (std::array<LONG, 4>{at.x, at.y, desc.width, desc.height}));
        EXPECT_EQ(IsWindowEnabled(control) != FALSE, desc.enabled);
        EXPECT_TRUE(GetParent(control) == main_ && IsWindowVisible(control));
        EXPECT_EQ(SendMessageW(control, WM_GETFONT, 0, 0), font) << "else it draws in the bold System font";
        const HWND below = GetWindow(control, GW_HWNDNEXT);
        const bool frameBelow = below && Description(ControlId(GetDlgCtrlID(below))).kind == Kind::Frame;
        EXPECT_TRUE(desc.kind != Kind::Frame || !below || frameBelow)
            << "a frame draws only a border, beneath every control";
    }
    for (auto [list, rows] : {std::pair{lstBin, 7}, {lstTxt, 7}, {lstStatus, 4}}) {
        GetClientRect(Ctl(list), &client);
        EXPECT_EQ(Send(list, LB_GETITEMHEIGHT), 13) << "the layout is made for 13-pixel rows";
        EXPECT_EQ(client.bottom, rows * 13) << "whole rows only";
    }
}

TEST_F(Window, TabWalksTheEnabledControlsInOrderAndEnterEscapeOrAnythingUnderADialogDoNothing) {
    Open();
    auto walk = [&] {
        SetFocus(Ctl(lstBin));
        Names names;
        do {
            names.push_back(ui::Description(static_cast<ControlId>(GetDlgCtrlID(GetFocus()))).name);
            MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
            IsDialogMessageW(main_, &tab);
        } while (GetFocus() != Ctl(lstBin) && names.size() < 30);
        return names;
    };
    EXPECT_EQ(walk(), (Names{L"lstBin", L"cmbBinAdd", L"txtBinOut", L"cmbBinOut", L"cmbTxtOut", L"txtTxtOut",
                             L"cmbTxtAdd", L"lstTxt", L"lstStatus", L"chkBinOut", L"txtExt", L"cmbBinCle",
                             L"cmbTxtCle"}));
    opens_ = {L"C:\\in\\a.xml", L"C:\\in\\b.xml"};
    Click(cmbBinAdd);
    Click(cmbTxtAdd);
    Send(lstBin, WM_KEYDOWN, VK_DOWN);
    EXPECT_EQ(walk(), (Names{L"lstBin", L"cmbBinAdd", L"cmbBinRem", L"cmbBinCon", L"txtBinOut", L"cmbBinOut",
                             L"cmbTxtOut", L"txtTxtOut", L"cmbTxtCon", L"cmbTxtAdd", L"lstTxt", L"lstStatus",
                             L"chkBinOut", L"txtExt", L"cmbBinCle", L"cmbTxtCle"}))
        << "enabled buttons take their places";

    for (ControlId where : {txtExt, txtBinOut, lstBin, cmbBinCon})
        for (WPARAM key : {VK_RETURN, VK_ESCAPE})
            for (UINT message : {WM_KEYDOWN, WM_KEYUP}) {
                SetFocus(Ctl(where));
                MSG msg{GetFocus(), message, key, 0, 0, {}};
                if (!IsDialogMessageW(main_, &msg)) DispatchMessageW(&msg);
                Pump(main_);
            }
    EXPECT_EQ(calls_.size(), 2u) << "no dialog";
    EXPECT_EQ(Lines(lstBin).size(), 1u);

    bool inside = false;
    duringDialog_ = [&] {
        if (std::exchange(inside, true)) return;  // a second dialog underneath
        SendMessageW(main_, WM_CLOSE, 0, 0);
        SendMessageW(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
        for (ControlId button : {cmbBinCon, cmbTxtAdd, cmbBinOut, chkBinOut}) Click(button);
    };
    Click(cmbBinAdd);
    EXPECT_EQ(calls_.size(), 3u) << "no second dialog opens";
    ASSERT_TRUE(IsWindow(main_));
    EXPECT_TRUE(Lines(lstStatus).empty()) << "no batch started";
    EXPECT_EQ(Send(chkBinOut, BM_GETCHECK), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(Ctl(txtBinOut))) << "a flipped check box still greys its folder box";
    duringDialog_ = nullptr;
    Close();
}

TEST_F(Window, OnlyTheFrameCaptionsAreDarkRed) {
    Open();
    SetText(txtBinOut, L"D:\\Out");
    RedrawWindow(main_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(main_);
    HDC screen = GetDC(main_);
    win::unique_dc memory(CreateCompatibleDC(screen));
    win::unique_gdi bitmap(CreateCompatibleBitmap(screen, ui::ClientWidth, ui::ClientHeight));
    const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, ui::ClientWidth, ui::ClientHeight, screen, 0, 0, SRCCOPY);
    int red[2] = {};  // outside, inside the caption strips at the frames' top left
    for (int y = 0; y < ui::ClientHeight; ++y)
        for (int x = 0; x < ui::ClientWidth; ++x) {
            bool caption = false;
            for (int top : {4, 220, 436}) caption |= y >= top - 2 && y < top + 16 && x >= 8 && x < 260;
            const COLORREF c = GetPixel(memory.get(), x, y);
            if (GetRValue(c) > 120 && GetGValue(c) < 60 && GetBValue(c) < 60) ++red[caption];
        }
    SelectObject(memory.get(), old);
    ReleaseDC(main_, screen);
    EXPECT_GT(red[1], 100) << "frame captions are drawn in dark red";
    EXPECT_EQ(red[0], 0);
}

TEST_F(Window, AddRemoveAndClearFollowTheDialogAndTheSelection) {
    Open();
    opens_ = {L"C:\\in\0a.xml\0b.xml"s, L"", L"C:\\\0r.xml"s, L"C:\\in\\a.xml"};
    Click(cmbBinAdd);
    ASSERT_EQ(calls_.size(), 1u);
    EXPECT_EQ(calls_[0].owner, main_) << "the dialog is modal to the window";
    EXPECT_EQ(calls_[0].text, L"Binary XML Files (*.xml)|*.xml");
    EXPECT_EQ(On({cmbBinRem, cmbBinCon, cmbTxtCon}), "010");
    for (int i = 0; i < 3; ++i) Click(cmbBinAdd);  // a cancel, a drive root, one file
    EXPECT_EQ(Lines(lstBin), (Names{L"C:\\in\\a.xml", L"C:\\in\\b.xml", L"C:\\\\r.xml", L"C:\\in\\a.xml"}));
    for (auto [extension, filter] :
         {std::pair{L"", L"Text XML Files (*.)|*."}, {L"text", L"Text XML Files (*.text)|*.text"}}) {
        SetText(txtExt, extension);
        Click(cmbTxtAdd);  // cancelled
        EXPECT_EQ(calls_.back().text, filter);
    }
    EXPECT_TRUE(Lines(lstTxt).empty());
    EXPECT_EQ(On({cmbTxtCon}), "0") << "a cancel on an empty queue enables nothing";

    SetFocus(Ctl(lstBin));
    Send(lstBin, WM_KEYDOWN, VK_DOWN);  // the keyboard selects the first entry
    EXPECT_EQ(On({cmbBinRem}), "1");
    Click(cmbBinRem);
    EXPECT_EQ(Lines(lstBin), (Names{L"C:\\in\\b.xml", L"C:\\\\r.xml", L"C:\\in\\a.xml"}));
    EXPECT_EQ(On({cmbBinRem, cmbBinCon}), "01") << "nothing is selected after a removal";
    Send(lstBin, WM_KEYDOWN, VK_DOWN);
    Click(cmbBinCle);
    EXPECT_TRUE(Lines(lstBin).empty());
    EXPECT_EQ(On({cmbBinRem, cmbBinCon}), "11") << "clearing leaves the buttons as they were";
    Click(cmbBinRem);
    EXPECT_EQ(On({cmbBinRem, cmbBinCon}), "10");
}

TEST_F(Window, QueuesTakeLongEntriesAndMoreThan32767OfThem) {
    Open();
    std::wstring many = L"C:\\in";
    for (int i = 0; i < 40000; ++i) many += L'\0' + std::to_wstring(i) + L".xml";
    const std::wstring longPath = L"C:\\" + std::wstring(300, L'x') + L".xml";
    opens_ = {many, longPath};
    Click(cmbTxtAdd);
    Click(cmbBinAdd);
    EXPECT_EQ(Send(lstTxt, LB_GETCOUNT), 40000);
    EXPECT_EQ(Lines(lstTxt).back(), L"C:\\in\\39999.xml");
    EXPECT_EQ(Lines(lstBin), Names{longPath});
    EXPECT_GT(Send(lstBin, LB_GETHORIZONTALEXTENT), 505);
    EXPECT_TRUE(GetWindowLongW(Ctl(lstBin), GWL_STYLE) & WS_HSCROLL) << "a scroll bar reaches the end";
    Click(cmbBinCle);
    EXPECT_EQ(Send(lstBin, LB_GETHORIZONTALEXTENT), 0);
}

TEST_F(Window, DroppedFoldersBringTheirMatchingFilesSortedFolderByFolder) {
    const std::wstring root = ScratchFolder(L"drop");
    for (const wchar_t* sub : {L"\\sub", L"\\Sub2", L"\\sub\\deep"}) CreateDirectoryW((root + sub).c_str(), nullptr);
    for (const wchar_t* file : {L"\\b.xml", L"\\a.xml", L"\\c.txt", L"\\sub\\z.xml", L"\\Sub2\\D.XML",
                                L"\\sub\\deep\\e.xml", L"\\sub\\notes.txt"})
        WriteBytes(root + file, "x");
    Open();
    form_->DropPaths(ui::Panel::Bin, {root, L"C:\\loose\\file.bin"});
    EXPECT_EQ(Lines(lstBin), (Names{root + L"\\a.xml", root + L"\\b.xml", root + L"\\sub\\deep\\e.xml",
                                    root + L"\\sub\\z.xml", root + L"\\Sub2\\D.XML", L"C:\\loose\\file.bin"}));

    // A real WM_DROPFILES over the second panel goes to its queue, with its pattern.
    const std::wstring names = root + L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    *drop = {sizeof(DROPFILES), {100, 300}, FALSE, TRUE};
    memcpy(drop + 1, names.c_str(), names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    SendMessageW(main_, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(Lines(lstTxt), (Names{root + L"\\c.txt", root + L"\\sub\\notes.txt"}));
    EXPECT_EQ(On({cmbTxtCon}), "1");
}

TEST_F(Window, OutputFolderButtonsChooseOrKeepAndTheSwitchGreysTheFolderControls) {
    Open();
    SetText(txtTxtOut, L"D:\\kept");
    folders_ = {L"", L"E:\\chosen"};
    Click(cmbTxtOut);
    ASSERT_EQ(calls_.size(), 1u);
    EXPECT_EQ(calls_[0].owner, main_) << "the folder dialog is modal to the window";
    EXPECT_EQ(calls_[0].text, L"Select output folder");
    EXPECT_EQ(calls_[0].initial, L"D:\\kept");
    Click(cmbBinOut);
    EXPECT_EQ(Text(txtTxtOut), L"D:\\kept") << "a cancel keeps the box";
    EXPECT_EQ(Text(txtBinOut), L"E:\\chosen");

    Click(chkBinOut);
    EXPECT_EQ(On({txtBinOut, cmbBinOut, txtTxtOut, cmbTxtOut}), "0011");
    HDC dc = GetDC(Ctl(txtBinOut));
    const LRESULT brush = SendMessageW(main_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(Ctl(txtBinOut)));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_INACTIVEBORDER)));
    EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_INACTIVEBORDER));
    ReleaseDC(Ctl(txtBinOut), dc);
    Click(chkBinOut);
    EXPECT_EQ(On({txtBinOut, cmbBinOut, txtTxtOut, cmbTxtOut}), "1111");
    EXPECT_EQ(Text(txtBinOut), L"E:\\chosen");
}

TEST_F(Window, BatchesOverAnEmptyQueueWithoutAConverterKeepTheLastLogLineInView) {
    Open();
    opens_ = {L"C:\\in\\a.xml"};
    Click(cmbBinAdd);
    Click(cmbBinCle);  // "Convert!" stays on over an empty queue
    Names expected;
    for (int run = 0; run < 3; ++run) {
        Click(cmbBinCon);
        expected.push_back(L"Conversion from Binary XML to Text XML started...");
        expected.push_back(L"Converter not found: " + tool_ + L"\\quillon.exe");
    }
    EXPECT_EQ(Lines(lstStatus), expected);
    EXPECT_EQ(Send(pb, PBM_GETRANGE, FALSE), 0) << "a range for no files";
    RECT last{}, client{};
    Send(lstStatus, LB_GETITEMRECT, expected.size() - 1, reinterpret_cast<LPARAM>(&last));
    GetClientRect(Ctl(lstStatus), &client);
    EXPECT_TRUE(last.top >= 0 && last.bottom <= client.bottom) << "the last line is in view";
}

TEST_F(Window, SettingsLoadAndSaveInTheCodePageOrUtf8AndAFirstLineOtherThanOneIsUnchecked) {
    const std::wstring wide = L"D:\\\u65E5\u672C\\\u0436\u0443\u0440\u043D\u0430\u043B";
    const struct { const char* first; std::string mark, bytes; std::wstring folder; } cases[] = {
        {" 2 ", "", "", L""},
        {"yes", "", "D:\\Caf\xE9 \x80", L"D:\\Caf\u00E9 \u20AC"},  // in code page 1252
        {"", "\xEF\xBB\xBF", Utf8(wide), wide},
        {" -1 ", "", "E:\\y", L"E:\\y"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        if (c.folder.find(L'\u20AC') != std::wstring::npos && GetACP() != 1252) continue;
        WriteBytes(ini_, c.mark + c.first + "\r\nD:\\x\r\n" + c.bytes + "\r\ntxt\r\n");
        Open();
        EXPECT_EQ(Send(chkBinOut, BM_GETCHECK), BST_UNCHECKED);
        EXPECT_EQ(On({txtBinOut, cmbBinOut}), "11");
        EXPECT_EQ(Text(txtTxtOut), c.folder);
        Close();
        EXPECT_EQ(ReadBytes(ini_), c.mark + " 0 \r\nD:\\x\r\n" + c.bytes + "\r\ntxt\r\n") << "the whole file, replaced";
    }
    EXPECT_EQ(NamesIn(tool_), Names{L"karvelxml.ini"});
}

TEST_F(Window, ASettingsFileThatCannotBeReplacedKeepsItsBytes) {
    const std::string old = " 0 \r\nD:\\old\r\nE:\\old\r\nold\r\n";
    for (bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly ? "read-only" : "held open without sharing");
        WriteBytes(ini_, old);
        if (readOnly) SetFileAttributesW(ini_.c_str(), FILE_ATTRIBUTE_READONLY);
        Open();
        win::unique_file lock;
        if (!readOnly) lock.reset(CreateFileW(ini_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        SetText(txtExt, L"new");
        Close();
        lock.reset();
        SetFileAttributesW(ini_.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(ReadBytes(ini_), old);
        EXPECT_EQ(NamesIn(tool_), Names{L"karvelxml.ini"}) << "no temporary file is left behind";
    }
}

}  // namespace
