#include "ui/screen_reader.h"

#include <oleacc.h>

#include <string>

#include "common/win_handles.h"
#include "ui/controls.h"

namespace ui {
namespace {

// Declared by oleacc.h, defined only by oleacc.lib, which the program does not link.
constexpr GUID kAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kIAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kAccName = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

}  // namespace

void NameControls(HWND window, const NameControl& name) {
    for (const ControlDescription& desc : Controls()) {
        const std::wstring text(ScreenReaderName(desc));
        // An empty name would silence a control that has text of its own.
        if (text.empty()) continue;
        name(GetDlgItem(window, static_cast<int>(desc.id)), OBJID_CLIENT, text.c_str());
    }
}

void NameForScreenReaders(HWND window) {
    IAccPropServices* created = nullptr;
    if (FAILED(CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                                reinterpret_cast<void**>(&created))))
        return;
    const win::unique_com<IAccPropServices> services(created);
    NameControls(window, [&](HWND control, LONG objectId, const wchar_t* name) {
        services.get()->SetHwndPropStr(control, static_cast<DWORD>(objectId), CHILDID_SELF, kAccName, name);
    });
}

}  // namespace ui
