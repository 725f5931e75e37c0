#include "formats/Text.h"
#include "formats/Writers.h"

namespace morvane {

namespace {

void WriteMode(OutputTextFile& out, const std::string& mode, const std::vector<SelectableBank>& banks) {
    if (banks.empty()) return;
    out.WriteLine("[mode]" + mode);
    for (const SelectableBank& selectable : banks) {
        const CatalogueBank& bank = *selectable.bank;
        out.WriteLine("[g1]" + CleanText(selectable.head));
        const std::string& label = bank.label;
        const std::string select = ", " + std::to_string(selectable.select.msb) + ", " + std::to_string(selectable.select.lsb) + "]";
        for (std::size_t i = 0; i < bank.entries.size(); ++i) {
            const int number = static_cast<int>(i);
            std::string& line = out.Buffer();
            line += "[p2, ";
            AppendNumber(line, static_cast<unsigned>(number));
            line += select;
            AppendEntryText(line, label, number, bank.entries[i].Name());
            out.EndLine();
        }
    }
}

}  // namespace

void WriteCubaseScript(OutputTextFile& out, const ModeBanks& banks, const FormatSource& source) {
    out.WriteLine("[cubase parse file]");
    out.WriteLine("[parser version 0001]");
    out.WriteLine("[creators first name]MORVANE");
    out.WriteLine("[creators last name]" + source.version);
    out.WriteLine("[device manufacturer]Korg");
    const std::string word = banks.model->word;
    out.WriteLine("[device name]" + word);
    out.WriteLine("[script name]" + word + " (" + CleanFileName8Bit(source.base) + ")");
    out.WriteLine("[script version]version 1.00");
    out.WriteLine("[define patchnames]");
    WriteMode(out, word + " Programs", banks.programs);
    WriteMode(out, word + " Combinations", banks.combinations);
    out.WriteLine("[end]");
}

}  // namespace morvane
