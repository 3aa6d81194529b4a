#include "conversion/ansi_arguments.h"

namespace conversion {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitAsTheCRuntime(std::string_view line, const common::CodePage& ansi) {
    size_t i = 0;
    std::string program;
    if (!line.empty() && line[0] == '"') {
        for (i = 1; i < line.size() && line[i] != '"'; ++i) program += line[i];
        if (i < line.size()) ++i;
    } else {
        for (; i < line.size() && !IsBlank(line[i]); ++i) program += line[i];
    }
    std::vector<std::string> arguments{program};
    bool quoted = false;
    for (;;) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) return arguments;
        std::string argument;
        for (;;) {
            size_t backslashes = 0;
            for (; i < line.size() && line[i] == '\\'; ++i) ++backslashes;
            bool character = true;
            if (i < line.size() && line[i] == '"') {
                if (backslashes % 2 == 0) {
                    if (quoted && i + 1 < line.size() && line[i + 1] == '"')
                        ++i;
                    else
                        character = false, quoted = !quoted;
                }
                backslashes /= 2;
            }
            argument.append(backslashes, '\\');
            if (i >= line.size() || (!quoted && IsBlank(line[i]))) break;
            if (character) {
                argument += line[i];
                if (ansi.IsLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size()) argument += line[++i];
            }
            ++i;
        }
        arguments.push_back(std::move(argument));
    }
}

bool ReadAsMeant(const std::vector<std::wstring>& arguments, std::wstring_view commandLine,
                 const common::CodePage& ansi) {
    std::vector<std::string> meant;
    for (const std::wstring& argument : arguments) meant.push_back(ansi.EncodeAsRead(argument));
    return SplitAsTheCRuntime(ansi.EncodeAsRead(commandLine), ansi) == meant;
}

}  // namespace conversion
