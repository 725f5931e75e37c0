#pragma once
// Matches the catalogues of two bank files into findings: what was renamed, changed, moved or
// copied, and which banks only one file has.
#include <cstddef>
#include <vector>

#include "formats/Catalogue.h"

namespace morvane {

enum class FindingKind { Renamed, Changed, Moved, Copied, OnlyInOld, OnlyInNew };

// A place in one file: a bank (kind, name and, for a name met more than once in the file, which
// of them) and an entry of it.
struct Place {
    const CatalogueBank* bank = nullptr;
    int occurrence = 1;     // 1 for the first bank of its kind and name in its file
    std::size_t entry = 0;  // index into bank->entries
};

struct Finding {
    FindingKind kind;
    Place place;  // in the new file; in the old one for OnlyInOld. Bank findings use only the bank.
    Place from;   // Renamed, Changed: the same place in the old file; Moved, Copied: where it was
};

struct Comparison {
    std::vector<Finding> findings;  // in the new file's order, then the banks only the old one has
    std::size_t same = 0;           // entries at the same place with the same checksum
    std::size_t Count(FindingKind kind) const;
};

Comparison CompareCatalogues(const Catalogue& oldFile, const Catalogue& newFile);

}  // namespace morvane
