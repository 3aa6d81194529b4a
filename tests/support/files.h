#pragma once
// Scratch files for the Windows tests.
#include <string>
#include <vector>

namespace test_support {

// A fresh, empty folder under the build's scratch folder.
std::wstring ScratchFolder(const std::wstring& name);
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);  // "<missing>" when it cannot be read
std::string Utf8(const std::wstring& text);
// Names of what a folder holds, without "." and "..".
std::vector<std::wstring> NamesIn(const std::wstring& folder);

}  // namespace test_support
