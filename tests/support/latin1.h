#pragma once
// Latin-1 standing in for the system's code page in portable tests: bytes are U+0000..U+00FF; best fit
// reads a fullwidth quotation mark, a fullwidth reverse solidus and a macron a as '"', '\\' and 'a', the
// rest as '?'. As a Japanese code page, the yen sign is read as '\\', and U+8868 as 0x95 '\\'.
#include "common/code_page.h"

namespace test_support {

struct Latin1 final : common::CodePage {
    bool japanese = false;
    std::optional<std::string> Encode(std::wstring_view text) const override {
        for (const wchar_t c : text)
            if (static_cast<unsigned long>(c) > 0xFF) return std::nullopt;
        return EncodeAsRead(text);
    }
    std::wstring Decode(std::string_view bytes) const override {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
        return std::wstring(b, b + bytes.size());
    }
    std::string EncodeAsRead(std::wstring_view text) const override {
        std::string out;
        for (const wchar_t c : text) {
            if (japanese && (c == 0xA5 || c == 0x8868))
                out += c == 0xA5 ? "\\" : "\x95\\";
            else if (static_cast<unsigned long>(c) <= 0xFF)
                out += static_cast<char>(c);
            else
                out += c == 0xFF02 ? '"' : c == 0xFF3C ? '\\' : c == 0x0101 ? 'a' : '?';
        }
        return out;
    }
    bool IsLeadByte(unsigned char byte) const override { return japanese && byte >= 0x81 && byte <= 0x9F; }
};

}  // namespace test_support
