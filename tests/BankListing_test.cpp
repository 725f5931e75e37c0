#include "PCG_readINS/BankListing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "CRC32/CRC32.h"
#include "PCG_readINS/Format.h"
#include "PCG_readINS/ProcessState.h"
#include "TestSupport.h"
#include "platform/Console.h"

namespace {

using namespace morvane;
using testing_support::CapturedOutputs;
using testing_support::Lines;

std::vector<std::uint8_t> ZeroBank(std::size_t size) { return std::vector<std::uint8_t>(size, 0); }

TEST(BankLabel, IsTheFirstLetterAndWhatFollowsTheFourth) {
    struct Row {
        const char* name;
        const char* label;
    };
    const Row rows[] = {
        {"Int A", "IA"},   {"Int F", "IF"},          {"User A", "UA"},   {"User AA", "UAA"},
        {"User GG", "UGG"}, {"??", "?"},             {"Invalid Bank", "Ilid Bank"},
        {"X", ""},         {"", ""},                 {"  Int B \t", "IB"}, {"Abcd", "A"},
        {"Abcde  f", "Ae  f"},
    };
    for (const Row& row : rows) EXPECT_EQ(BankLabel(row.name), row.label) << row.name;
}

TEST(Trimmed, RemovesControlBytesAndBlanksAtBothEnds) {
    EXPECT_EQ(Trimmed("\x01 \t Int A \x1F\r\n"), "Int A");
    EXPECT_EQ(Trimmed(" \x7F "), "\x7F");
    EXPECT_EQ(Trimmed("   "), "");
}

TEST(BankListing, ProgramBankLinesAndSection) {
    CapturedOutputs outputs;
    std::vector<std::uint8_t> bank = ZeroBank(kProgramBankSize);
    std::memcpy(&bank[7 * 4960], "ABC", 3);
    Write_bank_listing(bank.data(), ChunkType::PRG1, "Int A");
    outputs.Flush();

    const auto ins = Lines(outputs.Ins());
    const auto listing = Lines(outputs.Listing());
    ASSERT_EQ(ins.size(), 130u);
    ASSERT_EQ(listing.size(), 128u);
    EXPECT_EQ(ins[0], "");
    EXPECT_EQ(ins[1], "[Kronos Program Bank Int A]");
    EXPECT_EQ(ins[2], "0=IA000 ");
    EXPECT_EQ(ins[9], "7=IA007 ABC");
    EXPECT_EQ(ins[129], "127=IA127 ");
    EXPECT_EQ(listing[7], "PROGRAM Int A 007 \"                     ABC\" 12B7AC0D");
    EXPECT_EQ(listing[0], "PROGRAM Int A 000 \"" + std::string(24, ' ') + "\" 75944B80");
    EXPECT_EQ(listing[127], "PROGRAM Int A 127 \"" + std::string(24, ' ') + "\" 75944B80");
    // Listing and entry lines end in CR LF, with nothing else in the files.
    EXPECT_EQ(outputs.Listing().size(), 128 * (listing[0].size() + 2));
}

TEST(BankListing, UserBankLabelAndName) {
    CapturedOutputs outputs;
    std::vector<std::uint8_t> bank = ZeroBank(kProgramBankSize);
    std::memcpy(&bank[7 * 4960], "ABC", 3);
    Write_bank_listing(bank.data(), ChunkType::PRG1, "User AA");
    outputs.Flush();
    EXPECT_EQ(Lines(outputs.Ins())[9], "7=UAA007 ABC");
    EXPECT_EQ(Lines(outputs.Listing())[7], "PROGRAM User AA 007 \"                     ABC\" 12B7AC0D");
}

TEST(BankListing, NamesAreTakenToTheirFirstZeroByteButChecksummedWhole) {
    CapturedOutputs outputs;
    std::vector<std::uint8_t> bank = ZeroBank(kCombiBankSize);
    std::memset(&bank[0], 'Z', 24);                  // a full 24-byte name
    std::memcpy(&bank[7810], "Pad\0Secret", 10);     // bytes after the zero are not shown
    bank[2 * 7810 + 5000] = 1;                       // a byte past the name changes the checksum
    Write_bank_listing(bank.data(), ChunkType::CMB1, "Int G");
    outputs.Flush();

    const auto ins = Lines(outputs.Ins());
    const auto listing = Lines(outputs.Listing());
    EXPECT_EQ(ins[1], "[Kronos Combi Bank Int G]");
    EXPECT_EQ(ins[2], "0=IG000 " + std::string(24, 'Z'));
    EXPECT_EQ(ins[3], "1=IG001 Pad");
    EXPECT_EQ(listing[0], "COMBI   Int G 000 \"" + std::string(24, 'Z') + "\" " +
                              Format("%8.8x", {RecordChecksum(&bank[0], 7810)}));
    EXPECT_EQ(listing[1], Format("COMBI   Int G 001 \"                     Pad\" %8.8x", {RecordChecksum(&bank[7810], 7810)}));
    EXPECT_NE(listing[2], "COMBI   Int G 002 \"" + std::string(24, ' ') + "\" 3E46F431");
    EXPECT_EQ(listing[3], "COMBI   Int G 003 \"" + std::string(24, ' ') + "\" 3E46F431");
}

TEST(BankListing, ShortAndLongBankNamesInTheSectionHead) {
    CapturedOutputs outputs;
    const std::vector<std::uint8_t> bank = ZeroBank(kProgramBankSize);
    Write_bank_listing(bank.data(), ChunkType::PRG1, "??");
    Write_bank_listing(bank.data(), ChunkType::PRG1, "Invalid Bank");
    outputs.Flush();
    const auto ins = Lines(outputs.Ins());
    ASSERT_EQ(ins.size(), 260u);
    EXPECT_EQ(ins[1], "[Kronos Program Bank   ??]");
    EXPECT_EQ(ins[2], "0=?000 ");
    EXPECT_EQ(ins[130], "");
    EXPECT_EQ(ins[131], "[Kronos Program Bank Invalid Bank]");
    EXPECT_EQ(ins[132], "0=Ilid Bank000 ");
    EXPECT_EQ(Lines(outputs.Listing())[0], "PROGRAM   ?? 000 \"" + std::string(24, ' ') + "\" 75944B80");
}

TEST(BankListing, SetListBankGoesToTheListingOnly) {
    CapturedOutputs outputs;
    std::vector<std::uint8_t> bank = ZeroBank(kSetListBankSize);
    std::uint8_t* second = &bank[kSetListRecordSize];
    std::memcpy(second, "Gig", 3);
    std::memcpy(second + 24 + 542 * 5, "Opener", 6);
    second[kSetListEqOffset] = 0xFF;
    Write_bank_listing(bank.data(), ChunkType::SLS1, "");
    outputs.Flush();

    EXPECT_EQ(outputs.Ins(), "");
    const auto listing = Lines(outputs.Listing());
    ASSERT_EQ(listing.size(), 128u * 129u);
    const std::string blank = "\"" + std::string(24, ' ') + "\"";
    EXPECT_EQ(listing[0], "SETLIST 000 " + blank + " EQ: 1344B4BA");
    EXPECT_EQ(listing[1], "SETLIST 000 " + blank + " Slot 000 " + blank + " 1FBEDFAA");
    EXPECT_EQ(listing[128], "SETLIST 000 " + blank + " Slot 127 " + blank + " 1FBEDFAA");
    const std::string gig = "\"                     Gig\"";
    EXPECT_EQ(listing[129], "SETLIST 001 " + gig + Format(" EQ: %8.8x", {RecordChecksum(second + kSetListEqOffset, 16)}));
    EXPECT_EQ(listing[129 + 1 + 5],
              "SETLIST 001 " + gig + " Slot 005 \"                  Opener\"" +
                  Format(" %8.8x", {RecordChecksum(second + 24 + 542 * 5, 542)}));
    EXPECT_EQ(listing[128 * 129 - 1], "SETLIST 127 " + blank + " Slot 127 " + blank + " 1FBEDFAA");
}

TEST(BankListing, WritesNothingToTheConsole) {
    CapturedOutputs outputs;
    ConsoleCapture console;
    const std::vector<std::uint8_t> bank = ZeroBank(kCombiBankSize);
    Write_bank_listing(bank.data(), ChunkType::CMB1, "Int A");
    EXPECT_EQ(console.Text(), "");
}

}  // namespace
