#pragma once
// Splitting paths at the backslash and folding backslash runs. Portable.
#include <string>
#include <string_view>

namespace conversion {

// Text before the last backslash, without it; empty when there is none.
std::wstring FolderOfPath(std::wstring_view path);
// Text after the last backslash; empty when there is none or it ends the path.
std::wstring FileNameOfPath(std::wstring_view path);
// Every run of backslashes becomes one, except the two that begin a network
// (\\server\share) or \\?\ path.
std::wstring FoldBackslashes(std::wstring_view path);

}  // namespace conversion
