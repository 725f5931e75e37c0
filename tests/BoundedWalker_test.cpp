#include "PCG_readINS/BoundedWalker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CRC32/CRC32.h"
#include "PCG_readINS/FileModel.h"
#include "PCG_readINS/Format.h"
#include "PCG_readINS/ProcessState.h"
#include "PcgBuilder.h"
#include "TestSupport.h"
#include "platform/Console.h"

namespace {

using namespace morvane;
using namespace pcgbuild;
using testing_support::CapturedOutputs;
using testing_support::Lines;

struct Walked {
    bool result = false;
    std::vector<std::string> banks;  // "PRG1 A 540 <first name>" per listed bank
    std::string failure;
    std::string console;
    std::string ins, listing;
};

// Walks a file as a conversion does: by the model its header names.
Walked Walk(const Bytes& file, bool topLevelOnly = false) {
    MemoryStream stream(file);
    CapturedOutputs outputs;
    ConsoleCapture console;
    Walked walked;
    BankListed = [&walked](const ListedBank& bank) {
        walked.banks.push_back(IdText(ChunkTypeNames[static_cast<int>(bank.kind)]) + " " + bank.name + " " +
                               std::to_string(bank.recordSize) + " " + std::string(RecordNameOf(bank.records, bank.nameLength)));
    };
    walked.result = WalkFile(stream, topLevelOnly, ModelOfFile(stream));
    BankListed = nullptr;
    outputs.Flush();
    walked.failure = WalkFailure;
    walked.console = console.Text();
    walked.ins = outputs.Ins();
    walked.listing = outputs.Listing();
    return walked;
}

Bytes Bank(const char* id, std::uint32_t bankId, const std::string& firstName, std::uint32_t recordSize = 540) {
    return TritonBankChunk(id, bankId, recordSize, TritonRecords(recordSize, {firstName}));
}

std::string Padded(const std::string& name) { return name + std::string(16 - name.size(), ' '); }

Bytes Cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

// The Kronos-container layout: 12-byte chunk headers, 24-byte names; a Krome unless told.
constexpr std::uint8_t kKrome = 0x95;
Bytes ContainerBank(const char* id, std::uint32_t bankId, const std::string& firstName, std::uint32_t recordSize = 1212) {
    return BankChunk(id, bankId, recordSize, NamedRecords(recordSize, {firstName}));
}
Bytes ContainerFile(const std::vector<Bytes>& chunks, std::uint8_t productCode = kKrome) { return ContainerPcgFile(chunks, productCode); }

// A file walked, and what the walk listed and said.
struct Case {
    const char* what;
    Bytes file;
    bool topLevelOnly;
    std::vector<std::string> banks;
    std::string failure;
};

void ExpectWalks(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const Walked walked = Walk(c.file, c.topLevelOnly);
        EXPECT_EQ(walked.banks, c.banks) << c.what;
        EXPECT_EQ(walked.failure, c.failure) << c.what;
        EXPECT_EQ(walked.result, c.failure.empty()) << c.what;
        // Standard output carries only the rejection of a file without PCG1.
        EXPECT_EQ(walked.console, c.failure.rfind("not a PCG", 0) == 0 ? "PCG file does not have a valid PCG header.\r\n" : "") << c.what;
    }
}

TEST(BoundedWalker, LayoutFacts) {
    const Bytes a = Bank("PBK1", 0, "Noisy Stabber"), b = Bank("PBK1", 1, "Synth Sweeper");
    const Bytes combi = Bank("CBK1", 0, "Romance Layers", 448);
    const Bytes programs = TritonChunk("PRG1", Concat({a, b}));
    const Bytes withCombis = TritonPcgFile({programs, TritonChunk("CMB1", combi)});
    const std::string listedA = "PRG1 A 540 " + Padded("Noisy Stabber"), listedB = "PRG1 B 540 " + Padded("Synth Sweeper");
    const std::string listedCombi = "CMB1 A 448 " + Padded("Romance Layers");
    const std::size_t afterPcg1 = 24, firstBank = afterPcg1 + 8;  // file header, PCG1 header, PRG1 header

    Bytes badCount = Bank("PBK1", 0x20000, "x");
    badCount[8 + 3] = 100;  // the count says 100, the records are 128
    const Bytes fewRecords = TritonBankChunk("PBK1", 0x20000, 540, Bytes(100 * 540), 100);
    const Bytes smallRecords = TritonBankChunk("PBK1", 2, 15, Bytes(128 * 15));
    const Bytes bytesLeftOver = TritonChunk("PBK1", Concat({BankHeaderBytes(128, 16, 3), Bytes(128 * 16 + 1)}));
    const Bytes noBankHeader = TritonChunk("PBK1", Bytes{0, 0, 0, 128});
    const Bytes unknownIds = TritonPcgFile({TritonChunk("DIV1", Bytes(44, 1)), TritonChunk("INI1", Text("PBK1GLB1PRG1")),
                                            TritonChunk("XXXX", Bytes(3)),
                                            TritonChunk("PRG1", Concat({a, TritonChunk("ZZZZ", Text("PBK1")), b})),
                                            TritonChunk("PV2P", Bank("PV2B", 0, "", 16)), TritonChunk("CMB1", a),
                                            TritonChunk("DKT1", Bank("DBK1", 0, "Kit", 4112)), TritonChunk("GLB1", Bytes(876))});

    std::vector<Bytes> tenBad(10, TritonBankChunk("PBK1", 0, 16, Bytes(100 * 16), 100));
    std::string eightReasons;
    for (int i = 0; i < 8; ++i) eightReasons += "bank A (PBK1) is not a Triton bank: 100 records of 16 bytes in 1612 bytes; ";

    const std::vector<Case> cases = {
        {"8-byte headers, banks in file order", withCombis, false, {listedA, listedB, listedCombi}, ""},
        {"/T steps over every chunk", withCombis, true, {}, ""},
        {"MBK1 of 604-byte records is bank F (Triton Extreme)",
         TritonPcgFile({TritonChunk("PRG1", Bank("MBK1", 0x8000, "War Birds", 604))}, 0x50, 1), false, {"PRG1 F 604 " + Padded("War Birds")}, ""},
        {"expansion banks by model", TritonPcgFile({TritonChunk("PRG1", Bank("PBK1", 0x20007, "x"))}), false, {"PRG1 EXB-H 540 " + Padded("x")}, ""},
        {"Karma combination F", TritonPcgFile({TritonChunk("CMB1", Bank("CBK1", 5, "y", 448))}, 0x5D), false, {"CMB1 F 448 " + Padded("y")}, ""},
        {"a bank id outside the table", TritonPcgFile({TritonChunk("PRG1", Bank("PBK1", 4, "z"))}, 0x63), false,
         {"PRG1 Invalid Bank 540 " + Padded("z")}, ""},
        {"unknown chunks and sub-chunks, and banks out of place, are stepped over", unknownIds, false, {listedA, listedB}, ""},
        {"count other than 128; the walk goes on", TritonPcgFile({TritonChunk("PRG1", Concat({badCount, fewRecords, a}))}, 0x50, 1), false,
         {listedA},
         "bank H (PBK1) is not a Triton bank: 100 records of 540 bytes in 69132 bytes; "
         "bank H (PBK1) is not a Triton bank: 100 records of 540 bytes in 54012 bytes"},
        {"records under 16 bytes, sizes that do not add up, no bank header",
         TritonPcgFile({TritonChunk("PRG1", Concat({smallRecords, bytesLeftOver, noBankHeader}))}, 0x50, 1), false, {},
         "bank C (PBK1) is not a Triton bank: 128 records of 15 bytes in 1932 bytes; "
         "bank D (PBK1) is not a Triton bank: 128 records of 16 bytes in 2061 bytes; "
         "bank A (PBK1) is not a Triton bank: 128 records of 0 bytes in 4 bytes"},
        {"a long run of bad banks is counted, the file cut short after them",
         Cut(TritonPcgFile({TritonChunk("PRG1", Concat({Concat({tenBad[0], tenBad[1], tenBad[2], tenBad[3], tenBad[4]}),
                                                        Concat({tenBad[5], tenBad[6], tenBad[7], tenBad[8], tenBad[9]}), a}))}),
             32 + 10 * 1620 + 100),
         false, {}, eightReasons + "2 more banks are not Triton banks; bank A (PBK1) is cut short"},
        {"cut short inside a bank: the banks before stay", Cut(withCombis, firstBank + a.size() + 100), false, {listedA},
         "bank B (PBK1) is cut short"},
        {"cut short inside a bank header", Cut(withCombis, firstBank + a.size() + 10), false, {listedA}, "bank A (PBK1) is cut short"},
        {"a header torn after 3 bytes", Cut(withCombis, afterPcg1 + programs.size() + 3), false, {listedA, listedB},
         "the chunk header at offset " + std::to_string(afterPcg1 + programs.size()) + " is cut short"},
        {"a chunk past the end of the file", Cut(withCombis, withCombis.size() - 1), false, {listedA, listedB},
         "bank A (CBK1) is cut short"},
        {"/T notices a file cut short", Cut(withCombis, withCombis.size() - 1), true, {},
         "the CMB1 chunk at offset " + std::to_string(afterPcg1 + programs.size()) + " is cut short"},
        {"PCG1 bigger than the file", Concat({TritonFileHeaderBytes(), TritonChunkHeaderBytes("PCG1", 1000000), programs}), false,
         {listedA, listedB}, "the PCG1 chunk is cut short"},
        {"PCG1 smaller than the file: what follows is ignored", Concat({withCombis, TritonChunkHeaderBytes("PRG1", 99)}), false,
         {listedA, listedB, listedCombi}, ""},
        {"a chunk past its container", TritonPcgFile({TritonChunk("PRG1", Concat({a, TritonChunkHeaderBytes("PBK1", 70000)}))}), false,
         {listedA}, "bank A (PBK1) is cut short"},
        {"no PCG1 chunk", Concat({TritonFileHeaderBytes(), TritonChunk("PRG1", a)}), false, {},
         "not a PCG file: no PCG1 chunk follows its KORG header"},
    };
    ExpectWalks(cases);
}

// The same walk with the Kronos container's numbers: 12-byte chunk headers, 24-byte names, records
// of at least 24 bytes; every failing check as for the Triton family, in the model's word.
TEST(BoundedWalker, KronosContainerLayoutFacts) {
    const Bytes a = ContainerBank("PBK1", 0, "Krome Grand Piano 24 by"), userA = ContainerBank("MBK1", 0x20000, "User Bank Sound");
    const Bytes combi = ContainerBank("CBK1", 3, "Combination D", 2348);
    const Bytes programs = Chunk("PRG1", Concat({a, userA}));
    const Bytes file = ContainerFile({Chunk("DIV1", Bytes(44)), programs, Chunk("CMB1", combi), Chunk("GLB1", Bytes(10))});
    const std::string listedA = "PRG1 A 1212 Krome Grand Piano 24 by", listedUserA = "PRG1 U-A 1212 User Bank Sound";
    const std::string listedCombi = "CMB1 D 2348 Combination D";
    const std::size_t afterPcg1 = 28, prg1 = afterPcg1 + 56, firstBank = prg1 + 12;  // file header, PCG1, DIV1 and PRG1 headers

    const Bytes records24 = BankChunk("PBK1", 1, 24, NamedRecords(24, {"Exactly twenty-four byte"}));
    const Bytes records23 = BankChunk("PBK1", 2, 23, Bytes(128 * 23));
    const Bytes fewRecords = Chunk("PBK1", Concat({BankHeaderBytes(127, 1212, 0x20001), Bytes(127 * 1212)}));
    const Bytes leftOver = Chunk("CBK1", Concat({BankHeaderBytes(128, 24, 0), Bytes(128 * 24 + 2)}));
    const Bytes nautilus = ContainerFile({Chunk("INI2", Text("PBK1CBK1SLS1")), Chunk("SLS1", ContainerBank("SBK1", 0, "Set", 600)),
                                          Chunk("PRG1", Concat({ContainerBank("PBK1", 39, "t", 3432), ContainerBank("PBK1", 0x20021, "t", 3432)})),
                                          Chunk("CMB1", ContainerBank("CBK1", 0x20000, "H", 7460))},
                                         0xDD);
    std::vector<Bytes> tenBad(10, records23);
    std::string eightReasons;
    for (int i = 0; i < 8; ++i) eightReasons += "bank C (PBK1) is not a Krome bank: 128 records of 23 bytes in 2956 bytes; ";

    const std::vector<Case> cases = {
        {"12-byte headers, banks in file order", file, false, {listedA, listedUserA, listedCombi}, ""},
        {"/T steps over every chunk", file, true, {}, ""},
        {"records of 24 bytes, a name that fills them", ContainerFile({Chunk("PRG1", records24)}, 0xC9), false,
         {"PRG1 B 24 Exactly twenty-four byte"}, ""},
        {"set lists and an index naming chunk ids are stepped over; 40 program banks", nautilus, false,
         {"PRG1 t 3432 t", "PRG1 t 3432 t", "CMB1 H 7460 H"}, ""},
        {"a bank id outside the table", ContainerFile({Chunk("CMB1", ContainerBank("CBK1", 4, "x", 100))}), false,
         {"CMB1 Invalid Bank 100 x"}, ""},
        {"records under 24 bytes, a count other than 128, bytes left over; the walk goes on",
         ContainerFile({Chunk("PRG1", Concat({records23, fewRecords, a})), Chunk("CMB1", leftOver)}, 0xD2), false, {listedA},
         "bank C (PBK1) is not a Krome EX bank: 128 records of 23 bytes in 2956 bytes; "
         "bank U-B (PBK1) is not a Krome EX bank: 127 records of 1212 bytes in 153936 bytes; "
         "bank A (CBK1) is not a Krome EX bank: 128 records of 24 bytes in 3086 bytes"},
        {"a long run of bad banks is counted",
         ContainerFile({Chunk("PRG1", Concat({Concat({tenBad[0], tenBad[1], tenBad[2], tenBad[3], tenBad[4]}),
                                              Concat({tenBad[5], tenBad[6], tenBad[7], tenBad[8], tenBad[9]})}))}),
         false, {}, eightReasons + "2 more banks are not Krome banks"},
        {"cut short inside a bank: the banks before stay", Cut(file, firstBank + a.size() + 100), false, {listedA},
         "bank U-A (MBK1) is cut short"},
        {"a header torn after 11 bytes", Cut(file, afterPcg1 + 56 + programs.size() + 11), false, {listedA, listedUserA},
         "the chunk header at offset " + std::to_string(afterPcg1 + 56 + programs.size()) + " is cut short"},
        {"/T notices a chunk past the end", Cut(file, file.size() - 1), true, {},
         "the GLB1 chunk at offset " + std::to_string(file.size() - 22) + " is cut short"},
        {"no PCG1 chunk", Concat({FileHeaderBytes(kKrome), Chunk("PRG1", a)}), false, {}, "not a PCG file: no PCG1 chunk follows its KORG header"},
    };
    ExpectWalks(cases);
}

// The section and listing lines of a bank in either layout: the model's word, the bank name as it
// is, labels of the bank name and the number, names kept as the records hold them (a Triton's 16
// bytes with their spaces, a container model's 24 up to the first zero byte, a control character
// untrimmed), the checksum over the whole record.
TEST(BoundedWalker, ListsABankInTheKronosForm) {
    Bytes triton = TritonRecords(600, {"Noisy Stabber", "Full 16 bytes!!!"});
    triton[599] = 1;
    triton[2 * 600 + 3] = 0;  // a name cut by a zero byte
    triton[2 * 600] = 'Z';
    triton[600 * 127] = 1;
    Bytes container = NamedRecords(1260, {"Berlin Grand", "", "Twenty-four bytes, whole"});
    container[1260 * 127] = 1;
    struct Listing {
        Bytes file;
        const Bytes& records;
        std::uint32_t recordSize;
        std::vector<std::string> entries;  // lines 1 to 4 and 129 of the section
        std::string listing0, listing2;    // the first whole, the third up to its checksum
    };
    const Listing cases[] = {
        {TritonPcgFile({TritonChunk("PRG1", TritonBankChunk("MBK1", 0x8000, 600, triton))}, 0x50, 1), triton, 600,
         {"[Triton Extreme Program Bank F]", "0=F000 Noisy Stabber   ", "1=F001 Full 16 bytes!!!", "2=F002 Z", "127=F127 \x01"},
         "PROGRAM    F 000 \"        Noisy Stabber   \" ", "PROGRAM    F 002 \"                       Z\" "},
        {ContainerFile({Chunk("PRG1", BankChunk("PBK1", 0x20005, 1260, container))}, 0xD2), container, 1260,
         {"[Krome EX Program Bank U-F]", "0=U-F000 Berlin Grand", "1=U-F001 ", "2=U-F002 Twenty-four bytes, whole", "127=U-F127 \x01"},
         "PROGRAM  U-F 000 \"            Berlin Grand\" ", "PROGRAM  U-F 002 \"Twenty-four bytes, whole\" "},
    };
    for (const Listing& c : cases) {
        const Walked walked = Walk(c.file);
        ASSERT_TRUE(walked.result) << walked.failure;
        const auto ins = Lines(walked.ins), listing = Lines(walked.listing);
        ASSERT_EQ(ins.size(), 130u);
        ASSERT_EQ(listing.size(), 128u);
        EXPECT_EQ((std::vector<std::string>{ins[1], ins[2], ins[3], ins[4], ins[129]}), c.entries);
        EXPECT_EQ(listing[0], c.listing0 + Format("%8.8x", {RecordChecksumOf(c.records.data(), c.recordSize)}));
        EXPECT_EQ(listing[2].substr(0, c.listing2.size()), c.listing2);
    }
}

TEST(BoundedWalker, TraceNamesEachChunkAndBank) {
    Verbose = true;
    const Walked walked = Walk(TritonPcgFile({TritonChunk("DIV1", Bytes(44)), TritonChunk("PRG1", Bank("PBK1", 1, "Synth Sweeper"))}));
    Verbose = false;
    EXPECT_EQ(walked.console,
              "PCGChunk PCG1:   Name: PCG1  Size: 69200 (0x10E50)\r\n"
              " Start 2nd level parsing...\r\n"
              "   Name: DIV1  Size: 44 (0x2C) at File Position: 24 (0x18)\r\n"
              "L2: Skipping over DIV1 chunk. \r\n"
              "   Name: PRG1  Size: 69140 (0x10E14) at File Position: 76 (0x4C)\r\n"
              "Reading inside L2 chunk (PRG1) of size 69140 (10E14) at File Position: 84 (0x54)\r\n"
              "       Name: PBK1  Size: 69132 at File Position: 84 (0x54)\r\n"
              "BankID: 00000001 B NumProgs: 128 SizeOfProg: 540 1stName: Synth Sweeper   \r\n"
              " File contains no more programs.\r\n");
}

}  // namespace
