#include "formats/BankSelect.h"

namespace morvane {

namespace {

struct Row {
    ChunkType kind;
    const char* bankName;
    BankSelect select;
};

// As documented by the Kronos community: a correction is a change of one row.
constexpr Row kBankSelect[] = {
    {ChunkType::PRG1, "Int A", {0, 0}},    {ChunkType::PRG1, "Int B", {0, 1}},    {ChunkType::PRG1, "Int C", {0, 2}},
    {ChunkType::PRG1, "Int D", {0, 3}},    {ChunkType::PRG1, "Int E", {0, 4}},    {ChunkType::PRG1, "Int F", {0, 5}},
    {ChunkType::PRG1, "User A", {0, 8}},   {ChunkType::PRG1, "User B", {0, 9}},   {ChunkType::PRG1, "User C", {0, 10}},
    {ChunkType::PRG1, "User D", {0, 11}},  {ChunkType::PRG1, "User E", {0, 12}},  {ChunkType::PRG1, "User F", {0, 13}},
    {ChunkType::PRG1, "User G", {0, 14}},  {ChunkType::PRG1, "User AA", {0, 15}}, {ChunkType::PRG1, "User BB", {0, 16}},
    {ChunkType::PRG1, "User CC", {0, 17}}, {ChunkType::PRG1, "User DD", {0, 18}}, {ChunkType::PRG1, "User EE", {0, 19}},
    {ChunkType::PRG1, "User FF", {0, 20}}, {ChunkType::PRG1, "User GG", {0, 21}},
    {ChunkType::CMB1, "Int A", {0, 0}},    {ChunkType::CMB1, "Int B", {0, 1}},    {ChunkType::CMB1, "Int C", {0, 2}},
    {ChunkType::CMB1, "Int D", {0, 3}},    {ChunkType::CMB1, "Int E", {0, 4}},    {ChunkType::CMB1, "Int F", {0, 5}},
    {ChunkType::CMB1, "Int G", {0, 6}},    {ChunkType::CMB1, "User A", {0, 8}},   {ChunkType::CMB1, "User B", {0, 9}},
    {ChunkType::CMB1, "User C", {0, 10}},  {ChunkType::CMB1, "User D", {0, 11}},  {ChunkType::CMB1, "User E", {0, 12}},
    {ChunkType::CMB1, "User F", {0, 13}},  {ChunkType::CMB1, "User G", {0, 14}},
};

}  // namespace

std::optional<BankSelect> BankSelectFor(ChunkType kind, std::string_view bankName) {
    for (const Row& row : kBankSelect) {
        if (row.kind == kind && bankName == row.bankName) return row.select;
    }
    return std::nullopt;
}

}  // namespace morvane
