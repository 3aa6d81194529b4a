#pragma once
// Whole small files in and out. Windows only.
#include <optional>
#include <string>
#include <string_view>

namespace common {

// At most `maxBytes` from the start of the file; nothing when it cannot be
// opened or read (missing, a folder, locked without sharing).
std::optional<std::string> ReadFileBytes(const std::wstring& path, size_t maxBytes);

// Writes a temporary file beside `path`, flushes it and moves it over `path`,
// so a failed write keeps the old file whole and leaves nothing behind. A
// read-only or locked file is not replaced. False on any failure.
bool ReplaceFileBytes(const std::wstring& path, std::string_view bytes);
// Whether ReplaceFileBytes may put a new file there: none is there yet, or the
// one there is no folder, is not read-only and can be opened to be written and deleted.
bool CanReplace(const std::wstring& path);

}  // namespace common
