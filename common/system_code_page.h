#pragma once
// The system's own 8-bit code pages, exact: Encode refuses anything that would
// come back different. Windows only.
#include <windows.h>

#include <memory>

#include "common/code_page.h"

namespace common {

const CodePage& AnsiCodePage();  // CP_ACP
const CodePage& OemCodePage();   // CP_OEMCP, what console programs write

// Any code page by its number, its text made bytes by `toBytes`: tests give
// one that does what Windows does where Wine is lenient.
std::unique_ptr<CodePage> NumberedCodePage(UINT number,
                                           decltype(&::WideCharToMultiByte) toBytes = ::WideCharToMultiByte);

}  // namespace common
