#include "settings/settings_location.h"

#include "common/paths.h"

namespace settings {

Location ChooseLocation(const std::wstring& toolFolder, bool besideWritable, const std::wstring& userFolder,
                        bool userFileExists) {
    const std::wstring beside = common::JoinPath(toolFolder, FileName);
    // Without a folder of the user's own, a failed save beside the program is
    // better than a file in the root of the current drive.
    if (besideWritable || userFolder.empty()) return {beside, beside};
    const std::wstring user = common::JoinPath(userFolder, FileName);
    return {userFileExists ? user : beside, user};
}

}  // namespace settings
