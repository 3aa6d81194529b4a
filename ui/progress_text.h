#pragma once
// What the progress bar's tooltip and the taskbar button's say of a batch. Portable.
#include <chrono>
#include <string>

namespace ui {

// While it runs, at entry `value` of `count` (1 for the first): "37 of 100
// files", and once three files or five seconds have passed ", about 2
// minutes left" (seconds below a minute, whole minutes below an hour, then
// hours and minutes), from the time the finished ones took. With several
// converters running: "37 of 100 files, 4 at once, about ...".
std::wstring RunningText(int value, int count, std::chrono::milliseconds elapsed, int running = 1);
// After it: "100 files in 2 minutes 13 seconds", or "37 of 100 files in ..."
// when it ended at entry `reached`, before its last.
std::wstring FinishedText(int reached, int count, std::chrono::milliseconds elapsed);

}  // namespace ui
