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

// The switch prints as a number does: a blank where a sign would go, the
// digit, and a blank after.
std::wstring PrintForm(bool on) { return on ? L" 1 " : L" 0 "; }

}  // namespace

std::string WriteSettings(const Settings& values, const common::CodePage& ansi) {
    std::wstring text;
    for (const std::wstring& line :
         {PrintForm(values.outputToSourceFolder), values.binOutputFolder, values.txtOutputFolder, values.extension}) {
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
    return result;
}

}  // namespace settings
