#include "PCG_readINS/BankLoader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "PcgBuilder.h"
#include "TestSupport.h"
#include "platform/Console.h"
#include "platform/Errors.h"

namespace {

using namespace morvane;
using pcgbuild::Bytes;

struct VerboseScope {
    explicit VerboseScope(bool verbose = false) { Verbose = verbose; }
    ~VerboseScope() { Verbose = false; }
};

ChunkHeader SubHeader(const char (&id)[5]) {
    ChunkHeader header{};
    std::memcpy(header.Id.chars.data(), id, 4);
    return header;
}

Bytes ProgramRecords(const std::string& firstName) {
    Bytes records(kProgramBankSize, 0x11);
    pcgbuild::PutName(records, 0, firstName);
    return records;
}

class BankLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { testing_support::ClearBankBuffers(); }
    void TearDown() override { Verbose = false; }
};

TEST(BankName, EveryRowByKind) {
    struct Row {
        std::uint32_t bankId;
        const char* program;
        const char* combi;
    };
    const Row rows[] = {
        {0x00000, "Int A", "Int A"},        {0x00001, "Int B", "Int B"},
        {0x00002, "Int C", "Int C"},        {0x00003, "Int D", "Int D"},
        {0x00004, "Int E", "Int E"},        {0x00005, "Invalid Bank", "Int F"},
        {0x00006, "Invalid Bank", "Int G"}, {0x00007, "Invalid Bank", "Invalid Bank"},
        {0x08000, "Int F", "Invalid Bank"}, {0x20000, "User A", "User A"},
        {0x20001, "User B", "User B"},      {0x20002, "User C", "User C"},
        {0x20003, "User D", "User D"},      {0x20004, "User E", "User E"},
        {0x20005, "User F", "User F"},      {0x20006, "User G", "User G"},
        {0x20007, "User AA", "Invalid Bank"}, {0x20008, "User BB", "Invalid Bank"},
        {0x20009, "User CC", "Invalid Bank"}, {0x2000A, "User DD", "Invalid Bank"},
        {0x2000B, "User EE", "Invalid Bank"}, {0x2000C, "User FF", "Invalid Bank"},
        {0x2000D, "User GG", "Invalid Bank"}, {0x2000E, "Invalid Bank", "Invalid Bank"},
        {0x1FFFF, "Invalid Bank", "Invalid Bank"}, {0xFFFFFFFF, "Invalid Bank", "Invalid Bank"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Bank_name(0, row.bankId), row.program) << std::hex << row.bankId;
        EXPECT_EQ(Bank_name(19, row.bankId), row.program) << std::hex << row.bankId;
        EXPECT_EQ(Bank_name(1, row.bankId), row.combi) << std::hex << row.bankId;
        EXPECT_EQ(Bank_name(18, row.bankId), row.combi) << std::hex << row.bankId;
    }
    EXPECT_EQ(Bank_name(2, 0), "??");
    EXPECT_EQ(Bank_name(17, 0x20000), "??");
}

TEST(BankName, HexTexts) {
    EXPECT_EQ(Hex_word(0), "0000");
    EXPECT_EQ(Hex_word(0xBEEF), "BEEF");
    EXPECT_EQ(Hex_long(0x20007), "00020007");
    EXPECT_EQ(Hex_long(0xFFFFFFFF), "FFFFFFFF");
}

TEST_F(BankLoaderTest, LoadsAProgramBankAndNamesIt) {
    MemoryStream stream(pcgbuild::Concat({pcgbuild::BankHeaderBytes(128, 4960, 0), ProgramRecords("Grand Piano"), {0xEE}}));
    std::string name;
    ConsoleCapture console;
    EXPECT_TRUE(Read_bank(stream, SubHeader("PBK1"), name));
    EXPECT_EQ(name, "Int A");
    EXPECT_EQ(stream.Position(), 12 + 634880);
    EXPECT_EQ(RecordName(ProgramBankHD1), "Grand Piano");
    EXPECT_EQ(ProgramBankHD1[kProgramBankSize - 1], 0x11);
    EXPECT_EQ(ProgramBankEXi[100], 0);
    EXPECT_EQ(console.Text(), "");
}

TEST_F(BankLoaderTest, EachIdentifierFillsItsOwnBuffer) {
    struct Row {
        const char* id;
        std::uint32_t recordSize;
        std::uint32_t bankId;
        const std::uint8_t* buffer;
        const char* name;
    };
    const Row rows[] = {
        {"PBK1", 4960, 0x8000, ProgramBankHD1, "Int F"},
        {"MBK1", 4960, 0x2000D, ProgramBankEXi, "User GG"},
        {"CBK1", 7810, 0x5, CombiBank, "Int F"},
    };
    for (const Row& row : rows) {
        Bytes records(128 * row.recordSize, 0);
        pcgbuild::PutName(records, 0, std::string("first of ") + row.id);
        MemoryStream stream(pcgbuild::Concat({pcgbuild::BankHeaderBytes(128, row.recordSize, row.bankId), records}));
        ChunkHeader header{};
        std::memcpy(header.Id.chars.data(), row.id, 4);
        std::string name;
        EXPECT_TRUE(Read_bank(stream, header, name)) << row.id;
        EXPECT_EQ(name, row.name) << row.id;
        EXPECT_EQ(RecordName(row.buffer), std::string("first of ") + row.id);
    }
}

TEST_F(BankLoaderTest, SizeMismatchIsReportedWithoutVerboseAndReadsNothing) {
    MemoryStream stream(pcgbuild::Concat({pcgbuild::BankHeaderBytes(100, 4960, 0), ProgramRecords("Never Read")}));
    std::string name;
    ConsoleCapture console;
    EXPECT_FALSE(Read_bank(stream, SubHeader("PBK1"), name));
    EXPECT_EQ(console.Text(),
              "Error: bank header data size (4960 * 100 = 496000) doesn't match size of dest array (634880)\r\n");
    EXPECT_EQ(stream.Position(), 12);
    EXPECT_EQ(name, "Int A");
    EXPECT_EQ(ProgramBankHD1[0], 0);
}

TEST_F(BankLoaderTest, SizeMismatchWithVerboseContinuesThePrefixLine) {
    VerboseScope verbose(true);
    MemoryStream stream(pcgbuild::Concat({pcgbuild::BankHeaderBytes(100, 4960, 0), ProgramRecords("Never Read")}));
    std::string name;
    ConsoleCapture console;
    EXPECT_FALSE(Read_bank(stream, SubHeader("PBK1"), name));
    EXPECT_EQ(console.Text(),
              "HD1 Prog: PBK1 Error: bank header data size (4960 * 100 = 496000) doesn't match size of dest array "
              "(634880)\r\n"
              "BankID: 00000000 Int A NumProgs: 100 SizeOfProg: 4960 1stName: \r\n");
}

TEST_F(BankLoaderTest, CombinationRecordSizeDoesNotFitAProgramBank) {
    MemoryStream stream(pcgbuild::Concat({pcgbuild::BankHeaderBytes(128, 7810, 0x20000), Bytes(kCombiBankSize)}));
    std::string name;
    ConsoleCapture console;
    EXPECT_FALSE(Read_bank(stream, SubHeader("MBK1"), name));
    EXPECT_EQ(console.Text(),
              "Error: bank header data size (7810 * 128 = 999680) doesn't match size of dest array (634880)\r\n");
    EXPECT_EQ(name, "User A");
}

TEST_F(BankLoaderTest, ProductIsCheckedInSigned32Bits) {
    std::string name;
    ConsoleCapture console;
    {
        MemoryStream stream(pcgbuild::BankHeaderBytes(0x10000, 0x10000, 0));
        EXPECT_THROW(Read_bank(stream, SubHeader("PBK1"), name), OverflowError);
    }
    {
        MemoryStream stream(pcgbuild::BankHeaderBytes(0xFFFFFFFF, 5, 0));  // -1 * 5
        EXPECT_THROW(Read_bank(stream, SubHeader("PBK1"), name), RangeError);
    }
    EXPECT_EQ(console.Text(), "");
    {
        MemoryStream stream(pcgbuild::BankHeaderBytes(0xFFFFFFFF, 0xFFFFFFFF, 0));  // -1 * -1 = 1
        EXPECT_FALSE(Read_bank(stream, SubHeader("CBK1"), name));
    }
    {
        MemoryStream stream(pcgbuild::BankHeaderBytes(0, 4960, 0));
        EXPECT_FALSE(Read_bank(stream, SubHeader("PBK1"), name));
    }
    EXPECT_EQ(console.Text(),
              "Error: bank header data size (-1 * -1 = 1) doesn't match size of dest array (999680)\r\n"
              "Error: bank header data size (4960 * 0 = 0) doesn't match size of dest array (634880)\r\n");
}

TEST_F(BankLoaderTest, VerboseTraceOfACombinationBank) {
    VerboseScope verbose(true);
    Bytes records(kCombiBankSize, 0);
    pcgbuild::PutName(records, 0, "Stage Split");
    MemoryStream stream(pcgbuild::Concat({pcgbuild::BankHeaderBytes(128, 7810, 0x20001), records}));
    std::string name;
    ConsoleCapture console;
    EXPECT_TRUE(Read_bank(stream, SubHeader("CBK1"), name));
    EXPECT_EQ(console.Text(),
              "Bank Read: reading 999680 bytes into array\r\n"
              "BankID: 00020001 User B NumProgs: 128 SizeOfProg: 7810 1stName: Stage Split\r\n");
}

TEST_F(BankLoaderTest, VerboseTraceOfAnEXiBankWithAFull24ByteName) {
    VerboseScope verbose(true);
    MemoryStream stream(pcgbuild::Concat({pcgbuild::BankHeaderBytes(128, 4960, 0x20007), Bytes(kProgramBankSize, 'N')}));
    std::string name;
    ConsoleCapture console;
    EXPECT_TRUE(Read_bank(stream, SubHeader("MBK1"), name));
    EXPECT_EQ(console.Text(), "EXi Prog: MBK1 Bank Read: reading 634880 bytes into array\r\n"
                              "BankID: 00020007 User AA NumProgs: 128 SizeOfProg: 4960 1stName: " +
                                  std::string(24, 'N') + "\r\n");
}

TEST_F(BankLoaderTest, ShortReadKeepsThePreviousContentsBeyondWhatArrived) {
    std::memset(ProgramBankHD1, 0x77, kProgramBankSize);
    Bytes partial(1000, 0x22);
    pcgbuild::PutName(partial, 0, "Cut Short");
    MemoryStream stream(pcgbuild::Concat({pcgbuild::BankHeaderBytes(128, 4960, 1), partial}));
    std::string name;
    EXPECT_FALSE(Read_bank(stream, SubHeader("PBK1"), name));
    EXPECT_EQ(name, "Int B");
    EXPECT_EQ(RecordName(ProgramBankHD1), "Cut Short");
    EXPECT_EQ(ProgramBankHD1[999], 0x22);
    EXPECT_EQ(ProgramBankHD1[1000], 0x77);
    EXPECT_EQ(stream.Position(), stream.Size());
}

TEST_F(BankLoaderTest, FieldsAShortBankHeaderDidNotDeliverReadAsZero) {
    // Count 128 arrives; size and bank identifier do not.
    MemoryStream stream(Bytes{0, 0, 0, 128, 0, 0});
    std::string name;
    ConsoleCapture console;
    EXPECT_FALSE(Read_bank(stream, SubHeader("PBK1"), name));
    EXPECT_EQ(console.Text(), "Error: bank header data size (0 * 128 = 0) doesn't match size of dest array (634880)\r\n");
    EXPECT_EQ(name, "Int A");
}

}  // namespace
