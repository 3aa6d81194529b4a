#pragma once
// The four settings and their file format. Portable: the system's ANSI code
// page is reached through AnsiCodec so tests can stand in for it.
#include <optional>
#include <string>
#include <string_view>

namespace settings {

struct Settings {
    bool outputToSourceFolder = false;  // chkBinOut; the file holds it as " 0 " or " 1 "
    std::wstring binOutputFolder;  // txtBinOut
    std::wstring txtOutputFolder;  // txtTxtOut
    std::wstring extension = L"txt";  // txtExt
};

class AnsiCodec {
public:
    virtual ~AnsiCodec() = default;
    // Nothing when some character has no exact form in the code page.
    virtual std::optional<std::string> Encode(std::wstring_view text) const = 0;
    virtual std::wstring Decode(std::string_view bytes) const = 0;
};

// Four CR LF lines; ANSI when everything fits, else UTF-8 with a byte-order mark.
std::string WriteSettings(const Settings& values, const AnsiCodec& ansi);
// Never fails: a line the file lacks keeps the value of `initial`, and a first
// line other than 1 reads as unchecked.
Settings ReadSettings(std::string_view bytes, const AnsiCodec& ansi, const Settings& initial = {});

}  // namespace settings
