#pragma once
// Names that screen readers announce for a control instead of its own text. Windows only.
#include <windows.h>

#include <string_view>

namespace ui {

// Nothing happens where the system has no annotation service.
// Each control under `window` that the control table names for screen readers
// gets that name; one service names them all.
void NameForScreenReaders(HWND window);

}  // namespace ui
