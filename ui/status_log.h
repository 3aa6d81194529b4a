#pragma once
// What the status log's menu makes of the log's lines. Portable.
#include <string>
#include <vector>

namespace ui {

// Lines for the clipboard: CR LF between them.
std::wstring ClipboardText(const std::vector<std::wstring>& lines);
// The saved log: UTF-8 with a byte-order mark, CR LF after every line.
std::string LogFileBytes(const std::vector<std::wstring>& lines);

// Whether new lines scroll the log to its end: only when its last line was in
// view before they came, so a reader who scrolled up keeps the place.
constexpr bool FollowsEnd(int topIndex, int rowsInView, int count) {
    return count == 0 || count - 1 < topIndex + rowsInView;
}

inline constexpr const wchar_t* LogFileFilter = L"Text files (*.txt)|*.txt";
inline constexpr const wchar_t* LogFileName = L"karvelxml-log.txt";

}  // namespace ui
