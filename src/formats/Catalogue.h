#pragma once
// What a walk listed, kept for the extra output formats and the compare mode: per bank its kind
// and name, per record its name and two checksums. The records' bytes are not kept.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "PCG_readINS/BankListing.h"
#include "models/Models.h"

namespace morvane {

struct CatalogueEntry {
    std::array<char, kNameLength> name{};
    std::uint8_t nameLength = 0;
    std::uint32_t checksum = 0;      // the listing's checksum of the whole record (set list: its EQ block)
    std::uint32_t bodyChecksum = 0;  // the same checksum without the 24 name bytes (set list: its EQ block)
    std::string_view Name() const { return {name.data(), nameLength}; }
};

// Set list banks hold 129 entries per set list, in listing order: the set list itself, then its
// 128 slots.
constexpr std::uint32_t kSetListEntries = 1 + kRecordsPerBank;

struct CatalogueBank {
    ChunkType kind;     // PRG1, CMB1 or SLS1
    std::string name;   // the listing's bank name ("Int A"); empty for set list banks
    std::string label;  // what the .ins entry labels begin with ("IA")
    std::vector<CatalogueEntry> entries;
};

struct Catalogue {
    // The extra formats need only programs and combinations and their listing checksums; the
    // checksums cost a pass over the records each, so the rest is kept only when compared.
    enum class Detail { Formats, Compare };

    Detail detail = Detail::Compare;
    const Model* model = nullptr;      // the model of the file the banks come from; set by the first bank added
    std::vector<CatalogueBank> banks;  // in file order

    // A bank as Write_bank_listing hands it on. With Detail::Formats set list banks are left
    // out and bodyChecksum stays 0.
    void Add(const ListedBank& bank);
    // A Kronos bank, as Write_bank_listing(bank, kind, bankName) lists it.
    void Add(const std::uint8_t* bank, ChunkType kind, const std::string& bankName);
};

// The model the catalogue's banks come from; Kronos for a catalogue without banks.
const Model& ModelOf(const Catalogue& catalogue);

// "IA000": the entry label of the .ins, bank label and three-digit number.
std::string EntryLabel(const CatalogueBank& bank, int number);

}  // namespace morvane
