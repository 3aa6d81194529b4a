#pragma once
// The paths an ANSI converter can be given. A converter that reads its command
// line in the system's code page gets a look-alike for a character the code
// page lacks: a fullwidth reverse solidus becomes "\" and sends it to another
// file. So each path is passed as it is only where the code page carries it
// exactly; otherwise the converter gets a plain alias of it. Portable: the file
// system stands behind an interface.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/code_page.h"
#include "common/presence.h"
#include "conversion/command_line.h"

namespace conversion {

class PathSeams {
public:
    virtual ~PathSeams() = default;
    // The code page in which the converter reads its command line: the system's ANSI one.
    virtual const common::CodePage& ConverterCodePage() = 0;
    // An existing path with the short (8.3) names of what it passes through; empty when the system has none.
    virtual std::wstring ShortPath(const std::wstring& path) = 0;
    // The user's folder for temporary files; empty when there is none.
    virtual std::wstring TemporaryFolder() = 0;
    // Whether anything is at the path: a temporary name is used only where nothing is.
    virtual common::Presence PathPresence(const std::wstring& path) = 0;
    // A number for a temporary name, a new one each time.
    virtual std::uint32_t TemporaryNumber() = 0;
};

// A converter call as the converter is given it, and the temporary files that takes.
struct PassedCall {
    ConverterCall call;
    std::wstring sourceCopy;            // a copy of the source, to be made there before it runs; empty for none
    std::wstring temporaryDestination;  // where it writes the destination, to be moved into place; empty for none
    // Each alias with the path it stands for.
    std::vector<std::pair<std::wstring, std::wstring>> aliases;

    // The text with every alias, and its file name, read as the real path and name: the log never shows an alias.
    std::wstring Unaliased(std::wstring text) const;
};

// Nothing when some path has no form that the code page carries exactly,
// not even in the temporary folder.
std::optional<PassedCall> PassCall(const ConverterCall& real, PathSeams& seams);

}  // namespace conversion
