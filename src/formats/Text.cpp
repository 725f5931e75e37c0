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

// A control character (C0, DEL, C1) or one of the two characters XML does not allow (U+FFFE,
// U+FFFF), as one UTF-8 sequence.
bool IsControlCharacter(std::string_view sequence) {
    const auto byte = [&sequence](std::size_t k) { return static_cast<unsigned char>(sequence[k]); };
    if (sequence.size() == 1) return IsControl(byte(0));
    if (sequence.size() == 2) return byte(0) == 0xC2 && byte(1) <= 0x9F;
    return sequence.size() == 3 && byte(0) == 0xEF && byte(1) == 0xBF && byte(2) >= 0xBE;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceAt(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

// The text without the bytes that would become trailing spaces.
std::string_view WithoutTrailingBlanks(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || IsControl(static_cast<unsigned char>(text.back())))) text.remove_suffix(1);
    return text;
}

std::string WithoutControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) out += IsControl(static_cast<unsigned char>(c)) ? ' ' : c;
    return out;
}

void AppendClean(std::string& out, std::string_view text) {
    for (const char c : WithoutTrailingBlanks(text)) out += IsControl(static_cast<unsigned char>(c)) ? ' ' : c;
}

std::string CleanText(std::string_view text) {
    std::string out;
    AppendClean(out, text);
    return out;
}

void AppendCleanUtf8(std::string& out, std::string_view text) {
    for (const char c : WithoutTrailingBlanks(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsControl(byte)) {
            out += ' ';
        } else {
            AppendLatin1(out, byte);
        }
    }
}

std::string CleanUtf8(std::string_view text) {
    std::string out;
    AppendCleanUtf8(out, text);
    return out;
}

void AppendNumber(std::string& out, unsigned number) {
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number > 0);
    while (count > 0) out += digits[--count];
}

void AppendEntryLabel(std::string& out, std::string_view bankLabel, int number) {
    out.append(bankLabel);
    out += static_cast<char>('0' + number / 100 % 10);
    out += static_cast<char>('0' + number / 10 % 10);
    out += static_cast<char>('0' + number % 10);
}

// The label never ends in a blank, so cleaning the whole text is cleaning the name, with the
// space before it left out when nothing of the name is left.
void AppendEntryText(std::string& out, std::string_view bankLabel, int number, std::string_view name) {
    AppendEntryLabel(out, bankLabel, number);
    if (WithoutTrailingBlanks(name).empty()) return;
    out += ' ';
    AppendClean(out, name);
}

void AppendEntryTextUtf8(std::string& out, std::string_view bankLabel, int number, std::string_view name) {
    AppendEntryLabel(out, bankLabel, number);
    if (WithoutTrailingBlanks(name).empty()) return;
    out += ' ';
    AppendCleanUtf8(out, name);
}

std::string CleanFileNameUtf8(std::string_view name) {
    if (!IsValidUtf8(name)) return CleanUtf8(name);
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = Utf8SequenceAt(name, i);
        if (IsControlCharacter(name.substr(i, length))) {
            out += ' ';
        } else {
            out.append(name, i, length);
        }
        i += length;
    }
    TrimTrailingSpaces(out);
    return out;
}

void AppendXmlEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
}

std::string CleanFileName8Bit(std::string_view name) {
    if (!IsValidUtf8(name)) return CleanText(name);
    std::string out;
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = Utf8SequenceAt(name, i);
        const auto lead = static_cast<unsigned char>(name[i]);
        if (IsControlCharacter(name.substr(i, length))) {
            out += ' ';
        } else if (length == 1) {
            out += static_cast<char>(lead);
        } else if (length == 2 && lead <= 0xC3) {
            out += static_cast<char>((lead & 0x03) << 6 | (static_cast<unsigned char>(name[i + 1]) & 0x3F));
        } else {
            out += '?';
        }
        i += length;
    }
    TrimTrailingSpaces(out);
    return out;
}

std::string XmlEscaped(std::string_view text) {
    std::string out;
    AppendXmlEscaped(out, text);
    return out;
}

void AppendCsvField(std::string& out, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.append(text);
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

std::string CsvField(std::string_view text) {
    std::string out;
    AppendCsvField(out, text);
    return out;
}

}  // namespace morvane
