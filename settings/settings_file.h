#pragma once
// The settings file on disk. Windows only.
#include <optional>
#include <string>

#include "settings/settings_format.h"
#include "settings/settings_location.h"

namespace settings {

// Decided once, at start: whether the program's folder takes a new file
// (one is created and deleted there) and the file there can be replaced, and
// what %APPDATA%\Karvel holds.
Location FindLocation(const std::wstring& toolFolder);
// The file's values, or nothing when there is no file or it cannot be read.
std::optional<Settings> LoadSettings(const std::wstring& path, const Settings& initial = {});
// Writes a temporary file beside the old one and moves it over the old one,
// so a failed save keeps the old file whole; makes the folder when it is
// missing. Returns false on failure; callers ignore it when closing.
bool SaveSettings(const std::wstring& path, const Settings& values);

}  // namespace settings
