#include "PCG_readINS/ChunkWalker.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "PCG_readINS/Format.h"
#include "PCG_readINS/ProcessState.h"
#include "PcgBuilder.h"
#include "TestSupport.h"
#include "platform/Console.h"
#include "platform/Errors.h"

namespace {

using namespace morvane;
using namespace pcgbuild;
using testing_support::CapturedOutputs;
using testing_support::Lines;

struct WalkResult {
    bool result = false;
    std::string console;
    std::string ins;
    std::string listing;
};

class WalkerTest : public ::testing::Test {
protected:
    void SetUp() override { testing_support::ClearBankBuffers(); }
    void TearDown() override { Verbose = false; }

    static WalkResult Walk(const Bytes& file, bool verbose, bool topLevelOnly = false) {
        Verbose = verbose;
        MemoryStream stream(file);
        CapturedOutputs outputs;
        ConsoleCapture console;
        WalkResult walk;
        walk.result = Walk_chunks(stream, topLevelOnly);
        outputs.Flush();
        walk.console = console.Text();
        walk.ins = outputs.Ins();
        walk.listing = outputs.Listing();
        Verbose = false;
        return walk;
    }
};

Bytes Records(std::uint32_t recordSize, const std::string& firstName, std::uint8_t filler = 0) {
    Bytes records(128 * recordSize, filler);
    PutName(records, 0, firstName);
    return records;
}

Bytes ProgramBank(const char* id, std::uint32_t bankId, const std::string& firstName) {
    return BankChunk(id, bankId, 4960, Records(4960, firstName));
}

Bytes CombiBankChunk(std::uint32_t bankId, const std::string& firstName) {
    return BankChunk("CBK1", bankId, 7810, Records(7810, firstName));
}

std::string Header(const Bytes& file) {
    const std::uint32_t size = static_cast<std::uint32_t>(file.size() - 28);
    return Format("PCGChunk PCG1:   Name: PCG1  Size: %d (0x%x)\r\n", {size, size}) + " Start 2nd level parsing...\r\n";
}

std::vector<std::string> SectionHeads(const std::string& ins) {
    std::vector<std::string> heads;
    for (const std::string& line : Lines(ins)) {
        if (!line.empty() && line[0] == '[') heads.push_back(line);
    }
    return heads;
}

// ---- A: file header and PCG1 header

TEST_F(WalkerTest, RejectsBadFileHeaders) {
    struct Row {
        const char* what;
        Bytes file;
        const char* message;
    };
    const char* korg = "PCG file does not have a valid KORG header.\r\n";
    const char* format = "This PCG is not in Triton or Kronos format, so can't read it.\r\n";
    const char* pcg = "PCG file does not have a valid PCG header.\r\n";
    const Bytes pcgHeader = ChunkHeaderBytes("PCG1", 0);
    const Bytes fileHeader = FileHeaderBytes();
    const Row rows[] = {
        {"empty", {}, korg},
        {"15 bytes", Bytes(fileHeader.begin(), fileHeader.end() - 1), korg},
        {"wrong magic", Concat({Text("KORH"), Bytes(fileHeader.begin() + 4, fileHeader.end()), pcgHeader}), korg},
        {"byte 5 not zero", Concat({FileHeaderBytes(0x68, 1), pcgHeader}), korg},
        {"Triton, byte 5 not zero", Concat({FileHeaderBytes(0x50, 7), pcgHeader}), korg},
        {"other product", Concat({FileHeaderBytes(0x51), pcgHeader}), format},
        {"header only", FileHeaderBytes(), pcg},
        {"short PCG1", Concat({FileHeaderBytes(), Bytes(pcgHeader.begin(), pcgHeader.end() - 1)}), pcg},
        {"not PCG1", Concat({FileHeaderBytes(), ChunkHeaderBytes("PCG2", 0)}), pcg},
        {"lower case", Concat({FileHeaderBytes(), ChunkHeaderBytes("pcg1", 0)}), pcg},
    };
    for (const Row& row : rows) {
        const WalkResult walk = Walk(row.file, false);
        EXPECT_FALSE(walk.result) << row.what;
        EXPECT_EQ(walk.console, row.message) << row.what;
        EXPECT_EQ(walk.ins + walk.listing, "") << row.what;
    }
}

TEST_F(WalkerTest, AcceptsBothProductsAndShowsTheBadPcgHeaderBeforeRejectingIt) {
    EXPECT_TRUE(Walk(Concat({FileHeaderBytes(0x50), ChunkHeaderBytes("PCG1", 0)}), false).result);
    EXPECT_TRUE(Walk(Concat({FileHeaderBytes(0x68), ChunkHeaderBytes("PCG1", 0)}), false).result);

    const WalkResult walk = Walk(Concat({FileHeaderBytes(), ChunkHeaderBytes(std::string_view("XY\0Z", 4), 0x80000000u)}), true);
    EXPECT_EQ(walk.console,
              "PCGChunk PCG1:   Name: XY  Size: -2147483648 (0x80000000)\r\n"
              "PCG file does not have a valid PCG header.\r\n");
}

TEST_F(WalkerTest, NothingAfterThePcgHeaderIsAFinishedWalk) {
    const Bytes file = PcgFile({});
    const WalkResult walk = Walk(file, true);
    EXPECT_TRUE(walk.result);
    EXPECT_EQ(walk.console, Header(file) + " File contains no more programs.\r\n");
    EXPECT_EQ(Walk(file, false).console, "");
}

// ---- B: the level-2 loop

TEST_F(WalkerTest, StepsOverUnknownChunksByDumpAndBySeek) {
    Bytes division(44);
    for (std::uint8_t i = 0; i < 44; ++i) division[i] = static_cast<std::uint8_t>(i * 5);
    const Bytes file = PcgFile({Chunk("DIV1", division), Chunk("INI2", Bytes(8, 0xAA))});

    std::string bytes, words;
    for (std::uint8_t b : division) bytes += Format("%2.2x ", {b});
    for (int k = 0; k < 11; ++k) {
        words += Format("  %8.8x  ", {division[4 * k] << 24 | division[4 * k + 1] << 16 | division[4 * k + 2] << 8 |
                                       division[4 * k + 3]});
    }
    const WalkResult walk = Walk(file, true);
    EXPECT_TRUE(walk.result);
    EXPECT_EQ(walk.console, Header(file) +
                                "   Name: DIV1  Size: 44 (0x2C)\r\n"
                                "L2: Skipping over DIV1 chunk. \r\n" +
                                bytes + "\r\n" + words + "\r\n" +
                                " --  Next:  INI2 \r\n"
                                "   Name: INI2  Size: 8 (0x8)\r\n"
                                "L2: Skipping over INI2 chunk. \r\n"
                                // the header read at the end delivers nothing: the old one shows
                                "Seeking  8 (8) bytes --  Next:  INI2 \r\n"
                                " File contains no more programs.\r\n");
    EXPECT_EQ(bytes.substr(0, 12), "00 05 0A 0F ");
    EXPECT_EQ(words.substr(0, 24), "  00050A0F    14191E23  ");
}

TEST_F(WalkerTest, DumpOfAChunkCutShortKeepsEarlierBytes) {
    Bytes first(44, 0x11);
    const Bytes file = Concat({PcgFile({Chunk("AAAA", first)}), ChunkHeaderBytes("BBBB", 44), Bytes{0x22, 0x33}});
    const WalkResult walk = Walk(file, true);
    EXPECT_TRUE(walk.result);
    const auto lines = Lines(walk.console);
    ASSERT_GE(lines.size(), 12u);
    EXPECT_EQ(lines[9], "22 33 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 "
                        "11 11 11 11 11 11 11 11 11 11 11 11 ");
    EXPECT_EQ(lines[10].substr(0, 12), "  22331111  ");
}

TEST_F(WalkerTest, TopLevelOnlyStepsOverEveryChunk) {
    const Bytes file = PcgFile({Chunk("PRG1", ProgramBank("PBK1", 0, "Piano")), Chunk("GLB1", Bytes(4))});
    const WalkResult walk = Walk(file, true, true);
    EXPECT_TRUE(walk.result);
    EXPECT_EQ(walk.ins + walk.listing, "");
    EXPECT_EQ(walk.console, Header(file) +
                                "   Name: PRG1  Size: 634904 (0x9B018)\r\n"
                                "L2: Skipping over PRG1 chunk. \r\n"
                                "Seeking  634904 (9B018) bytes --  Next:  GLB1 \r\n"
                                "   Name: GLB1  Size: 4 (0x4)\r\n"
                                "L2: Skipping over GLB1 chunk. \r\n"
                                "Seeking  4 (4) bytes --  Next:  GLB1 \r\n"
                                " File contains no more programs.\r\n");
    EXPECT_EQ(CurrentChunkType, ChunkType::GLB1);
}

TEST_F(WalkerTest, ChunkSizeOfTwoToTheThirtyOneIsARangeErrorBeforeTheSeek) {
    const Bytes file = Concat({PcgFile({}), ChunkHeaderBytes("BIG1", 0x80000000u), Bytes(16)});
    Verbose = true;
    MemoryStream stream(file);
    ConsoleCapture console;
    EXPECT_THROW(Walk_chunks(stream, false), RangeError);
    EXPECT_EQ(stream.Position(), 40);
    EXPECT_NE(console.Text().find("   Name: BIG1  Size: -2147483648 (0x80000000)\r\n"
                                  "L2: Skipping over BIG1 chunk. \r\n"),
              std::string::npos);
}

// ---- C2: program and combination chunks

TEST_F(WalkerTest, ProgramChunkLoadsEachBankIntoItsBufferInFileOrder) {
    const Bytes programs = Concat({ProgramBank("PBK1", 0x0, "HD One"), ProgramBank("MBK1", 0x20007, "EXi One")});
    const Bytes file = PcgFile({Chunk("PRG1", programs), Chunk("WSQ1", Bytes(20))});
    const WalkResult walk = Walk(file, false);
    EXPECT_TRUE(walk.result);
    EXPECT_EQ(walk.console, "");
    EXPECT_EQ(SectionHeads(walk.ins),
              (std::vector<std::string>{"[Kronos Program Bank Int A]", "[Kronos Program Bank User AA]"}));
    const auto listing = Lines(walk.listing);
    ASSERT_EQ(listing.size(), 256u);
    EXPECT_EQ(listing[0].substr(0, 44), "PROGRAM Int A 000 \"                  HD One\"");
    EXPECT_EQ(listing[128].substr(0, 46), "PROGRAM User AA 000 \"                 EXi One\"");
    EXPECT_EQ(RecordName(ProgramBankHD1), "HD One");
    EXPECT_EQ(RecordName(ProgramBankEXi), "EXi One");
    EXPECT_EQ(CurrentChunkType, ChunkType::Unknown);
}

TEST_F(WalkerTest, VerboseTraceOfProgramAndCombinationChunksWithHandOvers) {
    const Bytes programs = ProgramBank("PBK1", 0x1, "Piano");
    const Bytes combis = CombiBankChunk(0x20001, "Split");
    const Bytes file = PcgFile({Chunk("PRG1", programs), Chunk("CMB1", combis), Chunk("WSQ1", Bytes(20))});
    const std::int32_t prgSize = static_cast<std::int32_t>(programs.size());
    const std::int32_t cmbSize = static_cast<std::int32_t>(combis.size());
    const std::int32_t cmbStart = 28 + 12 + prgSize + 12;

    const WalkResult walk = Walk(file, true);
    EXPECT_TRUE(walk.result);
    EXPECT_EQ(walk.console,
              Header(file) + "Enter Parse_Chunk with PRG1\r\n" +
                  Format("Reading inside L2 chunk (PRG1) of size %d (%x) at File Position: 40 (0x28)\r\n", {prgSize, prgSize}) +
                  "       Name: PBK1  Size: 634892\r\n"
                  "HD1 Prog: PBK1 Bank Read: reading 634880 bytes into array\r\n"
                  "BankID: 00000001 Int B NumProgs: 128 SizeOfProg: 4960 1stName: Piano\r\n" +
                  Format("Reading inside L2 chunk (PRG1) of size %d (%x) at File Position: 40 (0x28)\r\n", {prgSize, prgSize}) +
                  "CMB1: PRG1/CMB1 L2 Parse: Not a known chunk in L2 type 2. Current File Position: 40 (28)\r\n"
                  "Current chunk is CMB1: Start Next L2 Chunk Here.....\r\n"
                  "Exit Parse_chunk.\r\n"
                  "Enter Parse_Chunk with CMB1\r\n" +
                  Format("Reading inside L2 chunk (CMB1) of size %d (%x) at File Position: %d (0x%x)\r\n",
                         {cmbSize, cmbSize, cmbStart, cmbStart}) +
                  "       Name: CBK1  Size: 999692\r\n"
                  "Bank Read: reading 999680 bytes into array\r\n"
                  "BankID: 00020001 User B NumProgs: 128 SizeOfProg: 7810 1stName: Split\r\n" +
                  Format("Reading inside L2 chunk (CMB1) of size %d (%x) at File Position: %d (0x%x)\r\n",
                         {cmbSize, cmbSize, cmbStart, cmbStart}) +
                  Format("WSQ1: PRG1/CMB1 L2 Parse: Not a known chunk in L2 type 3. Current File Position: %d (%x)\r\n",
                         {cmbStart, cmbStart}) +
                  "Current chunk is WSQ1: Start Next L2 Chunk Here.....\r\n"
                  "Exit Parse_chunk.\r\n"
                  "   Name: WSQ1  Size: 20 (0x14)\r\n"
                  "L2: Skipping over WSQ1 chunk. \r\n"
                  "Seeking  20 (14) bytes --  Next:  WSQ1 \r\n"
                  " File contains no more programs.\r\n");
    EXPECT_EQ(SectionHeads(walk.ins),
              (std::vector<std::string>{"[Kronos Program Bank Int B]", "[Kronos Combi Bank User B]"}));
    EXPECT_EQ(Lines(walk.listing)[128].substr(0, 45), "COMBI   User B 000 \"                   Split\"");
}

TEST_F(WalkerTest, ProgramChunkAtTheEndOfTheFileEndsTheWalkWithFalse) {
    const Bytes file = PcgFile({Chunk("PRG1", ProgramBank("PBK1", 0, "Last"))});
    const WalkResult walk = Walk(file, true);
    EXPECT_FALSE(walk.result);
    EXPECT_EQ(Lines(walk.listing).size(), 128u);
    const auto lines = Lines(walk.console);
    EXPECT_EQ(lines.back(), "End Of File encountered");
    EXPECT_EQ(lines[lines.size() - 2].substr(0, 31), "Reading inside L2 chunk (PRG1) ");
}

TEST_F(WalkerTest, SubHeaderEndingExactlyAtTheEndOfTheFileEndsTheWalk) {
    // The WSQ1 header is complete, but nothing follows it.
    const Bytes file = Concat({PcgFile({Chunk("PRG1", ProgramBank("PBK1", 0, "P"))}), ChunkHeaderBytes("WSQ1", 0)});
    const WalkResult walk = Walk(file, true);
    EXPECT_FALSE(walk.result);
    EXPECT_EQ(Lines(walk.console).back(), "End Of File encountered");
}

TEST_F(WalkerTest, SizeMismatchStopsTheWalkAndListsNothingMore) {
    const Bytes badBank = Chunk("PBK1", Concat({BankHeaderBytes(100, 4960, 0), Records(4960, "Bad")}));
    const Bytes file = PcgFile({Chunk("PRG1", Concat({ProgramBank("PBK1", 1, "Good"), badBank, ProgramBank("MBK1", 2, "After")})),
                                Chunk("CMB1", CombiBankChunk(0, "Never"))});
    const WalkResult walk = Walk(file, false);
    EXPECT_FALSE(walk.result);
    EXPECT_EQ(walk.console,
              "Error: bank header data size (4960 * 100 = 496000) doesn't match size of dest array (634880)\r\n");
    EXPECT_EQ(SectionHeads(walk.ins), (std::vector<std::string>{"[Kronos Program Bank Int B]"}));
    EXPECT_EQ(RecordName(ProgramBankEXi), "");
}

TEST_F(WalkerTest, UnknownSubChunkStepsOverTheRestOfTheProgramChunk) {
    const Bytes programs = Concat({ProgramBank("PBK1", 0, "Before"), Chunk("XTRA", Bytes(4)), ProgramBank("PBK1", 1, "Skipped")});
    const Bytes file = PcgFile({Chunk("PRG1", programs), Chunk("CMB1", CombiBankChunk(0x2, "Reached")), Chunk("WSQ1", Bytes(4))});
    const std::int32_t L = static_cast<std::int32_t>(programs.size());
    const WalkResult walk = Walk(file, true);
    EXPECT_TRUE(walk.result);
    EXPECT_EQ(SectionHeads(walk.ins),
              (std::vector<std::string>{"[Kronos Program Bank Int A]", "[Kronos Combi Bank Int C]"}));
    EXPECT_EQ(RecordName(ProgramBankHD1), "Before");
    const std::int32_t afterXtraHeader = 40 + 12 + 12 + 634880 + 12;  // PBK1 header, bank header, records, XTRA header
    const std::string expected =
        "XTRA: PRG1/CMB1 L2 Parse: Not a known chunk in L2 type 2. Current File Position: 40 (28)\r\n" +
        Format("Seek back to previous. File Position now: %d (0x%x)\r\n", {afterXtraHeader, afterXtraHeader}) +
        Format("End of Parse_chunk - PRG1/CMB1, skipping ahead %d (%x) from position 40 (28)\r\n", {L, L}) +
        "Exit Parse_chunk.\r\n"
        "Enter Parse_Chunk with PRG1\r\n";
    EXPECT_NE(walk.console.find(expected), std::string::npos) << walk.console.substr(0, 2000);
}

TEST_F(WalkerTest, ChunkAfterASteppedOverProgramChunkIsReadAsItsSubChunk) {
    // CSM1 is no level-2 identifier: the re-entered call takes it for a sub-chunk of PRG1 and
    // steps forward from its header by the program chunk's size, landing on CMB1.
    const Bytes programs = Chunk("XTRA", Bytes(8));  // 20 bytes: forces the step-over
    const Bytes csm = Chunk("CSM1", Bytes(8));        // 20 bytes as well, so PRG1's size lands on CMB1
    const Bytes file = PcgFile({Chunk("PRG1", programs), csm, Chunk("CMB1", CombiBankChunk(0, "Found")), Chunk("WSQ1", Bytes(4))});
    const WalkResult walk = Walk(file, true);
    EXPECT_TRUE(walk.result);
    EXPECT_EQ(SectionHeads(walk.ins), (std::vector<std::string>{"[Kronos Combi Bank Int A]"}));
    const std::string reentry =
        "Enter Parse_Chunk with PRG1\r\n"
        "Reading inside L2 chunk (PRG1) of size 20 (14) at File Position: 60 (0x3C)\r\n"
        "CSM1: PRG1/CMB1 L2 Parse: Not a known chunk in L2 type 2. Current File Position: 60 (3C)\r\n"
        "Seek back to previous. File Position now: 72 (0x48)\r\n"
        "End of Parse_chunk - PRG1/CMB1, skipping ahead 20 (14) from position 60 (3C)\r\n"
        "Exit Parse_chunk.\r\n"
        "Enter Parse_Chunk with PRG1\r\n"
        "Reading inside L2 chunk (PRG1) of size 20 (14) at File Position: 80 (0x50)\r\n"
        "CMB1: PRG1/CMB1 L2 Parse: Not a known chunk in L2 type 2. Current File Position: 80 (50)\r\n"
        "Current chunk is CMB1: Start Next L2 Chunk Here.....\r\n";
    EXPECT_NE(walk.console.find(reentry), std::string::npos) << walk.console;
}

TEST_F(WalkerTest, SteppedOverChunkOfSizeZeroEndsTheWalkInsteadOfLooping) {
    const Bytes file = Concat({PcgFile({}), ChunkHeaderBytes("PRG1", 0), Chunk("XTRA", Bytes(8)), Bytes(100)});
    const WalkResult walk = Walk(file, true);
    EXPECT_FALSE(walk.result);
    EXPECT_NE(walk.console.find("Seek back to previous. File Position now: 52 (0x34)\r\n"
                                "End of Parse_chunk - PRG1/CMB1, skipping ahead 0 (0) from position 40 (28)\r\n"
                                "Exit Parse_chunk.\r\n"),
              std::string::npos)
        << walk.console;
    EXPECT_EQ(Lines(walk.console).back(), "Exit Parse_chunk.");

    const Bytes setLists = Concat({PcgFile({}), ChunkHeaderBytes("SLS1", 0), Chunk("XTRA", Bytes(8)), Bytes(100)});
    EXPECT_FALSE(Walk(setLists, false).result);
}

TEST_F(WalkerTest, NegativeSizeOfASteppedOverChunkIsARangeError) {
    const Bytes file = Concat({PcgFile({}), ChunkHeaderBytes("PRG1", 0xFFFFFFF0u), Chunk("XTRA", Bytes(8)), Bytes(100)});
    MemoryStream stream(file);
    CapturedOutputs outputs;
    EXPECT_THROW(Walk_chunks(stream, false), RangeError);
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST_F(WalkerTest, EveryReEntryStepsOneByteUntilTheEnd) {
    // A chunk of size 1 followed by bytes that never form a known header: each re-entry moves one
    // byte on, and the walk ends at the end of the data. The trace grows by the same few lines
    // per byte, never more.
    constexpr std::size_t kContents = 4096;
    for (const char* id : {"SLS1", "PRG1", "CMB1"}) {
        SCOPED_TRACE(id);
        const Bytes file = Concat({PcgFile({}), ChunkHeaderBytes(id, 1), Bytes(kContents, 'x')});
        const WalkResult quiet = Walk(file, false);
        EXPECT_FALSE(quiet.result);
        EXPECT_EQ(quiet.ins + quiet.listing + quiet.console, "");

        const WalkResult traced = Walk(file, true);
        EXPECT_FALSE(traced.result);
        // One entry for every position at which a whole header still fits before the end.
        const std::size_t entries = kContents - sizeof(ChunkHeader) + 1;
        EXPECT_EQ(Occurrences(traced.console, std::string("Enter Parse_Chunk with ") + id + "\r\n"), entries);
        EXPECT_EQ(Occurrences(traced.console, "Exit Parse_chunk.\r\n"), entries - 1);
        EXPECT_EQ(Occurrences(traced.console, "End Of File encountered\r\n"), 1u);
        EXPECT_LT(traced.console.size(), 400 * kContents);
    }
}

// ---- C1: set lists

Bytes SetListRecords(const std::string& firstName) {
    Bytes records(128 * 69416, 0);
    PutName(records, 0, firstName);
    PutName(records, 24, "First Slot");
    return records;
}

TEST_F(WalkerTest, SetListChunkWithItsFourSubChunks) {
    const Bytes setLists = Concat({
        ChunkHeaderBytes("SLD1", 0xAAAA, 0xFFFFFFFF),
        ChunkHeaderBytes("STL1", 3, 7),
        Chunk("SDB1", Concat({BankHeaderBytes(1, 2, 3), Bytes(462336, 0x5D)}), 0x10),
        Chunk("SBK1", Concat({BankHeaderBytes(0xFFFFFFFF, 5, 0x20000), SetListRecords("Friday Gig")}), 128),
    });
    const Bytes file = PcgFile({Chunk("SLS1", setLists), Chunk("WSQ1", Bytes(4))});
    const std::int32_t sdbSize = 12 + 462336;
    const std::int32_t sbkSize = 12 + 8885248;
    const WalkResult walk = Walk(file, true);
    EXPECT_TRUE(walk.result);
    EXPECT_EQ(walk.console,
              Header(file) + "Enter Parse_Chunk with SLS1\r\n"
                             "Parse_chunk - SLS1: \r\n"
                             "Reading contents of SLS type chunk (SLD1) of size 43690 (AAAA), Parm2: -1 (FFFFFFFF)\r\n"
                             " Parsing SLS1 ---- skipping SLD1\r\n"
                             "Reading contents of SLS type chunk (STL1) of size 3 (3), Parm2: 7 (7)\r\n"
                             " Parsing SLS1 ---- skipping STL1\r\n" +
                  Format("Reading contents of SLS type chunk (SDB1) of size %d (%x), Parm2: 16 (10)\r\n", {sdbSize, sdbSize}) +
                  "       Bank Header: #progs: 1, ObjSize 2, BankID: 3\r\n"
                  "Reading SDB1 data: 462336 (0x70E00) bytes\r\n" +
                  Format("Reading contents of SLS type chunk (SBK1) of size %d (%x), Parm2: 128 (80)\r\n", {sbkSize, sbkSize}) +
                  "       Bank Header: #progs: -1, ObjSize 5, BankID: 131072\r\n"
                  "Reading SBK1 data: 8885248 (0x879400) bytes\r\n"
                  "Reading contents of SLS type chunk (WSQ1) of size 4 (4), Parm2: 0 (0)\r\n" +
                  Format("WSQ1: SLS1 L2 Parse: Not a known chunk in SLS1 type. File Position: 40 of %d\r\n",
                         {static_cast<std::int64_t>(file.size())}) +
                  "Current chunk is WSQ1: Start Next L2 Chunk Here.....\r\n"
                  "Exit Parse_chunk.\r\n"
                  "   Name: WSQ1  Size: 4 (0x4)\r\n"
                  "L2: Skipping over WSQ1 chunk. \r\n"
                  "Seeking  4 (4) bytes --  Next:  WSQ1 \r\n"
                  " File contains no more programs.\r\n");
    EXPECT_EQ(walk.ins, "");
    const auto listing = Lines(walk.listing);
    ASSERT_EQ(listing.size(), 128u * 129u);
    EXPECT_EQ(listing[0], "SETLIST 000 \"              Friday Gig\" EQ: 1344B4BA");
    EXPECT_EQ(listing[1].substr(0, 74), "SETLIST 000 \"              Friday Gig\" Slot 000 \"              First Slot\"");
    EXPECT_EQ(SetListDataBlock[462335], 0x5D);
}

TEST_F(WalkerTest, SetListBankCutShortIsNotListed) {
    std::memset(SetListBank, 0, sizeof SetListBank);
    const Bytes setLists = Concat({Chunk("SBK1", Concat({BankHeaderBytes(128, 69416, 0), SetListRecords("Complete")}))});
    Walk(PcgFile({Chunk("SLS1", setLists), Chunk("WSQ1", Bytes(4))}), false);
    ASSERT_EQ(RecordName(SetListBank), "Complete");

    const Bytes cut = Concat({PcgFile({}), ChunkHeaderBytes("SLS1", 1000), ChunkHeaderBytes("SBK1", 1000), BankHeaderBytes(128, 69416, 0),
                              Text("Partial"), Bytes(500)});
    const WalkResult walk = Walk(cut, true);
    EXPECT_FALSE(walk.result);
    EXPECT_EQ(walk.listing, "");
    EXPECT_EQ(RecordName(SetListBank), "Partial");
    const auto lines = Lines(walk.console);
    EXPECT_EQ(lines[lines.size() - 2], "Reading SBK1 data: 8885248 (0x879400) bytes");
    EXPECT_EQ(lines.back(), "Exit Parse_chunk.");
}

TEST_F(WalkerTest, SetListChunkAtTheEndOfTheFileEndsTheWalkWithFalse) {
    const Bytes file = PcgFile({Chunk("SLS1", ChunkHeaderBytes("SLD1", 0))});
    const WalkResult walk = Walk(file, true);
    EXPECT_FALSE(walk.result);
    EXPECT_EQ(Lines(walk.console).back(), "End Of File encountered");
}

// ---- C3: DKT1, ARP1, GLB1

TEST_F(WalkerTest, OtherKnownChunksAreSteppedOverAndTheLastOneEndsWithFalse) {
    const Bytes file = PcgFile({Chunk("DKT1", Chunk("DBK1", Bytes(6))), Chunk("ARP1", Bytes(2)), Chunk("GLB1", Bytes(3))});
    const WalkResult walk = Walk(file, true);
    EXPECT_FALSE(walk.result);
    EXPECT_EQ(walk.console, Header(file) +
                                "Enter Parse_Chunk with DKT1\r\n"
                                "Other type Parse_chunk - DKT1, skipping ahead 18 (12) from position 40 (28)\r\n"
                                "Exit Parse_chunk.\r\n"
                                "Enter Parse_Chunk with ARP1\r\n"
                                "Other type Parse_chunk - ARP1, skipping ahead 2 (2) from position 70 (46)\r\n"
                                "Exit Parse_chunk.\r\n"
                                "Enter Parse_Chunk with GLB1\r\n"
                                "Other type Parse_chunk - GLB1, skipping ahead 3 (3) from position 84 (54)\r\n"
                                "Exit Parse_chunk.\r\n");
}

TEST_F(WalkerTest, OtherChunkLandingAtOrBeyondTwoToTheThirtyOneIsARangeError) {
    const Bytes file = Concat({PcgFile({}), ChunkHeaderBytes("GLB1", 0x7FFFFFF0u), Bytes(4)});
    MemoryStream stream(file);
    EXPECT_THROW(Walk_chunks(stream, false), RangeError);

    const Bytes negative = Concat({PcgFile({}), ChunkHeaderBytes("ARP1", 0xFFFFFFFFu), Bytes(4)});
    MemoryStream negativeStream(negative);
    EXPECT_THROW(Walk_chunks(negativeStream, false), RangeError);
}

// ---- Whether a walk converted the file, and why not

TEST_F(WalkerTest, WalkFailureSaysWhyAFileWasNotConverted) {
    struct Row {
        const char* what;
        Bytes file;
        const char* failure;  // empty: the file was converted
    };
    const Bytes fileHeader = FileHeaderBytes();
    const Bytes cutCombi = Concat({PcgFile({}), ChunkHeaderBytes("CMB1", 2000), ChunkHeaderBytes("CBK1", 2000),
                                   BankHeaderBytes(128, 7810, 0x20001), Bytes(1000)});
    const Bytes cutSetList = Concat({PcgFile({}), ChunkHeaderBytes("SLS1", 1000), ChunkHeaderBytes("SBK1", 1000),
                                     BankHeaderBytes(128, 69416, 0), Bytes(500)});
    const Row rows[] = {
        {"empty", {}, "not a PCG file: it does not begin with a KORG header"},
        {"byte 5", Concat({FileHeaderBytes(0x68, 1), ChunkHeaderBytes("PCG1", 0)}), "not a PCG file: byte 5 of its KORG header is not zero"},
        {"product", Concat({FileHeaderBytes(0x51), ChunkHeaderBytes("PCG1", 0)}),
         "not a PCG file: product code 0x51 is neither Triton (0x50) nor Kronos (0x68)"},
        {"cut short", Bytes(fileHeader.begin(), fileHeader.begin() + 6), "not a PCG file: it ends inside its KORG header"},
        {"no PCG1", FileHeaderBytes(), "not a PCG file: no PCG1 chunk follows its KORG header"},
        {"nothing after PCG1", PcgFile({}), ""},
        {"program chunk last", PcgFile({Chunk("PRG1", ProgramBank("PBK1", 0, "P"))}), ""},
        {"GLB1 last", PcgFile({Chunk("GLB1", Bytes(3))}), ""},
        {"record count", PcgFile({Chunk("PRG1", Chunk("PBK1", Concat({BankHeaderBytes(1, 4960, 0), Records(4960, "P")})))}),
         "bank Int A (PBK1) is not a Kronos bank: 1 records of 4960 bytes, expected 128 of 4960"},
        {"record size", PcgFile({Chunk("PRG1", Chunk("MBK1", Concat({BankHeaderBytes(128, 7810, 0x20007), Records(7810, "P")})))}),
         "bank User AA (MBK1) is not a Kronos bank: 128 records of 7810 bytes, expected 128 of 4960"},
        {"converted after a failure", PcgFile({Chunk("CMB1", CombiBankChunk(0, "C"))}), ""},
        {"combination bank cut short", cutCombi, "bank User B (CBK1) is cut short"},
        {"bank header cut short", Concat({PcgFile({}), ChunkHeaderBytes("PRG1", 20), ChunkHeaderBytes("PBK1", 20), Bytes(8, 0)}),
         "bank Int A (PBK1) is cut short"},
        {"set list bank cut short", cutSetList, "set list bank (SBK1) is cut short"},
    };
    for (const Row& row : rows) {
        Walk(row.file, false);
        EXPECT_EQ(WalkFailure, row.failure) << row.what;
    }
}

}  // namespace
