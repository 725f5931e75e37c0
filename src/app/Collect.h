#pragma once
// Collects every bank the walk lists into a catalogue, for as long as it lives.
#include "formats/Catalogue.h"

namespace morvane {

class CollectedBanks {
public:
    explicit CollectedBanks(Catalogue& catalogue);
    ~CollectedBanks();
    CollectedBanks(const CollectedBanks&) = delete;
    CollectedBanks& operator=(const CollectedBanks&) = delete;
};

}  // namespace morvane
