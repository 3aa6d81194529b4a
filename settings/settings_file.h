#pragma once
// karvelxml.ini beside the program. Windows only.
#include <optional>
#include <string>
#include "settings/settings_format.h"

namespace settings {

// <tool folder>\karvelxml.ini
std::wstring SettingsPath(const std::wstring& toolFolder);
// The file's values, or nothing when there is no file or it cannot be read.
std::optional<Settings> LoadSettings(const std::wstring& path, const Settings& initial = {});
// Writes a temporary file beside the old one and moves it over the old one,
// so a failed save keeps the old file whole. Returns false on failure; callers ignore it when closing.
bool SaveSettings(const std::wstring& path, const Settings& values);

}  // namespace settings
