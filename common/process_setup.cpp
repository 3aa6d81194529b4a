#include "common/process_setup.h"

#include "common/dll_search.h"

namespace common {

void PrepareProcess() {
    LoadDllsFromTheSystemFolderOnly();
    ::SetErrorMode(kQuietErrorMode);
}

}  // namespace common
