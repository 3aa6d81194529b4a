#include "conversion/command_line.h"

#include <cstdint>

#include "common/paths.h"

namespace conversion {
namespace {

// JoinPath adds no second backslash: for the folder "\" the doubled result
// would read as the start of a network path.
std::wstring FoldedJoin(std::wstring_view folder, std::wstring_view name) {
    return common::FoldBackslashes(common::JoinPath(folder, name));
}

std::wstring Quoted(std::wstring_view text) {
    std::wstring quoted;
    quoted.reserve(text.size() + 2);
    quoted += L'"';
    quoted += text;
    quoted += L'"';
    return quoted;
}

}  // namespace

std::wstring ConverterPath(std::wstring_view toolFolder) { return FoldedJoin(toolFolder, L"quillon.exe"); }

std::wstring BinToTextDestinationName(std::wstring_view name, std::wstring_view extension) {
    constexpr std::wstring_view kXml = L".xml";
    std::wstring result;
    result.reserve(name.size() + extension.size());
    std::size_t from = 0;
    // Scanning the name, not the result, so an extension that itself holds
    // ".xml" is not replaced again.
    for (auto at = name.find(kXml); at != std::wstring_view::npos; at = name.find(kXml, from)) {
        result += name.substr(from, at - from);
        result += L'.';
        result += extension;
        from = at + kXml.size();
    }
    result += name.substr(from);
    return result;
}

std::wstring TextToBinDestinationName(std::wstring_view name) {
    if (name.size() < 3) return std::wstring(name) + L".xml";
    return std::wstring(name.substr(0, name.size() - 3)) + L"xml";
}

std::wstring DestinationPath(std::wstring_view outputFolder, std::wstring_view destinationName) {
    return FoldedJoin(outputFolder, destinationName);
}

std::wstring ConverterCall::CommandLine() const {
    return Quoted(program) + L" " + option + Quoted(destination) + L" " + Quoted(source);
}

std::vector<std::wstring> ConverterCall::Arguments() const { return {program, option + destination, source}; }

ConverterCall BinToTextCall(std::wstring_view toolFolder, std::wstring_view outputFolder, std::wstring_view name,
                            std::wstring_view extension, std::wstring_view sourcePath) {
    return {ConverterPath(toolFolder),
            L"--textxml=",
            DestinationPath(outputFolder, BinToTextDestinationName(name, extension)),
            common::FoldBackslashes(sourcePath),
            {}};
}

ConverterCall TextToBinCall(std::wstring_view toolFolder, std::wstring_view outputFolder, std::wstring_view name,
                            std::wstring_view sourcePath) {
    return {ConverterPath(toolFolder),
            L"--quillon=",
            DestinationPath(outputFolder, TextToBinDestinationName(name)),
            common::FoldBackslashes(sourcePath),
            {}};
}

bool IsValidExtension(std::wstring_view extension) {
    constexpr std::wstring_view kForbidden = L"\\/:*?\"<>|";
    for (const wchar_t c : extension) {
        // Unsigned, so a negative 32-bit wchar_t is not taken for a control character.
        if (static_cast<std::uint32_t>(c) < 32 || kForbidden.find(c) != std::wstring_view::npos) return false;
    }
    return true;
}

}  // namespace conversion
