#pragma once
// How the source-folder switch sets the binary-to-text folder controls. Portable.
#include "ui/colours.h"

namespace ui {

struct FolderControlsState {
    bool enabled;
    int background;  // system colour index of the folder box
};

// Output beside the sources leaves the folder box and its "..." nothing to do.
constexpr FolderControlsState ForSourceFolderSwitch(bool outputToSourceFolder) {
    return outputToSourceFolder ? FolderControlsState{false, SysColorInactiveBorder}
                                : FolderControlsState{true, SysColorWindow};
}

}  // namespace ui
