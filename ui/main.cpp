#include <windows.h>
#include <objbase.h>

#include "common/process_setup.h"
#include "ui/frmMain.h"

namespace {

// The shell's folder dialog and the taskbar need COM on this thread.
class ComApartment {
public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    common::PrepareProcess();  // before any window
    const ComApartment com;
    const std::unique_ptr<ui::frmMain> form = ui::frmMain::Create(instance, ui::SystemEnvironment());
    if (!form) return 1;
    ShowWindow(form->Handle(), show);
    UpdateWindow(form->Handle());
    return ui::RunMessageLoop(*form);
}
