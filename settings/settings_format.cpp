#include "settings/settings_format.h"

#include <cstdint>
#include <vector>

namespace settings {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr char32_t kReplacement = 0xFFFD;
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

void AppendCodePoint(std::wstring& out, char32_t c) {
    if (kWideIsUtf16 && c > 0xFFFF) {
        c -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(c));
    }
}

void AppendUtf8(std::string& out, char32_t c) {
    auto byte = [&out](char32_t b) { out.push_back(static_cast<char>(b)); };
    if (c < 0x80) {
        byte(c);
    } else if (c < 0x800) {
        byte(0xC0 | (c >> 6));
        byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        byte(0xE0 | (c >> 12));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    } else {
        byte(0xF0 | (c >> 18));
        byte(0x80 | ((c >> 12) & 0x3F));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    }
}

// Unpaired surrogates (or, with 32-bit wchar_t, values beyond Unicode) have no
// UTF-8 form; they become U+FFFD rather than bytes no reader would accept.
std::string ToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if constexpr (kWideIsUtf16) {
            c &= 0xFFFF;
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
                char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        if (IsSurrogate(c) || c > 0x10FFFF) c = kReplacement;
        AppendUtf8(out, c);
    }
    return out;
}

// Strict decoder: overlong forms, surrogates and values past U+10FFFF are
// rejected; each broken sequence, up to the byte that breaks it, becomes one
// U+FFFD, so a damaged file still loads.
std::wstring FromUtf8(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out.push_back(static_cast<wchar_t>(lead));
            ++i;
            continue;
        }
        int extra;
        char32_t c;
        char32_t min;
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1, c = lead & 0x1F, min = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2, c = lead & 0x0F, min = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3, c = lead & 0x07, min = 0x10000;
        } else {
            out.push_back(static_cast<wchar_t>(kReplacement));
            ++i;
            continue;
        }
        size_t j = i + 1;
        bool ok = true;
        for (int k = 0; k < extra; ++k, ++j) {
            if (j >= bytes.size()) { ok = false; break; }
            const auto next = static_cast<unsigned char>(bytes[j]);
            if ((next & 0xC0) != 0x80) { ok = false; break; }
            c = (c << 6) | (next & 0x3F);
            // The second byte already decides overlong, surrogate and
            // out-of-range forms; it is then left to start the next round.
            if (k == 0 && extra >= 2) {
                const char32_t lowest = c << (6 * (extra - 1));
                if (lowest < min || IsSurrogate(lowest) || lowest > 0x10FFFF) {
                    ok = false;
                    break;
                }
            }
        }
        if (ok && (c < min || IsSurrogate(c) || c > 0x10FFFF)) ok = false;
        if (ok) {
            AppendCodePoint(out, c);
        } else {
            out.push_back(static_cast<wchar_t>(kReplacement));
        }
        i = j;
    }
    return out;
}

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

std::string WriteSettings(const Settings& values, const AnsiCodec& ansi) {
    std::wstring text;
    for (const std::wstring& line : {PrintForm(values.outputToSourceFolder), values.binOutputFolder,
                                     values.txtOutputFolder, values.extension}) {
        text += line;
        text += L"\r\n";
    }
    if (std::optional<std::string> bytes = ansi.Encode(text)) return *std::move(bytes);
    return std::string(kUtf8Bom) + ToUtf8(text);
}

Settings ReadSettings(std::string_view bytes, const AnsiCodec& ansi, const Settings& initial) {
    const bool utf8 = bytes.starts_with(kUtf8Bom);
    if (utf8) bytes.remove_prefix(kUtf8Bom.size());

    // Split before decoding: CR and LF never occur inside a character of UTF-8
    // or of the double-byte code pages, and a broken character then cannot
    // swallow a line end.
    const std::vector<std::string_view> lines = SplitLines(bytes);
    auto value = [&](size_t index) {
        return TrimSpaces(utf8 ? FromUtf8(lines[index]) : ansi.Decode(lines[index]));
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
