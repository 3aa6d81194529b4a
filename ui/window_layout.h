#pragma once
// The main window's class, frame and controls as the control table describes
// them, at any DPI. Windows only; frmMain's layout members live in window_layout.cpp.
#include <windows.h>

namespace ui {

// Registers the main window's class once; false when the system refuses.
bool RegisterWindowClass(HINSTANCE instance, WNDPROC procedure);
// The main window, not yet shown, sized for 96 DPI; `self` reaches WM_NCCREATE.
HWND CreateMainWindow(HINSTANCE instance, void* self);
// Common controls of these classes (ICC_...), from comctl32.dll in the system
// folder: a copy beside the program is never loaded. False when they cannot be had.
bool LoadCommonControl(DWORD classes);

}  // namespace ui
