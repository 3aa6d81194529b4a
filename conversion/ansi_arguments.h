#pragma once
// A converter command line as a program that reads it in the system's ANSI
// code page splits it. Portable: the code page stands behind an interface.
#include <string>
#include <string_view>
#include <vector>

#include "common/code_page.h"

namespace conversion {

// The arguments a C runtime makes of a command line in 8-bit characters. The
// program is the first token, a quoted one up to the next quote. After it,
// blanks and tabs separate; quotes group; 2n backslashes before a quote are n
// and the quote groups, 2n + 1 are n and the quote is a character; two quotes
// inside quotes are one character; a backslash or a quote that is the second
// byte of a two-byte character is neither.
std::vector<std::string> SplitAsTheCRuntime(std::string_view commandLine, const common::CodePage& ansi);

// Whether such a program reads `commandLine` as the `arguments` it was made
// of, each read through the same code page: the same number, split in the same places.
bool ReadAsMeant(const std::vector<std::wstring>& arguments, std::wstring_view commandLine,
                 const common::CodePage& ansi);

}  // namespace conversion
