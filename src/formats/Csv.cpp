#include "formats/BankSelect.h"
#include "formats/Text.h"
#include "formats/Writers.h"
#include "PCG_readINS/Format.h"

namespace morvane {

namespace {

// Without it Excel reads UTF-8 as its ANSI code page ("Café" shows as "CafÃ©").
constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

// A spreadsheet runs a cell that begins with one of these as a formula.
std::string AsText(std::string name) {
    if (!name.empty() && (name[0] == '=' || name[0] == '+' || name[0] == '-' || name[0] == '@')) name.insert(0, "'");
    return name;
}

}  // namespace

void WriteCsv(OutputTextFile& out, const Catalogue& catalogue) {
    out.WriteLine(std::string(kByteOrderMark) + "Kind,Bank,Number,Label,Name,Checksum,MSB,LSB");
    for (const CatalogueBank& bank : catalogue.banks) {
        if (bank.kind == ChunkType::SLS1) continue;
        const std::optional<BankSelect> select = BankSelectFor(bank.kind, bank.name);
        const std::string lead = std::string(bank.kind == ChunkType::PRG1 ? "Program," : "Combination,") + CsvField(CleanUtf8(bank.name)) + ",";
        const std::string tail = select ? "," + std::to_string(select->msb) + "," + std::to_string(select->lsb) : ",,";
        for (std::size_t i = 0; i < bank.entries.size(); ++i) {
            const int number = static_cast<int>(i);
            const CatalogueEntry& entry = bank.entries[i];
            out.WriteLine(lead + std::to_string(number) + "," + CsvField(CleanUtf8(EntryLabel(bank.name, number))) + "," +
                          CsvField(AsText(CleanUtf8(entry.Name()))) + "," + Format("0x%8.8x", {entry.checksum}) + tail);
        }
    }
}

}  // namespace morvane
