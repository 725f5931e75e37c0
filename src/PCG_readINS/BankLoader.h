#pragma once
// Loads a program or combination bank chunk into its fixed buffer and names the bank.
#include <cstdint>
#include <string>
#include <string_view>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "platform/InputStream.h"

namespace morvane {

// Naming schemes of Bank_name: 0 and 19 program banks, 1 and 18 combination banks.
constexpr std::uint8_t kBankKindHD1Program = 0;
constexpr std::uint8_t kBankKindCombi = 1;
constexpr std::uint8_t kBankKindEXiProgram = 19;

// The stream stands on the bank's BankHeader; S is the chunk's header (PBK1, MBK1 or CBK1).
// True when all records were loaded; bankName is set in every case.
bool Read_bank(InputStream& stream, const ChunkHeader& S, std::string& bankName);
// The header's fields are in host order. Raises OverflowError or RangeError for a product of
// count and size that does not fit or is negative.
bool Read_bank_data(InputStream& stream, const BankHeader& header, std::uint8_t* destination,
                    std::uint32_t destinationSize);
std::string Bank_name(std::uint8_t bankKind, std::uint32_t bankId);
// The trace line of a loaded bank: "BankID: 00020001 User B NumProgs: 128 SizeOfProg: 7810
// 1stName: " and the first record's name. The header's fields are in host order.
std::string BankIdTrace(const BankHeader& header, const std::string& bankName, std::string_view firstName);
std::string Hex_word(std::uint16_t value);
std::string Hex_long(std::uint32_t value);

}  // namespace morvane
