#include "settings/settings_file.h"

#include "common/file_bytes.h"
#include "common/system_code_page.h"
#include "conversion/paths.h"

namespace settings {
namespace {

// The file is four short lines; anything past this is not ours to read.
constexpr size_t kMaxFileBytes = 1 << 20;

}  // namespace

std::wstring SettingsPath(const std::wstring& toolFolder) { return conversion::JoinPath(toolFolder, L"karvelxml.ini"); }

std::optional<Settings> LoadSettings(const std::wstring& path, const Settings& initial) {
    const std::optional<std::string> bytes = common::ReadFileBytes(path, kMaxFileBytes);
    if (!bytes) return std::nullopt;
    try {
        return ReadSettings(*bytes, common::AnsiCodePage(), initial);
    } catch (...) {
        return std::nullopt;
    }
}

bool SaveSettings(const std::wstring& path, const Settings& values) {
    try {
        return common::ReplaceFileBytes(path, WriteSettings(values, common::AnsiCodePage()));
    } catch (...) {
        return false;
    }
}

}  // namespace settings
