#pragma once
// The one formatter of console and file lines, with exactly these directives:
//   %d     signed decimal            %N.Nd  at least N digits, zeros in front
//   %x     upper-case hexadecimal of the value taken as unsigned 32-bit
//   %N.Nx  the same, at least N digits, zeros in front
//   %s     the text unchanged        %Ns    the text right-aligned in N columns, never cut
// No locale is involved.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace morvane {

class FormatArg {
public:
    template <typename T, typename = std::enable_if_t<std::is_integral_v<T>>>
    FormatArg(T value) : number_(static_cast<std::int64_t>(value)), isText_(false) {}
    FormatArg(std::string_view text) : text_(text), isText_(true) {}
    FormatArg(const std::string& text) : text_(text), isText_(true) {}
    FormatArg(const char* text) : text_(text), isText_(true) {}

    bool IsText() const { return isText_; }
    std::int64_t Number() const { return number_; }
    std::string_view Text() const { return text_; }

private:
    std::int64_t number_ = 0;
    std::string_view text_;
    bool isText_;
};

void FormatAppend(std::string& out, std::string_view format, std::initializer_list<FormatArg> args);
std::string Format(std::string_view format, std::initializer_list<FormatArg> args);

// "a", "a and b", "a, b and c".
std::string Enumeration(const std::vector<std::string>& items);

}  // namespace morvane
