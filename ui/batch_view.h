#pragma once
// A batch as the window shows it: the status log, the progress bar and the
// taskbar button. Windows only.
#include <windows.h>

#include <functional>

namespace conversion {
class BatchHost;
}

namespace ui {

// Runs `batch` against the status log and progress bar of `window` and returns
// when it has ended. While the converter runs the window paints and answers
// but takes no input; input that arrived meanwhile is dropped, not replayed.
void RunShownBatch(HWND window, HWND statusLog, HWND progressBar,
                   const std::function<void(conversion::BatchHost&)>& batch);

}  // namespace ui
