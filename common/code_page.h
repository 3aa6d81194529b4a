#pragma once
// An 8-bit code page, behind an interface so tests can stand in for the system's. Portable.
#include <optional>
#include <string>
#include <string_view>

namespace common {

class CodePage {
public:
    virtual ~CodePage() = default;
    // Nothing when some character has no exact form in the code page.
    virtual std::optional<std::string> Encode(std::wstring_view text) const = 0;
    virtual std::wstring Decode(std::string_view bytes) const = 0;
    // What a program that reads its text in this code page gets: a character
    // the code page lacks becomes a look-alike ("best fit") or the default character.
    virtual std::string EncodeAsRead(std::wstring_view text) const = 0;
    // Whether the byte begins a character of two bytes (the East Asian code pages).
    virtual bool IsLeadByte(unsigned char byte) const = 0;
};

}  // namespace common
