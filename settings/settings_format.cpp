#include "settings/settings_format.h"

#include <vector>

#include "common/utf8.h"

namespace settings {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// Lines end at CR LF, LF or a lone CR; a last line without an end still counts.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        const char ch = text[i];
        if (ch == '\r' || ch == '\n') {
            lines.push_back(text.substr(start, i - start));
            i += (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::wstring TrimSpaces(std::wstring text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    const size_t last = text.find_last_not_of(L' ');
    return text.substr(first, last - first + 1);
}

// As a number prints: a blank where a sign would go, the digits, and a blank after.
std::wstring PrintForm(int number) { return L" " + std::to_wstring(number) + L" "; }

// Digits alone, 1 to kMostFilesAtOnce; anything else is 1. Read digit by
// digit, so that a long line cannot overflow.
int FilesAtOnce(const std::wstring& text) {
    int files = 0;
    for (const wchar_t ch : text) {
        if (ch < L'0' || ch > L'9') return 1;
        files = files * 10 + (ch - L'0');
        if (files > kMostFilesAtOnce) return 1;
    }
    return files == 0 ? 1 : files;
}

}  // namespace

std::string WriteSettings(const Settings& values, const common::CodePage& ansi) {
    std::vector<std::wstring> lines{PrintForm(values.outputToSourceFolder ? 1 : 0), values.binOutputFolder,
                                    values.txtOutputFolder, values.extension};
    // One at a time writes the file as it has always been.
    if (values.filesAtOnce != 1) lines.push_back(PrintForm(values.filesAtOnce));
    std::wstring text;
    for (const std::wstring& line : lines) {
        text += line;
        text += L"\r\n";
    }
    if (std::optional<std::string> bytes = ansi.Encode(text)) return *std::move(bytes);
    return std::string(kUtf8Bom) + common::ToUtf8(text);
}

Settings ReadSettings(std::string_view bytes, const common::CodePage& ansi, const Settings& initial) {
    const bool utf8 = bytes.starts_with(kUtf8Bom);
    if (utf8) bytes.remove_prefix(kUtf8Bom.size());

    // Split before decoding: CR and LF never occur inside a character of UTF-8
    // or of the double-byte code pages, and a broken character then cannot
    // swallow a line end.
    const std::vector<std::string_view> lines = SplitLines(bytes);
    auto value = [&](size_t index) {
        return TrimSpaces(utf8 ? common::FromUtf8(lines[index]) : ansi.Decode(lines[index]));
    };

    Settings result = initial;
    // Only "1" checks the box; a greyed or odd value would leave the box and
    // the batch disagreeing, so it all reads as unchecked.
    if (lines.size() > 0) result.outputToSourceFolder = value(0) == L"1";
    if (lines.size() > 1) result.binOutputFolder = value(1);
    if (lines.size() > 2) result.txtOutputFolder = value(2);
    if (lines.size() > 3) result.extension = value(3);
    // The save leaves the line out for 1, so a file without it says 1.
    result.filesAtOnce = lines.size() > 4 ? FilesAtOnce(value(4)) : 1;
    return result;
}

}  // namespace settings
