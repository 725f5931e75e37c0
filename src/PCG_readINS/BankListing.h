#pragma once
// Turns one loaded bank into text: an instrument definition section in InsFile and checksum
// lines in ListingFile (set list banks: ListingFile only).
#include <cstdint>
#include <string>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

namespace morvane {

// kind is PRG1, CMB1 or SLS1; bankName is empty for set list banks.
void Write_bank_listing(const std::uint8_t* bank, ChunkType kind, const std::string& bankName);

// The text with every leading and trailing byte of value 32 or below removed.
std::string Trimmed(const std::string& text);
// The short bank name of the entry lines: Int A gives IA, User AA gives UAA.
std::string BankLabel(const std::string& bankName);

}  // namespace morvane
