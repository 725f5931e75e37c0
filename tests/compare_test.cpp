#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "PcgBuilder.h"
#include "compare/Compare.h"
#include "compare/Report.h"
#include "formats/Catalogue.h"

namespace {

using namespace morvane;
using Bytes = std::vector<std::uint8_t>;

struct BankBytes {
    ChunkType kind;
    std::string name;
    Bytes bytes;
};

std::uint32_t RecordSize(ChunkType kind) { return kind == ChunkType::CMB1 ? kCombiRecordSize : kProgramRecordSize; }

void PutName(Bytes& bytes, std::size_t offset, const std::string& name) {
    std::memset(&bytes[offset], 0, kNameLength);
    std::memcpy(&bytes[offset], name.data(), name.size());
}

// Random records named by a letter and their number ("A5"); set lists "L7" with slots "S3".
BankBytes RandomBank(ChunkType kind, const std::string& name, char letter, std::uint64_t seed) {
    pcgbuild::Random random(seed);
    if (kind == ChunkType::SLS1) {
        Bytes bytes(kSetListBankSize);
        random.Fill(bytes.data(), bytes.size());
        for (std::uint32_t i = 0; i < kRecordsPerBank; ++i) {
            const std::size_t setList = std::size_t{i} * kSetListRecordSize;
            PutName(bytes, setList, "L" + std::to_string(i));
            for (std::uint32_t j = 0; j < kRecordsPerBank; ++j) PutName(bytes, setList + kSetListSlotsOffset + j * kSetListSlotSize, "S" + std::to_string(j));
        }
        return {kind, name, bytes};
    }
    Bytes bytes(std::size_t{kRecordsPerBank} * RecordSize(kind));
    random.Fill(bytes.data(), bytes.size());
    for (std::uint32_t i = 0; i < kRecordsPerBank; ++i) PutName(bytes, i * RecordSize(kind), letter + std::to_string(i));
    return {kind, name, bytes};
}

std::uint8_t* Record(BankBytes& bank, std::size_t i) { return &bank.bytes[i * RecordSize(bank.kind)]; }
std::uint8_t* Slot(BankBytes& setLists, std::size_t i, std::size_t j) {
    return &setLists.bytes[i * kSetListRecordSize + kSetListSlotsOffset + j * kSetListSlotSize];
}
void CopyRecord(BankBytes& to, std::size_t i, const BankBytes& from, std::size_t j) {
    std::memcpy(Record(to, i), &from.bytes[j * RecordSize(from.kind)], RecordSize(to.kind));
}

Catalogue CatalogueOf(const std::vector<BankBytes>& banks) {
    Catalogue catalogue;
    for (const BankBytes& bank : banks) catalogue.Add(bank.bytes.data(), bank.kind, bank.name);
    return catalogue;
}

std::vector<std::string> Report(const Catalogue& oldFile, const Catalogue& newFile) {
    const Comparison comparison = CompareCatalogues(oldFile, newFile);
    std::vector<std::string> lines;
    for (const Finding& finding : comparison.findings) lines.push_back(FindingLine(finding, "old.pcg", "new.pcg"));
    lines.push_back(SummaryLine(comparison, "old.pcg", "new.pcg"));
    return lines;
}

// One old file and a new one with one case of every finding.
TEST(Compare, EveryKindOfFinding) {
    const BankBytes intA = RandomBank(ChunkType::PRG1, "Int A", 'A', 1), intC = RandomBank(ChunkType::PRG1, "Int C", 'C', 2);
    const BankBytes userG = RandomBank(ChunkType::PRG1, "User G", 'G', 3), combis = RandomBank(ChunkType::CMB1, "User A", 'U', 4);
    const BankBytes invalid1 = RandomBank(ChunkType::PRG1, "Invalid Bank", 'I', 5), invalid2 = RandomBank(ChunkType::PRG1, "Invalid Bank", 'I', 6);
    const BankBytes setLists = RandomBank(ChunkType::SLS1, "", 'L', 7);
    BankBytes oldA = intA, oldC = intC;
    // Three copies of one record in Int C, and two records that differ only in their names.
    PutName(oldC.bytes, 100 * kProgramRecordSize, "Init");
    for (const std::size_t i : {101, 102}) CopyRecord(oldC, i, oldC, 100);
    CopyRecord(oldA, 41, oldA, 40);
    PutName(oldA.bytes, 40 * kProgramRecordSize, "Foo");
    PutName(oldA.bytes, 41 * kProgramRecordSize, "Bar");
    const Catalogue oldFile = CatalogueOf({oldA, oldC, invalid1, invalid2, userG, combis, setLists});

    BankBytes newA = oldA, newC = oldC, newInvalid2 = invalid2, newSetLists = setLists;
    PutName(newA.bytes, 5 * kProgramRecordSize, "Piano Five");  // renamed
    Record(newA, 6)[100] ^= 1;                                  // changed
    CopyRecord(newA, 10, oldC, 44);                             // moved: Int C 044 changes below
    Record(newC, 44)[200] ^= 1;
    CopyRecord(newA, 11, oldA, 12);                             // copied: Int A 012 stays
    CopyRecord(newA, 20, oldC, 100);                            // moved from the one copy that changes
    Record(newC, 101)[300] ^= 1;
    CopyRecord(newA, 30, userG, 0);                             // moved out of a bank that is gone
    CopyRecord(newA, 40, oldA, 41);                             // renamed, although Int A 041 holds it
    Record(newInvalid2, 0)[50] ^= 1;
    PutName(newSetLists.bytes, 2 * kSetListRecordSize + kSetListSlotsOffset + 3 * kSetListSlotSize, "Slot Three");
    Slot(newSetLists, 2, 4)[100] ^= 1;
    PutName(newSetLists.bytes, 7 * kSetListRecordSize, "Seven");
    newSetLists.bytes[8 * kSetListRecordSize + kSetListEqOffset + 3] ^= 1;
    const BankBytes newCombis = RandomBank(ChunkType::CMB1, "User B", 'B', 8);
    const Catalogue newFile = CatalogueOf({newA, newC, invalid1, newInvalid2, combis, newCombis, newSetLists});

    const std::vector<std::string> expected{
        "PROGRAM Int A  005 renamed \"A5\" -> \"Piano Five\"",
        "PROGRAM Int A  006 changed \"A6\"",
        "PROGRAM Int A  010 moved   \"C44\" (was Int C 044)",
        "PROGRAM Int A  011 copied  \"A12\" (copy of Int A 012)",
        "PROGRAM Int A  020 moved   \"Init\" (was Int C 101)",
        "PROGRAM Int A  030 moved   \"G0\" (was User G 000)",
        "PROGRAM Int A  040 renamed \"Foo\" -> \"Bar\"",
        "PROGRAM Int C  044 changed \"C44\"",
        "PROGRAM Int C  101 changed \"Init\"",
        "PROGRAM Invalid Bank#2 000 changed \"I0\"",
        "COMBI   User B     only in new.pcg",
        "SETLIST 002 Slot 003 renamed \"S3\" -> \"Slot Three\"",
        "SETLIST 002 Slot 004 changed \"S4\"",
        "SETLIST 007          renamed \"L7\" -> \"Seven\"",
        "SETLIST 008          changed \"L8\" (EQ)",
        "PROGRAM User G     only in old.pcg",
        "17138 same, 4 renamed, 6 changed, 3 moved, 1 copied; banks only in old.pcg: 1, only in new.pcg: 1",
    };
    EXPECT_EQ(Report(oldFile, newFile), expected);

    // Banks are matched by kind and name wherever they stand; a file against itself is the same.
    const Catalogue reordered = CatalogueOf({setLists, combis, userG, oldC, invalid1, invalid2, oldA});
    EXPECT_EQ(Report(oldFile, reordered),
              std::vector<std::string>{"17280 same, 0 renamed, 0 changed, 0 moved, 0 copied; banks only in old.pcg: 0, only in new.pcg: 0"});
    EXPECT_EQ(CompareCatalogues(oldFile, oldFile).findings.size(), 0u);
}

// A name is shown with its control bytes as spaces, so that a finding is always one line.
TEST(Compare, NamesStayOnOneLine) {
    BankBytes oldBank = RandomBank(ChunkType::CMB1, "Int B", 'X', 9);
    BankBytes newBank = oldBank;
    PutName(newBank.bytes, 0, "Two\r\nLines\t");
    EXPECT_EQ(Report(CatalogueOf({oldBank}), CatalogueOf({newBank}))[0], "COMBI   Int B  000 renamed \"X0\" -> \"Two  Lines \"");
}

}  // namespace
