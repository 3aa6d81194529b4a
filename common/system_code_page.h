#pragma once
// The system's own 8-bit code pages, exact: Encode refuses anything that would
// come back different. Windows only.
#include "common/code_page.h"

namespace common {

const CodePage& AnsiCodePage();  // CP_ACP
const CodePage& OemCodePage();   // CP_OEMCP, what console programs write

}  // namespace common
