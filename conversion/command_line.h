#pragma once
// Destination names and converter command lines. Portable.
#include <string>
#include <string_view>
#include <vector>

namespace conversion {

// The converter's full path, from the folder that holds this program.
std::wstring ConverterPath(std::wstring_view toolFolder);

// Every ".xml" (case-sensitive) becomes "." + extension.
std::wstring BinToTextDestinationName(std::wstring_view name, std::wstring_view extension);
// The last three characters become "xml"; a name shorter than three gets ".xml" appended.
std::wstring TextToBinDestinationName(std::wstring_view name);

// The folded destination path the converter is told to write.
std::wstring DestinationPath(std::wstring_view outputFolder, std::wstring_view destinationName);

// One run of the converter, its paths folded.
struct ConverterCall {
    std::wstring program, option, destination, source;  // option: "--textxml=" or "--quillon="
    std::wstring application;  // the program's real path, which starts it, where `program` is another form of it
    // "<program>" <option>"<destination>" "<source>"
    std::wstring CommandLine() const;
    // What the converter is meant to read: its path, the option with the destination, the source.
    std::vector<std::wstring> Arguments() const;
};
ConverterCall BinToTextCall(std::wstring_view toolFolder, std::wstring_view outputFolder, std::wstring_view name,
                            std::wstring_view extension, std::wstring_view sourcePath);
ConverterCall TextToBinCall(std::wstring_view toolFolder, std::wstring_view outputFolder, std::wstring_view name,
                            std::wstring_view sourcePath);
inline std::wstring BinToTextCommandLine(std::wstring_view toolFolder, std::wstring_view outputFolder,
                                         std::wstring_view name, std::wstring_view extension,
                                         std::wstring_view sourcePath) {
    return BinToTextCall(toolFolder, outputFolder, name, extension, sourcePath).CommandLine();
}
inline std::wstring TextToBinCommandLine(std::wstring_view toolFolder, std::wstring_view outputFolder,
                                         std::wstring_view name, std::wstring_view sourcePath) {
    return TextToBinCall(toolFolder, outputFolder, name, sourcePath).CommandLine();
}

// False when the extension holds a character that cannot stand in a file
// name (\ / : * ? " < > | or a control character). Empty is valid.
bool IsValidExtension(std::wstring_view extension);

}  // namespace conversion
