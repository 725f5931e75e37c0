#pragma once
// Path strings cut by the converter's own rules, not the platform's path library: only NUL, ':',
// '\' and '/' end a directory part.
#include <cstdint>
#include <string>
#include <string_view>

namespace morvane {

constexpr std::size_t MaxNameLength = 260;
constexpr std::string_view PathDelimiters{"\0:\\/", 4};

bool ContainsChar(std::string_view s, char ch);
// The characters after the last delimiter, at most MaxNameLength of them.
std::string FileNameOf(std::string_view path);
// True when the name has an extension; dot is the 1-based position of its last '.', 0 for none.
bool ExtensionDotOf(std::string_view name, std::uint32_t& dot);
// The file name without its last extension.
std::string BareNameOf(std::string_view path);
// The directory part, without a trailing separator except for a root ("C:\", "/").
std::string DirectoryOf(std::string_view path);

// A name against a wildcard pattern: '*' any run of characters, '?' exactly one; letters are
// compared without regard to ASCII case, as Windows directory searches do.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

}  // namespace morvane
