#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CRC32/CRC32.h"
#include "PCG_readINS/BankLoader.h"
#include "TestSupport.h"
#include "formats/Catalogue.h"
#include "formats/Formats.h"
#include "formats/Text.h"
#include "formats/Writers.h"
#include "platform/Console.h"

namespace {

using namespace morvane;
using testing_support::FileExists;
using testing_support::Lines;
using testing_support::ReadFile;

TEST(FormatText, CleanUpAndEncodings) {
    struct Row {
        std::string in, clean, utf8;
    };
    const Row rows[] = {
        {"Grand Piano", "Grand Piano", "Grand Piano"},
        {"  Lead  ", "  Lead", "  Lead"},                              // leading blanks stay, trailing go
        {"A\tB\r\nC\x01\x1F", "A B  C", "A B  C"},                     // controls, then trimmed
        {"X\x7F\x80\x9FY", "X   Y", "X   Y"},                          // DEL and C1 controls
        {"Caf\xE9 \xA0\xFF", "Caf\xE9 \xA0\xFF", "Caf\xC3\xA9 \xC2\xA0\xC3\xBF"},
        {"", "", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CleanText(row.in), row.clean) << row.in;
        EXPECT_EQ(CleanUtf8(row.in), row.utf8) << row.in;
    }
    // A file name that is UTF-8 already keeps its characters; any other is read as ISO 8859-1.
    EXPECT_EQ(CleanFileNameUtf8("Caf\xC3\xA9 \xE2\x82\xAC.pcg"), "Caf\xC3\xA9 \xE2\x82\xAC.pcg");
    EXPECT_EQ(CleanFileNameUtf8("Caf\xE9.pcg"), "Caf\xC3\xA9.pcg");
    EXPECT_EQ(CleanFileNameUtf8("line\nbreak\xC2\x85x\xEF\xBF\xBEy\xEF\xBF\xBF\xEF\xBF\xBD \r\n"), "line break x y \xEF\xBF\xBD");
    EXPECT_EQ(CleanFileNameUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0");  // a surrogate is no UTF-8: bytes as ISO 8859-1
    EXPECT_EQ(CleanFileName8Bit("Caf\xC3\xA9 \xC3\x84 \xE2\x82\xAC\xC2\x85.pcg"), "Caf\xE9 \xC4 ? .pcg");
    EXPECT_EQ(CleanFileName8Bit("Caf\xE9\x85\r\n"), "Caf\xE9");
    EXPECT_EQ(XmlEscaped("a&b<c>\"d'"), "a&amp;b&lt;c&gt;&quot;d'");
    EXPECT_EQ(CsvField("plain text"), "plain text");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
}

std::vector<std::uint8_t> Bank(std::uint32_t recordSize, const std::vector<std::string>& names) {
    std::vector<std::uint8_t> bank(std::size_t{kRecordsPerBank} * recordSize, 0);
    for (std::size_t i = 0; i < names.size(); ++i) std::memcpy(&bank[i * recordSize], names[i].data(), names[i].size());
    return bank;
}

TEST(Catalogue, KeepsNamesAndBothChecksumsOfEveryEntry) {
    Catalogue catalogue;
    std::vector<std::uint8_t> programs = Bank(kProgramRecordSize, {"", "Full twenty-four chars!!", "ABC"});
    programs[1 * kProgramRecordSize + 24] = 0;
    std::memcpy(&programs[7 * kProgramRecordSize], "ABC", 3);
    catalogue.Add(programs.data(), ChunkType::PRG1, "Int A");
    std::vector<std::uint8_t> setLists(kSetListBankSize, 0);
    std::memcpy(&setLists[kSetListSlotsOffset + 5 * kSetListSlotSize], "Slot Five", 9);
    catalogue.Add(setLists.data(), ChunkType::SLS1, "");

    ASSERT_EQ(catalogue.banks.size(), 2u);
    const CatalogueBank& bank = catalogue.banks[0];
    EXPECT_EQ(bank.name, "Int A");
    ASSERT_EQ(bank.entries.size(), 128u);
    EXPECT_EQ(bank.entries[1].Name(), "Full twenty-four chars!!");
    EXPECT_EQ(bank.entries[7].Name(), "ABC");
    EXPECT_EQ(bank.entries[7].checksum, 0x12B7AC0Du);
    EXPECT_EQ(bank.entries[0].checksum, 0x75944B80u);
    // Without its name a renamed record keeps its checksum.
    EXPECT_EQ(bank.entries[7].bodyChecksum, bank.entries[0].bodyChecksum);
    EXPECT_EQ(bank.entries[0].bodyChecksum, RecordChecksum(&programs[24], kProgramRecordSize - 24));

    const CatalogueBank& setList = catalogue.banks[1];
    ASSERT_EQ(setList.entries.size(), 128u * 129u);
    EXPECT_EQ(setList.entries[0].checksum, 0x1344B4BAu);  // the EQ block of set list 0
    EXPECT_EQ(setList.entries[1].checksum, 0x1FBEDFAAu);  // its slot 0
    EXPECT_EQ(setList.entries[1 + 5].Name(), "Slot Five");
    EXPECT_EQ(setList.entries[129].checksum, 0x1344B4BAu);  // set list 1
    EXPECT_EQ(EntryLabel(bank, 7), "IA007");
}

// A small catalogue whose names try every escape: a program bank Int A, an unselectable
// program bank and a combination bank User B.
Catalogue Awkward() {
    Catalogue catalogue;
    const std::vector<std::uint8_t> programs =
        Bank(kProgramRecordSize, {"A&B <\"x\">", "Caf\xE9", "Tab\there\x01", "=SUM(1)", "a,b", "-5 dB", "  Lead", "+1,2"});
    catalogue.Add(programs.data(), ChunkType::PRG1, "Int A");
    catalogue.Add(programs.data(), ChunkType::PRG1, "Invalid Bank");
    const std::vector<std::uint8_t> combis = Bank(kCombiRecordSize, {"Split"});
    catalogue.Add(combis.data(), ChunkType::CMB1, "User B");
    return catalogue;
}

struct Written {
    std::string text;
    std::vector<std::string> lines;
};

template <typename Write>
Written Capture(Write write) {
    Written written;
    OutputTextFile out;
    out.Attach(std::make_unique<MemoryOutputFile>(written.text));
    write(out);
    out.Close();
    written.lines = Lines(written.text);
    return written;
}

const FormatSource kSource{"dir/My & <Bank>.pcg", "My & <Bank>", "9.9"};

std::size_t Count(const std::vector<std::string>& lines, const std::string& part) {
    std::size_t count = 0;
    for (const std::string& line : lines) count += line.find(part) != std::string::npos;
    return count;
}

TEST(FormatWriters, Midnam) {
    const Catalogue catalogue = Awkward();
    const Selection selection = SelectBanks(catalogue);
    const Written midnam = Capture([&](OutputTextFile& out) { WriteMidnam(out, selection.banks, kSource); });
    const auto& lines = midnam.lines;
    ASSERT_GT(lines.size(), 40u);
    EXPECT_EQ(lines[0], "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    EXPECT_EQ(lines[3], "  <Author>MORVANE 9.9 from dir/My &amp; &lt;Bank&gt;.pcg</Author>");
    EXPECT_EQ(lines[6], "    <Model>Kronos (My &amp; &lt;Bank&gt;)</Model>");
    EXPECT_EQ(lines.back(), "</MIDINameDocument>");
    EXPECT_EQ(Count(lines, "<Patch "), 256u);
    EXPECT_EQ(Count(lines, "<ChannelNameSetAssign "), 32u);
    EXPECT_EQ(Count(lines, "<AvailableChannel "), 32u);
    EXPECT_EQ(Count(lines, "<PatchBank Name=\"Kronos Program Bank Int A\">"), 1u);
    EXPECT_EQ(Count(lines, "<PatchNameList Name=\"Kronos Combi Bank User B\">"), 1u);
    EXPECT_EQ(Count(lines, "<ControlChange Control=\"32\" Value=\"9\"/>"), 1u);
    EXPECT_EQ(Count(lines, "Invalid"), 0u);
    for (const char* patch : {"<Patch Number=\"IA000\" Name=\"A&amp;B &lt;&quot;x&quot;&gt;\" ProgramChange=\"0\"/>",
                              "<Patch Number=\"IA001\" Name=\"Caf\xC3\xA9\" ProgramChange=\"1\"/>",
                              "<Patch Number=\"IA002\" Name=\"Tab here\" ProgramChange=\"2\"/>",
                              "<Patch Number=\"IA006\" Name=\"  Lead\" ProgramChange=\"6\"/>",
                              "<Patch Number=\"IA127\" Name=\"\" ProgramChange=\"127\"/>",
                              "<Patch Number=\"UB000\" Name=\"Split\" ProgramChange=\"0\"/>"}) {
        EXPECT_EQ(Count(lines, patch), 1u) << patch;
    }
}

TEST(FormatWriters, ReaBankAndCubase) {
    const Catalogue catalogue = Awkward();
    const Selection selection = SelectBanks(catalogue);
    const Written reabank =
        Capture([&](OutputTextFile& out) { WriteReaBank(out, selection.banks, ChunkType::PRG1, kSource); });
    ASSERT_EQ(reabank.lines.size(), 3u + 128u);
    EXPECT_EQ(reabank.lines[0], "// REAPER bank file: Korg Kronos programs of dir/My & <Bank>.pcg, written by MORVANE 9.9");
    EXPECT_EQ(reabank.lines[2], "Bank 0 0 Kronos Program Bank Int A");
    EXPECT_EQ(reabank.lines[3], "0 IA000 A&B <\"x\">");
    EXPECT_EQ(reabank.lines[4], "1 IA001 Caf\xC3\xA9");
    EXPECT_EQ(reabank.lines[5], "2 IA002 Tab here");
    EXPECT_EQ(reabank.lines.back(), "127 IA127");

    const Written cubase = Capture([&](OutputTextFile& out) { WriteCubaseScript(out, selection.banks, kSource); });
    const std::vector<std::string> head{"[cubase parse file]", "[parser version 0001]", "[creators first name]MORVANE",
                                        "[creators last name]9.9", "[device manufacturer]Korg", "[device name]Kronos",
                                        "[script name]Kronos (My & <Bank>)", "[script version]version 1.00",
                                        "[define patchnames]", "[mode]Kronos Programs", "[g1]Kronos Program Bank Int A",
                                        "[p2, 0, 0, 0]IA000 A&B <\"x\">", "[p2, 1, 0, 0]IA001 Caf\xE9"};
    ASSERT_EQ(cubase.lines.size(), 9u + 2u + 128u + 2u + 128u + 1u);
    EXPECT_EQ(std::vector<std::string>(cubase.lines.begin(), cubase.lines.begin() + 13), head);
    EXPECT_EQ(cubase.lines[9 + 130], "[mode]Kronos Combinations");
    EXPECT_EQ(cubase.lines[9 + 131], "[g1]Kronos Combi Bank User B");
    EXPECT_EQ(cubase.lines[9 + 132], "[p2, 0, 0, 9]UB000 Split");
    EXPECT_EQ(cubase.lines.back(), "[end]");
}

TEST(FormatWriters, Csv) {
    const Catalogue catalogue = Awkward();
    const Written csv = Capture([&](OutputTextFile& out) { WriteCsv(out, catalogue); });
    ASSERT_EQ(csv.lines.size(), 1u + 3u * 128u);
    EXPECT_EQ(csv.lines[0], "\xEF\xBB\xBFKind,Bank,Number,Label,Name,Checksum,MSB,LSB");
    const auto checksum = [&catalogue](std::size_t bank, std::size_t i) {
        char text[11];
        std::snprintf(text, sizeof text, "0x%08X", catalogue.banks[bank].entries[i].checksum);
        return std::string(text);
    };
    EXPECT_EQ(csv.lines[1], "Program,Int A,0,IA000,\"A&B <\"\"x\"\">\"," + checksum(0, 0) + ",0,0");
    EXPECT_EQ(csv.lines[2], "Program,Int A,1,IA001,Caf\xC3\xA9," + checksum(0, 1) + ",0,0");
    EXPECT_EQ(csv.lines[4], "Program,Int A,3,IA003,'=SUM(1)," + checksum(0, 3) + ",0,0");
    EXPECT_EQ(csv.lines[5], "Program,Int A,4,IA004,\"a,b\"," + checksum(0, 4) + ",0,0");
    EXPECT_EQ(csv.lines[6], "Program,Int A,5,IA005,'-5 dB," + checksum(0, 5) + ",0,0");
    EXPECT_EQ(csv.lines[8], "Program,Int A,7,IA007,\"'+1,2\"," + checksum(0, 7) + ",0,0");
    EXPECT_EQ(csv.lines[128], "Program,Int A,127,IA127,,0x75944B80,0,0");
    EXPECT_EQ(csv.lines[129 + 127], "Program,Invalid Bank,127,Ilid Bank127,,0x75944B80,,");
    EXPECT_EQ(csv.lines[257], "Combination,User B,0,UB000,Split," + checksum(2, 0) + ",0,9");
}

// A repeated bank name is held once, in the place of the first, with the later names.
TEST(FormatSelection, LeavesOutUnselectableBanksAndHoldsARepeatedNameOnce) {
    Catalogue catalogue;
    const auto first = Bank(kProgramRecordSize, {"First"});
    const auto later = Bank(kProgramRecordSize, {"Later"});
    catalogue.Add(first.data(), ChunkType::PRG1, "Int A");
    catalogue.Add(first.data(), ChunkType::PRG1, "??");
    catalogue.Add(first.data(), ChunkType::PRG1, "User A");
    catalogue.Add(later.data(), ChunkType::PRG1, "Int A");
    const auto combis = Bank(kCombiRecordSize, {"Combi"});
    catalogue.Add(combis.data(), ChunkType::CMB1, "Int A");
    const Selection selection = SelectBanks(catalogue);
    ASSERT_EQ(selection.banks.programs.size(), 2u);
    EXPECT_EQ(selection.banks.programs[0].head, "Kronos Program Bank Int A");
    EXPECT_EQ(selection.banks.programs[0].bank, &catalogue.banks[3]);
    EXPECT_EQ(selection.banks.programs[1].head, "Kronos Program Bank User A");
    ASSERT_EQ(selection.banks.combinations.size(), 1u);
    EXPECT_EQ(selection.banks.combinations[0].head, "Kronos Combi Bank Int A");
    EXPECT_EQ(selection.unselectable, std::vector<const CatalogueBank*>{&catalogue.banks[1]});
    EXPECT_EQ(selection.repeated, std::vector<const CatalogueBank*>{&catalogue.banks[3]});
}

// Which files are written, in which order, and the notes that say what was left out.
TEST(WriteFormats, FilesAndNotes) {
    const auto names = Bank(kProgramRecordSize, {"P"});
    Catalogue programsOnly, unselectable, setListsOnly, empty;
    programsOnly.Add(names.data(), ChunkType::PRG1, "Int A");
    programsOnly.Add(names.data(), ChunkType::PRG1, "Invalid Bank");
    const auto combis = Bank(kCombiRecordSize, {"C"});
    unselectable.Add(combis.data(), ChunkType::CMB1, "Invalid Bank");
    std::vector<std::uint8_t> setLists(kSetListBankSize, 0);
    setListsOnly.Add(setLists.data(), ChunkType::SLS1, "");
    FormatSwitches all;
    all.midnam = all.reabank = all.cubase = all.csv = true;
    FormatSwitches midnamAndCsv;
    midnamAndCsv.midnam = midnamAndCsv.csv = true;
    struct Case {
        const char* what;
        const Catalogue& catalogue;
        FormatSwitches switches;
        std::vector<std::string> written;
        std::vector<std::string> notes;
    };
    const Case cases[] = {
        {"programs only", programsOnly, all, {"b.midnam", "b_programs.reabank", "b_cubase.txt", "b.csv"},
         {"program bank \"Invalid Bank\" has no bank select; it is left out of b.midnam, b_programs.reabank and b_cubase.txt",
          "no combination bank can be selected; b.midnam and b_cubase.txt have no combination mode; b_combis.reabank is not written"}},
        {"no selectable bank", unselectable, midnamAndCsv, {"b.csv"},
         {"combination bank \"Invalid Bank\" has no bank select; it is left out of b.midnam",
          "no program or combination bank can be selected; b.midnam is not written"}},
        {"set lists only", setListsOnly, all, {},
         {"no program or combination bank was listed; b.midnam, b_programs.reabank, b_combis.reabank, b_cubase.txt and b.csv are not written"}},
        {"nothing listed", empty, midnamAndCsv, {}, {"no program or combination bank was listed; b.midnam and b.csv are not written"}},
    };
    for (const Case& c : cases) {
        const testing_support::ScratchDirectory scratch;
        ConsoleCapture console;
        WriteFormats(c.catalogue, c.switches, {"in.pcg", "b", "9.9"});
        std::vector<std::string> console_lines, notes;
        for (const std::string& file : c.written) console_lines.push_back("Writing file " + file);
        for (const std::string& note : c.notes) notes.push_back("morvane: in.pcg: note: " + note);
        EXPECT_EQ(Lines(console.Text()), console_lines) << c.what;
        EXPECT_EQ(Lines(console.ErrorText()), notes) << c.what;
        for (const char* file : {"b.midnam", "b_programs.reabank", "b_combis.reabank", "b_cubase.txt", "b.csv"}) {
            const bool expected = std::find(c.written.begin(), c.written.end(), file) != c.written.end();
            EXPECT_EQ(FileExists(file), expected) << c.what << ": " << file;
        }
    }
}

}  // namespace
