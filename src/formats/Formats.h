#pragma once
// The extra output files of one input (MIDNAM, ReaBank, Cubase script, CSV), written from the
// catalogue of its walk once the walk has ended.
#include <vector>

#include "formats/Catalogue.h"
#include "formats/Writers.h"

namespace morvane {

struct FormatSwitches {
    bool midnam = false;   // M: <base>.midnam
    bool reabank = false;  // R: <base>_programs.reabank and <base>_combis.reabank
    bool cubase = false;   // C: <base>_cubase.txt
    bool csv = false;      // L: <base>.csv
    bool Any() const { return midnam || reabank || cubase || csv; }
};

// What MIDNAM, ReaBank and Cubase can hold: banks without bank select are left out, and a bank
// name met twice in one mode is held once, in the place of the first, with the later bank's names.
struct Selection {
    ModeBanks banks;
    std::vector<const CatalogueBank*> unselectable;
    std::vector<const CatalogueBank*> repeated;  // the later bank of each repeated name
};
Selection SelectBanks(const Catalogue& catalogue);

// Creates the asked-for files in the working directory, in the order M, R, C, L, each announced
// by a "Writing file " console line. What is left out, and why, goes to standard error as notes.
// A failed create or write raises IoError.
void WriteFormats(const Catalogue& catalogue, const FormatSwitches& switches, const FormatSource& source);

}  // namespace morvane
