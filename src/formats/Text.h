#pragma once
// Names as the extra output formats show them, and each format's escaping. Names are arbitrary
// bytes from the file; nothing here may let one break a line or a format's grammar.
#include <string>
#include <string_view>

namespace morvane {

// Control bytes (below 0x20, 0x7F and 0x80-0x9F) become a space; nothing else changes.
std::string WithoutControls(std::string_view text);
// WithoutControls, then trailing spaces go. Bytes 0xA0-0xFF stay, as in the .ins.
std::string CleanText(std::string_view text);
void AppendClean(std::string& out, std::string_view text);
// CleanText in UTF-8, bytes 0xA0-0xFF taken as ISO 8859-1.
std::string CleanUtf8(std::string_view text);
void AppendCleanUtf8(std::string& out, std::string_view text);
// True when the text is UTF-8 throughout: no overlong form, no surrogate, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view text);
// A file name as typed, cleaned for a UTF-8 format: a name that is valid UTF-8 already keeps its
// characters (control characters, and U+FFFE and U+FFFF, which XML does not allow, become a
// space); any other is taken as ISO 8859-1.
std::string CleanFileNameUtf8(std::string_view name);

// The same for an 8-bit format: a UTF-8 name's characters up to U+00FF become their ISO 8859-1
// bytes and the others a '?'; any other name is cleaned as CleanText.
std::string CleanFileName8Bit(std::string_view name);

// For XML text and double-quoted attribute values.
std::string XmlEscaped(std::string_view text);
void AppendXmlEscaped(std::string& out, std::string_view text);
// One CSV field: in double quotes, quotes doubled, when it holds a comma, quote, CR or LF.
std::string CsvField(std::string_view text);
void AppendCsvField(std::string& out, std::string_view text);

// "IA000": the bank label of the .ins and the entry's three-digit number.
void AppendEntryLabel(std::string& out, std::string_view bankLabel, int number);
// The text of an entry as the .ins shows it after '=': label, number, a space and the name
// ("IA000 Kronos German Grand"), cleaned; 8-bit or UTF-8.
void AppendEntryText(std::string& out, std::string_view bankLabel, int number, std::string_view name);
void AppendEntryTextUtf8(std::string& out, std::string_view bankLabel, int number, std::string_view name);
void AppendNumber(std::string& out, unsigned number);

}  // namespace morvane
