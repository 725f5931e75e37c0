#pragma once
// Reads each extra output file back by its grammar, apart from the writers: what a file must hold
// is worked out here from the catalogue, with only the public rules that define a name and a
// label (CleanUtf8, CleanText, CleanFileName8Bit, EntryLabel, BankSelectOf). Each checker
// returns what is wrong with the text, the first thing it meets, or an empty string when nothing
// is.
#include <string>
#include <string_view>
#include <vector>

#include "formats/Catalogue.h"
#include "formats/Writers.h"

namespace morvane::checks {

// Lines end in CR LF, and neither CR nor LF occurs anywhere else; the text ends with a line end.
// On success lines holds the lines without their ends.
std::string SplitLines(std::string_view text, std::vector<std::string_view>& lines);
// Valid UTF-8 (shortest forms, no surrogates, nothing above U+10FFFF) and no control character
// (C0 other than the CR LF of line ends, DEL, C1).
std::string CheckUtf8Text(std::string_view text);
// 8-bit text: no control byte (C0 other than the CR LF of line ends, DEL, 0x80-0x9F).
std::string Check8BitText(std::string_view text);

// Well-formed XML in the writer's subset (declaration, DOCTYPE, elements, double-quoted
// attributes, the four entities), one MIDINameDocument root, and per selected bank its bank
// select and 128 patches in order with their labels and names.
std::string CheckMidnam(std::string_view text, const ModeBanks& banks, const FormatSource& source);
// A comment line, then per bank an empty line, "Bank <msb> <lsb> <name>" and 128 "<n> <text>".
std::string CheckReaBank(std::string_view text, const ModeBanks& banks, ChunkType mode);
// The header lines, the modes with banks, per bank its group line and 128 patch lines, "[end]".
std::string CheckCubaseScript(std::string_view text, const ModeBanks& banks, const FormatSource& source);
// The byte-order mark and header row, then one row of eight fields per program and combination
// of the catalogue, read back as RFC 4180 and compared field by field.
std::string CheckCsv(std::string_view text, const Catalogue& catalogue);

// One RFC 4180 file into its records (CR LF between records, an optional one at the end).
std::string ReadCsv(std::string_view text, std::vector<std::vector<std::string>>& records);

}  // namespace morvane::checks
