#pragma once
// Turns one loaded bank into text: an instrument definition section in InsFile and checksum
// lines in ListingFile (set list banks: ListingFile only).
#include <cstdint>
#include <string>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

namespace morvane {

struct Model;

// A loaded bank as the listing writer lists it and hands it on to the BankListed hook.
struct ListedBank {
    const std::uint8_t* records;  // 128 records back to back
    ChunkType kind;               // PRG1, CMB1 or SLS1
    std::string name;             // trimmed; empty for set list banks
    std::string label;            // what entry labels begin with: "IA" for Int A, "A" for a Triton bank A
    std::uint32_t recordSize;
    std::uint32_t nameLength;     // the name field at the start of each record
    const Model* model;
};

// A Kronos bank: kind is PRG1, CMB1 or SLS1; bankName is empty for set list banks.
void Write_bank_listing(const std::uint8_t* bank, ChunkType kind, const std::string& bankName);
// Any model's program or combination bank, under its model's word.
void Write_bank_listing(const ListedBank& bank);

// "Triton Program Bank A": the name of a bank's section in the .ins (in brackets there), under
// which the other formats show it too.
std::string SectionName(const Model& model, ChunkType kind, const std::string& bankName);

// A Kronos bank as Write_bank_listing lists it.
ListedBank KronosBank(const std::uint8_t* bank, ChunkType kind, const std::string& bankName);

// The text with every leading and trailing byte of value 32 or below removed.
std::string Trimmed(const std::string& text);
// The short bank name of the Kronos entry lines: Int A gives IA, User AA gives UAA.
std::string BankLabel(const std::string& bankName);

}  // namespace morvane
