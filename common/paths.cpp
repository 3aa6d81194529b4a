#include "common/paths.h"

namespace common {

std::wstring FolderOfPath(std::wstring_view path) {
    const auto last = path.rfind(L'\\');
    if (last == std::wstring_view::npos) return {};
    return std::wstring(path.substr(0, last));
}

std::wstring FileNameOfPath(std::wstring_view path) {
    const auto last = path.rfind(L'\\');
    if (last == std::wstring_view::npos) return {};
    return std::wstring(path.substr(last + 1));
}

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
    std::wstring joined(folder);
    if (joined.empty() || joined.back() != L'\\') joined += L'\\';
    joined += name;
    return joined;
}

std::wstring FoldBackslashes(std::wstring_view path) {
    std::wstring folded;
    folded.reserve(path.size());
    std::size_t i = 0;
    // A leading pair marks a network or \\?\ path: folding it to one would
    // turn it into a path on the current drive.
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') {
        folded = L"\\\\";
        i = 2;
        while (i < path.size() && path[i] == L'\\') ++i;
    }
    for (; i < path.size(); ++i) {
        if (path[i] == L'\\' && !folded.empty() && folded.back() == L'\\') continue;
        folded.push_back(path[i]);
    }
    return folded;
}

std::wstring ExtendedLengthPath(std::wstring_view path) {
    const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
    const bool network = path.starts_with(L"\\\\") && !path.starts_with(L"\\\\?\\") && !path.starts_with(L"\\\\.\\");
    if (path.size() < kLongPath || (!drive && !network)) return std::wstring(path);
    return drive ? L"\\\\?\\" + std::wstring(path) : L"\\\\?\\UNC" + std::wstring(path.substr(1));
}

}  // namespace common
