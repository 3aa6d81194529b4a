// The window as it comes up at the system's display scale: its DPI, the client
// area, every control against the 96-DPI layout scaled to that DPI, and the
// whole rows each list shows.
// Usage: window_metrics.exe   (under a prefix whose LogPixels is the DPI to measure)
#include <cstdio>

#include "bench_common.h"
#include "common/file_probes.h"
#include "ui/dpi.h"
#include "ui/frmMain.h"

int wmain() {
    const auto form =
        ui::frmMain::Create(GetModuleHandleW(nullptr), {common::ToolFolder(), {}, {}, {}, {}, {}, {}, 1, {}});
    if (!form) return 1;
    HWND window = form->Handle();
    ShowWindow(window, SW_SHOW);
    bench::Pump();

    const int dpi = ui::WindowDpi(window);
    RECT client;
    GetClientRect(window, &client);
    std::printf("DPI %d: client area %ld x %ld (the layout scaled: %d x %d)\n", dpi, client.right, client.bottom,
                ui::Scale(ui::ClientWidth, dpi), ui::Scale(ui::ClientHeight, dpi));
    int misplaced = 0;
    for (const auto& desc : ui::Controls()) {
        if (desc.kind == ui::Kind::OpenFileDialog) continue;
        HWND control = form->Control(desc.id);
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        const ui::Rect want = ui::ScaledRect(desc, dpi);
        const bool placed = r.left == want.left && r.top == want.top && r.right - r.left == want.width &&
                            r.bottom - r.top == want.height;
        misplaced += !placed;
        std::printf("  %-10ls %4ld,%4ld %4ld x %4ld%s\n", desc.name, r.left, r.top, r.right - r.left, r.bottom - r.top,
                    placed ? "" : "  NOT AS SCALED");
        if (desc.kind != ui::Kind::ListBox) continue;
        RECT inside;
        GetClientRect(control, &inside);
        const auto row = static_cast<long>(SendMessageW(control, LB_GETITEMHEIGHT, 0, 0));
        std::printf("             rows of %ld px: %ld whole rows in %ld px\n", row, inside.bottom / row, inside.bottom);
    }
    std::printf("%d controls not where the scaled layout puts them\n", misplaced);
    DestroyWindow(window);
    bench::Pump();
    return misplaced == 0 ? 0 : 1;
}
