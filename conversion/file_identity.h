#pragma once
// Whether two paths name one file, by what the file system says of each. Portable.
#include <array>
#include <cstdint>
#include <optional>

namespace conversion {

// The volume and the file's ID on it: 128 bits where the system gives them
// (Windows 8 and later), else the 64-bit index in the low half.
struct FileIdentity {
    bool wide = false;
    std::uint64_t volume = 0;
    std::array<std::uint8_t, 16> id{};
};

// True only for two known identities of one kind that agree, on an ID that is
// not all zeros: some network servers give 0 for every file, and ReFS does not
// keep the 64-bit index unique. Anything less proves nothing.
inline bool SameIdentity(const std::optional<FileIdentity>& a, const std::optional<FileIdentity>& b) {
    return a && b && a->wide == b->wide && a->volume == b->volume && a->id == b->id &&
           a->id != std::array<std::uint8_t, 16>{};
}

}  // namespace conversion
