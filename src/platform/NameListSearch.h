// A directory search whose matches were all found up front, delivered in the order given: the
// search on a system that lists a folder at once (POSIX) or has no folders at all (the browser).
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"

namespace morvane::platform {

class NameListSearch : public DirectorySearch {
public:
    explicit NameListSearch(std::vector<std::string> names) : names_(std::move(names)) {}
    bool Next(std::string& entryName) override {
        if (next_ >= names_.size()) return false;
        entryName = names_[next_++];
        return true;
    }

private:
    std::vector<std::string> names_;
    std::size_t next_ = 0;
};

}  // namespace morvane::platform
