#pragma once
// Names that screen readers announce for a control instead of its own text. Windows only.
#include <windows.h>

#include <string_view>

namespace ui {

// Nothing happens where the system has no annotation service.
void NameForScreenReaders(HWND control, std::wstring_view name);

}  // namespace ui
