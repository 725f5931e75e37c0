#include "models/Models.h"

#include <cstring>

namespace morvane {

namespace {

// count banks named prefix + 'A', 'B', ... (doubled: "AA", "BB"), ids and LSBs counting up, MSB 0.
void AddBanks(std::vector<ModelBank>& banks, ChunkType kind, std::uint32_t firstId, const char* prefix, char firstLetter,
              int count, std::uint8_t firstLsb, bool doubled = false) {
    for (int i = 0; i < count; ++i) {
        std::string name = prefix;
        name += static_cast<char>(firstLetter + i);
        if (doubled) name += static_cast<char>(firstLetter + i);
        banks.push_back({kind, firstId + static_cast<std::uint32_t>(i), name, {0, static_cast<std::uint8_t>(firstLsb + i)}});
    }
}

void AddBank(std::vector<ModelBank>& banks, ChunkType kind, std::uint32_t id, const char* name, std::uint8_t lsb) {
    banks.push_back({kind, id, name, {0, lsb}});
}

constexpr ChunkType P = ChunkType::PRG1;
constexpr ChunkType C = ChunkType::CMB1;

// As documented by the Kronos community; the names are the ones Bank_name gives.
std::vector<ModelBank> KronosBanks() {
    std::vector<ModelBank> banks;
    AddBanks(banks, P, 0x0, "Int ", 'A', 5, 0);
    AddBank(banks, P, 0x8000, "Int F", 5);
    AddBanks(banks, P, 0x20000, "User ", 'A', 7, 8);
    AddBanks(banks, P, 0x20007, "User ", 'A', 7, 15, true);
    AddBanks(banks, C, 0x0, "Int ", 'A', 7, 0);
    AddBanks(banks, C, 0x20000, "User ", 'A', 7, 8);
    return banks;
}

// The KORG bank map. A-C are Korg's own numbers, D-F and EXB-A-C come from third-party MIDNAM
// files, the later expansion banks follow Korg's pattern (from LSB 8 on).
std::vector<ModelBank> TritonBanks() {
    std::vector<ModelBank> banks;
    AddBanks(banks, P, 0x0, "", 'A', 5, 0);
    AddBank(banks, P, 0x8000, "F", 5);
    AddBanks(banks, P, 0x20000, "EXB-", 'A', 8, 8);
    AddBanks(banks, C, 0x0, "", 'A', 5, 0);
    AddBanks(banks, C, 0x20000, "EXB-", 'A', 8, 8);
    return banks;
}

std::vector<ModelBank> TritonExtremeBanks() {
    std::vector<ModelBank> banks;
    AddBanks(banks, P, 0x0, "", 'A', 5, 0);
    AddBank(banks, P, 0x8000, "F", 5);
    AddBanks(banks, P, 0x20000, "", 'H', 7, 8);
    AddBanks(banks, C, 0x0, "", 'A', 5, 0);
    AddBanks(banks, C, 0x20000, "", 'H', 7, 8);
    return banks;
}

std::vector<ModelBank> TritonLeBanks() {
    std::vector<ModelBank> banks;
    AddBanks(banks, P, 0x0, "", 'A', 4, 0);
    AddBanks(banks, C, 0x0, "", 'A', 3, 0);
    return banks;
}

std::vector<ModelBank> KarmaBanks() {
    std::vector<ModelBank> banks;
    AddBanks(banks, P, 0x0, "", 'A', 5, 0);
    AddBank(banks, P, 0x8000, "F", 5);
    AddBanks(banks, C, 0x0, "", 'A', 6, 0);
    return banks;
}

constexpr std::uint32_t kKronosChunkHeader = 12;
constexpr std::uint32_t kTritonChunkHeader = 8;

}  // namespace

// First match wins: the Triton Extreme row comes before the Triton row it narrows.
const std::vector<Model>& Models() {
    static const std::vector<Model> models{
        {"Kronos", 0x68, kAnySubId, Layout::Kronos, kKronosChunkHeader, KronosBanks(), "Kronos_INS_header.ins",
         "Kronos_INS_trailer.ins"},
        {"Triton Extreme", 0x50, 0x01, Layout::TritonFamily, kTritonChunkHeader, TritonExtremeBanks(),
         "TritonExtreme_INS_header.ins", "TritonExtreme_INS_trailer.ins"},
        {"Triton", 0x50, kAnySubId, Layout::TritonFamily, kTritonChunkHeader, TritonBanks(), "Triton_INS_header.ins",
         "Triton_INS_trailer.ins"},
        {"Triton Le", 0x63, kAnySubId, Layout::TritonFamily, kTritonChunkHeader, TritonLeBanks(), "TritonLe_INS_header.ins",
         "TritonLe_INS_trailer.ins"},
        {"Karma", 0x5D, kAnySubId, Layout::TritonFamily, kTritonChunkHeader, KarmaBanks(), "Karma_INS_header.ins",
         "Karma_INS_trailer.ins"},
    };
    return models;
}

const Model& KronosModel() { return Models().front(); }

const Model* ModelOfHeader(const std::uint8_t* header, std::size_t size) {
    constexpr std::size_t kFileHeaderSize = 16;
    if (size < kFileHeaderSize || std::memcmp(header, "KORG", 4) != 0 || header[5] != 0) return nullptr;
    for (const Model& model : Models()) {
        if (model.productCode == header[4] && (model.subId == kAnySubId || model.subId == header[8])) return &model;
    }
    return nullptr;
}

std::string BankNameOf(const Model& model, ChunkType kind, std::uint32_t bankId) {
    for (const ModelBank& bank : model.banks) {
        if (bank.kind == kind && bank.bankId == bankId) return bank.name;
    }
    return "Invalid Bank";
}

std::optional<BankSelect> BankSelectOf(const Model& model, ChunkType kind, std::string_view bankName) {
    for (const ModelBank& bank : model.banks) {
        if (bank.kind == kind && bankName == bank.name) return bank.select;
    }
    return std::nullopt;
}

}  // namespace morvane
