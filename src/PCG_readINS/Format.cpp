#include "PCG_readINS/Format.h"

#include <algorithm>
#include <stdexcept>

namespace morvane {

namespace {

// Digits of value in base 10 or 16 (upper case), at least minDigits of them, written backwards
// from end; returns where they start.
char* DigitsBackwards(char* end, std::uint64_t value, unsigned base, std::size_t minDigits) {
    char* p = end;
    std::size_t count = 0;
    do {
        *--p = "0123456789ABCDEF"[value % base];
        value /= base;
        ++count;
    } while (value != 0);
    for (; count < minDigits; ++count) *--p = '0';
    return p;
}

std::size_t ParseCount(std::string_view format, std::size_t& i) {
    std::size_t value = 0;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') value = value * 10 + static_cast<std::size_t>(format[i++] - '0');
    return value;
}

void AppendField(std::string& out, std::string_view field, std::size_t width) {
    if (field.size() < width) out.append(width - field.size(), ' ');
    out.append(field);
}

}  // namespace

void FormatAppend(std::string& out, std::string_view format, std::initializer_list<FormatArg> args) {
    const FormatArg* arg = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            const std::size_t next = std::min(format.find('%', i), format.size());
            out.append(format.substr(i, next - i));
            i = next - 1;
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

        char digits[72];
        char* const end = digits + sizeof digits;
        switch (conversion) {
            case 's': AppendField(out, arg->Text(), width); break;
            case 'd': {
                const std::int64_t value = arg->Number();
                const std::uint64_t magnitude =
                    value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
                char* start = DigitsBackwards(end, magnitude, 10, std::min<std::size_t>(precision, 64));
                if (value < 0) *--start = '-';
                AppendField(out, std::string_view(start, static_cast<std::size_t>(end - start)), width);
                break;
            }
            case 'x': {
                const char* start = DigitsBackwards(end, static_cast<std::uint32_t>(arg->Number()), 16, std::min<std::size_t>(precision, 64));
                AppendField(out, std::string_view(start, static_cast<std::size_t>(end - start)), width);
                break;
            }
            default: throw std::logic_error("unknown format directive");
        }
        ++arg;
    }
    if (arg != args.end()) throw std::logic_error("format has fewer directives than arguments");
}

std::string Format(std::string_view format, std::initializer_list<FormatArg> args) {
    std::string out;
    FormatAppend(out, format, args);
    return out;
}

std::string Enumeration(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    return text;
}

}  // namespace morvane
