#include "formats/Formats.h"

#include <functional>
#include <optional>
#include <string>

#include "PCG_readINS/BankListing.h"
#include "PCG_readINS/Format.h"
#include "platform/Console.h"
#include "platform/TextFile.h"

namespace morvane {

namespace {

const char* KindWord(ChunkType kind) { return kind == ChunkType::PRG1 ? "program" : "combination"; }

void Place(std::vector<SelectableBank>& mode, const CatalogueBank& bank, BankSelect select, Selection& selection) {
    const Model& model = *selection.banks.model;
    for (SelectableBank& held : mode) {
        if (held.bank->name != bank.name) continue;
        held.bank = &bank;
        selection.repeated.push_back(&bank);
        return;
    }
    mode.push_back({&bank, select, SectionName(model, bank.kind, bank.name)});
}

std::string NotWritten(const std::vector<std::string>& files) {
    return Enumeration(files) + (files.size() > 1 ? " are" : " is") + " not written";
}

// The names of one input's extra files, and which of them were asked for.
class OutputSet {
public:
    OutputSet(const FormatSwitches& switches, const std::string& base) : switches_(switches), base_(base) {}

    std::string Midnam() const { return base_ + ".midnam"; }
    std::string ReaBank(ChunkType mode) const { return base_ + (mode == ChunkType::PRG1 ? "_programs.reabank" : "_combis.reabank"); }
    std::string Cubase() const { return base_ + "_cubase.txt"; }
    std::string Csv() const { return base_ + ".csv"; }

    bool AnySelectable() const { return switches_.midnam || switches_.reabank || switches_.cubase; }
    // The asked-for MIDNAM, ReaBank and Cubase files, those of one mode or of both.
    std::vector<std::string> SelectableFiles(std::optional<ChunkType> mode = std::nullopt) const {
        std::vector<std::string> files;
        if (switches_.midnam) files.push_back(Midnam());
        for (const ChunkType each : {ChunkType::PRG1, ChunkType::CMB1}) {
            if (switches_.reabank && (!mode || *mode == each)) files.push_back(ReaBank(each));
        }
        if (switches_.cubase) files.push_back(Cubase());
        return files;
    }
    // What a mode without banks costs the asked-for files.
    std::string EmptyModeText(ChunkType mode) const {
        std::string text = std::string("no ") + KindWord(mode) + " bank can be selected";
        std::vector<std::string> modeFiles;
        if (switches_.midnam) modeFiles.push_back(Midnam());
        if (switches_.cubase) modeFiles.push_back(Cubase());
        if (!modeFiles.empty()) text += "; " + Enumeration(modeFiles) + (modeFiles.size() > 1 ? " have" : " has") + " no " + KindWord(mode) + " mode";
        if (switches_.reabank) text += "; " + NotWritten({ReaBank(mode)});
        return text;
    }

private:
    const FormatSwitches& switches_;
    std::string base_;
};

void Write(const std::string& name, const std::function<void(OutputTextFile&)>& write) {
    OutputTextFile file;
    file.Create(name);
    ConsoleLine("Writing file " + name);
    write(file);
    file.Close();
}

bool ListsRecordBanks(const Catalogue& catalogue) {
    for (const CatalogueBank& bank : catalogue.banks) {
        if (bank.kind != ChunkType::SLS1) return true;
    }
    return false;
}

}  // namespace

Selection SelectBanks(const Catalogue& catalogue) {
    Selection selection;
    selection.banks.model = &ModelOf(catalogue);
    for (const CatalogueBank& bank : catalogue.banks) {
        if (bank.kind == ChunkType::SLS1) continue;
        const std::optional<BankSelect> select = BankSelectOf(*selection.banks.model, bank.kind, bank.name);
        if (!select) {
            selection.unselectable.push_back(&bank);
            continue;
        }
        Place(bank.kind == ChunkType::PRG1 ? selection.banks.programs : selection.banks.combinations, bank, *select, selection);
    }
    return selection;
}

void WriteFormats(const Catalogue& catalogue, const FormatSwitches& switches, const FormatSource& source) {
    const OutputSet files(switches, source.base);
    const auto note = [&source](const std::string& text) { ReportLine(source.inputName, "note: " + text); };
    if (!ListsRecordBanks(catalogue)) {
        std::vector<std::string> skipped = files.SelectableFiles();
        if (switches.csv) skipped.push_back(files.Csv());
        note("no program or combination bank was listed; " + NotWritten(skipped));
        return;
    }

    const Selection selection = SelectBanks(catalogue);
    const ModeBanks& banks = selection.banks;
    const bool selectable = !banks.programs.empty() || !banks.combinations.empty();
    if (files.AnySelectable()) {
        for (const CatalogueBank* bank : selection.unselectable) {
            note(std::string(KindWord(bank->kind)) + " bank \"" + bank->name + "\" has no bank select; it is left out of " +
                 Enumeration(files.SelectableFiles(bank->kind)));
        }
        for (const CatalogueBank* bank : selection.repeated) {
            note(std::string(KindWord(bank->kind)) + " bank \"" + bank->name + "\" appears more than once; " +
                 Enumeration(files.SelectableFiles(bank->kind)) + " hold the names of the last one in the place of the first");
        }
        if (!selectable) note("no program or combination bank can be selected; " + NotWritten(files.SelectableFiles()));
        if (selectable && banks.programs.empty()) note(files.EmptyModeText(ChunkType::PRG1));
        if (selectable && banks.combinations.empty()) note(files.EmptyModeText(ChunkType::CMB1));
    }

    if (selectable && switches.midnam) Write(files.Midnam(), [&](OutputTextFile& out) { WriteMidnam(out, banks, source); });
    if (switches.reabank && !banks.programs.empty()) {
        Write(files.ReaBank(ChunkType::PRG1), [&](OutputTextFile& out) { WriteReaBank(out, banks, ChunkType::PRG1, source); });
    }
    if (switches.reabank && !banks.combinations.empty()) {
        Write(files.ReaBank(ChunkType::CMB1), [&](OutputTextFile& out) { WriteReaBank(out, banks, ChunkType::CMB1, source); });
    }
    if (selectable && switches.cubase) Write(files.Cubase(), [&](OutputTextFile& out) { WriteCubaseScript(out, banks, source); });
    if (switches.csv) Write(files.Csv(), [&](OutputTextFile& out) { WriteCsv(out, catalogue); });
}

}  // namespace morvane
