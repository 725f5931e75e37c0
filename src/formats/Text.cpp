#include "formats/Text.h"

namespace morvane {

namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F); }

void TrimTrailingSpaces(std::string& text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
}

void AppendLatin1(std::string& out, unsigned char c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
}

struct Utf8Lead {
    std::size_t length;  // 0: no sequence starts with this byte
    unsigned char low, high;  // the range of the second byte
};

Utf8Lead LeadOf(unsigned char lead) {
    if (lead < 0x80) return {1, 0, 0};
    if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, 0xBF};
    if (lead == 0xE0) return {3, 0xA0, 0xBF};  // no overlong forms
    if (lead == 0xED) return {3, 0x80, 0x9F};  // no surrogates
    if (lead >= 0xE1 && lead <= 0xEF) return {3, 0x80, 0xBF};
    if (lead == 0xF0) return {4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3) return {4, 0x80, 0xBF};
    if (lead == 0xF4) return {4, 0x80, 0x8F};  // nothing beyond U+10FFFF
    return {0, 0, 0};
}

// The length of the UTF-8 sequence at text[i], 0 when no valid one starts there.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t i) {
    const auto byte = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const Utf8Lead lead = LeadOf(byte(i));
    if (lead.length <= 1) return lead.length;
    if (i + lead.length > text.size() || byte(i + 1) < lead.low || byte(i + 1) > lead.high) return 0;
    for (std::size_t k = 2; k < lead.length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    }
    return lead.length;
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceAt(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

}  // namespace

std::string CleanText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) out += IsControl(static_cast<unsigned char>(c)) ? ' ' : c;
    TrimTrailingSpaces(out);
    return out;
}

std::string CleanUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (const char c : CleanText(text)) AppendLatin1(out, static_cast<unsigned char>(c));
    return out;
}

std::string CleanFileNameUtf8(std::string_view name) {
    if (!IsValidUtf8(name)) return CleanUtf8(name);
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = Utf8SequenceAt(name, i);
        const auto lead = static_cast<unsigned char>(name[i]);
        // U+0080-U+009F, the C1 controls, are C2 80 to C2 9F.
        const bool control = length == 1 ? IsControl(lead) : lead == 0xC2 && static_cast<unsigned char>(name[i + 1]) <= 0x9F;
        if (control) {
            out += ' ';
        } else {
            out.append(name, i, length);
        }
        i += length;
    }
    TrimTrailingSpaces(out);
    return out;
}

std::string XmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace morvane
