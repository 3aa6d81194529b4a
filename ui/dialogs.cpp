#include "ui/dialogs.h"

#include <cderr.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>

#include "common/dll_search.h"
#include "common/win_handles.h"
#include "common/file_probes.h"
#include "common/paths.h"

namespace ui {
namespace {

// Room for thousands of names at once; when a selection needs more, the
// dialog is shown again with the room it asked for.
constexpr DWORD kInitialResultChars = 1 << 20;

// "description|pattern" as the dialogs take it.
std::wstring SystemFilter(const std::wstring& filter) {
    std::wstring systemFilter = filter;
    std::replace(systemFilter.begin(), systemFilter.end(), L'|', L'\0');
    return systemFilter.append(2, L'\0');
}

int CALLBACK BrowseCallback(HWND dialog, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

}  // namespace

std::wstring ShowOpenFilesDialog(HWND owner, const std::wstring& filter) {
    const std::wstring systemFilter = SystemFilter(filter);
    // The dialog makes the folder it was in the program's current one (OFN_NOCHANGEDIR
    // does not hold for it), which would keep that folder, on a USB stick say, in use.
    const std::wstring current = common::CurrentFolder();
    const struct Restore {
        const std::wstring& folder;
        ~Restore() { SetCurrentDirectoryW(folder.c_str()); }
    } restore{current};

    KARVEL_SYSTEM_FUNCTION(L"comdlg32.dll", GetOpenFileNameW);
    KARVEL_SYSTEM_FUNCTION(L"comdlg32.dll", CommDlgExtendedError);
    if (!GetOpenFileNameW || !CommDlgExtendedError) return {};
    DWORD capacity = kInitialResultChars;
    for (;;) {
        std::wstring buffer(capacity, L'\0');
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = systemFilter.c_str();
        ofn.lpstrFile = buffer.data();
        ofn.nMaxFile = capacity;
        ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;
        if (GetOpenFileNameW(&ofn)) {
            // The result ends at the first pair of NULs.
            const size_t end = buffer.find(std::wstring_view(L"\0\0", 2));
            buffer.resize(end == std::wstring::npos ? capacity : end);
            return buffer;
        }
        if (CommDlgExtendedError() != FNERR_BUFFERTOOSMALL) return {};
        // The first character holds the size needed, when it fits in 16 bits.
        const DWORD needed = static_cast<unsigned short>(buffer[0]);
        capacity = std::max<DWORD>(capacity * 2, needed + 2);
    }
}

std::wstring ShowSaveFileDialog(HWND owner, const std::wstring& filter, const std::wstring& name) {
    KARVEL_SYSTEM_FUNCTION(L"comdlg32.dll", GetSaveFileNameW);
    if (!GetSaveFileNameW) return {};
    const std::wstring systemFilter = SystemFilter(filter);
    std::wstring buffer = name;
    buffer.resize(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = systemFilter.c_str();
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrDefExt = L"txt";
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn)) return {};
    buffer.resize(wcslen(buffer.c_str()));
    return buffer;
}

bool ShowInExplorer(HWND, const std::wstring&, const std::wstring& file) {
    KARVEL_SYSTEM_FUNCTION(L"shell32.dll", SHParseDisplayName);
    KARVEL_SYSTEM_FUNCTION(L"shell32.dll", SHOpenFolderAndSelectItems);
    if (!SHParseDisplayName || !SHOpenFolderAndSelectItems) return false;
    PIDLIST_ABSOLUTE item = nullptr;
    // "a.xml " by its exact form, or the shell would show "a.xml".
    const std::wstring exact = common::KeptByPathRules(file) ? file : common::ExactPath(file);
    if (FAILED(SHParseDisplayName(exact.c_str(), nullptr, &item, 0, nullptr))) return false;
    const win::unique_cotaskmem owned(item);
    // Given one item and no children, the shell opens its folder with it selected.
    return SUCCEEDED(SHOpenFolderAndSelectItems(item, 0, nullptr, 0));
}

std::wstring BrowseForFolder(HWND owner, const std::wstring& title, const std::wstring& initial) {
    KARVEL_SYSTEM_FUNCTION(L"shell32.dll", SHBrowseForFolderW);
    KARVEL_SYSTEM_FUNCTION(L"shell32.dll", SHGetNameFromIDList);
    if (!SHBrowseForFolderW || !SHGetNameFromIDList) return {};
    const bool startThere = common::FolderExists(initial);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowseCallback;
    info.lParam = startThere ? reinterpret_cast<LPARAM>(initial.c_str()) : 0;

    win::unique_cotaskmem chosen(SHBrowseForFolderW(&info));
    if (!chosen) return {};
    // The shell allocates the path, so a long one is not cut at MAX_PATH.
    PWSTR path = nullptr;
    if (FAILED(SHGetNameFromIDList(static_cast<PCIDLIST_ABSOLUTE>(chosen.get()), SIGDN_FILESYSPATH, &path))) return {};
    const win::unique_cotaskmem owned(path);
    return path;
}

}  // namespace ui
