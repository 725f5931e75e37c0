#include "formats/Text.h"
#include "formats/Writers.h"

namespace morvane {

void WriteReaBank(OutputTextFile& out, const ModeBanks& banks, ChunkType mode, const FormatSource& source) {
    const bool programs = mode == ChunkType::PRG1;
    out.WriteLine(std::string("// REAPER bank file: Korg ") + banks.model->word + (programs ? " programs" : " combinations") + " of " +
                  CleanFileNameUtf8(source.inputName) + ", written by MORVANE " + source.version);
    for (const SelectableBank& selectable : programs ? banks.programs : banks.combinations) {
        const CatalogueBank& bank = *selectable.bank;
        out.WriteLine("");
        out.WriteLine("Bank " + std::to_string(selectable.select.msb) + " " + std::to_string(selectable.select.lsb) + " " +
                      CleanUtf8(selectable.head));
        const std::string& label = bank.label;
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
