// The real window: its controls, keyboard walk, colours and queue handlers.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "test_paths.h"
#include "ui_window_fixture.h"

using namespace ui;
using namespace testing_ui;
using namespace std::string_literals;

namespace {

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

const wchar_t* ClassFor(Kind kind) {
    switch (kind) {
        case Kind::Frame: case Kind::Button: case Kind::CheckBox: return L"Button";
        case Kind::ListBox: return L"ListBox";
        case Kind::Label: return L"Static";
        case Kind::TextBox: return L"Edit";
        case Kind::ProgressBar: return L"msctls_progress32";
        default: return L"";
    }
}

class Window : public WindowTest {};

}  // namespace

TEST_F(Window, EveryControlHasItsKindTextPlaceSizeAndStateInAFixedWindow) {
    Open();
    RECT client;
    GetClientRect(Main(), &client);
    EXPECT_EQ(client.right, ClientWidth);
    EXPECT_EQ(client.bottom, ClientHeight);
    wchar_t caption[64] = {};
    GetWindowTextW(Main(), caption, 64);
    EXPECT_STREQ(caption, L"Karvel Quillon Front-end");
    EXPECT_EQ(GetMenu(Main()), nullptr);
    EXPECT_NE(SendMessageW(Main(), WM_GETICON, ICON_BIG, 0), 0) << "the window shows the program's icon";
    EXPECT_NE(SendMessageW(Main(), WM_GETICON, ICON_SMALL, 0), 0);

    const auto font = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    int windows = 0;
    for (const auto& desc : Controls()) {
        SCOPED_TRACE(testing::Message() << desc.name);
        HWND control = Ctl(desc.id);
        if (desc.kind == Kind::OpenFileDialog) {
            EXPECT_EQ(control, nullptr) << "the dialog control has no window";
            continue;
        }
        ASSERT_NE(control, nullptr);
        ++windows;
        EXPECT_EQ(GetParent(control), Main());
        EXPECT_EQ(_wcsicmp(ClassOf(control).c_str(), ClassFor(desc.kind)), 0) << ClassOf(control);
        if (desc.kind != Kind::ListBox && desc.kind != Kind::ProgressBar) {
            EXPECT_EQ(Text(desc.id), desc.text);
        }
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, Main(), reinterpret_cast<POINT*>(&r), 2);
        const Point at = ClientPosition(desc);
        EXPECT_EQ(r.left, at.x);
        EXPECT_EQ(r.top, at.y);
        EXPECT_EQ(r.right - r.left, desc.width);
        EXPECT_EQ(r.bottom - r.top, desc.height);
        EXPECT_EQ(IsWindowEnabled(control) != FALSE, desc.enabled);
        EXPECT_TRUE(IsWindowVisible(control));
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), font)
            << "without the dialog font a control draws in the bold System font";
    }
    EXPECT_EQ(windows, 24);
    EXPECT_EQ(SendMessageW(Ctl(ControlId::chkBinOut), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(Ctl(ControlId::pb), PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageW(Ctl(ControlId::pb), PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_EQ(SendMessageW(Ctl(ControlId::pb), PBM_GETPOS, 0, 0), 0);

    const LONG style = GetWindowLongW(Main(), GWL_STYLE);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX)) << "the border must not be draggable";
    for (auto [list, rows] : {std::pair{ControlId::lstBin, 7}, {ControlId::lstTxt, 7}, {ControlId::lstStatus, 4}}) {
        EXPECT_FALSE(GetWindowLongW(Ctl(list), GWL_STYLE) & (LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
        RECT r;
        GetClientRect(Ctl(list), &r);
        const auto row = static_cast<int>(SendMessageW(Ctl(list), LB_GETITEMHEIGHT, 0, 0));
        EXPECT_EQ(row, 13) << "the layout is made for 13-pixel rows";
        EXPECT_EQ(r.bottom, rows * row) << "whole rows only";
    }
}

TEST_F(Window, TabWalksTheControlsInOrderSkippingDisabledOnes) {
    Open();
    auto walk = [&] {
        SetFocus(Ctl(ControlId::lstBin));
        std::vector<std::wstring> names;
        for (int i = 0; i < 20; ++i) {
            const int id = GetDlgCtrlID(GetFocus());
            names.push_back(Description(static_cast<ControlId>(id)).name);
            MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
            IsDialogMessageW(Main(), &tab);
            if (GetFocus() == Ctl(ControlId::lstBin)) break;
        }
        return names;
    };
    EXPECT_EQ(walk(), (std::vector<std::wstring>{L"lstBin", L"cmbBinAdd", L"txtBinOut", L"cmbBinOut", L"cmbTxtOut",
                                                 L"txtTxtOut", L"cmbTxtAdd", L"lstTxt", L"lstStatus", L"chkBinOut",
                                                 L"txtExt", L"cmbBinCle", L"cmbTxtCle"}));

    // Enabled buttons take their places by index.
    openResults_ = {L"C:\\in\\a.xml", L"C:\\in\\b.xml"};
    Click(ControlId::cmbBinAdd);
    Click(ControlId::cmbTxtAdd);
    SendMessageW(Ctl(ControlId::lstBin), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(walk(), (std::vector<std::wstring>{L"lstBin", L"cmbBinAdd", L"cmbBinRem", L"cmbBinCon", L"txtBinOut",
                                                 L"cmbBinOut", L"cmbTxtOut", L"txtTxtOut", L"cmbTxtCon", L"cmbTxtAdd",
                                                 L"lstTxt", L"lstStatus", L"chkBinOut", L"txtExt", L"cmbBinCle",
                                                 L"cmbTxtCle"}));
}

TEST_F(Window, EnterAndEscapeMeanNothingWindowWide) {
    Open();
    openResults_ = {L"C:\\in\\a.xml"};
    Click(ControlId::cmbBinAdd);
    const size_t dialogs = openCalls_.size();
    for (ControlId where : {ControlId::txtExt, ControlId::txtBinOut, ControlId::lstBin, ControlId::cmbBinCon}) {
        SetFocus(Ctl(where));
        for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
            MSG down{GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
            if (!IsDialogMessageW(Main(), &down)) DispatchMessageW(&down);
            MSG up{GetFocus(), WM_KEYUP, key, 0, 0, {}};
            if (!IsDialogMessageW(Main(), &up)) DispatchMessageW(&up);
            Pump(Main());
        }
    }
    EXPECT_TRUE(IsWindow(Main()));
    EXPECT_EQ(openCalls_.size(), dialogs);
    EXPECT_TRUE(Lines(ControlId::lstStatus).empty()) << "no batch ran";
    EXPECT_EQ(Lines(ControlId::lstBin).size(), 1u);
}

TEST_F(Window, OnlyTheFrameCaptionsAreDarkRed) {
    Open();
    SetWindowTextW(Ctl(ControlId::txtBinOut), L"D:\\Out");
    RedrawWindow(Main(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(Main());

    HDC screen = GetDC(Main());
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, ClientWidth, ClientHeight);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, ClientWidth, ClientHeight, screen, 0, 0, SRCCOPY);
    auto reddish = [](COLORREF c) { return GetRValue(c) > 120 && GetGValue(c) < 60 && GetBValue(c) < 60; };
    // Caption strips of the three frames: their top edge, left part.
    auto inCaption = [](int x, int y) {
        for (int top : {4, 220, 436})
            if (y >= top - 2 && y < top + 16 && x >= 8 && x < 260) return true;
        return false;
    };
    int redInCaptions = 0, redElsewhere = 0;
    for (int y = 0; y < ClientHeight; ++y)
        for (int x = 0; x < ClientWidth; ++x)
            if (reddish(GetPixel(memory, x, y))) ++(inCaption(x, y) ? redInCaptions : redElsewhere);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(Main(), screen);
    EXPECT_GT(redInCaptions, 100) << "frame captions are drawn in dark red";
    EXPECT_EQ(redElsewhere, 0);
}

TEST_F(Window, AddFilesAppendsWhatTheDialogReturns) {
    Open();
    openResults_ = {L"C:\\in\0a.xml\0b.xml\0c.xml"s, L"", L"C:\\\0r.xml"s, L"C:\\in\\a.xml"};
    Click(ControlId::cmbBinAdd);
    ASSERT_EQ(openCalls_.size(), 1u);
    EXPECT_EQ(openCalls_[0].owner, Main()) << "the dialog is modal to the window";
    EXPECT_EQ(openCalls_[0].filter, L"Binary XML Files (*.xml)|*.xml");
    EXPECT_TRUE(Enabled(ControlId::cmbBinCon));
    EXPECT_FALSE(Enabled(ControlId::cmbBinRem));
    Click(ControlId::cmbBinAdd);  // cancelled
    Click(ControlId::cmbBinAdd);
    Click(ControlId::cmbBinAdd);
    EXPECT_EQ(Lines(ControlId::lstBin), (std::vector<std::wstring>{L"C:\\in\\a.xml", L"C:\\in\\b.xml", L"C:\\in\\c.xml",
                                                                   L"C:\\\\r.xml", L"C:\\in\\a.xml"}));
    EXPECT_TRUE(Lines(ControlId::lstTxt).empty()) << "the other queue is untouched";
    EXPECT_FALSE(Enabled(ControlId::cmbTxtCon));

    SetWindowTextW(Ctl(ControlId::txtExt), L"");
    Click(ControlId::cmbTxtAdd);
    EXPECT_EQ(openCalls_.back().filter, L"Text XML Files (*.)|*.");
    EXPECT_FALSE(Enabled(ControlId::cmbTxtCon)) << "a cancel on an empty queue enables nothing";
    SetWindowTextW(Ctl(ControlId::txtExt), L"text");
    Click(ControlId::cmbTxtAdd);
    EXPECT_EQ(openCalls_.back().filter, L"Text XML Files (*.text)|*.text");
}

TEST_F(Window, SelectRemoveAndClearFollowTheQueue) {
    Open();
    openResults_ = {L"D:\\q\0one.xml\0two.xml"s};
    Click(ControlId::cmbTxtAdd);
    HWND list = Ctl(ControlId::lstTxt);
    SetFocus(list);
    SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);  // the keyboard selects the first entry
    EXPECT_TRUE(Enabled(ControlId::cmbTxtRem));
    Click(ControlId::cmbTxtRem);
    EXPECT_EQ(Lines(ControlId::lstTxt), std::vector<std::wstring>{L"D:\\q\\two.xml"});
    EXPECT_FALSE(Enabled(ControlId::cmbTxtRem)) << "no entry is selected after a removal";
    EXPECT_TRUE(Enabled(ControlId::cmbTxtCon));

    SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    Click(ControlId::cmbTxtCle);
    EXPECT_TRUE(Lines(ControlId::lstTxt).empty());
    EXPECT_TRUE(Enabled(ControlId::cmbTxtRem)) << "clear list leaves the buttons as they were";
    EXPECT_TRUE(Enabled(ControlId::cmbTxtCon));
    Click(ControlId::cmbTxtRem);
    EXPECT_TRUE(Enabled(ControlId::cmbTxtRem));
    EXPECT_FALSE(Enabled(ControlId::cmbTxtCon));
}

TEST_F(Window, QueuesTakeLongEntriesAndMoreThan32767OfThem) {
    Open();
    std::wstring many = L"C:\\in";
    for (int i = 0; i < 40000; ++i) many += L'\0' + std::to_wstring(i) + L".xml";
    openResults_ = {many};
    Click(ControlId::cmbTxtAdd);
    EXPECT_EQ(SendMessageW(Ctl(ControlId::lstTxt), LB_GETCOUNT, 0, 0), 40000);
    EXPECT_EQ(Lines(ControlId::lstTxt).back(), L"C:\\in\\39999.xml");

    const std::wstring longPath = L"C:\\" + std::wstring(300, L'x') + L".xml";
    openResults_ = {longPath};
    Click(ControlId::cmbBinAdd);
    HWND list = Ctl(ControlId::lstBin);
    EXPECT_GT(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), 505);
    EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL);
    EXPECT_EQ(Lines(ControlId::lstBin), std::vector<std::wstring>{longPath});
    Click(ControlId::cmbBinCle);
    EXPECT_EQ(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), 0);
}

TEST_F(Window, NothingStartsOrClosesWhileADialogIsOpen) {
    Open();
    openResults_ = {L"C:\\in\\a.xml"};
    Click(ControlId::cmbBinAdd);
    int nested = 0;
    duringDialog_ = [&] {
        ++nested;
        if (nested > 1) return;
        SendMessageW(Main(), WM_CLOSE, 0, 0);
        SendMessageW(Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
        Click(ControlId::cmbBinCon);
        Click(ControlId::cmbTxtAdd);
        Click(ControlId::cmbBinOut);
    };
    Click(ControlId::cmbBinAdd);
    EXPECT_EQ(nested, 1) << "no second dialog opens underneath";
    EXPECT_TRUE(IsWindow(Main()));
    EXPECT_TRUE(Lines(ControlId::lstStatus).empty()) << "no batch started";
    duringDialog_ = nullptr;
    SendMessageW(Main(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(Main())) << "closing works again afterwards";
}

TEST_F(Window, DroppedFoldersBringTheirMatchingFilesSortedByPath) {
    const std::wstring root = ScratchFolder(L"drop");
    for (const wchar_t* sub : {L"\\sub", L"\\Sub2", L"\\sub\\deep"}) CreateDirectoryW((root + sub).c_str(), nullptr);
    for (const wchar_t* file : {L"\\b.xml", L"\\a.xml", L"\\c.txt", L"\\sub\\z.xml", L"\\Sub2\\D.XML",
                                L"\\sub\\deep\\e.xml", L"\\sub\\notes.txt"})
        WriteBytes(root + file, "x");
    Open();
    form_->DropPaths(Panel::Bin, {root, L"C:\\loose\\file.bin"});
    EXPECT_EQ(Lines(ControlId::lstBin),
              (std::vector<std::wstring>{root + L"\\a.xml", root + L"\\b.xml", root + L"\\sub\\deep\\e.xml",
                                         root + L"\\sub\\z.xml", root + L"\\Sub2\\D.XML", L"C:\\loose\\file.bin"}))
        << "sorted folder by folder, as a file manager lists them";
    EXPECT_TRUE(Enabled(ControlId::cmbBinCon));

    // A real WM_DROPFILES over the second panel goes to its queue, with its pattern.
    const std::wstring names = root + L'\0';
    const size_t bytes = sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = {100, 300};
    drop->fWide = TRUE;
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.c_str(), names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    SendMessageW(Main(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(Lines(ControlId::lstTxt), (std::vector<std::wstring>{root + L"\\c.txt", root + L"\\sub\\notes.txt"}));
    EXPECT_TRUE(Enabled(ControlId::cmbTxtCon));
}

TEST_F(Window, OutputFolderButtonsChooseAndACancelKeepsTheBox) {
    const std::wstring existing = ScratchFolder(L"out-existing");
    Open();
    SetWindowTextW(Ctl(ControlId::txtTxtOut), existing.c_str());
    browseResults_ = {L"", L"E:\\chosen"};
    Click(ControlId::cmbTxtOut);
    ASSERT_EQ(browseCalls_.size(), 1u);
    EXPECT_EQ(browseCalls_[0].owner, Main()) << "the folder dialog is modal to the window";
    EXPECT_EQ(browseCalls_[0].title, L"Select output folder");
    EXPECT_EQ(browseCalls_[0].initial, existing);
    EXPECT_EQ(Text(ControlId::txtTxtOut), existing) << "a cancel keeps the folder";
    Click(ControlId::cmbBinOut);
    EXPECT_EQ(Text(ControlId::txtBinOut), L"E:\\chosen");
    EXPECT_EQ(Text(ControlId::txtTxtOut), existing);
}

TEST_F(Window, SourceFolderSwitchGreysTheFolderControls) {
    Open();
    SetWindowTextW(Ctl(ControlId::txtBinOut), L"D:\\typed");
    auto background = [&] {
        HDC dc = GetDC(Ctl(ControlId::txtBinOut));
        const UINT msg = Enabled(ControlId::txtBinOut) ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
        const auto brush = reinterpret_cast<HBRUSH>(
            SendMessageW(Main(), msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Ctl(ControlId::txtBinOut))));
        const COLORREF colour = GetBkColor(dc);
        ReleaseDC(Ctl(ControlId::txtBinOut), dc);
        return std::pair{brush, colour};
    };
    Click(ControlId::chkBinOut);
    EXPECT_EQ(SendMessageW(Ctl(ControlId::chkBinOut), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(Enabled(ControlId::txtBinOut));
    EXPECT_FALSE(Enabled(ControlId::cmbBinOut));
    EXPECT_EQ(background().first, GetSysColorBrush(COLOR_INACTIVEBORDER));
    EXPECT_EQ(background().second, GetSysColor(COLOR_INACTIVEBORDER));
    EXPECT_EQ(Text(ControlId::txtBinOut), L"D:\\typed");

    Click(ControlId::chkBinOut);
    EXPECT_TRUE(Enabled(ControlId::txtBinOut));
    EXPECT_TRUE(Enabled(ControlId::cmbBinOut));
    EXPECT_EQ(Text(ControlId::txtBinOut), L"D:\\typed");
    EXPECT_TRUE(Enabled(ControlId::txtTxtOut) && Enabled(ControlId::cmbTxtOut)) << "the other panel never changes";
}

TEST_F(Window, BatchesOverAnEmptyQueueAndWithoutAConverterEndCleanly) {
    Open();
    openResults_ = {L"C:\\in\\a.xml"};
    Click(ControlId::cmbBinAdd);
    Click(ControlId::cmbBinCle);  // "Convert!" stays on over an empty queue
    Click(ControlId::cmbBinCon);
    EXPECT_EQ(Lines(ControlId::lstStatus), (std::vector<std::wstring>{
                                               L"Conversion from Binary XML to Text XML started...",
                                               L"Converter not found: " + toolFolder_ + L"\\quillon.exe"}));

    ASSERT_TRUE(CopyFileW(KARVEL_STANDIN_PATH, (toolFolder_ + L"\\quillon.exe").c_str(), FALSE));
    SetWindowTextW(Ctl(ControlId::txtBinOut), toolFolder_.c_str());
    Click(ControlId::cmbBinCon);
    const auto lines = Lines(ControlId::lstStatus);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3], L"Conversion complete");
    PBRANGE range{};
    SendMessageW(Ctl(ControlId::pb), PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 0) << "a range whose minimum equals its maximum";
    EXPECT_EQ(SendMessageW(Ctl(ControlId::pb), PBM_GETPOS, 0, 0), 0);
    RECT last{}, client{};
    SendMessageW(Ctl(ControlId::lstStatus), LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&last));
    GetClientRect(Ctl(ControlId::lstStatus), &client);
    EXPECT_TRUE(last.top >= 0 && last.bottom <= client.bottom) << "the last line is in view";
}
