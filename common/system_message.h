#pragma once
// The system's words for an error, as one line of the status log. Windows only.
#include <windows.h>

#include <string>

namespace common {

// Fetched without its inserts filled, so that a message with more than one
// reads nothing past what is given; `program` then stands in for its "%1".
std::wstring SystemMessage(DWORD error, const std::wstring& program = {});

}  // namespace common
