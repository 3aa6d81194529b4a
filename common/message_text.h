#pragma once
// The system's messages as one line of the status log, and numbers as the log shows them. Portable.
#include <cstdint>
#include <string>
#include <string_view>

namespace common {

// A text of several lines as one: line breaks and other control characters
// become blanks, runs of blanks one, the ends trimmed.
std::wstring OneLine(std::wstring_view text);

// A message fetched without its inserts filled: "%1" becomes `program`, "%%"
// one "%"; any other insert stays as written, since nothing is given for it.
std::wstring WithProgram(std::wstring_view message, std::wstring_view program);

// Eight hex digits, upper case: 0xC000013A gives "C000013A".
std::wstring HexDigits(std::uint32_t number);

}  // namespace common
