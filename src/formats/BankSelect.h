#pragma once
// The Kronos's bank-select numbers (Control Change 0 and 32) of its program and combination
// banks, by bank name.
#include <cstdint>
#include <optional>
#include <string_view>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

namespace morvane {

struct BankSelect {
    std::uint8_t msb;
    std::uint8_t lsb;
};

// kind is PRG1 or CMB1. None for a bank that cannot be selected ("Invalid Bank", "??").
std::optional<BankSelect> BankSelectFor(ChunkType kind, std::string_view bankName);

}  // namespace morvane
