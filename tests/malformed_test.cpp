// Malformed PCG files: cut short at every structural boundary, size fields at their extremes,
// chunks where they do not belong and chunks that point past the end. Each row states the outcome
// the rules give: the walk's result or the error it raises, the console without Verbose, the
// banks that are listed and why the file does not convert. Every row is walked quiet and traced;
// tracing changes only the console.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "PCG_readINS/ChunkWalker.h"
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

enum class Ending { Finished, Stopped, Raised };

const char* const kRange = "Range error";
const char* const kOverflow = "Integer overflow";

const std::string kNoKorg = "PCG file does not have a valid KORG header.\r\n";
const std::string kNoPcg = "PCG file does not have a valid PCG header.\r\n";

std::string Mismatch(const char* numbers, const char* destination) {
    return std::string("Error: bank header data size (") + numbers + ") doesn't match size of dest array (" + destination + ")\r\n";
}

// A bank the walk lists. Every record but the first is zero bytes, so record 1's lines follow
// from the rules alone.
struct Listed {
    enum Kind { Program, Combi, SetList } kind;
    std::string bank;   // as the section head shows it
    std::string label;  // the entry lines' short form of it
    std::string firstName;
};

const Listed kIntA{Listed::Program, "Int A", "IA", "Prog"};
const Listed kUserB{Listed::Combi, "User B", "UB", "Combi"};
const Listed kGig{Listed::SetList, "", "", "Gig"};

// Damage the walk passes over: the reason on standard error, the file not converted.
std::string CutShort(const std::string& what, std::size_t offset) { return "the " + what + " at offset " + std::to_string(offset) + " is cut short"; }
std::string TornHeader(std::size_t offset) { return CutShort("chunk header", offset); }
std::string CutChunk(const char* id, std::size_t offset) { return CutShort(std::string(id) + " chunk", offset); }

struct Row {
    std::string what;
    Bytes file;
    Ending ending;
    const char* errorKind;  // for Raised
    std::string console;    // without Verbose
    std::vector<Listed> listed;
    std::string failure = "";  // WalkFailure; empty: converted
};

struct Outcome {
    bool result = false;
    std::string errorKind;
    std::string console;
    std::string ins;
    std::string listing;
    std::string failure;
};

Outcome Walk(const std::uint8_t* data, std::size_t size, bool verbose, bool topLevelOnly = false) {
    Outcome outcome;
    Verbose = verbose;
    MemoryStream stream(data, size);
    CapturedOutputs outputs;
    ConsoleCapture console;
    try {
        outcome.result = Walk_chunks(stream, topLevelOnly);
    } catch (const Error& error) {
        outcome.errorKind = error.Kind();
    }
    Verbose = false;
    outputs.Flush();
    outcome.failure = WalkFailure;
    outcome.console = console.Text();
    outcome.ins = outputs.Ins();
    outcome.listing = outputs.Listing();
    return outcome;
}

Outcome WalkTopLevel(const std::uint8_t* data, std::size_t size) { return Walk(data, size, false, true); }

std::string Padded(const std::string& name) { return std::string(24 - name.size(), ' ') + name; }

// The lines of the listed banks that the rules fix without a checksum of a named record: the
// named record's line up to its checksum, record 1 whole (all zero bytes).
void ExpectListed(const Outcome& outcome, const std::vector<Listed>& listed, const std::string& what) {
    const std::vector<std::string> ins = Lines(outcome.ins);
    const std::vector<std::string> listing = Lines(outcome.listing);
    std::size_t insLine = 0, listingLine = 0;
    for (const Listed& bank : listed) {
        if (bank.kind == Listed::SetList) {
            ASSERT_LE(listingLine + 16512, listing.size()) << what;
            EXPECT_EQ(listing[listingLine].substr(0, 43), "SETLIST 000 \"" + Padded(bank.firstName) + "\" EQ: ") << what;
            EXPECT_EQ(listing[listingLine + 2], "SETLIST 000 \"" + Padded(bank.firstName) + "\" Slot 001 \"" + Padded("") + "\" 1FBEDFAA") << what;
            EXPECT_EQ(listing[listingLine + 129], "SETLIST 001 \"" + Padded("") + "\" EQ: 1344B4BA") << what;
            listingLine += 16512;
            continue;
        }
        const bool program = bank.kind == Listed::Program;
        const std::string kind = program ? "PROGRAM " : "COMBI   ";
        ASSERT_LE(listingLine + 128, listing.size()) << what;
        ASSERT_LE(insLine + 130, ins.size()) << what;
        EXPECT_EQ(listing[listingLine].substr(0, kind.size() + bank.bank.size() + 32),
                  kind + bank.bank + " 000 \"" + Padded(bank.firstName) + "\" ") << what;
        EXPECT_EQ(listing[listingLine + 1], kind + bank.bank + " 001 \"" + Padded("") + "\" " + (program ? "75944B80" : "3E46F431")) << what;
        EXPECT_EQ(ins[insLine], "") << what;
        EXPECT_EQ(ins[insLine + 1], std::string(program ? "[Kronos Program Bank " : "[Kronos Combi Bank ") + bank.bank + "]") << what;
        EXPECT_EQ(ins[insLine + 2], "0=" + bank.label + "000 " + bank.firstName) << what;
        EXPECT_EQ(ins[insLine + 129], "127=" + bank.label + "127 ") << what;
        listingLine += 128;
        insLine += 130;
    }
    EXPECT_EQ(listing.size(), listingLine) << what;
    EXPECT_EQ(ins.size(), insLine) << what;
}

void ExpectOutcome(const Row& row, const std::uint8_t* data, std::size_t size) {
    for (bool verbose : {false, true}) {
        const std::string what = row.what + (verbose ? " (traced)" : "");
        const Outcome outcome = Walk(data, size, verbose);
        switch (row.ending) {
            case Ending::Finished:
                EXPECT_TRUE(outcome.result && outcome.errorKind.empty()) << what << ": " << outcome.errorKind;
                break;
            case Ending::Stopped:
                EXPECT_TRUE(!outcome.result && outcome.errorKind.empty()) << what << ": " << outcome.errorKind;
                break;
            case Ending::Raised: EXPECT_EQ(outcome.errorKind, row.errorKind) << what; break;
        }
        if (row.ending != Ending::Raised) {
            EXPECT_EQ(outcome.failure, row.failure) << what;
        }
        if (verbose) {
            for (const std::string& line : Lines(row.console)) EXPECT_NE(outcome.console.find(line + "\r\n"), std::string::npos) << what;
        } else {
            EXPECT_EQ(outcome.console, row.console) << what;
        }
        ExpectListed(outcome, row.listed, what);
    }
}

void ExpectOutcomes(const std::vector<Row>& rows) {
    for (const Row& row : rows) ExpectOutcome(row, row.file.data(), row.file.size());
}

Bytes Records(std::uint32_t recordSize, const std::string& firstName) {
    Bytes records(128 * recordSize, 0);
    PutName(records, 0, firstName);
    return records;
}

Bytes IntA() { return BankChunk("PBK1", 0, 4960, Records(4960, "Prog")); }
Bytes UserB() { return BankChunk("CBK1", 0x20001, 7810, Records(7810, "Combi")); }

// The file header and a PCG1 header sized for the body.
Bytes Pcg(const Bytes& body) {
    return Concat({FileHeaderBytes(), ChunkHeaderBytes("PCG1", static_cast<std::uint32_t>(body.size())), body});
}

// A level-2 chunk that is no sub-chunk of anything, to end a file: the walk finishes after it.
Bytes Tail() { return Chunk("WSQ1", Bytes(4)); }

class MalformedTest : public ::testing::Test {
protected:
    void SetUp() override { testing_support::ClearBankBuffers(); }
};

// ---- cut short at every structural boundary

// One chunk of every kind the walk reads, in this order.
const Bytes& WholeFile() {
    static const Bytes file = [] {
        Bytes setLists(128 * 69416, 0);
        PutName(setLists, 0, "Gig");
        return PcgFile({
            Chunk("PRG1", IntA()),
            Chunk("CMB1", UserB()),
            Chunk("SLS1", Concat({ChunkHeaderBytes("SLD1", 0), ChunkHeaderBytes("STL1", 0),
                                  Chunk("SDB1", Concat({BankHeaderBytes(1, 462336, 0), Bytes(462336)})),
                                  Chunk("SBK1", Concat({BankHeaderBytes(128, 69416, 0), setLists}))})),
            Chunk("GLB1", Bytes(4)),
            Tail(),
        });
    }();
    return file;
}

// Where each structure of WholeFile begins.
constexpr std::size_t kPrg = 28;
constexpr std::size_t kPbk = kPrg + 12;
constexpr std::size_t kPbkBankHeader = kPbk + 12;
constexpr std::size_t kPbkRecords = kPbkBankHeader + 12;
constexpr std::size_t kCmb = kPbkRecords + 634880;
constexpr std::size_t kCbk = kCmb + 12;
constexpr std::size_t kCbkBankHeader = kCbk + 12;
constexpr std::size_t kCbkRecords = kCbkBankHeader + 12;
constexpr std::size_t kSls = kCbkRecords + 999680;
constexpr std::size_t kSld = kSls + 12;
constexpr std::size_t kStl = kSld + 12;
constexpr std::size_t kSdb = kStl + 12;
constexpr std::size_t kSdbBankHeader = kSdb + 12;
constexpr std::size_t kSdbData = kSdbBankHeader + 12;
constexpr std::size_t kSbk = kSdbData + 462336;
constexpr std::size_t kSbkBankHeader = kSbk + 12;
constexpr std::size_t kSbkData = kSbkBankHeader + 12;
constexpr std::size_t kGlb = kSbkData + 8885248;
constexpr std::size_t kGlbData = kGlb + 12;
constexpr std::size_t kWsq = kGlbData + 4;
constexpr std::size_t kWsqData = kWsq + 12;
constexpr std::size_t kEnd = kWsqData + 4;

TEST_F(MalformedTest, CutShortAtEveryStructuralBoundary) {
    ASSERT_EQ(WholeFile().size(), kEnd);
    struct Cut {
        const char* what;
        std::size_t length;
        Ending ending;
        std::string console;
        std::vector<Listed> listed;
        std::string failure;
    };
    const Ending F = Ending::Finished, S = Ending::Stopped;
    const std::vector<Listed> P{kIntA}, PC{kIntA, kUserB}, PCS{kIntA, kUserB, kGig};
    const std::string programBank = "bank Int A (PBK1) is cut short", combinationBank = "bank User B (CBK1) is cut short";
    const std::string setListBank = "set list bank (SBK1) is cut short", setLists = CutChunk("SLS1", kSls);
    const Cut cuts[] = {
        {"empty", 0, S, kNoKorg, {}, "not a PCG file: it does not begin with a KORG header"},
        {"inside the file header", 8, S, kNoKorg, {}, "not a PCG file: it ends inside its KORG header"},
        {"file header only", 16, S, kNoPcg, {}, "not a PCG file: no PCG1 chunk follows its KORG header"},
        {"inside the PCG1 header", 22, S, kNoPcg, {}, "not a PCG file: no PCG1 chunk follows its KORG header"},
        // A level-2 header read that comes up short is the normal end; one torn by the end is damage.
        {"PCG1 header only", kPrg, F, "", {}, ""},
        {"inside the PRG1 header", kPrg + 6, F, "", {}, TornHeader(kPrg)},
        // Inside a program chunk, a short sub-chunk header or one that ends the data stops the walk.
        {"PRG1 header only", kPbk, S, "", {}, CutChunk("PRG1", kPrg)},
        {"inside the PBK1 header", kPbk + 6, S, "", {}, TornHeader(kPbk)},
        {"PBK1 header only", kPbkBankHeader, S, "", {}, CutChunk("PBK1", kPbk)},
        // Count 128 delivered, the record size's first two bytes 00 00: what was not delivered reads 0.
        {"inside the program bank header", kPbkBankHeader + 6, S, Mismatch("0 * 128 = 0", "634880"), {}, programBank},
        {"program bank header only", kPbkRecords, S, "", {}, programBank},
        {"inside the program records", kPbkRecords + 300000, S, "", {}, programBank},
        {"one byte short of the program records", kCmb - 1, S, "", {}, programBank},
        // A chunk that ends right at the end of the file is whole.
        {"program chunk whole", kCmb, S, "", P, ""},
        {"inside the CMB1 header", kCmb + 6, S, "", P, TornHeader(kCmb)},
        {"CMB1 header only", kCbk, S, "", P, CutChunk("CMB1", kCmb)},
        {"CBK1 header only", kCbkBankHeader, S, "", P, CutChunk("CBK1", kCbk)},
        {"inside the combination bank header", kCbkBankHeader + 4, S, Mismatch("0 * 128 = 0", "999680"), P, "bank Int A (CBK1) is cut short"},
        {"combination bank header only", kCbkRecords, S, "", P, combinationBank},
        {"inside the combination records", kCbkRecords + 3 * 7810, S, "", P, combinationBank},
        {"combination chunk whole", kSls, S, "", PC, ""},
        {"SLS1 header only", kSld, S, "", PC, setLists},
        // SLD1 and STL1 of size 0 are whole: the set list chunk around them is not.
        {"SLD1 header only", kStl, S, "", PC, setLists},
        {"STL1 header only", kSdb, S, "", PC, setLists},
        {"SDB1 header only", kSdbBankHeader, S, "", PC, CutChunk("SDB1", kSdb)},
        {"inside the SDB1 bank header", kSdbBankHeader + 6, S, "", PC, CutChunk("SDB1", kSdb)},
        {"inside the set list data block", kSdbData + 1000, S, "", PC, CutChunk("SDB1", kSdb)},
        {"set list data block whole", kSbk, S, "", PC, setLists},
        {"SBK1 header only", kSbkBankHeader, S, "", PC, CutChunk("SBK1", kSbk)},
        {"set list bank header only", kSbkData, S, "", PC, setListBank},
        {"one byte short of the set list bank", kGlb - 1, S, "", PC, setListBank},
        {"set list bank whole", kGlb, S, "", PCS, ""},
        {"inside the GLB1 header", kGlb + 6, S, "", PCS, TornHeader(kGlb)},
        {"GLB1 header only", kGlbData, S, "", PCS, CutChunk("GLB1", kGlb)},
        // After a GLB1 chunk a short header stops the walk, a whole one goes on.
        {"GLB1 whole", kWsq, S, "", PCS, ""},
        {"inside the WSQ1 header", kWsq + 6, S, "", PCS, TornHeader(kWsq)},
        {"WSQ1 header only", kWsqData, F, "", PCS, CutChunk("WSQ1", kWsq)},
        {"whole file", kEnd, F, "", PCS, ""},
    };
    for (const Cut& cut : cuts) {
        const Row row{cut.what, {}, cut.ending, nullptr, cut.console, cut.listed, cut.failure};
        ExpectOutcome(row, WholeFile().data(), cut.length);
    }
    // Stepped over without descending, every chunk is told by its own size.
    for (const auto& [length, failure] : std::vector<std::pair<std::size_t, std::string>>{
             {kPbk, CutChunk("PRG1", kPrg)}, {kCmb + 6, TornHeader(kCmb)}, {kSbk, setLists}, {kWsqData, CutChunk("WSQ1", kWsq)}, {kEnd, ""}}) {
        const Outcome outcome = WalkTopLevel(WholeFile().data(), length);
        EXPECT_EQ(outcome.failure, failure) << "/T, " << length << " bytes";
    }
}

// ---- size fields at 0, 1, 2^31 - 1, 2^31 and 2^32 - 1

const std::uint32_t kExtremes[] = {0, 1, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
    return text;
}

TEST_F(MalformedTest, Pcg1SizeIsOnlyShown) {
    std::vector<Row> rows;
    for (std::uint32_t size : kExtremes) {
        const Bytes file = Concat({FileHeaderBytes(), ChunkHeaderBytes("PCG1", size), Chunk("PRG1", IntA()), Tail()});
        rows.push_back({"PCG1 size " + Hex(size), file, Ending::Finished, nullptr, "", {kIntA}});
    }
    ExpectOutcomes(rows);

    const Bytes file = Concat({FileHeaderBytes(), ChunkHeaderBytes("PCG1", 0xFFFFFFFFu)});
    const Outcome outcome = Walk(file.data(), file.size(), true);
    EXPECT_EQ(Lines(outcome.console)[0], "PCGChunk PCG1:   Name: PCG1  Size: -1 (0xFFFFFFFF)");
}

TEST_F(MalformedTest, SizesOfLevel2Chunks) {
    // Eight bytes after the header: with a size of 0 or 1 the next header is read from them, an
    // unknown one whose size (from "efgh" or "fghW") carries the walk past the end: that chunk,
    // or a chunk of 2^31 - 1 bytes, is cut short.
    const Bytes after = Concat({Text("abcdefgh"), ChunkHeaderBytes("WSQ1", 0)});
    const Ending F = Ending::Finished, R = Ending::Raised;
    struct Sized {
        const char* id;
        Ending endings[5];  // per value of kExtremes
    };
    const Sized sized[] = {
        // Unknown chunks are stepped over with no test of where the step lands.
        {"INI2", {F, F, F, R, R}},
        {"WSQ1", {F, F, F, R, R}},
        {"CSM1", {F, F, F, R, R}},
        // DKT1, ARP1 and GLB1 are stepped over by Parse_chunk, which needs the landing below 2^31.
        {"DKT1", {F, F, R, R, R}},
        {"ARP1", {F, F, R, R, R}},
        {"GLB1", {F, F, R, R, R}},
    };
    std::vector<Row> rows;
    for (const Sized& chunk : sized) {
        for (int i = 0; i < 5; ++i) {
            const Bytes file = Pcg(Concat({ChunkHeaderBytes(chunk.id, kExtremes[i]), after}));
            const char* errorKind = chunk.endings[i] == R ? kRange : nullptr;
            const std::string failure = i == 0 ? CutChunk("abcd", 40) : i == 1 ? CutChunk("bcde", 41) : CutChunk(chunk.id, 28);
            rows.push_back({std::string(chunk.id) + " size " + Hex(kExtremes[i]), file, chunk.endings[i], errorKind, "", {}, failure});
        }
    }
    ExpectOutcomes(rows);
}

TEST_F(MalformedTest, SizesOfSteppedOverSetListProgramAndCombinationChunks) {
    // An unknown sub-chunk first makes Parse_chunk step over the whole chunk by its size; then a
    // WSQ1 chunk, handed over as the next level-2 chunk wherever the steps reach it.
    const Bytes contents = Concat({ChunkHeaderBytes("XTRA", 0), Chunk("WSQ1", Bytes(4))});
    std::vector<Row> rows;
    for (const char* id : {"SLS1", "PRG1", "CMB1"}) {
        const std::string name = id;
        // Size 0 would step on the spot for ever: the walk stops there.
        rows.push_back({name + " size 0", Pcg(Concat({ChunkHeaderBytes(id, 0), contents})), Ending::Stopped, nullptr, "", {}});
        // Size 1 steps byte by byte until the WSQ1 header.
        rows.push_back({name + " size 1", Pcg(Concat({ChunkHeaderBytes(id, 1), contents})), Ending::Finished, nullptr, "", {}});
        rows.push_back({name + " size 12", Pcg(Concat({ChunkHeaderBytes(id, 12), contents})), Ending::Finished, nullptr, "", {}});
        for (std::uint32_t size : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
            rows.push_back({name + " size " + Hex(size), Pcg(Concat({ChunkHeaderBytes(id, size), contents})), Ending::Raised, kRange, "", {}});
        }
    }
    ExpectOutcomes(rows);
}

TEST_F(MalformedTest, SizeOfAChunkThatIsNotSteppedOverIsNeverUsed) {
    std::vector<Row> rows;
    for (std::uint32_t size : kExtremes) {
        const std::string value = Hex(size);
        rows.push_back({"PRG1 size " + value, Pcg(Concat({ChunkHeaderBytes("PRG1", size), IntA(), Tail()})), Ending::Finished, nullptr, "", {kIntA}});
        rows.push_back({"CMB1 size " + value, Pcg(Concat({ChunkHeaderBytes("CMB1", size), UserB(), Tail()})), Ending::Finished, nullptr, "", {kUserB}});
        rows.push_back({"SLS1 size " + value, Pcg(Concat({ChunkHeaderBytes("SLS1", size), ChunkHeaderBytes("SLD1", 0), Tail()})),
                        Ending::Finished, nullptr, "", {}});
    }
    ExpectOutcomes(rows);
}

TEST_F(MalformedTest, SizesOfSubChunksAreNeverUsed) {
    // The walker moves on by the bank header and the fixed data sizes, never by a sub-chunk's size.
    Bytes bank = IntA();
    std::vector<Row> rows;
    for (std::uint32_t size : kExtremes) {
        const std::string value = Hex(size);
        const Bytes sizeBytes = ChunkHeaderBytes("PBK1", size);
        std::copy(sizeBytes.begin(), sizeBytes.end(), bank.begin());
        rows.push_back({"PBK1 size " + value, PcgFile({Chunk("PRG1", bank), Tail()}), Ending::Finished, nullptr, "", {kIntA}});
        for (const char* id : {"SLD1", "STL1"}) {
            rows.push_back({std::string(id) + " size " + value, PcgFile({Chunk("SLS1", ChunkHeaderBytes(id, size)), Tail()}),
                            Ending::Finished, nullptr, "", {}});
        }
        rows.push_back({"SDB1 size " + value,
                        PcgFile({Chunk("SLS1", Concat({ChunkHeaderBytes("SDB1", size), BankHeaderBytes(1, 462336, 0), Bytes(462336)})), Tail()}),
                        Ending::Finished, nullptr, "", {}});
        // Parse_chunk steps over the program chunk by its own size, 12 here: the XTRA size is not read.
        rows.push_back({"unknown sub-chunk size " + value, Pcg(Concat({ChunkHeaderBytes("PRG1", 12), ChunkHeaderBytes("XTRA", size), Tail()})),
                        Ending::Finished, nullptr, "", {}});
    }
    ExpectOutcomes(rows);
}

TEST_F(MalformedTest, RecordCountAndRecordSize) {
    struct Header {
        const char* id;
        std::uint32_t count;
        std::uint32_t size;
        Ending ending;
        const char* errorKind;
        std::string console;
        const char* expected = "4960";  // the record size its kind holds
    };
    const Ending S = Ending::Stopped, R = Ending::Raised;
    const Header headers[] = {
        {"PBK1", 0, 4960, S, nullptr, Mismatch("4960 * 0 = 0", "634880")},
        {"PBK1", 1, 4960, S, nullptr, Mismatch("4960 * 1 = 4960", "634880")},
        {"PBK1", 0x7FFFFFFF, 4960, R, kOverflow, ""},
        {"PBK1", 0x80000000u, 4960, R, kOverflow, ""},
        {"PBK1", 0xFFFFFFFFu, 4960, R, kRange, ""},
        {"PBK1", 128, 0, S, nullptr, Mismatch("0 * 128 = 0", "634880")},
        {"PBK1", 128, 1, S, nullptr, Mismatch("1 * 128 = 128", "634880")},
        {"PBK1", 128, 0x7FFFFFFF, R, kOverflow, ""},
        {"PBK1", 128, 0x80000000u, R, kOverflow, ""},
        {"PBK1", 128, 0xFFFFFFFFu, R, kRange, ""},
        // Products at the edges of signed 32-bit arithmetic.
        {"PBK1", 0x10000, 0x10000, R, kOverflow, ""},
        {"PBK1", 2, 0x40000000, R, kOverflow, ""},
        {"PBK1", 0x80000000u, 0xFFFFFFFFu, R, kOverflow, ""},
        {"PBK1", 0x7FFFFFFF, 1, S, nullptr, Mismatch("1 * 2147483647 = 2147483647", "634880")},
        {"PBK1", 0, 0x80000000u, S, nullptr, Mismatch("-2147483648 * 0 = 0", "634880")},
        {"PBK1", 0xFFFFFFFFu, 0xFFFFFFFFu, S, nullptr, Mismatch("-1 * -1 = 1", "634880")},
        {"PBK1", 0x40000000, 0xFFFFFFFEu, R, kRange, ""},
        // Each kind checks against its own buffer.
        {"MBK1", 128, 7810, S, nullptr, Mismatch("7810 * 128 = 999680", "634880")},
        {"CBK1", 128, 4960, S, nullptr, Mismatch("4960 * 128 = 634880", "999680"), "7810"},
        {"CBK1", 0, 7810, S, nullptr, Mismatch("7810 * 0 = 0", "999680"), "7810"},
        {"CBK1", 0xFFFFFFFFu, 7810, R, kRange, ""},
        {"CBK1", 0x10000, 0x10000, R, kOverflow, ""},
    };
    std::vector<Row> rows;
    for (const Header& header : headers) {
        const char* level2 = std::string(header.id) == "CBK1" ? "CMB1" : "PRG1";
        const Bytes bank = Chunk(header.id, Concat({BankHeaderBytes(header.count, header.size, 0), Bytes(64)}));
        // The counts as the header stores them, unsigned.
        const std::string failure = "bank Int A (" + std::string(header.id) + ") is not a Kronos bank: " + std::to_string(header.count) +
                                    " records of " + std::to_string(header.size) + " bytes, expected 128 of " + header.expected;
        rows.push_back({std::string(header.id) + " " + Hex(header.count) + " records of " + Hex(header.size),
                        PcgFile({Chunk(level2, bank), Tail()}), header.ending, header.errorKind, header.console, {}, failure});
    }
    // Two negative factors whose product is the bank size: the bank is loaded and listed.
    const Bytes negatives = Chunk("PBK1", Concat({BankHeaderBytes(0xFFFFFFFFu, 0xFFF65000u, 0), Records(4960, "Prog")}));
    rows.push_back({"-1 records of -634880", PcgFile({Chunk("PRG1", negatives), Tail()}), Ending::Finished, nullptr, "", {kIntA}});
    // Set list banks are read by their fixed size whatever their bank header says.
    const Bytes setListData = Chunk("SDB1", Concat({BankHeaderBytes(0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFF), Bytes(462336)}));
    rows.push_back({"SDB1 header of extremes", PcgFile({Chunk("SLS1", setListData), Tail()}), Ending::Finished, nullptr, "", {}});
    ExpectOutcomes(rows);
}

// ---- chunks where they do not belong

TEST_F(MalformedTest, ChunksNestedWhereTheyDoNotBelong) {
    const Ending F = Ending::Finished;
    const std::vector<Row> rows = {
        // A level-2 header inside a set list, program or combination chunk starts the next
        // level-2 chunk there, whatever the enclosing size says.
        {"PRG1 inside PRG1", PcgFile({Chunk("PRG1", Chunk("PRG1", IntA())), Tail()}), F, nullptr, "", {kIntA}},
        {"CMB1 inside SLS1", PcgFile({Chunk("SLS1", Chunk("CMB1", UserB())), Tail()}), F, nullptr, "", {kUserB}},
        {"GLB1 inside PRG1 after a bank", PcgFile({Chunk("PRG1", Concat({IntA(), Chunk("GLB1", Bytes(4))})), Tail()}), F, nullptr, "", {kIntA}},
        {"DKT1 inside SLS1", PcgFile({Chunk("SLS1", Concat({ChunkHeaderBytes("SLD1", 0), Chunk("DKT1", Bytes(8))})), Tail()}), F, nullptr, "", {}},
        // A bank of the wrong kind, or a set list sub-chunk, makes Parse_chunk step over the rest.
        {"PBK1 inside CMB1", PcgFile({Chunk("CMB1", IntA()), Tail()}), F, nullptr, "", {}},
        {"CBK1 inside PRG1", PcgFile({Chunk("PRG1", UserB()), Tail()}), F, nullptr, "", {}},
        {"SBK1 inside PRG1", PcgFile({Chunk("PRG1", Chunk("SBK1", Bytes(100))), Tail()}), F, nullptr, "", {}},
        {"PBK1 inside SLS1", PcgFile({Chunk("SLS1", IntA()), Tail()}), F, nullptr, "", {}},
        {"bank after a stepped-over sub-chunk", PcgFile({Chunk("PRG1", Concat({Chunk("CSM1", Bytes(4)), IntA()})), Tail()}), F, nullptr, "", {}},
        // At level 2, sub-chunks and the top-level identifiers are unknown chunks, stepped over whole.
        {"PBK1 at level 2", PcgFile({IntA(), Tail()}), F, nullptr, "", {}},
        {"SBK1 at level 2", PcgFile({Chunk("SBK1", Bytes(100)), Tail()}), F, nullptr, "", {}},
        {"SLD1 at level 2", PcgFile({ChunkHeaderBytes("SLD1", 0), Tail()}), F, nullptr, "", {}},
        {"PCG1 inside PCG1", PcgFile({Chunk("PCG1", Chunk("PRG1", IntA()))}), F, nullptr, "", {}},
        {"KORG inside PCG1", PcgFile({Chunk("KORG", Bytes(16)), Chunk("PRG1", IntA()), Tail()}), F, nullptr, "", {kIntA}},
    };
    ExpectOutcomes(rows);
}

// ---- chunks that point past the end

TEST_F(MalformedTest, ChunksThatPointPastTheEnd) {
    const Ending F = Ending::Finished, S = Ending::Stopped, R = Ending::Raised;
    const Bytes xtra = ChunkHeaderBytes("XTRA", 0);
    const std::vector<Row> rows = {
        // An unknown chunk stepped past the end leaves a short header read: the normal end of the
        // walk, but the chunk is cut short.
        {"unknown chunk", Pcg(Concat({ChunkHeaderBytes("INI2", 1000), Bytes(10)})), F, nullptr, "", {}, CutChunk("INI2", 28)},
        {"unknown chunk of size 44 cut short", Pcg(Concat({ChunkHeaderBytes("DIV1", 44), Bytes(10)})), F, nullptr, "", {},
         CutChunk("DIV1", 28)},
        {"GLB1", Pcg(Concat({ChunkHeaderBytes("GLB1", 1000), Bytes(10)})), S, nullptr, "", {}, CutChunk("GLB1", 28)},
        // The step-over lands past the end; the re-entered Parse_chunk finds no header there.
        {"stepped-over PRG1", Pcg(Concat({ChunkHeaderBytes("PRG1", 1000), xtra, Bytes(10)})), S, nullptr, "", {}, CutChunk("PRG1", 28)},
        {"stepped-over SLS1", Pcg(Concat({ChunkHeaderBytes("SLS1", 1000), xtra, Bytes(10)})), S, nullptr, "", {}, CutChunk("SLS1", 28)},
        // Re-entered after a whole step, the walk is in no chunk of its own: the step from there is.
        {"second step-over of PRG1", Pcg(Concat({ChunkHeaderBytes("PRG1", 20), xtra, Bytes(8), xtra, Bytes(4)})), S, nullptr, "", {},
         "the data stepped over from offset 60 is cut short"},
        {"stepped-over PRG1 ending at the end", Pcg(Concat({ChunkHeaderBytes("PRG1", 12), xtra})), S, nullptr, "", {}},
        {"program bank", PcgFile({Chunk("PRG1", Concat({ChunkHeaderBytes("PBK1", 634892), BankHeaderBytes(128, 4960, 0), Bytes(100)}))}),
         S, nullptr, "", {}, "bank Int A (PBK1) is cut short"},
        {"set list data block", PcgFile({Chunk("SLS1", Concat({ChunkHeaderBytes("SDB1", 462348), BankHeaderBytes(1, 462336, 0), Bytes(100)}))}),
         S, nullptr, "", {}, CutChunk("SDB1", 40)},
        {"set list bank", PcgFile({Chunk("SLS1", Concat({ChunkHeaderBytes("SBK1", 8885260), BankHeaderBytes(128, 69416, 0), Bytes(100)}))}),
         S, nullptr, "", {}, "set list bank (SBK1) is cut short"},
        // Positions must stay below 2^31: the first chunk's contents start at 40, so a step of
        // 2^31 - 41 lands on the last position allowed and one more byte is a range error.
        {"DKT1 landing at 2^31 - 1", Pcg(Concat({ChunkHeaderBytes("DKT1", 0x7FFFFFD7), Bytes(10)})), S, nullptr, "", {}, CutChunk("DKT1", 28)},
        {"DKT1 landing at 2^31", Pcg(Concat({ChunkHeaderBytes("DKT1", 0x7FFFFFD8), Bytes(10)})), R, kRange, "", {}},
        {"PRG1 stepped over to 2^31 - 1", Pcg(Concat({ChunkHeaderBytes("PRG1", 0x7FFFFFD7), xtra, Bytes(10)})), S, nullptr, "", {},
         CutChunk("PRG1", 28)},
        {"PRG1 stepped over to 2^31", Pcg(Concat({ChunkHeaderBytes("PRG1", 0x7FFFFFD8), xtra, Bytes(10)})), R, kRange, "", {}},
        // An unknown chunk's step is not tested: it may land beyond 2^31, where nothing is read.
        {"unknown chunk landing beyond 2^31", Pcg(Concat({ChunkHeaderBytes("INI2", 0x7FFFFFFF), Bytes(10)})), F, nullptr, "", {},
         CutChunk("INI2", 28)},
        // What was listed before an error stays listed.
        {"range error after a bank", PcgFile({Chunk("PRG1", IntA()), Concat({ChunkHeaderBytes("GLB1", 0x80000000u), Bytes(4)})}), R, kRange, "",
         {kIntA}},
    };
    ExpectOutcomes(rows);
}

}  // namespace
