#pragma once
// When a refused start of the converter is tried again. Portable.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iterator>

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
// a batch: once they are spent, each entry's converter is tried once.
class StartRetries {
public:
    static constexpr std::chrono::milliseconds kWindow{2000};

    // After a refused start, `tried` into this entry's tries: whether to try again.
    bool TryAgain(std::uint32_t error, std::chrono::milliseconds tried) const {
        return !IsFinalStartError(error) && tried < left_;
    }
    // An entry's start is over, the converter started or not, `tried` after its first try.
    void Spend(std::chrono::milliseconds tried) { left_ = std::max(left_ - tried, std::chrono::milliseconds(0)); }

private:
    std::chrono::milliseconds left_ = kWindow;
};

}  // namespace conversion
