#pragma once
// Which input the window takes while it works (a batch runs, or a drop is
// collected): what stops the work, the window's own frame and keys, and the
// status log, which stays readable. Portable.

namespace ui {

enum class Input {
    Key,           // a key for the focused control
    Press,         // Space or Enter pressed: what presses a focused button
    PressRepeat,   // Space or Enter held down until it repeats
    Tab,           // a key that moves the focus
    Escape,        // Esc pressed (or let go): it stops the work
    EscapeRepeat,  // Esc held down until it repeats
    SystemKey,     // Alt, F10 and their chords: the window's own
    Mouse,         // a mouse button pressed or let go
    Hover,         // the mouse moved, or rests
    DoubleClick,   // the second press of a double-click
    Wheel,         // taken by the control under the mouse
    Frame,         // the mouse on a title bar or a scroll bar
};

// ConvertButton: either "Convert!" while no batch runs; BatchButton: the one that reads "Stop".
enum class Target { BatchButton, ConvertButton, StatusLog, ProgressBar, Window, Other };

bool TakenWhileWorking(Input input, Target target);
// Without work: all but the second press of a double-click on "Convert!",
// whose first press started a batch, however soon that batch has ended, and
// the repeats of a key held down on it since it read "Stop".
bool TakenWhenIdle(Input input, Target target);
// While it works, Tab and Shift+Tab move the focus between the controls that
// take input: the batch's button, while a batch runs, and the status log.
Target FocusAfterTab(Target from, bool batchRuns);

}  // namespace ui
