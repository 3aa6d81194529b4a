#pragma once
// The system's open-file, folder and save dialogs, modal to their owner. Windows only.
#include <windows.h>

#include <string>

namespace ui {

// "description|pattern" filter in; the dialog's raw result out: the chosen
// path, or a folder and names separated by NULs; "" when cancelled.
std::wstring ShowOpenFilesDialog(HWND owner, const std::wstring& filter);

// The chosen file-system folder, or "" when cancelled. Opens at `initial`
// when that folder exists.
std::wstring BrowseForFolder(HWND owner, const std::wstring& title, const std::wstring& initial);

// The path to save to, or "" when cancelled; it asks before a file is replaced.
std::wstring ShowSaveFileDialog(HWND owner, const std::wstring& filter, const std::wstring& name);

// Explorer showing the folder with the file selected; false when it cannot.
bool ShowInExplorer(HWND owner, const std::wstring& folder, const std::wstring& file);

}  // namespace ui
