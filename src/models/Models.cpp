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

// The Kronos-container models. Only the Kross 2's programs A-F and combinations A-C have numbers
// from a third-party source; every other number follows the Kronos's pattern: internal banks from
// LSB 0, user banks from LSB 8. Ids are the bank's position, 0x8000 the sixth program bank, user
// banks from 0x20000.

// Internal and user banks, as the Oasys and the M3 name them.
std::vector<ModelBank> OasysBanks() {
    std::vector<ModelBank> banks;
    AddBanks(banks, P, 0x0, "I-", 'A', 6, 0);
    AddBank(banks, P, 0x8000, "I-F", 5);
    AddBanks(banks, P, 0x20000, "U-", 'A', 7, 8);
    AddBanks(banks, C, 0x0, "I-", 'A', 7, 0);
    AddBanks(banks, C, 0x20000, "U-", 'A', 7, 8);
    return banks;
}

std::vector<ModelBank> M50Banks() {
    std::vector<ModelBank> banks;
    AddBanks(banks, P, 0x0, "", 'A', 5, 0);
    AddBanks(banks, C, 0x0, "", 'A', 4, 0);
    return banks;
}

std::vector<ModelBank> MicroStationBanks() {
    std::vector<ModelBank> banks;
    AddBanks(banks, P, 0x0, "", 'A', 4, 0);
    AddBanks(banks, C, 0x0, "", 'A', 4, 0);
    return banks;
}

std::vector<ModelBank> KromeBanks(int combinationBanks) {
    std::vector<ModelBank> banks;
    AddBanks(banks, P, 0x0, "", 'A', 6, 0);
    AddBank(banks, P, 0x8000, "F", 5);
    AddBanks(banks, P, 0x20000, "U-", 'A', 6, 8);
    AddBanks(banks, C, 0x0, "", 'A', combinationBanks, 0);
    return banks;
}

// One user bank U, which the Kross files give the id of its position or the first user id.
std::vector<ModelBank> KrossBanks() {
    std::vector<ModelBank> banks;
    AddBanks(banks, P, 0x0, "", 'A', 4, 0);
    AddBank(banks, P, 0x4, "U", 8);
    AddBank(banks, P, 0x20000, "U", 8);
    AddBanks(banks, C, 0x0, "", 'A', 2, 0);
    AddBank(banks, C, 0x2, "U", 8);
    AddBank(banks, C, 0x20000, "U", 8);
    return banks;
}

std::vector<ModelBank> Kross2Banks() {
    std::vector<ModelBank> banks;
    AddBanks(banks, P, 0x0, "", 'A', 6, 0);
    AddBank(banks, P, 0x8000, "F", 5);
    AddBanks(banks, P, 0x20000, "U", 'A', 4, 8);
    AddBanks(banks, C, 0x0, "", 'A', 4, 0);
    AddBanks(banks, C, 0x20000, "U", 'A', 4, 8);
    return banks;
}

// Forty program banks, A-T and a-t, and fourteen combination banks, A-N; a user bank's id counts
// from 0x20000 at the seventh program bank (G) and the eighth combination bank (H).
std::vector<ModelBank> NautilusBanks() {
    std::vector<ModelBank> banks;
    AddBanks(banks, P, 0x0, "", 'A', 6, 0);
    AddBanks(banks, P, 6, "", 'G', 14, 8);
    AddBanks(banks, P, 20, "", 'a', 20, 22);
    AddBank(banks, P, 0x8000, "F", 5);
    AddBanks(banks, P, 0x20000, "", 'G', 14, 8);
    AddBanks(banks, P, 0x20000 + 14, "", 'a', 20, 22);
    AddBanks(banks, C, 0x0, "", 'A', 7, 0);
    AddBanks(banks, C, 7, "", 'H', 7, 8);
    AddBanks(banks, C, 0x20000, "", 'H', 7, 8);
    return banks;
}

constexpr std::uint32_t kKronosChunkHeader = 12;
constexpr std::uint32_t kTritonChunkHeader = 8;
constexpr std::uint32_t kKronosNameLength = 24;
constexpr std::uint32_t kTritonNameLength = 16;

// A Kronos-container model: the Kronos's chunk headers and names, every chunk bounded by its size.
Model ContainerModel(const char* word, std::uint8_t productCode, std::vector<ModelBank> banks, const char* headerTemplate,
                     const char* trailerTemplate) {
    return {word, productCode, kAnySubId, Layout::SizeDriven, kKronosChunkHeader, kKronosNameLength, kKronosNameLength, word,
            std::move(banks), headerTemplate, trailerTemplate};
}

Model TritonFamilyModel(const char* word, std::uint8_t productCode, int subId, std::vector<ModelBank> banks,
                        const char* headerTemplate, const char* trailerTemplate) {
    return {word, productCode, subId, Layout::SizeDriven, kTritonChunkHeader, kTritonNameLength, kTritonNameLength, "Triton",
            std::move(banks), headerTemplate, trailerTemplate};
}

}  // namespace

// First match wins: the Triton Extreme row comes before the Triton row it narrows.
const std::vector<Model>& Models() {
    static const std::vector<Model> models{
        {"Kronos", 0x68, kAnySubId, Layout::Kronos, kKronosChunkHeader, kKronosNameLength, kKronosNameLength, "Kronos",
         KronosBanks(), "Kronos_INS_header.ins", "Kronos_INS_trailer.ins"},
        TritonFamilyModel("Triton Extreme", 0x50, 0x01, TritonExtremeBanks(), "TritonExtreme_INS_header.ins",
                          "TritonExtreme_INS_trailer.ins"),
        TritonFamilyModel("Triton", 0x50, kAnySubId, TritonBanks(), "Triton_INS_header.ins", "Triton_INS_trailer.ins"),
        TritonFamilyModel("Triton Le", 0x63, kAnySubId, TritonLeBanks(), "TritonLe_INS_header.ins", "TritonLe_INS_trailer.ins"),
        TritonFamilyModel("Karma", 0x5D, kAnySubId, KarmaBanks(), "Karma_INS_header.ins", "Karma_INS_trailer.ins"),
        ContainerModel("Oasys", 0x70, OasysBanks(), "Oasys_INS_header.ins", "Oasys_INS_trailer.ins"),
        ContainerModel("M3", 0x75, OasysBanks(), "M3_INS_header.ins", "M3_INS_trailer.ins"),
        ContainerModel("M50", 0x85, M50Banks(), "M50_INS_header.ins", "M50_INS_trailer.ins"),
        ContainerModel("microSTATION", 0x8D, MicroStationBanks(), "microSTATION_INS_header.ins", "microSTATION_INS_trailer.ins"),
        ContainerModel("Krome", 0x95, KromeBanks(4), "Krome_INS_header.ins", "Krome_INS_trailer.ins"),
        ContainerModel("Krome EX", 0xD2, KromeBanks(6), "KromeEX_INS_header.ins", "KromeEX_INS_trailer.ins"),
        ContainerModel("Kross", 0x96, KrossBanks(), "Kross_INS_header.ins", "Kross_INS_trailer.ins"),
        ContainerModel("Kross 2", 0xC9, Kross2Banks(), "Kross2_INS_header.ins", "Kross2_INS_trailer.ins"),
        ContainerModel("Nautilus", 0xDD, NautilusBanks(), "Nautilus_INS_header.ins", "Nautilus_INS_trailer.ins"),
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
