#pragma once
// One owner type for every kind of Win32 handle: the close function and the
// "empty" value are template arguments, so each handle kind is one alias.
#include <cstdint>
#include <utility>

// T is a pointer-like handle; InvalidBits is its "none" value (0, or -1 for
// file handles), held as an integer because a pointer cast is no constant.
template <typename T, auto Close, std::intptr_t InvalidBits = 0>
class unique_any {
public:
    unique_any() = default;
    explicit unique_any(T value) : value_(value) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : value_(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~unique_any() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Invalid; }
    T release() { return std::exchange(value_, Invalid); }
    void reset(T value = Invalid) {
        T old = std::exchange(value_, value);
        if (old != Invalid) Close(old);
    }

private:
    static inline const T Invalid = reinterpret_cast<T>(InvalidBits);
    T value_ = Invalid;
};
