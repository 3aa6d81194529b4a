#pragma once
// Splitting paths at the backslash and folding backslash runs. Portable.
#include <string>
#include <string_view>

namespace common {

// Text before the last backslash, without it; empty when there is none.
std::wstring FolderOfPath(std::wstring_view path);
// Text after the last backslash; empty when there is none or it ends the path.
std::wstring FileNameOfPath(std::wstring_view path);
// The folder, one backslash and the name; a folder that already ends in a
// backslash (a drive's root) gets no second one.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);
// Every run of backslashes becomes one, except the two that begin a network
// (\\server\share) or \\?\ path.
std::wstring FoldBackslashes(std::wstring_view path);

// True when Windows' ordinary file calls take the path as it is written: no
// element ends in a space or a dot, and none is named after a device. They
// quietly read "a.xml " as "a.xml" and "con.xml" as the console.
bool KeptByPathRules(std::wstring_view path);
// True for a name whose base (before its first dot, trailing spaces ignored)
// is a device's, in any case: CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, ...
bool IsDeviceName(std::wstring_view name);
// The name as Windows' ordinary calls write it: trailing spaces and dots gone.
std::wstring WrittenName(std::wstring_view name);

// The \\?\ form of a full path, which the file functions take as it is at any
// length; one already in that form, and one that is not full, stay as they are.
std::wstring ExactPath(std::wstring_view fullPath);
// A \\?\ path in the form a program's command line takes: C:\... or \\server\share\...
std::wstring PlainPath(std::wstring_view path);

// The system refuses a plain path of this many characters or more (MAX_PATH)
// unless the program is long-path aware on a Windows that allows it.
inline constexpr std::size_t kLongPath = 260;
// A full path as the file functions take it at any length: from kLongPath
// characters on, C:\... becomes \\?\C:\... and \\server\share\...
// becomes \\?\UNC\server\share\...; a shorter path, one already in that
// form and one that is not full stay as they are.
std::wstring ExtendedLengthPath(std::wstring_view fullPath);

}  // namespace common
