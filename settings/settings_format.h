#pragma once
// The four settings and their file format. Portable.
#include <string>
#include <string_view>

#include "common/code_page.h"

namespace settings {

struct Settings {
    bool outputToSourceFolder = false;  // chkBinOut; the file holds it as " 0 " or " 1 "
    std::wstring binOutputFolder;       // txtBinOut
    std::wstring txtOutputFolder;       // txtTxtOut
    std::wstring extension = L"txt";    // txtExt
};

// Four CR LF lines; ANSI when everything fits, else UTF-8 with a byte-order mark.
std::string WriteSettings(const Settings& values, const common::CodePage& ansi);
// Never fails: a line the file lacks keeps the value of `initial`, and a first
// line other than 1 reads as unchecked.
Settings ReadSettings(std::string_view bytes, const common::CodePage& ansi, const Settings& initial = {});

}  // namespace settings
