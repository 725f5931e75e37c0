#include "PCG_readINS/Format.h"
#include "formats/Text.h"
#include "formats/Writers.h"

namespace morvane {

namespace {

// Without it Excel reads UTF-8 as its ANSI code page ("Café" shows as "CafÃ©").
constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

// A spreadsheet runs a cell that begins with one of these as a formula.
bool RunsAsFormula(const std::string& name) {
    return !name.empty() && (name[0] == '=' || name[0] == '+' || name[0] == '-' || name[0] == '@');
}

}  // namespace

void WriteCsv(OutputTextFile& out, const Catalogue& catalogue) {
    out.WriteLine(std::string(kByteOrderMark) + "Kind,Bank,Number,Label,Name,Checksum,MSB,LSB");
    std::string name;
    for (const CatalogueBank& bank : catalogue.banks) {
        if (bank.kind == ChunkType::SLS1) continue;
        const std::optional<BankSelect> select = BankSelectOf(ModelOf(catalogue), bank.kind, bank.name);
        const std::string lead = std::string(bank.kind == ChunkType::PRG1 ? "Program," : "Combination,") + CsvField(CleanUtf8(bank.name)) + ",";
        const std::string tail = select ? "," + std::to_string(select->msb) + "," + std::to_string(select->lsb) : ",,";
        const std::string& label = bank.label;
        for (std::size_t i = 0; i < bank.entries.size(); ++i) {
            const int number = static_cast<int>(i);
            const CatalogueEntry& entry = bank.entries[i];
            std::string& line = out.Buffer();
            line += lead;
            AppendNumber(line, static_cast<unsigned>(number));
            line += ',';
            AppendEntryLabel(line, label, number);  // bank labels are model data or plain letters: nothing to quote
            line += ',';
            name.clear();
            AppendCleanUtf8(name, entry.Name());
            if (RunsAsFormula(name)) name.insert(0, "'");
            AppendCsvField(line, name);
            FormatAppend(line, ",0x%8.8x", {entry.checksum});
            line += tail;
            out.EndLine();
        }
    }
}

}  // namespace morvane
