#include "formats/Text.h"
#include "formats/Writers.h"

namespace morvane {

namespace {

void WriteMode(OutputTextFile& out, const char* mode, const std::vector<SelectableBank>& banks) {
    if (banks.empty()) return;
    out.WriteLine(std::string("[mode]") + mode);
    for (const SelectableBank& selectable : banks) {
        const CatalogueBank& bank = *selectable.bank;
        out.WriteLine("[g1]" + CleanText(selectable.head));
        for (std::size_t i = 0; i < bank.entries.size(); ++i) {
            const int number = static_cast<int>(i);
            const std::string text = EntryLabel(bank.name, number) + " " + std::string(bank.entries[i].Name());
            out.WriteLine("[p2, " + std::to_string(number) + ", " + std::to_string(selectable.select.msb) + ", " +
                          std::to_string(selectable.select.lsb) + "]" + CleanText(text));
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
    out.WriteLine("[device name]Kronos");
    out.WriteLine("[script name]Kronos (" + CleanText(source.base) + ")");
    out.WriteLine("[script version]version 1.00");
    out.WriteLine("[define patchnames]");
    WriteMode(out, "Kronos Programs", banks.programs);
    WriteMode(out, "Kronos Combinations", banks.combinations);
    out.WriteLine("[end]");
}

}  // namespace morvane
