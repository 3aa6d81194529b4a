#pragma once
// Ending a converter and whatever it started. Portable: the system's calls come in.

namespace conversion {

// Ends them, then looks until none is left, pausing at most `pauses` times:
// the system ends the processes of a job a moment after it is asked, and a
// file one of them holds stays held until it is gone. False when they could
// not be ended.
template <typename End, typename Gone, typename Pause>
bool EndAndWait(End end, Gone gone, Pause pause, int pauses) {
    const bool ended = end();
    for (int paused = 0; paused < pauses && !gone(); ++paused) pause();
    return ended;
}

}  // namespace conversion
