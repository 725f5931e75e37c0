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
        for (std::size_t i = 0; i < bank.entries.size(); ++i) {
            const int number = static_cast<int>(i);
            const std::string text = EntryLabel(bank.name, number) + " " + std::string(bank.entries[i].Name());
            out.WriteLine(std::to_string(number) + " " + CleanUtf8(text));
        }
    }
}

}  // namespace morvane
