#include "compare/Report.h"

#include "PCG_readINS/Format.h"
#include "formats/Text.h"

namespace morvane {

namespace {

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string KindWord(ChunkType kind) {
    if (kind == ChunkType::PRG1) return "PROGRAM";
    if (kind == ChunkType::CMB1) return "COMBI";
    return "SETLIST";
}

// "Int A", or "Int A#2" for the second bank of that name in its file.
std::string BankShown(const Place& place) {
    return place.occurrence == 1 ? place.bank->name : place.bank->name + "#" + std::to_string(place.occurrence);
}

std::string Number(std::size_t n) { return Format("%3.3d", {n}); }

// A set list place: its number, then its slot or blanks where the set list itself is meant.
std::string SetListPlace(const Place& place) {
    const std::size_t setList = place.entry / kSetListEntries, slot = place.entry % kSetListEntries;
    const std::string number = (place.occurrence == 1 ? "" : "#" + std::to_string(place.occurrence) + " ") + Number(setList);
    return slot == 0 ? Padded(number, 12) : number + " Slot " + Number(slot - 1);
}

// Columns as the examples in the README: kind, bank, number, finding.
std::string Lead(const Place& place, bool wholeBank) {
    std::string lead = Padded(KindWord(place.bank->kind), 8);
    if (place.bank->kind == ChunkType::SLS1 && !wholeBank) return lead + SetListPlace(place) + " ";
    return lead + Padded(BankShown(place), 6) + " " + (wholeBank ? "   " : Number(place.entry)) + " ";
}

std::string Quoted(std::string_view name) { return "\"" + WithoutControls(name) + "\""; }

std::string NameChange(const Finding& finding) {
    const std::string_view before = finding.from.bank->entries[finding.from.entry].Name();
    const std::string_view now = finding.place.bank->entries[finding.place.entry].Name();
    return before == now ? Quoted(now) : Quoted(before) + " -> " + Quoted(now);
}

}  // namespace

std::string FindingLine(const Finding& finding, const std::string& oldName, const std::string& newName) {
    const Place& place = finding.place;
    switch (finding.kind) {
        case FindingKind::OnlyInOld: return Lead(place, true) + "only in " + oldName;
        case FindingKind::OnlyInNew: return Lead(place, true) + "only in " + newName;
        case FindingKind::Renamed: return Lead(place, false) + "renamed " + NameChange(finding);
        case FindingKind::Changed: {
            const bool eq = place.bank->kind == ChunkType::SLS1 && place.entry % kSetListEntries == 0;
            return Lead(place, false) + "changed " + NameChange(finding) + (eq ? " (EQ)" : "");
        }
        case FindingKind::Moved:
        case FindingKind::Copied: {
            const bool moved = finding.kind == FindingKind::Moved;
            const std::string name = Quoted(place.bank->entries[place.entry].Name());
            return Lead(place, false) + (moved ? "moved   " : "copied  ") + name + (moved ? " (was " : " (copy of ") +
                   BankShown(finding.from) + " " + Number(finding.from.entry) + ")";
        }
    }
    return {};
}

std::string SummaryLine(const Comparison& comparison, const std::string& oldName, const std::string& newName) {
    const auto count = [&comparison](FindingKind kind) { return std::to_string(comparison.Count(kind)); };
    return std::to_string(comparison.same) + " same, " + count(FindingKind::Renamed) + " renamed, " + count(FindingKind::Changed) +
           " changed, " + count(FindingKind::Moved) + " moved, " + count(FindingKind::Copied) + " copied; banks only in " + oldName +
           ": " + count(FindingKind::OnlyInOld) + ", only in " + newName + ": " + count(FindingKind::OnlyInNew);
}

}  // namespace morvane
