// How long one selection of 100,000 files takes to land in a queue, whether
// the window still answers promptly at that size, and how long the converted
// half of them takes to go.
#include <cstdio>
#include <string>

#include "bench_common.h"
#include "common/file_probes.h"
#include "ui/frmMain.h"

int wmain() {
    constexpr int kEntries = 100000;
    std::wstring result = L"C:\\Some\\Fairly\\Deep\\Folder\\Of\\Inputs";
    for (int i = 0; i < kEntries; ++i) result += L'\0' + (L"input-" + std::to_wstring(i) + L".xml");

    ui::Dialogs dialogs;
    dialogs.openFiles = [&](HWND, const std::wstring&) { return result; };
    dialogs.browseFolder = [](HWND, const std::wstring&, const std::wstring&) { return std::wstring(); };
    const auto form =
        ui::frmMain::Create(GetModuleHandleW(nullptr), {common::ToolFolder(), {}, dialogs, {}, {}, {}, {}, 1, {}});
    if (!form) return 1;
    HWND window = form->Handle();
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    bench::Pump();

    HWND list = form->Control(ui::ControlId::lstBin);
    const double append = bench::Time([&] {
        SendMessageW(form->Control(ui::ControlId::cmbBinAdd), BM_CLICK, 0, 0);
        UpdateWindow(list);
    });
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);

    const double scroll = bench::Time([&] {
        SendMessageW(list, WM_VSCROLL, SB_BOTTOM, 0);
        SendMessageW(list, LB_SETCURSEL, kEntries - 1, 0);
        UpdateWindow(list);
    });
    const double repaint = bench::Time(
        [&] { RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW); });
    const double removeOne = bench::Time([&] {
        SendMessageW(list, LB_SETCURSEL, kEntries / 2, 0);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(static_cast<int>(ui::ControlId::lstBin), LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        SendMessageW(form->Control(ui::ControlId::cmbBinRem), BM_CLICK, 0, 0);
        UpdateWindow(list);
    });

    // Every other entry as a batch leaves it converted, then the queue menu's "Remove converted files".
    for (int i = 0; i < kEntries - 1; i += 2) SendMessageW(list, LB_SETITEMDATA, i, 1);
    const double removeConverted = bench::Time([&] {
        PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
        SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
        UpdateWindow(list);
    });
    const auto left = SendMessageW(list, LB_GETCOUNT, 0, 0);

    std::printf("entries appended:          %lld\n", static_cast<long long>(count));
    std::printf("append one selection:      %.3f s (goal <= 0.35 s)\n", append);
    std::printf("scroll to end and select:  %.3f s\n", scroll);
    std::printf("repaint whole window:      %.3f s\n", repaint);
    std::printf("remove one from the middle: %.3f s (goal < 0.05 s)\n", removeOne);
    std::printf("remove the converted half: %.3f s, %lld left\n", removeConverted, static_cast<long long>(left));
    DestroyWindow(window);
    bench::Pump();
    return count == kEntries ? 0 : 1;
}
