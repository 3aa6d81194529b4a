#pragma once
// What the status log's menu makes of the log's lines. Portable.
#include <string>
#include <vector>

namespace ui {

// Lines for the clipboard: CR LF between them.
std::wstring ClipboardText(const std::vector<std::wstring>& lines);
// The saved log: UTF-8 with a byte-order mark, CR LF after every line.
std::string LogFileBytes(const std::vector<std::wstring>& lines);

inline constexpr const wchar_t* LogFileFilter = L"Text files (*.txt)|*.txt";
inline constexpr const wchar_t* LogFileName = L"karvelxml-log.txt";

}  // namespace ui
