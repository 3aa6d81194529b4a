#include <windows.h>
#include <objbase.h>

#include "ui/frmMain.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    // The shell's folder dialog and the taskbar need COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    int result = 1;
    if (ui::frmMain* form = ui::frmMain::Create(instance, ui::SystemEnvironment())) {
        ShowWindow(form->Handle(), show);
        UpdateWindow(form->Handle());
        result = ui::RunMessageLoop(form->Handle());
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}
