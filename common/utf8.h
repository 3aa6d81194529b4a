#pragma once
// UTF-8 in and out of the program's 16-bit (or, off Windows, 32-bit) strings. Portable.
#include <string>
#include <string_view>

namespace common {

// Unpaired surrogates (or, with 32-bit wchar_t, values beyond Unicode) have no
// UTF-8 form; they become U+FFFD rather than bytes no reader would accept.
std::string ToUtf8(std::wstring_view text);
// Strict: overlong forms, surrogates and values past U+10FFFF are refused, and
// each broken sequence, up to the byte that breaks it, becomes one U+FFFD.
// `valid`, when given, tells whether there was none.
std::wstring FromUtf8(std::string_view bytes, bool* valid = nullptr);

}  // namespace common
