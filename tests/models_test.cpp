#include "models/Models.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "PCG_readINS/BankLoader.h"

namespace {

using namespace morvane;

const Model& Named(const std::string& word) {
    for (const Model& model : Models()) {
        if (model.word == word) return model;
    }
    throw std::invalid_argument("no model " + word);
}

TEST(Models, TheFileHeaderNamesTheModel) {
    struct Row {
        const char* magic;
        std::uint8_t product, zero, subId;
        std::size_t size;
        const char* word;  // null: no model
    };
    const Row rows[] = {
        {"KORG", 0x68, 0, 0, 16, "Kronos"},         {"KORG", 0x68, 0, 1, 16, "Kronos"},
        {"KORG", 0x50, 0, 1, 16, "Triton Extreme"}, {"KORG", 0x50, 0, 0, 16, "Triton"},
        {"KORG", 0x50, 0, 2, 16, "Triton"},         {"KORG", 0x63, 0, 0, 16, "Triton Le"},
        {"KORG", 0x5D, 0, 1, 16, "Karma"},          {"KORG", 0x50, 1, 0, 16, nullptr},
        {"KORG", 0x3B, 0, 0, 16, nullptr},          {"KORg", 0x50, 0, 0, 16, nullptr},
        {"KORG", 0x50, 0, 0, 15, nullptr},          {"KORG", 0x70, 0, 0, 16, "Oasys"},
        {"KORG", 0x75, 0, 1, 16, "M3"},             {"KORG", 0x85, 0, 0, 16, "M50"},
        {"KORG", 0x8D, 0, 0, 16, "microSTATION"},   {"KORG", 0x95, 0, 0, 16, "Krome"},
        {"KORG", 0xD2, 0, 0, 16, "Krome EX"},       {"KORG", 0x96, 0, 1, 16, "Kross"},
        {"KORG", 0xC9, 0, 0, 16, "Kross 2"},        {"KORG", 0xDD, 0, 0, 16, "Nautilus"},
        {"KORG", 0xDD, 1, 0, 16, nullptr},          {"KORG", 0x95, 0, 0, 12, nullptr},
    };
    for (const Row& row : rows) {
        std::uint8_t header[16] = {};
        std::copy(row.magic, row.magic + 4, header);
        header[4] = row.product;
        header[5] = row.zero;
        header[8] = row.subId;
        const Model* model = ModelOfHeader(header, row.size);
        const std::string what = std::to_string(row.product) + "/" + std::to_string(row.subId);
        if (!row.word) {
            EXPECT_EQ(model, nullptr) << what;
            continue;
        }
        ASSERT_NE(model, nullptr) << what;
        EXPECT_STREQ(model->word, row.word) << what;
    }
}

// The Kronos walker names banks by its own rules; the model's table must agree with them.
TEST(Models, KronosTableAgreesWithTheLoadersBankNames) {
    std::vector<std::uint32_t> ids;
    for (const std::uint32_t first : {0x0u, 0x7FF0u, 0x1FFF0u}) {
        for (std::uint32_t id = first; id <= first + 0x20; ++id) ids.push_back(id);
    }
    for (const std::uint32_t id : ids) {
        EXPECT_EQ(BankNameOf(KronosModel(), ChunkType::PRG1, id), Bank_name(kBankKindHD1Program, id)) << id;
        EXPECT_EQ(BankNameOf(KronosModel(), ChunkType::CMB1, id), Bank_name(kBankKindCombi, id)) << id;
    }
}

// A bank may have two ids (the Krome's F is 5 and 0x8000), never two numbers; two banks never
// share a number.
TEST(Models, EveryNamedBankHasItsOwnBankSelect) {
    for (const Model& model : Models()) {
        for (const ChunkType kind : {ChunkType::PRG1, ChunkType::CMB1}) {
            std::map<std::string, int> numberOf;
            std::set<std::uint32_t> ids;
            for (const ModelBank& bank : model.banks) {
                if (bank.kind != kind) continue;
                const int number = bank.select.msb * 128 + bank.select.lsb;
                EXPECT_EQ(numberOf.emplace(bank.name, number).first->second, number) << model.word << ": " << bank.name;
                EXPECT_TRUE(ids.insert(bank.bankId).second) << model.word << ": " << bank.bankId;
                EXPECT_EQ(BankNameOf(model, kind, bank.bankId), bank.name);
                EXPECT_EQ(BankSelectOf(model, kind, bank.name)->lsb, bank.select.lsb);
            }
            std::set<int> numbers;
            for (const auto& [name, number] : numberOf) EXPECT_TRUE(numbers.insert(number).second) << model.word << ": " << name;
            EXPECT_FALSE(BankSelectOf(model, kind, "Invalid Bank")) << model.word;
        }
    }
}

TEST(Models, BankNamesAndNumbersByModel) {
    struct Row {
        const char* model;
        ChunkType kind;
        std::uint32_t id;
        const char* name;
        int lsb;  // -1: no bank select
    };
    const ChunkType P = ChunkType::PRG1, C = ChunkType::CMB1;
    const Row rows[] = {
        {"Triton", P, 0, "A", 0},          {"Triton", P, 0x8000, "F", 5},       {"Triton", P, 0x20000, "EXB-A", 8},
        {"Triton", P, 0x20007, "EXB-H", 15}, {"Triton", P, 0x20008, "Invalid Bank", -1}, {"Triton", P, 5, "Invalid Bank", -1},
        {"Triton", C, 4, "E", 4},          {"Triton", C, 0x8000, "Invalid Bank", -1}, {"Triton", C, 0x20007, "EXB-H", 15},
        {"Triton Extreme", P, 0x8000, "F", 5}, {"Triton Extreme", P, 0x20000, "H", 8}, {"Triton Extreme", P, 0x20006, "N", 14},
        {"Triton Extreme", P, 0x20007, "Invalid Bank", -1}, {"Triton Extreme", C, 0x20006, "N", 14},
        {"Triton Le", P, 3, "D", 3},       {"Triton Le", P, 4, "Invalid Bank", -1}, {"Triton Le", P, 0x8000, "Invalid Bank", -1},
        {"Triton Le", C, 2, "C", 2},       {"Triton Le", C, 3, "Invalid Bank", -1},
        {"Karma", P, 0x8000, "F", 5},      {"Karma", P, 5, "Invalid Bank", -1}, {"Karma", C, 5, "F", 5},
        {"Karma", C, 0x20000, "Invalid Bank", -1},
        {"Oasys", P, 5, "I-F", 5},         {"Oasys", P, 0x8000, "I-F", 5},      {"Oasys", P, 6, "Invalid Bank", -1},
        {"Oasys", P, 0x20006, "U-G", 14},  {"Oasys", C, 6, "I-G", 6},          {"Oasys", C, 0x20000, "U-A", 8},
        {"M3", P, 0x20000, "U-A", 8},      {"M3", C, 0x20007, "Invalid Bank", -1},
        {"M50", P, 4, "E", 4},             {"M50", P, 0x8000, "Invalid Bank", -1}, {"M50", C, 4, "Invalid Bank", -1},
        {"microSTATION", P, 3, "D", 3},    {"microSTATION", C, 3, "D", 3},     {"microSTATION", P, 4, "Invalid Bank", -1},
        {"Krome", P, 0x8000, "F", 5},      {"Krome", P, 0x20005, "U-F", 13},   {"Krome", P, 0x20006, "Invalid Bank", -1},
        {"Krome", C, 3, "D", 3},           {"Krome", C, 4, "Invalid Bank", -1},
        {"Krome EX", P, 0x20000, "U-A", 8}, {"Krome EX", C, 5, "F", 5},        {"Krome EX", C, 0x20000, "Invalid Bank", -1},
        {"Kross", P, 3, "D", 3},           {"Kross", P, 4, "U", 8},            {"Kross", P, 0x20000, "U", 8},
        {"Kross", C, 1, "B", 1},           {"Kross", C, 2, "U", 8},            {"Kross", C, 0x20000, "U", 8},
        {"Kross", C, 3, "Invalid Bank", -1},
        {"Kross 2", P, 0x8000, "F", 5},    {"Kross 2", P, 0x20003, "UD", 11},  {"Kross 2", C, 0x20000, "UA", 8},
        {"Kross 2", C, 4, "Invalid Bank", -1},
        {"Nautilus", P, 5, "F", 5},        {"Nautilus", P, 6, "G", 8},         {"Nautilus", P, 19, "T", 21},
        {"Nautilus", P, 20, "a", 22},      {"Nautilus", P, 39, "t", 41},       {"Nautilus", P, 40, "Invalid Bank", -1},
        {"Nautilus", P, 0x8000, "F", 5},   {"Nautilus", P, 0x20000, "G", 8},   {"Nautilus", P, 0x20021, "t", 41},
        {"Nautilus", P, 0x20022, "Invalid Bank", -1},
        {"Nautilus", C, 6, "G", 6},        {"Nautilus", C, 7, "H", 8},         {"Nautilus", C, 13, "N", 14},
        {"Nautilus", C, 0x20000, "H", 8},  {"Nautilus", C, 0x20006, "N", 14},  {"Nautilus", C, 0x20007, "Invalid Bank", -1},
    };
    for (const Row& row : rows) {
        const Model& model = Named(row.model);
        const std::string what = std::string(row.model) + " " + std::to_string(row.id);
        EXPECT_EQ(BankNameOf(model, row.kind, row.id), row.name) << what;
        const auto select = BankSelectOf(model, row.kind, row.name);
        EXPECT_EQ(select ? select->msb * 128 + select->lsb : -1, row.lsb) << what;
    }
}

}  // namespace
