#include "support/support.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <thread>

#include "common/file_bytes.h"
#include "common/win_handles.h"
#include "test_paths.h"
#include "ui/list_box.h"

namespace test_support {

std::wstring ScratchFolder(const std::wstring& name) {
    const std::wstring folder = std::wstring(KARVEL_TEST_SCRATCH) + L"\\" + name;
    // Whatever an earlier run left goes first.
    const std::wstring from = folder + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
    if (!CreateDirectoryW(folder.c_str(), nullptr)) ADD_FAILURE() << "cannot make a fresh scratch folder";
    return folder;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    if (!common::ReplaceFileBytes(path, bytes)) ADD_FAILURE() << "cannot write a scratch file";
}

std::string ReadBytes(const std::wstring& path) { return common::ReadFileBytes(path, 1 << 26).value_or("<missing>"); }

std::vector<std::wstring> NamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    win::unique_find find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find.get(), &data));
    return names;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::wstring WindowDriver::Text(ui::ControlId id) const {
    wchar_t buffer[2048] = {};
    SendMessageW(Ctl(id), WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

void WindowDriver::SetText(ui::ControlId id, const std::wstring& text) const {
    SendMessageW(Ctl(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The reader the window uses itself.
std::vector<std::wstring> WindowDriver::Lines(ui::ControlId list) const { return ui::ListBox(Ctl(list)).All(); }

std::string WindowDriver::On(std::initializer_list<ui::ControlId> ids) const {
    std::string states;
    for (ui::ControlId id : ids) states += IsWindowEnabled(Ctl(id)) ? '1' : '0';
    return states;
}

}  // namespace test_support
