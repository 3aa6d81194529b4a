#pragma once
// What a failed look at a path proves. Portable.
#include <cstdint>

namespace common {

enum class Presence { Absent, There, Unsure };

// Only the system's "file not found" and "path not found" show a file to be
// absent: a refused or interrupted look (a network hiccup, no access) shows nothing.
constexpr Presence PresenceAfterError(std::uint32_t error) {
    constexpr std::uint32_t kFileNotFound = 2, kPathNotFound = 3;
    return error == kFileNotFound || error == kPathNotFound ? Presence::Absent : Presence::Unsure;
}

}  // namespace common
