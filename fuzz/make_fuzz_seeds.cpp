// Writes the seed corpus of the fuzz target: make_fuzz_seeds <directory>
//
// Banks have a fixed size, so a seed that reaches the listing writer cannot be small: a few
// seeds carry one whole bank of each kind, the rest are small files that stop inside a bank or
// between chunks, and hand-made files for the walker's odd paths.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "PcgBuilder.h"

namespace {

using namespace pcgbuild;
using morvane::kCombiRecordSize;
using morvane::kProgramRecordSize;
using morvane::kSetListDataBlockSize;
using morvane::kSetListRecordSize;

Bytes Records(Random& random, std::uint32_t count, std::uint32_t recordSize, const std::string& prefix) {
    Bytes records(static_cast<std::size_t>(count) * recordSize);
    random.Fill(records.data(), records.size());
    for (std::uint32_t i = 0; i < count; ++i) {
        PutName(records, static_cast<std::size_t>(i) * recordSize, prefix + " " + std::to_string(i));
    }
    return records;
}

Bytes SetLists(Random& random, std::uint32_t count) {
    Bytes records = Records(random, count, kSetListRecordSize, "Set List");
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t setList = static_cast<std::size_t>(i) * kSetListRecordSize;
        for (std::uint32_t j = 0; j < 4; ++j) {
            PutName(records, setList + morvane::kSetListSlotsOffset + j * morvane::kSetListSlotSize, "Slot " + std::to_string(j));
        }
    }
    return records;
}

// A bank chunk whose header promises count records of recordSize but which holds only the
// given records.
Bytes PartialBank(std::string_view id, std::uint32_t count, std::uint32_t recordSize, std::uint32_t bankId, const Bytes& records) {
    return Chunk(id, Concat({BankHeaderBytes(count, recordSize, bankId), records}));
}

// Names that every escape of the extra formats must handle: markup and CSV characters, control
// and 8-bit bytes, formula starts, blank and full-length names. The file names come from header
// bytes the walk does not read: one not UTF-8, one UTF-8 with a C1 control.
Bytes OddNames(Random& random) {
    const char* const names[] = {"A&B <\"x\"> ]]>", "Caf\xE9 \xA0\xFF", "Tab\there\x01\x7F\x85", "line\r\nbreak\r",
                                 "=SUM(1)", "+1", "-5 dB", "@cmd", "a,b", "say \"hi\"", "  Lead", "   ", "",
                                 "Full twenty-four chars!!", "\xC3\xA9 &amp; &#60;", "[end]", "\x1B[31m"};
    Bytes records = Records(random, 128, kProgramRecordSize, "Odd");
    for (std::size_t i = 0; i < std::size(names); ++i) PutName(records, i * kProgramRecordSize, names[i]);
    Bytes file = PcgFile({Chunk("PRG1", BankChunk("PBK1", 0x8000, kProgramRecordSize, records))});
    const std::string inputName = "a\r\n\"<&\x85\xE9=\x01", base = "\xC3\xA9<&\"\n\xC2\x85";
    std::copy(inputName.begin(), inputName.end(), file.begin() + 6);
    std::copy(base.begin(), base.end(), file.begin() + 20);
    return file;
}

// 128 Triton records, random but for their 16-byte names.
Bytes TritonNamed(Random& random, std::uint32_t recordSize, const std::string& prefix, std::vector<std::string> names = {}) {
    Bytes records(128 * recordSize);
    random.Fill(records.data(), records.size());
    for (std::size_t i = names.size(); i < 128; ++i) names.push_back(prefix + " " + std::to_string(i));
    const Bytes named = TritonRecords(recordSize, names);
    for (std::size_t i = 0; i < 128; ++i) std::copy_n(named.begin() + static_cast<std::ptrdiff_t>(i * recordSize), 16, records.begin() + static_cast<std::ptrdiff_t>(i * recordSize));
    return records;
}

Bytes Cut(const Bytes& bytes, std::size_t length) { return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(length, bytes.size()))); }

std::vector<std::pair<std::string, Bytes>> Seeds() {
    Random random(7);
    std::vector<std::pair<std::string, Bytes>> seeds;
    auto add = [&seeds](const char* name, Bytes bytes) { seeds.emplace_back(name, std::move(bytes)); };

    add("empty", {});
    add("file-header-only", FileHeaderBytes());
    add("triton-no-chunks", PcgFile({}));
    add("other-product", Concat({FileHeaderBytes(0x51), ChunkHeaderBytes("PCG1", 0)}));
    add("unknown-chunks", PcgFile({Chunk("DIV1", Bytes(44, 0x11)), Chunk("INI2", Bytes(64, 0x22)), Chunk("WSQ1", Bytes(20)),
                                   Chunk("CSM1", Bytes(8)), ChunkHeaderBytes("PCG1", 0)}));
    add("other-chunks", PcgFile({Chunk("DKT1", Chunk("DBK1", Bytes(100, 1))), Chunk("ARP1", Chunk("ABK1", Bytes(60, 2))),
                                 Chunk("GLB1", Bytes(40, 3))}));
    add("program-size-mismatch",
        PcgFile({Chunk("PRG1", PartialBank("PBK1", 1, kProgramRecordSize, 0, Records(random, 1, kProgramRecordSize, "Only")))}));
    add("combi-size-mismatch", PcgFile({Chunk("CMB1", PartialBank("CBK1", 128, kProgramRecordSize, 0x20001, Bytes(64)))}));
    add("program-bank-cut-short",
        PcgFile({Chunk("PRG1", PartialBank("MBK1", 128, kProgramRecordSize, 0x20007, Records(random, 2, kProgramRecordSize, "Cut")))}));
    add("combi-bank-cut-short",
        PcgFile({Chunk("CMB1", PartialBank("CBK1", 128, kCombiRecordSize, 5, Records(random, 1, kCombiRecordSize, "Cut")))}));
    add("set-list-sub-chunks",
        PcgFile({Chunk("SLS1", Concat({ChunkHeaderBytes("SLD1", 0, 1), ChunkHeaderBytes("STL1", 0, 0),
                                       PartialBank("SDB1", 1, kSetListDataBlockSize, 0, Bytes(200, 9))}))}));
    add("set-list-bank-cut-short",
        PcgFile({Chunk("SLS1", PartialBank("SBK1", 128, kSetListRecordSize, 0, SetLists(random, 1)), 128)}));
    add("hand-over-inside-programs",
        PcgFile({Chunk("PRG1", Concat({ChunkHeaderBytes("WSQ1", 16), Bytes(16, 4)})), Chunk("GLB1", Bytes(8))}));
    add("unknown-sub-chunk-then-csm1",
        PcgFile({Chunk("PRG1", Concat({ChunkHeaderBytes("XXXX", 4), Bytes(4)})), Chunk("CSM1", Bytes(4)), Chunk("WSQ1", Bytes(4))}));
    add("unknown-sub-chunk-in-set-list",
        PcgFile({Chunk("SLS1", Concat({ChunkHeaderBytes("SLD1", 0), ChunkHeaderBytes("ZZZZ", 8), Bytes(8)})), Chunk("ARP1", Bytes(4))}));

    const Bytes sample = SamplePcg(SampleOptions{});
    add("sample-cut-at-2k", Cut(sample, 2048));
    add("sample-cut-at-16k", Cut(sample, 16384));

    // Whole banks, one of each kind, so that the listings are reached.
    add("program-banks",
        PcgFile({Chunk("PRG1", Concat({BankChunk("PBK1", 0, kProgramRecordSize, Records(random, 128, kProgramRecordSize, "Prog")),
                                       ChunkHeaderBytes("GLB1", 0)})),
                 Chunk("WSQ1", Bytes(4))}));
    add("combi-bank",
        PcgFile({Chunk("CMB1", BankChunk("CBK1", 0x20006, kCombiRecordSize, Records(random, 128, kCombiRecordSize, "Combi")))}));
    add("set-list-bank",
        PcgFile({Chunk("SLS1", Concat({ChunkHeaderBytes("SLD1", 0, 1), ChunkHeaderBytes("STL1", 0, 0),
                                       PartialBank("SDB1", 1, kSetListDataBlockSize, 0, Bytes(kSetListDataBlockSize, 5)),
                                       PartialBank("SBK1", 128, kSetListRecordSize, 0, SetLists(random, 128))}),
                       128)}));
    add("odd-names", OddNames(random));

    // The Triton family: 8-byte chunk headers, record sizes from each bank header.
    const Bytes tiny = TritonBankChunk("PBK1", 0x20000, 16, TritonNamed(random, 16, "T"));
    add("triton-banks", TritonPcgFile({TritonChunk("DIV1", Bytes(44)), TritonChunk("INI1", Text("PBK1GLB1")),
                                       TritonChunk("PRG1", Concat({tiny, TritonBankChunk("MBK1", 0x8000, 604, TritonNamed(random, 604, "Moss"))})),
                                       TritonChunk("CMB1", TritonBankChunk("CBK1", 0, 448, TritonNamed(random, 448, "Combi"))),
                                       TritonChunk("GLB1", Bytes(8))},
                                      0x50, 1));
    add("triton-extreme-cut", Cut(TritonExtremeSample(), 200000));
    add("triton-bank-checks", TritonPcgFile({TritonChunk("PRG1", Concat({TritonBankChunk("PBK1", 0, 16, Bytes(100 * 16), 100),
                                                                         TritonBankChunk("PBK1", 1, 15, Bytes(128 * 15)),
                                                                         TritonChunk("PBK1", Bytes(5)), tiny}))}));
    add("triton-cut-short", Cut(TritonPcgFile({TritonChunk("CMB1", Concat({tiny, tiny}))}), 2500));
    add("triton-le", TritonPcgFile({TritonChunk("PRG1", TritonBankChunk("PBK1", 3, 16, TritonNamed(random, 16, "Le")))}, 0x63));
    add("karma", TritonPcgFile({TritonChunk("PV2P", Bytes(12)), TritonChunk("CMB1", TritonBankChunk("CBK1", 5, 16, TritonNamed(random, 16, "K")))},
                               0x5D));
    const Bytes odd = TritonNamed(random, 16, "Odd", {"A&B <\"x\"> ]]>", "Caf\xE9 \xA0\xFF", "Tab\there\x01\x85", "line\r\nbreak", "=SUM(1)", "a,b", "   "});
    add("triton-odd-names", TritonPcgFile({TritonChunk("PRG1", TritonBankChunk("PBK1", 4, 16, odd))}));

    // The Kronos-container models: 12-byte chunk headers, 24-byte names, sizes from each bank header.
    const Bytes small = BankChunk("PBK1", 0x20000, 24, NamedRecords(24, {"Small 24-byte records"}));
    const Bytes kross = BankChunk("CBK1", 2, 1980, NamedRecords(1980, {"Kross User Combination", "Caf\xE9 <&>"}, 5));
    add("krome-banks", ContainerPcgFile({Chunk("DIV1", Bytes(44)), Chunk("INI2", Text("PBK1CBK1GLB1")), Chunk("PRG1", Concat({small, small})),
                                         Chunk("CMB1", BankChunk("CBK1", 3, 100, NamedRecords(100, {"D"}))), Chunk("GLB1", Bytes(8))},
                                        0x95));
    add("kross", ContainerPcgFile({Chunk("CMB1", kross), Chunk("DKT1", Bytes(20))}, 0x96));
    add("nautilus-set-lists", ContainerPcgFile({Chunk("SLS1", Chunk("SBK1", Bytes(100))),
                                                Chunk("PRG1", BankChunk("MBK1", 0x20021, 24, NamedRecords(24, {"t"})))},
                                               0xDD));
    add("container-bank-checks",
        ContainerPcgFile({Chunk("PRG1", Concat({BankChunk("PBK1", 0, 23, Bytes(128 * 23)), Chunk("PBK1", Concat({BankHeaderBytes(100, 24, 1), Bytes(2400)})),
                                                Chunk("PBK1", Bytes(7)), small}))},
                         0xC9));
    add("container-cut-short", Cut(ContainerPcgFile({Chunk("PRG1", Concat({small, small})), Chunk("GLB1", Bytes(8))}, 0x70), 3100));
    add("m3", ContainerPcgFile({Chunk("PRG1", small)}, 0x75));
    add("m50", ContainerPcgFile({Chunk("PRG1", small)}, 0x85));
    add("microstation", ContainerPcgFile({Chunk("PRG1", small)}, 0x8D));
    add("krome-ex", ContainerPcgFile({Chunk("PRG1", small)}, 0xD2));
    return seeds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds <directory>\n");
        return 2;
    }
    for (const auto& [name, bytes] : Seeds()) {
        const std::string path = std::string(argv[1]) + "/" + name + ".pcg";
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (!file) {
            std::perror(path.c_str());
            return 1;
        }
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        if (std::fclose(file) != 0 || !written) {
            std::perror(path.c_str());
            return 1;
        }
    }
    return 0;
}
