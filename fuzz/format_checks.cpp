#include "format_checks.h"

#include <cstdio>
#include <iterator>
#include <optional>
#include <utility>

#include "formats/Text.h"

namespace morvane::checks {

namespace {

std::size_t LineOf(std::string_view text, std::size_t position) {
    std::size_t line = 0;
    for (std::size_t found = text.find('\n'); found < position; found = text.find('\n', found + 1)) ++line;
    return line;
}

std::string AtLine(std::size_t line, const std::string& what) { return "line " + std::to_string(line + 1) + ": " + what; }

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

// Shows a line as it stands in the file, bytes outside printable ASCII in hex.
std::string Shown(std::string_view line) {
    std::string out = "\"";
    for (const char c : line.substr(0, 200)) {
        const auto byte = static_cast<unsigned char>(c);
        out += byte >= 0x20 && byte < 0x7F ? std::string(1, c) : "\\x" + Hex(byte, 2);
    }
    return out + (line.size() > 200 ? "...\"" : "\"");
}

struct Decoded {
    char32_t codePoint;
    std::size_t length;  // 0: no valid sequence starts here
};

Decoded DecodeUtf8(std::string_view text, std::size_t i) {
    const auto byte = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return {lead, 1};
    std::size_t length;
    char32_t value, smallest;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, smallest = 0x10000;
    } else {
        return {0, 0};
    }
    if (text.size() - i < length) return {0, 0};
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return {0, 0};
        value = value << 6 | (byte(i + k) & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {0, 0};
    return {value, length};
}

bool IsControl(char32_t c) { return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F); }

// Runs SplitLines and the encoding check of the format.
std::string ReadLines(std::string_view text, bool utf8, std::vector<std::string_view>& lines) {
    std::string problem = SplitLines(text, lines);
    if (problem.empty()) problem = utf8 ? CheckUtf8Text(text) : Check8BitText(text);
    return problem;
}

std::string LineCount(std::size_t found, std::size_t expected) {
    return std::to_string(found) + " lines where " + std::to_string(expected) + " are expected";
}

// A decimal number as the writers print one: digits only, no sign, no zero in front.
std::optional<unsigned> TakeNumber(std::string_view& text) {
    std::size_t digits = 0;
    while (digits < text.size() && digits < 4 && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits == 0 || (digits > 1 && text[0] == '0') || (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (std::size_t k = 0; k < digits; ++k) value = value * 10 + static_cast<unsigned>(text[k] - '0');
    text.remove_prefix(digits);
    return value;
}

bool Take(std::string_view& text, std::string_view expected) {
    if (text.substr(0, expected.size()) != expected) return false;
    text.remove_prefix(expected.size());
    return true;
}

std::string HeadOf(const Model& model, const CatalogueBank& bank) {
    return std::string(model.word) + (bank.kind == ChunkType::PRG1 ? " Program Bank " : " Combi Bank ") + bank.name;
}

// What a bank must hold before a file can show it: 128 entries, and bank select numbers.
std::string Selectable(const Model& model, const CatalogueBank& bank, std::optional<BankSelect>& select) {
    if (bank.entries.size() != kRecordsPerBank) return "bank \"" + bank.name + "\" holds " + std::to_string(bank.entries.size()) + " entries";
    select = BankSelectOf(model, bank.kind, bank.name);
    if (!select) return "bank \"" + bank.name + "\" is shown but has no bank select";
    return {};
}

// The entry text of ReaBank and Cubase: label and name, cleaned as one.
std::string EntryText(const CatalogueBank& bank, int number) {
    return EntryLabel(bank, number) + " " + std::string(bank.entries[static_cast<std::size_t>(number)].Name());
}

// XML as far as the MIDNAM writer uses it.

struct Element {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;  // values with their entities resolved

    const std::string* Attribute(std::string_view wanted) const {
        for (const auto& [key, value] : attributes) {
            if (key == wanted) return &value;
        }
        return nullptr;
    }
};

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// What the document must hold, checked element by element as the parser meets them.
class MidnamContent {
public:
    MidnamContent(const ModeBanks& banks, const FormatSource& source) : model_(*banks.model), source_(source) {
        if (!banks.programs.empty()) modes_.push_back({"Program", "Programs", &banks.programs});
        if (!banks.combinations.empty()) modes_.push_back({"Combination", "Combinations", &banks.combinations});
    }

    std::string Start(const Element& element, const std::vector<Element>& open) {
        const std::string parent = open.empty() ? "" : open.back().name;
        const std::string& name = element.name;
        if (open.empty() && name != "MIDINameDocument") return "the root element is " + name + ", not MIDINameDocument";
        if (IsTextElement(parent)) return "an element inside " + parent;
        leafText_.clear();
        if (name == "CustomDeviceMode") {
            const std::string* mode = element.Attribute("Name");
            if (deviceModes_ >= modes_.size() || !mode || *mode != modes_[deviceModes_].deviceMode) return "a device mode out of place";
            ++deviceModes_;
        } else if (name == "ChannelNameSetAssign") {
            const std::string* nameSet = element.Attribute("NameSet");
            if (parent != "ChannelNameSetAssignments" || !nameSet || deviceModes_ == 0 || *nameSet != modes_[deviceModes_ - 1].nameSet) {
                return "a channel assigned to no name set of its mode";
            }
        } else if (name == "ChannelNameSet") {
            const std::string* nameSet = element.Attribute("Name");
            if (nameSets_ >= modes_.size() || !nameSet || *nameSet != modes_[nameSets_].nameSet) return "a name set out of place";
            mode_ = &modes_[nameSets_++];
            bankIndex_ = 0;
        } else if (name == "PatchBank") {
            if (parent != "ChannelNameSet" || bankIndex_ >= mode_->banks->size()) return "a patch bank the selection does not hold";
            bank_ = (*mode_->banks)[bankIndex_].bank;
            if (std::string problem = Selectable(model_, *bank_, select_); !problem.empty()) return problem;
            const std::string* bankName = element.Attribute("Name");
            if (!bankName || *bankName != CleanUtf8(HeadOf(model_, *bank_))) return "patch bank " + std::to_string(bankIndex_) + " has not its bank's name";
            controls_ = 0;
            lists_ = 0;
        } else if (name == "ControlChange") {
            if (parent != "MIDICommands" || open.size() < 2 || open[open.size() - 2].name != "PatchBank") return "a control change outside a patch bank";
            const std::string* control = element.Attribute("Control");
            const std::string* value = element.Attribute("Value");
            const int expected = controls_ == 0 ? select_->msb : select_->lsb;
            if (controls_ > 1 || !control || *control != (controls_ == 0 ? "0" : "32") || !value || *value != std::to_string(expected)) {
                return "the bank select of \"" + bank_->name + "\" is not CC 0 " + std::to_string(select_->msb) + ", CC 32 " +
                       std::to_string(select_->lsb);
            }
            ++controls_;
        } else if (name == "PatchNameList") {
            const std::string* listName = element.Attribute("Name");
            if (parent != "PatchBank" || lists_++ != 0 || !listName || *listName != CleanUtf8(HeadOf(model_, *bank_))) {
                return "a patch name list out of place";
            }
            patches_ = 0;
        } else if (name == "Patch") {
            if (parent != "PatchNameList") return "a patch outside a patch name list";
            if (patches_ >= kRecordsPerBank) return "more than 128 patches in \"" + bank_->name + "\"";
            const int number = static_cast<int>(patches_);
            const std::string* label = element.Attribute("Number");
            const std::string* patchName = element.Attribute("Name");
            const std::string* programChange = element.Attribute("ProgramChange");
            if (!programChange || *programChange != std::to_string(number)) return "patch " + std::to_string(number) + " has another program change";
            if (!label || *label != CleanUtf8(EntryLabel(*bank_, number))) return "patch " + std::to_string(number) + " has another label";
            if (!patchName || *patchName != CleanUtf8(bank_->entries[patches_].Name())) return "patch " + std::to_string(number) + " has another name";
            if (element.attributes.size() != 3) return "patch " + std::to_string(number) + " has other attributes";
            ++patches_;
        }
        return {};
    }

    std::string End(const std::string& name) {
        if (name == "Author" && leafText_.rfind("MORVANE " + source_.version + " from ", 0) != 0) return "the author is not MORVANE";
        if (name == "Manufacturer" && leafText_ != "Korg") return "the manufacturer is not Korg";
        const std::string model = std::string(model_.word) + " (";
        if (name == "Model" && (leafText_.size() <= model.size() || leafText_.rfind(model, 0) != 0 || leafText_.back() != ')')) {
            return "the model is not " + model + "...)";
        }
        if (name == "PatchNameList" && patches_ != kRecordsPerBank) {
            return "\"" + bank_->name + "\" lists " + std::to_string(patches_) + " patches, not 128";
        }
        if (name == "PatchBank") {
            if (controls_ != 2 || lists_ != 1) return "patch bank \"" + bank_->name + "\" without its bank select or names";
            ++bankIndex_;
        }
        if (name == "ChannelNameSet" && bankIndex_ != mode_->banks->size()) return "name set " + mode_->nameSet + " lacks banks";
        return {};
    }

    std::string Text(const std::string& element, const std::string& text) {
        if (IsTextElement(element)) {
            leafText_ += text;
        } else if (text.find_first_not_of(" \t\r\n") != std::string::npos) {
            return "text inside " + element;
        }
        return {};
    }

    std::string Finish() const {
        if (deviceModes_ != modes_.size() || nameSets_ != modes_.size()) return "not every mode with banks has its device mode and name set";
        return {};
    }

private:
    static bool IsTextElement(const std::string& name) { return name == "Author" || name == "Manufacturer" || name == "Model"; }

    struct Mode {
        std::string deviceMode, nameSet;
        const std::vector<SelectableBank>* banks;
    };
    const Model& model_;
    const FormatSource& source_;
    std::vector<Mode> modes_;
    std::size_t deviceModes_ = 0, nameSets_ = 0;
    const Mode* mode_ = nullptr;
    std::size_t bankIndex_ = 0;
    const CatalogueBank* bank_ = nullptr;
    std::optional<BankSelect> select_;
    int controls_ = 0, lists_ = 0;
    std::size_t patches_ = 0;
    std::string leafText_;
};

class XmlParser {
public:
    XmlParser(std::string_view text, std::size_t start, MidnamContent& content) : text_(text), at_(start), content_(content) {}

    std::string Parse() {
        bool rootSeen = false;
        while (at_ < text_.size()) {
            std::string problem;
            if (text_[at_] != '<') {
                problem = CharacterData();
            } else if (Peek("</")) {
                problem = EndTag();
            } else if (Peek("<!") || Peek("<?")) {
                problem = "markup this writer does not write";
            } else if (open_.empty() && rootSeen) {
                problem = "a second root element";
            } else {
                rootSeen = true;
                problem = StartTag();
            }
            if (!problem.empty()) return AtLine(LineOf(text_, at_), problem);
        }
        if (!rootSeen) return "no root element";
        if (!open_.empty()) return "element " + open_.back().name + " is not closed";
        return content_.Finish();
    }

private:
    bool Peek(std::string_view expected) const { return text_.substr(at_, expected.size()) == expected; }

    bool SkipSpace() {
        const std::size_t from = at_;
        while (at_ < text_.size() && IsXmlSpace(text_[at_])) ++at_;
        return at_ > from;
    }

    std::string Name() {
        const std::size_t from = at_;
        if (at_ < text_.size() && IsNameStart(text_[at_])) {
            while (at_ < text_.size() && IsNameChar(text_[at_])) ++at_;
        }
        return std::string(text_.substr(from, at_ - from));
    }

    // The character at at_ is '&': one of the four entities the writer uses.
    std::optional<char> Entity() {
        for (const auto& [entity, c] : {std::pair<std::string_view, char>{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}}) {
            if (Peek(entity)) {
                at_ += entity.size();
                return c;
            }
        }
        return std::nullopt;
    }

    std::string CharacterData() {
        std::string value;
        while (at_ < text_.size() && text_[at_] != '<') {
            if (Peek("]]>")) return "]]> in text";
            if (text_[at_] == '&') {
                const std::optional<char> c = Entity();
                if (!c) return "an & that starts no entity";
                value += *c;
            } else {
                value += text_[at_++];
            }
        }
        if (open_.empty()) {
            if (value.find_first_not_of(" \t\r\n") != std::string::npos) return "text outside the root element";
            return {};
        }
        return content_.Text(open_.back().name, value);
    }

    std::string StartTag() {
        ++at_;
        Element element;
        element.name = Name();
        if (element.name.empty()) return "a start tag without a name";
        for (;;) {
            const bool spaced = SkipSpace();
            if (Peek("/>") || Peek(">")) break;
            if (!spaced) return "an attribute not set apart by a space in <" + element.name + ">";
            std::string key = Name();
            if (key.empty()) return "a malformed attribute in <" + element.name + ">";
            if (element.Attribute(key)) return "attribute " + key + " twice in <" + element.name + ">";
            SkipSpace();
            if (!Peek("=")) return "attribute " + key + " without a value";
            ++at_;
            SkipSpace();
            if (!Peek("\"")) return "attribute " + key + " not in double quotes";
            ++at_;
            std::string value;
            while (at_ < text_.size() && text_[at_] != '"') {
                if (text_[at_] == '<') return "a raw < in attribute " + key;
                if (text_[at_] == '&') {
                    const std::optional<char> c = Entity();
                    if (!c) return "an & that starts no entity in attribute " + key;
                    value += *c;
                } else {
                    value += text_[at_++];
                }
            }
            if (at_ == text_.size()) return "attribute " + key + " not closed";
            ++at_;
            element.attributes.emplace_back(std::move(key), std::move(value));
        }
        const bool empty = Peek("/>");
        at_ += empty ? 2 : 1;
        if (std::string problem = content_.Start(element, open_); !problem.empty()) return problem;
        if (empty) return content_.End(element.name);
        open_.push_back(std::move(element));
        return {};
    }

    std::string EndTag() {
        at_ += 2;
        const std::string name = Name();
        SkipSpace();
        if (!Peek(">")) return "a malformed end tag";
        ++at_;
        if (open_.empty() || open_.back().name != name) {
            return "</" + name + "> where " + (open_.empty() ? std::string("nothing") : "<" + open_.back().name + ">") + " is open";
        }
        open_.pop_back();
        return content_.End(name);
    }

    std::string_view text_;
    std::size_t at_;
    MidnamContent& content_;
    std::vector<Element> open_;
};

}  // namespace

std::string SplitLines(std::string_view text, std::vector<std::string_view>& lines) {
    lines.clear();
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) return AtLine(lines.size(), "the text does not end with CR LF");
        if (text[end] != '\r' || text.substr(end, 2) != "\r\n") return AtLine(lines.size(), "a CR or LF that ends no line");
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return {};
}

std::string CheckUtf8Text(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (text.substr(i, 2) == "\r\n") {
            i += 2;
            continue;
        }
        const Decoded decoded = DecodeUtf8(text, i);
        if (decoded.length == 0) return AtLine(LineOf(text, i), "invalid UTF-8 at byte " + std::to_string(i));
        if (IsControl(decoded.codePoint)) return AtLine(LineOf(text, i), "control character U+" + Hex(decoded.codePoint, 4));
        i += decoded.length;
    }
    return {};
}

std::string Check8BitText(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, 2) == "\r\n") {
            ++i;
            continue;
        }
        const auto byte = static_cast<unsigned char>(text[i]);
        if (IsControl(byte)) return AtLine(LineOf(text, i), "control byte 0x" + Hex(byte, 2));
    }
    return {};
}

std::string CheckMidnam(std::string_view text, const ModeBanks& banks, const FormatSource& source) {
    std::vector<std::string_view> lines;
    if (std::string problem = ReadLines(text, true, lines); !problem.empty()) return problem;
    // U+FFFE and U+FFFF are the characters valid UTF-8 can carry and XML cannot; in valid UTF-8
    // these three bytes are always one of them.
    for (const std::string_view character : {"\xEF\xBF\xBE", "\xEF\xBF\xBF"}) {
        if (const std::size_t found = text.find(character); found != std::string_view::npos) {
            return AtLine(LineOf(text, found), "U+FFFE or U+FFFF, which XML does not allow");
        }
    }
    if (lines.size() < 2 || lines[0] != "<?xml version=\"1.0\" encoding=\"UTF-8\"?>") return AtLine(0, "not the XML declaration");
    if (lines[1] != "<!DOCTYPE MIDINameDocument PUBLIC \"-//MIDI Manufacturers Association//DTD MIDINameDocument 1.0//EN\" "
                    "\"http://www.midi.org/dtds/MIDINameDocument10.dtd\">") {
        return AtLine(1, "not the MIDINameDocument DOCTYPE");
    }
    MidnamContent content(banks, source);
    return XmlParser(text, lines[0].size() + lines[1].size() + 4, content).Parse();
}

std::string CheckReaBank(std::string_view text, const ModeBanks& modes, ChunkType mode) {
    const std::vector<SelectableBank>& banks = mode == ChunkType::PRG1 ? modes.programs : modes.combinations;
    std::vector<std::string_view> lines;
    if (std::string problem = ReadLines(text, true, lines); !problem.empty()) return problem;
    const std::size_t expected = 1 + banks.size() * (2 + kRecordsPerBank);
    if (lines.size() != expected) return LineCount(lines.size(), expected);
    if (lines[0].substr(0, 3) != "// ") return AtLine(0, "not a comment: " + Shown(lines[0]));
    std::size_t at = 1;
    for (const SelectableBank& selectable : banks) {
        const CatalogueBank& bank = *selectable.bank;
        std::optional<BankSelect> select;
        if (std::string problem = Selectable(*modes.model, bank, select); !problem.empty()) return AtLine(at, problem);
        if (!lines[at].empty()) return AtLine(at, "not the empty line before a bank: " + Shown(lines[at]));
        ++at;
        const std::string head = "Bank " + std::to_string(select->msb) + " " + std::to_string(select->lsb) + " " + CleanUtf8(HeadOf(*modes.model, bank));
        if (lines[at] != head) return AtLine(at, Shown(lines[at]) + " where " + Shown(head) + " is expected");
        ++at;
        for (int number = 0; number < static_cast<int>(kRecordsPerBank); ++number, ++at) {
            std::string_view line = lines[at];
            const std::optional<unsigned> found = TakeNumber(line);
            if (!found || *found != static_cast<unsigned>(number) || !Take(line, " ")) {
                return AtLine(at, "not program " + std::to_string(number) + ": " + Shown(lines[at]));
            }
            if (line != CleanUtf8(EntryText(bank, number))) return AtLine(at, "program " + std::to_string(number) + " has another text: " + Shown(lines[at]));
        }
    }
    return {};
}

std::string CheckCubaseScript(std::string_view text, const ModeBanks& banks, const FormatSource& source) {
    const std::string word = banks.model->word;
    std::vector<std::string_view> lines;
    if (std::string problem = ReadLines(text, false, lines); !problem.empty()) return problem;
    const std::string header[] = {"[cubase parse file]",
                                  "[parser version 0001]",
                                  "[creators first name]MORVANE",
                                  "[creators last name]" + source.version,
                                  "[device manufacturer]Korg",
                                  "[device name]" + word,
                                  "[script name]" + word + " (" + CleanFileName8Bit(source.base) + ")",
                                  "[script version]version 1.00",
                                  "[define patchnames]"};
    const std::pair<std::string, const std::vector<SelectableBank>*> modes[] = {{"[mode]" + word + " Programs", &banks.programs},
                                                                               {"[mode]" + word + " Combinations", &banks.combinations}};
    std::size_t expected = std::size(header) + 1;
    for (const auto& [mode, held] : modes) expected += held->empty() ? 0 : 1 + held->size() * (1 + kRecordsPerBank);
    if (lines.size() != expected) return LineCount(lines.size(), expected);

    std::size_t at = 0;
    for (const std::string& line : header) {
        if (lines[at] != line) return AtLine(at, Shown(lines[at]) + " where " + Shown(line) + " is expected");
        ++at;
    }
    for (const auto& [mode, held] : modes) {
        if (held->empty()) continue;
        if (lines[at] != mode) return AtLine(at, Shown(lines[at]) + " where " + Shown(mode) + " is expected");
        ++at;
        for (const SelectableBank& selectable : *held) {
            const CatalogueBank& bank = *selectable.bank;
            std::optional<BankSelect> select;
            if (std::string problem = Selectable(*banks.model, bank, select); !problem.empty()) return AtLine(at, problem);
            if (lines[at] != "[g1]" + CleanText(HeadOf(*banks.model, bank))) return AtLine(at, "not the group of \"" + bank.name + "\": " + Shown(lines[at]));
            ++at;
            for (int number = 0; number < static_cast<int>(kRecordsPerBank); ++number, ++at) {
                std::string_view line = lines[at];
                const auto is = [&line](unsigned value) {
                    const std::optional<unsigned> found = TakeNumber(line);
                    return found && *found == value;
                };
                if (!Take(line, "[p2, ") || !is(static_cast<unsigned>(number)) || !Take(line, ", ") || !is(select->msb) || !Take(line, ", ") ||
                    !is(select->lsb) || !Take(line, "]")) {
                    return AtLine(at, "not patch " + std::to_string(number) + " of \"" + bank.name + "\": " + Shown(lines[at]));
                }
                if (line != CleanText(EntryText(bank, number))) return AtLine(at, "patch " + std::to_string(number) + " has another text: " + Shown(lines[at]));
            }
        }
    }
    if (lines[at] != "[end]") return AtLine(at, "not [end]: " + Shown(lines[at]));
    return {};
}

std::string ReadCsv(std::string_view text, std::vector<std::vector<std::string>>& records) {
    records.clear();
    std::size_t at = 0;
    std::vector<std::string> fields;
    while (at < text.size()) {
        std::string field;
        if (text[at] == '"') {
            for (++at;; ++at) {
                if (at == text.size()) return AtLine(LineOf(text, at), "a quoted field is not closed");
                if (text[at] != '"') {
                    field += text[at];
                } else if (text.substr(at, 2) == "\"\"") {
                    field += '"';
                    ++at;
                } else {
                    ++at;
                    break;
                }
            }
        } else {
            for (; at < text.size() && text[at] != ',' && text[at] != '\r' && text[at] != '\n'; ++at) {
                if (text[at] == '"') return AtLine(LineOf(text, at), "a quote inside a field that is not quoted");
                field += text[at];
            }
        }
        fields.push_back(std::move(field));
        if (at == text.size()) break;
        if (text[at] == ',') {
            ++at;
            // A comma at the very end still opens a last, empty field.
            if (at == text.size()) fields.emplace_back();
            continue;
        }
        if (text.substr(at, 2) != "\r\n") return AtLine(LineOf(text, at), "a field followed by neither a comma nor CR LF");
        at += 2;
        records.push_back(std::move(fields));
        fields.clear();
    }
    if (!fields.empty()) records.push_back(std::move(fields));
    return {};
}

std::string CheckCsv(std::string_view text, const Catalogue& catalogue) {
    std::vector<std::string_view> lines;
    if (std::string problem = ReadLines(text, true, lines); !problem.empty()) return problem;
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) != kByteOrderMark) return "no UTF-8 byte-order mark";
    std::vector<std::vector<std::string>> records;
    if (std::string problem = ReadCsv(text.substr(kByteOrderMark.size()), records); !problem.empty()) return problem;

    std::vector<std::vector<std::string>> expected{{"Kind", "Bank", "Number", "Label", "Name", "Checksum", "MSB", "LSB"}};
    for (const CatalogueBank& bank : catalogue.banks) {
        if (bank.kind == ChunkType::SLS1) continue;
        const std::optional<BankSelect> select = BankSelectOf(ModelOf(catalogue), bank.kind, bank.name);
        for (std::size_t i = 0; i < bank.entries.size(); ++i) {
            std::string name = CleanUtf8(bank.entries[i].Name());
            if (!name.empty() && std::string_view("=+-@").find(name[0]) != std::string_view::npos) name.insert(0, "'");
            expected.push_back({bank.kind == ChunkType::PRG1 ? "Program" : "Combination", CleanUtf8(bank.name), std::to_string(i),
                                CleanUtf8(EntryLabel(bank, static_cast<int>(i))), name, "0x" + Hex(bank.entries[i].checksum, 8),
                                select ? std::to_string(select->msb) : "", select ? std::to_string(select->lsb) : ""});
        }
    }
    if (records.size() != expected.size()) return std::to_string(records.size()) + " records where " + std::to_string(expected.size()) + " are expected";
    // Names are cleaned of CR and LF, so record i is line i.
    if (lines.size() != records.size()) return LineCount(lines.size(), records.size());
    static const char* const kColumns[] = {"Kind", "Bank", "Number", "Label", "Name", "Checksum", "MSB", "LSB"};
    for (std::size_t row = 0; row < records.size(); ++row) {
        if (records[row].size() != 8) return AtLine(row, std::to_string(records[row].size()) + " fields: " + Shown(lines[row]));
        for (std::size_t column = 0; column < 8; ++column) {
            if (records[row][column] != expected[row][column]) {
                return AtLine(row, std::string(kColumns[column]) + " reads back as " + Shown(records[row][column]) + " where " +
                                       Shown(expected[row][column]) + " is expected");
            }
        }
    }
    return {};
}

}  // namespace morvane::checks
