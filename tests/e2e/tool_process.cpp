#include "tool_process.h"

#include <thread>

#include "test_paths.h"
#include "ui/list_box.h"

namespace e2e {

using namespace std::chrono_literals;

std::wstring MakeInstall(const std::wstring& name, bool withConverter) {
    const std::wstring folder = ScratchFolder(L"e2e-" + name);
    CopyFileW(KARVEL_EXE_PATH, (folder + L"\\karvelxml.exe").c_str(), FALSE);
    if (withConverter) CopyFileW(KARVEL_STANDIN_PATH, (folder + L"\\quillon.exe").c_str(), FALSE);
    return folder;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

namespace {

struct Search {
    DWORD processId;
    HWND owner;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindWindowOf(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->processId || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (search->className && wcscmp(name, search->className) != 0) return TRUE;
    if (search->owner && GetWindow(hwnd, GW_OWNER) != search->owner) return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace

Tool::Tool(const std::wstring& install) {
    std::wstring commandLine = L"\"" + install + L"\\karvelxml.exe\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, install.c_str(), &startup,
                        &info))
        return;
    win::unique_handle thread(info.hThread);
    process_.reset(info.hProcess);
    processId_ = info.dwProcessId;
    WaitFor([&] {
        Search search{processId_, nullptr, L"KarvelQuillonFrontEnd", nullptr};
        EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
        main_ = search.found;
        return main_ != nullptr;
    });
}

Tool::~Tool() {
    if (process_ && !Exited()) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 5000);
    }
}

std::wstring Tool::Text(ui::ControlId id) const {
    wchar_t buffer[2048] = {};
    SendMessageW(Ctl(id), WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

void Tool::SetText(ui::ControlId id, const std::wstring& text) const {
    SendMessageW(Ctl(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The same reader the window uses: list box messages work across processes.
std::vector<std::wstring> Tool::Lines(ui::ControlId list) const { return ui::ListBox(Ctl(list)).All(); }

HWND Tool::Dialog() const {
    Search search{processId_, main_, L"#32770", nullptr};
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Tool::WaitForDialog() const {
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = Dialog()) != nullptr; });
    return dialog;
}

bool Tool::WaitForDialogGone() const {
    return WaitFor([&] { return Dialog() == nullptr; });
}

bool Tool::Close(std::chrono::milliseconds limit) {
    PostMessageW(main_, WM_CLOSE, 0, 0);
    return WaitForSingleObject(process_.get(), static_cast<DWORD>(limit.count())) == WAIT_OBJECT_0;
}

namespace {

// The file-name box: a combo box (cmb13) on newer systems, an edit (edt1) on older.
HWND FileNameBox(HWND dialog) {
    if (HWND combo = GetDlgItem(dialog, 0x47C)) {
        if (HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr)) return edit;
        return combo;
    }
    return GetDlgItem(dialog, 0x480);
}

void TypeAndConfirm(HWND dialog, const std::wstring& text) {
    SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

}  // namespace

bool Tool::AddFiles(ui::ControlId add, ui::ControlId list, const std::wstring& folder,
                    const std::vector<std::wstring>& names) const {
    const size_t before = Lines(list).size();
    Click(add);
    HWND dialog = WaitForDialog();
    if (!dialog) return false;
    // Quoted names are taken relative to the dialog's folder: go there first.
    TypeAndConfirm(dialog, folder);
    std::this_thread::sleep_for(300ms);
    std::wstring typed = names.size() == 1 ? names[0] : L"";
    if (names.size() > 1)
        for (const auto& name : names) typed += L"\"" + name + L"\" ";
    TypeAndConfirm(dialog, typed);
    return WaitForDialogGone() && WaitFor([&] { return Lines(list).size() == before + names.size(); });
}

}  // namespace e2e
