#pragma once
// Every control of the main window, described once. Portable: the window
// creates its controls from this table, and tests read it.
#include <array>
#include <span>
#include <string_view>

namespace ui {

// clang-format off
enum class ControlId : int {
    Frame1 = 100, lstBin, Label1, txtExt, cmbBinCle, cmbBinRem, cmbBinAdd, chkBinOut,
    txtBinOut, cmbBinOut, cmbBinCon,
    Frame2, lstTxt, cmbTxtCle, cmbTxtRem, cmbTxtAdd, lblTxtOut, txtTxtOut, cmbTxtOut, cmbTxtCon,
    cmd,
    Frame3, lstStatus, pb, Label2,
};
// clang-format on

enum class Kind { Frame, ListBox, Label, TextBox, Button, CheckBox, ProgressBar, OpenFileDialog };

struct ControlDescription {
    ControlId id;
    Kind kind;
    ControlId container;  // a frame, or Window for the client area
    const wchar_t* name;
    const wchar_t* text;
    int left, top, width, height;  // pixels at 96 DPI, relative to the container
    int tab;                       // -1: no place in the tab order
    bool enabled;
};

inline constexpr ControlId Window = static_cast<ControlId>(0);

// The two queue panels are twins: the controls each has in each role.
enum class Panel { Bin, Txt };
struct PanelControls {
    ControlId list, rem, con, outText, cle;
};
constexpr PanelControls ControlsOf(Panel panel) {
    return panel == Panel::Bin ? PanelControls{ControlId::lstBin, ControlId::cmbBinRem, ControlId::cmbBinCon,
                                               ControlId::txtBinOut, ControlId::cmbBinCle}
                               : PanelControls{ControlId::lstTxt, ControlId::cmbTxtRem, ControlId::cmbTxtCon,
                                               ControlId::txtTxtOut, ControlId::cmbTxtCle};
}

inline constexpr const wchar_t* WindowClass = L"KarvelQuillonFrontEnd";
inline constexpr int ClientWidth = 544;
inline constexpr int ClientHeight = 556;
inline constexpr const wchar_t* Caption = L"Karvel Quillon Front-end";
inline constexpr const wchar_t* Credits =
    L"Karvel Quillon Front-end \x00A9 2026 the Karvel developers \x2014 quillon.exe \x00A9 2026 its authors";

std::span<const ControlDescription> Controls();
const ControlDescription& Description(ControlId id);

// What a screen reader announces for the control, where its own text does not
// say it: a list by its frame's caption, "..." and the progress bar by what they do. Empty otherwise.
std::wstring_view ScreenReaderName(const ControlDescription& desc);

// Left and top in the window's client area (a frame only offsets its children).
struct Point {
    int x, y;
};
Point ClientPosition(const ControlDescription& desc);

// The layout is given at 96 DPI; at any other it is scaled, to the nearest pixel.
constexpr int Scale(int pixels, int dpi) { return (pixels * dpi + 48) / 96; }
struct Rect {
    int left, top, width, height;
};
// Where the control lies in the client area at `dpi`, and its size there.
Rect ScaledRect(const ControlDescription& desc, int dpi);
// A LOGFONT height made for `dpi` as points, by way of its height at 96 DPI (each
// step to the nearest), and points as a LOGFONT height at `dpi`.
constexpr int FontPoints(int height, int dpi) { return ((-height * 96 + dpi / 2) / dpi * 72 + 48) / 96; }
constexpr int DialogFontHeight(int points, int dpi) { return -((points * dpi + 36) / 72); }

}  // namespace ui
