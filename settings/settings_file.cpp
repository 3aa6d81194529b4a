#include "settings/settings_file.h"

#include "common/dll_search.h"
#include "common/file_bytes.h"
#include "common/system_code_page.h"
#include "common/win_handles.h"
#include "common/file_probes.h"
#include "common/paths.h"

namespace settings {
namespace {

// The file is four short lines; anything past this is not ours to read.
constexpr size_t kMaxFileBytes = 1 << 20;

}  // namespace

Location FindLocation(const std::wstring& toolFolder) {
    // A name of its own, so that two copies started at once do not take each
    // other's probe for a folder that cannot be written.
    const std::wstring probeName = L"karvelxml-write-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                   std::to_wstring(::GetCurrentThreadId()) + L".tmp";
    const win::unique_file probe(::CreateFileW(common::JoinPath(toolFolder, probeName).c_str(), GENERIC_WRITE, 0,
                                               nullptr, CREATE_NEW,
                                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    // Beside the program when that can be written, and a file there replaced
    // (one copied from a CD stays read-only): the user's folder is not asked for.
    const bool beside = probe && common::CanReplace(common::JoinPath(toolFolder, FileName));
    if (beside) return ChooseLocation(toolFolder, true, {}, false);
    KARVEL_SYSTEM_FUNCTION(L"shell32.dll", SHGetKnownFolderPath);
    PWSTR roaming = nullptr;
    const HRESULT found =
        SHGetKnownFolderPath ? SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming) : E_FAIL;
    const win::unique_cotaskmem owned(roaming);
    const std::wstring userFolder = SUCCEEDED(found) ? common::JoinPath(roaming, L"Karvel") : std::wstring();
    return ChooseLocation(toolFolder, false, userFolder,
                          !userFolder.empty() && common::FileExists(common::JoinPath(userFolder, FileName)));
}

std::optional<Settings> LoadSettings(const std::wstring& path, const Settings& initial) {
    const std::optional<std::string> bytes = common::ReadFileBytes(path, kMaxFileBytes);
    if (!bytes) return std::nullopt;
    try {
        return ReadSettings(*bytes, common::AnsiCodePage(), initial);
    } catch (...) { return std::nullopt; }
}

bool SaveSettings(const std::wstring& path, const Settings& values) {
    try {
        ::CreateDirectoryW(common::FolderOfPath(path).c_str(), nullptr);
        return common::ReplaceFileBytes(path, WriteSettings(values, common::AnsiCodePage()));
    } catch (...) { return false; }
}

}  // namespace settings
