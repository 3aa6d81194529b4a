#pragma once
// Whether two paths name one file, what is at a path, and the converter's
// temporary files, on the real file system. Windows only.
#include <string>

#include "conversion/file_identity.h"

namespace conversion {

// See BatchHost: SameFile, PathKey, DestinationState, CopyForConverter and MoveIntoPlace.
bool SameFile(const std::wstring& source, const std::wstring& destination);
std::wstring PathKey(const std::wstring& path);
FileState StateOf(const std::wstring& path);
std::wstring CopyForConverter(const std::wstring& source, const std::wstring& copy);
std::wstring MoveIntoPlace(const std::wstring& from, const std::wstring& to);

}  // namespace conversion
