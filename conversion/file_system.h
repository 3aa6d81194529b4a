#pragma once
// Whether two paths name one file, what is at a path, and the converter's
// temporary files, on the real file system. Windows only.
#include <string>

#include "conversion/batch.h"
#include "conversion/file_identity.h"

namespace conversion {

// See BatchHost: SameFile, PathKey, DestinationState, Reserve, RemoveTemporary,
// CopyForConverter and MoveIntoPlace. `stopNow` (an event, or null) cuts a copy short.
bool SameFile(const std::wstring& source, const std::wstring& destination, const FileState& destinationState);
std::wstring PathKey(const std::wstring& path);
FileState StateOf(const std::wstring& path);
PathSeams::Reservation Reserve(const std::wstring& path);
std::wstring RemoveTemporary(const std::wstring& path);
FileStep CopyForConverter(const std::wstring& source, const std::wstring& copy, void* stopNow);
FileStep MoveIntoPlace(const Placement& placement, void* stopNow);

}  // namespace conversion
