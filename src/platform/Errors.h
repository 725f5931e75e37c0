#pragma once
// The errors the converter raises. They travel up to the program entry, which is the only
// place besides the file conversion's clean-up that catches them.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace morvane {

class Error : public std::runtime_error {
public:
    Error(const char* kind, const std::string& message) : std::runtime_error(message), kind_(kind), reason_(message) {}
    // An error about one named file: the message is the name, a colon and the reason.
    Error(const char* kind, const std::string& subject, const std::string& reason)
        : std::runtime_error(subject + ": " + reason), kind_(kind), subject_(subject), reason_(reason) {}
    const char* Kind() const { return kind_; }
    // The file the error is about; empty when it is about the input being converted.
    const std::string& Subject() const { return subject_; }
    const std::string& Reason() const { return reason_; }

private:
    const char* kind_;
    std::string subject_;
    std::string reason_;
};

class RangeError : public Error {
public:
    explicit RangeError(const std::string& message) : Error("Range error", message) {}
};

class OverflowError : public Error {
public:
    explicit OverflowError(const std::string& message) : Error("Integer overflow", message) {}
};

class IoError : public Error {
public:
    explicit IoError(const std::string& message) : Error("I/O error", message) {}
    IoError(const std::string& subject, const std::string& reason) : Error("I/O error", subject, reason) {}
};

// Sizes and positions taken from a file are signed 32-bit quantities: anything outside that
// range is refused here rather than wrapped.
constexpr std::int64_t kLimit32 = 0x80000000LL;

inline std::int32_t RequireNonNegative(std::int32_t value, const char* what) {
    if (value < 0) throw RangeError(std::string(what) + " " + std::to_string(value) + " is negative");
    return value;
}

inline std::int32_t RequireBelow2G(std::int64_t position, const char* what) {
    if (position < 0 || position >= kLimit32)
        throw RangeError(std::string(what) + " " + std::to_string(position) + " is not below 2^31");
    return static_cast<std::int32_t>(position);
}

inline std::int32_t CheckedMultiply(std::int32_t a, std::int32_t b) {
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    if (product < INT32_MIN || product > INT32_MAX)
        throw OverflowError(std::to_string(a) + " * " + std::to_string(b) + " does not fit in 32 bits");
    return static_cast<std::int32_t>(product);
}

}  // namespace morvane
