#include "ui/status_log.h"

#include "common/utf8.h"

namespace ui {

std::wstring ClipboardText(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const auto& line : lines) {
        if (!text.empty()) text += L"\r\n";
        text += line;
    }
    return text;
}

std::string LogFileBytes(const std::vector<std::wstring>& lines) {
    std::string bytes = "\xEF\xBB\xBF";
    for (const auto& line : lines) bytes += common::ToUtf8(line) + "\r\n";
    return bytes;
}

}  // namespace ui
