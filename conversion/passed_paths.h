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
    // A number for a temporary name, a new one each time.
    virtual std::uint32_t TemporaryNumber() = 0;
    // Makes an empty file where nothing is yet, so that a temporary name is
    // taken the moment it is chosen: no other process or run can have it then.
    enum class Reserved { Made, Taken, Failed };
    struct Reservation {
        Reserved result = Reserved::Failed;
        std::wstring failure;  // the system's words, when it failed
    };
    virtual Reservation Reserve(const std::wstring& path) = 0;
};

// A temporary file of this program's own in the folder, reserved: "~kq" and
// eight hex digits, with the extension where that is plain ASCII. Empty, with
// the reason, when none could be made.
struct TemporaryName {
    std::wstring path, failure;
};
TemporaryName ReserveTemporary(PathSeams& seams, const std::wstring& folder, const std::wstring& extension);

// A converter call as the converter is given it, and the temporary files that takes.
struct PassedCall {
    ConverterCall call;                 // its application is the real program where the line names it otherwise
    std::wstring sourceCopy;            // a copy of the source, to be made there before it runs; empty for none
    std::wstring temporaryDestination;  // where it writes the destination, to be moved into place; empty for none
    bool temporaryBeside = false;       // that lies in the destination's own folder
    std::wstring refusal;               // why it cannot be run; its temporary files are still to be removed
    // Each alias with the path it stands for.
    std::vector<std::pair<std::wstring, std::wstring>> aliases;

    // The text with every alias, and its file name, read as the real path and name: the log never shows an alias.
    std::wstring Unaliased(std::wstring text) const;
};

// A refusal when a path has no form that the code page carries exactly and
// no path rule changes, not even in the temporary folder, or no temporary file
// can be made. The program itself is never refused: it starts by its real path.
PassedCall PassCall(const ConverterCall& real, PathSeams& seams);

}  // namespace conversion
