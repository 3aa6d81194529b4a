#pragma once
// When a refused start of the converter is tried again. Portable.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iterator>
#include <mutex>

namespace conversion {

// Whether the system's refusal to start a program is final: no such file, no
// program in it, or one the system will not run (blocked by a policy, a virus
// scanner or a signature, or one that asks to be elevated).
constexpr bool IsFinalStartError(std::uint32_t error) {
    // ERROR_FILE_NOT_FOUND, _PATH_NOT_FOUND, _BAD_FORMAT, _INVALID_NAME, _BAD_PATHNAME,
    // _INVALID_EXE_SIGNATURE, _EXE_MARKED_INVALID, _BAD_EXE_FORMAT, _EXE_MACHINE_TYPE_MISMATCH,
    // _VIRUS_INFECTED, _VIRUS_DELETED, _DIRECTORY, _INVALID_IMAGE_HASH, _ELEVATION_REQUIRED,
    // _ACCESS_DISABLED_BY_POLICY.
    constexpr std::uint32_t kFinal[] = {2, 3, 11, 123, 161, 191, 192, 193, 216, 225, 226, 267, 577, 740, 1260};
    return std::find(std::begin(kFinal), std::end(kFinal), error) != std::end(kFinal);
}

// Another program, a virus scanner for one, may hold a just-copied converter
// for a moment. A refused start is tried again for two seconds in all, once in
// a batch, counted in elapsed time however many converters are refused at
// once: once they are spent, each entry's converter is tried once. Safe to
// share between the runs of one batch.
class StartRetries {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kWindow{2000};

    // A run's start was refused at `now` (`first`: its first refusal): whether to try again. A run that was refused
    // says Done once it stops trying, started or not.
    bool Refused(std::uint32_t error, bool first, Clock::time_point now) {
        const std::lock_guard lock(mutex_);
        if (first && refusing_++ == 0) since_ = now;
        return !IsFinalStartError(error) && spent_ + (now - since_) < kWindow;
    }
    void Done(Clock::time_point now) {
        const std::lock_guard lock(mutex_);
        if (refusing_ > 0 && --refusing_ == 0) spent_ += now - since_;
    }

private:
    std::mutex mutex_;
    int refusing_ = 0;         // runs being refused now
    Clock::time_point since_;  // since when some run has been refused
    Clock::duration spent_{};  // of the window, before that
};

}  // namespace conversion
