#pragma once
// The settings and their file format. Portable.
#include <string>
#include <string_view>

#include "common/code_page.h"

namespace settings {

// The most files a batch may convert at once that the file keeps.
inline constexpr int kMostFilesAtOnce = 32;

struct Settings {
    bool outputToSourceFolder = false;  // chkBinOut; the file holds it as " 0 " or " 1 "
    std::wstring binOutputFolder;       // txtBinOut
    std::wstring txtOutputFolder;       // txtTxtOut
    std::wstring extension = L"txt";    // txtExt
    int filesAtOnce = 1;                // a fifth line, only when it is not 1
};

// Four CR LF lines, five when filesAtOnce is not 1; ANSI when everything fits, else UTF-8 with a byte-order mark.
std::string WriteSettings(const Settings& values, const common::CodePage& ansi);
// Never fails: a line of the first four that the file lacks keeps the value of
// `initial`, a first line other than 1 reads as unchecked, and a fifth line
// other than 1 to kMostFilesAtOnce, or none, reads as 1.
Settings ReadSettings(std::string_view bytes, const common::CodePage& ansi, const Settings& initial = {});

}  // namespace settings
