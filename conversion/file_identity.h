#pragma once
// Whether two paths name one file, and whether a file was written, by what the
// file system says of it. Portable.
#include <array>
#include <cstdint>
#include <optional>

#include "common/presence.h"

namespace conversion {

// The volume and the file's ID on it: 128 bits where the system gives them
// (Windows 8 and later), else the 64-bit index in the low half.
struct FileIdentity {
    bool wide = false;
    std::uint64_t volume = 0;
    std::array<std::uint8_t, 16> id{};
    bool operator==(const FileIdentity&) const = default;
};

// True only for two known identities of one kind that agree, on an ID that is
// not all zeros: some network servers give 0 for every file, and ReFS does not
// keep the 64-bit index unique. Anything less proves nothing.
inline bool SameIdentity(const std::optional<FileIdentity>& a, const std::optional<FileIdentity>& b) {
    return a && b && a->wide == b->wide && a->volume == b->volume && a->id == b->id &&
           a->id != std::array<std::uint8_t, 16>{};
}

// What is at a path at one moment.
struct FileState {
    common::Presence presence = common::Presence::Unsure;
    std::uint64_t size = 0, lastWrite = 0, lastChange = 0;  // when there
    std::optional<FileIdentity> identity{};                 // when the system gives it
};

// Whether what is there `after` was written since `before`: a file left from
// an earlier run, untouched, is not. Only a look that shows it absent, or the
// same as before, says no; one that cannot be made leaves the answer to the converter.
inline bool Written(const FileState& before, const FileState& after) {
    if (after.presence != common::Presence::There) return after.presence == common::Presence::Unsure;
    return before.presence != common::Presence::There || before.size != after.size ||
           before.lastWrite != after.lastWrite || before.lastChange != after.lastChange ||
           before.identity != after.identity;
}

}  // namespace conversion
