#pragma once
// Dots per inch of a window, and the metrics that follow from them. The
// per-monitor calls are looked up when first used: Windows 7 and 8 lack them,
// and there every window has the system's DPI. Windows only.
#include <windows.h>

namespace ui {

int SystemDpi();  // what the stock fonts and metrics are made for
int WindowDpi(HWND window);
int MetricForDpi(int index, int dpi);
// The window rectangle around a client rectangle at `dpi`.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);

}  // namespace ui
