#include "PCG_readINS/Format.h"

#include <stdexcept>

namespace morvane {

namespace {

void AppendPadded(std::string& out, std::string_view body, std::size_t width, char pad) {
    if (body.size() < width) out.append(width - body.size(), pad);
    out.append(body);
}

// Digits of value in base 10 or 16 (upper case), at least minDigits of them.
void AppendDigits(std::string& out, std::uint64_t value, unsigned base, std::size_t minDigits) {
    char digits[24];
    std::size_t count = 0;
    do {
        digits[count++] = "0123456789ABCDEF"[value % base];
        value /= base;
    } while (value != 0);
    for (std::size_t i = count; i < minDigits; ++i) out.push_back('0');
    while (count > 0) out.push_back(digits[--count]);
}

std::size_t ParseCount(std::string_view format, std::size_t& i) {
    std::size_t value = 0;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') value = value * 10 + static_cast<std::size_t>(format[i++] - '0');
    return value;
}

}  // namespace

void FormatAppend(std::string& out, std::string_view format, std::initializer_list<FormatArg> args) {
    const FormatArg* arg = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out.push_back(format[i]);
            continue;
        }
        ++i;
        const std::size_t width = ParseCount(format, i);
        std::size_t precision = 0;
        if (i < format.size() && format[i] == '.') {
            ++i;
            precision = ParseCount(format, i);
        }
        if (i >= format.size()) throw std::logic_error("format ends inside a directive");
        const char conversion = format[i];
        if (arg == args.end()) throw std::logic_error("format has more directives than arguments");
        if ((conversion == 's') != arg->IsText()) throw std::logic_error("format argument of the wrong kind");

        std::string field;
        switch (conversion) {
            case 's': field.assign(arg->Text()); break;
            case 'd': {
                const std::int64_t value = arg->Number();
                if (value < 0) field.push_back('-');
                const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
                AppendDigits(field, magnitude, 10, precision);
                break;
            }
            case 'x': AppendDigits(field, static_cast<std::uint32_t>(arg->Number()), 16, precision); break;
            default: throw std::logic_error("unknown format directive");
        }
        AppendPadded(out, field, width, ' ');
        ++arg;
    }
    if (arg != args.end()) throw std::logic_error("format has fewer directives than arguments");
}

std::string Format(std::string_view format, std::initializer_list<FormatArg> args) {
    std::string out;
    FormatAppend(out, format, args);
    return out;
}

}  // namespace morvane
