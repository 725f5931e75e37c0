#pragma once
// The templates of templates/, compiled into the program (the build writes their table), so
// that the page carries them without a file of its own.
#include <cstddef>
#include <cstdint>

namespace morvane::browser {

struct BundledFile {
    const char* name;
    const std::uint8_t* data;
    std::size_t size;
};

extern const BundledFile kBundledTemplates[];
extern const std::size_t kBundledTemplateCount;

}  // namespace morvane::browser
