#include "PCG_readINS/BankListing.h"
#include "formats/Text.h"
#include "formats/Writers.h"

namespace morvane {

void WriteReaBank(OutputTextFile& out, const std::vector<SelectableBank>& banks, const char* what,
                  const FormatSource& source) {
    out.WriteLine(std::string("// REAPER bank file: Korg Kronos ") + what + " of " + CleanFileNameUtf8(source.inputName) +
                  ", written by MORVANE " + source.version);
    for (const SelectableBank& selectable : banks) {
        const CatalogueBank& bank = *selectable.bank;
        out.WriteLine("");
        out.WriteLine("Bank " + std::to_string(selectable.select.msb) + " " + std::to_string(selectable.select.lsb) + " " +
                      CleanUtf8(selectable.head));
        const std::string label = BankLabel(bank.name);
        for (std::size_t i = 0; i < bank.entries.size(); ++i) {
            const int number = static_cast<int>(i);
            std::string& line = out.Buffer();
            AppendNumber(line, static_cast<unsigned>(number));
            line += ' ';
            AppendEntryTextUtf8(line, label, number, bank.entries[i].Name());
            out.EndLine();
        }
    }
}

}  // namespace morvane
