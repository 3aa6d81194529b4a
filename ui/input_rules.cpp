#include "ui/input_rules.h"

namespace ui {

bool TakenWhileWorking(Input input, Target target) {
    switch (input) {
        case Input::SystemKey:
        case Input::Escape:
        case Input::Tab: return true;
        // One press is one Stop, however long it is held or however fast it is repeated.
        case Input::EscapeRepeat: return false;
        case Input::Press: return target == Target::StatusLog || target == Target::BatchButton;
        case Input::PressRepeat:
        case Input::Key:
        case Input::Wheel:
        case Input::DoubleClick: return target == Target::StatusLog;
        case Input::Mouse: return target == Target::StatusLog || target == Target::BatchButton;
        // The progress bar shows its tooltip.
        case Input::Hover:
            return target == Target::StatusLog || target == Target::BatchButton || target == Target::ProgressBar;
        case Input::Frame: return target == Target::StatusLog || target == Target::Window;
    }
    return false;
}

bool TakenWhenIdle(Input input, Target target) {
    return (input != Input::DoubleClick && input != Input::PressRepeat) || target != Target::ConvertButton;
}

Target FocusAfterTab(Target from, bool batchRuns) {
    return batchRuns && from == Target::StatusLog ? Target::BatchButton : Target::StatusLog;
}

}  // namespace ui
