#pragma once
// A code page shaped like Windows-1252 for portable tests: bytes are U+0000..U+00FF,
// except that 0x80..0x9F stand for no character at all.
#include "common/code_page.h"

namespace test_support {

struct Latin1 final : common::CodePage {
    std::optional<std::string> Encode(std::wstring_view text) const override {
        std::string out;
        for (const wchar_t c : text) {
            const auto u = static_cast<unsigned long>(c);
            if (u > 0xFF || (u >= 0x80 && u <= 0x9F)) return std::nullopt;
            out.push_back(static_cast<char>(u));
        }
        return out;
    }
    std::wstring Decode(std::string_view bytes) const override {
        std::wstring out;
        for (const char b : bytes) {
            const auto u = static_cast<unsigned char>(b);
            out.push_back(u >= 0x80 && u <= 0x9F ? L'\uFFFD' : static_cast<wchar_t>(u));
        }
        return out;
    }
};

}  // namespace test_support
