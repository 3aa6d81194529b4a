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

namespace {

constexpr std::wstring_view kExact = L"\\\\?\\", kExactNetwork = L"\\\\?\\UNC\\";

bool IsDrivePath(std::wstring_view path) { return path.size() >= 3 && path[1] == L':' && path[2] == L'\\'; }
bool IsNetworkPath(std::wstring_view path) {
    return path.starts_with(L"\\\\") && !path.starts_with(kExact) && !path.starts_with(L"\\\\.\\");
}

wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool EqualsUpper(std::wstring_view text, std::wstring_view upper) {
    if (text.size() != upper.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (Upper(text[i]) != upper[i]) return false;
    return true;
}

}  // namespace

bool IsDeviceName(std::wstring_view name) {
    std::wstring_view base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
    for (const std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (EqualsUpper(base, device)) return true;
    // COM and LPT with one digit, the superscript ones too.
    constexpr std::wstring_view kDigits = L"0123456789\u00B9\u00B2\u00B3";
    return base.size() == 4 && (EqualsUpper(base.substr(0, 3), L"COM") || EqualsUpper(base.substr(0, 3), L"LPT")) &&
           kDigits.find(base[3]) != std::wstring_view::npos;
}

bool KeptByPathRules(std::wstring_view path) {
    if (path.starts_with(kExact) || path.starts_with(L"\\\\.\\")) return false;
    std::size_t from = 0;
    if (IsNetworkPath(path)) {  // the server and the share are not files
        from = path.find(L'\\', 2);
        from = from == std::wstring_view::npos ? path.size() : path.find(L'\\', from + 1);
        if (from == std::wstring_view::npos) return true;
    }
    while (from < path.size()) {
        std::size_t end = path.find(L'\\', from);
        if (end == std::wstring_view::npos) end = path.size();
        const std::wstring_view element = path.substr(from, end - from);
        from = end + 1;
        if (element.empty() || element == L"." || element == L".." || (element.size() == 2 && element[1] == L':'))
            continue;
        if (element.back() == L' ' || element.back() == L'.' || IsDeviceName(element)) return false;
    }
    return true;
}

std::wstring WrittenName(std::wstring_view name) {
    while (!name.empty() && (name.back() == L' ' || name.back() == L'.')) name.remove_suffix(1);
    return std::wstring(name);
}

std::wstring ExactPath(std::wstring_view path) {
    if (IsDrivePath(path)) return std::wstring(kExact) + std::wstring(path);
    if (IsNetworkPath(path)) return std::wstring(kExactNetwork) + std::wstring(path.substr(2));
    return std::wstring(path);
}

std::wstring PlainPath(std::wstring_view path) {
    if (path.starts_with(kExactNetwork)) return L"\\\\" + std::wstring(path.substr(kExactNetwork.size()));
    if (path.starts_with(kExact)) return std::wstring(path.substr(kExact.size()));
    return std::wstring(path);
}

std::wstring ExtendedLengthPath(std::wstring_view path) {
    return path.size() < kLongPath ? std::wstring(path) : ExactPath(path);
}

}  // namespace common
