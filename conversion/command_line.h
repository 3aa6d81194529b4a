#pragma once
// Destination names and converter command lines. Portable.
#include <string>
#include <string_view>

namespace conversion {

// The converter's full path, from the folder that holds this program.
std::wstring ConverterPath(std::wstring_view toolFolder);

// Every ".xml" (case-sensitive) becomes "." + extension.
std::wstring BinToTextDestinationName(std::wstring_view name, std::wstring_view extension);
// The last three characters become "xml"; a name shorter than three gets ".xml" appended.
std::wstring TextToBinDestinationName(std::wstring_view name);

// The folded destination path the converter is told to write.
std::wstring DestinationPath(std::wstring_view outputFolder, std::wstring_view destinationName);

// "<converter>" --textxml="<destination>" "<source>", each path folded.
std::wstring BinToTextCommandLine(std::wstring_view toolFolder, std::wstring_view outputFolder, std::wstring_view name,
                                  std::wstring_view extension, std::wstring_view sourcePath);
// "<converter>" --quillon="<destination>" "<source>", each path folded.
std::wstring TextToBinCommandLine(std::wstring_view toolFolder, std::wstring_view outputFolder, std::wstring_view name,
                                  std::wstring_view sourcePath);

// False when the extension holds a character that cannot stand in a file
// name (\ / : * ? " < > | or a control character). Empty is valid.
bool IsValidExtension(std::wstring_view extension);

}  // namespace conversion
