#include "ui/controls.h"

#include <algorithm>

namespace ui {
namespace {

using enum ControlId;
using enum Kind;

constexpr ControlDescription kControls[] = {
    {Frame1, Frame, Window, L"Frame1", L"Convert from binary to text XML", 4, 4, 537, 213, 0, true},
    {lstBin, ListBox, Frame1, L"lstBin", L"", 16, 24, 505, 95, 1, true},
    // A label goes just before the box it names, as a screen reader names a box after the label before it;
    // it takes no focus, so no other control moves in the tab order. The box, after it, is drawn after it.
    {Label1, Label, Frame1, L"Label1", L"Text XML extension:", 16, 128, 121, 17, 19, true},
    {txtExt, TextBox, Frame1, L"txtExt", L"txt", 116, 124, 29, 25, 19, true},
    {cmbBinCle, Button, Frame1, L"cmbBinCle", L"Clear list", 152, 124, 121, 25, 21, true},
    {cmbBinRem, Button, Frame1, L"cmbBinRem", L"Remove selected", 276, 124, 121, 25, 3, false},
    {cmbBinAdd, Button, Frame1, L"cmbBinAdd", L"Add files...", 400, 124, 121, 25, 2, true},
    {chkBinOut, CheckBox, Frame1, L"chkBinOut", L"Output to the source folder", 16, 156, 181, 13, 18, true},
    {txtBinOut, TextBox, Frame1, L"txtBinOut", L"", 16, 172, 353, 25, 5, true},
    {cmbBinOut, Button, Frame1, L"cmbBinOut", L"...", 372, 172, 25, 25, 6, true},
    {cmbBinCon, Button, Frame1, L"cmbBinCon", L"Convert!", 400, 172, 121, 25, 4, false},
    {Frame2, Frame, Window, L"Frame2", L"Convert from text to binary XML", 4, 220, 537, 213, 7, true},
    {lstTxt, ListBox, Frame2, L"lstTxt", L"", 16, 24, 505, 95, 13, true},
    {cmbTxtCle, Button, Frame2, L"cmbTxtCle", L"Clear list", 152, 124, 121, 25, 22, true},
    {cmbTxtRem, Button, Frame2, L"cmbTxtRem", L"Remove selected", 276, 124, 121, 25, 11, false},
    {cmbTxtAdd, Button, Frame2, L"cmbTxtAdd", L"Add files...", 400, 124, 121, 25, 12, true},
    {lblTxtOut, Label, Frame2, L"lblTxtOut", L"Output path:", 16, 156, 73, 13, 9, true},
    {txtTxtOut, TextBox, Frame2, L"txtTxtOut", L"", 16, 172, 353, 25, 9, true},
    {cmbTxtOut, Button, Frame2, L"cmbTxtOut", L"...", 372, 172, 25, 25, 8, true},
    {cmbTxtCon, Button, Frame2, L"cmbTxtCon", L"Convert!", 400, 172, 121, 25, 10, false},
    {cmd, OpenFileDialog, Frame2, L"cmd", L"", 0, 0, 0, 0, -1, true},
    {Frame3, Frame, Window, L"Frame3", L"Status", 4, 436, 537, 101, 15, true},
    {lstStatus, ListBox, Frame3, L"lstStatus", L"", 16, 20, 505, 56, 16, true},
    {pb, ProgressBar, Frame3, L"pb", L"", 16, 80, 505, 13, 17, true},
    {Label2, Label, Window, L"Label2", Credits, 44, 540, 461, 13, 23, false},
};

}  // namespace

std::span<const ControlDescription> Controls() { return kControls; }

const ControlDescription& Description(ControlId id) {
    return *std::find_if(std::begin(kControls), std::end(kControls),
                         [id](const ControlDescription& s) { return s.id == id; });
}

std::wstring_view ScreenReaderName(const ControlDescription& desc) {
    if (desc.kind == ListBox) return Description(desc.container).text;
    if (desc.text == std::wstring_view(L"...")) return L"Choose output folder";
    if (desc.id == txtBinOut) return L"Output folder";  // no label of its own
    if (desc.kind == ProgressBar) return L"Conversion progress";
    return {};
}

Point ClientPosition(const ControlDescription& desc) {
    if (desc.container == Window) return {desc.left, desc.top};
    const Point origin = ClientPosition(Description(desc.container));
    return {origin.x + desc.left, origin.y + desc.top};
}

Rect ScaledRect(const ControlDescription& desc, int dpi) {
    const Point at = ClientPosition(desc);
    return {Scale(at.x, dpi), Scale(at.y, dpi), Scale(desc.width, dpi), Scale(desc.height, dpi)};
}

}  // namespace ui
