#include "settings/settings_location.h"

#include "conversion/paths.h"

namespace settings {

Location ChooseLocation(const std::wstring& toolFolder, bool toolFolderWritable, const std::wstring& userFolder,
                        bool userFileExists) {
    const std::wstring beside = conversion::JoinPath(toolFolder, FileName);
    if (toolFolderWritable) return {beside, beside};
    const std::wstring user = conversion::JoinPath(userFolder, FileName);
    return {userFileExists ? user : beside, user};
}

}  // namespace settings
