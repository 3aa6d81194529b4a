#pragma once
// What a converter writes, as far as the status log needs it: its last
// non-empty line, shaped to stand at the end of a log line. Portable.
#include <string>
#include <string_view>

#include "common/code_page.h"

namespace conversion {

// Longest tail a log line gets, in characters, before "..." is added.
inline constexpr size_t kOutputTailChars = 300;

// Takes the output as it comes, in pieces of any size, and keeps only what the
// last line holding more than blanks and control characters needs: its start
// (from its first such character) and whether it goes on past that.
class OutputTail {
public:
    void Append(std::string_view bytes);
    // The last such line so far, the one still being written included.
    std::string_view LastLine() const;
    // True when LastLine() is only the start of a longer line.
    bool LastLineCut() const;

private:
    void EndLine();
    std::string last_, current_;
    bool lastCut_ = false, currentCut_ = false;
};

// One line of output as the end of a log line: UTF-8 when it is valid UTF-8,
// else the OEM code page; control characters become blanks; blanks trimmed;
// more than kOutputTailChars characters are cut there and "..." follows.
std::wstring ShapeOutputLine(std::string_view line, bool cut, const common::CodePage& oem);

}  // namespace conversion
