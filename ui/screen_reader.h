#pragma once
// Names that screen readers announce for a control instead of its own text. Windows only.
#include <windows.h>

#include <functional>

namespace ui {

// Gives one control's object (OBJID_...) a name for screen readers.
using NameControl = std::function<void(HWND control, LONG objectId, const wchar_t* name)>;

// Each control under `window` that the control table names for screen readers
// gets that name, on the object a reader asks for; the others keep their own text.
void NameControls(HWND window, const NameControl& name);

// NameControls through the system's annotation service; nothing where it has none.
void NameForScreenReaders(HWND window);

}  // namespace ui
