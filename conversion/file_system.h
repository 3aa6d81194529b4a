#pragma once
// Whether two paths name one file, on the real file system. Windows only.
#include <string>

namespace conversion {

// See BatchHost::SameFile and BatchHost::PathKey.
bool SameFile(const std::wstring& source, const std::wstring& destination);
std::wstring PathKey(const std::wstring& path);

}  // namespace conversion
