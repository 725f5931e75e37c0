#include "pathnames/pathnames.h"

#include <algorithm>

namespace morvane {

namespace {

bool IsPathDelimiter(char c) { return PathDelimiters.find(c) != std::string_view::npos; }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// 1-based position of the last delimiter, 0 when there is none.
std::size_t LastDelimiter(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsPathDelimiter(path[i - 1])) return i;
    }
    return 0;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

}  // namespace

bool ContainsChar(std::string_view s, char ch) { return s.find(ch) != std::string_view::npos; }

std::string FileNameOf(std::string_view path) {
    return std::string(path.substr(LastDelimiter(path), MaxNameLength));
}

bool ExtensionDotOf(std::string_view name, std::uint32_t& dot) {
    const std::size_t last = name.rfind('.');
    dot = last == std::string_view::npos ? 0 : static_cast<std::uint32_t>(last + 1);
    if (dot == 0) return false;
    const std::string_view after = name.substr(dot, MaxNameLength);
    return !ContainsChar(after, '\\') && !ContainsChar(after, '/');
}

std::string BareNameOf(std::string_view path) {
    std::string name = FileNameOf(path);
    std::uint32_t dot = 0;
    if (ExtensionDotOf(name, dot)) name.resize(dot - 1);
    return name;
}

std::string DirectoryOf(std::string_view path) {
    const std::size_t i = LastDelimiter(path);
    if (i == 0) return {};
    if (i == 1) return std::string(path.substr(0, 1));
    if (IsSeparator(path[i - 1])) {
        return std::string(path.substr(0, path[i - 2] == ':' ? i : i - 1));
    }
    return std::string(path.substr(0, i));
}

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
    // Greedy match with one backtrack point: the latest '*' absorbs one more character on each
    // mismatch, which keeps the cost at name length times pattern length at worst.
    std::size_t n = 0, p = 0;
    std::size_t starPattern = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || FoldAscii(pattern[p]) == FoldAscii(name[n]))) {
            ++p;
            ++n;
        } else if (starPattern != std::string_view::npos) {
            p = starPattern + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    return std::all_of(pattern.begin() + static_cast<std::ptrdiff_t>(p), pattern.end(),
                       [](char c) { return c == '*'; });
}

}  // namespace morvane
