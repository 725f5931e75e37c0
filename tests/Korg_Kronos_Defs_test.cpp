#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace morvane;

ChunkId Id(const char (&text)[5]) { return {text[0], text[1], text[2], text[3]}; }

TEST(ChunkTypes, ClassifiesLevel2Identifiers) {
    struct Row {
        ChunkId id;
        ChunkType type;
        bool level2;
    };
    const Row rows[] = {
        {Id("SLS1"), ChunkType::SLS1, true},    {Id("PRG1"), ChunkType::PRG1, true},
        {Id("CMB1"), ChunkType::CMB1, true},    {Id("DKT1"), ChunkType::DKT1, true},
        {Id("ARP1"), ChunkType::ARP1, true},    {Id("GLB1"), ChunkType::GLB1, true},
        {Id("WSQ1"), ChunkType::Unknown, true}, {Id("CSM1"), ChunkType::Unknown, false},
        {Id("PBK1"), ChunkType::Unknown, false}, {Id("prg1"), ChunkType::Unknown, false},
        {Id("Prg1"), ChunkType::Unknown, false}, {{'P', 'R', 'G', '\0'}, ChunkType::Unknown, false},
        {{'\0', 'R', 'G', '1'}, ChunkType::Unknown, false},
    };
    for (const Row& row : rows) {
        const std::string name(row.id.data(), 4);
        EXPECT_EQ(Chunk_type_of(row.id), row.type) << name;
        EXPECT_EQ(Is_level2_chunk(row.id), row.level2) << name;
    }
}

TEST(ChunkTypes, BankChunksBelongToTheirType) {
    EXPECT_TRUE(Is_bank_chunk(ChunkType::PRG1, Id("PBK1")));
    EXPECT_TRUE(Is_bank_chunk(ChunkType::PRG1, Id("MBK1")));
    EXPECT_TRUE(Is_bank_chunk(ChunkType::CMB1, Id("CBK1")));
    EXPECT_TRUE(Is_bank_chunk(ChunkType::DKT1, Id("DBK1")));
    EXPECT_TRUE(Is_bank_chunk(ChunkType::ARP1, Id("ABK1")));
    EXPECT_FALSE(Is_bank_chunk(ChunkType::PRG1, Id("CBK1")));
    EXPECT_FALSE(Is_bank_chunk(ChunkType::CMB1, Id("PBK1")));
    EXPECT_FALSE(Is_bank_chunk(ChunkType::SLS1, Id("SBK1")));
    EXPECT_FALSE(Is_bank_chunk(ChunkType::GLB1, Id("PBK1")));
    EXPECT_FALSE(Is_bank_chunk(ChunkType::Unknown, Id("PBK1")));
}

TEST(ChunkTypes, NameTableHasEveryType) {
    const char* expected[] = {"UNKN", "SLS1", "PRG1", "CMB1", "DKT1", "WSQ1", "ARP1", "GLB1", "CSM1"};
    ASSERT_EQ(ChunkTypeNames.size(), 9u);
    for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(std::string(ChunkTypeNames[i].data(), 4), expected[i]);
    EXPECT_EQ(static_cast<int>(ChunkType::CSM1), 8);
}

TEST(Swap32, ReadsStoredBigEndianWords) {
    const std::uint8_t stored[4] = {0x00, 0x00, 0x02, 0x6C};
    std::uint32_t word;
    std::memcpy(&word, stored, 4);
    Swap32(word);
    EXPECT_EQ(word, 620u);

    const std::uint8_t mixed[4] = {0x12, 0x34, 0x56, 0x78};
    std::memcpy(&word, mixed, 4);
    const std::uint32_t raw = word;
    EXPECT_EQ(Swapped32(word), 0x12345678u);
    Swap32(word);
    Swap32(word);
    EXPECT_EQ(word, raw);
}

TEST(Names, StopAtTheFirstZeroByteOrAfter24Bytes) {
    std::uint8_t record[40] = {};
    EXPECT_EQ(RecordName(record), "");

    std::memcpy(record, "Piano\0Hidden", 12);
    EXPECT_EQ(RecordName(record), "Piano");

    std::memset(record, 'x', sizeof record);
    EXPECT_EQ(RecordName(record), std::string(24, 'x'));

    std::memcpy(record, " \x01\xE9 raw ", 8);
    EXPECT_EQ(RecordName(record).substr(0, 8), std::string_view(" \x01\xE9 raw ", 8));  // no trimming, no conversion
}

TEST(Names, IdentifiersAreCutAtTheFirstZeroByte) {
    EXPECT_EQ(IdText(Id("PRG1")), "PRG1");
    EXPECT_EQ(IdText({'A', 'B', '\0', 'D'}), "AB");
    EXPECT_EQ(IdText({'\0', 'B', 'C', 'D'}), "");
}

TEST(Layout, SizesAddUp) {
    EXPECT_EQ(kProgramBankSize, 634880u);
    EXPECT_EQ(kCombiBankSize, 999680u);
    EXPECT_EQ(kSetListBankSize, 8885248u);
    EXPECT_EQ(kSetListEqOffset, 69400u);
    EXPECT_EQ(sizeof ProgramBankHD1 + sizeof ProgramBankEXi + sizeof CombiBank + sizeof SetListBank +
                  sizeof SetListDataBlock,
              634880u * 2 + 999680u + 8885248u + 462336u);
}

}  // namespace
