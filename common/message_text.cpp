#include "common/message_text.h"

namespace common {
namespace {

bool IsControl(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

std::wstring OneLine(std::wstring_view text) {
    std::wstring line;
    for (wchar_t c : text) {
        if (IsControl(c)) c = L' ';
        if (c == L' ' && (line.empty() || line.back() == L' ')) continue;
        line.push_back(c);
    }
    if (!line.empty() && line.back() == L' ') line.pop_back();
    return line;
}

std::wstring WithProgram(std::wstring_view message, std::wstring_view program) {
    std::wstring filled;
    for (size_t i = 0; i < message.size(); ++i) {
        const std::wstring_view rest = message.substr(i);
        if (rest.starts_with(L"%%")) {
            filled += L'%';
            ++i;
        } else if (rest.starts_with(L"%1") && (rest.size() == 2 || !IsDigit(rest[2]))) {
            filled += program;
            ++i;
            // An insert may name its printf form: %1!s!.
            const size_t form = rest.size() > 2 && rest[2] == L'!' ? rest.find(L'!', 3) : std::wstring_view::npos;
            if (form != std::wstring_view::npos) i += form - 1;
        } else {
            filled += message[i];
        }
    }
    return filled;
}

std::wstring HexDigits(std::uint32_t number) {
    std::wstring digits(8, L'0');
    for (int i = 7; i >= 0; --i, number >>= 4) digits[static_cast<std::size_t>(i)] = L"0123456789ABCDEF"[number & 0xF];
    return digits;
}

}  // namespace common
