#pragma once
// The colours the window draws its own texts in: system colours by their
// index, and the dark red of the frames' captions. Portable.

namespace ui {

inline constexpr int SysColorWindow = 5;           // COLOR_WINDOW
inline constexpr int SysColorInactiveBorder = 11;  // COLOR_INACTIVEBORDER
inline constexpr int SysColorBtnFace = 15;         // COLOR_BTNFACE
inline constexpr int SysColorGrayText = 17;        // COLOR_GRAYTEXT
inline constexpr int SysColorBtnText = 18;         // COLOR_BTNTEXT
inline constexpr int DarkRed = -1;                 // red 192, green 0, blue 0: no system colour

// A text's colour and its background's.
struct TextColours {
    int text, background;
    constexpr bool operator==(const TextColours&) const = default;
};

// A frame's caption is dark red on the face colour. In high contrast the
// user's own colours hold: dark red on a black face can hardly be read.
constexpr TextColours FrameCaptionColours(bool highContrast) {
    return {highContrast ? SysColorBtnText : DarkRed, SysColorBtnFace};
}

// The greyed folder box: greyed text on its own background; in high contrast
// on the face colour, as the system draws a disabled box, which every theme
// makes the greyed text stand out from.
constexpr TextColours GreyedBoxColours(int background, bool highContrast) {
    return {SysColorGrayText, highContrast ? SysColorBtnFace : background};
}

}  // namespace ui
